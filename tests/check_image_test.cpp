// wfac_check_image on a host image that holds two tables, and on that
// image damaged: cut short, bytes changed, tables that do not match it.
#include <gtest/gtest.h>

#include <cstdint>
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
  };
  for (const auto& c : cases) {
    const ProgramRun run = run_command(WFAC_CHECK_IMAGE, c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, "");
    ASSERT_GE(run.err.size(), c.err_end.size());
    EXPECT_EQ(run.err.substr(run.err.size() - c.err_end.size()), c.err_end);
  }
  const ProgramRun help = run_command(WFAC_CHECK_IMAGE, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: wfac_check_image [OPTION]... IMAGE TABLE...\n", 0), 0u) << help.out;
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

// A damaged image is refused or fails, and is never read outside its
// bytes (the sanitizer build checks that): cut short anywhere, or with a
// byte changed. A change within the table's entries always fails.
TEST(CheckImage, DamagedImagesNeverPass) {
  const std::string bytes = read_all(kFixture);
  const TableFiles t = table("w_fixture16");
  Verdict verdict;
  ASSERT_EQ(check(bytes, t, &verdict).substr(0, 12), "w_fixture16:");
  ASSERT_EQ(verdict, Verdict::kHolds);
  const std::size_t entries = table_offset(bytes, t);
  ASSERT_NE(entries, std::string::npos);

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
    }
  }
}

}  // namespace
