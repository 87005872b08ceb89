// The programs as their users see them: names, usage texts, scale bounds.
#pragma once

#include <ostream>
#include <string>

struct Program {
  const char* name;
  const char* usage_line_4;
  const char* usage_line_5;
  const char* scale_text;      // the default scale
  const char* bound_accepted;  // the largest scale, as a switch
  const char* bound_refused;   // just above it
  int entry_bits;
  bool paired;  // twelve entries per pair of butterflies
};

extern const Program kPrograms[3];
extern const Program &kHh, &kHw, &kWw;

// The program's usage text, exactly as it writes it to standard error.
std::string usage(const Program& p);

// The failure lines that may follow the usage text.
inline constexpr char kNumeric[] = "ERROR:  The -s switch requires a numeric argument.\n\n";
inline constexpr char kRange[] = "ERROR:  Scale factor out of range.\n\n";
inline constexpr char kBetween[] = "ERROR:  FFT size must be between 16 and 32768 points.\n";
inline constexpr char kPower[] = "ERROR:  FFT size must be a power of 2\n\n";
inline constexpr char kNoSize[] = "ERROR:  Must specify FFT size.\n";

void PrintTo(const Program& p, std::ostream* os);
