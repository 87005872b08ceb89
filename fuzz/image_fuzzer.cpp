// An ELF image through the reader and every check of wfac_check_image,
// the run of its start-up code included where this build has an emulator,
// against the tables that the seed images hold (the test builds' and the
// start-up fixtures'): it is refused with one message, or each table gets
// one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/check_image.hpp"
#include "image/elf.hpp"
#include "twiddle/twiddles.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

TableFiles table(const char* name, int bits, int n, std::uint64_t align, bool paired) {
  TableFiles t{name, bits / 8, align, {}};
  if (bits == 16) {
    std::vector<std::int16_t> entries(2 * static_cast<std::size_t>(n));
    const double scale = 32767.5;
    const int count = paired ? generate_twiddles_12(entries.data(), n, scale)
                             : generate_twiddles_6<std::int16_t>(entries.data(), n, scale);
    t.entries.assign(entries.begin(), entries.begin() + count);
  } else {
    std::vector<std::int32_t> entries(2 * static_cast<std::size_t>(n));
    const int count = generate_twiddles_6<std::int32_t>(entries.data(), n, 2147483647.5);
    t.entries.assign(entries.begin(), entries.begin() + count);
  }
  return t;
}

// The tables of the seed images, by the names and arguments they were
// written with.
const std::vector<TableFiles>& tables() {
  static const std::vector<TableFiles> all = {
      table("w_fixture16", 16, 64, 8, false), table("w_data", 32, 16, 8, false),
      table("w_ram", 16, 64, 8, false), table("w_hh16", 16, 16, 8, true)};
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ElfFile image;
  std::string error;
  if (!elf_read(data, size, &image, &error)) {
    require(!error.empty());
    return 0;
  }
  // A run that spins costs its whole budget: keep each input quick.
  CheckOptions options;
  options.instruction_budget = 200000;
  options.wall_clock_ms = 2000;
  std::vector<std::string> lines;
  const std::vector<Verdict> verdicts = check_tables(image, options, tables(), &lines);
  require(verdicts.size() == tables().size() && lines.size() == tables().size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    require(lines[i].compare(0, tables()[i].name.size() + 2, tables()[i].name + ": ") == 0);
    require(lines[i].find('\n') == std::string::npos);
  }
  return 0;
}
