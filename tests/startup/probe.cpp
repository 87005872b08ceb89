// wfac_startup_probe: runs an image's start-up code with the start-up
// emulator, twice (patterns 0xA5 and 0x5A), and prints what each run
// leaves in the named objects, for the start-up tests.
//
//   wfac_startup_probe [--until SYMBOL] [--skip FUNCTION]... [--profile P]
//                      IMAGE OBJECT...
//
// Prints per run "run a5: arrived" and then "OBJECT: <hex bytes>" per
// object, or "run a5: <where it stopped>". --profile gives the Arm
// profile ('M', 'A', 'R'; default unknown). Reads the image with a small
// ELF reader of its own, so that the test does not depend on the one that
// wfac_check_image uses.
#include "startup/startup_emulator.hpp"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Elf {
  std::vector<unsigned char> bytes;
  bool is_64 = false;
  bool big = false;
};

std::uint64_t get(const Elf& elf, std::uint64_t offset, unsigned size) {
  if (offset + size > elf.bytes.size()) return 0;
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    const unsigned byte = elf.bytes[offset + (elf.big ? i : size - 1 - i)];
    value = (value << 8) | byte;
  }
  return value;
}

bool load(const char* path, Elf* elf, StartupImage* image) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  unsigned char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    elf->bytes.insert(elf->bytes.end(), buffer, buffer + got);
  std::fclose(file);
  if (elf->bytes.size() < 64 || std::memcmp(elf->bytes.data(), "\177ELF", 4) != 0) return false;
  elf->is_64 = elf->bytes[4] == 2;
  elf->big = elf->bytes[5] == 2;
  const bool w = elf->is_64;
  image->machine = static_cast<unsigned>(get(*elf, 18, 2));
  image->is_64 = w;
  image->big_endian = elf->big;
  image->entry = get(*elf, 24, w ? 8 : 4);
  const std::uint64_t phoff = get(*elf, w ? 32 : 28, w ? 8 : 4);
  const std::uint64_t shoff = get(*elf, w ? 40 : 32, w ? 8 : 4);
  image->flags = static_cast<std::uint32_t>(get(*elf, w ? 48 : 36, 4));
  const std::uint64_t phentsize = get(*elf, w ? 54 : 42, 2), phnum = get(*elf, w ? 56 : 44, 2);
  const std::uint64_t shentsize = get(*elf, w ? 58 : 46, 2), shnum = get(*elf, w ? 60 : 48, 2);
  for (std::uint64_t i = 0; i < phnum; ++i) {
    const std::uint64_t p = phoff + i * phentsize;
    if (get(*elf, p, 4) != 1) continue;  // PT_LOAD
    StartupSegment s;
    const std::uint64_t flags = get(*elf, w ? p + 4 : p + 24, 4);
    const std::uint64_t offset = get(*elf, w ? p + 8 : p + 4, w ? 8 : 4);
    s.vaddr = get(*elf, w ? p + 16 : p + 8, w ? 8 : 4);
    s.paddr = get(*elf, w ? p + 24 : p + 12, w ? 8 : 4);
    s.file_size = get(*elf, w ? p + 32 : p + 16, w ? 8 : 4);
    s.memsz = get(*elf, w ? p + 40 : p + 20, w ? 8 : 4);
    s.executable = (flags & 1) != 0;
    s.writable = (flags & 2) != 0;
    s.readable = (flags & 4) != 0;
    if (offset + s.file_size > elf->bytes.size()) return false;
    s.file_bytes = elf->bytes.data() + offset;
    image->segments.push_back(s);
  }
  for (std::uint64_t i = 0; i < shnum; ++i) {
    const std::uint64_t sh = shoff + i * shentsize;
    if (get(*elf, sh + 4, 4) != 2) continue;  // SHT_SYMTAB
    const std::uint64_t offset = get(*elf, w ? sh + 24 : sh + 16, w ? 8 : 4);
    const std::uint64_t size = get(*elf, w ? sh + 32 : sh + 20, w ? 8 : 4);
    const std::uint64_t link = get(*elf, w ? sh + 40 : sh + 24, 4);
    const std::uint64_t entsize = get(*elf, w ? sh + 56 : sh + 36, w ? 8 : 4);
    const std::uint64_t strings = get(*elf, shoff + link * shentsize + (w ? 24 : 16), w ? 8 : 4);
    for (std::uint64_t e = offset + entsize; entsize != 0 && e + entsize <= offset + size;
         e += entsize) {
      StartupSymbol symbol;
      const std::uint64_t name = strings + get(*elf, e, 4);
      if (name >= elf->bytes.size()) continue;
      symbol.name = reinterpret_cast<const char*>(elf->bytes.data() + name);
      const std::uint64_t info = get(*elf, w ? e + 4 : e + 12, 1);
      symbol.address = get(*elf, w ? e + 8 : e + 4, w ? 8 : 4);
      symbol.size = get(*elf, w ? e + 16 : e + 8, w ? 8 : 4);
      symbol.function = (info & 0xF) == 2;
      if ((info & 0xF) <= 2 && get(*elf, w ? e + 6 : e + 14, 2) != 0)  // defined
        image->symbols.push_back(symbol);
    }
  }
  return true;
}

const StartupSymbol* find(const StartupImage& image, const std::string& name) {
  for (const StartupSymbol& symbol : image.symbols)
    if (symbol.name == name) return &symbol;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  StartupOptions options;
  StartupImage image;
  image.arm_profile = 0;
  image.arm_arch = 0;
  Elf elf;
  std::vector<std::string> skip;
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
    if (std::strcmp(argv[i], "--until") == 0) options.stop_name = argv[i + 1];
    else if (std::strcmp(argv[i], "--skip") == 0) skip.push_back(argv[i + 1]);
    else if (std::strcmp(argv[i], "--profile") == 0) image.arm_profile = argv[i + 1][0];
    else break;
  }
  if (i >= argc || !load(argv[i], &elf, &image)) {
    std::fprintf(stderr, "usage: wfac_startup_probe [--until S] [--skip F]... [--profile P] "
                         "IMAGE OBJECT... (an ELF image that can be read)\n");
    return 2;
  }
  std::string machine;
  if (!startup_can_emulate(image, &machine)) {
    std::printf("cannot run %s code\n", machine.c_str());
    return 1;
  }
  const StartupSymbol* stop = find(image, options.stop_name);
  if (stop == nullptr) {
    std::fprintf(stderr, "no symbol %s\n", options.stop_name.c_str());
    return 2;
  }
  options.stop_address = stop->address;
  for (const std::string& name : skip) {
    const StartupSymbol* function = find(image, name);
    if (function == nullptr) {
      std::fprintf(stderr, "no symbol %s\n", name.c_str());
      return 2;
    }
    options.skip.emplace_back(name, function->address);
  }
  std::vector<StartupRange> ranges;
  std::vector<std::string> names;
  for (++i; i < argc; ++i) {
    const StartupSymbol* object = find(image, argv[i]);
    if (object == nullptr) {
      std::fprintf(stderr, "no symbol %s\n", argv[i]);
      return 2;
    }
    ranges.push_back(StartupRange{object->address, object->size});
    names.push_back(argv[i]);
  }
  for (unsigned char pattern : {0xA5, 0x5A}) {
    options.pattern = pattern;
    const StartupRun run = run_startup(image, options, ranges);
    if (!run.arrived) {
      std::printf("run %02x: %s\n", pattern, run.where.c_str());
      continue;
    }
    std::printf("run %02x: arrived\n", pattern);
    for (std::size_t r = 0; r < ranges.size(); ++r) {
      std::printf("%s:", names[r].c_str());
      for (char byte : run.bytes[r]) std::printf(" %02x", static_cast<unsigned char>(byte));
      std::printf("\n");
    }
  }
  return 0;
}
