// The entries of a table as a program writes it, read with the parser of
// wfac_check_image (image/table_files.hpp): the one reader of entry text
// for the tests and, through wfac_print_entries, for the test scripts and
// the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TableText {
  int entry_width = 0;  // 16 (short) or 32 (int)
  std::vector<std::int32_t> entries;
};

// Reads the declaration "const short w[2 * K] =" (or int) and the 2K
// entries that follow it. On failure returns false and sets *error to what
// is wrong.
bool read_table_text(const std::string& text, TableText* table, std::string* error);
