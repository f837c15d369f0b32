#pragma once

#include <memory>

#include "engine/bitmap.h"
#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "engine/renderer.h"
#include "engine/view.h"

namespace zirvanta {

// The small picture of the fractal and palette browsers: the view of a fractal state at
// 145 x 105 pixels, step = view width / 145, the centre on pixel (72, 52), coordinates summed
// step by step in single precision as for the live view.
//
// It renders on the calling thread with a renderer of its own (never the live render thread's),
// so the browsers may draw a preview while a live pass reads the same state.
class BrowserPreview {
 public:
  static constexpr int kWidth = 145;
  static constexpr int kHeight = 105;

  // The fast renderer on the calling thread alone, or the plain one where it cannot be made.
  BrowserPreview();
  explicit BrowserPreview(std::unique_ptr<Renderer> renderer);

  static PictureGeometry Geometry(const FractalState& state);

  // Renders the state's view in the palette; the picture stays until the next call.
  const Bitmap& Render(const FractalState& state, const Palette& palette);
  const Bitmap& Picture() const { return picture_; }

 private:
  std::unique_ptr<Renderer> renderer_;
  Bitmap picture_{kWidth, kHeight, PixelFormat::Bgrx32};
};

}  // namespace zirvanta
