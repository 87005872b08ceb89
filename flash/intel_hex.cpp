// Intel HEX: lines ":CCAAAATT<data>SS" of a byte count CC, a 16-bit
// offset AAAA, a record type TT and a checksum SS that makes the bytes
// sum to 0. Types: 00 data, 01 end of file, 02 extended segment address
// (a base of value * 16, within which the offset wraps at 64 KiB), 03
// start segment address, 04 extended linear address (a base of
// value * 65536), 05 start linear address.
#include <cstdint>
#include <string>
#include <vector>

#include "flash/flash_records.hpp"

bool read_intel_hex(const std::string& text, const std::string& name, FlashPieces* out,
                    std::string* error) {
  TextLines lines{text, 0, 0};
  std::string_view line;
  std::vector<unsigned char> record;
  std::uint64_t segment = 0;  // from the last 02 record
  std::uint64_t linear = 0;   // from the last 04 record
  std::size_t end_line = 0;   // the end-of-file record's
  while (next_line(&lines, &line)) {
    if (line.empty()) continue;
    const std::string at = name + ": line " + std::to_string(lines.number) + ": ";
    if (end_line != 0) {
      *error = at + "a record after the end-of-file record of line " + std::to_string(end_line);
      return false;
    }
    if (line[0] != ':') {
      *error = at + "does not start with ':', as a record does";
      return false;
    }
    if (!decode_hex_pairs(line, 1, at, &record, error)) return false;
    const std::size_t expected = line.size() >= 3 ? 11 + 2 * std::size_t{record[0]} : 11;
    const std::string length = record_length_error(name, lines.number, line.size(), 11, expected);
    if (!length.empty()) {
      *error = length;
      return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < record.size(); ++i) sum += record[i];
    const unsigned checksum = record.back();
    if (((sum + checksum) & 0xff) != 0) {
      *error = at + "checksum " + flash_value(checksum, 1) + ", but the record's bytes give " +
               flash_value((0x100 - (sum & 0xff)) & 0xff, 1);
      return false;
    }
    const std::size_t count = record[0];
    const std::uint64_t offset = std::uint64_t{record[1]} << 8 | record[2];
    const unsigned type = record[3];
    const unsigned char* data = record.data() + 4;
    // The data field each record type other than 00 holds.
    static const char* const kNames[] = {"data",
                                         "end-of-file",
                                         "extended segment address",
                                         "start segment address",
                                         "extended linear address",
                                         "start linear address"};
    static const std::size_t kSizes[] = {0, 0, 2, 4, 2, 4};
    if (type > 5) {
      *error = at + "record type " + flash_value(type, 1) + ", not one of 0x00 to 0x05";
      return false;
    }
    if (type != 0 && count != kSizes[type]) {
      *error = at + "the " + kNames[type] + " record's byte count is " + std::to_string(count) +
               ", not " + std::to_string(kSizes[type]);
      return false;
    }
    switch (type) {
      case 0: {
        if (segment != 0 && linear != 0) {
          *error = at + "an extended segment address (" + flash_value(segment >> 4, 2) +
                   ") and an extended linear address (" + flash_value(linear >> 16, 2) +
                   ") both apply, which readers combine differently";
          return false;
        }
        if (segment != 0 && offset + count > 0x10000) {
          *error = at + std::to_string(count) + " bytes from offset " + flash_value(offset, 2) +
                   " run past the end of segment " + flash_value(segment >> 4, 2) +
                   ", where readers differ on where they go";
          return false;
        }
        const std::uint64_t address = segment + linear + offset;
        if (address + count > std::uint64_t{1} << 32) {
          *error = at + std::to_string(count) + " bytes at " + flash_address(address) +
                   " run past the end of the 32-bit address space";
          return false;
        }
        add_piece(out, address, data, count, lines.number, 0);
        break;
      }
      case 1:
        end_line = lines.number;
        break;
      case 2:  // two bytes, as checked above
        segment = (std::uint64_t{data[0]} << 8 | data[1]) << 4;
        break;
      case 4:
        linear = (std::uint64_t{data[0]} << 8 | data[1]) << 16;
        break;
      default:  // a start address: nothing is flashed
        break;
    }
  }
  if (end_line == 0) {
    *error = name + ": no end-of-file record (:00000001FF): the file is cut short";
    return false;
  }
  return true;
}
