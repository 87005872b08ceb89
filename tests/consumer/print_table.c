/* Prints the first eight entries of the table linked in. */
#include <stdio.h>

extern const ENTRY w[];

int main(void) {
  for (int i = 0; i < 8; ++i) printf("%d%c", (int)w[i], i == 7 ? '\n' : ' ');
  return 0;
}
