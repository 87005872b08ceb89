// Running a bare-metal image's start-up code from its entry point to a stop
// address (main, say), to read what memory holds there. One call is one run
// with one fill pattern; a caller that wants a proof runs twice with two
// patterns that differ in every bit (0xA5 and 0x5A) and takes a byte as
// proved only where both runs agree.
//
// The machine of a run:
// - Memory at the start: each segment's file bytes at its load address
//   (what is programmed into flash), later segments over earlier ones.
//   Everything else that the run touches holds the pattern: RAM at run
//   addresses, and memory that no segment covers, mapped on first touch.
//   Only memory at a segment's run address where that segment is
//   executable, or at a load address of an executable segment, runs code.
// - Peripherals: memory that no segment covers is a peripheral where
//     Arm Cortex-M: 0x40000000-0x5FFFFFFF and 0xA0000000-0xFFFFFFFF (the
//       Peripheral region, the Device regions and the system space);
//     any other machine: a 256 MiB window (address >> 28) that no
//     segment's run or load range touches.
//   Each peripheral address reads as zero, then all ones, then zero, ...,
//   each address on its own, so that a loop waiting for one bit to be set
//   or to clear ends. Writes to a peripheral are ignored.
// - Registers at the start: the program counter is the entry point.
//     Cortex-M: Thumb state; the stack pointer is the first word of the
//       vector table, the loaded word pair whose second word is the entry
//       point (with its Thumb bit); LR is 0xFFFFFFFF. The FPU works from
//       the start (writes to CPACR, a peripheral, are ignored).
//     Arm A and R profiles: Supervisor mode, interrupts masked, Arm or
//       Thumb state by the entry point's bit 0, FPEXC.EN set.
//     AArch64: EL1 (the highest level the emulator has), FP enabled.
//     RISC-V: machine mode, mstatus.FS set (FP instructions work).
//   Where the machine does not give a stack pointer at reset (all but
//   Cortex-M, or a Cortex-M image without the vector pair), it points at
//   the top of a 64 KiB scratch stack that lies outside every segment.
// - Semihosting calls (BKPT 0xAB, SVC 0xAB or 0x123456, HLT 0x3C or
//   0xF000, the RISC-V ebreak sequence) are answered as by a host that has
//   nothing: SYS_HEAPINFO gives a block of zeros, writes succeed, reads
//   give end of file, the rest fail; SYS_EXIT ends the run.
// - Machines: Cortex-M (little-endian), Arm A and R profiles (BE8 and BE32
//   too), AArch64 (either byte order), RISC-V 32 and 64.
// - The run ends at the stop address, at a fault, after the instruction
//   budget or after the wall-clock bound. A function in skip returns at
//   once when called, with 0 as its result.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One loadable segment (PT_LOAD).
struct StartupSegment {
  std::uint64_t vaddr;  // run address
  std::uint64_t paddr;  // load address
  std::uint64_t memsz;  // size in memory
  bool readable, writable, executable;
  const unsigned char* file_bytes;  // its p_filesz bytes of the file
  std::uint64_t file_size;
};

struct StartupSymbol {
  std::string name;
  std::uint64_t address;  // as the image gives it (with the Thumb bit)
  std::uint64_t size;
  bool function;
};

struct StartupImage {
  unsigned machine;  // e_machine: 40 Arm, 183 AArch64, 243 RISC-V
  bool is_64;
  bool big_endian;
  std::uint32_t flags;  // e_flags
  // From .ARM.attributes: Tag_CPU_arch_profile ('M', 'A', 'R', 'S', or 0
  // when not known) and Tag_CPU_arch (0 when not known).
  char arm_profile;
  unsigned arm_arch;
  std::uint64_t entry;  // e_entry
  std::vector<StartupSegment> segments;
  std::vector<StartupSymbol> symbols;
};

struct StartupRange {
  std::uint64_t address, size;
};

struct StartupOptions {
  std::uint64_t stop_address = 0;  // as the image gives it (with the Thumb bit)
  std::string stop_name = "main";
  std::vector<std::pair<std::string, std::uint64_t>> skip;  // function, its address
  std::uint64_t instruction_budget = 100000000;
  unsigned wall_clock_ms = 10000;
  unsigned char pattern = 0xA5;
};

enum class StartupEnd {
  kArrived,    // at the stop address
  kSpins,      // ran out of budget or time
  kWaits,      // a WFI or WFE: it waits for an interrupt, which never comes
  kFault,      // an instruction that cannot go on
  kCannotRun,  // this build or machine cannot run it, or the emulator failed
};

struct StartupRun {
  StartupEnd end = StartupEnd::kCannotRun;
  bool arrived = false;  // end == kArrived
  // When it did not arrive, what happened, for a message: "it spins in
  // SystemInit at 0x0800023c, reading 0x40023808", "it stops in
  // Reset_Handler at 0x08000130: an undefined instruction", ...
  std::string where;
  // Per range asked for, in order: its bytes when the run stopped.
  std::vector<std::string> bytes;
};

// Whether this build can run the image's code; *machine_name gets the
// machine's name either way ("Arm Cortex-M", "RISC-V", "AVR", ...), for a
// message such as "cannot run <machine> code".
bool startup_can_emulate(const StartupImage& image, std::string* machine_name);

// The emulator this build runs code with ("Unicorn 2.0.1"), or "" when it
// has none.
std::string startup_emulator_name();

StartupRun run_startup(const StartupImage& image, const StartupOptions& options,
                       const std::vector<StartupRange>& ranges);
