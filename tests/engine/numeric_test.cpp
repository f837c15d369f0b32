#include "engine/numeric.h"

#include <gtest/gtest.h>

#include <limits>

namespace zirvanta {
namespace {

TEST(TruncClamp, RoundsTowardZeroAndBoundsEverythingElse) {
  EXPECT_EQ(TruncToInt32(399.99999), 399);
  EXPECT_EQ(TruncToInt32(-2.7), -2);
  EXPECT_EQ(TruncToInt32(1e300), INT32_MAX);
  EXPECT_EQ(TruncToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_EQ(TruncToInt32(std::numeric_limits<double>::quiet_NaN(), 17), 17);
  EXPECT_EQ(TruncClamp<int>(2500.5, -2000, 2000, 0), 2000);
  EXPECT_EQ(TruncToInt64(9.3e18), INT64_MAX);
  EXPECT_EQ(TruncToInt64(-4.5e15), -4500000000000000);
}

}  // namespace
}  // namespace zirvanta
