// wfac_print_entries: reads a table as a program writes it from standard
// input and prints its entries, one signed decimal a line, for the test
// scripts and the benchmarks. Status 1, with a message, when the text holds
// no complete table.
#include <cstdio>
#include <string>

#include "tools/table_text.hpp"

int main() {
  std::string text;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
    text.append(buffer, got);
  TableText table;
  std::string error;
  if (!read_table_text(text, &table, &error)) {
    std::fprintf(stderr, "wfac_print_entries: %s\n", error.c_str());
    return 1;
  }
  for (const std::int32_t entry : table.entries) std::printf("%ld\n", static_cast<long>(entry));
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
