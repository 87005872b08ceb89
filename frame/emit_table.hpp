// Writes a finished table as C source text.
#pragma once

#include <cstdio>

#include "frame/tool_profile.hpp"

// Writes the comment box, the alignment pragma and the definition of the
// array w holding entries[0 .. count-1] (int16_t when the profile's hex
// digits are 4, int32_t when 8) to out. Every write is checked: returns 0
// once all of the text has been written and flushed, or else the errno of
// the first failure (EIO when none is known), after which nothing more is
// written. A stream left in the error state is a failure.
int emit_table(std::FILE* out, const void* entries, int count, int n, double scale, bool power_of_4,
               const ToolProfile& profile);
