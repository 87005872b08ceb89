#include "programs.hpp"

const Program kPrograms[3] = {
    {"wfac_hh_gen", "arrays for the QRV_fft, QRV_fft_hh_pa and QRV_fft_hh_pb FFT",
     "library routines.  It is called as follows:", "32767.5", "-s32767.6", "-s32767.7", 16, true},
    {"wfac_hw_gen", "arrays for the QRV_fft_hw_a and QRV_ifft_hw_a FFT library routine.",
     "It is called as follows:", "32767.5", "-s32767.6", "-s32767.7", 16, false},
    {"wfac_ww_gen", "arrays for the QRV_fft_ww_a, QRV_fft_ww_ab and QRV_ifft_ww_a FFT",
     "library routines.  It is called as follows:", "2147483647.5", "-s2147483647.6",
     "-s2147483647.7", 32, false},
};
const Program& kHh = kPrograms[0];
const Program& kHw = kPrograms[1];
const Program& kWw = kPrograms[2];

std::string usage(const Program& p) {
  const std::string lines[] = {
      "",
      "USAGE",
      "    This is a stand-alone program intended to generate twiddle-factor",
      std::string("    ") + p.usage_line_4,
      std::string("    ") + p.usage_line_5,
      "",
      std::string("        ") + p.name + " [-s scale] N > outputfile.c",
      "",
      "    The argument 'N' specifies the size of the FFT.  This value",
      "    must be a power of 2.  The switch '-s scale' allows selecting",
      "    a different scale factor for the coefficients.  The default",
      std::string("    scale factor is ") + p.scale_text + ".",
      "",
      "    This program will generate the twiddle factor array 'w' and",
      "    output the result to the display.  Redirect the output to",
      "    a file as shown above.",
      "",
  };
  std::string text;
  for (std::string line : lines) {
    line.resize(72, ' ');
    text += line + "\n";
  }
  return text;
}

void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }
