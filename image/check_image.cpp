#include "image/check_image.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "flash/flash_file.hpp"
#include "image/format.hpp"
#include "image/read_file.hpp"
#include "image/startup_proof.hpp"

namespace {

using namespace elf;

bool starts_with(std::string_view text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Output sections whose memory start-up code clears, matched by their
// start as linker scripts match them.
const char* const kClearedSections[] = {".bss", ".sbss", ".tbss", ".noinit"};

// The bounds of memory that start-up code clears or copies, where the
// image names them: newlib's and vendors' names, GNU ld's default script,
// and Zephyr's (whose _end is the end of all RAM, data included).
struct Bounds {
  const char* first;
  const char* last;
  const char* unless;  // not taken when the image defines this symbol
};
const Bounds kClearedBounds[] = {{"__bss_start__", "__bss_end__", nullptr},
                                 {"_sbss", "_ebss", nullptr},
                                 {"__bss_start", "__bss_end", nullptr},
                                 {"__bss_start", "_end", "__bss_end"}};
const Bounds kCopiedBounds[] = {{"__data_region_start", "__data_region_end", nullptr}};

// The entry of width bytes at p in the image's byte order, sign-extended.
std::int64_t entry_at(const ElfFile& f, const unsigned char* p, int width) {
  const std::uint64_t raw = elf_value(f, p, width);
  const std::uint64_t sign = std::uint64_t{1} << (8 * width - 1);
  return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

// An entry as the bits of its width, in upper-case hex.
std::string entry_bits(std::int64_t value, int width) {
  const std::uint64_t mask = (std::uint64_t{1} << (8 * width)) - 1;
  return format("0x%0*llX", 2 * width, ull(static_cast<std::uint64_t>(value) & mask));
}

// The index of the first entry of table that the bytes at p (the table's
// size, in the image's byte order) do not hold, or -1.
long first_wrong_entry(const ElfFile& f, const unsigned char* p, const TableFiles& table) {
  const int width = table.entry_bytes;
  for (std::size_t i = 0; i < table.entries.size(); ++i)
    if (entry_at(f, p + i * static_cast<unsigned>(width), width) != table.entries[i])
      return static_cast<long>(i);
  return -1;
}

// "a", "a and b", "a, b and c"
std::string join_names(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i != 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

// Where the image holds one table, and how its holding is to be proved.
enum class Proof { kHosted, kCopyRelocated, kReadOnly, kAtStartup };

struct Place {
  const Sym* symbol;
  const Shdr* section;
  const Phdr* segment;
  std::size_t segment_index;
  std::uint64_t run;    // st_value
  std::uint64_t load;   // where the segment's file bytes are loaded from
  std::uint64_t bytes;  // the table's size
  const unsigned char* file_bytes;  // its bytes in the file
  Proof proof;
};

// The image as a whole, worked out once.
struct ImageFacts {
  bool hosted;  // an operating system maps it as the file holds it
};

bool image_is_hosted(const ElfFile& f) {
  for (const Phdr& p : f.segments)
    if (p.p_type == PT_INTERP || p.p_type == PT_DYNAMIC) return true;
  return elf_find_symbol(f, "__libc_start_main") != nullptr;
}

// The loadable segment that maps run, the last one listed where several do,
// as loaders map them in that order.
const Phdr* segment_at(const ElfFile& f, std::uint64_t run, std::size_t* index) {
  const Phdr* found = nullptr;
  for (std::size_t i = 0; i < f.segments.size(); ++i) {
    const Phdr& p = f.segments[i];
    if (p.p_type == PT_LOAD && run >= p.p_vaddr && run - p.p_vaddr < p.p_memsz) {
      found = &p;
      *index = i;
    }
  }
  return found;
}

// Checks the symbol of table: an object of the table's size at a multiple
// of its ALIGN. Sets *line on failure.
Verdict check_symbol(const Sym* symbol, const TableFiles& table, std::uint64_t bytes,
                     std::string* line) {
  const char* name = table.name.c_str();
  if (symbol == nullptr) {
    *line = format("%s: not in the image (the linker leaves out a table that nothing uses)", name);
    return Verdict::kAbsent;
  }
  if (st_type(*symbol) != STT_OBJECT) {
    *line = format("%s: %s, not a data object", name,
                   st_type(*symbol) == STT_FUNC
                       ? "a function"
                       : format("a symbol of type %u", st_type(*symbol)).c_str());
    return Verdict::kFails;
  }
  if (symbol->st_size != bytes) {
    *line = format("%s: %llu bytes in the image, not the table's %llu", name,
                   ull(symbol->st_size), ull(bytes));
    return Verdict::kFails;
  }
  if (symbol->st_value % table.align != 0) {
    *line = format("%s: at 0x%08llx, which is not a multiple of its ALIGN %llu", name,
                   ull(symbol->st_value), ull(table.align));
    return Verdict::kFails;
  }
  return Verdict::kHolds;
}

// Checks the section of the symbol: one that the image loads, of program
// data, holding the whole table.
Verdict check_section(const Place& p, const TableFiles& table, std::string* line) {
  const char* name = table.name.c_str();
  const Shdr& s = *p.section;
  const std::string in(s.name);
  if (s.sh_type == SHT_NOBITS) {
    *line = format(
        "%s: in %s, a section with no bytes in the image (NOLOAD or .bss): the table would read "
        "as whatever RAM holds",
        name, in.c_str());
    return Verdict::kFails;
  }
  if (s.sh_type == SHT_INIT_ARRAY || s.sh_type == SHT_FINI_ARRAY ||
      s.sh_type == SHT_PREINIT_ARRAY) {
    *line = format("%s: in %s, whose entries start-up or exit code calls as functions", name,
                   in.c_str());
    return Verdict::kFails;
  }
  if (s.sh_type == SHT_NOTE) {
    *line = format("%s: in %s, a note for tools, not loaded", name, in.c_str());
    return Verdict::kFails;
  }
  if ((s.sh_flags & SHF_ALLOC) == 0) {
    *line = format("%s: in %s, a section that is not loaded", name, in.c_str());
    return Verdict::kFails;
  }
  if (s.sh_type != SHT_PROGBITS) {
    *line = format("%s: in %s, a section of type %u, not of program data", name, in.c_str(),
                   s.sh_type);
    return Verdict::kFails;
  }
  if (p.run < s.sh_addr || p.run - s.sh_addr > s.sh_size ||
      p.bytes > s.sh_size - (p.run - s.sh_addr)) {
    *line = format("%s: %llu bytes at 0x%08llx, outside the bytes of %s (a corrupt image)", name,
                   ull(p.bytes), ull(p.run), in.c_str());
    return Verdict::kFails;
  }
  return Verdict::kHolds;
}

// Finds the segment that maps the table and checks that the section
// header agrees with it; sets p->segment, p->load and p->file_bytes.
Verdict check_segment(const ElfFile& f, Place* p, const TableFiles& table, std::string* line) {
  const char* name = table.name.c_str();
  const Shdr& s = *p->section;
  const std::string in(s.name);
  std::size_t index = 0;
  const Phdr* segment = segment_at(f, p->run, &index);
  if (segment == nullptr) {
    *line = format("%s: in %s, which no loadable segment holds: the table is not in what is "
                   "loaded",
                   name, in.c_str());
    return Verdict::kFails;
  }
  const std::uint64_t within = p->run - segment->p_vaddr;
  if (p->bytes > segment->p_memsz - within) {
    *line = format("%s: %llu bytes at 0x%08llx run past the end of segment %zu (p_vaddr 0x%08llx, "
                   "p_memsz 0x%llx) that maps its start (a corrupt image)",
                   name, ull(p->bytes), ull(p->run), index, ull(segment->p_vaddr),
                   ull(segment->p_memsz));
    return Verdict::kFails;
  }
  if (within > segment->p_filesz || p->bytes > segment->p_filesz - within) {
    *line = format("%s: in %s, beyond the file bytes of segment %zu (p_filesz 0x%llx), which it "
                   "loads with no bytes: the table would read as whatever RAM holds",
                   name, in.c_str(), index, ull(segment->p_filesz));
    return Verdict::kFails;
  }
  p->segment = segment;
  p->segment_index = index;
  p->load = segment->p_paddr + within;
  p->file_bytes = f.data + segment->p_offset + within;
  return Verdict::kHolds;
}

// The CPU reads what the segment maps; a section header that places the
// section's bytes elsewhere in the file describes other bytes.
Verdict check_section_header(const Place& p, const TableFiles& table, std::string* line) {
  const Shdr& s = *p.section;
  const Phdr& segment = *p.segment;
  if (s.sh_addr - segment.p_vaddr == s.sh_offset - segment.p_offset) return Verdict::kHolds;
  *line = format("%s: in %s, whose section header (sh_addr 0x%08llx, sh_offset 0x%llx) "
                 "disagrees with segment %zu that maps it (p_vaddr 0x%08llx, p_offset 0x%llx): "
                 "the section's bytes are not the ones the CPU reads (a corrupt or edited image)",
                 table.name.c_str(), std::string(s.name).c_str(), ull(s.sh_addr),
                 ull(s.sh_offset), p.segment_index, ull(segment.p_vaddr), ull(segment.p_offset));
  return Verdict::kFails;
}

// Finds and checks the table's place in the image, up to the proof that
// its bytes reach the CPU.
Verdict locate(const ElfFile& f, const ImageFacts& facts, const TableFiles& table, Place* p,
               std::string* line) {
  p->bytes = table.entries.size() * static_cast<std::uint64_t>(table.entry_bytes);
  p->symbol = elf_find_symbol(f, table.name);
  Verdict v = check_symbol(p->symbol, table, p->bytes, line);
  if (v != Verdict::kHolds) return v;
  const char* name = table.name.c_str();
  p->run = p->symbol->st_value;
  const std::uint32_t index = p->symbol->st_shndx;
  if (index == SHN_UNDEF || (index >= SHN_LORESERVE && index <= 0xffff)) {
    *line = format("%s: in no section of the image (section index 0x%x)", name, index);
    return Verdict::kFails;
  }
  if (index >= f.sections.size()) {
    *line = format("%s: in section %u, of the image's %zu (a corrupt image)", name, index,
                   f.sections.size());
    return Verdict::kFails;
  }
  p->section = &f.sections[index];
  // A copy relocation: the dynamic linker fills the executable's copy from
  // the shared library that defines the table, whose own check proves it.
  if (facts.hosted && elf_is_copy_relocated(f, p->run)) {
    p->proof = Proof::kCopyRelocated;
    return Verdict::kHolds;
  }
  v = check_section(*p, table, line);
  if (v == Verdict::kHolds) v = check_segment(f, p, table, line);
  if (v != Verdict::kHolds) return v;
  const long wrong = first_wrong_entry(f, p->file_bytes, table);
  if (wrong >= 0) {
    const int width = table.entry_bytes;
    *line = format("%s: entry %ld is %s in the image, %s in the table", name, wrong,
                   entry_bits(entry_at(f, p->file_bytes + wrong * width, width), width).c_str(),
                   entry_bits(table.entries[static_cast<std::size_t>(wrong)], width).c_str());
    return Verdict::kFails;
  }
  v = check_section_header(*p, table, line);
  if (v != Verdict::kHolds) return v;
  // An operating system maps the file where its program headers say, and
  // has no use for their physical addresses.
  if (facts.hosted) p->load = p->run;
  if (facts.hosted)
    p->proof = Proof::kHosted;
  else if ((p->segment->p_flags & PF_W) == 0 && p->load == p->run)
    p->proof = Proof::kReadOnly;
  else
    p->proof = Proof::kAtStartup;
  return Verdict::kHolds;
}

// "<name>: <size> bytes at <run> (loaded from <load>) in <section>,
// aligned <align>: ok, " and how it was proved.
std::string ok_line(const Place& p, const TableFiles& table, const std::string& how) {
  std::string loaded;
  if (p.proof != Proof::kCopyRelocated && p.load != p.run)
    loaded = format(" (loaded from 0x%08llx)", ull(p.load));
  return format("%s: %llu bytes at 0x%08llx%s in %s, aligned %llu: ok, %s", table.name.c_str(),
                ull(p.bytes), ull(p.run), loaded.c_str(), std::string(p.section->name).c_str(),
                ull(table.align), how.c_str());
}

// The first of the bounds whose symbols the image defines and between which
// the table lies, or null.
const Bounds* within_bounds(const ElfFile& f, const Place& p, const Bounds* bounds,
                            std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Sym* first = elf_find_symbol(f, bounds[i].first);
    const Sym* last = elf_find_symbol(f, bounds[i].last);
    if (first == nullptr || last == nullptr) continue;
    if (bounds[i].unless != nullptr && elf_find_symbol(f, bounds[i].unless) != nullptr) continue;
    if (p.run < last->st_value && p.run + p.bytes > first->st_value) return &bounds[i];
  }
  return nullptr;
}

// Why no run proved a RAM table, and what the user can do about it.
struct Unproved {
  std::string reason;
  std::string hint;  // empty: --assume-copied, once the start-up code is checked by hand
};

// The verdict on a RAM table that no run proved: what the image's names
// show, and what the user has checked by hand.
Verdict judge_unproved(const ElfFile& f, const CheckOptions& options, const Place& p,
                       const TableFiles& table, const Unproved& why, std::string* line) {
  const char* name = table.name.c_str();
  const std::string in(p.section->name);
  for (const std::string& section : options.assume_copied) {
    if (section == in) {
      *line = ok_line(p, table, "taken as copied (--assume-copied " + section + "), not run");
      return Verdict::kHolds;
    }
  }
  for (const char* cleared : kClearedSections) {
    if (starts_with(in, cleared)) {
      *line = format("%s: in %s, memory that start-up code clears", name, in.c_str());
      return Verdict::kFails;
    }
  }
  if (const Bounds* b = within_bounds(f, p, kClearedBounds, std::size(kClearedBounds))) {
    *line = format("%s: between %s and %s, memory that start-up code clears", name, b->first,
                   b->last);
    return Verdict::kFails;
  }
  // Every C start-up copies .data, and Zephyr's the region it names.
  if (in == ".data") {
    *line = ok_line(p, table, "copied by start-up as .data, not run");
    return Verdict::kHolds;
  }
  if (const Bounds* b = within_bounds(f, p, kCopiedBounds, std::size(kCopiedBounds))) {
    *line = ok_line(p, table, std::string("copied by start-up between ") + b->first + " and " +
                                  b->last + ", not run");
    return Verdict::kHolds;
  }
  const std::string hint =
      why.hint.empty() ? "--assume-copied " + in + " takes it as copied once you have checked the "
                                                   "start-up code by hand"
                       : why.hint;
  *line = format("%s: %llu bytes at 0x%08llx (loaded from 0x%08llx) in %s: cannot prove: %s; %s",
                 name, ull(p.bytes), ull(p.run), ull(p.load), in.c_str(), why.reason.c_str(),
                 hint.c_str());
  return Verdict::kFails;
}

// The verdict on a RAM table from the two runs of its start-up code.
Verdict judge_proved(const ElfFile& f, const CheckOptions& options, const Place& p,
                     const TableFiles& table, const ProofOutcome& run, std::size_t range,
                     std::string* line) {
  const char* name = table.name.c_str();
  const int width = table.entry_bytes;
  for (int r = 0; r < 2; ++r) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(run.bytes[r][range].data());
    const long wrong = first_wrong_entry(f, bytes, table);
    if (wrong < 0) continue;
    const std::int64_t held = entry_at(f, bytes + wrong * width, width);
    std::uint64_t pattern = 0;
    for (int b = 0; b < width; ++b) pattern = pattern << 8 | run.patterns[r];
    std::string why;
    if (entry_bits(held, width) == entry_bits(static_cast<std::int64_t>(pattern), width))
      why = format("the fill pattern of memory nothing wrote: start-up code does not copy %s from "
                   "0x%08llx",
                   std::string(p.section->name).c_str(), ull(p.load));
    else if (held == 0)
      why = "start-up code clears it";
    else
      why = format("not %s of the table: start-up code writes over it",
                   entry_bits(table.entries[static_cast<std::size_t>(wrong)], width).c_str());
    *line = format("%s: entry %ld is %s at %s, %s", name, wrong, entry_bits(held, width).c_str(),
                   options.until.c_str(), why.c_str());
    return Verdict::kFails;
  }
  *line = ok_line(p, table, "proved at " + options.until);
  return Verdict::kHolds;
}

// Adds to an ok line that every flashed file holds the table's bytes where
// they are loaded from, or fails it.
Verdict check_flashed(const ElfFile& f, const CheckOptions& options, const Place& p,
                      const TableFiles& table, std::string* line) {
  if (options.flash.empty() || p.proof == Proof::kCopyRelocated) return Verdict::kHolds;
  const char* name = table.name.c_str();
  std::vector<std::string> lacking, holding;
  for (const MemoryView& file : options.flash) {
    std::string bytes;
    if (!view_bytes(file, p.load, p.bytes, &bytes)) {
      lacking.push_back(file.name + " (" + view_ranges(file) + ")");
      continue;
    }
    const long wrong =
        first_wrong_entry(f, reinterpret_cast<const unsigned char*>(bytes.data()), table);
    if (wrong >= 0) {
      const int width = table.entry_bytes;
      const auto* held = reinterpret_cast<const unsigned char*>(bytes.data()) + wrong * width;
      *line = format("%s: entry %ld is %s in %s (at 0x%08llx), %s in the table", name, wrong,
                     entry_bits(entry_at(f, held, width), width).c_str(), file.name.c_str(),
                     ull(p.load + static_cast<std::uint64_t>(wrong * width)),
                     entry_bits(table.entries[static_cast<std::size_t>(wrong)], width).c_str());
      return Verdict::kFails;
    }
    holding.push_back(file.name);
  }
  if (!lacking.empty()) {
    *line = format("%s: loaded from 0x%08llx, which %s %s cover: the flashed image lacks the table",
                   name, ull(p.load), join_names(lacking).c_str(),
                   lacking.size() == 1 ? "does not" : "do not");
    return Verdict::kFails;
  }
  *line += "; " + join_names(holding) + (holding.size() == 1 ? " holds it" : " hold it");
  return Verdict::kHolds;
}

// Runs the start-up code once for every table that needs the proof, and
// judges those tables.
void prove_tables(const ElfFile& f, const CheckOptions& options,
                  const std::vector<TableFiles>& tables, const std::vector<Place>& places,
                  std::vector<Verdict>* verdicts, std::vector<std::string>* lines) {
  std::vector<std::size_t> waiting;
  std::vector<ProofRange> ranges;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if ((*verdicts)[i] == Verdict::kHolds && places[i].proof == Proof::kAtStartup) {
      waiting.push_back(i);
      ranges.push_back(ProofRange{places[i].run, places[i].bytes});
    }
  }
  if (waiting.empty()) return;
  const Sym* stop = elf_find_symbol(f, options.until);
  ProofStop at{0, options.until, {}, options.instruction_budget, options.wall_clock_ms};
  for (const std::string& function : options.skip)
    at.skip.push_back(elf_find_symbol(f, function));
  ProofOutcome run{};
  Unproved why;
  if (stop == nullptr) {
    why.reason = "the image defines no " + options.until + " to run its start-up code to";
    why.hint = "--until SYMBOL names a symbol that start-up code reaches after it copies data";
  } else {
    at.address = stop->st_value;
    run = prove_at_startup(f, at, ranges);
    if (!run.can_run) {
      why.reason = "start-up code decides, and this wfac_check_image cannot run " + run.machine +
                   " code";
    } else if (!run.arrived) {
      why.reason = "start-up code did not reach " + options.until + ": " + run.where;
      why.hint = "--skip FUNCTION returns at once from a function that waits for hardware, "
                 "--until SYMBOL stops at a symbol that start-up code reaches after it copies data";
    }
  }
  for (std::size_t k = 0; k < waiting.size(); ++k) {
    const std::size_t i = waiting[k];
    (*verdicts)[i] =
        why.reason.empty()
            ? judge_proved(f, options, places[i], tables[i], run, k, &(*lines)[i])
            : judge_unproved(f, options, places[i], tables[i], why, &(*lines)[i]);
  }
}

}  // namespace

bool check_options(const ElfFile& f, const CheckOptions& options, std::string* error) {
  if (options.until != "main" && elf_find_symbol(f, options.until) == nullptr) {
    *error = "--until " + options.until + ": the image defines no symbol of that name";
    return false;
  }
  for (const std::string& function : options.skip) {
    const Sym* s = elf_find_symbol(f, function);
    if (s == nullptr || st_type(*s) != STT_FUNC) {
      *error = "--skip " + function + ": the image defines no function of that name";
      return false;
    }
  }
  for (const std::string& section : options.assume_copied) {
    bool found = false;
    for (const Shdr& s : f.sections) found = found || s.name == section;
    if (!found) {
      *error = "--assume-copied " + section + ": the image has no section of that name";
      return false;
    }
  }
  return true;
}

std::vector<Verdict> check_tables(const ElfFile& f, const CheckOptions& options,
                                  const std::vector<TableFiles>& tables,
                                  std::vector<std::string>* lines) {
  const ImageFacts facts{image_is_hosted(f)};
  std::vector<Verdict> verdicts(tables.size());
  std::vector<Place> places(tables.size());
  lines->assign(tables.size(), std::string());
  for (std::size_t i = 0; i < tables.size(); ++i) {
    Place& p = places[i];
    verdicts[i] = locate(f, facts, tables[i], &p, &(*lines)[i]);
    if (verdicts[i] != Verdict::kHolds) continue;
    if (p.proof == Proof::kHosted)
      (*lines)[i] = ok_line(p, tables[i], "as the system loads it");
    else if (p.proof == Proof::kCopyRelocated)
      (*lines)[i] = ok_line(p, tables[i],
                            "filled at load time from the shared library that defines it (a "
                            "copy relocation)");
    else if (p.proof == Proof::kReadOnly)
      (*lines)[i] = ok_line(p, tables[i], "in read-only memory");
  }
  prove_tables(f, options, tables, places, &verdicts, lines);
  for (std::size_t i = 0; i < tables.size(); ++i)
    if (verdicts[i] == Verdict::kHolds)
      verdicts[i] = check_flashed(f, options, places[i], tables[i], &(*lines)[i]);
  return verdicts;
}

namespace {

const char* const kUsage =
    "Usage: wfac_check_image [OPTION]... IMAGE TABLE...\n"
    "\n"
    "Checks that the linked ELF image IMAGE holds each TABLE, the header of a\n"
    "table that wfac wrote (<stem>.h, with the table <stem>.c beside it), where\n"
    "the CPU reads it when main starts: an object of the table's size, aligned\n"
    "as asked, holding the table's entries byte for byte. A table in the RAM\n"
    "of a bare-metal image is proved by running the image's start-up code to\n"
    "main. Prints a line for each table. Exits with 0 when every table holds,\n"
    "1 when one does not or a file cannot be read, and 2 when the command line\n"
    "is wrong.\n"
    "\n"
    "  --flash FILE[@ADDRESS]   FILE, which is programmed, must hold every table\n"
    "                           where it is loaded from: Intel HEX, S-record or\n"
    "                           UF2, or a raw binary programmed at ADDRESS\n"
    "  --until SYMBOL           run the start-up code to SYMBOL, not to main\n"
    "  --skip FUNCTION          return at once from FUNCTION when it is called\n"
    "  --assume-copied SECTION  take a RAM table in SECTION as copied by the\n"
    "                           start-up code, where that code is not run\n"
    "\n"
    "Each option but --until may be given more than once.\n";

// The command line, taken apart.
struct CommandLine {
  CheckOptions options;
  std::vector<std::string> flash;  // the --flash arguments, as given
  std::vector<std::string> files;  // IMAGE TABLE...
  bool help = false;
};

int usage_error(const std::string& message) {
  std::fputs(kUsage, stderr);
  std::fprintf(stderr, "ERROR:  %s\n", message.c_str());
  return 2;
}

// Takes the command line apart; returns 0, or the status of a usage error
// after reporting it.
int parse_command_line(int argc, char** argv, CommandLine* cl) {
  bool until_given = false;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_end || arg.size() < 2 || arg.compare(0, 2, "--") != 0 || arg == "-") {
      if (arg == "-h") cl->help = true;
      cl->files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    if (arg == "--help") {
      cl->help = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (option != "--flash" && option != "--until" && option != "--skip" &&
        option != "--assume-copied")
      return usage_error("Unknown option: " + option);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return usage_error(option + " requires a value.");
    }
    if (value.empty()) return usage_error(option + " requires a value, not an empty one.");
    if (option == "--flash") {
      cl->flash.push_back(value);
    } else if (option == "--until") {
      if (until_given) return usage_error("--until is given twice.");
      until_given = true;
      cl->options.until = value;
    } else if (option == "--skip") {
      cl->options.skip.push_back(value);
    } else {
      cl->options.assume_copied.push_back(value);
    }
  }
  return 0;
}

}  // namespace

int run_check_image(int argc, char** argv) {
  CommandLine cl;
  const int bad = parse_command_line(argc, argv, &cl);
  if (bad != 0) return bad;
  if (cl.help && cl.files.size() <= 1 && cl.flash.empty()) {
    std::fputs(kUsage, stdout);
    std::printf("\n%s\n", startup_proof_built()
                               ? "This wfac_check_image runs the start-up code of Arm, AArch64 "
                                 "and RISC-V images."
                               : "This wfac_check_image was built without an emulator: it runs "
                                 "no start-up code.");
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }
  if (cl.files.size() < 2) return usage_error("Must specify an image and at least one table.");
  const std::string& image_path = cl.files[0];
  std::string contents, error;
  ElfFile image;
  if (!read_regular_file(image_path, &contents, &error)) {
    std::fprintf(stderr, "wfac_check_image: %s\n", error.c_str());
    return 1;
  }
  const unsigned char* data = reinterpret_cast<const unsigned char*>(contents.data());
  if (!elf_read(data, contents.size(), &image, &error) ||
      (image.header.e_type == elf::ET_REL && (error = "an object file, not a linked image", true))) {
    std::fprintf(stderr, "wfac_check_image: %s: %s\n", image_path.c_str(), error.c_str());
    return 1;
  }
  if (!check_options(image, cl.options, &error)) {
    std::fputs(kUsage, stderr);
    std::fprintf(stderr, "ERROR:  %s: %s\n", image_path.c_str(), error.c_str());
    return 2;
  }
  for (const std::string& argument : cl.flash) {
    FlashFile flashed;
    const int status = read_flash_file(argument, &flashed, &error);
    if (status == 2) return usage_error("--flash " + error);
    if (status != 0) {
      std::fprintf(stderr, "wfac_check_image: %s\n", error.c_str());
      return 1;
    }
    cl.options.flash.push_back(std::move(flashed.view));
  }
  int status = 0;
  std::vector<TableFiles> tables;
  for (std::size_t i = 1; i < cl.files.size(); ++i) {
    TableFiles table;
    if (!read_table_files(cl.files[i], &table, &error)) {
      std::fprintf(stderr, "wfac_check_image: %s\n", error.c_str());
      status = 1;
      continue;
    }
    tables.push_back(std::move(table));
  }
  std::vector<std::string> lines;
  const std::vector<Verdict> verdicts = check_tables(image, cl.options, tables, &lines);
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (verdicts[i] == Verdict::kFails) status = 1;
    std::printf("%s\n", lines[i].c_str());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "wfac_check_image: cannot write the report (%s)\n", std::strerror(errno));
    return 1;
  }
  return status;
}
