// Runs a built program and collects everything it writes.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  int status;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Where the program's standard output goes.
enum class Stdout { Captured, DevFull, Closed };

// program is the name of one of the built programs (wfac_hw_gen, ...); env
// holds NAME=value settings added to the environment it runs in.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       Stdout mode = Stdout::Captured, const std::vector<std::string>& env = {});

// Runs the executable at path. On Windows the output is read as text, so
// its CRLF line ends arrive as LF.
ProgramRun run_command(const std::string& path, const std::vector<std::string>& args,
                       Stdout mode = Stdout::Captured, const std::vector<std::string>& env = {});

// Whether this system has /dev/full, a device on which every write fails.
bool have_dev_full();

// The lines of text, each without its newline.
std::vector<std::string> split_lines(const std::string& text);
