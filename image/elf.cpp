#include "image/elf.hpp"

#include <cstdio>
#include <cstring>

#include "image/format.hpp"

namespace {

using namespace elf;

// The structures of the file as the System V ABI lays them out, one per
// class, each field its bytes in the file's byte order: the compiler gives
// the offsets, and the static_asserts hold them to the ABI's
// sizes.
template <std::size_t N>
using Field = unsigned char[N];

struct Elf32_Ehdr {
  Field<16> e_ident;
  Field<2> e_type, e_machine;
  Field<4> e_version, e_entry, e_phoff, e_shoff, e_flags;
  Field<2> e_ehsize, e_phentsize, e_phnum, e_shentsize, e_shnum, e_shstrndx;
};
struct Elf64_Ehdr {
  Field<16> e_ident;
  Field<2> e_type, e_machine;
  Field<4> e_version;
  Field<8> e_entry, e_phoff, e_shoff;
  Field<4> e_flags;
  Field<2> e_ehsize, e_phentsize, e_phnum, e_shentsize, e_shnum, e_shstrndx;
};
struct Elf32_Shdr {
  Field<4> sh_name, sh_type, sh_flags, sh_addr, sh_offset, sh_size, sh_link, sh_info,
      sh_addralign, sh_entsize;
};
struct Elf64_Shdr {
  Field<4> sh_name, sh_type;
  Field<8> sh_flags, sh_addr, sh_offset, sh_size;
  Field<4> sh_link, sh_info;
  Field<8> sh_addralign, sh_entsize;
};
struct Elf32_Phdr {
  Field<4> p_type, p_offset, p_vaddr, p_paddr, p_filesz, p_memsz, p_flags, p_align;
};
struct Elf64_Phdr {
  Field<4> p_type, p_flags;
  Field<8> p_offset, p_vaddr, p_paddr, p_filesz, p_memsz, p_align;
};
struct Elf32_Sym {
  Field<4> st_name, st_value, st_size;
  Field<1> st_info, st_other;
  Field<2> st_shndx;
};
struct Elf64_Sym {
  Field<4> st_name;
  Field<1> st_info, st_other;
  Field<2> st_shndx;
  Field<8> st_value, st_size;
};
struct Elf32_Rel {
  Field<4> r_offset, r_info;
};
struct Elf64_Rel {
  Field<8> r_offset, r_info;
};
struct Elf32_Rela {
  Field<4> r_offset, r_info, r_addend;
};
struct Elf64_Rela {
  Field<8> r_offset, r_info, r_addend;
};
static_assert(sizeof(Elf32_Ehdr) == 52 && sizeof(Elf64_Ehdr) == 64, "ELF header sizes");
static_assert(sizeof(Elf32_Shdr) == 40 && sizeof(Elf64_Shdr) == 64, "section header sizes");
static_assert(sizeof(Elf32_Phdr) == 32 && sizeof(Elf64_Phdr) == 56, "program header sizes");
static_assert(sizeof(Elf32_Sym) == 16 && sizeof(Elf64_Sym) == 24, "symbol sizes");
static_assert(sizeof(Elf32_Rel) == 8 && sizeof(Elf64_Rel) == 16, "relocation sizes");
static_assert(sizeof(Elf32_Rela) == 12 && sizeof(Elf64_Rela) == 24, "relocation sizes");

// The class's structures, and how r_info splits.
struct Class32 {
  using Ehdr = Elf32_Ehdr;
  using Shdr = Elf32_Shdr;
  using Phdr = Elf32_Phdr;
  using Sym = Elf32_Sym;
  using Rel = Elf32_Rel;
  using Rela = Elf32_Rela;
  static constexpr const char* kName = "Elf32";
  static std::uint32_t r_type(std::uint64_t info) { return static_cast<std::uint32_t>(info & 0xff); }
  static std::uint32_t r_sym(std::uint64_t info) { return static_cast<std::uint32_t>(info >> 8); }
};
struct Class64 {
  using Ehdr = Elf64_Ehdr;
  using Shdr = Elf64_Shdr;
  using Phdr = Elf64_Phdr;
  using Sym = Elf64_Sym;
  using Rel = Elf64_Rel;
  using Rela = Elf64_Rela;
  static constexpr const char* kName = "Elf64";
  static std::uint32_t r_type(std::uint64_t info) {
    return static_cast<std::uint32_t>(info & 0xffffffffu);
  }
  static std::uint32_t r_sym(std::uint64_t info) { return static_cast<std::uint32_t>(info >> 32); }
};

std::uint64_t value_of(bool big_endian, const unsigned char* p, std::size_t bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    const std::size_t shift = big_endian ? 8 * (bytes - 1 - i) : 8 * i;
    value |= static_cast<std::uint64_t>(p[i]) << shift;
  }
  return value;
}

// Reads one field of a structure in the file's byte order.
template <std::size_t N>
std::uint64_t get(const ElfFile& f, const Field<N>& field) {
  return value_of(f.header.big_endian, field, N);
}
template <std::size_t N>
std::uint32_t get32(const ElfFile& f, const Field<N>& field) {
  static_assert(N <= 4, "a field of at most 32 bits");
  return static_cast<std::uint32_t>(get(f, field));
}

// True when the count entries of size bytes from offset lie within the file.
bool holds(const ElfFile& f, std::uint64_t offset, std::uint64_t count, std::uint64_t size) {
  if (offset > f.size) return false;
  const std::uint64_t room = f.size - offset;
  return size == 0 || count <= room / size;
}

// The structure T at offset, which the caller has checked lies in the file.
template <class T>
const T& at(const ElfFile& f, std::uint64_t offset) {
  return *reinterpret_cast<const T*>(f.data + offset);
}

bool fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

template <class C>
void read_ehdr(ElfFile* f) {
  const typename C::Ehdr& h = at<typename C::Ehdr>(*f, 0);
  Ehdr& e = f->header;
  e.e_type = static_cast<std::uint16_t>(get(*f, h.e_type));
  e.e_machine = static_cast<std::uint16_t>(get(*f, h.e_machine));
  e.e_version = get32(*f, h.e_version);
  e.e_entry = get(*f, h.e_entry);
  e.e_phoff = get(*f, h.e_phoff);
  e.e_shoff = get(*f, h.e_shoff);
  e.e_flags = get32(*f, h.e_flags);
  e.e_ehsize = static_cast<std::uint16_t>(get(*f, h.e_ehsize));
  e.e_phentsize = static_cast<std::uint16_t>(get(*f, h.e_phentsize));
  e.e_phnum = static_cast<std::uint16_t>(get(*f, h.e_phnum));
  e.e_shentsize = static_cast<std::uint16_t>(get(*f, h.e_shentsize));
  e.e_shnum = static_cast<std::uint16_t>(get(*f, h.e_shnum));
  e.e_shstrndx = static_cast<std::uint16_t>(get(*f, h.e_shstrndx));
}

template <class C>
Shdr read_shdr(const ElfFile& f, std::uint64_t index) {
  const typename C::Shdr& s =
      at<typename C::Shdr>(f, f.header.e_shoff + index * sizeof(typename C::Shdr));
  return Shdr{{},
              get32(f, s.sh_name),
              get32(f, s.sh_type),
              get(f, s.sh_flags),
              get(f, s.sh_addr),
              get(f, s.sh_offset),
              get(f, s.sh_size),
              get32(f, s.sh_link),
              get32(f, s.sh_info),
              get(f, s.sh_addralign),
              get(f, s.sh_entsize)};
}

// Section 0 holds the real section count, the index of the section names
// and the program header count when the header's fields cannot.
template <class C>
bool read_shdr_zero(ElfFile* f, std::string* error) {
  const Ehdr& e = f->header;
  const std::uint64_t entry = sizeof(typename C::Shdr);
  if (e.e_shentsize != entry)
    return fail(error, format("corrupt: e_shentsize %u, not the %llu bytes of an %s_Shdr",
                              e.e_shentsize, ull(entry), C::kName));
  if (!holds(*f, e.e_shoff, 1, entry))
    return fail(error, format("truncated: e_shoff 0x%llx + %llu lies past the file's %zu bytes",
                              ull(e.e_shoff), ull(entry), f->size));
  const Shdr zero = read_shdr<C>(*f, 0);
  f->shnum = e.e_shnum != 0 ? e.e_shnum : zero.sh_size;
  f->shstrndx = e.e_shstrndx != SHN_XINDEX ? e.e_shstrndx : zero.sh_link;
  f->phnum = e.e_phnum != PN_XNUM ? e.e_phnum : zero.sh_info;
  if (!holds(*f, e.e_shoff, f->shnum, entry))
    return fail(error, format("truncated: e_shoff 0x%llx + %llu \xc3\x97 %llu lies past the file's "
                              "%zu bytes",
                              ull(e.e_shoff), ull(entry), ull(f->shnum), f->size));
  return true;
}

// A string table's name for messages.
std::string section_label(const ElfFile& f, std::uint64_t index) {
  if (index < f.sections.size() && !f.sections[index].name.empty())
    return std::string(f.sections[index].name);
  return format("section %llu", ull(index));
}

// Checks that section index is a string table within the file that ends
// in a NUL, so that every name in it ends within it.
bool check_string_table(const ElfFile& f, std::uint64_t index, const char* what,
                        std::string* error) {
  if (index == 0 || index >= f.sections.size())
    return fail(error, format("corrupt: %s is section %llu, of %llu", what, ull(index),
                              ull(f.sections.size())));
  const Shdr& s = f.sections[index];
  const std::string label = section_label(f, index);
  if (s.sh_type != SHT_STRTAB)
    return fail(error, format("corrupt: %s is %s, of type %u, not a string table", what,
                              label.c_str(), s.sh_type));
  if (!holds(f, s.sh_offset, s.sh_size, 1))
    return fail(error, format("truncated: %s %s (sh_offset 0x%llx + sh_size 0x%llx) lies past "
                              "the file's %zu bytes",
                              what, label.c_str(), ull(s.sh_offset), ull(s.sh_size), f.size));
  if (s.sh_size == 0 || f.data[s.sh_offset + s.sh_size - 1] != '\0')
    return fail(error, format("corrupt: %s %s does not end in a NUL byte", what, label.c_str()));
  return true;
}

// The name at offset within string table index, checked already.
bool name_at(const ElfFile& f, std::uint64_t table, std::uint64_t offset, std::string_view* name) {
  const Shdr& s = f.sections[table];
  if (offset >= s.sh_size) return false;
  *name = std::string_view(reinterpret_cast<const char*>(f.data + s.sh_offset + offset));
  return true;
}

template <class C>
bool read_sections(ElfFile* f, std::string* error) {
  f->sections.clear();
  f->sections.reserve(static_cast<std::size_t>(f->shnum));
  for (std::uint64_t i = 0; i < f->shnum; ++i) f->sections.push_back(read_shdr<C>(*f, i));
  if (!check_string_table(*f, f->shstrndx, "e_shstrndx", error)) return false;
  for (std::uint64_t i = 1; i < f->shnum; ++i) {
    Shdr& s = f->sections[i];
    if (!name_at(*f, f->shstrndx, s.sh_name, &s.name))
      return fail(error, format("corrupt: section %llu's sh_name 0x%x lies outside %s's %llu bytes",
                                ull(i), s.sh_name, section_label(*f, f->shstrndx).c_str(),
                                ull(f->sections[f->shstrndx].sh_size)));
    if (s.sh_type != SHT_NOBITS && !holds(*f, s.sh_offset, s.sh_size, 1))
      return fail(error, format("truncated: section %llu (%s) at sh_offset 0x%llx + sh_size "
                                "0x%llx lies past the file's %zu bytes",
                                ull(i), std::string(s.name).c_str(), ull(s.sh_offset),
                                ull(s.sh_size), f->size));
  }
  return true;
}

template <class C>
bool read_segments(ElfFile* f, std::string* error) {
  const Ehdr& e = f->header;
  const std::uint64_t entry = sizeof(typename C::Phdr);
  f->segments.clear();
  if (f->phnum == 0) return true;
  if (e.e_phentsize != entry)
    return fail(error, format("corrupt: e_phentsize %u, not the %llu bytes of an %s_Phdr",
                              e.e_phentsize, ull(entry), C::kName));
  if (!holds(*f, e.e_phoff, f->phnum, entry))
    return fail(error, format("truncated: e_phoff 0x%llx + %llu \xc3\x97 %llu lies past the file's "
                              "%zu bytes",
                              ull(e.e_phoff), ull(entry), ull(f->phnum), f->size));
  for (std::uint64_t i = 0; i < f->phnum; ++i) {
    const typename C::Phdr& p = at<typename C::Phdr>(*f, e.e_phoff + i * entry);
    const Phdr h{get32(*f, p.p_type),  get32(*f, p.p_flags), get(*f, p.p_offset),
                 get(*f, p.p_vaddr),   get(*f, p.p_paddr),   get(*f, p.p_filesz),
                 get(*f, p.p_memsz),   get(*f, p.p_align)};
    if (h.p_type == PT_LOAD && !holds(*f, h.p_offset, h.p_filesz, 1))
      return fail(error, format("truncated: segment %llu (PT_LOAD) at p_offset 0x%llx + p_filesz "
                                "0x%llx lies past the file's %zu bytes",
                                ull(i), ull(h.p_offset), ull(h.p_filesz), f->size));
    f->segments.push_back(h);
  }
  return true;
}

// Checks a table of entries of T: its size a multiple of T's, within the
// file. what names it for messages.
template <class T>
bool check_entries(const ElfFile& f, std::uint64_t index, const char* type_name,
                   std::string* error) {
  const Shdr& s = f.sections[index];
  const std::string label = section_label(f, index);
  if (s.sh_entsize != sizeof(T))
    return fail(error, format("corrupt: %s has sh_entsize %llu, not the %zu bytes of an %s",
                              label.c_str(), ull(s.sh_entsize), sizeof(T), type_name));
  if (s.sh_size % sizeof(T) != 0)
    return fail(error, format("corrupt: %s's sh_size %llu is not a multiple of its entries' %zu "
                              "bytes",
                              label.c_str(), ull(s.sh_size), sizeof(T)));
  return true;
}

template <class C>
bool read_symbols(ElfFile* f, std::string* error) {
  std::uint64_t symtab = 0;
  for (std::uint64_t i = 1; i < f->sections.size() && symtab == 0; ++i)
    if (f->sections[i].sh_type == SHT_SYMTAB) symtab = i;
  if (symtab == 0)
    return fail(error, "no symbol table (a stripped image), so its tables cannot be found");
  const Shdr& s = f->sections[symtab];
  const std::string type = std::string(C::kName) + "_Sym";
  if (!check_entries<typename C::Sym>(*f, symtab, type.c_str(), error)) return false;
  const std::string what = section_label(*f, symtab) + "'s sh_link";
  if (!check_string_table(*f, s.sh_link, what.c_str(), error)) return false;
  // SHN_XINDEX symbols keep their section index in SHT_SYMTAB_SHNDX.
  const Shdr* xindex = nullptr;
  for (const Shdr& x : f->sections)
    if (x.sh_type == SHT_SYMTAB_SHNDX && x.sh_link == symtab) xindex = &x;
  const std::uint64_t count = s.sh_size / sizeof(typename C::Sym);
  f->symbols.clear();
  f->symbols.reserve(static_cast<std::size_t>(count));
  f->by_name.clear();
  f->by_name.reserve(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) {
    const typename C::Sym& y = at<typename C::Sym>(*f, s.sh_offset + i * sizeof(typename C::Sym));
    Sym sym{{},
            get32(*f, y.st_name),
            static_cast<std::uint8_t>(y.st_info[0]),
            static_cast<std::uint8_t>(y.st_other[0]),
            get32(*f, y.st_shndx),
            get(*f, y.st_value),
            get(*f, y.st_size)};
    if (!name_at(*f, s.sh_link, sym.st_name, &sym.name))
      return fail(error, format("corrupt: symbol %llu's st_name 0x%x lies outside %s's %llu bytes",
                                ull(i), sym.st_name, section_label(*f, s.sh_link).c_str(),
                                ull(f->sections[s.sh_link].sh_size)));
    if (sym.st_shndx == SHN_XINDEX) {
      if (xindex == nullptr || (i + 1) * 4 > xindex->sh_size)
        return fail(error, format("corrupt: symbol %llu (%s) has st_shndx SHN_XINDEX, but no "
                                  "SHT_SYMTAB_SHNDX entry",
                                  ull(i), std::string(sym.name).c_str()));
      sym.st_shndx = static_cast<std::uint32_t>(
          elf_value(*f, f->data + xindex->sh_offset + i * 4, 4));
    }
    f->symbols.push_back(sym);
    if (i == 0 || sym.st_shndx == SHN_UNDEF || sym.name.empty()) continue;
    const auto found = f->by_name.find(sym.name);
    if (found == f->by_name.end())
      f->by_name.emplace(sym.name, static_cast<std::size_t>(i));
    else if (st_bind(f->symbols[found->second]) == STB_LOCAL && st_bind(sym) != STB_LOCAL)
      found->second = static_cast<std::size_t>(i);
  }
  return true;
}

template <class C, class R>
bool read_relocations(ElfFile* f, std::uint64_t index, std::string* error) {
  const char* type = sizeof(R) == sizeof(typename C::Rel) ? "_Rel" : "_Rela";
  if (!check_entries<R>(*f, index, (std::string(C::kName) + type).c_str(), error)) return false;
  const Shdr& s = f->sections[index];
  for (std::uint64_t i = 0; i < s.sh_size / sizeof(R); ++i) {
    const R& r = at<R>(*f, s.sh_offset + i * sizeof(R));
    const std::uint64_t info = get(*f, r.r_info);
    f->dynamic_relocations.push_back(Rel{get(*f, r.r_offset), C::r_type(info), C::r_sym(info)});
  }
  return true;
}

template <class C>
bool read_dynamic_relocations(ElfFile* f, std::string* error) {
  f->dynamic_relocations.clear();
  for (std::uint64_t i = 1; i < f->sections.size(); ++i) {
    const Shdr& s = f->sections[i];
    if ((s.sh_flags & SHF_ALLOC) == 0) continue;
    if (s.sh_type == SHT_REL && !read_relocations<C, typename C::Rel>(f, i, error)) return false;
    if (s.sh_type == SHT_RELA && !read_relocations<C, typename C::Rela>(f, i, error)) return false;
  }
  return true;
}

template <class C>
bool read_class(ElfFile* f, std::string* error) {
  if (f->size < sizeof(typename C::Ehdr))
    return fail(error, format("truncated: the ELF header is cut short (%zu of its %zu bytes)",
                              f->size, sizeof(typename C::Ehdr)));
  read_ehdr<C>(f);
  if (f->header.e_shoff == 0)
    return fail(error, "no section table (a stripped image), so its tables cannot be found");
  return read_shdr_zero<C>(f, error) && read_sections<C>(f, error) &&
         read_segments<C>(f, error) && read_symbols<C>(f, error) &&
         read_dynamic_relocations<C>(f, error);
}

// The copy relocation type of each machine's processor supplement.
std::uint32_t copy_relocation_type(unsigned machine) {
  switch (machine) {
    case EM_386:
    case EM_X86_64:
      return 5;  // R_386_COPY, R_X86_64_COPY
    case EM_ARM:
      return 20;  // R_ARM_COPY
    case EM_AARCH64:
      return 1024;  // R_AARCH64_COPY
    case EM_RISCV:
      return 4;  // R_RISCV_COPY
    case EM_PPC:
    case EM_PPC64:
      return 19;  // R_PPC_COPY, R_PPC64_COPY
    default:
      return 0;
  }
}

// Reads the ULEB128 number at *p, below end; false when it runs past end.
bool read_uleb(const unsigned char** p, const unsigned char* end, std::uint64_t* value) {
  *value = 0;
  for (unsigned shift = 0; *p < end; shift += 7) {
    const unsigned char byte = *(*p)++;
    if (shift < 64) *value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

// Skips the NUL-terminated string at *p; false when it runs past end.
bool skip_string(const unsigned char** p, const unsigned char* end) {
  const void* nul = std::memchr(*p, '\0', static_cast<std::size_t>(end - *p));
  if (nul == nullptr) return false;
  *p = static_cast<const unsigned char*>(nul) + 1;
  return true;
}

// Tag_CPU_arch and Tag_CPU_arch_profile within one "aeabi" subsection's
// attributes.
void attributes_in(const unsigned char* p, const unsigned char* end, ArmAttributes* found) {
  while (p < end) {
    std::uint64_t tag = 0, value = 0;
    if (!read_uleb(&p, end, &tag)) return;
    if (tag == 1 || tag == 2 || tag == 3) {  // Tag_File, Tag_Section, Tag_Symbol: a size
      if (end - p < 4) return;
      p += 4;
      if (tag != 1) {  // their section or symbol numbers, up to a 0
        do {
          if (!read_uleb(&p, end, &value)) return;
        } while (value != 0);
      }
      continue;
    }
    // Tag_CPU_raw_name, Tag_CPU_name and the odd tags from 65 on are
    // strings; Tag_compatibility a number and a string; the rest numbers.
    if (tag == 4 || tag == 5 || (tag > 32 && tag % 2 == 1)) {
      if (!skip_string(&p, end)) return;
      continue;
    }
    if (!read_uleb(&p, end, &value)) return;
    if (tag == 32 && !skip_string(&p, end)) return;
    if (tag == 6) found->arch = static_cast<unsigned>(value);       // Tag_CPU_arch
    if (tag == 7) found->profile = static_cast<char>(value);        // Tag_CPU_arch_profile
  }
}

}  // namespace

std::uint64_t elf_value(const ElfFile& file, const unsigned char* p, int bytes) {
  return value_of(file.header.big_endian, p, static_cast<std::size_t>(bytes));
}

bool elf_read(const unsigned char* data, std::size_t size, ElfFile* file, std::string* error) {
  *file = ElfFile{};
  file->data = data;
  file->size = size;
  if (size < 16 || std::memcmp(data, "\177ELF", 4) != 0) return fail(error, "not an ELF file");
  if ((data[4] != 1 && data[4] != 2) || (data[5] != 1 && data[5] != 2))
    return fail(error, format("an ELF file of an unknown class or byte order (EI_CLASS %u, "
                              "EI_DATA %u)",
                              data[4], data[5]));
  file->header.is_64 = data[4] == 2;
  file->header.big_endian = data[5] == 2;
  return file->header.is_64 ? read_class<Class64>(file, error) : read_class<Class32>(file, error);
}

const elf::Sym* elf_find_symbol(const ElfFile& file, std::string_view name) {
  const auto found = file.by_name.find(name);
  return found == file.by_name.end() ? nullptr : &file.symbols[found->second];
}

bool elf_is_copy_relocated(const ElfFile& file, std::uint64_t address) {
  const std::uint32_t copy = copy_relocation_type(file.header.e_machine);
  if (copy == 0) return false;
  for (const Rel& r : file.dynamic_relocations)
    if (r.r_type == copy && r.r_offset == address) return true;
  return false;
}

ArmAttributes elf_arm_attributes(const ElfFile& file) {
  ArmAttributes found{0, 0};
  if (file.header.e_machine != EM_ARM) return found;
  for (const Shdr& s : file.sections) {
    if (s.sh_type != SHT_ARM_ATTRIBUTES || s.sh_size < 1) continue;
    const unsigned char* p = file.data + s.sh_offset;
    const unsigned char* end = p + s.sh_size;
    if (*p++ != 'A') continue;
    // Subsections: a length (including itself), a vendor name, attributes.
    while (end - p >= 4) {
      const std::uint64_t length = elf_value(file, p, 4);
      if (length < 4 || length > static_cast<std::uint64_t>(end - p)) break;
      const unsigned char* next = p + length;
      const unsigned char* vendor = p + 4;
      const unsigned char* attributes = vendor;
      if (skip_string(&attributes, next) &&
          std::strcmp(reinterpret_cast<const char*>(vendor), "aeabi") == 0)
        attributes_in(attributes, next, &found);
      p = next;
    }
  }
  return found;
}

std::string elf_machine_name(unsigned e_machine) {
  switch (e_machine) {
    case EM_386:
      return "x86";
    case EM_X86_64:
      return "x86-64";
    case EM_ARM:
      return "Arm";
    case EM_AARCH64:
      return "AArch64";
    case EM_RISCV:
      return "RISC-V";
    case EM_PPC:
      return "PowerPC";
    case EM_PPC64:
      return "PowerPC 64";
    case 8:
      return "MIPS";
    case 83:
      return "AVR";
    case 105:
      return "MSP430";
    case 94:
      return "Xtensa";
    case 140:
      return "TI C6000";
    default:
      return format("machine %u", e_machine);
  }
}
