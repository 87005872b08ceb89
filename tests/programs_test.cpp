// End to end: the built programs, their exact output, messages and status.
#include "programs.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.hpp"

namespace {

std::string show(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += " '" + a + "'";
  return text;
}

// Refused command lines (tests/golden/refusals.txt): the usage text, then
// what follows it on standard error.
TEST(Programs, RefusedCommandLines) {
  const std::vector<GoldenCase> refusals = golden_cases("refusals.txt");
  for (const Program& p : kPrograms) {
    const std::string usage_text = usage(p);
    ASSERT_FALSE(usage_text.empty()) << p.name;
    for (const GoldenCase& r : refusals) {
      const ProgramRun run = run_program(p.name, r.args);
      EXPECT_EQ(run.status, 1) << p.name << show(r.args);
      EXPECT_EQ(run.out, "") << p.name << show(r.args);
      EXPECT_EQ(run.err, usage_text + r.text) << p.name << show(r.args);
    }
  }
}

// The bound of cmake/WfacPrograms.cmake is accepted, the next double above
// it refused.
TEST(Programs, ScaleBound) {
  const std::string out_of_range = golden_case("refusals.txt", {"-s0", "64"});
  for (const Program& p : kPrograms) {
    const ProgramRun accepted = run_program(p.name, {bound_switch(p), "64"});
    EXPECT_EQ(accepted.status, 0) << p.name;
    EXPECT_EQ(accepted.err, "") << p.name;
    const ProgramRun refused = run_program(p.name, {above_bound_switch(p), "64"});
    EXPECT_EQ(refused.status, 1) << p.name << " " << above_bound_switch(p);
    EXPECT_EQ(refused.err, usage(p) + out_of_range) << p.name << " " << above_bound_switch(p);
  }
}

// The whole output of each program's golden tables (tests/golden/<program>).
TEST(Programs, WholeOutputOfTheGoldenTables) {
  for (const Program& p : kPrograms) {
    for (const char* size : {"16", "32"}) {
      const std::string want = golden(std::string(p.name) + "/" + size + ".c");
      ASSERT_FALSE(want.empty()) << p.name << " " << size;
      const ProgramRun run = run_program(p.name, {size});
      EXPECT_EQ(run.status, 0) << p.name << " " << size;
      EXPECT_EQ(run.err, "") << p.name << " " << size;
      EXPECT_EQ(run.out, want) << p.name << " " << size;
    }
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
    std::vector<std::string> what;  // its case in tests/golden/failures.txt
  } cases[] = {{Stdout::Closed, {"closed", "standard", "output"}},
               {Stdout::DevFull, {"full", "standard", "output"}}};
  for (const Case& c : cases) {
    if (c.mode == Stdout::DevFull && !have_dev_full()) continue;
    const std::string want = golden_case("failures.txt", c.what);
    for (const Program& p : kPrograms) {
      for (const char* size : {"16", "32768"}) {
        const ProgramRun run = run_program(p.name, {size}, c.mode);
        EXPECT_EQ(run.status, 1) << p.name << show(c.what);
        EXPECT_EQ(run.err, want) << p.name << show(c.what);
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
    const int bytes = 2 * 32768 * p.entry_width / 8;  // 2N entries at N = 32768
    const ProgramRun run = run_program(p.name, {"32768"}, Stdout::Captured,
                                       {std::string("LD_PRELOAD=") + WFAC_FAILING_CALLOC,
                                        "WFAC_FAIL_CALLOC_BYTES=" + std::to_string(bytes)});
    EXPECT_EQ(run.status, 1) << p.name;
    EXPECT_EQ(run.out, "") << p.name;
    EXPECT_EQ(run.err, golden_case("failures.txt", {"allocation"})) << p.name;
  }
}
#endif

// Whether line has the shape of a table line: four spaces, then entries
// separated by ", ", each a sign column (a space or '-'), "0x" and digits
// upper-case hexadecimal digits, and a comma after the last entry unless the
// line is the table's last.
bool is_table_line(const std::string& line, std::size_t digits, bool last) {
  if (line.compare(0, 4, "    ") != 0) return false;
  for (std::size_t at = 4;;) {
    if (at + 3 + digits > line.size() || (line[at] != ' ' && line[at] != '-') ||
        line.compare(at + 1, 2, "0x") != 0)
      return false;
    for (std::size_t i = at + 3; i < at + 3 + digits; ++i)
      if (!((line[i] >= '0' && line[i] <= '9') || (line[i] >= 'A' && line[i] <= 'F'))) return false;
    at += 3 + digits;
    if (at == line.size()) return last;
    if (line[at] != ',') return false;
    if (at + 1 == line.size()) return !last;
    if (line[at + 1] != ' ') return false;
    at += 2;
  }
}

// Every size: the number of lines, the width of each and the shape of the
// table's lines.
TEST(Programs, LineCountsAndWidthsForEverySize) {
  for (const Program& p : kPrograms) {
    const bool wide = p.entry_width == 32;
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
        EXPECT_TRUE(is_table_line(lines[10 + t], wide ? 8 : 4, last))
            << p.name << " " << n << " table line " << t << ": " << lines[10 + t];
      }
      EXPECT_EQ(lines.back(), "};");
      for (const std::string& line : lines) EXPECT_NE(line.back(), ' ') << p.name << " " << n;
      EXPECT_EQ(run.out.back(), '\n');
    }
  }
}

// Line 5 of the box names the power-of-4 routine (of cmake/WfacPrograms.cmake)
// when N is a power of 4, as in the golden table of 16 points, and not
// otherwise, as in that of 32; the last size given decides.
TEST(Programs, PowerOfFourRoutineLine) {
  for (const Program& p : kPrograms) {
    const std::vector<std::string> power_of_4 = split_lines(golden(std::string(p.name) + "/16.c"));
    const std::vector<std::string> other = split_lines(golden(std::string(p.name) + "/32.c"));
    ASSERT_GT(power_of_4.size(), 4u) << p.name;
    ASSERT_GT(other.size(), 4u) << p.name;
    EXPECT_EQ(power_of_4[4] != other[4], p.power_of_4_routine[0] != '\0') << p.name;
    for (int e = 4; e <= 15; ++e) {
      const ProgramRun run = run_program(p.name, {std::to_string(1 << e)});
      ASSERT_EQ(run.status, 0);
      EXPECT_EQ(split_lines(run.out)[4], e % 2 == 0 ? power_of_4[4] : other[4])
          << p.name << " N = " << (1 << e);
    }
    EXPECT_EQ(split_lines(run_program(p.name, {"64", "32"}).out)[4], other[4]) << p.name;
    EXPECT_EQ(split_lines(run_program(p.name, {"32", "64"}).out)[4], power_of_4[4]) << p.name;
  }
}

}  // namespace
