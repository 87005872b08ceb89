#include "image/startup_proof.hpp"

#include "startup/startup_emulator.hpp"

namespace {

// Two patterns that differ in every bit: a byte that both runs leave right
// was written by the start-up code, whatever the pattern.
const unsigned char kPatterns[2] = {0xA5, 0x5A};

StartupImage startup_image(const ElfFile& f) {
  StartupImage image;
  image.machine = f.header.e_machine;
  image.is_64 = f.header.is_64;
  image.big_endian = f.header.big_endian;
  image.flags = f.header.e_flags;
  const ArmAttributes arm = elf_arm_attributes(f);
  image.arm_profile = arm.profile;
  image.arm_arch = arm.arch;
  image.entry = f.header.e_entry;
  for (const elf::Phdr& p : f.segments) {
    if (p.p_type != elf::PT_LOAD) continue;
    image.segments.push_back(StartupSegment{p.p_vaddr, p.p_paddr, p.p_memsz,
                                            (p.p_flags & elf::PF_R) != 0,
                                            (p.p_flags & elf::PF_W) != 0,
                                            (p.p_flags & elf::PF_X) != 0, f.data + p.p_offset,
                                            p.p_filesz});
  }
  for (const elf::Sym& s : f.symbols) {
    if (s.name.empty() || s.st_shndx == elf::SHN_UNDEF) continue;
    const unsigned type = elf::st_type(s);
    if (type != elf::STT_FUNC && type != elf::STT_OBJECT && type != 0) continue;
    image.symbols.push_back(
        StartupSymbol{std::string(s.name), s.st_value, s.st_size, type == elf::STT_FUNC});
  }
  return image;
}

}  // namespace

bool startup_proof_built() { return !startup_emulator_name().empty(); }

ProofOutcome prove_at_startup(const ElfFile& file, const ProofStop& stop,
                              const std::vector<ProofRange>& ranges) {
  ProofOutcome outcome{};
  const StartupImage image = startup_image(file);
  outcome.can_run = startup_can_emulate(image, &outcome.machine);
  if (!outcome.can_run) return outcome;
  StartupOptions options;
  options.stop_address = stop.address;
  options.stop_name = stop.name;
  options.instruction_budget = stop.instruction_budget;
  options.wall_clock_ms = stop.wall_clock_ms;
  for (const elf::Sym* s : stop.skip)
    if (s != nullptr) options.skip.emplace_back(std::string(s->name), s->st_value);
  std::vector<StartupRange> wanted;
  for (const ProofRange& r : ranges) wanted.push_back(StartupRange{r.address, r.size});
  for (int r = 0; r < 2; ++r) {
    options.pattern = kPatterns[r];
    outcome.patterns[r] = kPatterns[r];
    StartupRun run = run_startup(image, options, wanted);
    if (run.end == StartupEnd::kCannotRun) {
      outcome.can_run = false;
      outcome.machine += " (" + run.where + ")";
      return outcome;
    }
    if (!run.arrived) {
      outcome.where = run.where;
      return outcome;
    }
    outcome.bytes[r] = std::move(run.bytes);
  }
  outcome.arrived = true;
  return outcome;
}
