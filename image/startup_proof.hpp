// The proof at start-up: what a bare-metal image's RAM holds when its
// start-up code has run to main (or another symbol), found by running that
// code in an emulator twice, with memory filled with two patterns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/elf.hpp"

struct ProofRange {
  std::uint64_t address;  // run address
  std::uint64_t size;
};

struct ProofOutcome {
  bool can_run;         // this build can run the image's machine
  std::string machine;  // its name, for messages
  bool arrived;         // both runs reached the stop symbol
  std::string where;    // when not: where a run spun or stopped, and why
  unsigned char patterns[2];         // the fill byte of each run
  std::vector<std::string> bytes[2];  // each range's bytes at the stop, per run
};

// Whether this build runs start-up code at all (it was built with the
// emulator), and its one-line description for the configure step and -h.
bool startup_proof_built();

// Where a run stops and how long it may take.
struct ProofStop {
  std::uint64_t address;  // the symbol's value
  std::string name;
  std::vector<const elf::Sym*> skip;  // functions that return at once
  std::uint64_t instruction_budget;
  unsigned wall_clock_ms;
};

// Runs the image from its entry point to the stop twice, and reads each
// range there.
ProofOutcome prove_at_startup(const ElfFile& file, const ProofStop& stop,
                              const std::vector<ProofRange>& ranges);
