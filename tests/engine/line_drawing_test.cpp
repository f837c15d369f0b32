#include "engine/line_drawing.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

namespace zirvanta {
namespace {

constexpr Colour kRed{255, 0, 0};

using Pixels = std::set<std::pair<int, int>>;

// The pixels whose colour is no longer the black the picture started with.
Pixels Painted(const Bitmap& picture) {
  Pixels painted;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const uint8_t* p = picture.Row(y) + 4 * x;
      if (p[0] || p[1] || p[2]) painted.insert({x, y});
    }
  }
  return painted;
}

Bitmap Blank() { return Bitmap(kGeneralWidth, kGeneralHeight, PixelFormat::Bgrx32); }

TEST(DrawLine, EndPointIsExcludedInEveryDirection) {
  Bitmap picture = Blank();
  DrawLine(picture, {2, 3, 6, 3}, 1, kRed);
  EXPECT_EQ(Painted(picture), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));

  picture = Blank();
  DrawLine(picture, {6, 3, 2, 3}, 1, kRed);
  EXPECT_EQ(Painted(picture), (Pixels{{6, 3}, {5, 3}, {4, 3}, {3, 3}}));

  picture = Blank();
  DrawLine(picture, {10, 10, 6, 6}, 1, kRed);
  EXPECT_EQ(Painted(picture), (Pixels{{10, 10}, {9, 9}, {8, 8}, {7, 7}}));

  picture = Blank();
  DrawLine(picture, {5, 5, 5, 5}, 1, kRed);
  EXPECT_TRUE(Painted(picture).empty()) << "a line of length zero draws nothing";
}

TEST(DrawLine, ShallowLineSteps) {
  Bitmap picture = Blank();
  DrawLine(picture, {0, 0, 4, 2}, 1, kRed);
  EXPECT_EQ(Painted(picture), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
}

TEST(DrawLine, ColourAndFourthByte) {
  Bitmap picture = Blank();
  picture.Row(1)[4 * 1 + 3] = 0x5A;
  DrawLine(picture, {1, 1, 2, 1}, 1, Colour{0, 255, 255});
  const uint8_t* p = picture.Row(1) + 4;
  EXPECT_EQ(p[0], 255);  // blue
  EXPECT_EQ(p[1], 255);  // green
  EXPECT_EQ(p[2], 0);    // red
  EXPECT_EQ(p[3], 0x5A);
}

TEST(DrawLine, ClipsAnyCoordinatesQuickly) {
  Bitmap picture = Blank();
  DrawLine(picture, {INT_MIN, 5, INT_MAX, 5}, 1, kRed);
  Pixels row;
  for (int x = 0; x < kGeneralWidth; ++x) row.insert({x, 5});
  EXPECT_EQ(Painted(picture), row);

  picture = Blank();
  DrawLine(picture, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 1, kRed);
  Pixels diagonal;
  for (int i = 0; i < kGeneralHeight; ++i) diagonal.insert({i, i});
  EXPECT_EQ(Painted(picture), diagonal);

  // A wide pen on a line just outside the top left corner reaches into the picture only there.
  picture = Blank();
  DrawLine(picture, {INT_MAX, INT_MIN, INT_MIN, INT_MAX}, 2, kRed);
  DrawLine(picture, {-100, -3, -1, 70}, 2, kRed);
  DrawLine(picture, {81, 0, 81, 64}, 1, kRed);
  DrawLine(picture, {0, 65, 80, 65}, 1, kRed);
  EXPECT_EQ(Painted(picture), (Pixels{{0, 0}, {0, 1}, {1, 0}}));
}

TEST(DrawMarker, ResetMarkerLiesOutsideTheGeneralView) {
  Bitmap picture = Blank();
  DrawMarker(picture, ResetMarker());
  EXPECT_TRUE(Painted(picture).empty());
}

TEST(DrawMarker, DefaultViewRectangleFramesTheWholePicture) {
  const MarkerState marker = UpdateMarker(0.0f, 0.0f, DefaultPixelStep(), GeneralViewStep());
  ASSERT_EQ(marker.mode, MarkerState::Mode::Rectangle);
  Bitmap picture = Blank();
  DrawMarker(picture, marker);
  Pixels border;
  for (int x = 0; x < kGeneralWidth; ++x) border.insert({x, 0}), border.insert({x, 64});
  for (int y = 0; y < kGeneralHeight; ++y) border.insert({0, y}), border.insert({80, y});
  EXPECT_EQ(Painted(picture), border);
  const uint8_t* corner = picture.Row(64);
  EXPECT_EQ(corner[2], 255);
  EXPECT_EQ(corner[1], 0);
  EXPECT_EQ(corner[0], 0);
}

TEST(DrawMarker, CrossHasFourWideStrokesAndAnOpenCentre) {
  const MarkerState marker = UpdateMarker(0.0f, 0.0f, 1e-6f, GeneralViewStep());
  ASSERT_EQ(marker.mode, MarkerState::Mode::Cross);
  ASSERT_EQ(marker.crossX, 40);
  ASSERT_EQ(marker.crossY, 32);
  Bitmap picture = Blank();
  DrawMarker(picture, marker);
  const Pixels painted = Painted(picture);
  // Four 2 x 2 squares per stroke along the diagonals, starting two pixels from the centre.
  Pixels expected;
  const int sx[4] = {-1, 1, 1, -1};
  const int sy[4] = {-1, -1, 1, 1};
  for (int s = 0; s < 4; ++s) {
    for (int k = 2; k < 6; ++k) {
      const int x = 40 + sx[s] * k, y = 32 + sy[s] * k;
      for (int dx = 0; dx < 2; ++dx)
        for (int dy = 0; dy < 2; ++dy) expected.insert({x + dx, y + dy});
    }
  }
  EXPECT_EQ(painted, expected);
  EXPECT_FALSE(painted.count({40, 32}));
  const uint8_t* p = picture.Row(30) + 4 * 38;
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 255);
  EXPECT_EQ(p[2], 0);
}

TEST(DrawMarker, MarkerFarOutsideIsClipped) {
  const MarkerState far = UpdateMarker(1e30f, -1e30f, 0.01f, GeneralViewStep());
  Bitmap picture = Blank();
  DrawMarker(picture, far);
  EXPECT_TRUE(Painted(picture).empty());
}

}  // namespace
}  // namespace zirvanta
