// What a run of start-up code needs to know of the machine and the image,
// whatever runs it: which CPU, where the stack starts, which addresses are
// peripherals, and the names of code addresses.
#pragma once

#include "startup/startup_emulator.hpp"

#include <cstdint>
#include <string>

enum class StartupCpu { kNone, kCortexM, kArm, kAArch64, kRiscV32, kRiscV64 };

struct StartupMachine {
  StartupCpu cpu = StartupCpu::kNone;
  std::string name;
  // Cortex-M: the vector table that holds the entry point, if found.
  bool have_vectors = false;
  std::uint64_t vectors = 0;
  std::uint32_t initial_sp = 0;
};

// The CPU of the image, its name, and (Cortex-M) its vector table.
StartupMachine startup_machine(const StartupImage& image);

// A code address without the Arm Thumb bit.
std::uint64_t startup_code_address(const StartupMachine& machine, std::uint64_t address);

// Whether [address, address + size) meets a segment's run or load range.
bool startup_in_segment(const StartupImage& image, std::uint64_t address, std::uint64_t size);

// Whether address, which no segment covers, is a peripheral's.
bool startup_is_peripheral(const StartupMachine& machine, const StartupImage& image,
                           std::uint64_t address);

// A 64 KiB block, 64 KiB-aligned, that meets no segment and no
// peripheral range of Cortex-M, for a stack where reset gives none; false
// when there is none.
bool startup_scratch_stack(const StartupMachine& machine, const StartupImage& image,
                           std::uint64_t* base);

// "in NAME " for the function that holds the code address, or "".
std::string startup_function_at(const StartupMachine& machine, const StartupImage& image,
                                std::uint64_t address);

// An address as messages print it: 0x0800023c.
std::string startup_hex(std::uint64_t value);
