#include "twiddle/twiddles.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fft/layout.h"

namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(ToFixed, SaturatesTruncatesTowardZeroAndMapsNanToZero) {
  struct Case {
    double v;
    int width;
    int32_t want;
  } cases[] = {
      {32767.5 * std::cos(0.0), 16, 32767},  // default scale, cosine of 1
      {2147483647.5 * std::cos(0.0), 32, 2147483647},
      {32767.0, 16, 32767},
      {32766.999, 16, 32766},
      {1e12, 16, 32767},
      {kInf, 16, 32767},
      {-32768.0, 16, -32768},
      {-32767.9, 16, -32767},
      {-1e12, 16, -32768},
      {2147483646.9, 32, 2147483646},
      {-2147483648.0, 32, -2147483647 - 1},
      {-2147483647.9, 32, -2147483647},
      {-kInf, 32, -2147483647 - 1},
      {-0.9, 16, 0},
      {-0.7, 32, 0},
      {0.99, 16, 0},
      {-12539.99, 16, -12539},
      {kNan, 16, 0},
      {kNan, 32, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(to_fixed(c.v, c.width), c.want) << c.v << " width " << c.width;
}

TEST(Generators, SixEntryTablesForSixteenPoints) {
  const std::vector<int16_t> hw = {0,     32767,  0,     32767, 0,     32767,  12539,  30273,
                                   23170, 23170,  30273, 12539, 23170, 23170,  32767,  0,
                                   23170, -23170, 30273, 12539, 23170, -23170, -12539, -30273};
  const std::vector<int32_t> ww = {0,          2147483647,  0,           2147483647, 0,
                                   2147483647, 821806413,   1984016188,  1518500249, 1518500249,
                                   1984016188, 821806413,   1518500249,  1518500249, 2147483647,
                                   0,          1518500249,  -1518500249, 1984016188, 821806413,
                                   1518500249, -1518500249, -821806413,  -1984016188};
  std::vector<int16_t> t16(32);
  std::vector<int32_t> t32(32);
  ASSERT_EQ(generate_twiddles_6(t16.data(), 16, 32767.5), 24);
  ASSERT_EQ(generate_twiddles_6(t32.data(), 16, 2147483647.5), 24);
  EXPECT_EQ(std::vector<int16_t>(t16.begin(), t16.begin() + 24), hw);
  EXPECT_EQ(std::vector<int32_t>(t32.begin(), t32.begin() + 24), ww);
}

// Every size: the count, and nothing written past it (the rest of the
// 2 * N table keeps what it held).
template <typename Entry, typename Generate>
void check_counts(Generate generate, double scale) {
  for (int e = 4; e <= 15; ++e) {
    const int n = 1 << e;
    const int want = e % 2 == 0 ? 2 * n - 8 : 2 * n - 4;
    std::vector<Entry> table(2 * n, 0x5A5A);
    EXPECT_EQ(generate(table.data(), n, scale), want) << "N = " << n;
    for (int i = want; i < 2 * n; ++i)
      ASSERT_EQ(table[i], 0x5A5A) << "N = " << n << ", index " << i;
  }
}

TEST(Generators, CountsForEverySize) {
  check_counts<int16_t>(generate_twiddles_6<int16_t>, 32767.5);
  check_counts<int32_t>(generate_twiddles_6<int32_t>, 2147483647.5);
  check_counts<int16_t>(generate_twiddles_12, 32767.5);
}

TEST(Generators, TwelveEntryTableForSixteenPoints) {
  const std::vector<int16_t> hh = {0,     32767, 12539, 30273,  0,     32767,  23170,  23170,
                                   0,     32767, 30273, 12539,  23170, 23170,  30273,  12539,
                                   32767, 0,     23170, -23170, 23170, -23170, -12539, -30273};
  std::vector<int16_t> t(32);
  ASSERT_EQ(generate_twiddles_12(t.data(), 16, 32767.5), 24);
  EXPECT_EQ(std::vector<int16_t>(t.begin(), t.begin() + 24), hh);
}

// In every stage, the twelve-entry group g holds the six-entry values of
// butterflies 2g and 2g + 1 of that stage: for each angle (single, double,
// triple) the first butterfly's sine and cosine, then the second's.
TEST(Generators, TwelveEntryGroupsPairTheSixEntryButterflies) {
  for (double scale : {32767.5, 1000.0}) {
    for (int e = 4; e <= 15; ++e) {
      const int n = 1 << e;
      const int q = n / 4;
      std::vector<int16_t> t6(2 * n), t12(2 * n);
      ASSERT_EQ(generate_twiddles_12(t12.data(), n, scale),
                generate_twiddles_6(t6.data(), n, scale));
      int stage = 0;  // index of the stage's first entry, the same in both tables
      for (int j = 1; j < q; j *= 4) {
        for (int u = 0; u < q / j; ++u) {
          for (int m = 0; m < 3; ++m) {
            for (int c = 0; c < 2; ++c) {
              ASSERT_EQ(t12[twiddle_slot(stage, u, m + 1, 12) + c],
                        t6[twiddle_slot(stage, u, m + 1, 6) + c])
                  << "N = " << n << ", stride " << j << ", butterfly " << u * j;
            }
          }
        }
        stage += 6 * (q / j);
      }
    }
  }
}

// Entries whose scaled terms lie closest to an integer: a product held in
// single precision, or rounded before truncation, gets them wrong.
TEST(Generators, EntriesNearestAnInteger) {
  std::vector<int16_t> t16(2 * 8192);
  generate_twiddles_6(t16.data(), 8192, 32767.5);
  EXPECT_EQ(t16[6427], 22319);
  std::vector<int32_t> t32(2 * 32768);
  generate_twiddles_6(t32.data(), 32768, 2147483647.5);
  EXPECT_EQ(t32[42779], -1232832658);
  generate_twiddles_12(t16.data(), 8192, 32767.5);
  EXPECT_EQ(t16[6423], 22319);
}

// N = 32 has a second stage (stride 4) whose two groups are the first
// stage's groups for butterflies 0 and 4.
TEST(Generators, SecondStageRepeatsStrideGroups) {
  std::vector<int16_t> t(64);
  ASSERT_EQ(generate_twiddles_6(t.data(), 32, 1000.0), 60);
  for (int m = 0; m < 6; ++m) {
    EXPECT_EQ(t[48 + m], t[0 + m]);
    EXPECT_EQ(t[54 + m], t[24 + m]);
  }
}

}  // namespace
