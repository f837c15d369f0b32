#include "rtf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zirvanta {
namespace {

class FileHandle {
 public:
  explicit FileHandle(int descriptor) : descriptor_(descriptor) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

DocumentFileRead ReadDocumentFile(const std::string& path, std::size_t maxBytes) {
  using Status = DocumentFileRead::Status;
  DocumentFileRead result;
  // O_NONBLOCK: opening a pipe with no writer would otherwise wait for one.
  const FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    result.status = errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Failed;
    return result;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    result.status = Status::Failed;
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.status = Status::NotRegular;
    return result;
  }
  if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes) {
    result.status = Status::TooLarge;
    return result;
  }
  // The file may grow while it is read: one byte more than allowed tells so.
  std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > maxBytes) {
        result.status = Status::TooLarge;
        return result;
      }
      bytes.resize(std::min(maxBytes + 1, bytes.size() * 2));
    }
    const ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      result.status = Status::Failed;
      return result;
    }
    if (count == 0) break;
    filled += static_cast<std::size_t>(count);
  }
  bytes.resize(filled);
  result.status = Status::Ok;
  result.bytes = std::move(bytes);
  return result;
}

}  // namespace zirvanta
