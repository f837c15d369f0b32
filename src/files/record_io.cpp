#include "record_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zirvanta {

bool ReadFileStart(const std::string& path, size_t limit, std::string& bytes) {
  // O_NONBLOCK: a named pipe under a file's name must not hang the caller in open().
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string read(limit, '\0');
  size_t count = 0;
  while (count < limit) {
    const ssize_t got = ::read(fd, read.data() + count, limit - count);
    if (got < 0) {
      if (errno == EINTR) continue;
      // Half a record from a failing disk is not taken as a short file.
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    count += static_cast<size_t>(got);
  }
  ::close(fd);
  read.resize(count);
  bytes = std::move(read);
  return true;
}

}  // namespace zirvanta
