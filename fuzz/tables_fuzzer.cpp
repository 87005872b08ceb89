// A table's header and its table through the table-file parser: the input
// is the header's text, a NUL, and the table's text (without a NUL, all of
// it is the header). It is read as a table or refused with one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/table_files.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string header = input.substr(0, nul);
  const std::string table = nul == std::string::npos ? std::string() : input.substr(nul + 1);
  TableFiles files;
  std::string error;
  if (!parse_table_files(header, "input.h", table, "input.c", &files, &error)) {
    require(error.compare(0, 8, "input.h:") == 0 || error.compare(0, 8, "input.c:") == 0);
    return 0;
  }
  require(!files.name.empty());
  require(files.entry_bytes == 2 || files.entry_bytes == 4);
  const std::int64_t bound = files.entry_bytes == 2 ? 0x8000 : 0x80000000LL;
  for (std::int32_t entry : files.entries) require(entry >= -bound && entry < bound);
  require(files.entries.size() % 2 == 0 && files.entries.size() <= table.size());
  return 0;
}
