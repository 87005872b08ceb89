#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/emit_table.hpp"
#include "frame/run_tool.hpp"

namespace {

// Writes one usage line, padded with spaces to 72 characters.
void usage_line(const char* text) { std::fprintf(stderr, "%-72s\n", text); }

void write_usage(const ToolProfile& p) {
  char line[128];
  usage_line("");
  usage_line("USAGE");
  usage_line("    This is a stand-alone program intended to generate twiddle-factor");
  std::snprintf(line, sizeof line, "    %s", p.usage_line_4);
  usage_line(line);
  std::snprintf(line, sizeof line, "    %s", p.usage_line_5);
  usage_line(line);
  usage_line("");
  std::snprintf(line, sizeof line, "        %s [-s scale] N > outputfile.c", p.program_name);
  usage_line(line);
  usage_line("");
  usage_line("    The argument 'N' specifies the size of the FFT.  This value");
  usage_line("    must be a power of 2.  The switch '-s scale' allows selecting");
  usage_line("    a different scale factor for the coefficients.  The default");
  std::snprintf(line, sizeof line, "    scale factor is %s.", p.usage_scale_text);
  usage_line(line);
  usage_line("");
  usage_line("    This program will generate the twiddle factor array 'w' and");
  usage_line("    output the result to the display.  Redirect the output to");
  usage_line("    a file as shown above.");
  usage_line("");
}

// Writes the usage text and, when message is not null, "ERROR:  message\n"
// to standard error, then ends the process with status 1.
[[noreturn]] void report_and_exit(const ToolProfile& profile, const char* message) {
  write_usage(profile);
  if (message != nullptr) std::fprintf(stderr, "ERROR:  %s\n", message);
  std::exit(1);
}

// Only the ASCII digits start a size, whatever the locale or the sign of char.
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The value of an -s switch: a number read from the start of text (leading
// white space skipped, trailing text ignored) in (0, bound]. NaN fails the
// range test like any number outside it.
double read_scale(const ToolProfile& p, const char* text) {
  double scale = 0.0;
  if (text == nullptr || text[0] == '\0' || std::sscanf(text, "%lf", &scale) != 1)
    report_and_exit(p, "The -s switch requires a numeric argument.\n");
  if (!(scale > 0.0 && scale <= p.scale_bound)) report_and_exit(p, "Scale factor out of range.\n");
  return scale;
}

// The FFT size: the leading decimal digits of text (trailing text ignored,
// leading zeros allowed). Digits are read with saturation, so no number of
// digits can wrap into an accepted size. Sets *exponent to log2 of the size.
int read_size(const ToolProfile& p, const char* text, int* exponent) {
  long n = 0;
  for (; is_ascii_digit(*text) && n <= 32768; ++text) n = 10 * n + (*text - '0');
  if (n < 16 || n > 32768) report_and_exit(p, "FFT size must be between 16 and 32768 points.");
  for (int e = 2; e <= 23; ++e) {
    if ((1L << e) == n) {
      *exponent = e;
      return static_cast<int>(n);
    }
  }
  report_and_exit(p, "FFT size must be a power of 2\n");
}

}  // namespace

int run_tool(const ToolProfile& profile, int argc, char** argv) {
  int n = -1;
  int exponent = 0;
  double scale = profile.default_scale;
  char message[80];

  if (argc < 2) report_and_exit(profile, nullptr);
  for (int a = 1; a < argc; ++a) {
    const char* arg = argv[a];
    if (arg[0] == '-' || arg[0] == '/') {
      const char letter = arg[1];
      if (letter == 's' || letter == 'S') {
        // The value is attached (-s2.5) or the next argument (-s 2.5),
        // which is then consumed whatever it starts with.
        const char* value = arg + 2;
        if (value[0] == '\0') value = a + 1 < argc ? argv[++a] : nullptr;
        scale = read_scale(profile, value);
      } else {
        // A lone "-" gives the letter '\0', which ends the message there.
        std::snprintf(message, sizeof message, "Unrecognized switch character: '%c'\n", letter);
        report_and_exit(profile, message);
      }
    } else if (is_ascii_digit(arg[0])) {
      n = read_size(profile, arg, &exponent);
    } else {
      std::snprintf(message, sizeof message, "Unrecognized argument:  %-.32s\n", arg);
      report_and_exit(profile, message);
    }
  }
  if (n == -1) report_and_exit(profile, "Must specify FFT size.");

  void* table = std::calloc(2 * static_cast<std::size_t>(n),
                            static_cast<std::size_t>(profile.entry_width / 8));
  if (table == nullptr) {
    std::fputs("ERROR:  Unable to allocate memory for twiddle factors\n", stderr);
    std::exit(1);
  }
  const int count = profile.generator(table, n, scale);
  const int error = emit_table(stdout, table, count, n, scale, exponent % 2 == 0, profile);
  std::free(table);
  if (error != 0) {
    std::fprintf(stderr, "ERROR:  Unable to write twiddle factors: %s\n", std::strerror(error));
    std::exit(1);
  }
  return 0;
}
