// Reading a file that is programmed into a board: Intel HEX, Motorola
// S-record and UF2, told apart by their content, and a raw binary, which
// is given with its load address (FILE@ADDRESS). Each gives the bytes it
// places at each address, the view the checks compare with the image's.
#pragma once

#include <cstdint>
#include <string>

#include "image/memory_view.hpp"

enum class FlashFormat { kIntelHex, kSrecord, kUf2, kRawBinary };

struct FlashFile {
  std::string path;  // the file, without @ADDRESS
  FlashFormat format;
  MemoryView view;  // its bytes by address; view.name is path
};

// "Intel HEX", "S-record", "UF2", "raw binary".
const char* flash_format_name(FlashFormat format);

// Splits FILE or FILE@ADDRESS at the last '@', when a digit follows it and
// no '.', '/' or backslash ("ci/fw@2/app.hex" and "app@2.hex" are files);
// the address is hex with 0x (0x08000000) or decimal (134217728). Returns
// 0, or 2 with *error naming the argument when the address is not a
// number or no file comes before it.
int split_flash_argument(const std::string& argument, std::string* path, bool* have_address,
                         std::uint64_t* address, std::string* error);

// Reads the flashed file that argument (FILE or FILE@ADDRESS) names into
// *file. Returns 0; 1 when the file cannot be read or is damaged; 2 when
// the argument is wrong (an address that is not a number, a file in none
// of the formats given without @ADDRESS). *error is then one message that
// names the file, and the line or block where it is damaged.
int read_flash_file(const std::string& argument, FlashFile* file, std::string* error);

// The same on a file's bytes; name is the file's, for messages. With
// have_address the bytes are a raw binary loaded at address, whatever
// they hold.
int parse_flash_file(const std::string& bytes, const std::string& name, bool have_address,
                     std::uint64_t address, FlashFile* file, std::string* error);
