/* Reads its two tables: one in .data, one in the section the build gives
   (.ccmram, or .wtab on RISC-V). */
#include "w_data.h"
#include "w_ram.h"

volatile int sink;

int main(void) {
  sink = w_data[1] + w_ram[1];
  for (;;) {
  }
}
