// The table programs as cmake/WfacPrograms.cmake lists them, and the check
// that ties each program's ToolProfile to its row there. The build writes
// the rows into program_list.inc when it is configured.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/tool_profile.hpp"
#include "twiddle/twiddles.hpp"

struct ListedProgram {
  const char* name;
  int entry_width;                 // 16 or 32
  int layout;                      // entries per group: 6 (one butterfly) or 12 (two)
  const char* default_scale_text;  // as the usage text writes it
  double default_scale;
  const char* scale_bound_text;
  double scale_bound;
  const char* routines;            // the FFT routines its texts name, each after a space
  const char* power_of_4_routine;  // named too when N is a power of 4; "" when none
};

inline constexpr ListedProgram kListedPrograms[] = {
#include "program_list.inc"
};

namespace program_list {

constexpr bool same_text(const char* a, const char* b) {
  for (; *a != '\0' && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

constexpr bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether text holds the word of length characters at word, as a whole word.
constexpr bool holds_word(const char* text, const char* word, std::size_t length) {
  for (std::size_t at = 0; text[at] != '\0'; ++at) {
    std::size_t i = 0;
    while (i < length && text[at + i] == word[i]) ++i;
    if (i == length && (at == 0 || !is_name_char(text[at - 1])) && !is_name_char(text[at + i]))
      return true;
  }
  return false;
}

// Whether each of the words of list (each after a space) is a word of
// text or of also.
constexpr bool names_each(const char* list, const char* text, const char* also) {
  while (*list != '\0') {
    while (*list == ' ') ++list;
    std::size_t length = 0;
    while (list[length] != '\0' && list[length] != ' ') ++length;
    if (length > 0 && !holds_word(text, list, length) && !holds_word(also, list, length))
      return false;
    list += length;
  }
  return true;
}

constexpr std::size_t text_length(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

// The generator of a layout and entry width; null for a pair that none
// writes.
constexpr TableGenerator generator_of(int layout, int entry_width) {
  if (layout == 6 && entry_width == 16)
    return table_generator<int16_t, generate_twiddles_6<int16_t>>;
  if (layout == 6 && entry_width == 32)
    return table_generator<int32_t, generate_twiddles_6<int32_t>>;
  if (layout == 12 && entry_width == 16) return table_generator<int16_t, generate_twiddles_12>;
  return nullptr;
}

// The index of the row of the program name, or -1. (An index, not a
// pointer: GCC does not fold a pointer's comparison with null under
// -fsanitize=address or undefined.)
constexpr int row_of(const char* name) {
  int index = 0;
  for (const ListedProgram& row : kListedPrograms) {
    if (same_text(row.name, name)) return index;
    ++index;
  }
  return -1;
}

}  // namespace program_list

// True when the profile is that of a listed program and agrees with its
// row: entry width, default scale (as text and as a number), scale bound,
// the generator of its layout, and the routines that its usage text and
// its output's header name (the power-of-4 routine only in the suffix).
constexpr bool profile_matches_list(const ToolProfile& p) {
  using namespace program_list;
  const int index = row_of(p.program_name);
  if (index < 0) return false;
  const ListedProgram* row = &kListedPrograms[index];
  const char* power_of_4 = row->power_of_4_routine;
  const std::size_t power_of_4_length = text_length(power_of_4);
  return p.entry_width == row->entry_width &&
         same_text(p.usage_scale_text, row->default_scale_text) &&
         p.default_scale == row->default_scale && p.scale_bound == row->scale_bound &&
         p.generator == generator_of(row->layout, row->entry_width) &&
         names_each(row->routines, p.header_routine_line, "") &&
         names_each(row->routines, p.usage_line_4, p.usage_line_5) &&
         names_each(power_of_4, p.power_of_4_suffix, "") &&
         names_each(power_of_4, p.usage_line_4, p.usage_line_5) &&
         (power_of_4_length == 0) == (p.power_of_4_suffix[0] == '\0') &&
         (power_of_4_length == 0 ||
          !holds_word(p.header_routine_line, power_of_4, power_of_4_length));
}
