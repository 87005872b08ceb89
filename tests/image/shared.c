/* A shared library that holds a wfac table, which the executable of
   copy.c reads through a copy relocation. */
#include "w_shared.h"

int shared_first_cosine(void) { return w_shared[1]; }
