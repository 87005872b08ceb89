// The readers of flashed files: each format read right, and each kind of
// damage refused with its message. The records below were written by hand;
// their checksums were computed with Python while writing them (Intel HEX:
// (-sum) & 0xff of the record's bytes; S-record: ~sum & 0xff of the count,
// address and data bytes). The UF2 blocks are laid out by uf2_block() from
// the format's documentation. Files that binutils' objcopy makes from the
// fixture image must read back as that image's bytes.
#include "flash/flash_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/read_file.hpp"
#include "image/table_files.hpp"

namespace {

using Bytes = std::vector<unsigned char>;

void put32(std::string* block, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*block)[offset + i] = static_cast<char>(value >> (8 * i) & 0xff);
}

// A 512-byte UF2 block: magics "UF2\n" (0x0A324655) and 0x9E5D5157, flags,
// target address, payload size, block number, number of blocks, family
// (or file size), 476 bytes of data from byte 32, end magic 0x0AB16F30.
std::string uf2_block(std::uint32_t flags, std::uint32_t address, const std::string& payload,
                      std::uint32_t number, std::uint32_t blocks, std::uint32_t family) {
  std::string block(512, '\0');
  const std::uint32_t words[] = {
      0x0A324655, 0x9E5D5157, flags, address, static_cast<std::uint32_t>(payload.size()),
      number,     blocks,     family};
  for (std::size_t i = 0; i < 8; ++i) put32(&block, 4 * i, words[i]);
  block.replace(32, payload.size(), payload);
  put32(&block, 508, 0x0AB16F30);
  return block;
}

constexpr std::uint32_t kFamily = 0x2000;  // the family flag
constexpr std::uint32_t kRp2040 = 0xE48BFF56;
constexpr std::uint32_t kRp2350 = 0xE48BFF59;

std::string pattern(std::size_t size, int start) {
  std::string s;
  for (std::size_t i = 0; i < size; ++i)
    s += static_cast<char>((start + static_cast<int>(i)) & 0xff);
  return s;
}

std::string uf2_good() {
  return uf2_block(kFamily, 0x10000000, pattern(256, 0), 0, 4, kRp2040) +
         uf2_block(1, 0x10000000, pattern(256, 7), 1, 4, 0) +         // not main flash
         uf2_block(0x1000, 0x10000000, pattern(100, 9), 2, 4, 100) +  // a file container
         uf2_block(kFamily, 0x10000100, pattern(256, 0), 3, 4, kRp2040);
}

std::string uf2_changed(std::size_t offset, std::uint32_t value) {
  std::string file = uf2_good();
  put32(&file, offset, value);
  return file;
}

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct Block {
  std::uint64_t address;
  Bytes bytes;
};

TEST(FlashFile, ReadsEachFormatAndRefusesDamage) {
  const std::string cannot_check =
      ": a file for several boards, which cannot be checked as one image";
  const struct Case {
    const char* what;
    std::string name;
    std::string bytes;
    bool have_address;
    std::uint64_t address;
    int status;
    std::vector<Block> blocks;  // when status is 0
    std::string error;          // otherwise
  } cases[] = {
      // clang-format off
      // Intel HEX
      {"records 00 to 05, CRLF", "app.hex",
       ":020000040800F2\r\n:04001000DEADBEEFB4\r\n:0400140001020304DE\r\n:02010000AA55FE\r\n"
       ":0400000508000101ED\r\n:00000001FF\r\n",
       false, 0, 0,
       {{0x08000010, {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4}}, {0x08000100, {0xAA, 0x55}}}, ""},
      {"a segment address, one record twice", "app.hex",
       ":020000021000EC\n:020020000102DB\n:020020000102DB\n\n:00000001FF\n\n", false, 0, 0,
       {{0x10020, {1, 2}}}, ""},
      {"a bad checksum", "app.hex", ":04001000DEADBEEFB5\n:00000001FF\n", false, 0, 1, {},
       "app.hex: line 1: checksum 0xB5, but the record's bytes give 0xB4"},
      {"overlapping records that differ", "app.hex",
       ":04001000DEADBEEFB4\n:01001200BE2F\n:0100120013DA\n:00000001FF\n", false, 0, 1, {},
       "app.hex: line 3: 0x00000012 holds 0xBE from an earlier record and 0x13 here"},
      {"no end-of-file record", "app.hex", ":04001000DEADBEEFB4\n", false, 0, 1, {},
       "app.hex: no end-of-file record (:00000001FF): the file is cut short"},
      {"a record after the end", "app.hex", ":00000001FF\n:04001000DEADBEEFB4\n", false, 0, 1, {},
       "app.hex: line 2: a record after the end-of-file record of line 1"},
      {"a line cut short", "app.hex", ":04001000DEADBE\n:00000001FF\n", false, 0, 1, {},
       "app.hex: line 1 is cut short: 15 of its 19 characters"},
      {"not a hex digit", "app.hex", ":04001000DEADBEGFB4\n", false, 0, 1, {},
       "app.hex: line 1: character 16 is 'G', not a hex digit"},
      {"across the end of a segment", "app.hex",
       ":020000021000EC\n:10FFF80000000000000000000000000000000000F9\n:00000001FF\n", false, 0, 1,
       {},
       "app.hex: line 2: 16 bytes from offset 0xFFF8 run past the end of segment 0x1000, where "
       "readers differ on where they go"},
      // S-record
      {"S0, S3, S5 and S7", "app.srec",
       "S00700007766616357\nS309080000000011223388\nS309080000044455667774\nS306080001008868\n"
       "S5030003F9\nS70508000000F2\n",
       false, 0, 0,
       {{0x08000000, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}}, {0x08000100, {0x88}}}, ""},
      {"S1 and S9, CRLF", "app.srec", "S1051234CAFEEC\r\nS9030000FC\r\n", false, 0, 0,
       {{0x1234, {0xCA, 0xFE}}}, ""},
      {"an S-record's bad checksum", "app.srec", "S1051234CAFEED\nS9030000FC\n", false, 0, 1, {},
       "app.srec: line 1: checksum 0xED, but the record's bytes give 0xEC"},
      {"a wrong count", "app.srec", "S309080000000011223388\nS5030002FA\nS70508000000F2\n", false,
       0, 1, {},
       "app.srec: line 2: the S5 record counts 2 data records, where the file has 1 before it"},
      {"no S7, S8 or S9", "app.srec", "S1051234CAFEEC\n", false, 0, 1, {},
       "app.srec: no S7, S8 or S9 record to end it: the file is cut short"},
      {"past 16 bits", "app.srec", "S106FFFE010203F6\nS9030000FC\n", false, 0, 1, {},
       "app.srec: line 1: 3 bytes at 0x0000fffe run past the end of an S1 record's 16-bit "
       "address space"},
      // UF2
      {"UF2 with a family, a comment and a file", "app.uf2", uf2_good(), false, 0, 0,
       {{0x10000000, bytes_of(pattern(256, 0) + pattern(256, 0))}}, ""},
      {"a truncated UF2", "app.uf2", uf2_good().substr(0, 512 + 200), false, 0, 1, {},
       "app.uf2: block 1 is cut short: 200 of its 512 bytes"},
      {"a wrong magic", "app.uf2", uf2_changed(512 + 508, 0x0AB16F31), false, 0, 1, {},
       "app.uf2: block 1: magic 0x0AB16F31 at byte 508, where a UF2 block has 0x0AB16F30"},
      {"a payload too large", "app.uf2", uf2_changed(3 * 512 + 16, 477), false, 0, 1, {},
       "app.uf2: block 3: payload size 477, more than the 476 bytes a block holds"},
      {"two families at one address", "app.uf2",
       uf2_block(kFamily, 0x10000000, "\x12", 0, 1, kRp2040) +
           uf2_block(kFamily, 0x10000000, "\x13", 0, 1, kRp2350),
       false, 0, 1, {},
       "app.uf2: block 1 (family 0xE48BFF59) puts 0x13 at 0x10000000, where block 0 (family "
       "0xE48BFF56) puts 0x12" + cannot_check},
      // Raw binary, and what is no format at all
      {"a raw binary", "app.bin", "\x01\x02\x03", true, 0x08000000, 0, {{0x08000000, {1, 2, 3}}},
       ""},
      {"a HEX file named with an address", "app.hex", ":00000001FF\n", true, 0x100, 0,
       {{0x100, bytes_of(":00000001FF\n")}}, ""},
      {"a raw binary without its address", "app.bin", "\x01\x02", false, 0, 2, {},
       "app.bin: not an Intel HEX, S-record or UF2 file; a raw binary is given with its load "
       "address, as app.bin@ADDRESS"},
      {"a raw binary past 2^64", "app.bin", "\x01\x02\x03", true, 0xFFFFFFFFFFFFFFFEu, 2, {},
       "app.bin: its 3 bytes from 0xfffffffffffffffe run past the end of the 64-bit address "
       "space"},
      {"an empty file", "app.hex", "", false, 0, 1, {}, "app.hex: is empty"},
      // clang-format on
  };
  for (const Case& c : cases) {
    FlashFile file;
    std::string error;
    const int status = parse_flash_file(c.bytes, c.name, c.have_address, c.address, &file, &error);
    EXPECT_EQ(status, c.status) << c.what << ": " << error;
    if (status != 0) {
      EXPECT_EQ(error, c.error) << c.what;
      continue;
    }
    EXPECT_EQ(file.view.name, c.name) << c.what;
    ASSERT_EQ(file.view.blocks.size(), c.blocks.size()) << c.what << ": " << view_ranges(file.view);
    for (std::size_t i = 0; i < c.blocks.size(); ++i) {
      EXPECT_EQ(file.view.blocks[i].address, c.blocks[i].address) << c.what << ", block " << i;
      EXPECT_EQ(file.view.blocks[i].bytes, c.blocks[i].bytes) << c.what << ", block " << i;
    }
  }
}

TEST(FlashFile, SplitsFileAndAddress) {
  const std::string not_a_number =
      " is not a number (hex with 0x, as 0x08000000, or decimal without leading zeros)";
  const struct {
    std::string argument;
    int status;
    std::string path;
    bool have_address;
    std::uint64_t address;
    std::string error;
  } cases[] = {
      // clang-format off
      {"app.bin@0x08000000", 0, "app.bin", true, 0x08000000, ""},
      {"app.bin@134217728", 0, "app.bin", true, 0x08000000, ""},
      {"a@b@0X10", 0, "a@b", true, 0x10, ""},
      {"me@home/app.hex", 0, "me@home/app.hex", false, 0, ""},
      {"ci/fw@2/app.hex", 0, "ci/fw@2/app.hex", false, 0, ""},
      {"app@2.hex", 0, "app@2.hex", false, 0, ""},
      {"app.bin@0x0800z000", 2, "", false, 0,
       "app.bin@0x0800z000: the address 0x0800z000" + not_a_number},
      {"app.bin@08000000", 2, "", false, 0,
       "app.bin@08000000: the address 08000000" + not_a_number},
      {"app.bin@0x10000000000000000", 2, "", false, 0,
       "app.bin@0x10000000000000000: the address 0x10000000000000000 does not fit in 64 bits"},
      {"@0x100", 2, "", false, 0, "@0x100: no file before the @"},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::string path, error;
    bool have_address = false;
    std::uint64_t address = 0;
    EXPECT_EQ(split_flash_argument(c.argument, &path, &have_address, &address, &error), c.status)
        << c.argument;
    if (c.status != 0) {
      EXPECT_EQ(error, c.error);
      continue;
    }
    EXPECT_EQ(path, c.path) << c.argument;
    EXPECT_EQ(have_address, c.have_address) << c.argument;
    EXPECT_EQ(address, c.address) << c.argument;
  }
}

// objcopy's Intel HEX (at the image's addresses + 0x08000000), S-record and
// raw binary of the fixture image, and its .rodata alone as an S-record at
// 0x20000000, made when the fixture is linked.
TEST(FlashFile, ObjcopyFilesHoldTheImagesBytes) {
#if !WFAC_FLASH_FIXTURES
  if (const char* ci = std::getenv("CI"); ci && std::strcmp(ci, "true") == 0)
    FAIL() << "objcopy (binutils) not found, under CI";
  GTEST_SKIP() << "skipped: objcopy (binutils) not found, or the image is not ELF";
#else
  const std::string image = WFAC_IMAGE_FIXTURE;
  std::string bin, rodata, error;
  ASSERT_TRUE(read_regular_file(image + ".bin", &bin, &error)) << error;
  ASSERT_TRUE(read_regular_file(image + ".rodata.bin", &rodata, &error)) << error;

  FlashFile hex, srec, raw, section;
  ASSERT_EQ(read_flash_file(image + ".hex", &hex, &error), 0) << error;
  EXPECT_EQ(hex.format, FlashFormat::kIntelHex);
  ASSERT_FALSE(hex.view.blocks.empty());
  const std::uint64_t start = hex.view.blocks[0].address;  // the binary's first byte
  // The binary is the HEX file's bytes with the gaps between them zero.
  std::string filled(bin.size(), '\0');
  for (const MemoryBlock& b : hex.view.blocks) {
    ASSERT_LE(b.address - start + b.bytes.size(), bin.size()) << view_ranges(hex.view);
    std::copy(b.bytes.begin(), b.bytes.end(),
              filled.begin() + static_cast<long>(b.address - start));
  }
  EXPECT_TRUE(filled == bin) << view_ranges(hex.view);

  ASSERT_EQ(read_flash_file(image + ".srec", &srec, &error), 0) << error;
  EXPECT_EQ(srec.format, FlashFormat::kSrecord);
  ASSERT_EQ(srec.view.blocks.size(), hex.view.blocks.size()) << view_ranges(srec.view);
  for (std::size_t i = 0; i < srec.view.blocks.size(); ++i) {
    EXPECT_EQ(srec.view.blocks[i].address + 0x08000000, hex.view.blocks[i].address);
    EXPECT_TRUE(srec.view.blocks[i].bytes == hex.view.blocks[i].bytes) << "block " << i;
  }

  ASSERT_EQ(read_flash_file(image + ".bin@" + std::to_string(start), &raw, &error), 0) << error;
  EXPECT_EQ(raw.format, FlashFormat::kRawBinary);
  EXPECT_EQ(raw.path, image + ".bin");
  ASSERT_EQ(raw.view.blocks.size(), 1u);
  EXPECT_TRUE(raw.view.blocks[0].bytes == bytes_of(bin));

  ASSERT_EQ(read_flash_file(image + ".rodata.srec", &section, &error), 0) << error;
  ASSERT_EQ(section.view.blocks.size(), 1u) << view_ranges(section.view);
  EXPECT_EQ(section.view.blocks[0].address, 0x20000000u);
  EXPECT_TRUE(section.view.blocks[0].bytes == bytes_of(rodata));

  // The table's entries, little-endian, are in the HEX file where the
  // binary holds them.
  TableFiles table;
  ASSERT_TRUE(read_table_files(std::string(WFAC_IMAGE_TABLES) + "/w_fixture16.h", &table, &error))
      << error;
  std::string entries;
  for (std::int32_t entry : table.entries)
    for (int b = 0; b < table.entry_bytes; ++b)
      entries += static_cast<char>((static_cast<std::uint32_t>(entry) >> (8 * b)) & 0xff);
  const std::size_t at = bin.find(entries);
  ASSERT_NE(at, std::string::npos);
  std::string held;
  ASSERT_TRUE(view_bytes(hex.view, start + at, entries.size(), &held));
  EXPECT_TRUE(held == entries);

  // A HEX file named with an address is a raw binary; a folder is no file.
  FlashFile as_raw;
  ASSERT_EQ(read_flash_file(image + ".hex@0x100", &as_raw, &error), 0) << error;
  EXPECT_EQ(as_raw.format, FlashFormat::kRawBinary);
  EXPECT_EQ(as_raw.view.blocks[0].address, 0x100u);
  EXPECT_EQ(read_flash_file(WFAC_EMPTY_DIR, &as_raw, &error), 1);
  EXPECT_EQ(error, std::string(WFAC_EMPTY_DIR) + ": is a folder, not a file");
#endif
}

}  // namespace
