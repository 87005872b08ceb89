// wfac_hh_gen: twelve-entry table of 16-bit twiddle factors, two butterflies
// a group, for QRV_fft_hh_pa and QRV_fft_hh_pb, and QRV_fft when N is a
// power of 4.
#include <cstdint>

#include "frame/run_tool.hpp"
#include "programs/program_list.hpp"
#include "twiddle/twiddles.hpp"

namespace {

constexpr ToolProfile profile = {
    "wfac_hh_gen",
    "arrays for the QRV_fft, QRV_fft_hh_pa and QRV_fft_hh_pb FFT",
    "library routines.  It is called as follows:",
    "32767.5",
    32767.5,
    32767.6,
    16,
    table_generator<int16_t, generate_twiddles_12>,
    "short",
    4,
    8,
    "/*      Appropriate FFTs:    QRV_fft_hh_pa, QRV_fft_hh_pb%s      */",
    ", QRV_fft",
};

static_assert(profile_is_consistent(profile), "the profile's fields disagree on the entry width");
static_assert(profile_matches_list(profile),
              "the profile differs from its row in cmake/WfacPrograms.cmake");

}  // namespace

int main(int argc, char** argv) { return run_tool(profile, argc, argv); }
