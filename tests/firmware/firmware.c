/* Reads both tables, so that both are linked into the image. */
#include "dsp.h"
#include "w_hw256.h"
#include "w_ww64.h"

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
  firmware_sink =
      w_hw256[1] + (int)(sizeof w_ww64 / sizeof w_ww64[0]) + dsp_first_cosine() + firmware_pad;
  for (;;) {
  }
}
