#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zirvanta {

// Bgrx32: blue, green, red and a fourth byte the renderers never write (the live views).
// Bgr24: blue, green, red, rows padded with zero bytes to a multiple of 4 (the export's layout).
enum class PixelFormat { Bgrx32, Bgr24 };

// An off-screen picture with direct access to each row. Rows run from the top down.
class Bitmap {
 public:
  Bitmap() = default;
  // Throws std::bad_alloc when the pixels cannot be allocated, std::length_error when the size
  // cannot be addressed.
  Bitmap(int64_t width, int64_t height, PixelFormat format);

  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;
  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);

  int64_t Width() const { return width_; }
  int64_t Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  int BytesPerPixel() const { return format_ == PixelFormat::Bgrx32 ? 4 : 3; }
  size_t Stride() const { return stride_; }
  size_t SizeInBytes() const { return stride_ * static_cast<size_t>(height_); }

  uint8_t* Row(int64_t row) { return data_.get() + stride_ * static_cast<size_t>(row); }
  const uint8_t* Row(int64_t row) const {
    return data_.get() + stride_ * static_cast<size_t>(row);
  }
  uint8_t* Data() { return data_.get(); }
  const uint8_t* Data() const { return data_.get(); }

  static size_t StrideFor(int64_t width, PixelFormat format);

 private:
  int64_t width_ = 0;
  int64_t height_ = 0;
  PixelFormat format_ = PixelFormat::Bgrx32;
  size_t stride_ = 0;
  std::unique_ptr<uint8_t[]> data_;
};

bool operator==(const Bitmap& a, const Bitmap& b);

}  // namespace zirvanta
