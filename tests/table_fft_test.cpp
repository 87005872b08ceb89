// The emitted C compiles as it stands and drives a correct radix-4 FFT.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fft/radix4.h"
#include "programs.hpp"
#include "run_program.hpp"
#include "twiddle/twiddles.hpp"

namespace {

class CompiledTable : public testing::TestWithParam<Program> {};

// The commands that compile the table at source into object and link it with
// the FFT check into check, in the spelling of the C compiler in use.
std::vector<std::string> compile_command(const std::string& source, const std::string& object) {
  if (WFAC_C_MSVC) return {"/nologo", "/W4", "/WX", "/wd4068", "/c", source, "/Fo" + object};
  return {"-std=c99", "-Wall", "-Wextra", "-Werror", "-Wno-unknown-pragmas",
          "-c",       source,  "-o",      object};
}
std::vector<std::string> link_command(const std::vector<std::string>& objects,
                                      const std::string& check) {
  std::vector<std::string> command = objects;
  if (WFAC_C_MSVC) {
    command.insert(command.begin(), "/nologo");
    command.push_back("/Fe" + check);
  } else {
    if (WFAC_LIBM) command.push_back("-lm");
    command.insert(command.end(), {"-o", check});
  }
  return command;
}

void write_file(const std::string& path, const std::string& text) {
  // Text mode: the table reaches the compiler as a program writes it here.
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
  ASSERT_EQ(std::fclose(f), 0);
}

TEST_P(CompiledTable, DrivesRadix4FftForEverySizeTo4096) {
  const Program& p = GetParam();
  // The object file whose extern w has the program's element type.
  const char* check_main = p.entry_width == 16 ? WFAC_CHECK_MAIN_16 : WFAC_CHECK_MAIN_32;
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("wfac_fft_" + std::to_string(std::random_device{}()));
  ASSERT_TRUE(fs::create_directory(dir)) << dir;
  const std::string source = (dir / "table.c").string(),
                    object = (dir / ("table" WFAC_OBJECT_SUFFIX)).string(),
                    check = (dir / ("check" WFAC_EXE_SUFFIX)).string();
  for (const char* scale : {p.default_scale_text, "1000"}) {
    for (int n = 16; n <= 4096; n *= 2) {
      const std::string size = std::to_string(n);
      SCOPED_TRACE(std::string(p.name) + " -s " + scale + " " + size);
      const ProgramRun table = run_program(p.name, {"-s", scale, size});
      ASSERT_EQ(table.status, 0);
      write_file(source, table.out);

      const ProgramRun compile = run_command(WFAC_C_COMPILER, compile_command(source, object));
      ASSERT_EQ(compile.status, 0) << compile.err;
      EXPECT_EQ(compile.err, "");
      const ProgramRun link =
          run_command(WFAC_C_COMPILER, link_command({object, check_main, WFAC_RADIX4}, check));
      ASSERT_EQ(link.status, 0) << link.err;

      const ProgramRun run = run_command(check, {size, scale, std::to_string(p.layout)});
      ASSERT_EQ(run.status, 0) << run.err;
      const double error = std::stod(run.out);
      EXPECT_LE(error, fft_error_bound(n, std::stod(scale)));
    }
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Programs, CompiledTable, testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

// The check tells a right table from a wrong one by orders of magnitude.
TEST(Radix4Check, RejectsCorruptedTables) {
  const int n = 512;
  const double scale = 32767.5;
  std::vector<int16_t> six(2 * n), twelve(2 * n);
  const int count = generate_twiddles_6(six.data(), n, scale);
  generate_twiddles_12(twelve.data(), n, scale);
  const double bound = fft_error_bound(n, scale);
  ASSERT_LE(fft_relative_error(six.data(), 0, 6, n, scale), bound);
  ASSERT_LE(fft_relative_error(twelve.data(), 0, 12, n, scale), bound);

  std::vector<int16_t> conjugate = six, swapped = six, one_zeroed = six;
  for (int i = 0; i < count; i += 2) {
    conjugate[i] = static_cast<int16_t>(-conjugate[i]);
    std::swap(swapped[i], swapped[i + 1]);
  }
  one_zeroed[count - 5] = 0;  // the cosine of one triple angle in the last stage
  struct Case {
    const char* what;
    const int16_t* table;
    int layout;
  } cases[] = {
      {"sines negated", conjugate.data(), 6},
      {"sine and cosine swapped", swapped.data(), 6},
      {"one cosine zeroed", one_zeroed.data(), 6},
      {"paired table read as six-entry", twelve.data(), 6},
      {"six-entry table read as paired", six.data(), 12},
  };
  for (const Case& c : cases) {
    const double error = fft_relative_error(c.table, 0, c.layout, n, scale);
    EXPECT_GT(error, 100 * bound) << c.what;
    std::printf("%s: relative error %.3g, bound %.3g\n", c.what, error, bound);
  }
}

}  // namespace
