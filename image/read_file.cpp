#include "image/read_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define wfac_open _open
#define wfac_read _read
#define wfac_close _close
#define wfac_fstat _fstat64
typedef struct _stat64 wfac_stat_t;
#else
#include <unistd.h>
#define wfac_open open
#define wfac_read read
#define wfac_close close
#define wfac_fstat fstat
typedef struct stat wfac_stat_t;
#endif

#ifndef O_BINARY
#define O_BINARY 0
#endif
// Opening a FIFO for reading waits for a writer unless it is non-blocking;
// a regular file reads the same either way.
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif

namespace {

// What the file is, when it is not a regular file.
const char* not_a_file(const wfac_stat_t& st) {
  if ((st.st_mode & S_IFMT) == S_IFDIR) return "a folder";
#ifdef S_IFIFO
  if ((st.st_mode & S_IFMT) == S_IFIFO) return "a FIFO";
#endif
#ifdef S_IFSOCK
  if ((st.st_mode & S_IFMT) == S_IFSOCK) return "a socket";
#endif
  if ((st.st_mode & S_IFMT) == S_IFCHR) return "a device";
#ifdef S_IFBLK
  if ((st.st_mode & S_IFMT) == S_IFBLK) return "a device";
#endif
  if ((st.st_mode & S_IFMT) != S_IFREG) return "not a regular file";
  return nullptr;
}

}  // namespace

bool read_regular_file(const std::string& path, std::string* contents, std::string* error) {
  const int fd = wfac_open(path.c_str(), O_RDONLY | O_BINARY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  wfac_stat_t st;
  if (wfac_fstat(fd, &st) != 0) {
    *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    wfac_close(fd);
    return false;
  }
  if (const char* what = not_a_file(st)) {
    *error = path + ": is " + what + ", not a file";
    wfac_close(fd);
    return false;
  }
  const unsigned long long size = static_cast<unsigned long long>(st.st_size);
  if (size > contents->max_size()) {
    *error = path + ": cannot be read (" + std::to_string(size) + " bytes, too large to hold)";
    wfac_close(fd);
    return false;
  }
  contents->assign(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  while (got < contents->size()) {
    const std::size_t want = contents->size() - got;
    const auto n = wfac_read(fd, &(*contents)[got], static_cast<unsigned>(want < (1u << 30) ? want : (1u << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = path + ": cannot be read (" + std::strerror(errno) + ")";
      wfac_close(fd);
      return false;
    }
    if (n == 0) break;  // cut short while it was read: take what is there
    got += static_cast<std::size_t>(n);
  }
  contents->resize(got);
  wfac_close(fd);
  return true;
}
