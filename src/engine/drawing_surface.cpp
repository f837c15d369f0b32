#include "drawing_surface.h"

#include <algorithm>

namespace zirvanta {

DrawingSurface::DrawingSurface(int width, int height, Colour background)
    : width_(width), height_(height), pixels_(width, height, PixelFormat::Bgrx32) {
  for (int j = 0; j < height; ++j) {
    uint8_t* pixel = pixels_.Row(j);
    for (int i = 0; i < width; ++i, pixel += 4) {
      pixel[0] = background.blue;
      pixel[1] = background.green;
      pixel[2] = background.red;
      pixel[3] = 0xFF;
    }
  }
}

Bitmap DrawingSurface::Snapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return pixels_;
}

void CopyColours(const Bitmap& source, Bitmap& target) {
  const int64_t width = std::min(source.Width(), target.Width());
  const int64_t height = std::min(source.Height(), target.Height());
  for (int64_t j = 0; j < height; ++j) {
    const uint8_t* from = source.Row(j);
    uint8_t* to = target.Row(j);
    for (int64_t i = 0; i < width; ++i, from += 4, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
}

}  // namespace zirvanta
