// A flashed file through its readers: as whatever its content says it
// is, as a raw binary at an address taken from its first bytes, and as a
// FILE@ADDRESS argument. Every reading must end in a view that holds no
// more than the input, or in one message that names the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "flash/flash_file.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// A view as view_add leaves it: blocks in address order, none empty, apart.
void check_view(const MemoryView& view, std::size_t input_size) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < view.blocks.size(); ++i) {
    const MemoryBlock& b = view.blocks[i];
    require(!b.bytes.empty());
    require(b.address + b.bytes.size() > b.address);
    if (i + 1 < view.blocks.size())
      require(b.address + b.bytes.size() < view.blocks[i + 1].address);
    total += b.bytes.size();
  }
  require(total <= input_size);
  // The same blocks added again, last first and replacing, give the same view.
  MemoryView again{view.name, {}};
  for (std::size_t i = view.blocks.size(); i-- > 0;) {
    const MemoryBlock& b = view.blocks[i];
    std::uint64_t conflict = 0;
    require(
        view_add(&again, b.address, b.bytes.data(), b.bytes.size(), Overlap::kReplace, &conflict));
  }
  require(again.blocks.size() == view.blocks.size());
  std::string held;
  for (std::size_t i = 0; i < view.blocks.size(); ++i) {
    const MemoryBlock& b = view.blocks[i];
    require(again.blocks[i].address == b.address && again.blocks[i].bytes == b.bytes);
    require(view_bytes(view, b.address, b.bytes.size(), &held) && held.size() == b.bytes.size());
    require(!view_bytes(view, b.address, b.bytes.size() + 1, &held));
  }
  require(!view_ranges(view).empty());
}

void check_reading(int status, const FlashFile& file, const std::string& error,
                   std::size_t input_size) {
  require(status >= 0 && status <= 2);
  if (status != 0) {
    require(error.compare(0, 6, "input:") == 0);
    return;
  }
  require(file.view.name == "input");
  check_view(file.view, input_size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FlashFile file;
  std::string error;
  int status = parse_flash_file(bytes, "input", false, 0, &file, &error);
  check_reading(status, file, error, size);

  std::uint64_t address = 0;
  for (std::size_t i = 0; i < 8 && i < size; ++i) address = address << 8 | data[i];
  error.clear();
  status = parse_flash_file(bytes, "input", true, address, &file, &error);
  check_reading(status, file, error, size);
  if (status == 0) require(file.format == FlashFormat::kRawBinary);

  std::string path;
  bool have_address = false;
  error.clear();
  status = split_flash_argument("input" + bytes, &path, &have_address, &address, &error);
  require(status == 0 || (status == 2 && !error.empty()));
  if (status == 0) require(!path.empty() && path.size() <= size + 5);
  return 0;
}
