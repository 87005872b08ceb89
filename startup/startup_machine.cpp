#include "startup/startup_machine.hpp"

#include <cstdio>

namespace {

const unsigned kMachineArm = 40;
const unsigned kMachineAArch64 = 183;
const unsigned kMachineRiscV = 243;

// Names of machines that no build runs code of, for the message that says so.
struct MachineName {
  unsigned machine;
  const char* name;
};
const MachineName kMachineNames[] = {
    {2, "SPARC"},       {3, "x86"},        {4, "M68K"},      {8, "MIPS"},      {20, "PowerPC"},
    {21, "PowerPC64"},  {22, "S390"},      {42, "SuperH"},   {43, "SPARC V9"}, {62, "x86-64"},
    {83, "AVR"},        {88, "M32R"},      {94, "Xtensa"},   {105, "MSP430"},  {106, "Blackfin"},
    {113, "Altera Nios II"}, {140, "TI C6000"}, {164, "Qualcomm Hexagon"}, {220, "Z80"},
    {222, "Xtensa"},    {224, "AMD GPU"},  {258, "LoongArch"}, {0xBAAB, "MicroBlaze"}};

// The word of the image's byte order at bytes.
std::uint32_t word_at(const unsigned char* bytes, bool big_endian) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const unsigned byte = bytes[big_endian ? i : 3 - i];
    value = (value << 8) | byte;
  }
  return value;
}

// Finds the Cortex-M vector table: a word pair, loaded, 4-aligned, whose
// second word is the entry point with its Thumb bit. Vector tables are
// aligned to at least 128 bytes, so such a pair is taken first; a literal
// pool may hold the same pair elsewhere.
bool find_vectors(const StartupImage& image, std::uint64_t* at, std::uint32_t* sp) {
  const std::uint32_t reset = static_cast<std::uint32_t>(image.entry | 1);
  bool found = false;
  bool found_aligned = false;
  for (const StartupSegment& segment : image.segments) {
    if (segment.file_size < 8) continue;
    for (std::uint64_t offset = (4 - segment.paddr % 4) % 4; offset + 8 <= segment.file_size;
         offset += 4) {
      if (word_at(segment.file_bytes + offset + 4, image.big_endian) != reset) continue;
      const std::uint64_t address = segment.paddr + offset;
      const bool aligned = address % 128 == 0;
      const bool better = !found || (aligned && !found_aligned) ||
                          (aligned == found_aligned && address < *at);
      if (!better) continue;
      *at = address;
      *sp = word_at(segment.file_bytes + offset, image.big_endian);
      found = true;
      found_aligned = aligned;
    }
  }
  return found;
}

bool meets(std::uint64_t a, std::uint64_t a_size, std::uint64_t b, std::uint64_t b_size) {
  return a_size != 0 && b_size != 0 && a <= b + (b_size - 1) && b <= a + (a_size - 1);
}

}  // namespace

StartupMachine startup_machine(const StartupImage& image) {
  StartupMachine m;
  if (image.machine == kMachineArm && !image.is_64) {
    std::uint64_t at = 0;
    std::uint32_t sp = 0;
    const bool vectors = find_vectors(image, &at, &sp);
    // M-profile by the attributes; without them, a Thumb entry point that
    // a vector table holds.
    const bool m_profile = image.arm_profile == 'M' ||
                           (image.arm_profile == 0 && (image.entry & 1) != 0 && vectors);
    if (m_profile) {
      m.cpu = StartupCpu::kCortexM;
      m.name = "Arm Cortex-M";
      m.have_vectors = vectors;
      m.vectors = at;
      m.initial_sp = sp & ~std::uint32_t{3};
    } else {
      m.cpu = StartupCpu::kArm;
      m.name = "Arm";
    }
    if (image.big_endian) m.name += " (big-endian)";
    return m;
  }
  if (image.machine == kMachineAArch64 && image.is_64) {
    m.cpu = StartupCpu::kAArch64;
    m.name = image.big_endian ? "AArch64 (big-endian)" : "AArch64";
    return m;
  }
  if (image.machine == kMachineRiscV) {
    m.cpu = image.is_64 ? StartupCpu::kRiscV64 : StartupCpu::kRiscV32;
    m.name = image.is_64 ? "RISC-V (64-bit)" : "RISC-V (32-bit)";
    if (image.big_endian) {
      m.cpu = StartupCpu::kNone;
      m.name += " big-endian";
    }
    return m;
  }
  for (const MachineName& known : kMachineNames) {
    if (known.machine == image.machine) {
      m.name = known.name;
      return m;
    }
  }
  char text[48];
  std::snprintf(text, sizeof text, "ELF machine %u", image.machine);
  m.name = text;
  return m;
}

std::uint64_t startup_code_address(const StartupMachine& machine, std::uint64_t address) {
  const bool arm = machine.cpu == StartupCpu::kCortexM || machine.cpu == StartupCpu::kArm;
  return arm ? address & ~std::uint64_t{1} : address;
}

bool startup_in_segment(const StartupImage& image, std::uint64_t address, std::uint64_t size) {
  for (const StartupSegment& segment : image.segments) {
    if (meets(address, size, segment.vaddr, segment.memsz) ||
        meets(address, size, segment.paddr, segment.file_size))
      return true;
  }
  return false;
}

bool startup_is_peripheral(const StartupMachine& machine, const StartupImage& image,
                           std::uint64_t address) {
  // The M-profile's memory map: the Peripheral region, the Device
  // regions (the RP2040's single-cycle I/O, for one, at 0xD0000000) and
  // the system space.
  if (machine.cpu == StartupCpu::kCortexM)
    return (address >= 0x40000000 && address < 0x60000000) ||
           (address >= 0xA0000000 && address <= 0xFFFFFFFF);
  const std::uint64_t window = std::uint64_t{1} << 28;
  return !startup_in_segment(image, address & ~(window - 1), window);
}

bool startup_scratch_stack(const StartupMachine& machine, const StartupImage& image,
                           std::uint64_t* base) {
  // Below the top of a window that code and data rarely use; the first
  // that is free.
  const std::uint64_t candidates[] = {0x7FFF0000, 0x3FFF0000, 0xBFFF0000, 0x1FFF0000,
                                      0x0FFF0000, 0xDFFF0000, 0x6FFF0000, 0x9FFF0000};
  for (std::uint64_t candidate : candidates) {
    if (startup_in_segment(image, candidate, 0x10000)) continue;
    if (machine.cpu == StartupCpu::kCortexM && startup_is_peripheral(machine, image, candidate))
      continue;
    *base = candidate;
    return true;
  }
  return false;
}

std::string startup_function_at(const StartupMachine& machine, const StartupImage& image,
                                std::uint64_t address) {
  // The function that holds it, the innermost where they nest; else the
  // nearest function before it when that one has no size (assembly code
  // often gives none) and no function lies between.
  const StartupSymbol* best = nullptr;
  const StartupSymbol* before = nullptr;
  for (const StartupSymbol& symbol : image.symbols) {
    if (!symbol.function || symbol.name.empty()) continue;
    const std::uint64_t start = startup_code_address(machine, symbol.address);
    if (start > address) continue;
    if (before == nullptr || start > startup_code_address(machine, before->address) ||
        (start == startup_code_address(machine, before->address) && symbol.size == 0))
      before = &symbol;
    if (address - start >= symbol.size) continue;
    if (best == nullptr || start > startup_code_address(machine, best->address)) best = &symbol;
  }
  if (best == nullptr && before != nullptr && before->size == 0) best = before;
  return best == nullptr ? std::string() : "in " + best->name + " ";
}

std::string startup_hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(value));
  return text;
}
