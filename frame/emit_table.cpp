#include "frame/emit_table.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// Output is gathered in a small fixed buffer and handed to stdio a few
// kilobytes at a time. The first failed write is remembered and ends all
// writing, so the caller learns the error that stopped the output.
struct Writer {
  std::FILE* out;
  int error;
  std::size_t used;
  char buffer[4096];
};

// A stream may take every byte and still have failed to pass them on (an
// unbuffered stream can report a failed write only in its error state), so
// a stream in the error state is a failed write too.
void flush(Writer& w) {
  if (w.used != 0 && w.error == 0) {
    errno = 0;
    if (std::fwrite(w.buffer, 1, w.used, w.out) != w.used || std::ferror(w.out))
      w.error = errno != 0 ? errno : EIO;
  }
  w.used = 0;
}

// len is at most one line, far below the buffer's size.
void put(Writer& w, const char* text, std::size_t len) {
  if (w.used + len > sizeof w.buffer) flush(w);
  std::memcpy(w.buffer + w.used, text, len);
  w.used += len;
}

void put(Writer& w, const char* text) { put(w, text, std::strlen(text)); }

void put_box(Writer& w, int n, double scale, bool power_of_4, const ToolProfile& profile) {
  static const char rule[] =
      "/* -------------------------------------------------------------------- */\n";
  char lines[512];
  const int len =
      std::snprintf(lines, sizeof lines,
                    "%s"
                    "/*  Automatically generated twiddle-factor array.                       */\n"
                    "/*      Number of points:    %-5d                                      */\n"
                    "/*      Scale factor:        %-20.9f                       */\n",
                    rule, n, scale);
  put(w, lines, static_cast<std::size_t>(len));

  // The routine line may hold a "%s" slot, filled with the power-of-4
  // suffix or with as many spaces, so the line keeps its width.
  const char* line = profile.header_routine_line;
  if (const char* slot = std::strstr(line, "%s")) {
    put(w, line, static_cast<std::size_t>(slot - line));
    put(w, power_of_4 ? profile.power_of_4_suffix : "         ");
    line = slot + 2;
  }
  put(w, line);
  put(w, "\n/*      Required alignment:  8 byte (double-word)                       */\n");
  put(w, rule);
}

}  // namespace

int emit_table(std::FILE* out, const void* entries, int count, int n, double scale, bool power_of_4,
               const ToolProfile& profile) {
  Writer w{out, 0, 0, {}};
  put_box(w, n, scale, power_of_4, profile);

  char line[64];
  const int len =
      std::snprintf(line, sizeof line, "#pragma DATA_ALIGN(w, 8);\nconst %s w[2 * %d] =\n{",
                    profile.element_type, count / 2);
  put(w, line, static_cast<std::size_t>(len));

  // Each entry is its separator, a sign column ('-' or a space), "0x" and
  // the magnitude in exactly hex_digits upper-case digits (the magnitude of
  // -32768 or -2147483648 still fits). A new line starts every
  // entries_per_line entries; the last entry has no comma after it.
  static const char hex[] = "0123456789ABCDEF";
  const bool wide = profile.hex_digits == 8;
  const auto* e16 = static_cast<const int16_t*>(entries);
  const auto* e32 = static_cast<const int32_t*>(entries);
  for (int i = 0; i < count; ++i) {
    char item[24];
    char* p = item;
    if (i == 0) {
      std::memcpy(p, "\n    ", 5);
      p += 5;
    } else if (i % profile.entries_per_line == 0) {
      std::memcpy(p, ",\n    ", 6);
      p += 6;
    } else {
      std::memcpy(p, ", ", 2);
      p += 2;
    }
    const int32_t v = wide ? e32[i] : e16[i];
    const uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    *p++ = v < 0 ? '-' : ' ';
    *p++ = '0';
    *p++ = 'x';
    for (int d = profile.hex_digits - 1; d >= 0; --d) *p++ = hex[(magnitude >> (4 * d)) & 0xF];
    put(w, item, static_cast<std::size_t>(p - item));
  }
  put(w, "\n};\n");

  flush(w);
  if (w.error == 0) {
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) w.error = errno != 0 ? errno : EIO;
  }
  return w.error;
}
