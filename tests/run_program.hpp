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

// program is a name in the build's program folder.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       Stdout mode = Stdout::Captured);

// Runs the executable at path.
ProgramRun run_command(const std::string& path, const std::vector<std::string>& args,
                       Stdout mode = Stdout::Captured);

// The lines of text, each without its newline.
std::vector<std::string> split_lines(const std::string& text);
