/* Reads the table of a shared library directly, so that the dynamic linker
   fills this executable's copy of it at load time (a copy relocation). */
#include "w_shared.h"

int main(void) { return w_shared[1] == 0x7FFF ? 0 : 1; }
