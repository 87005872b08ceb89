// wfac_check_image: checks that a linked ELF image holds its wfac tables
// where the CPU reads them.
#include "image/check_image.hpp"

int main(int argc, char** argv) { return run_check_image(argc, argv); }
