#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/bitmap.h"
#include "files/atomic_write.h"

namespace zirvanta {

// Whether an export to the path can be written band by band into a temporary file beside it: a
// regular file or a new name. Anything else (a device, a pipe, "-" for standard output) takes its
// bytes in order, from a picture held whole.
bool CanStreamTo(const std::string& path);

// Why the file of a width x height export cannot fit on the disk that holds the path's folder,
// or nothing when it fits or the free space cannot be known.
std::optional<std::string> ExportSpaceProblem(const std::string& path, int64_t width,
                                              int64_t height);

// A BMP file written in bands of rows in any order: the rows go straight to their places in a
// temporary file beside the target (bottom row first, as BMP stores them), and Commit() flushes
// it and renames it over the target, so the target is the old file or the whole new one. Until
// Commit() succeeds nothing at the target changes; the destructor removes an uncommitted file.
// Used by one thread at a time.
class BmpBandFile {
 public:
  BmpBandFile(std::string path, int64_t width, int64_t height);
  ~BmpBandFile();

  BmpBandFile(const BmpBandFile&) = delete;
  BmpBandFile& operator=(const BmpBandFile&) = delete;

  // Creates the temporary file, reserves the whole size on the disk and writes the header.
  WriteResult Open();
  // Image rows firstRow .. firstRow + rowCount - 1 (row 0 is the top), taken from rows 0 ..
  // rowCount - 1 of a Bgr24 bitmap of the image's width; the padding is written as zeros.
  WriteResult WriteRows(int64_t firstRow, const Bitmap& band, int64_t rowCount);
  WriteResult Commit();
  void Abandon();

 private:
  std::string path_;
  std::string tempPath_;
  int64_t width_;
  int64_t height_;
  uint64_t stride_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace zirvanta
