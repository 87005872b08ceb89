// Twiddle-factor tables for fixed-point radix-4 FFTs.
//
// Every entry is trunc(scale * sin θ) or trunc(scale * cos θ), saturated to
// the entry's width, with θ = K * x / N for the angle constants below.
#pragma once

#include <cstdint>

// The doubles nearest 2π, 4π and 6π (2, 4 and 6 times the double nearest π).
inline constexpr double K2 = 6.283185307179586;
inline constexpr double K4 = 12.566370614359172;
inline constexpr double K6 = 18.84955592153876;

// θ = k * x / n: the product is rounded once to a double, then divided by n
// (exact, n being a power of 2).
double twiddle_angle(double k, int x, int n);

// Saturating conversion of a scaled sine or cosine to a signed entry of
// `width` bits (16 or 32). Values at or beyond a bound give that bound;
// the rest are truncated toward zero (-0.7 gives 0); NaN gives 0.
int32_t to_fixed(double v, int width);

// Six entries per butterfly: for each radix-4 stage (stride j = 1, 4, 16, ...
// while j < n/4) and each butterfly i = 0, j, 2j, ... below n/4, the sine and
// cosine of θ2(i), θ4(i), θ6(i). Writes from out[0] and returns the count:
// 2n - 8 when n is a power of 4, 2n - 4 otherwise. Entry is int16_t or int32_t.
template <typename Entry>
int generate_twiddles_6(Entry* out, int n, double scale);

// Twelve 16-bit entries per pair of butterflies i and i + j (i steps by 2j):
// sin/cos θ2(i), θ2(i+j), θ4(i), θ4(i+j), θ6(i), θ6(i+j). Same count as the
// six-entry table.
int generate_twiddles_12(int16_t* out, int n, double scale);
