#pragma once

#include <mutex>
#include <utility>

#include "bitmap.h"
#include "view.h"

namespace zirvanta {

// A picture that one thread draws onto and another shows. Every access goes through Draw or
// Read, which hold the picture's drawing lock for the time of the call.
class DrawingSurface {
 public:
  // A Bgrx32 picture filled with the background colour; the fourth byte of every pixel is 0xFF
  // and stays so, so the pixels can be shown as opaque 0xffRRGGBB words.
  DrawingSurface(int width, int height, Colour background);

  DrawingSurface(const DrawingSurface&) = delete;
  DrawingSurface& operator=(const DrawingSurface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }

  template <typename Fn>
  void Draw(Fn&& fn) {
    std::lock_guard<std::mutex> guard(lock_);
    std::forward<Fn>(fn)(pixels_);
  }

  template <typename Fn>
  void Read(Fn&& fn) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::forward<Fn>(fn)(static_cast<const Bitmap&>(pixels_));
  }

  Bitmap Snapshot() const;

 private:
  const int width_;
  const int height_;
  mutable std::mutex lock_;
  Bitmap pixels_;
};

// Copies the blue, green and red bytes of every pixel of a Bgrx32 bitmap onto a Bgrx32 picture
// at (0, 0); the picture's fourth bytes stay as they are. Only the common area is copied.
void CopyColours(const Bitmap& source, Bitmap& target);

}  // namespace zirvanta
