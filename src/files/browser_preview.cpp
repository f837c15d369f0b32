#include "browser_preview.h"

#include <exception>

#include "engine/fast/fast_renderer.h"

namespace zirvanta {
namespace {

std::unique_ptr<Renderer> OwnRenderer() {
  try {
    // One thread: the preview is small, and the caller's is the only one it needs.
    return std::make_unique<FastRenderer>(1);
  } catch (const std::exception&) {
    return std::make_unique<PlainRenderer>();
  }
}

}  // namespace

BrowserPreview::BrowserPreview() : BrowserPreview(OwnRenderer()) {}

BrowserPreview::BrowserPreview(std::unique_ptr<Renderer> renderer)
    : renderer_(renderer ? std::move(renderer) : std::make_unique<PlainRenderer>()) {}

PictureGeometry BrowserPreview::Geometry(const FractalState& state) {
  return ScreenGeometry(state.centreX, state.centreY, state.viewWidth, kWidth, kHeight);
}

const Bitmap& BrowserPreview::Render(const FractalState& state, const Palette& palette) {
  renderer_->RenderPicture(Geometry(state), state, palette, picture_);
  return picture_;
}

}  // namespace zirvanta
