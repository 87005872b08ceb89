// UF2: 512-byte blocks, each its own: magics at bytes 0, 4 and 508, then
// little-endian 32-bit flags (8), target address (12), payload size (16),
// block number (20), number of blocks (24) and file size or, with the
// family flag, the board family (28); the payload starts at byte 32.
#include <cstdint>
#include <string>

#include "flash/flash_records.hpp"

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::size_t kMaxPayload = 476;
constexpr std::uint32_t kMagicStart0 = 0x0A324655;  // "UF2\n"
constexpr std::uint32_t kMagicStart1 = 0x9E5D5157;
constexpr std::uint32_t kMagicEnd = 0x0AB16F30;
constexpr std::uint32_t kNotMainFlash = 0x00000001;   // comments, debug information
constexpr std::uint32_t kFileContainer = 0x00001000;  // a file, not flash contents
constexpr std::uint32_t kFamilyPresent = 0x00002000;

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

}  // namespace

bool read_uf2(const std::string& data, const std::string& name, FlashPieces* out,
              std::string* error) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (std::size_t n = 0; n * kBlock < data.size(); ++n) {
    const std::string at = name + ": block " + std::to_string(n);
    const std::size_t left = data.size() - n * kBlock;
    if (left < kBlock) {
      *error = at + " is cut short: " + std::to_string(left) + " of its 512 bytes";
      return false;
    }
    const unsigned char* block = bytes + n * kBlock;
    static const struct {
      std::size_t offset;
      std::uint32_t value;
    } kMagics[] = {{0, kMagicStart0}, {4, kMagicStart1}, {508, kMagicEnd}};
    for (const auto& magic : kMagics) {
      const std::uint32_t found = le32(block + magic.offset);
      if (found != magic.value) {
        *error = at + ": magic " + flash_value(found, 4) + " at byte " +
                 std::to_string(magic.offset) + ", where a UF2 block has " +
                 flash_value(magic.value, 4);
        return false;
      }
    }
    const std::uint32_t flags = le32(block + 8);
    const std::uint32_t address = le32(block + 12);
    const std::uint32_t size = le32(block + 16);
    const std::uint32_t number = le32(block + 20);
    const std::uint32_t blocks = le32(block + 24);
    const std::uint32_t family = le32(block + 28);
    if (size > kMaxPayload) {
      *error = at + ": payload size " + std::to_string(size) + ", more than the " +
               std::to_string(kMaxPayload) + " bytes a block holds";
      return false;
    }
    if (number >= blocks) {
      *error = at + ": block number " + std::to_string(number) + " of " + std::to_string(blocks) +
               " blocks (numbered from 0)";
      return false;
    }
    if (flags & (kNotMainFlash | kFileContainer)) continue;
    if (std::uint64_t{address} + size > std::uint64_t{1} << 32) {
      *error = at + ": " + std::to_string(size) + " bytes at " + flash_address(address) +
               " run past the end of the 32-bit address space";
      return false;
    }
    // Blocks without a family form a group of their own, above every family.
    const std::uint64_t group = flags & kFamilyPresent ? family : std::uint64_t{1} << 32;
    add_piece(out, address, block + 32, size, n, group);
  }
  return true;
}
