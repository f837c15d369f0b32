#include "engine/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/render.h"

namespace zirvanta {
namespace {

TEST(ViewValues, StepsAtStartUp) {
  EXPECT_EQ(GeneralViewStep(), 0.061728396f);
  EXPECT_EQ(DefaultPixelStep(), static_cast<float>(5.0L / 530.0L));
  FractalState state;
  ViewValues view;
  SetViewWidth(state, view, 2.5f);
  EXPECT_EQ(state.viewWidth, 2.5f);
  EXPECT_EQ(view.pixelStep, static_cast<float>(2.5L / 530.0L));
  EXPECT_EQ(view.defaultStep, DefaultPixelStep());
}

TEST(LiveMapping, StartUpViewCorners) {
  const float s = DefaultPixelStep();
  const PictureGeometry g = LiveGeometry(0.0f, 0.0f, s);
  EXPECT_EQ(g.width, 530);
  EXPECT_EQ(g.height, 409);
  EXPECT_FLOAT_EQ(g.x0, -2.5f);
  EXPECT_EQ(g.y0, static_cast<float>(204.0L * s));
  EXPECT_NEAR(g.y0, 1.9245, 1e-4);
  const std::vector<float> xs = ColumnCoordinates(g);
  const std::vector<float> ys = RowCoordinates(g);
  // The centre pixel (265, 204) shows (0, 0) up to the rounding of the accumulated sums.
  EXPECT_NEAR(xs[265], 0.0f, 1e-5);
  EXPECT_NEAR(ys[204], 0.0f, 1e-5);
  // Coordinates are single-precision sums, not x0 + i x step.
  float x = g.x0;
  for (int i = 0; i < 100; ++i) x = x + s;
  EXPECT_EQ(xs[100], x);
}

TEST(LiveMapping, MouseToPlane) {
  const float s = 0.01f;
  PlanePoint p = LiveMouseToPlane(265, 204, 0.25f, -0.5f, s);
  EXPECT_EQ(static_cast<float>(p.x), 0.25f);
  EXPECT_EQ(static_cast<float>(p.y), -0.5f);
  p = LiveMouseToPlane(0, 0, 0.25f, -0.5f, s);
  EXPECT_EQ(p.x, 0.25f - 265 * static_cast<long double>(s));
  EXPECT_EQ(p.y, -0.5f + 204 * static_cast<long double>(s));
}

TEST(GeneralMapping, FixedFrame) {
  const float g = GeneralViewStep();
  const PictureGeometry geometry = GeneralGeometry(g);
  EXPECT_EQ(geometry.width, 81);
  EXPECT_EQ(geometry.height, 65);
  EXPECT_NEAR(geometry.x0, -2.469, 1e-3);
  EXPECT_NEAR(geometry.y0, 1.975, 1e-3);
  const PlanePoint corner = GeneralMouseToPlane(0, 0, g);
  EXPECT_EQ(static_cast<float>(corner.x), -2.4691358f);
  EXPECT_EQ(static_cast<float>(corner.y), 1.9753087f);
  const PlanePoint centre = GeneralMouseToPlane(40, 32, g);
  EXPECT_EQ(centre.x, 0.0L);
  EXPECT_EQ(centre.y, 0.0L);
}

TEST(ScreenMapping, FullScreenRule) {
  const PictureGeometry g = ScreenGeometry(0.0f, 0.0f, 5.0f, 1024, 768);
  EXPECT_EQ(g.step, 5.0f / 1024);
  EXPECT_EQ(g.x0, -2.5f);
  EXPECT_EQ(g.y0, 1.875f);
  // Odd sizes halve toward zero: 145 x 105 has its centre on pixel (72, 52).
  const PictureGeometry preview = ScreenGeometry(1.0f, 2.0f, 1.45f, 145, 105);
  EXPECT_EQ(preview.step, static_cast<float>(1.45f / 145.0L));
  EXPECT_EQ(preview.x0, static_cast<float>(1.0f - 72 * static_cast<long double>(preview.step)));
  EXPECT_EQ(preview.y0, static_cast<float>(2.0f + 52 * static_cast<long double>(preview.step)));
}

TEST(Marker, DefaultViewFramesTheWholeGeneralView) {
  const MarkerState m = UpdateMarker(0.0f, 0.0f, DefaultPixelStep(), GeneralViewStep());
  EXPECT_EQ(m.mode, MarkerState::Mode::Rectangle);
  EXPECT_EQ(m.x1, 0);
  EXPECT_EQ(m.y1, 64);
  EXPECT_EQ(m.x2, 80);
  EXPECT_EQ(m.y2, 0);
  EXPECT_EQ(m.penWidth, 1);
  EXPECT_EQ(m.penColour, (Colour{255, 0, 0}));
}

TEST(Marker, ResetLiesOutsideThePicture) {
  const MarkerState m = ResetMarker();
  EXPECT_EQ(m.mode, MarkerState::Mode::Rectangle);
  EXPECT_EQ(m.x1, -1);
  EXPECT_EQ(m.y1, -1);
  EXPECT_EQ(m.x2, 82);
  EXPECT_EQ(m.y2, 66);
  EXPECT_EQ(m.penWidth, 1);
  EXPECT_EQ(m.penColour, (Colour{255, 0, 0}));
}

TEST(Marker, CrossFromStep00004Down) {
  const float g = GeneralViewStep();
  const float limit = 0.0004f;
  const MarkerState cross = UpdateMarker(0.0f, 0.0f, limit, g);
  EXPECT_EQ(cross.mode, MarkerState::Mode::Cross);
  EXPECT_EQ(cross.crossX, 40);
  EXPECT_EQ(cross.crossY, 32);
  EXPECT_EQ(cross.penWidth, 2);
  EXPECT_EQ(cross.penColour, (Colour{0, 255, 255}));
  const auto lines = cross.Lines();
  EXPECT_EQ(lines[0], (LineSegment{38, 30, 34, 26}));
  EXPECT_EQ(lines[1], (LineSegment{42, 30, 46, 26}));
  EXPECT_EQ(lines[2], (LineSegment{42, 34, 46, 38}));
  EXPECT_EQ(lines[3], (LineSegment{38, 34, 34, 38}));
  const MarkerState rect =
      UpdateMarker(0.0f, 0.0f, std::nextafter(limit, 1.0f), g);
  EXPECT_EQ(rect.mode, MarkerState::Mode::Rectangle);
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, 1e-9f, g).crossX, 40);
}

TEST(Marker, RectangleOutlineIsClosed) {
  MarkerState m;
  m.x1 = 3; m.y1 = 50; m.x2 = 70; m.y2 = 9;
  const auto lines = m.Lines();
  EXPECT_EQ(lines[0], (LineSegment{3, 50, 70, 50}));
  EXPECT_EQ(lines[1], (LineSegment{70, 50, 70, 9}));
  EXPECT_EQ(lines[2], (LineSegment{70, 9, 3, 9}));
  EXPECT_EQ(lines[3], (LineSegment{3, 9, 3, 50}));
}

TEST(Marker, FarAwayOrUndefinedCentresStayOffThePicture) {
  const float g = GeneralViewStep();
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float centre : {1e30f, -1e30f, inf, -inf, nan}) {
    for (float step : {DefaultPixelStep(), 1e-7f, 1e30f, inf, nan}) {
      const MarkerState m = UpdateMarker(centre, centre, step, g);
      for (const LineSegment& line : m.Lines()) {
        // Each stroke lies wholly beyond one edge of the 81 x 65 picture, or is the frame
        // of a rectangle that encloses it; none has a coordinate near the integer limits.
        for (int v : {line.x1, line.y1, line.x2, line.y2}) {
          EXPECT_LE(std::abs(v), (1 << 20) + 6);
        }
      }
    }
  }
  const MarkerState far = UpdateMarker(100.0f, 0.0f, 1e-5f, g);
  EXPECT_GT(far.crossX, 80);
}

}  // namespace
}  // namespace zirvanta
