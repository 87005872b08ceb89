// A build without an emulator: it names machines, and runs no code.
#include "startup/startup_emulator.hpp"
#include "startup/startup_machine.hpp"

std::string startup_emulator_name() { return ""; }

bool startup_can_emulate(const StartupImage& image, std::string* machine_name) {
  if (machine_name != nullptr) *machine_name = startup_machine(image).name;
  return false;
}

StartupRun run_startup(const StartupImage& image, const StartupOptions&,
                       const std::vector<StartupRange>&) {
  StartupRun result;
  result.where = "this wfac_check_image cannot run " + startup_machine(image).name + " code";
  return result;
}
