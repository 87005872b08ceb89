// The run of start-up code, with Unicorn.
#include "startup/startup_emulator.hpp"
#include "startup/startup_machine.hpp"

#include <unicorn/unicorn.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <unordered_set>

namespace {

// Memory is mapped in pages of this size (a multiple of every target's).
const std::uint64_t kPage = 4096;
// Memory first touched is mapped up to this block around it.
const std::uint64_t kBlock = 0x40000;
// Regions mapped at most: Unicorn 2.0.1 aborts (an assertion) past about
// 1000 on Arm.
const unsigned kMaxRegions = 400;
const std::uint64_t kScratchStackSize = 0x10000;
// After the budget runs out, the run goes on for this many instructions to
// see where it spins and what it reads there.
const std::size_t kProbeInstructions = 100000;
// The budget is run in slices of this many instructions, with the wall
// clock read after each.
const std::uint64_t kSlice = 10000000;
// Start-up code that makes more semihosting calls than this before main
// is taken as a loop.
const unsigned kMaxSemihostingCalls = 10000;

struct Run;

// A peripheral page, for its read callback.
struct Peripheral {
  Run* run;
  std::uint64_t base;
};

struct Registers {
  int pc, sp, link, result, argument;
};

struct Run {
  const StartupImage* image;
  const StartupOptions* options;
  StartupMachine machine;
  Registers regs;
  unsigned width;  // bits of an address and a register
  uc_engine* uc = nullptr;
  std::vector<unsigned char> fill;  // a page of the pattern
  std::unordered_set<std::uint64_t> mapped;
  unsigned regions = 0;
  std::deque<Peripheral> peripherals;
  // Per peripheral address: whether its next read gives all ones.
  std::unordered_map<std::uint64_t, bool> ones;
  bool polled = false;
  std::uint64_t polled_address = 0;
  bool read_outside = false;
  std::uint64_t read_outside_address = 0;
  std::uint64_t stack_low = 0, stack_high = 0;
  // Set by a hook that ends the run.
  bool stopped = false;
  StartupEnd end = StartupEnd::kFault;
  std::string where;
  // A Unicorn call that failed.
  std::string failure;
  // Set by a semihosting call that the emulator stopped for: where to go on.
  bool resume = false;
  std::uint64_t resume_pc = 0;
  unsigned semihosting_calls = 0;
};

std::string unicorn_error(const char* call, uc_err err) {
  return std::string("the emulator failed (") + call + ": " + uc_strerror(err) + ")";
}

// Records the first failure of a Unicorn call; true when err is none.
bool ok(Run& run, uc_err err, const char* call) {
  if (err == UC_ERR_OK) return true;
  if (run.failure.empty()) run.failure = unicorn_error(call, err);
  return false;
}

std::uint64_t mask(const Run& run, std::uint64_t value) {
  return run.width == 64 ? value : value & 0xFFFFFFFFu;
}

bool read_reg(Run& run, int reg, std::uint64_t* value) {
  if (run.width == 64) return ok(run, uc_reg_read(run.uc, reg, value), "uc_reg_read");
  std::uint32_t narrow = 0;
  const bool done = ok(run, uc_reg_read(run.uc, reg, &narrow), "uc_reg_read");
  *value = narrow;
  return done;
}

bool write_reg(Run& run, int reg, std::uint64_t value) {
  if (run.width == 64) return ok(run, uc_reg_write(run.uc, reg, &value), "uc_reg_write");
  std::uint32_t narrow = static_cast<std::uint32_t>(value);
  return ok(run, uc_reg_write(run.uc, reg, &narrow), "uc_reg_write");
}

// The program counter, and for Arm the Thumb bit of the state it runs in.
bool read_pc(Run& run, std::uint64_t* pc) {
  if (!read_reg(run, run.regs.pc, pc)) return false;
  if (run.machine.cpu == StartupCpu::kCortexM) *pc |= 1;
  if (run.machine.cpu == StartupCpu::kArm) {
    std::uint64_t cpsr = 0;
    if (!read_reg(run, UC_ARM_REG_CPSR, &cpsr)) return false;
    if ((cpsr & 0x20) != 0) *pc |= 1;
  }
  return true;
}

// An instruction word or halfword at address, in the order the CPU fetches
// it: Arm code is little-endian but in a BE32 image, AArch64 and RISC-V
// code always.
bool read_code(Run& run, std::uint64_t address, unsigned bytes, std::uint32_t* value) {
  unsigned char b[4] = {0, 0, 0, 0};
  if (uc_mem_read(run.uc, address, b, bytes) != UC_ERR_OK) return false;
  const bool big = run.image->big_endian && run.machine.cpu == StartupCpu::kArm &&
                   (run.image->flags & 0x00800000) == 0;
  *value = 0;
  for (unsigned i = 0; i < bytes; ++i) {
    const unsigned byte = b[big ? i : bytes - 1 - i];
    *value = (*value << 8) | byte;
  }
  return true;
}

// Ends the run from a hook.
void stop(Run& run, StartupEnd end, const std::string& where) {
  if (run.stopped) return;
  run.stopped = true;
  run.end = end;
  run.where = where;
  ok(run, uc_emu_stop(run.uc), "uc_emu_stop");
}

std::string at(Run& run, std::uint64_t pc) {
  const std::uint64_t code = startup_code_address(run.machine, pc);
  return startup_function_at(run.machine, *run.image, code) + "at " + startup_hex(code);
}

void fault(Run& run, const std::string& what) {
  std::uint64_t pc = 0;
  read_reg(run, run.regs.pc, &pc);
  stop(run, StartupEnd::kFault, "it stops " + at(run, pc) + ": " + what);
}

// The access rights of a page that a segment meets: what its load range
// and run range need (start-up code writes the run range of a segment that
// is loaded elsewhere); 0 when no segment meets it.
std::uint32_t page_rights(const Run& run, std::uint64_t page) {
  std::uint32_t rights = 0;
  for (const StartupSegment& s : run.image->segments) {
    const std::uint32_t exec = s.executable ? UC_PROT_EXEC : 0;
    const bool at_load = s.file_size != 0 && page <= s.paddr + (s.file_size - 1) &&
                         s.paddr <= page + (kPage - 1);
    const bool at_run =
        s.memsz != 0 && page <= s.vaddr + (s.memsz - 1) && s.vaddr <= page + (kPage - 1);
    if (at_load) rights |= UC_PROT_READ | exec | (s.writable && s.vaddr == s.paddr ? UC_PROT_WRITE : 0);
    if (at_run) rights |= UC_PROT_READ | exec | (s.writable || s.vaddr != s.paddr ? UC_PROT_WRITE : 0);
  }
  return rights;
}

// Maps [start, start + size) as RAM that holds the pattern.
bool map_ram(Run& run, std::uint64_t start, std::uint64_t size, std::uint32_t rights) {
  if (run.fill.size() < size) run.fill.assign(static_cast<std::size_t>(size), run.options->pattern);
  if (!ok(run, uc_mem_map(run.uc, start, static_cast<std::size_t>(size), rights), "uc_mem_map") ||
      !ok(run, uc_mem_write(run.uc, start, run.fill.data(), static_cast<std::size_t>(size)),
          "uc_mem_write"))
    return false;
  for (std::uint64_t page = start; page - start < size; page += kPage) run.mapped.insert(page);
  return true;
}

std::uint64_t peripheral_read(uc_engine*, std::uint64_t offset, unsigned size, void* user) {
  Peripheral& peripheral = *static_cast<Peripheral*>(user);
  Run& run = *peripheral.run;
  const std::uint64_t address = peripheral.base + offset;
  bool& ones = run.ones[address];
  const std::uint64_t all = size >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * size)) - 1;
  const std::uint64_t value = ones ? all : 0;
  ones = !ones;
  run.polled = true;
  run.polled_address = address;
  return value;
}

void peripheral_write(uc_engine*, std::uint64_t, unsigned, std::uint64_t, void*) {}

// What a page holds when first touched: RAM with the rights that the
// segments it meets give it (or read and write where it meets none), or a
// peripheral.
const std::uint32_t kPeripheralPage = 0x100;
std::uint32_t page_kind(const Run& run, std::uint64_t page) {
  const std::uint32_t rights = page_rights(run, page);
  if (rights != 0) return rights;
  return startup_is_peripheral(run.machine, *run.image, page) ? kPeripheralPage
                                                              : UC_PROT_READ | UC_PROT_WRITE;
}

// Maps the page of address as it first holds, with the unmapped pages of
// the same kind around it in its aligned block, as one region: Unicorn
// keeps few regions well (and aborts past about a thousand).
bool map_page(Run& run, std::uint64_t address) {
  const std::uint64_t page = address & ~(kPage - 1);
  if (run.mapped.count(page) != 0) return true;
  const std::uint64_t block = address & ~(kBlock - 1);
  const std::uint32_t kind = page_kind(run, page);
  std::uint64_t start = page, end = page + kPage;
  while (start > block && run.mapped.count(start - kPage) == 0 && page_kind(run, start - kPage) == kind)
    start -= kPage;
  while (end - block < kBlock && run.mapped.count(end) == 0 && page_kind(run, end) == kind)
    end += kPage;
  if (++run.regions > kMaxRegions) {
    fault(run, "it touches memory in more places than the emulator can map");
    return false;
  }
  if (kind != kPeripheralPage) return map_ram(run, start, end - start, kind);
  run.peripherals.push_back(Peripheral{&run, start});
  if (!ok(run,
          uc_mmio_map(run.uc, start, static_cast<std::size_t>(end - start), peripheral_read,
                      &run.peripherals.back(), peripheral_write, nullptr),
          "uc_mmio_map"))
    return false;
  for (std::uint64_t p = start; p < end; p += kPage) run.mapped.insert(p);
  return true;
}

// Writes to guest memory, mapping what is not mapped yet.
bool write_guest(Run& run, std::uint64_t address, const void* bytes, std::size_t size) {
  for (std::uint64_t page = address & ~(kPage - 1); page < address + size; page += kPage) {
    if (!map_page(run, page)) return false;
  }
  return ok(run, uc_mem_write(run.uc, address, bytes, size), "uc_mem_write");
}

bool on_unmapped(uc_engine*, uc_mem_type type, std::uint64_t address, int size, std::int64_t,
                 void* user) {
  Run& run = *static_cast<Run*>(user);
  if (type == UC_MEM_FETCH_UNMAPPED) {
    stop(run, StartupEnd::kFault,
         "it jumps to " + startup_hex(address) + ", where the image holds no code");
    return false;
  }
  const std::uint64_t last = address + static_cast<std::uint64_t>(size > 0 ? size - 1 : 0);
  return map_page(run, address) && map_page(run, last);
}

bool on_protected(uc_engine*, uc_mem_type type, std::uint64_t address, int, std::int64_t,
                  void* user) {
  Run& run = *static_cast<Run*>(user);
  if (type == UC_MEM_FETCH_PROT)
    stop(run, StartupEnd::kFault,
         "it jumps to " + startup_hex(address) + ", where the image holds no code");
  else if (type == UC_MEM_WRITE_PROT)
    fault(run, "a write to " + startup_hex(address) + ", which the image holds read-only");
  else
    fault(run, "a read of " + startup_hex(address) + ", which cannot be read");
  return false;
}

// A semihosting call: the operation in the first argument register, its
// parameter block in the second, the result back in the first. Answered as
// a host with no files, no console and no memory to give would.
void semihost(Run& run) {
  ++run.semihosting_calls;
  std::uint64_t op = 0, block = 0;
  if (!read_reg(run, run.regs.result, &op) || !read_reg(run, run.regs.argument, &block)) return;
  const unsigned field = run.width / 8;
  std::uint64_t result = mask(run, ~std::uint64_t{0});  // -1: failed
  switch (op & 0xFFFFFFFFu) {
    case 0x16: {  // SYS_HEAPINFO: the block's address at block; four fields of zeros
      unsigned char pointer[8];
      std::uint64_t to = 0;
      if (uc_mem_read(run.uc, block, pointer, field) == UC_ERR_OK) {
        for (unsigned i = 0; i < field; ++i)
          to = (to << 8) | pointer[run.image->big_endian ? i : field - 1 - i];
        const unsigned char zeros[32] = {};
        if (!write_guest(run, to, zeros, 4 * field)) return;
        result = 0;
      }
      break;
    }
    case 0x18:  // SYS_EXIT
    case 0x20:  // SYS_EXIT_EXTENDED
      fault(run, "it exits (semihosting SYS_EXIT)");
      return;
    case 0x03:  // SYS_WRITEC
    case 0x04:  // SYS_WRITE0
    case 0x05:  // SYS_WRITE: all written
    case 0x09:  // SYS_ISTTY: not a terminal
    case 0x13:  // SYS_ERRNO
      result = 0;
      break;
    case 0x06: {  // SYS_READ: nothing read, the count left as it was (end of file)
      unsigned char count[8];
      if (uc_mem_read(run.uc, block + 2 * field, count, field) == UC_ERR_OK) {
        result = 0;
        for (unsigned i = 0; i < field; ++i)
          result = (result << 8) | count[run.image->big_endian ? i : field - 1 - i];
      }
      break;
    }
    default:
      break;
  }
  write_reg(run, run.regs.result, result);
  if (run.semihosting_calls > kMaxSemihostingCalls) fault(run, "semihosting calls without end");
}

// A semihosting trap that Unicorn raises as an exception (pc at the trap or
// after it): answers it and sets where the run goes on. False when the
// instruction is not one.
bool semihosting_trap(Run& run, std::uint32_t number, std::uint64_t* next) {
  std::uint64_t pc = 0;
  if (!read_pc(run, &pc)) return false;
  const bool thumb = (pc & 1) != 0;
  const std::uint64_t code = startup_code_address(run.machine, pc);
  std::uint32_t insn = 0, before = 0, after = 0;
  switch (run.machine.cpu) {
    case StartupCpu::kCortexM:
    case StartupCpu::kArm:
      if (number == 7 && thumb && read_code(run, code, 2, &insn) && insn == 0xBEAB) {
        *next = pc + 2;  // BKPT 0xAB, pc at it
      } else if (number == 2 && thumb && read_code(run, code - 2, 2, &insn) && insn == 0xDFAB) {
        *next = pc;  // SVC 0xAB, pc after it
      } else if (number == 2 && !thumb && read_code(run, code - 4, 4, &insn) &&
                 (insn & 0x0FFFFFFF) == 0x0F123456) {
        *next = pc;  // SVC 0x123456
      } else if (number == 1 && thumb && read_code(run, code, 2, &insn) && insn == 0xBABC) {
        *next = pc + 2;  // HLT 0x3C
      } else if (number == 1 && !thumb && read_code(run, code, 4, &insn) &&
                 (insn & 0x0FFFFFFF) == 0x010F0070) {
        *next = pc + 4;  // HLT 0xF000
      } else {
        return false;
      }
      break;
    case StartupCpu::kAArch64:
      if (number != 1 || !read_code(run, code, 4, &insn) || insn != 0xD45E0000) return false;
      *next = pc + 4;  // HLT #0xF000
      break;
    case StartupCpu::kRiscV32:
    case StartupCpu::kRiscV64:
      // slli x0, x0, 0x1f; ebreak; srai x0, x0, 7
      if (number != 3 || !read_code(run, code, 4, &insn) || insn != 0x00100073 ||
          !read_code(run, code - 4, 4, &before) || before != 0x01F01013 ||
          !read_code(run, code + 4, 4, &after) || after != 0x40705013)
        return false;
      *next = pc + 4;
      break;
    case StartupCpu::kNone:
      return false;
  }
  semihost(run);
  return true;
}

const char* exception_name(const Run& run, std::uint32_t number) {
  if (run.machine.cpu == StartupCpu::kRiscV32 || run.machine.cpu == StartupCpu::kRiscV64) {
    switch (number) {
      case 0: return "a misaligned instruction address";
      case 2: return "an illegal instruction";
      case 3: return "a breakpoint (EBREAK)";
      case 4: return "a misaligned load";
      case 5: return "a load access fault";
      case 6: return "a misaligned store";
      case 7: return "a store access fault";
      case 8: case 9: case 11: return "an environment call (ECALL)";
      default: return nullptr;
    }
  }
  switch (number) {
    case 1: return "an undefined instruction";
    case 2: return "a supervisor call (SVC)";
    case 4: return "a data abort";
    case 7: return run.machine.cpu == StartupCpu::kAArch64 ? "a breakpoint (BRK)" : "a breakpoint (BKPT)";
    case 8: return "an exception return";
    case 11: return "a hypervisor call (HVC)";
    case 13: return "a secure monitor call (SMC)";
    case 17: return "a floating-point or coprocessor instruction while it is disabled";
    case 18: return "a branch to Arm state, which Cortex-M does not have";
    case 19: return "a stack overflow";
    case 22: return "an unaligned access";
    default: return nullptr;
  }
}

void on_interrupt(uc_engine*, std::uint32_t number, void* user) {
  Run& run = *static_cast<Run*>(user);
  std::uint64_t next = 0;
  if (semihosting_trap(run, number, &next)) {
    if (!run.stopped) write_reg(run, run.regs.pc, next);
    return;
  }
  const bool arm = run.machine.cpu == StartupCpu::kCortexM || run.machine.cpu == StartupCpu::kArm ||
                   run.machine.cpu == StartupCpu::kAArch64;
  const bool riscv = run.machine.cpu == StartupCpu::kRiscV32 || run.machine.cpu == StartupCpu::kRiscV64;
  if ((arm && number == 3) || (riscv && number == 1)) {
    // An instruction fetch that fails: from memory that cannot run code.
    std::uint64_t pc = 0;
    read_reg(run, run.regs.pc, &pc);
    stop(run, StartupEnd::kFault,
         "it jumps to " + startup_hex(startup_code_address(run.machine, pc)) +
             ", where the image holds no code");
    return;
  }
  if (arm && number == 2) {
    // A supervisor call leaves the pc after it.
    std::uint64_t pc = 0;
    if (read_pc(run, &pc)) {
      const std::uint64_t call = startup_code_address(run.machine, pc) - ((pc & 1) != 0 ? 2 : 4);
      stop(run, StartupEnd::kFault, "it stops " + at(run, call) + ": " + exception_name(run, 2));
      return;
    }
  }
  const char* name = exception_name(run, number);
  char other[40];
  std::snprintf(other, sizeof other, "exception %u", number);
  fault(run, name != nullptr ? name : other);
}

// An instruction that Unicorn does not run (on Arm an undefined one, and
// the semihosting HLT): the run stops there, and goes on only after a
// semihosting call.
bool on_invalid(uc_engine*, void* user) {
  Run& run = *static_cast<Run*>(user);
  std::uint64_t next = 0;
  if (semihosting_trap(run, 1, &next)) {
    run.resume = !run.stopped;
    run.resume_pc = next;
    return true;
  }
  std::uint64_t xpsr = 0;
  if (run.machine.cpu == StartupCpu::kCortexM && read_reg(run, UC_ARM_REG_XPSR, &xpsr) &&
      (xpsr & (1u << 24)) == 0)
    fault(run, exception_name(run, 18));
  else
    fault(run, exception_name(run, run.machine.cpu == StartupCpu::kRiscV32 ||
                                           run.machine.cpu == StartupCpu::kRiscV64
                                       ? 2
                                       : 1));
  return false;
}

// While the run is probed for where it spins: a read of memory that no
// segment holds, away from the stack, is what a loop may wait on too.
void on_probe_read(uc_engine*, uc_mem_type, std::uint64_t address, int size, std::int64_t,
                   void* user) {
  Run& run = *static_cast<Run*>(user);
  const std::uint64_t bytes = static_cast<std::uint64_t>(size > 0 ? size : 1);
  if (address + bytes > run.stack_low && address < run.stack_high) return;
  if (startup_in_segment(*run.image, address, bytes)) return;
  run.read_outside = true;
  run.read_outside_address = address;
}

// A function of --skip: returns at once, with 0.
void on_skip(uc_engine*, std::uint64_t, std::uint32_t, void* user) {
  Run& run = *static_cast<Run*>(user);
  std::uint64_t back = 0;
  if (read_reg(run, run.regs.link, &back) && write_reg(run, run.regs.result, 0))
    write_reg(run, run.regs.pc, back);
}

bool hook(Run& run, int type, void* callback, std::uint64_t begin, std::uint64_t end) {
  uc_hook handle;
  return ok(run, uc_hook_add(run.uc, &handle, type, callback, &run, begin, end), "uc_hook_add");
}

// Whether the instruction that ends just before pc waits for an interrupt
// or an event (WFI, WFE), which Unicorn stops at.
bool after_wait(Run& run, std::uint64_t pc, std::uint64_t* wait_at) {
  const std::uint64_t code = startup_code_address(run.machine, pc);
  std::uint32_t insn = 0;
  switch (run.machine.cpu) {
    case StartupCpu::kCortexM:
    case StartupCpu::kArm:
      if ((pc & 1) != 0) {
        if (read_code(run, code - 2, 2, &insn) && (insn == 0xBF30 || insn == 0xBF20)) {
          *wait_at = code - 2;
          return true;
        }
        std::uint32_t first = 0;
        if (read_code(run, code - 4, 2, &first) && read_code(run, code - 2, 2, &insn) &&
            first == 0xF3AF && (insn == 0x8003 || insn == 0x8002)) {
          *wait_at = code - 4;
          return true;
        }
        return false;
      }
      if (read_code(run, code - 4, 4, &insn) &&
          ((insn & 0x0FFFFFFF) == 0x0320F003 || (insn & 0x0FFFFFFF) == 0x0320F002)) {
        *wait_at = code - 4;
        return true;
      }
      return false;
    case StartupCpu::kAArch64:
      if (read_code(run, code - 4, 4, &insn) && (insn == 0xD503207F || insn == 0xD503205F)) {
        *wait_at = code - 4;
        return true;
      }
      return false;
    case StartupCpu::kRiscV32:
    case StartupCpu::kRiscV64:
      if (read_code(run, code - 4, 4, &insn) && insn == 0x10500073) {
        *wait_at = code - 4;
        return true;
      }
      return read_code(run, code, 4, &insn) && insn == 0x10500073 && ((*wait_at = code), true);
    case StartupCpu::kNone:
      return false;
  }
  return false;
}

bool open_engine(Run& run) {
  const StartupImage& image = *run.image;
  uc_arch arch = UC_ARCH_ARM;
  int mode = 0;
  int model = -1;
  switch (run.machine.cpu) {
    case StartupCpu::kCortexM:
      mode = UC_MODE_THUMB | UC_MODE_MCLASS;
      // Armv8-M (baseline, mainline, 8.1-M) as a Cortex-M33; earlier ones
      // as a Cortex-M7, whose instructions are a superset of theirs.
      model = image.arm_arch == 16 || image.arm_arch == 17 || image.arm_arch == 21
                  ? UC_CPU_ARM_CORTEX_M33
                  : UC_CPU_ARM_CORTEX_M7;
      run.regs = Registers{UC_ARM_REG_PC, UC_ARM_REG_SP, UC_ARM_REG_LR, UC_ARM_REG_R0, UC_ARM_REG_R1};
      run.width = 32;
      break;
    case StartupCpu::kArm:
      mode = UC_MODE_ARM;
      if (image.big_endian)
        mode |= (image.flags & 0x00800000) != 0 ? UC_MODE_ARMBE8 : UC_MODE_BIG_ENDIAN;
      model = image.arm_profile == 'R' ? UC_CPU_ARM_CORTEX_R5F : UC_CPU_ARM_CORTEX_A15;
      // Unicorn's BE32 engine takes no CPU model; its own has VFP.
      if ((mode & UC_MODE_BIG_ENDIAN) != 0) model = -1;
      run.regs = Registers{UC_ARM_REG_PC, UC_ARM_REG_SP, UC_ARM_REG_LR, UC_ARM_REG_R0, UC_ARM_REG_R1};
      run.width = 32;
      break;
    case StartupCpu::kAArch64:
      arch = UC_ARCH_ARM64;
      mode = UC_MODE_ARM | (image.big_endian ? UC_MODE_BIG_ENDIAN : 0);
      run.regs = Registers{UC_ARM64_REG_PC, UC_ARM64_REG_SP, UC_ARM64_REG_X30, UC_ARM64_REG_X0,
                           UC_ARM64_REG_X1};
      run.width = 64;
      break;
    case StartupCpu::kRiscV32:
    case StartupCpu::kRiscV64:
      arch = UC_ARCH_RISCV;
      mode = run.machine.cpu == StartupCpu::kRiscV32 ? UC_MODE_RISCV32 : UC_MODE_RISCV64;
      run.regs = Registers{UC_RISCV_REG_PC, UC_RISCV_REG_SP, UC_RISCV_REG_RA, UC_RISCV_REG_A0,
                           UC_RISCV_REG_A1};
      run.width = mode == UC_MODE_RISCV32 ? 32 : 64;
      break;
    case StartupCpu::kNone:
      return false;
  }
  if (!ok(run, uc_open(arch, static_cast<uc_mode>(mode), &run.uc), "uc_open")) return false;
  return model < 0 || ok(run, uc_ctl_set_cpu_model(run.uc, model), "uc_ctl_set_cpu_model");
}

// Memory, registers and hooks as the run starts.
bool set_up(Run& run) {
  const StartupImage& image = *run.image;
  for (const StartupSegment& s : image.segments) {
    if (s.file_size == 0) continue;
    for (std::uint64_t page = s.paddr & ~(kPage - 1); page <= s.paddr + (s.file_size - 1);
         page += kPage) {
      if (!map_page(run, page)) return false;
      if (page + kPage < page) break;
    }
  }
  for (const StartupSegment& s : image.segments) {
    if (s.file_size != 0 &&
        !ok(run, uc_mem_write(run.uc, s.paddr, s.file_bytes, static_cast<std::size_t>(s.file_size)),
            "uc_mem_write"))
      return false;
  }
  std::uint64_t sp = 0;
  std::uint64_t scratch = 0;
  if (run.machine.cpu == StartupCpu::kCortexM && run.machine.have_vectors) {
    sp = run.machine.initial_sp;
  } else if (startup_scratch_stack(run.machine, image, &scratch)) {
    if (!map_ram(run, scratch, kScratchStackSize, UC_PROT_READ | UC_PROT_WRITE)) return false;
    sp = scratch + kScratchStackSize;
  }
  if (!write_reg(run, run.regs.sp, sp)) return false;
  switch (run.machine.cpu) {
    case StartupCpu::kCortexM:
      if (!write_reg(run, run.regs.link, 0xFFFFFFFF)) return false;
      break;
    case StartupCpu::kArm:
      // Supervisor mode with IRQ and FIQ masked is the reset state; the FPU
      // is enabled, as start-up code for a core with one does first.
      if (!write_reg(run, UC_ARM_REG_FPEXC, 0x40000000)) return false;
      break;
    case StartupCpu::kRiscV32:
    case StartupCpu::kRiscV64: {
      std::uint64_t status = 0;
      if (!read_reg(run, UC_RISCV_REG_MSTATUS, &status) ||
          !write_reg(run, UC_RISCV_REG_MSTATUS, status | 0x2000))  // FS: initial
        return false;
      break;
    }
    default:
      break;
  }
  if (!hook(run, UC_HOOK_MEM_UNMAPPED, reinterpret_cast<void*>(&on_unmapped), 1, 0) ||
      !hook(run, UC_HOOK_MEM_PROT, reinterpret_cast<void*>(&on_protected), 1, 0) ||
      !hook(run, UC_HOOK_INTR, reinterpret_cast<void*>(&on_interrupt), 1, 0) ||
      !hook(run, UC_HOOK_INSN_INVALID, reinterpret_cast<void*>(&on_invalid), 1, 0))
    return false;
  for (const auto& skip : run.options->skip) {
    const std::uint64_t code = startup_code_address(run.machine, skip.second);
    if (!hook(run, UC_HOOK_CODE, reinterpret_cast<void*>(&on_skip), code, code)) return false;
  }
  return true;
}

// The range's bytes as the run left them; memory that the run never
// touched holds the pattern.
std::string range_bytes(Run& run, const StartupRange& range) {
  std::string bytes(static_cast<std::size_t>(range.size), static_cast<char>(run.options->pattern));
  std::uint64_t done = 0;
  while (done < range.size) {
    const std::uint64_t address = range.address + done;
    const std::uint64_t page_end = (address & ~(kPage - 1)) + kPage;
    const std::uint64_t piece = std::min(range.size - done, page_end - address);
    if (run.mapped.count(address & ~(kPage - 1)) != 0)
      uc_mem_read(run.uc, address, &bytes[static_cast<std::size_t>(done)],
                  static_cast<std::size_t>(piece));
    done += piece;
  }
  return bytes;
}

// Runs from pc to the stop address within the bounds; classifies how it
// ended in run (stopped, end, where). False when the emulator failed.
bool emulate(Run& run, std::uint64_t pc, std::uint64_t until, std::uint64_t timeout_us,
             std::size_t count) {
  const uc_err err = uc_emu_start(run.uc, pc, until, timeout_us, count);
  if (!run.failure.empty()) return false;
  if (run.stopped) return true;
  if (err == UC_ERR_FETCH_UNMAPPED || err == UC_ERR_FETCH_PROT) {
    std::uint64_t at_pc = 0;
    read_reg(run, run.regs.pc, &at_pc);
    run.stopped = true;
    run.end = StartupEnd::kFault;
    run.where = "it jumps to " + startup_hex(at_pc) + ", where the image holds no code";
    return true;
  }
  if (err != UC_ERR_OK) {
    run.failure = unicorn_error("uc_emu_start", err);
    return false;
  }
  return true;
}

}  // namespace

std::string startup_emulator_name() {
  unsigned major = 0, minor = 0;
  uc_version(&major, &minor);
  const unsigned int packed = uc_version(nullptr, nullptr);
  char text[40];
  std::snprintf(text, sizeof text, "Unicorn %u.%u.%u", major, minor, (packed >> 8) & 0xFF);
  return text;
}

bool startup_can_emulate(const StartupImage& image, std::string* machine_name) {
  const StartupMachine machine = startup_machine(image);
  if (machine_name != nullptr) *machine_name = machine.name;
  switch (machine.cpu) {
    case StartupCpu::kCortexM:
      // Unicorn 2.0.1's M-profile CPU reads and writes data little-endian
      // whatever its mode.
      return !image.big_endian && uc_arch_supported(UC_ARCH_ARM);
    case StartupCpu::kArm:
      return uc_arch_supported(UC_ARCH_ARM);
    case StartupCpu::kAArch64:
      return uc_arch_supported(UC_ARCH_ARM64);
    case StartupCpu::kRiscV32:
    case StartupCpu::kRiscV64:
      return uc_arch_supported(UC_ARCH_RISCV);
    case StartupCpu::kNone:
      return false;
  }
  return false;
}

StartupRun run_startup(const StartupImage& image, const StartupOptions& options,
                       const std::vector<StartupRange>& ranges) {
  StartupRun result;
  Run run;
  run.image = &image;
  run.options = &options;
  run.machine = startup_machine(image);
  if (!startup_can_emulate(image, nullptr)) {
    result.where = "this wfac_check_image cannot run " + run.machine.name + " code";
    return result;
  }
  const auto started = std::chrono::steady_clock::now();
  std::uint64_t pc = image.entry;
  if (run.machine.cpu == StartupCpu::kCortexM) pc |= 1;
  const std::uint64_t until = startup_code_address(run.machine, options.stop_address);
  bool arrived = false;
  if (open_engine(run) && set_up(run)) {
    // In slices of the budget, with the clock read between them: Unicorn's
    // own time limit runs a thread, which a busy machine schedules late.
    std::uint64_t left = options.instruction_budget;
    const auto bound = std::chrono::milliseconds(options.wall_clock_ms);
    std::uint64_t now = pc;
    for (;;) {
      if (left == 0 || std::chrono::steady_clock::now() - started >= bound) break;
      const std::uint64_t slice = left < kSlice ? left : kSlice;
      if (!emulate(run, now, until, 0, static_cast<std::size_t>(slice)) || run.stopped ||
          !read_pc(run, &now))
        break;
      if (startup_code_address(run.machine, now) == until) {
        arrived = true;
        break;
      }
      if (run.resume) {
        run.resume = false;
        now = run.resume_pc;
        continue;
      }
      std::uint64_t wait_at = 0;
      if (after_wait(run, now, &wait_at)) {
        run.stopped = true;
        run.end = StartupEnd::kWaits;
        run.where = "it waits for an interrupt " +
                    startup_function_at(run.machine, image, wait_at) + "at " +
                    startup_hex(wait_at);
        break;
      }
      left -= slice;
    }
    while (!arrived && !run.stopped && run.failure.empty()) {
      // Out of budget or time: a little more shows where it spins and what
      // it polls there.
      run.polled = false;
      std::uint64_t sp = 0;
      if (!read_reg(run, run.regs.sp, &sp)) break;
      run.stack_low = sp > kScratchStackSize ? sp - kScratchStackSize : 0;
      run.stack_high = sp + kScratchStackSize;
      uc_hook reads;
      if (!ok(run,
              uc_hook_add(run.uc, &reads, UC_HOOK_MEM_READ, reinterpret_cast<void*>(&on_probe_read),
                          &run, 1, 0),
              "uc_hook_add") ||
          !emulate(run, now, until, 0, kProbeInstructions) || run.stopped)
        break;
      if (!read_pc(run, &now)) break;
      if (startup_code_address(run.machine, now) == until) {
        arrived = true;
        break;
      }
      run.stopped = true;
      run.end = StartupEnd::kSpins;
      run.where = "it spins " + at(run, now);
      if (run.polled)
        run.where += ", reading " + startup_hex(run.polled_address);
      else if (run.read_outside)
        run.where += ", reading " + startup_hex(run.read_outside_address);
      break;
    }
  }
  if (!run.failure.empty()) {
    result.end = StartupEnd::kCannotRun;
    result.where = run.failure;
  } else if (arrived) {
    result.end = StartupEnd::kArrived;
    result.arrived = true;
    for (const StartupRange& range : ranges) result.bytes.push_back(range_bytes(run, range));
  } else {
    result.end = run.end;
    result.where = run.where;
  }
  if (run.uc != nullptr) uc_close(run.uc);
  return result;
}
