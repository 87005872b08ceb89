/* Prints the length of the table w_ww, as its header declares it, and its
   first eight entries. */
#include <stdio.h>

#include "w_ww.h"

int main(void) {
  printf("%d:", (int)(sizeof w_ww / sizeof w_ww[0]));
  for (int i = 0; i < 8; ++i) printf(" %d", w_ww[i]);
  printf("\n");
  return 0;
}
