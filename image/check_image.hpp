// The checks of wfac_check_image: that a linked ELF image holds a table
// where the CPU reads it, aligned, loaded, not cleared at start-up, and
// byte for byte as the table file gives it.
#pragma once

#include <string>

#include "image/elf_image.hpp"
#include "image/table_files.hpp"

// The image's symbols, and the bounds of the memory that start-up code
// clears where the image names them.
struct ImageSymbols {
  ElfSection symbols;
  ElfSection names;
  struct Range {
    const char* first;
    const char* last;
    std::uint64_t start;
    std::uint64_t end;
    bool found;
  } cleared[3];
};

enum class Verdict { kHolds, kAbsent, kFails };

// Finds the symbol table; false, with *error set, when the image has none.
bool find_symbols(const ElfImage& image, ImageSymbols* symbols, std::string* error);

// Checks one table; sets *line to the report, "<name>: ...", without a
// newline.
Verdict check_table(const ElfImage& image, const ImageSymbols& symbols, const TableFiles& table,
                    std::string* line);

// The whole program: wfac_check_image IMAGE TABLE... Returns the exit
// status: 0 when every table holds, 1 when one does not or a file cannot
// be read, 2 for a wrong command line.
int run_check_image(int argc, char** argv);
