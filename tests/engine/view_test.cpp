#include "engine/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/number_text.h"
#include "engine/view_steering.h"

namespace zirvanta {
namespace {

TEST(ViewMapping, StepsCornersAndCoordinateTextsOfEveryPicture) {
  const float s = DefaultPixelStep();
  EXPECT_EQ(s, static_cast<float>(5.0L / 530.0L));
  EXPECT_EQ(GeneralViewStep(), 0.061728396f);
  EXPECT_EQ(PixelStepForWidth(2.5f), static_cast<float>(2.5L / 530.0L));
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, s);
  EXPECT_EQ(std::pair(live.width, live.height), std::pair(530, 409));
  EXPECT_FLOAT_EQ(live.x0, -2.5f);
  EXPECT_EQ(live.y0, static_cast<float>(204.0L * s));
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());
  EXPECT_EQ(std::pair(general.width, general.height), std::pair(81, 65));
  EXPECT_EQ(general.x0, -2.4691358f);
  EXPECT_EQ(general.y0, 1.9753087f);
  // Full screen and previews: odd sizes halve toward zero, 145 x 105 centres on (72, 52).
  const PictureGeometry preview = ScreenGeometry(1.0f, 2.0f, 1.45f, 145, 105);
  EXPECT_EQ(preview.step, static_cast<float>(1.45f / 145.0L));
  EXPECT_EQ(preview.x0, static_cast<float>(1.0f - 72 * static_cast<long double>(preview.step)));
  EXPECT_EQ(preview.y0, static_cast<float>(2.0f + 52 * static_cast<long double>(preview.step)));
  // The status bar over the top left pixels of the start-up views; the centres show the origin.
  auto texts = [](PlanePoint p) {
    return CoordinateText(p.x, ".") + " " + CoordinateText(p.y, ".");
  };
  EXPECT_EQ(texts(GeneralMouseToPlane(0, 0, GeneralViewStep())), "-2.47 1.98");
  EXPECT_EQ(texts(LiveMouseToPlane(0, 0, 0.0f, 0.0f, s)), "-2.5 1.92");
  EXPECT_EQ(texts(LiveMouseToPlane(265, 204, 0.0f, 0.0f, s)), "0 0");
  EXPECT_EQ(texts(GeneralMouseToPlane(40, 32, GeneralViewStep())), "0 0");
}

TEST(NumberText, CoordinatesAndFactorsAsTheWindowShowsThem) {
  using Limits = std::numeric_limits<long double>;
  const struct {
    long double value;
    const char* separator;
    const char* text;
  } coordinates[] = {
      {-0.0L, ".", "0"}, {123.4L, ".", "123"}, {0.0001L, ".", "0.0001"},
      {-0.000123L, ".", "-0.00012"},  // five decimals win over three significant digits
      {-0.0000049L, ".", "0"},        // a value that rounds to zero has no sign
      {0.0000051L, ".", "1E-5"}, {1000.0L, ".", "1E3"}, {-12345.6L, ".", "-1.23E4"},
      {-1.125L, ".", "-1.13"}, {1.1249L, ".", "1.12"},  // half away from zero
      {999.6L, ".", "1E3"}, {0.009999L, ".", "0.01"}, {9.996L, ".", "10"},  // carries
      {-1234.0L, ",", "-1,23E3"}, {0.25L, "\xd9\xab", "0\xd9\xab" "25"},
      {-Limits::infinity(), ".", "-INF"}, {Limits::quiet_NaN(), ".", "NAN"},
      {Limits::max(), ".", "1.19E4932"}, {Limits::denorm_min(), ".", "0"},
  };
  for (const auto& c : coordinates) EXPECT_EQ(CoordinateText(c.value, c.separator), c.text);
  // Factors: the shortest text of at most 15 significant digits.
  EXPECT_EQ(FactorText(FactorOfPosition(402), "."), "0.402");
  EXPECT_EQ(FactorText(FactorOfPosition(-1500), ","), "-1,5");
  EXPECT_EQ(FactorText(FactorOfPosition(2000), "."), "2");
  EXPECT_EQ(FactorText(0.1 + 0.2, "."), "0.3");
  EXPECT_EQ(FactorText(-1.5e20, ","), "-1,5E20");
  EXPECT_EQ(FactorText(123456789012345678.0, "."), "1.23456789012346E17");
}

TEST(Marker, RectangleCrossAndReset) {
  using Mode = MarkerState::Mode;
  const float g = GeneralViewStep();
  const Colour red{255, 0, 0}, cyan{0, 255, 255};
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, DefaultPixelStep(), g),
            (MarkerState{Mode::Rectangle, 0, 64, 80, 0, 0, 0, 1, red}));
  EXPECT_EQ(ResetMarker(), (MarkerState{Mode::Rectangle, -1, -1, 82, 66, 0, 0, 1, red}));
  // The cross from a step of 0.0004 down, its strokes leaving the centre open.
  const MarkerState cross = UpdateMarker(0.0f, 0.0f, 0.0004f, g);
  EXPECT_EQ(cross, (MarkerState{Mode::Cross, -1, -1, 82, 66, 40, 32, 2, cyan}));
  EXPECT_EQ(cross.Lines()[0], (LineSegment{38, 30, 34, 26}));
  EXPECT_EQ(cross.Lines()[2], (LineSegment{42, 34, 46, 38}));
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, std::nextafter(0.0004f, 1.0f), g).mode, Mode::Rectangle);
  const MarkerState off = UpdateMarker(0.3f, -0.2f, 1e-9f, g);
  EXPECT_EQ(std::pair(off.crossX, off.crossY), std::pair(44, 35));  // truncated, not rounded
  // Far away or undefined centres and steps give coordinates far from the integer limits.
  const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
  for (float centre : {1e30f, -1e30f, inf, -inf, nan}) {
    for (float step : {DefaultPixelStep(), 1e-7f, 1e30f, inf, nan}) {
      for (const LineSegment& line : UpdateMarker(centre, centre, step, g).Lines()) {
        for (int v : {line.x1, line.y1, line.x2, line.y2}) EXPECT_LE(std::abs(v), (1 << 20) + 6);
      }
    }
  }
}

}  // namespace
}  // namespace zirvanta
