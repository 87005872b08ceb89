// Every entry of every table, read back from the programs' output and
// checked against an independent computation in long double.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fft/layout.h"
#include "programs.hpp"
#include "run_program.hpp"
#include "tools/table_text.hpp"

namespace {

// sin and cos of 2*pi*x/n, with x reduced exactly to the first octant so that
// the long double argument is at most pi/4.
void sin_cos(long long x, long long n, long double* s, long double* c) {
  const long double pi = 3.141592653589793238462643383279502884L;
  x %= n;
  const long long quadrant = x / (n / 4), rest = x % (n / 4);
  long double sa, ca;  // of the angle within the quadrant, below pi/2
  if (8 * rest <= n) {
    sa = std::sin(2 * pi * rest / n);
    ca = std::cos(2 * pi * rest / n);
  } else {
    sa = std::cos(2 * pi * (n / 4 - rest) / n);
    ca = std::sin(2 * pi * (n / 4 - rest) / n);
  }
  const long double sines[] = {sa, ca, -sa, -ca}, cosines[] = {ca, -sa, -ca, sa};
  *s = sines[quadrant];
  *c = cosines[quadrant];
}

class ExactEntries : public testing::TestWithParam<Program> {};

TEST_P(ExactEntries, MatchLongDoubleForEverySize) {
  const Program& p = GetParam();
  const long double scale = std::stold(p.default_scale_text);
  const long double max = p.entry_width == 16 ? 32767.0L : 2147483647.0L;
  long double closest = 1;  // nearest approach of a scaled term to a nonzero integer
  for (int n = 16; n <= 32768; n *= 2) {
    const ProgramRun run = run_program(p.name, {std::to_string(n)});
    ASSERT_EQ(run.status, 0);
    TableText table;
    std::string error;
    ASSERT_TRUE(read_table_text(run.out, &table, &error)) << "N = " << n << ": " << error;
    ASSERT_EQ(table.entry_width, p.entry_width) << "N = " << n;
    const std::vector<long long> entries(table.entries.begin(), table.entries.end());
    std::vector<long long> want(entries.size(), 0x7FFFFFFFLL + 1);
    int stage_start = 0;
    for (int j = 1; j < n / 4; j *= 4) {
      for (int b = 0; b < n / (4 * j); ++b) {
        for (int r = 1; r <= 3; ++r) {
          long double terms[2];
          sin_cos(static_cast<long long>(r) * b * j, n, &terms[0], &terms[1]);
          const int slot = twiddle_slot(stage_start, b, r, p.layout);
          for (int c = 0; c < 2; ++c) {
            const long double term = scale * terms[c];
            const long double nearest = std::round(term);
            if (nearest != 0) closest = std::min(closest, std::fabs(term - nearest));
            const long double clipped = std::fmin(std::fmax(term, -max - 1), max);
            ASSERT_LT(static_cast<std::size_t>(slot + c), want.size()) << "N = " << n;
            want[slot + c] = static_cast<long long>(std::trunc(clipped));
          }
        }
      }
      stage_start += 6 * (n / (4 * j));
    }
    ASSERT_EQ(static_cast<int>(entries.size()), stage_start) << "N = " << n;
    for (std::size_t i = 0; i < entries.size(); ++i)
      ASSERT_EQ(entries[i], want[i]) << "N = " << n << ", entry " << i;
  }
  std::printf("%s: closest approach of a scaled term to a nonzero integer: %.3Lg\n", p.name,
              closest);
  RecordProperty("closest_approach", std::to_string(static_cast<double>(closest)));
  EXPECT_GT(closest, 3e-5L);
}

INSTANTIATE_TEST_SUITE_P(Programs, ExactEntries, testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
