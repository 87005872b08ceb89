// The whole run of a table program from its command line.
#pragma once

#include "frame/tool_profile.hpp"

// Walks the command line, generates the table and writes it to standard
// output. Returns 0; every failure ends the process with status 1.
int run_tool(const ToolProfile& profile, int argc, char** argv);
