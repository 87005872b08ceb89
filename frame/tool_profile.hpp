// The frame the three table programs share: one constant ToolProfile per
// program, and run_tool, the whole run of a program from its command line.
#pragma once

// Fills a zero-filled table of 2 * n entries from index 0 and returns the
// count of entries written. The entries are int16_t or int32_t, as the
// profile's entry width says.
using TableGenerator = int (*)(void* entries, int n, double scale);

// Adapts a typed generator (generate_twiddles_6<int16_t>, ...) to a profile.
template <typename Entry, int (*generate)(Entry*, int, double)>
int table_generator(void* entries, int n, double scale) {
  return generate(static_cast<Entry*>(entries), n, scale);
}

struct ToolProfile {
  const char* program_name;      // usage line 7
  const char* usage_line_4;      // after four spaces
  const char* usage_line_5;      // after four spaces
  const char* usage_scale_text;  // the default scale in usage line 12
  double default_scale;
  double scale_bound;  // the largest accepted scale
  int entry_width;     // 16 or 32
  TableGenerator generator;
  const char* element_type;         // "short" or "int"
  int hex_digits;                   // 4 or 8
  int entries_per_line;             // 8 or 4
  const char* header_routine_line;  // box line 5; may hold one "%s" slot
  const char* power_of_4_suffix;    // fills the slot when N is a power of 4
};

// Walks the command line, generates the table and writes it to standard
// output. Returns 0; every failure ends the process with status 1.
int run_tool(const ToolProfile& profile, int argc, char** argv);

// Writes the usage text and, when message is not null, "ERROR:  message\n"
// to standard error, then ends the process with status 1.
[[noreturn]] void report_and_exit(const ToolProfile& profile, const char* message);
