#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>

#include "export/bmp.h"

namespace zirvanta::testing {

// Width, height and the top-down rows of blue, green, red bytes, unpadded.
struct Pixels {
  int64_t width = 0, height = 0;
  std::string bgr;
  bool operator==(const Pixels&) const = default;
};

inline Pixels DecodePng(const std::string& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  EXPECT_EQ(image.format, PNG_FORMAT_RGB) << "an 8-bit RGB file without alpha";
  image.format = PNG_FORMAT_BGR;
  Pixels pixels{image.width, image.height, std::string(PNG_IMAGE_SIZE(image), '\0')};
  if (!png_image_finish_read(&image, nullptr, pixels.bgr.data(), 0, nullptr)) return {};
  return pixels;
}

inline Pixels DecodeBmp(const std::string& file) {
  auto le32 = [&](size_t at) {
    return static_cast<int32_t>(static_cast<uint8_t>(file[at]) |
                                static_cast<uint8_t>(file[at + 1]) << 8 |
                                static_cast<uint8_t>(file[at + 2]) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(file[at + 3])) << 24);
  };
  Pixels pixels{le32(18), le32(22), {}};
  const size_t row = static_cast<size_t>(pixels.width) * 3, stride = (row + 3) / 4 * 4;
  for (int64_t y = pixels.height - 1; y >= 0; --y) {
    pixels.bgr += file.substr(kBmpHeaderSize + static_cast<size_t>(y) * stride, row);
  }
  return pixels;
}

}  // namespace zirvanta::testing
