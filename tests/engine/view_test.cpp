#include "engine/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/number_text.h"
#include "engine/numeric.h"
#include "engine/view_steering.h"

namespace zirvanta {
namespace {

constexpr float kLargest = std::numeric_limits<float>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ViewMapping, StepsCornersAndMousePositionsOfEveryPicture) {
  const float s = DefaultPixelStep();
  EXPECT_EQ(std::tuple(s, PixelStepForWidth(2.5f), GeneralViewStep()),
            std::tuple(0.0094339624f, 0.0047169812f, 0.061728396f));
  auto all = [](PictureGeometry g) { return std::tuple(g.width, g.height, g.x0, g.y0, g.step); };
  EXPECT_EQ(all(LiveGeometry(0.0f, 0.0f, s)), std::tuple(530, 409, -2.5f, 1.92452836f, s));
  EXPECT_EQ(all(GeneralGeometry(GeneralViewStep())),
            std::tuple(81, 65, -2.46913576f, 1.97530866f, GeneralViewStep()));
  // Full screen and previews: odd sizes halve toward zero, 145 x 105 centres on (72, 52).
  EXPECT_EQ(all(ScreenGeometry(1.0f, 2.0f, 1.45f, 145, 105)),
            std::tuple(145, 105, 0.279999942f, 2.51999998f, 0.0100000007f));
  // The status bar over the top left pixels of the start-up views; the centres show the origin.
  auto texts = [](auto p) { return CoordinateText(p.x, ".") + ' ' + CoordinateText(p.y, "."); };
  EXPECT_EQ(texts(GeneralMouseToPlane(0, 0, GeneralViewStep())), "-2.47 1.98");
  EXPECT_EQ(texts(LiveMouseToPlane(0, 0, 0.0f, 0.0f, s)), "-2.5 1.92");
  EXPECT_EQ(texts(LiveMouseToPlane(265, 204, 0.0f, 0.0f, s)), "0 0");
  EXPECT_EQ(texts(GeneralMouseToPlane(40, 32, GeneralViewStep())), "0 0");
}

TEST(NumberText, CoordinatesAndFactorsAsTheWindowShowsThem) {
  using Limits = std::numeric_limits<long double>;
  const struct { long double value; const char *separator, *text; } coordinates[] = {
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
  for (auto [value, separator, text] :
       {std::tuple{FactorOfPosition(402), ".", "0.402"}, {FactorOfPosition(-1500), ",", "-1,5"},
        {FactorOfPosition(2000), ".", "2"}, {0.1 + 0.2, ".", "0.3"}, {-1.5e20, ",", "-1,5E20"},
        {123456789012345678.0, ".", "1.23456789012346E17"}})
    EXPECT_EQ(FactorText(value, separator), text);
}

// The drawn rectangle and cross are pinned pixel by pixel in the line drawing tests.
TEST(Marker, RectangleCrossAndReset) {
  using Mode = MarkerState::Mode;
  const float g = GeneralViewStep();
  const Colour red{255, 0, 0}, cyan{0, 255, 255};
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, DefaultPixelStep(), g),
            (MarkerState{Mode::Rectangle, 0, 64, 80, 0, 0, 0, 1, red}));
  EXPECT_EQ(ResetMarker(), (MarkerState{Mode::Rectangle, -1, -1, 82, 66, 0, 0, 1, red}));
  // The cross from a step of 0.0004 down.
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, 0.0004f, g),
            (MarkerState{Mode::Cross, -1, -1, 82, 66, 40, 32, 2, cyan}));
  EXPECT_EQ(UpdateMarker(0.0f, 0.0f, std::nextafter(0.0004f, 1.0f), g).mode, Mode::Rectangle);
  const MarkerState off = UpdateMarker(0.3f, -0.2f, 1e-9f, g);
  EXPECT_EQ(std::pair(off.crossX, off.crossY), std::pair(44, 35));  // truncated, not rounded
  // Far away or undefined centres and steps give coordinates far from the integer limits.
  const float nan = std::nanf("");
  for (float centre : {1e30f, -1e30f, kInf, -kInf, nan})
    for (float step : {DefaultPixelStep(), 1e-7f, 1e30f, kInf, nan})
      for (const LineSegment& line : UpdateMarker(centre, centre, step, g).Lines())
        for (int v : {line.x1, line.y1, line.x2, line.y2}) EXPECT_LE(std::abs(v), (1 << 20) + 6);
}

TEST(TruncClamp, RoundsTowardZeroAndBoundsEverythingElse) {
  EXPECT_EQ(std::tuple(TruncToInt32(399.99999), TruncToInt32(-2.7), TruncToInt32(-kInf),
                       TruncToInt32(std::nan(""), 17), TruncClamp<int>(2500.5, -2000, 2000, 0)),
            std::tuple(399, -2, INT32_MIN, 17, 2000));
  EXPECT_EQ(TruncToInt64(9.3e18), INT64_MAX);
}

TEST(ViewSteering, WidthsZoomsPansAndDragsStayWithinSinglePrecision) {
  // A usable width is finite and positive with a normal step.
  const float tiny = std::numeric_limits<float>::min();
  for (float width : {5.0f, kLargest, tiny * 600}) EXPECT_TRUE(UsableViewWidth(width)) << width;
  for (float width : {tiny, 0.0f, -1.0f, kInf, std::nanf("")}) EXPECT_FALSE(UsableViewWidth(width));
  // Zooms stop at the ends.
  FractalState in, out, state, drag;
  ViewValues inView, outView, view, dragView;
  for (int i = 0; i < 1000; ++i) ZoomOnLivePixel(in, inView, 300, 100, ZoomStep::In);
  EXPECT_TRUE(UsableViewWidth(in.viewWidth) && !UsableViewWidth(float(in.viewWidth * 0.7L)));
  EXPECT_EQ(inView.pixelStep, PixelStepForWidth(in.viewWidth));
  for (int i = 0; i < 1000; ++i) ZoomAboutCentre(out, outView, ZoomStep::Out);
  EXPECT_TRUE(out.viewWidth > kLargest / 1.3f && out.viewWidth < kInf) << out.viewWidth;
  EXPECT_EQ(outView.pixelStep, PixelStepForWidth(out.viewWidth));
  // Off-centre clicks at that scale would throw the centre beyond single precision: it stays.
  for (int i = 0; i < 10; ++i) ZoomOnLivePixel(out, outView, 529, 0, ZoomStep::Keep);
  EXPECT_TRUE(std::isfinite(out.centreX) && std::isfinite(out.centreY));
  // A pan that would overflow is refused for that part.
  SetViewWidth(state, view, kLargest);
  state.centreX = kLargest * 0.9f;
  PanLiveView(state, view, 1000, 0, 0, 10);
  EXPECT_EQ(std::pair(state.centreX, state.centreY),
            std::pair(kLargest * 0.9f, float(10.0L * view.pixelStep)));
  // A drag zoom of 530 pixels or more to the left would make the width zero or negative.
  for (int jump : {530, 531, std::numeric_limits<int>::max() / 2}) {
    DragZoomLiveView(drag, dragView, jump, 0, 0, 0);
    EXPECT_EQ(std::pair(drag.viewWidth, dragView.pixelStep), std::pair(5.0f, DefaultPixelStep()));
  }
  SetViewWidth(state, view, kLargest / 2);
  DragZoomLiveView(state, view, 0, 0, 1060, 0);
  EXPECT_EQ(state.viewWidth, kLargest / 2);
}

}  // namespace
}  // namespace zirvanta
