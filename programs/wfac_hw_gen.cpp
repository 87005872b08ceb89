// wfac_hw_gen: six-entry table of 16-bit twiddle factors for QRV_fft_hw_a
// and QRV_ifft_hw_a.
#include <cstdint>

#include "frame/run_tool.hpp"
#include "programs/program_list.hpp"
#include "twiddle/twiddles.hpp"

namespace {

constexpr ToolProfile profile = {
    "wfac_hw_gen",
    "arrays for the QRV_fft_hw_a and QRV_ifft_hw_a FFT library routine.",
    "It is called as follows:",
    "32767.5",
    32767.5,
    32767.6,
    16,
    table_generator<int16_t, generate_twiddles_6<int16_t>>,
    "short",
    4,
    8,
    "/*      Appropriate FFTs:    QRV_fft_hw_a, QRV_ifft_hw_a                */",
    "",
};

static_assert(profile_is_consistent(profile), "the profile's fields disagree on the entry width");
static_assert(profile_matches_list(profile),
              "the profile differs from its row in cmake/WfacPrograms.cmake");

}  // namespace

int main(int argc, char** argv) { return run_tool(profile, argc, argv); }
