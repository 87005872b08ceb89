// wfac_check_image on a host image that holds two tables, and on that
// image damaged: cut short, bytes changed, tables that do not match it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "image/check_image.hpp"
#include "image/read_file.hpp"
#include "run_program.hpp"

namespace {

const std::string kFixture = WFAC_IMAGE_FIXTURE;
const std::string kTables = WFAC_IMAGE_TABLES;

std::string read_all(const std::string& path) {
  std::string contents, error;
  EXPECT_TRUE(read_regular_file(path, &contents, &error)) << error;
  return contents;
}

TableFiles table(const std::string& name) {
  TableFiles t;
  std::string error;
  EXPECT_TRUE(read_table_files(kTables + "/" + name + ".h", &t, &error)) << error;
  return t;
}

// Checks t in the bytes taken as an image: the verdict's line, or
// "refused: ..." (and kFails) when the image is not taken at all.
std::string check(const std::string& bytes, const TableFiles& t, Verdict* verdict) {
  ElfFile image;
  std::string error;
  *verdict = Verdict::kFails;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (!elf_read(data, bytes.size(), &image, &error)) return "refused: " + error;
  std::vector<std::string> lines;
  *verdict = check_tables(image, CheckOptions{}, {t}, &lines)[0];
  return lines[0];
}

// Where the table's entries lie in the file, found by their bytes (the
// host is little-endian), or npos.
std::size_t table_offset(const std::string& bytes, const TableFiles& t) {
  std::string pattern;
  for (std::int32_t entry : t.entries)
    for (int b = 0; b < t.entry_bytes; ++b)
      pattern += static_cast<char>((static_cast<std::uint32_t>(entry) >> (8 * b)) & 0xff);
  return bytes.find(pattern);
}

// The host's images are 64-bit and little-endian: the fields below are
// Elf64's, at the offsets the System V ABI gives.
void put(std::string* bytes, std::uint64_t offset, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[offset + static_cast<unsigned>(i)] = static_cast<char>(value >> (8 * i));
}
std::uint64_t shdr(const ElfFile& f, std::size_t index) { return f.header.e_shoff + 64 * index; }
std::uint64_t phdr(const ElfFile& f, std::size_t index) { return f.header.e_phoff + 56 * index; }
std::size_t section_index(const ElfFile& f, const char* name) {
  for (std::size_t i = 0; i < f.sections.size(); ++i)
    if (f.sections[i].name == name) return i;
  ADD_FAILURE() << "no section " << name;
  return 0;
}

// Appends a copy of section index's bytes to the image and points the
// section header there.
void point_section_at_copy(std::string* b, const ElfFile& f, std::size_t index) {
  const elf::Shdr& s = f.sections[index];
  const std::string copy = b->substr(s.sh_offset, s.sh_size);
  const std::size_t moved = b->size();
  *b += copy;
  put(b, shdr(f, index) + 24, moved, 8);
}

TEST(CheckImage, HostImageHoldsBothTables) {
  const ProgramRun run = run_command(WFAC_CHECK_IMAGE, {kFixture, kTables + "/w_fixture16.h",
                                                        kTables + "/w_fixture32.h"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // 2N - 8 entries of 2 bytes for N = 64, 2N - 4 of 4 bytes for N = 32.
  EXPECT_TRUE(std::regex_match(
      run.out, std::regex("w_fixture16: 240 bytes at 0x[0-9a-f]{8,16} in \\.rodata, aligned 8: ok, as the "
                          "system loads it\n"
                          "w_fixture32: 240 bytes at 0x[0-9a-f]{8,16} in \\.rodata, aligned 32: "
                          "ok, as the system loads it\n")))
      << run.out;
}

// What is not an image, or not one whose tables can be found, is refused
// with status 1; a wrong command line gets the usage text and status 2.
TEST(CheckImage, RefusedCommandLines) {
  const std::string header = kTables + "/w_fixture16.h";
  // A folder, a FIFO and a device are refused at once, never read.
  const std::string folder = std::string(WFAC_EMPTY_DIR) + "/folder.h";
  const std::string fifo = std::string(WFAC_EMPTY_DIR) + "/fifo.h";
  ::mkdir(folder.c_str(), 0755);
  ::mkfifo(fifo.c_str(), 0644);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err_end;
  } cases[] = {
      {{}, 2, "ERROR:  Must specify an image and at least one table.\n"},
      {{kFixture}, 2, "ERROR:  Must specify an image and at least one table.\n"},
      {{header, header}, 1, header + ": not an ELF file\n"},
      {{kFixture + ".none", header}, 1, kFixture + ".none: cannot be read (No such file or directory)\n"},
      {{kFixture, kFixture}, 1, kFixture + ": not a table's header (<stem>.h)\n"},
      {{kFixture, kTables + "/none.h"}, 1, kTables + "/none.h: cannot be read (No such file or directory)\n"},
      {{WFAC_EMPTY_DIR, header}, 1, std::string(WFAC_EMPTY_DIR) + ": is a folder, not a file\n"},
      {{kFixture, folder}, 1, folder + ": is a folder, not a file\n"},
      {{fifo, header}, 1, fifo + ": is a FIFO, not a file\n"},
      {{kFixture, fifo}, 1, fifo + ": is a FIFO, not a file\n"},
      {{"/dev/zero", header}, 1, "/dev/zero: is a device, not a file\n"},
      {{"--until", kFixture, header}, 2, "ERROR:  Must specify an image and at least one table.\n"},
      {{"--untill", "main", kFixture, header}, 2, "ERROR:  Unknown option: --untill\n"},
      {{kFixture, header, "--skip"}, 2, "ERROR:  --skip requires a value.\n"},
      {{"--until=", kFixture, header}, 2, "ERROR:  --until requires a value, not an empty one.\n"},
      {{"--until", "a", "--until", "b", kFixture, header}, 2, "ERROR:  --until is given twice.\n"},
      {{"--until", "nowhere", kFixture, header}, 2,
       "ERROR:  " + kFixture + ": --until nowhere: the image defines no symbol of that name\n"},
      {{"--skip", "w_fixture16", kFixture, header}, 2,
       "ERROR:  " + kFixture + ": --skip w_fixture16: the image defines no function of that name\n"},
      {{"--assume-copied", ".ccmram", kFixture, header}, 2,
       "ERROR:  " + kFixture + ": --assume-copied .ccmram: the image has no section of that name\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = run_command(WFAC_CHECK_IMAGE, c.args);
    EXPECT_EQ(run.status, c.status) << c.err_end << run.err;
    EXPECT_EQ(run.out, "");
    ASSERT_GE(run.err.size(), c.err_end.size());
    EXPECT_EQ(run.err.substr(run.err.size() - c.err_end.size()), c.err_end);
  }
  const ProgramRun help = run_command(WFAC_CHECK_IMAGE, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: wfac_check_image [OPTION]... IMAGE TABLE...\n", 0), 0u) << help.out;
}

// The files flashed from the image, made by objcopy beside it: each must
// hold each table where the image loads it from, or the table fails.
TEST(CheckImage, FlashedFiles) {
  if (!WFAC_FLASH_FIXTURES) GTEST_SKIP() << "no objcopy, or not an ELF host";
  const std::string header = kTables + "/w_fixture16.h";
  const std::string image = kFixture;
  ElfFile f;
  std::string error;
  const std::string bytes = read_all(kFixture);
  ASSERT_TRUE(elf_read(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &f,
                       &error));
  const std::uint64_t rodata = f.sections[section_index(f, ".rodata")].sh_addr;
  char at[32];
  std::snprintf(at, sizeof at, "@0x%llx", static_cast<unsigned long long>(rodata));
  // The .rodata binary with the table's entry 1 changed.
  std::string changed = read_all(image + ".rodata.bin");
  const std::size_t entry1 = table_offset(changed, table("w_fixture16")) + 2;
  changed[entry1] = static_cast<char>(changed[entry1] ^ 1);
  const std::string changed_file = std::string(WFAC_EMPTY_DIR) + "/changed.bin";
  FILE* out = std::fopen(changed_file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(changed.data(), 1, changed.size(), out), changed.size());
  ASSERT_EQ(std::fclose(out), 0);
  const std::string ok = "w_fixture16: 240 bytes at 0x[0-9a-f]+ in \\.rodata, aligned 8: ok, as the "
                         "system loads it; ";
  const struct {
    std::vector<std::string> flash;
    int status;
    std::string out;  // a regex
    std::string err_end;
  } cases[] = {
      {{image + ".srec"}, 0, ok + ".*\\.srec holds it\n", ""},
      {{image + ".srec", image + ".rodata.bin" + at}, 0, ok + ".*\\.srec and .*\\.rodata\\.bin hold it\n",
       ""},
      // objcopy -j .text, and a binary given the wrong address.
      {{image + ".text.srec"}, 1,
       "w_fixture16: loaded from 0x[0-9a-f]+, which .*\\.text\\.srec \\(0x[0-9a-f]+\xe2\x80\x93"
       "0x[0-9a-f]+\\) does not cover: the flashed image lacks the table\n",
       ""},
      {{image + ".srec", image + ".rodata.bin@0x100"}, 1,
       "w_fixture16: loaded from 0x[0-9a-f]+, which .*rodata\\.bin \\(0x00000100\xe2\x80\x93"
       "0x[0-9a-f]+\\) does not cover: the flashed image lacks the table\n",
       ""},
      {{changed_file + at}, 1,
       "w_fixture16: entry 1 is 0x7FFE in .*changed\\.bin \\(at 0x[0-9a-f]+\\), 0x7FFF in the table\n",
       ""},
      // A raw binary needs its address; a damaged file is named.
      {{image + ".bin"}, 2, "",
       "ERROR:  --flash " + image + ".bin: not an Intel HEX, S-record or UF2 file; a raw binary is "
       "given with its load address, as " + image + ".bin@ADDRESS\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args;
    for (const std::string& file : c.flash) {
      args.push_back("--flash");
      args.push_back(file);
    }
    args.push_back(image);
    args.push_back(header);
    const ProgramRun run = run_command(WFAC_CHECK_IMAGE, args);
    EXPECT_EQ(run.status, c.status) << c.out << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(c.out))) << run.out;
    ASSERT_GE(run.err.size(), c.err_end.size());
    EXPECT_EQ(run.err.substr(run.err.size() - c.err_end.size()), c.err_end);
    if (c.err_end.empty()) {
      EXPECT_EQ(run.err, "");
    }
  }
}

// Headers edited by hand: the alignment is read wherever it stands among
// the attributes, and one that is not a power of 2 is refused.
TEST(CheckImage, EditedHeaders) {
  const std::string header = read_all(kTables + "/w_fixture32.h");
  const std::string text = read_all(kTables + "/w_fixture32.c");
  const std::string declared = "__attribute__((aligned(32)))";
  ASSERT_NE(header.find(declared), std::string::npos) << header;
  const struct {
    const char* attributes;
    std::uint64_t align;  // 0: refused with error
    const char* error;
  } cases[] = {
      {"__attribute__((section(\".wfac\"), aligned(64)))", 64, ""},
      {"__attribute__((used, aligned(16), section(\".w\")))", 16, ""},
      {"__attribute__((aligned(0)))", 0, "h.h: aligned(0) is not a power of 2"},
      {"__attribute__((aligned(24)))", 0, "h.h: aligned(24) is not a power of 2"},
      {"__attribute__((section(\".w\")))", 0, "h.h: not the header of a table that wfac wrote"},
  };
  for (const auto& c : cases) {
    std::string edited = header;
    edited.replace(edited.find(declared), declared.size(), c.attributes);
    TableFiles t;
    std::string error;
    const bool read = parse_table_files(edited, "h.h", text, "h.c", &t, &error);
    EXPECT_EQ(read, c.align != 0) << c.attributes << ": " << error;
    EXPECT_EQ(read ? t.align : 0, c.align) << c.attributes;
    EXPECT_EQ(error, c.error) << c.attributes;
  }
}

// Tables that the image does not hold as they are: each check's line.
TEST(CheckImage, TablesThatDoNotMatch) {
  const std::string bytes = read_all(kFixture);
  const TableFiles good = table("w_fixture16");
  struct Case {
    const char* what;
    void (*change)(TableFiles*);
    Verdict verdict;
    const char* line;  // a regex
  } cases[] = {
      {"another name", [](TableFiles* t) { t->name = "w_elsewhere"; }, Verdict::kAbsent,
       "w_elsewhere: not in the image \\(the linker leaves out a table that nothing uses\\)"},
      {"a function's name", [](TableFiles* t) { t->name = "main"; }, Verdict::kFails,
       "main: a function, not a data object"},
      {"one entry more", [](TableFiles* t) { t->entries.push_back(0); }, Verdict::kFails,
       "w_fixture16: 240 bytes in the image, not the table's 242"},
      {"a wider alignment", [](TableFiles* t) { t->align = 1 << 20; }, Verdict::kFails,
       "w_fixture16: at 0x[0-9a-f]+, which is not a multiple of its ALIGN 1048576"},
      {"entry 5 changed", [](TableFiles* t) { t->entries[5] ^= 0x10; }, Verdict::kFails,
       "w_fixture16: entry 5 is 0x7FFF in the image, 0x7FEF in the table"},
      {"entry 9 negative", [](TableFiles* t) { t->entries[9] = -2; }, Verdict::kFails,
       "w_fixture16: entry 9 is 0x[0-9A-F]{4} in the image, 0xFFFE in the table"},
  };
  for (const Case& c : cases) {
    TableFiles t = good;
    c.change(&t);
    Verdict verdict;
    const std::string line = check(bytes, t, &verdict);
    EXPECT_EQ(verdict, c.verdict) << c.what << ": " << line;
    EXPECT_TRUE(std::regex_match(line, std::regex(c.line))) << c.what << ": " << line;
  }
}

// Damaged or edited images, each refused or failed with what is wrong and
// the values found. Among them the two whose headers disagree, where a
// section header or an earlier segment shows the table but the bytes the
// CPU reads (the last segment that maps them) are zeros.
TEST(CheckImage, DamagedImagesSayWhatIsWrong) {
  const std::string original = read_all(kFixture);
  const TableFiles t = table("w_fixture16");
  ElfFile f;
  std::string error;
  ASSERT_TRUE(elf_read(reinterpret_cast<const unsigned char*>(original.data()), original.size(), &f,
                       &error))
      << error;
  const elf::Sym* symbol = elf_find_symbol(f, "w_fixture16");
  ASSERT_NE(symbol, nullptr);
  const std::size_t entries = table_offset(original, t);
  const std::size_t rodata = section_index(f, ".rodata");
  const std::size_t symtab = section_index(f, ".symtab");
  const std::size_t strtab = section_index(f, ".strtab");
  const std::size_t symbol_index = static_cast<std::size_t>(symbol - f.symbols.data());
  struct Case {
    const char* what;
    std::string (*damage)(std::string, const ElfFile&, std::size_t[5]);
    const char* line;  // a regex
  } cases[] = {
      {"e_shentsize", [](std::string b, const ElfFile&, std::size_t*) { put(&b, 58, 40, 2); return b; },
       "refused: corrupt: e_shentsize 40, not the 64 bytes of an Elf64_Shdr"},
      {"e_phoff", [](std::string b, const ElfFile&, std::size_t*) { put(&b, 32, b.size() - 8, 8); return b; },
       "refused: truncated: e_phoff 0x[0-9a-f]+ \\+ 56 \xc3\x97 [0-9]+ lies past the file's [0-9]+ bytes"},
      {"symbol entry size 23",
       [](std::string b, const ElfFile& f, std::size_t* at) { put(&b, shdr(f, at[1]) + 56, 23, 8); return b; },
       "refused: corrupt: \\.symtab has sh_entsize 23, not the 24 bytes of an Elf64_Sym"},
      {"string table without its NUL",
       [](std::string b, const ElfFile& f, std::size_t* at) {
         const elf::Shdr& s = f.sections[at[2]];
         b[s.sh_offset + s.sh_size - 1] = 'x';
         return b;
       },
       "refused: corrupt: \\.symtab's sh_link \\.strtab does not end in a NUL byte"},
      {"a name past the string table",
       [](std::string b, const ElfFile& f, std::size_t* at) {
         put(&b, f.sections[at[1]].sh_offset + 24 * at[3], f.sections[at[2]].sh_size + 9, 4);
         return b;
       },
       "refused: corrupt: symbol [0-9]+'s st_name 0x[0-9a-f]+ lies outside \\.strtab's [0-9]+ bytes"},
      {"a section header that points at a copy",
       [](std::string b, const ElfFile& f, std::size_t* at) {
         point_section_at_copy(&b, f, at[0]);
         return b;
       },
       "w_fixture16: in \\.rodata, whose section header \\(sh_addr 0x[0-9a-f]+, sh_offset "
       "0x[0-9a-f]+\\) disagrees with segment [0-9]+ that maps it \\(p_vaddr 0x[0-9a-f]+, p_offset "
       "0x[0-9a-f]+\\): the section's bytes are not the ones the CPU reads \\(a corrupt or edited "
       "image\\)"},
      {"a section header that points at a copy, the table zeroed where the segment maps it",
       [](std::string b, const ElfFile& f, std::size_t* at) {
         point_section_at_copy(&b, f, at[0]);
         std::memset(&b[at[4]], 0, 240);
         return b;
       },
       "w_fixture16: entry 1 is 0x0000 in the image, 0x7FFF in the table"},
      {"a later segment over the table's page",
       [](std::string b, const ElfFile& f, std::size_t* at) {
         // PT_GNU_STACK, which follows the PT_LOADs, made a PT_LOAD that
         // maps a copy of the table's page with the table zeroed.
         const elf::Shdr& s = f.sections[at[0]];
         const std::uint64_t run = s.sh_addr + (at[4] - s.sh_offset);
         const std::uint64_t page = run & ~std::uint64_t{0xfff};
         const std::uint64_t page_offset = at[4] - (run - page);
         std::string copy = b.substr(page_offset, 0x1000);
         std::memset(&copy[run - page], 0, 240);
         b.resize((b.size() + 0xfff) & ~std::size_t{0xfff});
         const std::size_t moved = b.size();
         b += copy;
         for (std::size_t i = 0; i < f.segments.size(); ++i) {
           if (f.segments[i].p_type != 0x6474e551) continue;  // PT_GNU_STACK
           const std::uint64_t at_phdr = phdr(f, i);
           put(&b, at_phdr, 1, 4);      // p_type PT_LOAD
           put(&b, at_phdr + 4, 4, 4);  // p_flags PF_R
           put(&b, at_phdr + 8, moved, 8);
           put(&b, at_phdr + 16, page, 8);
           put(&b, at_phdr + 24, page, 8);
           put(&b, at_phdr + 32, 0x1000, 8);
           put(&b, at_phdr + 40, 0x1000, 8);
           put(&b, at_phdr + 48, 0x1000, 8);
         }
         return b;
       },
       "w_fixture16: entry 1 is 0x0000 in the image, 0x7FFF in the table"},
  };
  std::size_t at[5] = {rodata, symtab, strtab, symbol_index, entries};
  for (const Case& c : cases) {
    Verdict verdict;
    const std::string line = check(c.damage(original, f, at), t, &verdict);
    EXPECT_EQ(verdict, Verdict::kFails) << c.what << ": " << line;
    EXPECT_TRUE(std::regex_match(line, std::regex(c.line))) << c.what << ": " << line;
  }
}

// A table in a shared library, which an executable reads through a copy
// relocation: the dynamic linker fills the executable's copy, and the
// library holds the table.
TEST(CheckImage, CopyRelocatedTable) {
  if (!WFAC_COPY_RELOCATION) GTEST_SKIP() << "not an ELF host";
  const ProgramRun copy = run_command(WFAC_CHECK_IMAGE, {WFAC_IMAGE_COPY, WFAC_SHARED_TABLE});
  EXPECT_EQ(copy.status, 0) << copy.err;
  EXPECT_TRUE(std::regex_match(
      copy.out, std::regex("w_shared: 48 bytes at 0x[0-9a-f]+ in \\.[a-z.]+, aligned 8: ok, filled at "
                           "load time from the shared library that defines it \\(a copy "
                           "relocation\\)\n")))
      << copy.out;
  const ProgramRun shared = run_command(WFAC_CHECK_IMAGE, {WFAC_IMAGE_SHARED, WFAC_SHARED_TABLE});
  EXPECT_EQ(shared.status, 0) << shared.err;
  EXPECT_TRUE(std::regex_match(
      shared.out, std::regex("w_shared: 48 bytes at 0x[0-9a-f]+ in \\.rodata, aligned 8: ok, as the "
                             "system loads it\n")))
      << shared.out;
}

// A damaged image is refused or fails, and is never read outside its
// bytes (the sanitizer build checks that): cut short anywhere, or with a
// byte changed. A changed byte gives one of two outcomes: the verdict of
// the whole image, where the byte does not matter to it (a section's name
// may change), or a refusal or failure; the table goes missing only when
// the byte is among the symbols or their names. A change within the table's entries always fails.
TEST(CheckImage, DamagedImagesNeverPass) {
  const std::string bytes = read_all(kFixture);
  const TableFiles t = table("w_fixture16");
  Verdict verdict;
  const std::string good = check(bytes, t, &verdict);
  ASSERT_EQ(verdict, Verdict::kHolds) << good;
  const std::size_t entries = table_offset(bytes, t);
  ASSERT_NE(entries, std::string::npos);
  ElfFile f;
  std::string error;
  ASSERT_TRUE(elf_read(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &f, &error));
  const elf::Shdr& symtab = f.sections[section_index(f, ".symtab")];
  const elf::Shdr& strtab = f.sections[section_index(f, ".strtab")];
  const std::uint64_t headers = f.header.e_shoff;
  auto among_symbols = [&](std::size_t place) {
    return (place >= symtab.sh_offset && place < symtab.sh_offset + symtab.sh_size) ||
           (place >= strtab.sh_offset && place < strtab.sh_offset + strtab.sh_size) ||
           (place >= headers && place < headers + 64 * f.sections.size());
  };

  for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8) {
    check(bytes.substr(0, cut), t, &verdict);
    EXPECT_NE(verdict, Verdict::kHolds) << "cut at " << cut;
  }
  // Every byte of the first 4 KiB (the ELF header and the segment table)
  // and of the last 8 KiB (the symbols, names and section table), each
  // byte inverted, then bytes across the whole file.
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (i < 4096 || i + 8192 >= bytes.size() || i % 97 == 0) places.push_back(i);
  for (std::size_t i = 0; i < 240; i += 7) places.push_back(entries + i);
  for (std::size_t place : places) {
    std::string damaged = bytes;
    damaged[place] = static_cast<char>(~damaged[place]);
    const std::string line = check(damaged, t, &verdict);
    if (place >= entries && place < entries + 240) {
      EXPECT_EQ(verdict, Verdict::kFails) << "byte " << place << " of the table: " << line;
    } else if (verdict == Verdict::kHolds) {
      // The same verdict; a section's name may be another.
      const std::regex name(" in [^,]*,");
      EXPECT_EQ(std::regex_replace(line, name, " in -,"), std::regex_replace(good, name, " in -,"))
          << "byte " << place;
    } else if (verdict == Verdict::kAbsent) {
      EXPECT_TRUE(among_symbols(place)) << "byte " << place << ": " << line;
    }
  }
}

}  // namespace
