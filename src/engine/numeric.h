#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the pictures rely on IEEE 754 single and double precision");

namespace zirvanta {

// Rounds toward zero and bounds the result to [lo, hi]; NaN gives nanValue. Converting a
// floating value that does not fit the integer is undefined behaviour, so every conversion of
// a value that a file, a drag or a zoom can make arbitrary goes through here.
template <typename Int>
constexpr Int TruncClamp(long double value, Int lo, Int hi, Int nanValue) {
  if (value != value) return nanValue;
  if (value <= static_cast<long double>(lo)) return lo;
  if (value >= static_cast<long double>(hi)) return hi;
  return static_cast<Int>(value);  // in range, so the conversion truncates toward zero
}

inline int32_t TruncToInt32(long double value, int32_t nanValue = 0) {
  return TruncClamp<int32_t>(value, std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max(), nanValue);
}

inline int64_t TruncToInt64(long double value, int64_t nanValue = 0) {
  return TruncClamp<int64_t>(value, std::numeric_limits<int64_t>::min(),
                             std::numeric_limits<int64_t>::max(), nanValue);
}

}  // namespace zirvanta
