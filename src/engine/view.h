#pragma once

#include <array>
#include <cstdint>

#include "fractal_state.h"

namespace zirvanta {

inline constexpr int kLiveWidth = 530;
inline constexpr int kLiveHeight = 409;
inline constexpr int kLiveCentreColumn = 265;  // pixel (265, 204) shows the view centre
inline constexpr int kLiveCentreRow = 204;
inline constexpr int kGeneralWidth = 81;
inline constexpr int kGeneralHeight = 65;
inline constexpr int kGeneralCentreColumn = 40;  // pixel (40, 32) shows the plane's origin
inline constexpr int kGeneralCentreRow = 32;

// width x 1/530, the reciprocal held in extended precision and the product rounded to single.
float PixelStepForWidth(float viewWidth);
float DefaultPixelStep();  // the pixel step at width 5
float GeneralViewStep();   // 5/81 in single precision

struct Colour {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

struct LineSegment {
  int x1, y1, x2, y2;  // drawn from (x1, y1) towards (x2, y2), the end point excluded
  friend bool operator==(const LineSegment&, const LineSegment&) = default;
};

// What the general view shows of the live view's area: a red rectangle while the live view is
// wider than about 0.212 units, a cyan diagonal cross with an open centre when it is narrower.
struct MarkerState {
  enum class Mode { Rectangle, Cross };
  Mode mode = Mode::Rectangle;
  int32_t x1 = -1, y1 = -1, x2 = 82, y2 = 66;  // rectangle corners
  int32_t crossX = 0, crossY = 0;              // cross centre
  int penWidth = 1;
  Colour penColour{255, 0, 0};

  // The lines to draw: the closed outline of the rectangle, or the four strokes of the cross.
  std::array<LineSegment, 4> Lines() const;
  friend bool operator==(const MarkerState&, const MarkerState&) = default;
};

// The program-wide values beside the fractal state.
struct ViewValues {
  float pixelStep = DefaultPixelStep();
  float defaultStep = DefaultPixelStep();
  float generalStep = GeneralViewStep();
  MarkerState marker;
};

// Stores the width and sets the pixel step from it, as one step.
void SetViewWidth(FractalState& state, ViewValues& view, float viewWidth);

MarkerState UpdateMarker(float centreX, float centreY, float pixelStep, float generalStep);
MarkerState ResetMarker();

// The point of the plane a mouse position stands for, worked out in extended precision; a caller
// that stores it as a centre rounds it to single precision once.
struct PlanePoint {
  long double x, y;
};
PlanePoint LiveMouseToPlane(int mouseX, int mouseY, float centreX, float centreY, float pixelStep);
PlanePoint GeneralMouseToPlane(int mouseX, int mouseY, float generalStep);

// A W x H picture whose plane coordinates are single-precision sums: every row starts at x0,
// x grows by step after each pixel, y falls by step after each row.
struct PictureGeometry {
  int width = 0;
  int height = 0;
  float x0 = 0.0f;
  float y0 = 0.0f;
  float step = 0.0f;
};

PictureGeometry LiveGeometry(float centreX, float centreY, float pixelStep);
PictureGeometry GeneralGeometry(float generalStep);
// Full screen, previews and slides: step = width / W, the centre on pixel (W div 2, H div 2).
PictureGeometry ScreenGeometry(float centreX, float centreY, float viewWidth, int width,
                               int height);

}  // namespace zirvanta
