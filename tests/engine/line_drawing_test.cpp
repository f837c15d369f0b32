#include "engine/line_drawing.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

namespace zirvanta {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// Draws the lines in red, or the marker, on a black general view: the pixels painted, each in
// the pen's colour, all fourth bytes untouched.
Pixels Drawn(std::initializer_list<LineSegment> lines, int penWidth,
             const MarkerState* marker = nullptr) {
  Bitmap picture(kGeneralWidth, kGeneralHeight, PixelFormat::Bgrx32);
  for (int i = 3; i < int(picture.SizeInBytes()); i += 4) picture.Data()[i] = 0x5A;
  const Colour colour = marker ? marker->penColour : Colour{255, 0, 0};
  for (const LineSegment& line : lines) DrawLine(picture, line, penWidth, colour);
  if (marker) DrawMarker(picture, *marker);
  Pixels painted;
  for (int y = 0; y < kGeneralHeight; ++y) {
    for (int x = 0; x < kGeneralWidth; ++x) {
      const uint8_t* p = picture.Row(y) + 4 * x;
      EXPECT_EQ(p[3], 0x5A);
      if (p[0] == colour.blue && p[1] == colour.green && p[2] == colour.red) painted.insert({x, y});
      else EXPECT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
    }
  }
  return painted;
}
Pixels Drawn(const MarkerState& marker) { return Drawn({}, 0, &marker); }

TEST(DrawLine, EndPointIsExcludedInEveryDirection) {
  EXPECT_EQ(Drawn({{2, 3, 6, 3}}, 1), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));
  EXPECT_EQ(Drawn({{6, 3, 2, 3}}, 1), (Pixels{{6, 3}, {5, 3}, {4, 3}, {3, 3}}));
  EXPECT_EQ(Drawn({{10, 10, 6, 6}}, 1), (Pixels{{10, 10}, {9, 9}, {8, 8}, {7, 7}}));
  EXPECT_EQ(Drawn({{0, 0, 4, 2}}, 1), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
  EXPECT_EQ(Drawn({{5, 5, 5, 5}}, 1), Pixels{});
}

TEST(DrawLine, ClipsAnyCoordinates) {
  Pixels row, diagonal;
  for (int x = 0; x < kGeneralWidth; ++x) row.insert({x, 5});
  for (int i = 0; i < kGeneralHeight; ++i) diagonal.insert({i, i});
  EXPECT_EQ(Drawn({{INT_MIN, 5, INT_MAX, 5}}, 1), row);
  EXPECT_EQ(Drawn({{INT_MIN, INT_MIN, INT_MAX, INT_MAX}}, 1), diagonal);
  // A wide pen on lines just outside the top left corner reaches into the picture only there.
  EXPECT_EQ(Drawn({{INT_MAX, INT_MIN, INT_MIN, INT_MAX}, {-100, -3, -1, 70}, {81, 0, 81, 64},
                   {0, 65, 80, 65}}, 2),
            (Pixels{{0, 0}, {0, 1}, {1, 0}}));
}

TEST(DrawMarker, RectangleCrossAndTheUnseenReset) {
  EXPECT_EQ(Drawn(ResetMarker()), Pixels{});
  Pixels frame, cross;
  for (int i = 0; i <= 80; ++i) frame.insert({{i, 0}, {i, 64}, {0, i % 65}, {80, i % 65}});
  EXPECT_EQ(Drawn(UpdateMarker(0.0f, 0.0f, DefaultPixelStep(), GeneralViewStep())), frame);
  // Four strokes of 2 x 2 squares along the diagonals, from two pixels off the centre.
  for (int k = 2; k < 6; ++k)
    for (int dx : {-k, -k + 1, k, k + 1})
      for (int dy : {-k, -k + 1, k, k + 1}) cross.insert({40 + dx, 32 + dy});
  EXPECT_EQ(Drawn(UpdateMarker(0.0f, 0.0f, 1e-6f, GeneralViewStep())), cross);
}

}  // namespace
}  // namespace zirvanta
