// printf-style text for the messages of the image readers and checks.
#pragma once

#include <cstdint>
#include <string>

// mingw-w64's C++ runtime formats as C99 does (%zu, %llu), not as msvcrt.
#if defined(__MINGW32__) && !defined(__clang__)
#define WFAC_PRINTF_LIKE __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__) || defined(__clang__)
#define WFAC_PRINTF_LIKE __attribute__((format(printf, 1, 2)))
#else
#define WFAC_PRINTF_LIKE
#endif

// The text that pattern and the arguments give, as snprintf writes it (at
// most 1023 characters).
std::string format(const char* pattern, ...) WFAC_PRINTF_LIKE;

// A 64-bit value as printf's %llu and %llx take it.
inline unsigned long long ull(std::uint64_t value) { return static_cast<unsigned long long>(value); }
