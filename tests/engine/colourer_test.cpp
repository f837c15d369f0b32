#include "engine/colourer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zirvanta {
namespace {

TEST(LiveEscapeCount, FixedPointsNeverEscape) {
  EXPECT_EQ(LiveEscapeCount(0.0f, 0.0f, 0.0, 0.0), 0);
  EXPECT_EQ(LiveEscapeCount(1.0f, 0.0f, 0.0, 0.0), 0);  // stays at 1 for all 254 steps
}

TEST(LiveEscapeCount, StartPointIsNeverTested) {
  EXPECT_EQ(LiveEscapeCount(3.0f, 0.0f, 0.0, 0.0), 1);
  EXPECT_EQ(LiveEscapeCount(1e30f, 1e30f, 0.0, 0.0), 1);
}

TEST(LiveEscapeCount, RadiusTwoCountsAsEscaped) {
  EXPECT_EQ(LiveEscapeCount(0.0f, 0.0f, -2.0, 0.0), 1);  // z1 = -2, |z|^2 - 4 = 0
}

TEST(LiveEscapeCount, NotANumberNeverEscapes) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(LiveEscapeCount(nan, 0.0f, 0.0, 0.0), 0);
  EXPECT_EQ(LiveEscapeCount(0.0f, 0.0f, std::nan(""), 0.0), 0);
}

// With c = 0 and z real, z_n = x^(2^n): the step on which it passes 2 is known exactly.
double StartEscapingOnStep(int step) { return std::pow(2.0, std::pow(0.5, step)) * (1 + 1e-5); }

TEST(LiveEscapeCount, LimitIs254Steps) {
  // Find a point escaping on step 254 along a line: counts grow towards the set's boundary.
  float x = 0.0f;
  int count = -1;
  for (float t = -0.75f; t <= -0.74f; t = std::nextafter(t, 0.0f)) {
    count = LiveEscapeCount(t, 0.1f, -0.75, 0.1);
    if (count == 254) {
      x = t;
      break;
    }
  }
  ASSERT_EQ(count, 254) << "no point escaping on step 254 found";
  EXPECT_EQ(LiveEscapeCount(x, 0.1f, -0.75, 0.1), 254);
  EXPECT_EQ(ExportEscapeCount(5.0, 0.0, 0.0, 0.0, 254), 1);
}

TEST(ExportEscapeCount, LimitTestComesBeforeTheEscapeTest) {
  // c = 0.25 + 0i creeps towards 0.5 and never escapes; c slightly larger escapes after many
  // steps. Search one that escapes on step n, then check limits n and n - 1.
  for (double c = 0.2501; c < 0.3; c += 0.0001) {
    const int n = ExportEscapeCount(0.0, 0.0, c, 0.0, 8190);
    if (n > 10 && n < 8190) {
      EXPECT_EQ(ExportEscapeCount(0.0, 0.0, c, 0.0, n), n);
      EXPECT_EQ(ExportEscapeCount(0.0, 0.0, c, 0.0, n - 1), 0);
      return;
    }
  }
  FAIL() << "no slow escape found";
}

TEST(ExportEscapeCount, ReachesEntry8190) {
  // The slowest escapes near c = 0.25: walk towards it until a point needs exactly 8190 steps.
  double lo = 0.25, hi = 0.26;  // count(lo) = 0 (inside), count(hi) small
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    const int n = ExportEscapeCount(0.0, 0.0, mid, 0.0, 8190);
    if (n == 8190) return;
    if (n == 0) lo = mid; else hi = mid;
  }
  FAIL() << "bisection found no point escaping on step 8190";
}

TEST(ExportEscapeCount, AgreesWithLiveWhereNoRoundingDiffers) {
  EXPECT_EQ(ExportEscapeCount(0.0, 0.0, -2.0, 0.0, 254), 1);
  EXPECT_EQ(ExportEscapeCount(1.0, 0.0, 0.0, 0.0, 254), 0);
  EXPECT_EQ(ExportEscapeCount(3.0, 0.0, 0.0, 0.0, 254), 1);
  // A real orbit under c = 0 escapes when x^(2^n) passes 2; both colourers agree.
  for (int step = 1; step < 16; ++step) {
    const double x = StartEscapingOnStep(step);
    EXPECT_EQ(ExportEscapeCount(x, 0.0, 0.0, 0.0, 254), step);
    EXPECT_EQ(LiveEscapeCount(static_cast<float>(x), 0.0f, 0.0, 0.0), step) << x;
  }
}

TEST(PointColourer, ReturnsTheEntryOfTheCount) {
  FractalState state;
  state.cx = 0.0;
  state.cy = 0.0;
  Palette palette;
  for (int i = 0; i < kPaletteSize; ++i) palette[i] = PaletteEntry{uint8_t(i), uint8_t(i >> 8), 7};
  EXPECT_EQ(&PointColourer(3.0f, 0.0f, state, palette), &palette[1]);
  EXPECT_EQ(&PointColourer(0.0f, 0.0f, state, palette), &palette[0]);
}

TEST(SelectColourer, OnlyTypeOneExists) {
  FractalState state;
  state.colourer = nullptr;
  EXPECT_FALSE(SelectColourer(state, 2));
  EXPECT_EQ(state.colourer, nullptr);
  EXPECT_TRUE(SelectColourer(state, 1));
  EXPECT_EQ(state.colourer, &ZSquaredPlusCColourer);
}

}  // namespace
}  // namespace zirvanta
