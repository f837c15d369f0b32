#pragma once

#include <string>

#include "engine/bitmap.h"
#include "files/atomic_write.h"

namespace zirvanta {

inline constexpr size_t kBmpHeaderSize = 54;

// The 54-byte header of an uncompressed 24-bit bottom-up BMP of the bitmap's size.
std::string BmpHeader(int64_t width, int64_t height);

// Writes a Bgr24 bitmap as a BMP file, bottom row first, rows padded with zero bytes to a
// multiple of 4; replaces the file at the path only when the whole file was written.
WriteResult WriteBmp(const std::string& path, const Bitmap& bitmap);

}  // namespace zirvanta
