// Reading a table as the writer leaves it: the header <stem>.h, which gives
// the array's name, entry type, length and alignment, and the table
// <stem>.c beside it, which gives the entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TableFiles {
  std::string name;  // the array's name
  int entry_bytes;   // 2 (short) or 4 (int)
  std::uint64_t align;
  std::vector<std::int32_t> entries;
};

// Reads the header at header_path and the table beside it. On failure
// returns false and sets *error to a message that names the file.
bool read_table_files(const std::string& header_path, TableFiles* table, std::string* error);

// The same from the two files' texts; the names are only for messages.
bool parse_table_files(const std::string& header_text, const std::string& header_name,
                       const std::string& table_text, const std::string& table_name,
                       TableFiles* table, std::string* error);

// The entries of a table's text after its declaration at from: after the
// "{" that follows, each a sign column and 0x with upper-case hex digits,
// separated by commas, up to "}". False on any other text, or an entry out
// of the range of entry_bytes (2 or 4).
bool parse_table_entries(const std::string& text, std::size_t from, int entry_bytes,
                         std::vector<std::int32_t>* entries);
