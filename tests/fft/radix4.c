#include "radix4.h"

#include <math.h>
#include <stdlib.h>

#include "layout.h"

/* wide: 0 for 16-bit entries, 1 for 32-bit ones, 2 for doubles. */
static double entry(const void *w, int wide, int index, double scale) {
  if (wide == 2) return ((const double *)w)[index] / scale;
  return (wide ? ((const int *)w)[index] : ((const short *)w)[index]) / scale;
}

/* The frequency whose value a DIF pass leaves at position p of a block of len
 * points: the quarter a point lands in is its frequency mod 4, the rest comes
 * from the smaller transform inside that quarter. Blocks of 4 and 2 points
 * are transformed directly and keep their order. */
int frequency_at(int p, int len) {
  if (len <= 4) return p;
  return 4 * frequency_at(p % (len / 4), len / 4) + p / (len / 4);
}

/* In place, over re/im: one twiddled radix-4 pass per stride j < n/4, then a
 * radix-4 (n a power of 4) or radix-2 pass without twiddles. */
void fft_radix4(double *re, double *im, int n, const void *w, int wide, int layout, double scale) {
  int stage_start = 0;
  int j = 1;
  for (; j < n / 4; j *= 4) {
    const int len = n / j, quarter = len / 4;
    for (int block = 0; block < n; block += len) {
      for (int b = 0; b < quarter; ++b) {
        const int p0 = block + b, p1 = p0 + quarter, p2 = p1 + quarter, p3 = p2 + quarter;
        /* y1 = x0 - i x1 - x2 + i x3, y3 = x0 + i x1 - x2 - i x3 */
        const double ar = re[p0] + re[p2], ai = im[p0] + im[p2];
        const double br = re[p0] - re[p2], bi = im[p0] - im[p2];
        const double cr = re[p1] + re[p3], ci = im[p1] + im[p3];
        const double dr = im[p1] - im[p3], di = re[p3] - re[p1]; /* -i (x1 - x3) */
        double yr[4] = {ar + cr, br + dr, ar - cr, br - dr};
        double yi[4] = {ai + ci, bi + di, ai - ci, bi - di};
        const int at[4] = {p0, p1, p2, p3};
        re[p0] = yr[0];
        im[p0] = yi[0];
        for (int r = 1; r <= 3; ++r) {
          /* W = cos - i sin of the angle 2 pi r b j / n */
          const int slot = twiddle_slot(stage_start, b, r, layout);
          const double s = entry(w, wide, slot, scale), c = entry(w, wide, slot + 1, scale);
          re[at[r]] = yr[r] * c + yi[r] * s;
          im[at[r]] = yi[r] * c - yr[r] * s;
        }
      }
    }
    stage_start += 6 * quarter;
  }
  const int len = n / j;
  for (int p = 0; p < n; p += len) {
    if (len == 2) {
      const double r0 = re[p], i0 = im[p];
      re[p] = r0 + re[p + 1];
      im[p] = i0 + im[p + 1];
      re[p + 1] = r0 - re[p + 1];
      im[p + 1] = i0 - im[p + 1];
      continue;
    }
    const double ar = re[p] + re[p + 2], ai = im[p] + im[p + 2];
    const double br = re[p] - re[p + 2], bi = im[p] - im[p + 2];
    const double cr = re[p + 1] + re[p + 3], ci = im[p + 1] + im[p + 3];
    const double dr = im[p + 1] - im[p + 3], di = re[p + 3] - re[p + 1];
    re[p] = ar + cr;
    im[p] = ai + ci;
    re[p + 1] = br + dr;
    im[p + 1] = bi + di;
    re[p + 2] = ar - cr;
    im[p + 2] = ai - ci;
    re[p + 3] = br - dr;
    im[p + 3] = bi - di;
  }
}

double fft_relative_error(const void *w, int wide, int layout, int n, double scale) {
  const double pi = 3.14159265358979323846;
  double *re = malloc(sizeof(double) * n), *im = malloc(sizeof(double) * n);
  double *xr = malloc(sizeof(double) * n), *xi = malloc(sizeof(double) * n);
  double *cosine = malloc(sizeof(double) * n), *sine = malloc(sizeof(double) * n);
  unsigned state = 12345u;
  for (int k = 0; k < n; ++k) {
    state = state * 1103515245u + 12345u;
    xr[k] = re[k] = (double)(state >> 8) / (1 << 24) - 0.5;
    state = state * 1103515245u + 12345u;
    xi[k] = im[k] = (double)(state >> 8) / (1 << 24) - 0.5;
    cosine[k] = cos(2 * pi * k / n);
    sine[k] = sin(2 * pi * k / n);
  }
  fft_radix4(re, im, n, w, wide, layout, scale);

  double largest = 0, worst = 0;
  for (int p = 0; p < n; ++p) {
    const int f = frequency_at(p, n);
    double sr = 0, si = 0; /* X[f] = sum x[k] (cos - i sin)(2 pi f k / n) */
    for (int k = 0; k < n; ++k) {
      const int a = (int)(((long)f * k) % n);
      sr += xr[k] * cosine[a] + xi[k] * sine[a];
      si += xi[k] * cosine[a] - xr[k] * sine[a];
    }
    largest = fmax(largest, hypot(sr, si));
    worst = fmax(worst, hypot(re[p] - sr, im[p] - si));
  }
  free(re);
  free(im);
  free(xr);
  free(xi);
  free(cosine);
  free(sine);
  return worst / largest;
}

double fft_error_bound(int n, double scale) {
  int stages = 0;
  for (int j = 1; j < n / 4; j *= 4) ++stages;
  return 4.0 * stages / scale;
}
