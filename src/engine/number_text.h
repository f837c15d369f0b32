#pragma once

#include <string>
#include <string_view>

namespace zirvanta {

// A plane coordinate as the status bar shows it: rounded (half away from zero) to 3 significant
// digits and to at most 5 decimals, whichever keeps fewer digits; "0" for a zero result; plain
// decimals without trailing zeros while the rounded value has from -3 to 3 digits before the
// point (0.0001 up to 999), otherwise mantissa, "E" and exponent ("1E-5", "1.23E3").
// decimalSeparator is the user's, as UTF-8.
std::string CoordinateText(long double value, std::string_view decimalSeparator);

// A part of c as its edit box shows it: the shortest text with at most 15 significant digits
// ("0.402", "-1.5", "0", "2"), written with "E" and an exponent only where %g would use one.
std::string FactorText(double value, std::string_view decimalSeparator);

}  // namespace zirvanta
