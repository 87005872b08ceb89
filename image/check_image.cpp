#include "image/check_image.hpp"
#include "image/read_file.hpp"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: wfac_check_image IMAGE TABLE...\n"
    "\n"
    "Checks that the linked ELF image IMAGE holds each TABLE, the header of a\n"
    "table that wfac wrote (<stem>.h, with the table <stem>.c beside it): an\n"
    "object of the table's size, aligned as asked, in a section that is\n"
    "loaded and not cleared at start-up, holding the table's entries byte\n"
    "for byte. Prints a line for each table. Exits with 0 when every table\n"
    "holds, 1 when one does not or a file cannot be read, and 2 when the\n"
    "command line is wrong.\n";

// Output sections whose memory start-up code clears, matched by their
// start as linker scripts match them.
const char* const kClearedSections[] = {".bss", ".sbss", ".tbss", ".noinit"};

std::string format(const char* pattern, ...) {
  char text[512];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}

unsigned long long ull(std::uint64_t value) { return static_cast<unsigned long long>(value); }

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Finds the symbol name; prefers a global or weak definition to a local
// one. False when the image defines none of that name.
bool find_symbol(const ElfImage& image, const ImageSymbols& s, const char* name,
                 ElfSymbol* found) {
  bool have = false;
  const std::uint64_t count = s.symbols.size / s.symbols.entry_size;
  for (std::uint64_t i = 1; i < count; ++i) {
    ElfSymbol symbol;
    if (!elf_symbol(image, s.symbols, s.names, i, &symbol) || std::strcmp(symbol.name, name) != 0 ||
        symbol.section == kSymbolUndefined)
      continue;
    if (!have || (found->binding == 0 && symbol.binding != 0)) *found = symbol;
    have = true;
  }
  return have;
}

// The loadable segment that holds section's bytes in the file; sets *load
// to the address the table at run address value is loaded from.
bool find_load_address(const ElfImage& image, const ElfSection& section, std::uint64_t value,
                       std::uint64_t* load) {
  for (std::uint64_t i = 0; i < image.segment_count; ++i) {
    ElfSegment segment;
    if (!elf_segment(image, i, &segment) || segment.type != kSegmentLoad) continue;
    if (section.offset < segment.offset || section.offset - segment.offset > segment.file_size ||
        section.size > segment.file_size - (section.offset - segment.offset))
      continue;
    *load = segment.physical_address + (section.offset - segment.offset) + (value - section.address);
    return true;
  }
  return false;
}

// The entry of bytes bytes at offset, sign-extended.
std::int64_t entry_at(const ElfImage& image, std::uint64_t offset, int bytes) {
  const std::uint64_t raw = elf_read(image, offset, bytes);
  const std::uint64_t sign = std::uint64_t{1} << (8 * bytes - 1);
  return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

// An entry as the bits of its width, in upper-case hex.
std::string entry_bits(std::int64_t value, int bytes) {
  const std::uint64_t mask = (std::uint64_t{1} << (8 * bytes)) - 1;
  return format("0x%0*llX", 2 * bytes, ull(static_cast<std::uint64_t>(value) & mask));
}

void print_usage(std::FILE* stream) { std::fputs(kUsage, stream); }

}  // namespace

bool find_symbols(const ElfImage& image, ImageSymbols* s, std::string* error) {
  bool found = false;
  for (std::uint64_t i = 1; i < image.section_count && !found; ++i) {
    ElfSection section;
    if (!elf_section(image, i, &section) || section.type != kSectionSymtab) continue;
    if (!elf_section(image, section.link, &s->names) || s->names.type != kSectionStrtab ||
        !elf_holds(image, section.offset, section.size) || section.entry_size == 0) {
      *error = "corrupt: the symbol table or its names lie outside the file";
      return false;
    }
    s->symbols = section;
    found = true;
  }
  if (!found) {
    *error = "no symbol table (a stripped image), so its tables cannot be found";
    return false;
  }
  const ImageSymbols::Range ranges[3] = {{"__bss_start__", "__bss_end__", 0, 0, false},
                                         {"_sbss", "_ebss", 0, 0, false},
                                         {"__bss_start", "_end", 0, 0, false}};
  for (int r = 0; r < 3; ++r) {
    ImageSymbols::Range range = ranges[r];
    ElfSymbol first, last;
    if (find_symbol(image, *s, range.first, &first) && find_symbol(image, *s, range.last, &last)) {
      range.start = first.value;
      range.end = last.value;
      range.found = true;
    }
    s->cleared[r] = range;
  }
  return true;
}

Verdict check_table(const ElfImage& image, const ImageSymbols& s, const TableFiles& table,
                    std::string* line) {
  const char* name = table.name.c_str();
  const std::uint64_t bytes = table.entries.size() * static_cast<std::uint64_t>(table.entry_bytes);
  ElfSymbol symbol;
  if (!find_symbol(image, s, name, &symbol)) {
    *line = format("%s: not in the image (the linker leaves out a table that nothing uses)", name);
    return Verdict::kAbsent;
  }
  // 1. An object of exactly the table's size.
  if (symbol.type != kSymbolObject) {
    *line = format("%s: %s, not a data object", name,
                   symbol.type == kSymbolFunction ? "a function"
                                                  : format("a symbol of type %u", symbol.type).c_str());
    return Verdict::kFails;
  }
  if (symbol.size != bytes) {
    *line = format("%s: %llu bytes in the image, not the table's %llu", name, ull(symbol.size),
                   ull(bytes));
    return Verdict::kFails;
  }
  // 2. Aligned as asked.
  if (symbol.value % table.align != 0) {
    *line = format("%s: at 0x%08llx, which is not a multiple of its ALIGN %llu", name,
                   ull(symbol.value), ull(table.align));
    return Verdict::kFails;
  }
  // 3. In a section that is allocated and holds its bytes in the file,
  // within a loadable segment.
  ElfSection section;
  if (symbol.section >= kSymbolReserved) {
    *line = format("%s: in no section of the image (section index 0x%x)", name, symbol.section);
    return Verdict::kFails;
  }
  if (!elf_section(image, symbol.section, &section)) {
    *line = format("%s: its section cannot be read (a corrupt image)", name);
    return Verdict::kFails;
  }
  const char* in = section.name;
  if (section.type == kSectionNobits) {
    *line = format(
        "%s: in %s, a section with no bytes in the image (NOLOAD or .bss): the table would read "
        "as whatever RAM holds",
        name, in);
    return Verdict::kFails;
  }
  if (section.type == kSectionInitArray || section.type == kSectionFiniArray ||
      section.type == kSectionPreinitArray) {
    *line = format("%s: in %s, whose entries start-up or exit code calls as functions", name, in);
    return Verdict::kFails;
  }
  if (section.type == kSectionNote) {
    *line = format("%s: in %s, a note for tools, not loaded", name, in);
    return Verdict::kFails;
  }
  if ((section.flags & kSectionFlagAlloc) == 0) {
    *line = format("%s: in %s, a section that is not loaded", name, in);
    return Verdict::kFails;
  }
  if (section.type != kSectionProgbits) {
    *line = format("%s: in %s, a section of type %u, not of program data", name, in, section.type);
    return Verdict::kFails;
  }
  if (symbol.value < section.address || symbol.value - section.address > section.size ||
      bytes > section.size - (symbol.value - section.address) ||
      !elf_holds(image, section.offset, section.size)) {
    *line = format("%s: %llu bytes at 0x%08llx, outside the bytes of %s (a corrupt image)", name,
                   ull(bytes), ull(symbol.value), in);
    return Verdict::kFails;
  }
  std::uint64_t load = 0;
  if (!find_load_address(image, section, symbol.value, &load)) {
    *line = format("%s: in %s, which no loadable segment holds: the table is not in what is loaded",
                   name, in);
    return Verdict::kFails;
  }
  // 4. Not in memory that start-up code clears.
  for (const char* cleared : kClearedSections) {
    if (starts_with(in, cleared)) {
      *line = format("%s: in %s, memory that start-up code clears", name, in);
      return Verdict::kFails;
    }
  }
  for (const ImageSymbols::Range& range : s.cleared) {
    if (range.found && symbol.value < range.end && symbol.value + bytes > range.start) {
      *line = format("%s: between %s and %s, memory that start-up code clears", name, range.first,
                     range.last);
      return Verdict::kFails;
    }
  }
  // 5. The entries, as the image holds them, in its byte order.
  const std::uint64_t offset = section.offset + (symbol.value - section.address);
  const int width = table.entry_bytes;
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const std::int64_t held = entry_at(image, offset + i * static_cast<unsigned>(width), width);
    if (held != table.entries[i]) {
      *line = format("%s: entry %zu is %s in the image, %s in the table", name, i,
                     entry_bits(held, width).c_str(), entry_bits(table.entries[i], width).c_str());
      return Verdict::kFails;
    }
  }
  std::string loaded;
  if (load != symbol.value) loaded = format(" (loaded from 0x%08llx)", ull(load));
  *line = format("%s: %llu bytes at 0x%08llx%s in %s, aligned %llu: ok", name, ull(bytes),
                 ull(symbol.value), loaded.c_str(), in, ull(table.align));
  return Verdict::kHolds;
}

int run_check_image(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    print_usage(stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }
  if (argc < 3) {
    print_usage(stderr);
    std::fputs("ERROR:  Must specify an image and at least one table.\n", stderr);
    return 2;
  }
  const std::string image_path = argv[1];
  std::string contents, error;
  ElfImage image;
  ImageSymbols symbols;
  if (!read_regular_file(image_path, &contents, &error)) {
    std::fprintf(stderr, "wfac_check_image: %s\n", error.c_str());
    return 1;
  }
  const unsigned char* data = reinterpret_cast<const unsigned char*>(contents.data());
  if (!elf_open(data, contents.size(), &image, &error) ||
      (image.type == kElfTypeRelocatable && (error = "an object file, not a linked image", true)) ||
      !find_symbols(image, &symbols, &error)) {
    std::fprintf(stderr, "wfac_check_image: %s: %s\n", image_path.c_str(), error.c_str());
    return 1;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    TableFiles table;
    if (!read_table_files(argv[i], &table, &error)) {
      std::fprintf(stderr, "wfac_check_image: %s\n", error.c_str());
      status = 1;
      continue;
    }
    std::string line;
    if (check_table(image, symbols, table, &line) == Verdict::kFails) status = 1;
    std::printf("%s\n", line.c_str());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "wfac_check_image: cannot write the report (%s)\n", std::strerror(errno));
    return 1;
  }
  return status;
}
