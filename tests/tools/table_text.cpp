#include "tools/table_text.hpp"

#include "image/table_files.hpp"

bool read_table_text(const std::string& text, TableText* table, std::string* error) {
  static const struct {
    const char* declaration;
    int width;
  } kinds[] = {{"const short w[2 * ", 16}, {"const int w[2 * ", 32}};
  std::size_t at = std::string::npos;
  for (const auto& kind : kinds) {
    const std::size_t found = text.find(kind.declaration);
    if (found != std::string::npos && found < at) {
      at = found + std::string(kind.declaration).size();
      table->entry_width = kind.width;
    }
  }
  if (at == std::string::npos) {
    *error = "no declaration \"const short w[2 * K] =\" or \"const int w[2 * K] =\"";
    return false;
  }
  std::size_t half = 0, digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6; ++at, ++digits)
    half = 10 * half + static_cast<std::size_t>(text[at] - '0');
  if (digits == 0 || text.compare(at, 3, "] =") != 0) {
    *error = "the declaration's length is not a number followed by \"] =\"";
    return false;
  }
  table->entries.clear();
  if (!parse_table_entries(text, at, table->entry_width / 8, &table->entries)) {
    *error = "the entries are not " + std::to_string(table->entry_width) +
             "-bit entries between braces, each a sign column and 0x with hex digits";
    return false;
  }
  if (table->entries.size() != 2 * half) {
    *error = std::to_string(table->entries.size()) + " entries, where the declaration gives " +
             std::to_string(2 * half);
    return false;
  }
  return true;
}
