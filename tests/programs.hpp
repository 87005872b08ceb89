// The programs as their users see them: the rows of cmake/WfacPrograms.cmake
// and the golden files of tests/golden, which hold what the programs write.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "programs/program_list.hpp"

using Program = ListedProgram;
inline constexpr auto& kPrograms = kListedPrograms;

// The bytes of the golden file tests/golden/<path>. When it cannot be read,
// the running test fails and the text is empty.
std::string golden(const std::string& path);

// The program's usage text, exactly as it writes it to standard error.
std::string usage(const Program& p);

// One case of a golden file of cases (refusals.txt, failures.txt): the
// words of its "$" line and the text that follows that line.
struct GoldenCase {
  std::vector<std::string> args;
  std::string text;
};
std::vector<GoldenCase> golden_cases(const std::string& path);

// The text of the case whose words are args; the running test fails when
// the file has none.
std::string golden_case(const std::string& path, const std::vector<std::string>& args);

// The largest scale the program takes, as a switch, and the next double
// above it, which it refuses.
std::string bound_switch(const Program& p);
std::string above_bound_switch(const Program& p);

void PrintTo(const Program& p, std::ostream* os);
