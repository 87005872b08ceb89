#include "frame/emit_table.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run_program.hpp"

namespace {

// Only the output fields of a profile reach the emitter.
ToolProfile format_16(
    const char* routine_line =
        "/*      Appropriate FFTs:    QRV_fft_hw_a, QRV_ifft_hw_a                */") {
  return {"", "", "", "", 0, 0, 16, nullptr, "short", 4, 8, routine_line, ", QRV_fft"};
}
ToolProfile format_32() {
  return {"", "",      "",
          "", 0,       0,
          32, nullptr, "int",
          8,  4,       "/*      Appropriate FFTs:    QRV_fft_ww_a, QRV_fft_ww_ab, QRV_ifft_ww_a */",
          ""};
}

std::string emit(const void* entries, int count, int n, double scale, bool power_of_4,
                 const ToolProfile& profile) {
  std::FILE* out = std::tmpfile();  // binary: the text arrives as written
  EXPECT_NE(out, nullptr);
  if (out == nullptr) return "";
  EXPECT_EQ(emit_table(out, entries, count, n, scale, power_of_4, profile), 0);
  std::rewind(out);
  std::string result;
  for (int c; (c = std::fgetc(out)) != EOF;) result += static_cast<char>(c);
  std::fclose(out);
  return result;
}

const char kRule[] = "/* -------------------------------------------------------------------- */\n";

TEST(EmitTable, WholeTextOfASmallTable) {
  const int16_t entries[] = {0, 32767, -32768, 1, -1, 0x1234, -0x0ABC, 255, 16, -16, 7, -7};
  const std::string want =
      std::string(kRule) +
      "/*  Automatically generated twiddle-factor array.                       */\n"
      "/*      Number of points:    16                                         */\n"
      "/*      Scale factor:        32767.500000000                            */\n"
      "/*      Appropriate FFTs:    QRV_fft_hw_a, QRV_ifft_hw_a                */\n"
      "/*      Required alignment:  8 byte (double-word)                       */\n" +
      kRule +
      "#pragma DATA_ALIGN(w, 8);\n"
      "const short w[2 * 6] =\n"
      "{\n"
      "     0x0000,  0x7FFF, -0x8000,  0x0001, -0x0001,  0x1234, -0x0ABC,  0x00FF,\n"
      "     0x0010, -0x0010,  0x0007, -0x0007\n"
      "};\n";
  EXPECT_EQ(emit(entries, 12, 16, 32767.5, true, format_16()), want);
}

TEST(EmitTable, ThirtyTwoBitSignColumnAndLines) {
  const int32_t entries[] = {-2147483647 - 1, 2147483647, 0, -1, 0x12345678, -0x0ABCDEF0, 1, 2};
  const std::string text = emit(entries, 8, 16, 2147483647.5, true, format_32());
  const std::string tail =
      "const int w[2 * 4] =\n"
      "{\n"
      "    -0x80000000,  0x7FFFFFFF,  0x00000000, -0x00000001,\n"
      "     0x12345678, -0x0ABCDEF0,  0x00000001,  0x00000002\n"
      "};\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(split_lines(text)[3],
            "/*      Scale factor:        2147483647.500000000                       */");
}

// A 16-bit count that is a multiple of 8 fills its last line; four more
// leave four entries on it.
TEST(EmitTable, LastLineOfSixteenBitTables) {
  const std::vector<int16_t> entries(28, 1);
  const std::string full =
      "     0x0001,  0x0001,  0x0001,  0x0001,  0x0001,  0x0001,  0x0001,  0x0001";
  for (int count : {24, 28}) {
    const std::vector<std::string> lines =
        split_lines(emit(entries.data(), count, 16, 1.0, true, format_16()));
    ASSERT_EQ(lines.size(), 11u + (count + 7) / 8) << count;
    EXPECT_EQ(lines[10], full + ",");
    EXPECT_EQ(lines[lines.size() - 2], count == 24 ? full : full.substr(0, 38));
    EXPECT_EQ(lines.back(), "};");
  }
}

TEST(EmitTable, BoxLinesForSizeAndScale) {
  const int16_t entries[] = {0, 0};
  struct Case {
    int n;
    double scale;
    std::string line3, line4;
  } cases[] = {
      {16, 32767.5, "/*      Number of points:    16                                         */",
       "/*      Scale factor:        32767.500000000                            */"},
      {32768, 1234.5, "/*      Number of points:    32768                                      */",
       "/*      Scale factor:        1234.500000000                             */"},
      {64, 0.000000001,
       "/*      Number of points:    64                                         */",
       "/*      Scale factor:        0.000000001                                */"},
      {64, 1e-300, "/*      Number of points:    64                                         */",
       "/*      Scale factor:        0.000000000                                */"},
      {128, 2147483647.6,
       "/*      Number of points:    128                                        */",
       "/*      Scale factor:        2147483647.599999905                       */"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines =
        split_lines(emit(entries, 2, c.n, c.scale, false, format_16()));
    EXPECT_EQ(lines[2], c.line3);
    EXPECT_EQ(lines[3], c.line4);
  }
}

#ifdef __GLIBC__
// A stream whose writes fail as told: the first with first_error, later ones
// with later_error (0: they succeed). Counts the write attempts.
struct FailingSink {
  int first_error;
  int later_error;
  int writes;
};

ssize_t failing_write(void* cookie, const char*, std::size_t size) {
  auto* sink = static_cast<FailingSink*>(cookie);
  const int error = ++sink->writes == 1 ? sink->first_error : sink->later_error;
  if (error == 0) return static_cast<ssize_t>(size);
  errno = error;
  return 0;  // a cookie stream's way of saying the write failed
}
#endif

TEST(EmitTable, ReportsTheFirstFailedWrite) {
  const std::vector<int32_t> entries(65532, -1);
#ifdef __GLIBC__
  struct Case {
    const char* what;
    int buffer;          // stdio buffer size; 0 for the default
    bool failed_before;  // the stream is in the error state before the table
    int later_error;
    int want;
    int most_writes;  // write attempts allowed, first one included
  } cases[] = {
      {"first write fails, then every other", 0, false, ENOSPC, EIO, 1},
      {"only the first write fails", 1024, false, 0, EIO, 1},
      {"an earlier write failed, the table's succeed", 0, true, 0, EIO, 1 << 20},
  };
  for (const Case& c : cases) {
    FailingSink sink{EIO, c.later_error, 0};
    std::FILE* out = fopencookie(&sink, "w", {nullptr, failing_write, nullptr, nullptr});
    ASSERT_NE(out, nullptr);
    if (c.buffer != 0) setvbuf(out, nullptr, _IOFBF, static_cast<std::size_t>(c.buffer));
    if (c.failed_before) {
      std::fputc('x', out);
      EXPECT_NE(std::fflush(out), 0) << c.what;
    }
    EXPECT_EQ(emit_table(out, entries.data(), 65532, 32768, 1.0, false, format_32()), c.want)
        << c.what;
    EXPECT_LE(sink.writes, c.most_writes) << c.what;
    sink.later_error = 0;  // nothing may be left to write at the close
    std::fclose(out);
  }
#endif
  if (!have_dev_full()) GTEST_SKIP() << "no /dev/full on this system";
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(emit_table(full, entries.data(), 65532, 32768, 1.0, false, format_32()), ENOSPC);
  std::fclose(full);
}

}  // namespace
