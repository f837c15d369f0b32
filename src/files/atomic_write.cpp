#include "atomic_write.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>

namespace zirvanta {
namespace {

using Status = WriteResult::Status;

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
        written_ += static_cast<size_t>(written);
      }
    }
    return error_ == 0;
  }

  int error() const { return error_; }
  size_t written() const { return written_; }

 private:
  int fd_;
  int error_ = 0;
  size_t written_ = 0;
};

class BufferProducer final : public ChunkProducer {
 public:
  BufferProducer(const void* data, size_t size) : data_(data), size_(size) {}
  void Produce(ChunkSink& sink) override { sink.Write(data_, size_); }

 private:
  const void* data_;
  size_t size_;
};

// While it lives, a write into a pipe whose reader has gone fails with EPIPE on this thread
// instead of ending the process; a SIGPIPE that such a write raised is taken before it goes.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    pendingBefore_ = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    ::pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
  }
  ~SigpipeHeld() {
    sigset_t pending;
    sigemptyset(&pending);
    if (!pendingBefore_ && ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      const timespec now{};
      ::sigtimedwait(&pipe_, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_;
  sigset_t previous_;
  bool pendingBefore_ = false;
};

// Writes into an existing target without replacing it: a stream as it comes, a regular file
// from its start, cut to the new length, flushed and checked for that length.
WriteResult WriteStraight(const std::string& path, ChunkProducer& producer, bool regular) {
  const SigpipeHeld sigpipe;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return {Status::OpenFailed, Reason(errno)};
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || S_ISREG(opened.st_mode) != regular) {
    // It changed since it was examined: nothing is written rather than written the wrong way.
    ::close(fd);
    return {Status::OpenFailed, "The name changed what it stands for while it was written."};
  }
  FdSink sink(fd);
  producer.Produce(sink);
  int error = sink.error();
  if (regular && error == 0) {
    const off_t length = static_cast<off_t>(sink.written());
    struct stat written {};
    if (::ftruncate(fd, length) != 0 || ::fsync(fd) != 0 || ::fstat(fd, &written) != 0) {
      error = errno;
    } else if (written.st_size != length) {
      error = EIO;
    }
  }
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error == 0) return {};
  // Nothing earlier is kept: a stream has none, a file written in place has lost it.
  return {Status::WriteFailed, Reason(error), false};
}

// Errors of a folder that will not take a new file (or give up one) while a file in it may
// still be written.
bool FolderRefuses(int error) { return error == EACCES || error == EPERM || error == EROFS; }

}  // namespace

WriteTarget ExamineWriteTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0) return {WriteTargetKind::Absent, path, {}};
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) {
    const int error = errno;
    if (error == ENOENT) {
      return {WriteTargetKind::Refused, path,
              "The name is a symbolic link to a file that does not exist."};
    }
    return {WriteTargetKind::Refused, path, Reason(error)};
  }
  if (S_ISDIR(target.st_mode)) return {WriteTargetKind::Refused, path, Reason(EISDIR)};
  if (S_ISBLK(target.st_mode)) {
    return {WriteTargetKind::Refused, path, "The name is a block device; it is not written over."};
  }
  if (!S_ISREG(target.st_mode)) return {WriteTargetKind::Stream, path, {}};
  if (!S_ISLNK(link.st_mode)) return {WriteTargetKind::RegularFile, path, {}};
  // Replacing the link itself would cut it from its file: the file it leads to is written.
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) {
    return {WriteTargetKind::Refused, path, Reason(errno)};
  }
  return {WriteTargetKind::RegularFile, resolved, {}};
}

WriteResult WriteIntoStream(const std::string& path, ChunkProducer& producer) {
  return WriteStraight(path, producer, false);
}

WriteResult WriteFileAtomically(const std::string& requestedPath, ChunkProducer& producer) {
  const WriteTarget target = ExamineWriteTarget(requestedPath);
  switch (target.kind) {
    case WriteTargetKind::Refused:
      return {Status::OpenFailed, target.reason};
    case WriteTargetKind::Stream:
      return WriteIntoStream(target.path, producer);
    case WriteTargetKind::Absent:
    case WriteTargetKind::RegularFile:
      break;
  }
  const std::string& path = target.path;
  const bool exists = target.kind == WriteTargetKind::RegularFile;
  // A file the user may not write stays as it is, as it would with an in-place write.
  if (exists && ::access(path.c_str(), W_OK) != 0) return {Status::OpenFailed, Reason(errno)};

  std::string tempPath;
  int error = 0;
  const int fd = CreateTemporary(path, tempPath, error);
  if (fd < 0) {
    if (exists && FolderRefuses(error)) return WriteStraight(path, producer, true);
    return {Status::OpenFailed, Reason(error)};
  }

  // A replaced file keeps its permissions.
  struct stat existing {};
  if (exists && ::stat(path.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);

  FdSink sink(fd);
  producer.Produce(sink);
  error = sink.error();
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(tempPath.c_str());
    return {Status::WriteFailed, Reason(error)};
  }
  if (::rename(tempPath.c_str(), path.c_str()) != 0) {
    error = errno;
    ::unlink(tempPath.c_str());
    // A sticky folder lets only the owner replace a file that others may still write.
    if (exists && FolderRefuses(error)) return WriteStraight(path, producer, true);
    return {Status::OpenFailed, Reason(error)};
  }
  return {};
}

WriteResult WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  BufferProducer producer(data, size);
  return WriteFileAtomically(path, producer);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string WriteFailureDetail(const WriteResult& result) {
  std::string detail;
  if (result.status == Status::WriteFailed) {
    detail = result.previousKept ? kWriteIncompleteMessage : kWriteIncompleteInPlaceMessage;
  }
  if (!result.detail.empty()) detail += (detail.empty() ? "" : "\n") + result.detail;
  return detail;
}

std::string WriteFailureMessage(const WriteResult& result) {
  const std::string detail = WriteFailureDetail(result);
  return detail.empty() ? kWriteOpenFailedMessage : kWriteOpenFailedMessage + ("\n" + detail);
}

}  // namespace zirvanta
