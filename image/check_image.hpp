// The checks of wfac_check_image: that a linked ELF image holds a table
// where the CPU reads it when main starts, and that each file flashed
// from the image holds it where it is loaded from. The ELF reader
// (image/elf.hpp) reads; this decides.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/elf.hpp"
#include "image/memory_view.hpp"
#include "image/table_files.hpp"

enum class Verdict { kHolds, kAbsent, kFails };

// What the command line asks beyond the image and its tables.
struct CheckOptions {
  std::string until = "main";             // where the proof at start-up stops
  std::vector<std::string> skip;          // functions that return at once during it
  std::vector<std::string> assume_copied;  // sections taken as copied without a run
  std::vector<MemoryView> flash;           // the files that are programmed
  // The bounds of each run of the start-up code.
  std::uint64_t instruction_budget = 100000000;
  unsigned wall_clock_ms = 10000;
};

// Checks every table in the image; sets lines[i] to the report of
// tables[i], "<name>: ...", without a newline, and returns each verdict.
// Runs the image's start-up code at most once (twice, with two patterns)
// for all tables that need it.
std::vector<Verdict> check_tables(const ElfFile& file, const CheckOptions& options,
                                  const std::vector<TableFiles>& tables,
                                  std::vector<std::string>* lines);

// Checks the options against the image: --until and --skip must name its
// functions, --assume-copied its sections. Returns false with *error set.
bool check_options(const ElfFile& file, const CheckOptions& options, std::string* error);

// The whole program: wfac_check_image [OPTION]... IMAGE TABLE... Returns
// the exit status: 0 when every table holds, 1 when one does not or a file
// cannot be read, 2 for a wrong command line.
int run_check_image(int argc, char** argv);
