#include "image/memory_view.hpp"

#include <algorithm>
#include <cstdio>

namespace {

std::string hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(value));
  return text;
}

// The index of the first block that ends after address (or blocks.size()).
std::size_t first_ending_after(const MemoryView& view, std::uint64_t address) {
  const auto at = std::upper_bound(
      view.blocks.begin(), view.blocks.end(), address,
      [](std::uint64_t a, const MemoryBlock& b) { return a < b.address + b.bytes.size(); });
  return static_cast<std::size_t>(at - view.blocks.begin());
}

}  // namespace

bool view_add(MemoryView* view, std::uint64_t address, const unsigned char* bytes, std::size_t size,
              Overlap overlap, std::uint64_t* conflict) {
  if (size == 0) return true;
  // The end, one past the last byte, must fit in 64 bits.
  const std::uint64_t end_of_new = address + size;
  if (end_of_new < address) {
    *conflict = ~std::uint64_t{0};
    return false;
  }
  const std::uint64_t last = end_of_new - 1;
  // The blocks that overlap [address, last] or touch it on either side.
  std::size_t from = first_ending_after(*view, address == 0 ? 0 : address - 1);
  std::size_t to = from;
  while (to < view->blocks.size() && view->blocks[to].address <= end_of_new) ++to;
  if (overlap == Overlap::kMustAgree) {
    for (std::size_t i = from; i < to; ++i) {
      const MemoryBlock& b = view->blocks[i];
      const std::uint64_t start = std::max(b.address, address);
      const std::uint64_t end = std::min(b.address + (b.bytes.size() - 1), last);
      for (std::uint64_t a = start; a <= end && start <= end; ++a) {
        if (b.bytes[a - b.address] != bytes[a - address]) {
          *conflict = a;
          return false;
        }
      }
    }
  }
  if (from == to) {
    view->blocks.insert(view->blocks.begin() + static_cast<std::ptrdiff_t>(from),
                        MemoryBlock{address, std::vector<unsigned char>(bytes, bytes + size)});
    return true;
  }
  // Merge the new bytes and the blocks from..to-1 into one block; the new
  // bytes win where they overlap. When the first block starts no later
  // than the new bytes it grows in place: a file of records in address
  // order then costs its size, not its size times its records.
  const std::uint64_t tail_end = view->blocks[to - 1].address + view->blocks[to - 1].bytes.size();
  const std::uint64_t end = std::max(tail_end, end_of_new);
  if (view->blocks[from].address > address) {
    view->blocks.insert(view->blocks.begin() + static_cast<std::ptrdiff_t>(from),
                        MemoryBlock{address, std::vector<unsigned char>()});
    ++to;
  }
  MemoryBlock& merged = view->blocks[from];
  const std::uint64_t start = merged.address;
  merged.bytes.resize(static_cast<std::size_t>(end - start));
  for (std::size_t i = from + 1; i < to; ++i) {
    const MemoryBlock& b = view->blocks[i];
    std::copy(b.bytes.begin(), b.bytes.end(),
              merged.bytes.begin() + static_cast<std::ptrdiff_t>(b.address - start));
  }
  std::copy(bytes, bytes + size, merged.bytes.begin() + static_cast<std::ptrdiff_t>(address - start));
  view->blocks.erase(view->blocks.begin() + static_cast<std::ptrdiff_t>(from + 1),
                     view->blocks.begin() + static_cast<std::ptrdiff_t>(to));
  return true;
}

bool view_bytes(const MemoryView& view, std::uint64_t address, std::uint64_t length,
                std::string* out) {
  const std::size_t i = first_ending_after(view, address);
  if (length == 0) {
    out->clear();
    return true;
  }
  if (i == view.blocks.size()) return false;
  const MemoryBlock& b = view.blocks[i];
  if (b.address > address || length > b.bytes.size() - (address - b.address)) return false;
  const auto begin = b.bytes.begin() + static_cast<std::ptrdiff_t>(address - b.address);
  out->assign(begin, begin + static_cast<std::ptrdiff_t>(length));
  return true;
}

std::string view_ranges(const MemoryView& view, std::size_t max_ranges) {
  if (view.blocks.empty()) return "nothing";
  std::string text;
  for (std::size_t i = 0; i < view.blocks.size(); ++i) {
    if (i == max_ranges) return text + ", ...";
    if (i != 0) text += ", ";
    const MemoryBlock& b = view.blocks[i];
    text += hex(b.address) + "\xe2\x80\x93" + hex(b.address + (b.bytes.size() - 1));
  }
  return text;
}
