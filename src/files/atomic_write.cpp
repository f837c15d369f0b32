#include "atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace zirvanta {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(int error) { return std::strerror(error); }

// Creates a new file with a fresh name in the target's folder.
int CreateTemporary(const std::string& path, std::string& tempPath, int& error) {
  const std::string folder = FolderOf(path);
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::random_device device;
  std::mt19937_64 generator(device());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%012llx",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    tempPath = folder + "/." + name + "." + suffix + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  error = errno;
  return -1;
}

class FdSink final : public ChunkSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}

  bool Write(const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    while (error_ == 0 && size > 0) {
      const ssize_t written = ::write(fd_, bytes, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        error_ = errno;
      } else if (written == 0) {
        error_ = EIO;
      } else {
        bytes += written;
        size -= static_cast<size_t>(written);
      }
    }
    return error_ == 0;
  }

  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

class BufferProducer final : public ChunkProducer {
 public:
  BufferProducer(const void* data, size_t size) : data_(data), size_(size) {}
  void Produce(ChunkSink& sink) override { sink.Write(data_, size_); }

 private:
  const void* data_;
  size_t size_;
};

// The file a write replaces: a symbolic link is written through to the file it names.
std::string ResolveTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

WriteResult WriteFileAtomically(const std::string& requestedPath, ChunkProducer& producer) {
  const std::string path = ResolveTarget(requestedPath);
  // A file the user may not write stays as it is, as it would with an in-place write.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
    return {WriteResult::Status::OpenFailed, Reason(errno)};
  }
  std::string tempPath;
  int error = 0;
  const int fd = CreateTemporary(path, tempPath, error);
  if (fd < 0) return {WriteResult::Status::OpenFailed, Reason(error)};

  // A replaced file keeps its permissions.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd, existing.st_mode & 07777);
  }

  FdSink sink(fd);
  producer.Produce(sink);
  error = sink.error();
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0) {
    error = errno;
    ::unlink(tempPath.c_str());
    // A target that cannot be replaced (a folder of that name, a read-only folder) was never
    // written: report it as a file that could not be created.
    return {WriteResult::Status::OpenFailed, Reason(error)};
  }
  if (error != 0) {
    ::unlink(tempPath.c_str());
    return {WriteResult::Status::WriteFailed, Reason(error)};
  }
  return {};
}

std::string WriteFailureMessage(const WriteResult& result) {
  std::string message = result.status == WriteResult::Status::WriteFailed
                            ? kWriteIncompleteMessage
                            : kWriteOpenFailedMessage;
  if (!result.detail.empty()) message += "\n" + result.detail;
  return message;
}

WriteResult WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  BufferProducer producer(data, size);
  return WriteFileAtomically(path, producer);
}

}  // namespace zirvanta
