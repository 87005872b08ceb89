// Random command lines, built from fragments with a fixed seed. Whatever the
// programs make of them, they either refuse them with the usage text and one
// known message, or write one complete table; nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "programs.hpp"
#include "run_program.hpp"

namespace {

// clang-format off
const std::vector<std::string> kSwitches = {
    "-", "/", "-s", "-S", "/s", "/S", "-x", "/?", "-1", "-scale", "--", "-sS"};
const std::vector<std::string> kNumbers = {
    "0", "-0", "1", "-1", "+2.5", "2.5x", "1e3", "1e-400", "1e400", "0x1p4", "0X1P-4",
    "nan", "NaN", "-nan", "inf", "-inf", "infinity", " 7", "\t3", "1" + std::string(400, '0'),
    "0.0000000001", "32767.6", "32767.7", "2147483647.6", ".5", "5.", "e5", "1000", "12345.678"};
const std::vector<std::string> kSizes = {
    "16", "32", "64", "4096", "32768", "8", "15", "48", "100", "65536", "64x", "0064", "00",
    "2147483648", "4294967312", "99999999999", "16.5", "1024 ", "256", "128"};
const std::vector<std::string> kOthers = {
    "", "abc", "s", "S", std::string(200, 'a'), "\xff", "\xc3\xa9", "\xd9\xa4", "64\xff", "a b", "*"};
// clang-format on

// The argument list in a form that can be pasted into a shell.
std::string replay(const Program& p, const std::vector<std::string>& args) {
  std::string text = p.name;
  for (const std::string& a : args) {
    text += " $'";
    for (unsigned char c : a) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped,
                    c >= 32 && c < 127 && c != '\'' && c != '\\' ? "%c" : "\\x%02x", c);
      text += escaped;
    }
    text += "'";
  }
  return text;
}

// The messages that carry no argument, each as the golden refusal of a
// command line (tests/golden/refusals.txt).
std::vector<std::string> fixed_messages() {
  std::vector<std::string> messages;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-s"}, {"-s0", "64"}, {"8"}, {"48"}, {"-s", "16"}})
    messages.push_back(golden_case("refusals.txt", args));
  return messages;
}

testing::AssertionResult is_known_refusal(const std::string& tail,
                                          const std::vector<std::string>& args,
                                          const std::vector<std::string>& fixed) {
  for (const std::string& message : fixed)
    if (tail == message) return testing::AssertionSuccess();
  for (const std::string& a : args) {
    if (tail == "ERROR:  Unrecognized argument:  " + a.substr(0, 32) + "\n\n")
      return testing::AssertionSuccess();
    if (a.size() == 1 && (a[0] == '-' || a[0] == '/') &&
        tail == "ERROR:  Unrecognized switch character: '\n")
      return testing::AssertionSuccess();
    if (a.size() > 1 && (a[0] == '-' || a[0] == '/') &&
        tail == std::string("ERROR:  Unrecognized switch character: '") + a[1] + "'\n\n")
      return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "unknown message after the usage text: " << tail;
}

testing::AssertionResult is_complete_table(const std::string& out, int entry_bits) {
  const std::vector<std::string> lines = split_lines(out);
  if (lines.size() < 12 || out.back() != '\n')
    return testing::AssertionFailure() << "too short: " << out;
  for (int i = 0; i < 7; ++i) {
    if (lines[i].size() != 74 || lines[i].compare(0, 2, "/*") != 0 ||
        lines[i].compare(72, 2, "*/") != 0)
      return testing::AssertionFailure() << "box line " << i + 1 << ": " << lines[i];
  }
  if (lines[7] != "#pragma DATA_ALIGN(w, 8);") return testing::AssertionFailure() << lines[7];
  int half = 0;
  char rest = 0;
  const char* format = entry_bits == 16 ? "const short w[2 * %d] %c" : "const int w[2 * %d] %c";
  if (std::sscanf(lines[8].c_str(), format, &half, &rest) != 2 || rest != '=' || lines[9] != "{" ||
      lines.back() != "};")
    return testing::AssertionFailure() << "declaration: " << lines[8];
  int entries = 0;
  for (std::size_t i = 10; i + 1 < lines.size(); ++i) {
    for (std::size_t at = lines[i].find("0x"); at != std::string::npos;
         at = lines[i].find("0x", at + 2))
      ++entries;
  }
  if (entries != 2 * half)
    return testing::AssertionFailure() << entries << " entries, declared " << 2 * half;
  return testing::AssertionSuccess();
}

class RandomCommandLines : public testing::TestWithParam<Program> {};

TEST_P(RandomCommandLines, RefuseCleanlyOrWriteACompleteTable) {
  const Program& p = GetParam();
  const std::string usage_text = usage(p);
  ASSERT_FALSE(usage_text.empty());
  const std::vector<std::string> fixed = fixed_messages();
  std::mt19937 random(20261208u);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  for (int run_index = 0; run_index < 2000; ++run_index) {
    const std::vector<std::string>* groups[] = {&kSwitches, &kNumbers, &kSizes, &kOthers};
    const auto fragment = [&](int group) {
      const std::vector<std::string>& g = *groups[group < 0 ? pick(4) : group];
      return g[pick(g.size())];
    };
    std::vector<std::string> args;
    if (pick(10) < 4) {
      // Scale switches and sizes, mostly well formed: often accepted.
      static const std::vector<std::string> sizes = {"16",   "32",    "64",   "256",
                                                     "4096", "32768", "0064", "1024 "};
      static const std::vector<std::string> scales = {"1000",    "0.5",  "1", "12345.678",
                                                      "32767.6", "2.5x", " 7"};
      static const std::vector<std::string> letters = {"-s", "-S", "/s", "/S"};
      for (std::size_t i = 1 + pick(3); i > 0; --i) {
        if (pick(2) == 0) {
          args.push_back(pick(4) == 0 ? fragment(2) : sizes[pick(sizes.size())]);
          continue;
        }
        const std::string value = pick(4) == 0 ? fragment(1) : scales[pick(scales.size())];
        const std::string letter = letters[pick(letters.size())];
        if (pick(2) == 0) {
          args.push_back(letter + value);
        } else {
          args.push_back(letter);
          args.push_back(value);
        }
      }
    } else {
      args.resize(pick(5));
      for (std::string& a : args) {
        a = fragment(-1);
        if (pick(10) < 3) a += fragment(-1);
      }
    }
    // The leak scan at exit costs most of a sanitized run; the other
    // end-to-end tests keep it, these runs look for memory errors alone.
    const ProgramRun run =
        run_program(p.name, args, Stdout::Captured, {"ASAN_OPTIONS=detect_leaks=0"});
    SCOPED_TRACE("replay: " + replay(p, args));
    if (run.status == 0) {
      ASSERT_EQ(run.err, "");
      ASSERT_TRUE(is_complete_table(run.out, p.entry_width));
    } else {
      ASSERT_EQ(run.status, 1);
      ASSERT_EQ(run.out, "");
      ASSERT_EQ(run.err.compare(0, usage_text.size(), usage_text), 0) << run.err;
      if (args.empty()) {
        ASSERT_EQ(run.err, usage_text);
      } else {
        ASSERT_TRUE(is_known_refusal(run.err.substr(usage_text.size()), args, fixed));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, RandomCommandLines, testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
