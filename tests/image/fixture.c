/* A host image that holds two wfac tables, for the checks of
   wfac_check_image. */
#include "w_fixture16.h"
#include "w_fixture32.h"

int main(void) { return w_fixture16[1] + w_fixture32[1] > 0 ? 0 : 1; }
