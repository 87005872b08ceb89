#include "flash/flash_file.hpp"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "flash/flash_records.hpp"
#include "image/read_file.hpp"

namespace {

// A UF2 file starts with the first magic of its first block, "UF2\n".
bool looks_like_uf2(const std::string& bytes) { return bytes.compare(0, 4, "UF2\n") == 0; }

// The first character of the first line that is not empty.
char first_character(const std::string& bytes) {
  const std::size_t at = bytes.find_first_not_of("\r\n");
  return at == std::string::npos ? '\0' : bytes[at];
}

char second_character(const std::string& bytes) {
  const std::size_t at = bytes.find_first_not_of("\r\n");
  return at == std::string::npos || at + 1 >= bytes.size() ? '\0' : bytes[at + 1];
}

// A UF2 block's group: its board family, or none (above 32 bits).
std::string family(std::uint64_t group) {
  return group >> 32 ? "no family" : "family " + flash_value(group, 4);
}

// The file's view from its pieces, taken in address order so that a view
// of records in any order costs what one in order costs. Two pieces that
// place different bytes at one address make the file damaged; the
// message names the later of the two in the file.
int build_view(const FlashPieces& in, const std::string& name, MemoryView* view,
               std::string* error) {
  std::vector<std::size_t> order(in.pieces.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&in](std::size_t a, std::size_t b) {
    return in.pieces[a].address < in.pieces[b].address;
  });
  view->name = name;
  view->blocks.clear();
  for (std::size_t k = 0; k < order.size(); ++k) {
    const FlashPiece& piece = in.pieces[order[k]];
    std::uint64_t conflict = 0;
    if (view_add(view, piece.address, in.bytes.data() + piece.offset, piece.size,
                 Overlap::kMustAgree, &conflict))
      continue;
    // The piece that placed the byte held there: one before in address
    // order that covers it.
    const FlashPiece* held = nullptr;
    for (std::size_t j = k; j-- > 0;) {
      const FlashPiece& p = in.pieces[order[j]];
      if (p.address <= conflict && conflict - p.address < p.size) {
        held = &p;
        break;
      }
    }
    if (held == nullptr) {
      // Only bytes that run past 2^64 - 1 are refused without a conflict.
      *error = name + ": " + in.unit + " " + std::to_string(piece.where) + ": " +
               std::to_string(piece.size) + " bytes at " + flash_address(piece.address) +
               " run past the end of the address space";
      return 1;
    }
    const FlashPiece* first = held;
    const FlashPiece* second = &piece;
    if (held->where > piece.where) std::swap(first, second);
    const unsigned first_byte = in.bytes[first->offset + (conflict - first->address)];
    const unsigned second_byte = in.bytes[second->offset + (conflict - second->address)];
    if (first->group != second->group) {
      *error = name + ": " + in.unit + " " + std::to_string(second->where) + " (" +
               family(second->group) + ") puts " + flash_value(second_byte, 1) + " at " +
               flash_address(conflict) + ", where " + in.unit + " " + std::to_string(first->where) +
               " (" + family(first->group) + ") puts " + flash_value(first_byte, 1) +
               ": a file for several boards, which cannot be checked as one image";
    } else {
      *error = name + ": " + in.unit + " " + std::to_string(second->where) + ": " +
               flash_address(conflict) + " holds " + flash_value(first_byte, 1) +
               " from an earlier " + in.kind + " and " + flash_value(second_byte, 1) + " here";
    }
    return 1;
  }
  return 0;
}

}  // namespace

const char* flash_format_name(FlashFormat format) {
  switch (format) {
    case FlashFormat::kIntelHex:
      return "Intel HEX";
    case FlashFormat::kSrecord:
      return "S-record";
    case FlashFormat::kUf2:
      return "UF2";
    case FlashFormat::kRawBinary:
      return "raw binary";
  }
  return "raw binary";
}

std::string flash_address(std::uint64_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(address));
  return text;
}

std::string flash_value(std::uint64_t value, int bytes) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", 2 * bytes, static_cast<unsigned long long>(value));
  return text;
}

void add_piece(FlashPieces* out, std::uint64_t address, const unsigned char* bytes,
               std::size_t size, std::size_t where, std::uint64_t group) {
  if (size == 0) return;
  out->pieces.push_back(FlashPiece{address, out->bytes.size(), size, where, group});
  out->bytes.insert(out->bytes.end(), bytes, bytes + size);
}

bool next_line(TextLines* lines, std::string_view* line) {
  if (lines->at >= lines->text.size()) return false;
  const std::size_t end = lines->text.find('\n', lines->at);
  const std::size_t stop = end == std::string::npos ? lines->text.size() : end;
  std::size_t length = stop - lines->at;
  if (length > 0 && lines->text[stop - 1] == '\r') --length;
  *line = std::string_view(lines->text).substr(lines->at, length);
  lines->at = end == std::string::npos ? lines->text.size() : end + 1;
  ++lines->number;
  return true;
}

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool decode_hex_pairs(std::string_view line, std::size_t from, const std::string& prefix,
                      std::vector<unsigned char>* bytes, std::string* error) {
  bytes->clear();
  for (std::size_t i = from; i < line.size(); ++i) {
    if (hex_digit(line[i]) >= 0) continue;
    const unsigned char c = static_cast<unsigned char>(line[i]);
    const std::string what = c > 0x20 && c < 0x7f ? "'" + std::string(1, line[i]) + "'"
                                                  : "the byte " + flash_value(c, 1);
    *error = prefix + "character " + std::to_string(i + 1) + " is " + what + ", not a hex digit";
    return false;
  }
  for (std::size_t i = from; i + 1 < line.size(); i += 2)
    bytes->push_back(static_cast<unsigned char>(16 * hex_digit(line[i]) + hex_digit(line[i + 1])));
  return true;
}

std::string record_length_error(const std::string& name, std::size_t line, std::size_t length,
                                std::size_t minimum, std::size_t expected) {
  const std::string at = name + ": line " + std::to_string(line);
  if (length < minimum)
    return at + " is cut short: " + std::to_string(length) + " of a record's at least " +
           std::to_string(minimum) + " characters";
  if (length < expected)
    return at + " is cut short: " + std::to_string(length) + " of its " + std::to_string(expected) +
           " characters";
  if (length > expected)
    return at + " is too long: " + std::to_string(length) +
           " characters, where its byte count gives " + std::to_string(expected);
  return "";
}

int split_flash_argument(const std::string& argument, std::string* path, bool* have_address,
                         std::uint64_t* address, std::string* error) {
  *path = argument;
  *have_address = false;
  *address = 0;
  // What follows the last '@' is an address when it starts with a digit
  // and holds no '.', '/' or backslash: "ci/fw@2/app.hex" (a folder CI
  // servers name so) and "app@2.hex" are files.
  const std::size_t at = argument.rfind('@');
  if (at == std::string::npos || at + 1 == argument.size() || argument[at + 1] < '0' ||
      argument[at + 1] > '9' || argument.find_first_of("./\\", at) != std::string::npos) {
    if (argument.empty()) {
      *error = "an empty file name";
      return 2;
    }
    return 0;
  }
  const std::string text = argument.substr(at + 1);
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  std::uint64_t value = 0;
  bool fits = true;
  bool number = hex || text == "0" || text[0] != '0';
  for (std::size_t i = hex ? 2 : 0; number && i < text.size(); ++i) {
    const int digit =
        hex ? hex_digit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) {
      number = false;
      break;
    }
    const std::uint64_t base = hex ? 16 : 10;
    if (value > (~std::uint64_t{0} - static_cast<std::uint64_t>(digit)) / base) fits = false;
    value = value * base + static_cast<std::uint64_t>(digit);
  }
  if (!number) {
    *error = argument + ": the address " + text +
             " is not a number (hex with 0x, as 0x08000000, or decimal without leading zeros)";
    return 2;
  }
  if (!fits) {
    *error = argument + ": the address " + text + " does not fit in 64 bits";
    return 2;
  }
  if (at == 0) {
    *error = argument + ": no file before the @";
    return 2;
  }
  *path = argument.substr(0, at);
  *have_address = true;
  *address = value;
  return 0;
}

int parse_flash_file(const std::string& bytes, const std::string& name, bool have_address,
                     std::uint64_t address, FlashFile* file, std::string* error) {
  file->path = name;
  file->view = MemoryView{name, {}};
  if (bytes.empty()) {
    *error = name + ": is empty";
    return 1;
  }
  FlashPieces pieces{"line", "record", {}, {}};
  if (have_address) {
    file->format = FlashFormat::kRawBinary;
    if (bytes.size() > ~address) {
      *error = name + ": its " + std::to_string(bytes.size()) + " bytes from " +
               flash_address(address) + " run past the end of the 64-bit address space";
      return 2;
    }
    // One block, added at once: a raw binary can be large (the gap from
    // flash to RAM makes one of hundreds of megabytes).
    std::uint64_t conflict = 0;
    view_add(&file->view, address, reinterpret_cast<const unsigned char*>(bytes.data()),
             bytes.size(), Overlap::kMustAgree, &conflict);
    return 0;
  } else if (looks_like_uf2(bytes)) {
    file->format = FlashFormat::kUf2;
    pieces.unit = "block";
    pieces.kind = "block";
    if (!read_uf2(bytes, name, &pieces, error)) return 1;
  } else if (first_character(bytes) == ':') {
    file->format = FlashFormat::kIntelHex;
    if (!read_intel_hex(bytes, name, &pieces, error)) return 1;
  } else if (first_character(bytes) == 'S' && second_character(bytes) >= '0' &&
             second_character(bytes) <= '9') {
    file->format = FlashFormat::kSrecord;
    if (!read_srecord(bytes, name, &pieces, error)) return 1;
  } else {
    file->format = FlashFormat::kRawBinary;
    *error = name +
             ": not an Intel HEX, S-record or UF2 file; a raw binary is given with "
             "its load address, as " +
             name + "@ADDRESS";
    return 2;
  }
  return build_view(pieces, name, &file->view, error);
}

int read_flash_file(const std::string& argument, FlashFile* file, std::string* error) {
  std::string path;
  bool have_address = false;
  std::uint64_t address = 0;
  if (const int status = split_flash_argument(argument, &path, &have_address, &address, error))
    return status;
  std::string bytes;
  if (!read_regular_file(path, &bytes, error)) return 1;
  return parse_flash_file(bytes, path, have_address, address, file, error);
}
