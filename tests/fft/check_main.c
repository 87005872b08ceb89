/* Linked with a table compiled from a program's output: transforms with it
 * and prints the relative error. Usage: check N scale layout */
#include <stdio.h>
#include <stdlib.h>

#include "radix4.h"

extern const WFAC_ENTRY w[];

int main(int argc, char **argv) {
  if (argc != 4) return 2;
  const int n = atoi(argv[1]);
  const double scale = atof(argv[2]);
  const int layout = atoi(argv[3]);
  printf("%.17g\n", fft_relative_error(w, sizeof w[0] == 4, layout, n, scale));
  return 0;
}
