#pragma once

#include <string>

#include "engine/bitmap.h"
#include "files/atomic_write.h"

namespace zirvanta {

// True when the file name ends in ".png", in any mix of cases.
bool IsPngName(const std::string& path);

// Writes a Bgr24 bitmap as an 8-bit RGB PNG file (no alpha, not interlaced): the same pixels as
// the BMP of the bitmap. The whole file is compressed in memory before anything is written, so
// an encoder failure leaves the target as it was; it replaces the file at the path only when the
// whole file was written.
WriteResult WritePng(const std::string& path, const Bitmap& bitmap);

}  // namespace zirvanta
