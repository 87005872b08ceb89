// wfac_ww_gen: six-entry table of 32-bit twiddle factors for QRV_fft_ww_a,
// QRV_fft_ww_ab and QRV_ifft_ww_a.
#include <cstdint>

#include "frame/run_tool.hpp"
#include "programs/program_list.hpp"
#include "twiddle/twiddles.hpp"

namespace {

constexpr ToolProfile profile = {
    "wfac_ww_gen",
    "arrays for the QRV_fft_ww_a, QRV_fft_ww_ab and QRV_ifft_ww_a FFT",
    "library routines.  It is called as follows:",
    "2147483647.5",
    2147483647.5,
    2147483647.6,
    32,
    table_generator<int32_t, generate_twiddles_6<int32_t>>,
    "int",
    8,
    4,
    "/*      Appropriate FFTs:    QRV_fft_ww_a, QRV_fft_ww_ab, QRV_ifft_ww_a */",
    "",
};

static_assert(profile_is_consistent(profile), "the profile's fields disagree on the entry width");
static_assert(profile_matches_list(profile),
              "the profile differs from its row in cmake/WfacPrograms.cmake");

}  // namespace

int main(int argc, char** argv) { return run_tool(profile, argc, argv); }
