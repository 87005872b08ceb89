/* Preloaded into a program by the tests (LD_PRELOAD): calloc fails, as when
   memory runs out, for a request of exactly WFAC_FAIL_CALLOC_BYTES bytes;
   every other request is served by malloc. */
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

void *calloc(size_t count, size_t size) {
  const char *fail = getenv("WFAC_FAIL_CALLOC_BYTES");
  void *p;
  if (count != 0 && size > SIZE_MAX / count) {
    errno = ENOMEM;
    return NULL;
  }
  if (fail != NULL && strtoull(fail, NULL, 10) == (unsigned long long)(count * size)) {
    errno = ENOMEM;
    return NULL;
  }
  p = malloc(count * size);
  if (p != NULL) memset(p, 0, count * size);
  return p;
}
