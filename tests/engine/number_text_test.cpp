#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/view.h"
#include "engine/view_steering.h"

namespace zirvanta {
namespace {

std::string Coordinate(long double value) { return CoordinateText(value, "."); }

TEST(CoordinateText, ThreeSignificantDigitsAtMostFiveDecimals) {
  EXPECT_EQ(Coordinate(0.0L), "0");
  EXPECT_EQ(Coordinate(-0.0L), "0");
  EXPECT_EQ(Coordinate(2.5L), "2.5");
  EXPECT_EQ(Coordinate(123.4L), "123");
  EXPECT_EQ(Coordinate(100.0L), "100");
  EXPECT_EQ(Coordinate(0.00999L), "0.00999");
  // Five decimals win over three significant digits below 0.001.
  EXPECT_EQ(Coordinate(0.000123L), "0.00012");
  EXPECT_EQ(Coordinate(-0.000123L), "-0.00012");
  EXPECT_EQ(Coordinate(0.0001L), "0.0001");
  // A value that rounds to zero has no sign.
  EXPECT_EQ(Coordinate(0.0000049L), "0");
  EXPECT_EQ(Coordinate(-0.0000049L), "0");
}

TEST(CoordinateText, ExponentOutsideMinusThreeToThree) {
  EXPECT_EQ(Coordinate(0.00001L), "1E-5");
  EXPECT_EQ(Coordinate(0.0000051L), "1E-5");
  EXPECT_EQ(Coordinate(-0.00004L), "-4E-5");
  EXPECT_EQ(Coordinate(1000.0L), "1E3");
  EXPECT_EQ(Coordinate(1234.0L), "1.23E3");
  EXPECT_EQ(Coordinate(-12345.6L), "-1.23E4");
  EXPECT_EQ(Coordinate(1e30L), "1E30");
  EXPECT_EQ(Coordinate(3.4e38L), "3.4E38");
}

TEST(CoordinateText, RoundsHalfAwayFromZeroWithCarries) {
  EXPECT_EQ(Coordinate(1.125L), "1.13");  // an exact tie
  EXPECT_EQ(Coordinate(-1.125L), "-1.13");
  EXPECT_EQ(Coordinate(1.1249L), "1.12");
  EXPECT_EQ(Coordinate(999.6L), "1E3");     // the carry adds a digit before the point
  EXPECT_EQ(Coordinate(0.009999L), "0.01");
  EXPECT_EQ(Coordinate(9.996L), "10");
}

TEST(CoordinateText, ViewsAtStartUp) {
  const float g = GeneralViewStep();
  const PlanePoint corner = GeneralMouseToPlane(0, 0, g);
  EXPECT_EQ(Coordinate(corner.x), "-2.47");
  EXPECT_EQ(Coordinate(corner.y), "1.98");
  const PlanePoint left = LiveMouseToPlane(0, 0, 0.0f, 0.0f, DefaultPixelStep());
  EXPECT_EQ(Coordinate(left.x), "-2.5");
  EXPECT_EQ(Coordinate(left.y), "1.92");
}

TEST(CoordinateText, LocaleSeparatorAndNonFiniteValues) {
  EXPECT_EQ(CoordinateText(1.5L, ","), "1,5");
  EXPECT_EQ(CoordinateText(-1234.0L, ","), "-1,23E3");
  EXPECT_EQ(CoordinateText(0.25L, "\xd9\xab"), "0\xd9\xab" "25");  // Arabic decimal separator
  EXPECT_EQ(CoordinateText(42.0L, ","), "42");
  EXPECT_EQ(Coordinate(std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(Coordinate(-std::numeric_limits<long double>::infinity()), "-INF");
  EXPECT_EQ(Coordinate(std::numeric_limits<long double>::quiet_NaN()), "NAN");
  EXPECT_EQ(Coordinate(std::numeric_limits<long double>::max()), "1.19E4932");
  EXPECT_EQ(Coordinate(std::numeric_limits<long double>::denorm_min()), "0");
}

TEST(FactorText, ShortestWithAtMostFifteenDigits) {
  EXPECT_EQ(FactorText(FactorOfPosition(402), "."), "0.402");
  EXPECT_EQ(FactorText(FactorOfPosition(339), "."), "0.339");
  EXPECT_EQ(FactorText(FactorOfPosition(-1500), "."), "-1.5");
  EXPECT_EQ(FactorText(FactorOfPosition(0), "."), "0");
  EXPECT_EQ(FactorText(FactorOfPosition(2000), "."), "2");
  EXPECT_EQ(FactorText(FactorOfPosition(-1), "."), "-0.001");
  EXPECT_EQ(FactorText(-0.0, "."), "0");
  EXPECT_EQ(FactorText(0.1 + 0.2, "."), "0.3");
  EXPECT_EQ(FactorText(0.2855, ","), "0,2855");
  EXPECT_EQ(FactorText(1e-20, "."), "1E-20");
  EXPECT_EQ(FactorText(-1.5e20, ","), "-1,5E20");
  EXPECT_EQ(FactorText(123456789012345678.0, "."), "1.23456789012346E17");
  EXPECT_EQ(FactorText(std::numeric_limits<double>::quiet_NaN(), "."), "NAN");
}

}  // namespace
}  // namespace zirvanta
