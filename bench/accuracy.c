/* The error that a table's quantised twiddles alone bring to a forward
 * FFT: the suite's radix-4 model (tests/fft) run in double precision once
 * with the table's entries and once with exact twiddles (long double sin
 * and cos at the same slots), on an impulse, a tone and noise. Prints, for
 * each signal, the worst error of an output relative to the largest
 * output, and the RMS error relative to the RMS output.
 * Usage: accuracy PROGRAM N SCALE  (PROGRAM a path: wfac_hw_gen, ...) */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "layout.h"
#include "radix4.h"

/* Reads the entries that the program writes for -s scale n. */
static int read_table(const char *program, int n, const char *scale, long *entries, int room) {
  char command[4096];
  snprintf(command, sizeof command, "'%s' -s %s %d", program, scale, n);
  FILE *out = popen(command, "r");
  if (out == NULL) return -1;
  int c, count = 0, started = 0;
  while ((c = fgetc(out)) != EOF && c != '}') {
    if (c == '{') started = 1;
    if (!started || (c != '-' && c != '0')) continue;
    int negative = c == '-';
    if (negative && fgetc(out) != '0') break;
    if (fgetc(out) != 'x') continue;
    long value = 0;
    while ((c = fgetc(out)) != EOF && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
      value = 16 * value + (c <= '9' ? c - '0' : c - 'A' + 10);
    if (count < room) entries[count++] = negative ? -value : value;
  }
  return pclose(out) == 0 ? count : -1;
}

int main(int argc, char **argv) {
  if (argc != 4) return 2;
  const char *program = argv[1];
  const int n = atoi(argv[2]);
  const double scale = atof(argv[3]);
  const int wide = strstr(program, "ww") != NULL;
  const int paired = strstr(program, "hh") != NULL;
  long *raw = malloc(sizeof(long) * 2 * n);
  const int count = read_table(program, n, argv[3], raw, 2 * n);
  if (count <= 0) {
    fprintf(stderr, "accuracy: %s -s %s %d wrote no table\n", program, argv[3], n);
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
        const int slot = twiddle_slot(stage_start, b, r, paired);
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
    fft_radix4(qr, qi, n, wide ? (const void *)w32 : (const void *)w16, wide, paired, scale);
    fft_radix4(er, ei, n, exact, 2, paired, 1.0);
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
