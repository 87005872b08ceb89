// Bytes by address: what a file places where it is programmed or loaded.
// The ELF image's program headers and every reader of a flashed file
// (Intel HEX, S-record, UF2, raw binary) give the checks this one view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MemoryBlock {
  std::uint64_t address;
  std::vector<unsigned char> bytes;
};

struct MemoryView {
  std::string name;                 // the file, for messages
  std::vector<MemoryBlock> blocks;  // sorted by address, disjoint, adjacent ones merged
};

// How view_add treats bytes that overlap bytes the view already holds.
enum class Overlap {
  kMustAgree,  // a flashed file: overlapping records must hold the same bytes
  kReplace,    // program headers: the later segment wins, as a loader maps it
};

// Adds size bytes at address. With kMustAgree, returns false when they
// overlap held bytes that differ, and sets *conflict to the first address
// that differs; the view is then unchanged. Bytes that would run past the
// end of the 64-bit address space are refused the same way, at 2^64 - 1.
bool view_add(MemoryView* view, std::uint64_t address, const unsigned char* bytes, std::size_t size,
              Overlap overlap, std::uint64_t* conflict);

// Copies the length bytes at address into *out when the view holds every
// one of them; false, with *out unchanged, otherwise.
bool view_bytes(const MemoryView& view, std::uint64_t address, std::uint64_t length,
                std::string* out);

// The ranges the view holds, for messages: "0x08000000–0x08013a9b" (the
// last address of each), joined by ", "; at most max_ranges of them, then
// ", ..." (and "nothing" for an empty view).
std::string view_ranges(const MemoryView& view, std::size_t max_ranges = 4);
