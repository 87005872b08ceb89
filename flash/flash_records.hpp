// What the reader of each flashed format gives flash_file.cpp, which
// makes it the file's view: the bytes each record or block places, and
// where in the file it stands, for messages. A new format is one reader
// of this kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct FlashPiece {
  std::uint64_t address;
  std::size_t offset;  // of its bytes in FlashPieces::bytes
  std::size_t size;
  std::size_t where;    // its line (from 1) or block (from 0)
  std::uint64_t group;  // pieces of different groups are for different boards (UF2 families)
};

struct FlashPieces {
  const char* unit;  // "line" or "block"
  const char* kind;  // "record" or "block"
  std::vector<unsigned char> bytes;
  std::vector<FlashPiece> pieces;
};

// Adds size bytes at address, from where in the file.
void add_piece(FlashPieces* out, std::uint64_t address, const unsigned char* bytes,
               std::size_t size, std::size_t where, std::uint64_t group);

// Each reader: false with *error (naming the file as name, and the line or
// block) when the file is damaged.
bool read_intel_hex(const std::string& text, const std::string& name, FlashPieces* out,
                    std::string* error);
bool read_srecord(const std::string& text, const std::string& name, FlashPieces* out,
                  std::string* error);
bool read_uf2(const std::string& data, const std::string& name, FlashPieces* out,
              std::string* error);

// For messages: an address as 0x08000010, a value of bytes bytes as 0x3C.
std::string flash_address(std::uint64_t address);
std::string flash_value(std::uint64_t value, int bytes);

// The lines of a text file, LF or CRLF, numbered from 1.
struct TextLines {
  const std::string& text;
  std::size_t at;
  std::size_t number;
};

// The next line, without its line end, in *line; false at the end of the text.
bool next_line(TextLines* lines, std::string_view* line);

// Decodes the hex digit pairs of line from character from on into *bytes;
// false with *error ("<prefix>character 12 is 'G', not a hex digit") when
// one is not a hex digit. A last digit without its pair is left out.
bool decode_hex_pairs(std::string_view line, std::size_t from, const std::string& prefix,
                      std::vector<unsigned char>* bytes, std::string* error);

// How a record's length went wrong, or "" when it is right: "line 3 is cut
// short: 41 of its 43 characters", "line 3 is too long: ...". minimum is
// what a record needs before its length can be read.
std::string record_length_error(const std::string& name, std::size_t line, std::size_t length,
                                std::size_t minimum, std::size_t expected);
