#include "view.h"

#include "numeric.h"

namespace zirvanta {
namespace {

constexpr long double kReciprocalOfLiveWidth = 1.0L / kLiveWidth;

// Marker coordinates far beyond the 81 x 65 picture all look the same (nothing is seen); bounding
// them keeps the conversion defined and leaves room for the stroke offsets of the cross.
constexpr int32_t kMarkerLimit = 1 << 20;

int32_t MarkerCoordinate(double value) {
  return TruncClamp<int32_t>(value, -kMarkerLimit, kMarkerLimit, -kMarkerLimit);
}

}  // namespace

float PixelStepForWidth(float viewWidth) {
  return static_cast<float>(static_cast<long double>(viewWidth) * kReciprocalOfLiveWidth);
}

float DefaultPixelStep() { return PixelStepForWidth(5.0f); }

float GeneralViewStep() { return static_cast<float>(5.0L / kGeneralWidth); }

void SetViewWidth(FractalState& state, ViewValues& view, float viewWidth) {
  state.viewWidth = viewWidth;
  view.pixelStep = PixelStepForWidth(viewWidth);
}

std::array<LineSegment, 4> MarkerState::Lines() const {
  if (mode == Mode::Rectangle) {
    return {{{x1, y1, x2, y1}, {x2, y1, x2, y2}, {x2, y2, x1, y2}, {x1, y2, x1, y1}}};
  }
  const int x = crossX;
  const int y = crossY;
  return {{{x - 2, y - 2, x - 6, y - 6},
           {x + 2, y - 2, x + 6, y - 6},
           {x + 2, y + 2, x + 6, y + 6},
           {x - 2, y + 2, x - 6, y + 6}}};
}

MarkerState UpdateMarker(float centreX, float centreY, float pixelStep, float generalStep) {
  static constexpr float kCrossBelowStep = 0.0004f;
  const double halfWidth = kLiveCentreColumn * static_cast<double>(pixelStep);
  const double halfHeight = kLiveCentreRow * static_cast<double>(pixelStep);
  const double g = generalStep;
  MarkerState marker;
  if (static_cast<long double>(pixelStep) - static_cast<long double>(kCrossBelowStep) > 0) {
    marker.mode = MarkerState::Mode::Rectangle;
    marker.penWidth = 1;
    marker.penColour = Colour{255, 0, 0};
    const double left = centreX - halfWidth;
    const double right = centreX + halfWidth;
    const double bottom = centreY - halfHeight;
    const double top = centreY + halfHeight;
    // The left and lower edges move one pixel inward; the right and upper edges do not.
    marker.x1 = MarkerCoordinate(left / g + kGeneralCentreColumn + 1);
    marker.y1 = MarkerCoordinate(kGeneralCentreRow - bottom / g + 1);
    marker.x2 = MarkerCoordinate(right / g + kGeneralCentreColumn);
    marker.y2 = MarkerCoordinate(kGeneralCentreRow - top / g);
  } else {
    marker.mode = MarkerState::Mode::Cross;
    marker.penWidth = 2;
    marker.penColour = Colour{0, 255, 255};
    marker.crossX = MarkerCoordinate(centreX / g + kGeneralCentreColumn);
    marker.crossY = MarkerCoordinate(kGeneralCentreRow - centreY / g);
  }
  return marker;
}

MarkerState ResetMarker() { return MarkerState{}; }

PlanePoint LiveMouseToPlane(int mouseX, int mouseY, float centreX, float centreY,
                            float pixelStep) {
  const long double s = pixelStep;
  return {centreX + (mouseX - kLiveCentreColumn) * s, centreY + (kLiveCentreRow - mouseY) * s};
}

PlanePoint GeneralMouseToPlane(int mouseX, int mouseY, float generalStep) {
  const long double g = generalStep;
  return {(mouseX - kGeneralCentreColumn) * g, (kGeneralCentreRow - mouseY) * g};
}

PictureGeometry LiveGeometry(float centreX, float centreY, float pixelStep) {
  const long double s = pixelStep;
  return {kLiveWidth, kLiveHeight, static_cast<float>(centreX - kLiveCentreColumn * s),
          static_cast<float>(centreY + kLiveCentreRow * s), pixelStep};
}

PictureGeometry GeneralGeometry(float generalStep) {
  const long double g = generalStep;
  return {kGeneralWidth, kGeneralHeight, static_cast<float>(-kGeneralCentreColumn * g),
          static_cast<float>(kGeneralCentreRow * g), generalStep};
}

PictureGeometry ScreenGeometry(float centreX, float centreY, float viewWidth, int width,
                               int height) {
  const float step = static_cast<float>(static_cast<long double>(viewWidth) / width);
  const long double s = step;
  return {width, height, static_cast<float>(centreX - (width / 2) * s),
          static_cast<float>(centreY + (height / 2) * s), step};
}

}  // namespace zirvanta
