// Reading a linked ELF image held in memory: 32- or 64-bit, either byte
// order, any machine. Every read is checked against the image's size, so a
// truncated or corrupt file gives an error, never a read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ElfImage {
  const unsigned char* data;
  std::size_t size;
  bool is_64;
  bool big_endian;
  unsigned type;  // ET_EXEC, ET_DYN, ...
  std::uint64_t section_offset;
  std::uint64_t section_entry_size;
  std::uint64_t section_count;
  std::uint64_t section_names;  // index of the section of section names
  std::uint64_t segment_offset;
  std::uint64_t segment_entry_size;
  std::uint64_t segment_count;
};

struct ElfSection {
  const char* name;  // within the image, NUL-terminated
  unsigned type;
  std::uint64_t flags;
  std::uint64_t address;
  std::uint64_t offset;
  std::uint64_t size;
  std::uint64_t link;
  std::uint64_t entry_size;
};

struct ElfSegment {
  unsigned type;
  std::uint64_t offset;
  std::uint64_t virtual_address;
  std::uint64_t physical_address;
  std::uint64_t file_size;
  std::uint64_t memory_size;
};

struct ElfSymbol {
  const char* name;  // within the image, NUL-terminated
  std::uint64_t value;
  std::uint64_t size;
  unsigned type;     // STT_OBJECT, STT_FUNC, ...
  unsigned binding;  // STB_LOCAL, STB_GLOBAL, STB_WEAK
  unsigned section;  // SHN_UNDEF, an index, or a reserved index
};

enum : unsigned {
  kElfTypeRelocatable = 1,
  kSectionProgbits = 1,
  kSectionSymtab = 2,
  kSectionStrtab = 3,
  kSectionNote = 7,
  kSectionNobits = 8,
  kSectionInitArray = 14,
  kSectionFiniArray = 15,
  kSectionPreinitArray = 16,
  kSectionFlagAlloc = 2,
  kSegmentLoad = 1,
  kSymbolObject = 1,
  kSymbolFunction = 2,
  kSymbolUndefined = 0,
  kSymbolReserved = 0xff00,  // SHN_LORESERVE: SHN_ABS, SHN_COMMON, ...
};

// Checks the ELF header and where the section and segment tables lie. On
// failure returns false and sets *error to what is wrong.
bool elf_open(const unsigned char* data, std::size_t size, ElfImage* image, std::string* error);

// Reads section, segment or symbol number index; false when it or what it
// names (a name, a string table) lies outside the image.
bool elf_section(const ElfImage& image, std::uint64_t index, ElfSection* section);
bool elf_segment(const ElfImage& image, std::uint64_t index, ElfSegment* segment);
bool elf_symbol(const ElfImage& image, const ElfSection& symbols, const ElfSection& names,
                std::uint64_t index, ElfSymbol* symbol);

// True when the bytes [offset, offset + length) lie within the image.
bool elf_holds(const ElfImage& image, std::uint64_t offset, std::uint64_t length);

// The unsigned integer of 1, 2, 4 or 8 bytes at offset, in the image's byte
// order; the caller has checked that the bytes lie within the image.
std::uint64_t elf_read(const ElfImage& image, std::uint64_t offset, int bytes);
