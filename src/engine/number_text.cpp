#include "number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zirvanta {
namespace {

constexpr int kSignificantDigits = 3;
constexpr int kMostDecimals = 5;
// The fixed expansion is read this far: a long double that rounds to a nonzero text is at least
// about 1e-6, and its distance from any rounding boundary with at most 6 decimals then shows
// within 30 decimals, so the digit after the rounding place is always the exact one.
constexpr int kExpansionDecimals = 40;

std::string Printed(const char* format, int precision, long double value) {
  const int length = std::snprintf(nullptr, 0, format, precision, value);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, precision, value);
  text.resize(static_cast<size_t>(length));
  return text;
}

std::string NonFinite(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string CoordinateText(long double value, std::string_view decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  const bool negative = std::signbit(value);
  const std::string fixed = Printed("%.*Lf", kExpansionDecimals, std::fabs(value));
  const size_t point = fixed.find('.');
  // All digits with the point taken out; the first `integerDigits` stand before it.
  std::string digits = fixed.substr(0, point) + fixed.substr(point + 1);
  int integerDigits = static_cast<int>(point);

  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  // The coarser of the two rounding places keeps fewer digits.
  const int lastKept = std::min(static_cast<int>(first) + kSignificantDigits - 1,
                                integerDigits + kMostDecimals - 1);
  const bool roundUp = digits[static_cast<size_t>(lastKept) + 1] >= '5';
  digits.resize(static_cast<size_t>(lastKept) + 1);
  if (roundUp) {
    int i = lastKept;
    while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++digits[static_cast<size_t>(i)];
    } else {
      digits.insert(digits.begin(), '1');
      ++integerDigits;
    }
  }

  const size_t leading = digits.find_first_not_of('0');
  if (leading == std::string::npos) return "0";
  const size_t trailing = digits.find_last_not_of('0');
  const std::string significant = digits.substr(leading, trailing - leading + 1);
  // Digits before the point of the rounded value: 1 for 1 up to 10, -3 for 0.0001 up to 0.001.
  const int exponent = integerDigits - static_cast<int>(leading);

  std::string text = negative ? "-" : "";
  if (exponent >= -3 && exponent <= 3) {
    std::string integerPart = "0";
    std::string fraction;
    if (exponent > 0) {
      integerPart = significant.substr(0, std::min<size_t>(significant.size(), exponent));
      integerPart.resize(static_cast<size_t>(exponent), '0');
      if (significant.size() > static_cast<size_t>(exponent)) fraction = significant.substr(exponent);
    } else {
      fraction = std::string(static_cast<size_t>(-exponent), '0') + significant;
    }
    text += integerPart;
    if (!fraction.empty()) text.append(decimalSeparator).append(fraction);
  } else {
    text += significant[0];
    if (significant.size() > 1) text.append(decimalSeparator).append(significant.substr(1));
    text += 'E' + std::to_string(exponent - 1);
  }
  return text;
}

std::string FactorText(double value, std::string_view decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  if (value == 0) return "0";
  const std::string printed = Printed("%.*Lg", 15, static_cast<long double>(value));
  std::string text;
  const size_t e = printed.find('e');
  const std::string mantissa = printed.substr(0, e);
  for (char ch : mantissa) {
    if (ch == '.') {
      text.append(decimalSeparator);
    } else {
      text += ch;
    }
  }
  if (e != std::string::npos) {
    text += 'E' + std::to_string(std::atoi(printed.c_str() + e + 1));
  }
  return text;
}

}  // namespace zirvanta
