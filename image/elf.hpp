// Reading a linked ELF image held in memory, as the System V ABI
// names its parts: the file header, the section and program headers, the
// symbol table and the dynamic relocations, of either class and byte
// order, any machine. Everything is read and checked once, up front:
// every offset against the file's size, every entry size against its
// class, every name against its string table. A damaged file gives an
// error that names the field and the values found; nothing is read
// outside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace elf {

// The constants this reader uses, with their names in the System V ABI
// (and in the processor supplements for the machine-specific ones).
enum : std::uint32_t {
  ET_REL = 1,
  ET_EXEC = 2,
  ET_DYN = 3,

  EM_386 = 3,
  EM_PPC = 20,
  EM_PPC64 = 21,
  EM_ARM = 40,
  EM_X86_64 = 62,
  EM_AARCH64 = 183,
  EM_RISCV = 243,

  SHN_UNDEF = 0,
  SHN_LORESERVE = 0xff00,
  SHN_XINDEX = 0xffff,
  PN_XNUM = 0xffff,

  SHT_PROGBITS = 1,
  SHT_SYMTAB = 2,
  SHT_STRTAB = 3,
  SHT_RELA = 4,
  SHT_NOTE = 7,
  SHT_NOBITS = 8,
  SHT_REL = 9,
  SHT_DYNSYM = 11,
  SHT_INIT_ARRAY = 14,
  SHT_FINI_ARRAY = 15,
  SHT_PREINIT_ARRAY = 16,
  SHT_SYMTAB_SHNDX = 18,
  SHT_ARM_ATTRIBUTES = 0x70000003,

  SHF_WRITE = 0x1,
  SHF_ALLOC = 0x2,

  PT_LOAD = 1,
  PT_DYNAMIC = 2,
  PT_INTERP = 3,

  PF_X = 0x1,
  PF_W = 0x2,
  PF_R = 0x4,

  STB_LOCAL = 0,
  STT_OBJECT = 1,
  STT_FUNC = 2,
};

// The file header, Elf32_Ehdr or Elf64_Ehdr, each field widened.
struct Ehdr {
  bool is_64;       // e_ident[EI_CLASS] is ELFCLASS64
  bool big_endian;  // e_ident[EI_DATA] is ELFDATA2MSB
  std::uint16_t e_type, e_machine;
  std::uint32_t e_version;
  std::uint64_t e_entry, e_phoff, e_shoff;
  std::uint32_t e_flags;
  std::uint16_t e_ehsize, e_phentsize, e_phnum, e_shentsize, e_shnum, e_shstrndx;
};

// A section header, Elf32_Shdr or Elf64_Shdr, with its name.
struct Shdr {
  std::string_view name;  // from the section header string table
  std::uint32_t sh_name, sh_type;
  std::uint64_t sh_flags, sh_addr, sh_offset, sh_size;
  std::uint32_t sh_link, sh_info;
  std::uint64_t sh_addralign, sh_entsize;
};

// A program header, Elf32_Phdr or Elf64_Phdr.
struct Phdr {
  std::uint32_t p_type, p_flags;
  std::uint64_t p_offset, p_vaddr, p_paddr, p_filesz, p_memsz, p_align;
};

// A symbol, Elf32_Sym or Elf64_Sym, with its name and its section index
// (SHN_XINDEX resolved through SHT_SYMTAB_SHNDX).
struct Sym {
  std::string_view name;
  std::uint32_t st_name;
  std::uint8_t st_info, st_other;
  std::uint32_t st_shndx;
  std::uint64_t st_value, st_size;
};
inline unsigned st_bind(const Sym& s) { return s.st_info >> 4; }
inline unsigned st_type(const Sym& s) { return s.st_info & 0xfu; }

// A dynamic relocation of a SHT_REL or SHT_RELA section, r_info split.
struct Rel {
  std::uint64_t r_offset;
  std::uint32_t r_type, r_sym;
};

}  // namespace elf

struct ElfFile {
  const unsigned char* data;  // the whole file, which must outlive this
  std::size_t size;
  elf::Ehdr header;
  // The real counts and index, after those that section 0 holds for an
  // image of many sections (e_shnum 0, e_shstrndx SHN_XINDEX, e_phnum
  // PN_XNUM).
  std::uint64_t shnum, shstrndx, phnum;
  std::vector<elf::Shdr> sections;
  std::vector<elf::Phdr> segments;
  std::vector<elf::Sym> symbols;  // of .symtab; entry 0 included
  // The defined symbols by name, once: a global or weak definition before
  // a local one, the first of each.
  std::unordered_map<std::string_view, std::size_t> by_name;
  // The dynamic relocations (of every allocated SHT_REL and SHT_RELA
  // section), for copy relocations.
  std::vector<elf::Rel> dynamic_relocations;
};

// Reads the image of size bytes at data. On failure returns false and sets
// *error to what is wrong, for example "truncated: e_phoff 0x40 + 56 × 9
// lies past the file's 400 bytes" or "corrupt: symbol 12's st_name 0x9999
// lies outside .strtab's 311 bytes".
bool elf_read(const unsigned char* data, std::size_t size, ElfFile* file, std::string* error);

// The defined symbol name, or null.
const elf::Sym* elf_find_symbol(const ElfFile& file, std::string_view name);

// The unsigned integer of 1, 2, 4 or 8 bytes at p, in the file's byte order.
std::uint64_t elf_value(const ElfFile& file, const unsigned char* p, int bytes);

// Whether a dynamic relocation of the machine's copy type (R_X86_64_COPY,
// R_ARM_COPY, ...) fills address at load time.
bool elf_is_copy_relocated(const ElfFile& file, std::uint64_t address);

// The architecture of an Arm image from its build attributes (the "aeabi"
// subsection of .ARM.attributes): Tag_CPU_arch_profile ('A', 'R', 'M' or
// 'S') and Tag_CPU_arch; 0 for what they do not give.
struct ArmAttributes {
  char profile;
  unsigned arch;
};
ArmAttributes elf_arm_attributes(const ElfFile& file);

// The name of the machine, for messages: "Arm", "RISC-V", or "machine 105".
std::string elf_machine_name(unsigned e_machine);
