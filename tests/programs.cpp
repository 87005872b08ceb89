#include "programs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

std::string golden(const std::string& path) {
  const std::string file = std::string(WFAC_GOLDEN_DIR) + "/" + path;
  std::string text;
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) {
    ADD_FAILURE() << "cannot read the golden file " << file;
    return text;
  }
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
    text.append(buffer, got);
  std::fclose(f);
  return text;
}

std::string usage(const Program& p) { return golden(std::string(p.name) + "/usage.txt"); }

namespace {

// The words of a "$" line after the "$": each after one space, in single
// quotes when empty or holding a space.
std::vector<std::string> case_words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 1;
  while (at < line.size()) {
    ++at;  // the space
    std::size_t end = line.find(' ', at);
    if (at < line.size() && line[at] == '\'') {
      end = line.find('\'', at + 1);
      words.push_back(line.substr(at + 1, end - at - 1));
      at = end == std::string::npos ? line.size() : end + 1;
      continue;
    }
    if (end == std::string::npos) end = line.size();
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace

std::vector<GoldenCase> golden_cases(const std::string& path) {
  const std::string text = golden(path);
  std::vector<GoldenCase> cases;
  for (std::size_t line = 0; line < text.size();) {
    std::size_t end = text.find('\n', line);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text[line] == '$') {
      cases.push_back({case_words(text.substr(line, end - line - 1)), ""});
    } else if (!cases.empty()) {
      cases.back().text += text.substr(line, end - line);
    } else {
      EXPECT_EQ(text[line], '#') << path << ": neither a comment nor a case before the first case";
    }
    line = end;
  }
  EXPECT_FALSE(cases.empty()) << path << " holds no case";
  return cases;
}

std::string golden_case(const std::string& path, const std::vector<std::string>& args) {
  for (const GoldenCase& c : golden_cases(path))
    if (c.args == args) return c.text;
  ADD_FAILURE() << path << " has no case for those arguments";
  return "";
}

std::string bound_switch(const Program& p) { return std::string("-s") + p.scale_bound_text; }

std::string above_bound_switch(const Program& p) {
  char text[64];
  std::snprintf(text, sizeof text, "-s%.17g",
                std::nextafter(p.scale_bound, std::numeric_limits<double>::infinity()));
  return text;
}

void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }
