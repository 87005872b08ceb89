/* A radix-4 decimation-in-frequency FFT in double precision that takes its
 * twiddles from a table in the programs' layout (see layout.h). */
#ifndef WFAC_TEST_RADIX4_H
#define WFAC_TEST_RADIX4_H

#ifdef __cplusplus
extern "C" {
#endif

/* Transforms re/im (n points) in place with the table w: entries of 16
 * bits, of 32 bits when wide is 1, or doubles when it is 2, each divided by
 * scale. The output at position p is the frequency frequency_at(p, n). */
void fft_radix4(double *re, double *im, int n, const void *w, int wide, int layout, double scale);
int frequency_at(int p, int n);

/* Transforms a fixed pseudo-random input of n points with the table w
 * (16-bit entries, or 32-bit when wide), each entry divided by scale, and
 * returns the largest error of any output against a direct DFT, relative to
 * the largest output. */
double fft_relative_error(const void *w, int wide, int layout, int n, double scale);

/* What the twiddles' quantisation alone can explain: each entry is off by
 * less than 1/scale (truncation, or saturation of a cosine of 1), which
 * perturbs every twiddled stage's outputs by at most 2/scale of their size.
 * Twice that per stage leaves room for the arithmetic; a wrong order, sign
 * or angle gives errors of order 1. */
double fft_error_bound(int n, double scale);

#ifdef __cplusplus
}
#endif

#endif
