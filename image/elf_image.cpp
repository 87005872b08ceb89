#include "image/elf_image.hpp"

#include <cstring>

namespace {

// Offsets and sizes of the fields this reader uses, by class.
struct Layout {
  int address_bytes;  // 4 or 8
  std::uint64_t header_size;
  std::uint64_t section_offset, segment_offset;
  std::uint64_t segment_entry_size, segment_count;
  std::uint64_t section_entry_size, section_count, section_names;
  std::uint64_t min_section_entry, min_segment_entry, min_symbol_entry;
};

const Layout kLayout32 = {4, 52, 32, 28, 42, 44, 46, 48, 50, 40, 32, 16};
const Layout kLayout64 = {8, 64, 40, 32, 54, 56, 58, 60, 62, 64, 56, 24};

const Layout& layout(const ElfImage& image) { return image.is_64 ? kLayout64 : kLayout32; }

std::uint64_t address(const ElfImage& image, std::uint64_t offset) {
  return elf_read(image, offset, layout(image).address_bytes);
}

// A NUL-terminated string at offset within the string table names, or null.
const char* string_at(const ElfImage& image, const ElfSection& names, std::uint64_t offset) {
  if (names.type == kSectionNobits || !elf_holds(image, names.offset, names.size) ||
      offset >= names.size)
    return nullptr;
  const char* start = reinterpret_cast<const char*>(image.data + names.offset + offset);
  if (std::memchr(start, '\0', names.size - offset) == nullptr) return nullptr;
  return start;
}

// Reads the fields of section index, without its name.
bool read_section(const ElfImage& image, std::uint64_t index, ElfSection* s,
                  std::uint64_t* name_offset) {
  if (index >= image.section_count) return false;
  const std::uint64_t at = image.section_offset + index * image.section_entry_size;
  if (image.is_64) {
    *name_offset = elf_read(image, at, 4);
    s->type = static_cast<unsigned>(elf_read(image, at + 4, 4));
    s->flags = elf_read(image, at + 8, 8);
    s->address = elf_read(image, at + 16, 8);
    s->offset = elf_read(image, at + 24, 8);
    s->size = elf_read(image, at + 32, 8);
    s->link = elf_read(image, at + 40, 4);
    s->entry_size = elf_read(image, at + 56, 8);
  } else {
    *name_offset = elf_read(image, at, 4);
    s->type = static_cast<unsigned>(elf_read(image, at + 4, 4));
    s->flags = elf_read(image, at + 8, 4);
    s->address = elf_read(image, at + 12, 4);
    s->offset = elf_read(image, at + 16, 4);
    s->size = elf_read(image, at + 20, 4);
    s->link = elf_read(image, at + 24, 4);
    s->entry_size = elf_read(image, at + 36, 4);
  }
  s->name = nullptr;
  return true;
}

}  // namespace

bool elf_holds(const ElfImage& image, std::uint64_t offset, std::uint64_t length) {
  return offset <= image.size && length <= image.size - offset;
}

std::uint64_t elf_read(const ElfImage& image, std::uint64_t offset, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) {
    const int shift = image.big_endian ? 8 * (bytes - 1 - i) : 8 * i;
    value |= static_cast<std::uint64_t>(image.data[offset + static_cast<unsigned>(i)]) << shift;
  }
  return value;
}

bool elf_open(const unsigned char* data, std::size_t size, ElfImage* image, std::string* error) {
  *image = ElfImage{data, size, false, false, 0, 0, 0, 0, 0, 0, 0, 0};
  if (size < 16 || std::memcmp(data, "\177ELF", 4) != 0) {
    *error = "not an ELF file";
    return false;
  }
  if ((data[4] != 1 && data[4] != 2) || (data[5] != 1 && data[5] != 2)) {
    *error = "an ELF file of an unknown class or byte order";
    return false;
  }
  image->is_64 = data[4] == 2;
  image->big_endian = data[5] == 2;
  const Layout& l = layout(*image);
  if (size < l.header_size) {
    *error = "truncated: the ELF header is cut short";
    return false;
  }
  image->type = static_cast<unsigned>(elf_read(*image, 16, 2));
  image->section_offset = address(*image, l.section_offset);
  image->segment_offset = address(*image, l.segment_offset);
  image->segment_entry_size = elf_read(*image, l.segment_entry_size, 2);
  image->segment_count = elf_read(*image, l.segment_count, 2);
  image->section_entry_size = elf_read(*image, l.section_entry_size, 2);
  image->section_count = elf_read(*image, l.section_count, 2);
  image->section_names = elf_read(*image, l.section_names, 2);

  if (image->section_offset == 0) {
    *error = "no section table (a stripped image), so its tables cannot be found";
    return false;
  }
  if (image->section_entry_size < l.min_section_entry) {
    *error = "corrupt: the section table's entries are too small";
    return false;
  }
  // An image of more sections than 0xff00 keeps the count and the index of
  // the section names in section 0.
  if (!elf_holds(*image, image->section_offset, image->section_entry_size)) {
    *error = "truncated: the section table lies past the end of the file";
    return false;
  }
  ElfSection first;
  std::uint64_t unused;
  image->section_count = image->section_count == 0 ? 1 : image->section_count;
  read_section(*image, 0, &first, &unused);
  if (elf_read(*image, l.section_count, 2) == 0) image->section_count = first.size;
  if (image->section_names == 0xffff) image->section_names = first.link;
  if (image->section_count > (size - image->section_offset) / image->section_entry_size) {
    *error = "truncated: the section table lies past the end of the file";
    return false;
  }
  if (image->segment_count != 0 &&
      (image->segment_entry_size < l.min_segment_entry ||
       !elf_holds(*image, image->segment_offset, 0) ||
       image->segment_count > (size - image->segment_offset) / image->segment_entry_size)) {
    *error = "truncated or corrupt: the segment table lies past the end of the file";
    return false;
  }
  ElfSection names;
  if (!read_section(*image, image->section_names, &names, &unused) ||
      names.type != kSectionStrtab || !elf_holds(*image, names.offset, names.size)) {
    *error = "corrupt: the section names lie outside the file";
    return false;
  }
  return true;
}

bool elf_section(const ElfImage& image, std::uint64_t index, ElfSection* section) {
  std::uint64_t name_offset = 0;
  ElfSection names;
  std::uint64_t unused;
  if (!read_section(image, index, section, &name_offset) ||
      !read_section(image, image.section_names, &names, &unused))
    return false;
  section->name = string_at(image, names, name_offset);
  return section->name != nullptr;
}

bool elf_segment(const ElfImage& image, std::uint64_t index, ElfSegment* s) {
  if (index >= image.segment_count) return false;
  const std::uint64_t at = image.segment_offset + index * image.segment_entry_size;
  s->type = static_cast<unsigned>(elf_read(image, at, 4));
  if (image.is_64) {
    s->offset = elf_read(image, at + 8, 8);
    s->virtual_address = elf_read(image, at + 16, 8);
    s->physical_address = elf_read(image, at + 24, 8);
    s->file_size = elf_read(image, at + 32, 8);
    s->memory_size = elf_read(image, at + 40, 8);
  } else {
    s->offset = elf_read(image, at + 4, 4);
    s->virtual_address = elf_read(image, at + 8, 4);
    s->physical_address = elf_read(image, at + 12, 4);
    s->file_size = elf_read(image, at + 16, 4);
    s->memory_size = elf_read(image, at + 20, 4);
  }
  return true;
}

bool elf_symbol(const ElfImage& image, const ElfSection& symbols, const ElfSection& names,
                std::uint64_t index, ElfSymbol* symbol) {
  const std::uint64_t entry = symbols.entry_size;
  if (entry < layout(image).min_symbol_entry || index >= symbols.size / entry ||
      !elf_holds(image, symbols.offset, symbols.size))
    return false;
  const std::uint64_t at = symbols.offset + index * entry;
  std::uint64_t name_offset = elf_read(image, at, 4);
  unsigned info = 0;
  if (image.is_64) {
    info = static_cast<unsigned>(elf_read(image, at + 4, 1));
    symbol->section = static_cast<unsigned>(elf_read(image, at + 6, 2));
    symbol->value = elf_read(image, at + 8, 8);
    symbol->size = elf_read(image, at + 16, 8);
  } else {
    symbol->value = elf_read(image, at + 4, 4);
    symbol->size = elf_read(image, at + 8, 4);
    info = static_cast<unsigned>(elf_read(image, at + 12, 1));
    symbol->section = static_cast<unsigned>(elf_read(image, at + 14, 2));
  }
  symbol->type = info & 0xf;
  symbol->binding = info >> 4;
  symbol->name = string_at(image, names, name_offset);
  return symbol->name != nullptr;
}
