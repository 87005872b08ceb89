// Motorola S-record: lines "S<type><count><address><data><checksum>", the
// count covering the address, data and checksum bytes, and the checksum
// the ones' complement of their sum's low byte. S0 is a header, S1, S2
// and S3 data at 16-, 24- and 32-bit addresses, S5 and S6 the number of
// data records before them, S7, S8 and S9 the start address that ends
// the file. S4 is reserved.
#include <cstdint>
#include <string>
#include <vector>

#include "flash/flash_records.hpp"

bool read_srecord(const std::string& text, const std::string& name, FlashPieces* out,
                  std::string* error) {
  // Address bytes by record type; 0 for the reserved S4.
  static const std::size_t kAddressBytes[] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
  TextLines lines{text, 0, 0};
  std::string_view line;
  std::vector<unsigned char> record;
  std::uint64_t data_records = 0;
  std::size_t end_line = 0;  // the S7, S8 or S9 record's
  unsigned end_type = 0;
  while (next_line(&lines, &line)) {
    if (line.empty()) continue;
    const std::string at = name + ": line " + std::to_string(lines.number) + ": ";
    if (end_line != 0) {
      *error = at + "a record after the S" + std::to_string(end_type) + " record of line " +
               std::to_string(end_line) + ", which ends the file";
      return false;
    }
    if (line[0] != 'S') {
      *error = at + "does not start with 'S', as a record does";
      return false;
    }
    if (line.size() < 2 || line[1] < '0' || line[1] > '9') {
      *error = at + "record type '" + std::string(line.substr(0, 2)) + "', not S0 to S9";
      return false;
    }
    const unsigned type = static_cast<unsigned>(line[1] - '0');
    const std::string label = "S" + std::to_string(type);
    if (type == 4) {
      *error = at + "S4 is a reserved record type";
      return false;
    }
    if (!decode_hex_pairs(line, 2, at, &record, error)) return false;
    const std::size_t expected = line.size() >= 4 ? 4 + 2 * std::size_t{record[0]} : 4;
    const std::string length = record_length_error(name, lines.number, line.size(), 4, expected);
    if (!length.empty()) {
      *error = length;
      return false;
    }
    const std::size_t count = record[0];
    const std::size_t address_bytes = kAddressBytes[type];
    if (count < address_bytes + 1 || (type >= 5 && count != address_bytes + 1)) {
      *error = at + "the " + label + " record's byte count is " + std::to_string(count) +
               (type >= 5 ? ", not " + std::to_string(address_bytes + 1)
                          : ", too few for its " + std::to_string(address_bytes) +
                                "-byte address and checksum");
      return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < record.size(); ++i) sum += record[i];
    const unsigned checksum = record.back();
    if (((sum + checksum) & 0xff) != 0xff) {
      *error = at + "checksum " + flash_value(checksum, 1) + ", but the record's bytes give " +
               flash_value(~sum & 0xff, 1);
      return false;
    }
    std::uint64_t address = 0;
    for (std::size_t i = 0; i < address_bytes; ++i) address = address << 8 | record[1 + i];
    const unsigned char* data = record.data() + 1 + address_bytes;
    const std::size_t size = count - address_bytes - 1;
    if (type >= 1 && type <= 3) {
      ++data_records;
      if (address + size > std::uint64_t{1} << (8 * address_bytes)) {
        *error = at + std::to_string(size) + " bytes at " + flash_address(address) +
                 " run past the end of an " + label + " record's " +
                 std::to_string(8 * address_bytes) + "-bit address space";
        return false;
      }
      add_piece(out, address, data, size, lines.number, 0);
    } else if (type == 5 || type == 6) {
      if (address != data_records) {
        *error = at + "the " + label + " record counts " + std::to_string(address) +
                 " data records, where the file has " + std::to_string(data_records) + " before it";
        return false;
      }
    } else if (type >= 7) {
      end_line = lines.number;
      end_type = type;
    }
  }
  if (end_line == 0) {
    *error = name + ": no S7, S8 or S9 record to end it: the file is cut short";
    return false;
  }
  return true;
}
