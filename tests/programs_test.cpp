// End to end: the built programs, their exact output, messages and status.
#include "programs.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.hpp"

namespace {

// Refused command lines: what follows the usage text on standard error.
struct Refusal {
  std::vector<std::string> args;
  std::string tail;
};

const Refusal kRefusals[] = {
    {{}, ""},
    {{"-s"}, kNumeric},
    {{"64", "-s"}, kNumeric},
    {{"-s", ""}, kNumeric},
    {{"-s", "   ", "64"}, kNumeric},
    {{"-sx", "64"}, kNumeric},
    {{"-scale", "64"}, kNumeric},
    {{"-s", "-x", "64"}, kNumeric},
    {{"-s0", "64"}, kRange},
    {{"-s-1", "64"}, kRange},
    {{"-s", "-1", "64"}, kRange},
    {{"-s", "-0", "64"}, kRange},
    {{"-s", "1e-400", "64"}, kRange},
    {{"-s", "inf", "64"}, kRange},
    {{"-s", "nan", "64"}, kRange},
    {{"-snan", "64"}, kRange},
    {{"-s", "NaN", "64"}, kRange},
    {{"-s", "1e300", "64"}, kRange},
    {{"-16"}, "ERROR:  Unrecognized switch character: '1'\n\n"},
    {{"-x", "64"}, "ERROR:  Unrecognized switch character: 'x'\n\n"},
    {{"/?"}, "ERROR:  Unrecognized switch character: '?'\n\n"},
    {{"-"}, "ERROR:  Unrecognized switch character: '\n"},
    {{"64", "/"}, "ERROR:  Unrecognized switch character: '\n"},
    {{"abc"}, "ERROR:  Unrecognized argument:  abc\n\n"},
    {{""}, "ERROR:  Unrecognized argument:  \n\n"},
    {{"0123456789abcdefghijklmnopqrstuvwxyzABCD"}, kBetween},
    {{"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN"},
     "ERROR:  Unrecognized argument:  abcdefghijklmnopqrstuvwxyzABCDEF\n\n"},
    {{" 64"}, "ERROR:  Unrecognized argument:   64\n\n"},
    {{"+64"}, "ERROR:  Unrecognized argument:  +64\n\n"},
    {{"\xff"
      "64"},
     "ERROR:  Unrecognized argument:  \xff"
     "64\n\n"},
    {{"\xd9\xa4"}, "ERROR:  Unrecognized argument:  \xd9\xa4\n\n"},  // ARABIC-INDIC DIGIT FOUR
    {{"64", "abc"}, "ERROR:  Unrecognized argument:  abc\n\n"},
    {{"abc", "8"}, "ERROR:  Unrecognized argument:  abc\n\n"},
    {{"8"}, kBetween},
    {{"0"}, kBetween},
    {{"00"}, kBetween},
    {{"15"}, kBetween},
    {{"32769"}, kBetween},
    {{"65536"}, kBetween},
    {{"327680"}, kBetween},  // 32768 and one digit more
    {{"327689"}, kBetween},
    {{"3276800"}, kBetween},
    {{"2147483648"}, kBetween},
    {{"4294967312"}, kBetween},
    {{"99999999999"}, kBetween},
    {{"00000000000000000000000000000000000008"}, kBetween},
    {{"8", "abc"}, kBetween},
    {{"48"}, kPower},
    {{"100", "16"}, kPower},
    {{"64", "48"}, kPower},
    {{"-s", "16"}, kNoSize},
    {{"-s2", "-s3"}, kNoSize},
};

std::string show(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += " '" + a + "'";
  return text;
}

TEST(Programs, RefusedCommandLines) {
  for (const Program& p : kPrograms) {
    for (const Refusal& r : kRefusals) {
      const ProgramRun run = run_program(p.name, r.args);
      EXPECT_EQ(run.status, 1) << p.name << show(r.args);
      EXPECT_EQ(run.out, "") << p.name << show(r.args);
      EXPECT_EQ(run.err, usage(p) + r.tail) << p.name << show(r.args);
    }
  }
}

TEST(Programs, ScaleBound) {
  for (const Program& p : kPrograms) {
    const ProgramRun accepted = run_program(p.name, {p.bound_accepted, "64"});
    EXPECT_EQ(accepted.status, 0) << p.name;
    EXPECT_EQ(accepted.err, "") << p.name;
    const ProgramRun refused = run_program(p.name, {p.bound_refused, "64"});
    EXPECT_EQ(refused.status, 1) << p.name;
    EXPECT_EQ(refused.err, usage(p) + kRange) << p.name;
  }
}

const char kHw16[] =
    "/* -------------------------------------------------------------------- */\n"
    "/*  Automatically generated twiddle-factor array.                       */\n"
    "/*      Number of points:    16                                         */\n"
    "/*      Scale factor:        32767.500000000                            */\n"
    "/*      Appropriate FFTs:    QRV_fft_hw_a, QRV_ifft_hw_a                */\n"
    "/*      Required alignment:  8 byte (double-word)                       */\n"
    "/* -------------------------------------------------------------------- */\n"
    "#pragma DATA_ALIGN(w, 8);\n"
    "const short w[2 * 12] =\n"
    "{\n"
    "     0x0000,  0x7FFF,  0x0000,  0x7FFF,  0x0000,  0x7FFF,  0x30FB,  0x7641,\n"
    "     0x5A82,  0x5A82,  0x7641,  0x30FB,  0x5A82,  0x5A82,  0x7FFF,  0x0000,\n"
    "     0x5A82, -0x5A82,  0x7641,  0x30FB,  0x5A82, -0x5A82, -0x30FB, -0x7641\n"
    "};\n";

const char kWw16[] =
    "/* -------------------------------------------------------------------- */\n"
    "/*  Automatically generated twiddle-factor array.                       */\n"
    "/*      Number of points:    16                                         */\n"
    "/*      Scale factor:        2147483647.500000000                       */\n"
    "/*      Appropriate FFTs:    QRV_fft_ww_a, QRV_fft_ww_ab, QRV_ifft_ww_a */\n"
    "/*      Required alignment:  8 byte (double-word)                       */\n"
    "/* -------------------------------------------------------------------- */\n"
    "#pragma DATA_ALIGN(w, 8);\n"
    "const int w[2 * 12] =\n"
    "{\n"
    "     0x00000000,  0x7FFFFFFF,  0x00000000,  0x7FFFFFFF,\n"
    "     0x00000000,  0x7FFFFFFF,  0x30FBC54D,  0x7641AF3C,\n"
    "     0x5A827999,  0x5A827999,  0x7641AF3C,  0x30FBC54D,\n"
    "     0x5A827999,  0x5A827999,  0x7FFFFFFF,  0x00000000,\n"
    "     0x5A827999, -0x5A827999,  0x7641AF3C,  0x30FBC54D,\n"
    "     0x5A827999, -0x5A827999, -0x30FBC54D, -0x7641AF3C\n"
    "};\n";

const char kHh16[] =
    "/* -------------------------------------------------------------------- */\n"
    "/*  Automatically generated twiddle-factor array.                       */\n"
    "/*      Number of points:    16                                         */\n"
    "/*      Scale factor:        32767.500000000                            */\n"
    "/*      Appropriate FFTs:    QRV_fft_hh_pa, QRV_fft_hh_pb, QRV_fft      */\n"
    "/*      Required alignment:  8 byte (double-word)                       */\n"
    "/* -------------------------------------------------------------------- */\n"
    "#pragma DATA_ALIGN(w, 8);\n"
    "const short w[2 * 12] =\n"
    "{\n"
    "     0x0000,  0x7FFF,  0x30FB,  0x7641,  0x0000,  0x7FFF,  0x5A82,  0x5A82,\n"
    "     0x0000,  0x7FFF,  0x7641,  0x30FB,  0x5A82,  0x5A82,  0x7641,  0x30FB,\n"
    "     0x7FFF,  0x0000,  0x5A82, -0x5A82,  0x5A82, -0x5A82, -0x30FB, -0x7641\n"
    "};\n";

TEST(Programs, WholeOutputForSixteenPoints) {
  for (const auto& [program, want] :
       {std::pair{kHh.name, kHh16}, std::pair{kHw.name, kHw16}, std::pair{kWw.name, kWw16}}) {
    const ProgramRun run = run_program(program, {"16"});
    EXPECT_EQ(run.status, 0) << program;
    EXPECT_EQ(run.err, "") << program;
    EXPECT_EQ(run.out, want) << program;
  }
}

// Command lines that must give exactly the same table as a plainer one.
TEST(Programs, EquivalentCommandLines) {
  const std::vector<std::string> same[][4] = {
      {{"-s", "500", "64"}, {"/S", "500", "64"}, {"-s500", "64"}, {"64", "/s500"}},
      {{"16"}, {"64", "16"}, {"0016"}, {"16x"}},
      {{"-s3", "64"}, {"-s", "2", "-s", "3", "64"}, {"-s", " 3", "64"}, {"-s3.0junk", "64"}},
  };
  for (const Program& p : kPrograms) {
    for (const auto& group : same) {
      const ProgramRun first = run_program(p.name, group[0]);
      ASSERT_EQ(first.status, 0) << p.name << show(group[0]);
      for (const auto& args : group) {
        const ProgramRun run = run_program(p.name, args);
        EXPECT_EQ(run.status, 0) << p.name << show(args);
        EXPECT_EQ(run.err, "") << p.name << show(args);
        EXPECT_EQ(run.out, first.out) << p.name << show(args);
      }
    }
    EXPECT_EQ(split_lines(run_program(p.name, {"-s", "500", "64"}).out)[3],
              "/*      Scale factor:        500.000000000                              */");
  }
}

TEST(Programs, WriteFailuresEndWithStatusOne) {
  struct Case {
    Stdout mode;
    const char* reason;
  } cases[] = {{Stdout::Closed, "Bad file descriptor"},
               {Stdout::DevFull, "No space left on device"}};
  for (const Case& c : cases) {
    if (c.mode == Stdout::DevFull && !have_dev_full()) continue;
    for (const Program& p : kPrograms) {
      for (const char* size : {"16", "32768"}) {
        const ProgramRun run = run_program(p.name, {size}, c.mode);
        EXPECT_EQ(run.status, 1) << p.name << " " << c.reason;
        EXPECT_EQ(run.err,
                  std::string("ERROR:  Unable to write twiddle factors: ") + c.reason + "\n")
            << p.name;
      }
    }
  }
  if (!have_dev_full())
    GTEST_SKIP() << "no /dev/full on this system: only a closed standard output was tried";
}

// A table that cannot be allocated: the one failure without the usage text.
// Only where a failing calloc can be preloaded (ELF, no sanitizers).
#if WFAC_CAN_PRELOAD
TEST(Programs, AllocationFailureEndsWithStatusOne) {
  for (const Program& p : kPrograms) {
    const int bytes = 2 * 32768 * p.entry_bits / 8;  // 2N entries at N = 32768
    const ProgramRun run = run_program(p.name, {"32768"}, Stdout::Captured,
                                       {std::string("LD_PRELOAD=") + WFAC_FAILING_CALLOC,
                                        "WFAC_FAIL_CALLOC_BYTES=" + std::to_string(bytes)});
    EXPECT_EQ(run.status, 1) << p.name;
    EXPECT_EQ(run.out, "") << p.name;
    EXPECT_EQ(run.err, "ERROR:  Unable to allocate memory for twiddle factors\n") << p.name;
  }
}
#endif

// Every size: the number of lines and the width of each.
TEST(Programs, LineCountsAndWidthsForEverySize) {
  for (const Program& p : kPrograms) {
    const bool wide = p.entry_bits == 32;
    for (int e = 4; e <= 15; ++e) {
      const int n = 1 << e;
      const int count = e % 2 == 0 ? 2 * n - 8 : 2 * n - 4;
      const int per_line = wide ? 4 : 8;
      const int table_lines = (count + per_line - 1) / per_line;
      const ProgramRun run = run_program(p.name, {std::to_string(n)});
      ASSERT_EQ(run.status, 0);
      const std::vector<std::string> lines = split_lines(run.out);
      ASSERT_EQ(lines.size(), 11u + table_lines) << p.name << " " << n;
      for (int i = 0; i < 7; ++i)
        EXPECT_EQ(lines[i].size(), 74u) << p.name << " " << n << " line " << i;
      EXPECT_EQ(lines[7], "#pragma DATA_ALIGN(w, 8);");
      EXPECT_EQ(lines[8], std::string("const ") + (wide ? "int" : "short") + " w[2 * " +
                              std::to_string(count / 2) + "] =");
      EXPECT_EQ(lines[9], "{");
      for (int t = 0; t < table_lines; ++t) {
        const bool last = t == table_lines - 1;
        const std::size_t last_width = wide ? 54u : (count % 8 == 0 ? 74u : 38u);
        EXPECT_EQ(lines[10 + t].size(), last ? last_width : (wide ? 55u : 75u))
            << p.name << " " << n << " table line " << t;
      }
      EXPECT_EQ(lines.back(), "};");
      for (const std::string& line : lines) EXPECT_NE(line.back(), ' ') << p.name << " " << n;
      EXPECT_EQ(run.out.back(), '\n');
    }
  }
}

// Line 5 of the box names QRV_fft too when N is a power of 4; the last size
// given decides.
TEST(Programs, PowerOfFourRoutineLine) {
  const std::string with =
      "/*      Appropriate FFTs:    QRV_fft_hh_pa, QRV_fft_hh_pb, QRV_fft      */";
  const std::string without =
      "/*      Appropriate FFTs:    QRV_fft_hh_pa, QRV_fft_hh_pb               */";
  for (int e = 4; e <= 15; ++e) {
    const ProgramRun run = run_program(kHh.name, {std::to_string(1 << e)});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(split_lines(run.out)[4], e % 2 == 0 ? with : without) << "N = " << (1 << e);
  }
  EXPECT_EQ(split_lines(run_program(kHh.name, {"64", "32"}).out)[4], without);
  EXPECT_EQ(split_lines(run_program(kHh.name, {"32", "64"}).out)[4], with);
}

}  // namespace
