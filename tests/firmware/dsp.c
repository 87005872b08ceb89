/* A library routine that reads its own table. */
#include "dsp.h"

#include "w_ww64.h"

int dsp_first_cosine(void) { return w_ww64[1]; }
