#include "twiddle/twiddles.hpp"

#include <cmath>

double twiddle_angle(double k, int x, int n) {
  const double product = k * static_cast<double>(x);
  return product / static_cast<double>(n);
}

int32_t to_fixed(double v, int width) {
  // The bounds are compared with the product itself, before truncation, so
  // 32767.5 (the default scale times a cosine of 1) saturates to 32767.
  const double max = width == 16 ? 32767.0 : 2147483647.0;
  const double min = width == 16 ? -32768.0 : -2147483648.0;
  if (v >= max) return static_cast<int32_t>(max);
  if (v <= min) return static_cast<int32_t>(min);
  if (std::isnan(v)) return 0;     // converting NaN to an integer is undefined
  return static_cast<int32_t>(v);  // truncates toward zero
}

namespace {

// Writes the scaled sine and cosine of θ = k * x / n to out[0] and out[1].
template <typename Entry>
void put_sin_cos(Entry* out, double k, int x, int n, double scale) {
  constexpr int width = 8 * sizeof(Entry);
  const double theta = twiddle_angle(k, x, n);
  out[0] = static_cast<Entry>(to_fixed(scale * std::sin(theta), width));
  out[1] = static_cast<Entry>(to_fixed(scale * std::cos(theta), width));
}

}  // namespace

template <typename Entry>
int generate_twiddles_6(Entry* out, int n, double scale) {
  const int q = n >> 2;
  int k = 0;
  for (int j = 1; j < q; j *= 4) {
    for (int i = 0; i < q; i += j) {
      put_sin_cos(out + k, K2, i, n, scale);
      put_sin_cos(out + k + 2, K4, i, n, scale);
      put_sin_cos(out + k + 4, K6, i, n, scale);
      k += 6;
    }
  }
  return k;
}

template int generate_twiddles_6<int16_t>(int16_t*, int, double);
template int generate_twiddles_6<int32_t>(int32_t*, int, double);

int generate_twiddles_12(int16_t* out, int n, double scale) {
  const int q = n >> 2;
  int k = 0;
  for (int j = 1; j < q; j *= 4) {
    for (int i = 0; i < q; i += 2 * j) {
      put_sin_cos(out + k, K2, i, n, scale);
      put_sin_cos(out + k + 2, K2, i + j, n, scale);
      put_sin_cos(out + k + 4, K4, i, n, scale);
      put_sin_cos(out + k + 6, K4, i + j, n, scale);
      put_sin_cos(out + k + 8, K6, i, n, scale);
      put_sin_cos(out + k + 10, K6, i + j, n, scale);
      k += 12;
    }
  }
  return k;
}
