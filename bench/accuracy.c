/* The error that a table's quantised twiddles alone bring to a forward
 * FFT: the suite's radix-4 model (tests/fft) run in double precision once
 * with the table's entries and once with exact twiddles (long double sin
 * and cos at the same slots), on an impulse, a tone and noise. Prints, for
 * each signal, the worst error of an output relative to the largest
 * output, and the RMS error relative to the RMS output.
 * Usage: accuracy N SCALE WIDTH LAYOUT < entries, with the table's entries
 * one a line (as wfac_print_entries prints them), WIDTH their bits (16 or
 * 32) and LAYOUT the entries of a group (6 or 12). */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "layout.h"
#include "radix4.h"

/* Reads up to room entries from standard input; returns their count, or -1
 * when there are more or the input is not all numbers. */
static int read_entries(long *entries, int room) {
  int count = 0;
  long value;
  while (scanf("%ld", &value) == 1) {
    if (count == room) return -1;
    entries[count++] = value;
  }
  return feof(stdin) ? count : -1;
}

int main(int argc, char **argv) {
  if (argc != 5) return 2;
  const int n = atoi(argv[1]);
  const double scale = atof(argv[2]);
  const int wide = atoi(argv[3]) == 32;
  const int layout = atoi(argv[4]);
  if (n < 16) return 2;
  long *raw = malloc(sizeof(long) * 2 * n);
  const int count = read_entries(raw, 2 * n);
  if (count <= 0) {
    fprintf(stderr, "accuracy: no table of at most %d entries on standard input\n", 2 * n);
    return 1;
  }
  short *w16 = malloc(sizeof(short) * 2 * n);
  int *w32 = malloc(sizeof(int) * 2 * n);
  for (int i = 0; i < count; ++i) {
    w16[i] = (short)raw[i];
    w32[i] = (int)raw[i];
  }
  /* The exact twiddles at the same slots. */
  double *exact = calloc(2 * (size_t)n, sizeof(double));
  const long double pi = 3.141592653589793238462643383279502884L;
  int stage_start = 0;
  for (int j = 1; j < n / 4; j *= 4) {
    for (int b = 0; b < n / (4 * j); ++b) {
      for (int r = 1; r <= 3; ++r) {
        const long double angle = 2 * pi * r * b * j / n;
        const int slot = twiddle_slot(stage_start, b, r, layout);
        exact[slot] = (double)sinl(angle);
        exact[slot + 1] = (double)cosl(angle);
      }
    }
    stage_start += 6 * (n / (4 * j));
  }

  double *qr = malloc(sizeof(double) * n), *qi = malloc(sizeof(double) * n);
  double *er = malloc(sizeof(double) * n), *ei = malloc(sizeof(double) * n);
  const char *signals[3] = {"impulse", "tone", "noise"};
  unsigned state = 12345u;
  for (int s = 0; s < 3; ++s) {
    for (int k = 0; k < n; ++k) {
      double xr = 0, xi = 0;
      if (s == 0) {
        xr = k == 0;
      } else if (s == 1) { /* a complex tone between bins: 5.3 cycles */
        xr = cos(2 * (double)pi * 5.3 * k / n);
        xi = sin(2 * (double)pi * 5.3 * k / n);
      } else {
        state = state * 1103515245u + 12345u;
        xr = (double)(state >> 8) / (1 << 24) - 0.5;
        state = state * 1103515245u + 12345u;
        xi = (double)(state >> 8) / (1 << 24) - 0.5;
      }
      qr[k] = er[k] = xr;
      qi[k] = ei[k] = xi;
    }
    fft_radix4(qr, qi, n, wide ? (const void *)w32 : (const void *)w16, wide, layout, scale);
    fft_radix4(er, ei, n, exact, 2, layout, 1.0);
    double largest = 0, worst = 0, power = 0, noise = 0;
    for (int p = 0; p < n; ++p) {
      const double e = hypot(qr[p] - er[p], qi[p] - ei[p]), y = hypot(er[p], ei[p]);
      largest = fmax(largest, y);
      worst = fmax(worst, e);
      power += y * y;
      noise += e * e;
    }
    printf("%s %.1e %.1e\n", signals[s], worst / largest, sqrt(noise / power));
  }
  return 0;
}
