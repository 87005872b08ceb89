#include "image/format.hpp"

#include <cstdarg>
#include <cstdio>

std::string format(const char* pattern, ...) {
  char text[1024];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}
