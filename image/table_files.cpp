#include "image/table_files.hpp"

#include "image/read_file.hpp"

#include <cstring>

namespace {

bool is_identifier_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Reads the unsigned decimal number at text[*at], advancing *at; false
// when there is none or it exceeds limit.
bool read_decimal(const std::string& text, std::size_t* at, std::uint64_t limit,
                  std::uint64_t* value) {
  std::size_t i = *at;
  std::uint64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = 10 * v + static_cast<std::uint64_t>(text[i] - '0');
    if (v > limit) return false;
  }
  if (i == *at) return false;
  *at = i;
  *value = v;
  return true;
}

// True when text at *at starts with word; advances *at past it.
bool take(const std::string& text, std::size_t* at, const char* word) {
  const std::size_t length = std::strlen(word);
  if (text.compare(*at, length, word) != 0) return false;
  *at += length;
  return true;
}

// The header's declaration, as the writer writes it for GCC and Clang:
//   extern const short NAME[2 * K] __attribute__((aligned(A), ...));
// with aligned(A) anywhere among the attributes. A header without it (or
// whose alignment is not a power of 2) is not the writer's.
bool parse_header(const std::string& text, TableFiles* table, std::uint64_t* half,
                  std::string* problem) {
  std::size_t line = 0;
  while (line < text.size()) {
    std::size_t at = line;
    const std::size_t end = text.find('\n', line);
    line = end == std::string::npos ? text.size() : end + 1;
    if (!take(text, &at, "extern const ")) continue;
    if (take(text, &at, "short ")) {
      table->entry_bytes = 2;
    } else if (take(text, &at, "int ")) {
      table->entry_bytes = 4;
    } else {
      continue;
    }
    const std::size_t name_start = at;
    while (at < text.size() && is_identifier_char(text[at])) ++at;
    table->name = text.substr(name_start, at - name_start);
    if (table->name.empty() || !take(text, &at, "[2 * ") || !read_decimal(text, &at, 1u << 20, half) ||
        !take(text, &at, "] __attribute__(("))
      continue;
    const std::size_t attributes_end = text.find("))", at);
    std::size_t aligned = text.find("aligned(", at);
    if (aligned == std::string::npos || aligned > attributes_end || aligned > line) continue;
    aligned += std::strlen("aligned(");
    if (!read_decimal(text, &aligned, std::uint64_t{1} << 40, &table->align)) continue;
    if (table->align == 0 || (table->align & (table->align - 1)) != 0) {
      *problem = "aligned(" + std::to_string(table->align) + ") is not a power of 2";
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool parse_table_entries(const std::string& text, std::size_t from, int entry_bytes,
                         std::vector<std::int32_t>* entries) {
  std::size_t at = text.find('{', from);
  if (at == std::string::npos) return false;
  ++at;
  const std::int64_t bound = entry_bytes == 2 ? 0x8000 : 0x80000000LL;
  for (;;) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r')) ++at;
    if (at < text.size() && text[at] == '}') return true;
    bool negative = false;
    if (at < text.size() && text[at] == '-') {
      negative = true;
      ++at;
    }
    if (!take(text, &at, "0x")) return false;
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    for (; at < text.size() && digits < 9; ++at, ++digits) {
      const char c = text[at];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) break;
      magnitude = 16 * magnitude + d;
    }
    if (digits == 0 || magnitude > bound || (!negative && magnitude == bound)) return false;
    entries->push_back(static_cast<std::int32_t>(negative ? -magnitude : magnitude));
    while (at < text.size() && (text[at] == ' ' || text[at] == '\r' || text[at] == '\n')) ++at;
    if (at < text.size() && text[at] == ',') ++at;
  }
}

bool parse_table_files(const std::string& header_text, const std::string& header_name,
                       const std::string& table_text, const std::string& table_name,
                       TableFiles* table, std::string* error) {
  std::uint64_t half = 0;
  std::string problem;
  if (header_text.find(": written by wfac ") == std::string::npos ||
      !parse_header(header_text, table, &half, &problem)) {
    *error = header_name + ": " +
             (problem.empty() ? "not the header of a table that wfac wrote" : problem);
    return false;
  }
  const std::string declaration = std::string("const ") + (table->entry_bytes == 2 ? "short" : "int") +
                                  " w[2 * " + std::to_string(half) + "] =";
  table->entries.clear();
  const std::size_t declared = table_text.find(declaration);
  if (table_text.find("Automatically generated twiddle-factor array") == std::string::npos ||
      declared == std::string::npos ||
      !parse_table_entries(table_text, declared, table->entry_bytes, &table->entries) ||
      table->entries.size() != 2 * half) {
    *error = table_name + ": not the table that its header " + header_name + " declares";
    return false;
  }
  return true;
}

bool read_table_files(const std::string& header_path, TableFiles* table, std::string* error) {
  if (header_path.size() < 2 || header_path.compare(header_path.size() - 2, 2, ".h") != 0) {
    *error = header_path + ": not a table's header (<stem>.h)";
    return false;
  }
  const std::string table_path = header_path.substr(0, header_path.size() - 2) + ".c";
  std::string header_text, table_text;
  return read_regular_file(header_path, &header_text, error) &&
         read_regular_file(table_path, &table_text, error) &&
         parse_table_files(header_text, header_path, table_text, table_path, table, error);
}
