// The constants that set one table program apart from the others: one
// constant ToolProfile per program, which run_tool (frame/run_tool.hpp)
// takes.
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

// True when the fields that follow from the entry width agree with it:
// the table's allocation, the generator and the emitter each read one of
// them, so a profile whose fields disagreed would write or read past the
// table. Each program checks its profile with a static_assert.
constexpr bool profile_is_consistent(const ToolProfile& p) {
  const bool wide = p.entry_width == 32;
  return (p.entry_width == 16 || wide) && p.hex_digits == (wide ? 8 : 4) &&
         p.entries_per_line == (wide ? 4 : 8) && p.element_type[0] == (wide ? 'i' : 's') &&
         p.scale_bound > p.default_scale;
}
