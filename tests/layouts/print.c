/* Prints every entry of the array TABLE, which HEADER declares, one a line;
   with WITH_FILTER, first what the project's own filter.c returns. */
#include <stdio.h>

#include HEADER

#ifdef WITH_FILTER
int filter_run(void);
#endif

int main(void) {
  size_t i;
#ifdef WITH_FILTER
  printf("filter %d\n", filter_run());
#endif
  for (i = 0; i < sizeof TABLE / sizeof TABLE[0]; ++i) printf("%ld\n", (long)TABLE[i]);
  return 0;
}
