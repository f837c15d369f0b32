#include "bmp_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#include "export/bmp.h"
#include "files/atomic_write.h"

namespace zirvanta {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// The file a write replaces: a symbolic link is written through to the file it names.
std::string ResolveTarget(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

uint64_t FileSizeOf(int64_t width, int64_t height) {
  return kBmpHeaderSize +
         Bitmap::StrideFor(width, PixelFormat::Bgr24) * static_cast<uint64_t>(height);
}

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

bool WriteAll(int fd, const char* bytes, size_t size, uint64_t offset, int& error) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (written == 0) {
      error = EIO;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

}  // namespace

bool CanStreamTo(const std::string& path) {
  if (path.empty() || path == "-") return false;
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return errno == ENOENT;
  return S_ISREG(target.st_mode);
}

std::optional<std::string> ExportSpaceProblem(const std::string& path, int64_t width,
                                              int64_t height) {
  if (!CanStreamTo(path)) return std::nullopt;
  struct statvfs disk {};
  if (::statvfs(FolderOf(ResolveTarget(path)).c_str(), &disk) != 0) return std::nullopt;
  const uint64_t needed = FileSizeOf(width, height);
  // The old file stays until the new one is whole, so the new one needs all of its own room.
  const uint64_t blockSize = disk.f_frsize != 0 ? disk.f_frsize : disk.f_bsize;
  const uint64_t available = static_cast<uint64_t>(disk.f_bavail);
  if (blockSize == 0 || available >= needed / blockSize + 1) return std::nullopt;
  return "There is not enough free space on the disk for the image: its file needs " +
         Megabytes(needed) + ", and " + Megabytes(available * blockSize) + " are free.";
}

BmpBandFile::BmpBandFile(std::string path, int64_t width, int64_t height)
    : path_(std::move(path)),
      width_(width),
      height_(height),
      stride_(Bitmap::StrideFor(width, PixelFormat::Bgr24)) {}

BmpBandFile::~BmpBandFile() { Abandon(); }

WriteResult BmpBandFile::Open() {
  const std::string target = ResolveTarget(path_);
  // A file the user may not write stays as it is.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    return {WriteResult::Status::OpenFailed, Reason(errno)};
  }
  const size_t slash = target.find_last_of('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::random_device device;
  std::mt19937_64 generator(device());
  int error = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%012llx",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    tempPath_ = FolderOf(target) + "/." + name + "." + suffix + ".tmp";
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    error = errno;
    if (fd_ < 0 && error != EEXIST) break;
  }
  if (fd_ < 0) {
    tempPath_.clear();
    return {WriteResult::Status::OpenFailed, Reason(error)};
  }
  path_ = target;

  // A replaced file keeps its permissions.
  struct stat existing {};
  if (::stat(path_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd_, existing.st_mode & 07777);
  }
  // Room for the whole file now, so a full disk shows before the computing, not after it.
  const uint64_t size = FileSizeOf(width_, height_);
  if (::fallocate(fd_, 0, 0, static_cast<off_t>(size)) != 0) {
    error = errno;
    if (error == ENOSPC || error == EFBIG || error == EDQUOT) {
      Abandon();
      return {WriteResult::Status::WriteFailed, Reason(error)};
    }
  }
  const std::string header = BmpHeader(width_, height_);
  if (!WriteAll(fd_, header.data(), header.size(), 0, error)) {
    Abandon();
    return {WriteResult::Status::WriteFailed, Reason(error)};
  }
  return {};
}

WriteResult BmpBandFile::WriteRows(int64_t firstRow, const Bitmap& band, int64_t rowCount) {
  if (fd_ < 0) return {WriteResult::Status::WriteFailed, Reason(EBADF)};
  if (rowCount <= 0) return {};
  // Rows firstRow + rowCount - 1 down to firstRow follow each other in the file.
  const size_t pixelBytes = static_cast<size_t>(width_) * 3;
  const size_t bytes = static_cast<size_t>(stride_) * static_cast<size_t>(rowCount);
  if (buffer_.size() < bytes) buffer_.resize(bytes);
  char* out = buffer_.data();
  for (int64_t row = rowCount - 1; row >= 0; --row) {
    std::memcpy(out, band.Row(row), pixelBytes);
    std::memset(out + pixelBytes, 0, stride_ - pixelBytes);
    out += stride_;
  }
  const uint64_t offset =
      kBmpHeaderSize + stride_ * static_cast<uint64_t>(height_ - firstRow - rowCount);
  int error = 0;
  if (!WriteAll(fd_, buffer_.data(), bytes, offset, error)) {
    return {WriteResult::Status::WriteFailed, Reason(error)};
  }
  // The disk starts on the band now, so the flush at the end has little left to wait for.
  ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(bytes),
                    SYNC_FILE_RANGE_WRITE);
  return {};
}

WriteResult BmpBandFile::Commit() {
  if (fd_ < 0) return {WriteResult::Status::WriteFailed, Reason(EBADF)};
  int error = 0;
  if (::fsync(fd_) != 0) error = errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error != 0) {
    Abandon();
    return {WriteResult::Status::WriteFailed, Reason(error)};
  }
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    error = errno;
    Abandon();
    // A target that cannot be replaced (a folder of that name) was never written.
    return {WriteResult::Status::OpenFailed, Reason(error)};
  }
  tempPath_.clear();
  return {};
}

void BmpBandFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

}  // namespace zirvanta
