/* Reads both tables, so that both are linked into the image. */
#include "dsp.h"
#include "w_hw256.h"
#include "w_ww64.h"

/* The 256-point table holds those of 64 and 16 points from these indices:
   2N - 2M for the table of M points within that of N. */
#if W_HW256_OFFSET_256 != 0 || W_HW256_OFFSET_64 != 2 * 256 - 2 * 64 || \
    W_HW256_OFFSET_16 != 2 * 256 - 2 * 16
#error "w_hw256.h gives the wrong offsets"
#endif

/* Two bytes that the tables must not take their alignment from. */
extern const short firmware_pad;
const short firmware_pad = 1;
volatile int firmware_sink;

#ifdef __cplusplus
extern "C"
#endif
    void
    reset_handler(void);

void reset_handler(void) {
  firmware_sink = w_hw256[1] + (w_hw256 + W_HW256_OFFSET_64)[1] +
                  (int)(sizeof w_ww64 / sizeof w_ww64[0]) + dsp_first_cosine() + firmware_pad;
  for (;;) {
  }
}
