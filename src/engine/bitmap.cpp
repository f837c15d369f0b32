#include "bitmap.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace zirvanta {

size_t Bitmap::StrideFor(int64_t width, PixelFormat format) {
  const size_t bytes = static_cast<size_t>(width) * (format == PixelFormat::Bgrx32 ? 4u : 3u);
  return (bytes + 3u) & ~size_t{3};
}

Bitmap::Bitmap(int64_t width, int64_t height, PixelFormat format) : format_(format) {
  constexpr int64_t kMaxSide = int64_t{1} << 31;
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) {
    throw std::length_error("bitmap size out of range");
  }
  const size_t stride = StrideFor(width, format);
  if (height != 0 && stride > std::numeric_limits<size_t>::max() / static_cast<size_t>(height)) {
    throw std::length_error("bitmap size out of range");
  }
  // Zero-filled: the padding of 24-bit rows must be zero bytes in the written file.
  data_.reset(new uint8_t[stride * static_cast<size_t>(height)]());
  width_ = width;
  height_ = height;
  stride_ = stride;
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_), height_(other.height_), format_(other.format_), stride_(other.stride_) {
  const size_t size = other.SizeInBytes();
  data_.reset(new uint8_t[size]);
  if (size != 0) std::memcpy(data_.get(), other.data_.get(), size);
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) *this = Bitmap(other);
  return *this;
}

bool operator==(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format()) return false;
  const size_t size = a.SizeInBytes();
  return size == 0 || std::memcmp(a.Data(), b.Data(), size) == 0;
}

}  // namespace zirvanta
