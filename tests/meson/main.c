/* Reads both tables, so that both are linked into the image. */
#include "w_hw256.h"
#include "w_ww64.h"

/* Two bytes that the tables must not take their alignment from. */
extern const short firmware_pad;
const short firmware_pad = 1;
volatile int firmware_sink;

void reset_handler(void);

void reset_handler(void) {
  firmware_sink = w_hw256[1] + w_ww64[1] + firmware_pad;
  for (;;) {
  }
}
