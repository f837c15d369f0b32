#include "view_steering.h"

#include <cmath>
#include <limits>

#include "numeric.h"

namespace zirvanta {
namespace {

constexpr long double kLargestFloat = std::numeric_limits<float>::max();

// Narrows a finite extended value that fits single precision; anything else leaves `target`.
void StoreIfFinite(long double value, float& target) {
  if (std::isfinite(value) && std::fabs(value) <= kLargestFloat) target = static_cast<float>(value);
}

void StoreWidthIfUsable(long double width, FractalState& state, ViewValues& view) {
  if (!std::isfinite(width) || !(width > 0) || width > kLargestFloat) return;
  const auto narrowed = static_cast<float>(width);
  if (UsableViewWidth(narrowed)) SetViewWidth(state, view, narrowed);
}

long double ZoomedWidth(float width, ZoomStep step) {
  const long double w = width;
  switch (step) {
    case ZoomStep::In:
      return w - w * kZoomFraction;
    case ZoomStep::Out:
      return w + w * kZoomFraction;
    case ZoomStep::Keep:
      break;
  }
  return w;
}

}  // namespace

bool UsableViewWidth(float width) {
  return std::isfinite(width) && width > 0 && std::isnormal(PixelStepForWidth(width));
}

void CentreOnLivePixel(FractalState& state, const ViewValues& view, int x, int y) {
  const PlanePoint point = LiveMouseToPlane(x, y, state.centreX, state.centreY, view.pixelStep);
  StoreIfFinite(point.x, state.centreX);
  StoreIfFinite(point.y, state.centreY);
}

void ZoomOnLivePixel(FractalState& state, ViewValues& view, int x, int y, ZoomStep step) {
  CentreOnLivePixel(state, view, x, y);
  StoreWidthIfUsable(ZoomedWidth(state.viewWidth, step), state, view);
}

void ZoomAboutCentre(FractalState& state, ViewValues& view, ZoomStep step) {
  StoreWidthIfUsable(ZoomedWidth(state.viewWidth, step), state, view);
}

void PanLiveView(FractalState& state, const ViewValues& view, int lastX, int lastY, int x, int y) {
  const long double s = view.pixelStep;
  StoreIfFinite(state.centreX + (static_cast<long double>(lastX) - x) * s, state.centreX);
  StoreIfFinite(state.centreY + (static_cast<long double>(y) - lastY) * s, state.centreY);
}

void DragZoomLiveView(FractalState& state, ViewValues& view, int lastX, int lastY, int x, int y) {
  const long double w = state.viewWidth;
  const long double change = (static_cast<long double>(y) - lastY) * 0.3L / kLiveHeight -
                             (static_cast<long double>(x) - lastX) / kLiveWidth;
  StoreWidthIfUsable(w - w * change, state, view);
}

void CentreOnGeneralPixel(FractalState& state, const ViewValues& view, int x, int y) {
  const PlanePoint point = GeneralMouseToPlane(x, y, view.generalStep);
  StoreIfFinite(point.x, state.centreX);
  StoreIfFinite(point.y, state.centreY);
}

void SetDefaultView(FractalState& state, ViewValues& view) {
  state.viewWidth = 5.0f;
  view.pixelStep = view.defaultStep;
  state.centreX = 0.0f;
  state.centreY = 0.0f;
  view.marker = ResetMarker();
}

double FactorOfPosition(int32_t position) { return static_cast<double>(position * 0.001L); }

FactorDragRatios FactorDragRatiosFor(float pixelStep, float defaultStep, int32_t maximumX,
                                     int32_t maximumY) {
  const long double s = pixelStep;
  const long double s0 = defaultStep;
  auto ratio = [&](int32_t maximum, int pixels) {
    const long double value = 2.0L * maximum * s / (s0 * pixels);
    // A width near the largest float gives ratios beyond single precision; the slider is bounded
    // by then anyway.
    if (!std::isfinite(value) || std::fabs(value) > kLargestFloat) {
      return value < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
    }
    return static_cast<float>(value);
  };
  return {ratio(maximumX, kLiveWidth), ratio(maximumY, kLiveHeight)};
}

int32_t FactorDragPosition(int32_t pressPosition, int pixels, float ratio, int32_t minimum,
                           int32_t maximum) {
  const long double position = pressPosition + static_cast<long double>(pixels) * ratio;
  return TruncClamp<int32_t>(position, minimum, maximum, pressPosition);
}

}  // namespace zirvanta
