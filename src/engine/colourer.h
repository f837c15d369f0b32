#pragma once

#include "fractal_state.h"
#include "palette.h"

namespace zirvanta {

inline constexpr int kLiveIterationLimit = 254;
inline constexpr int kMaxExportIterationLimit = kPaletteSize - 1;  // 8190

// Escape count of z <- z^2 + c from the start point (x, y): the step n (1..254) after which
// |z|^2 - 4 >= 0, or 0 when the orbit stays inside for 254 steps. z is held in single
// precision between steps; each step is worked out in double precision from the old values.
// The start point itself is never tested, and a NaN orbit never escapes.
inline int LiveEscapeCount(float x, float y, double cr, double ci) {
  float zr = x;
  float zi = y;
  for (int n = 1; n <= kLiveIterationLimit; ++n) {
    const double r = zr;
    const double i = zi;
    zr = static_cast<float>(r * r - i * i + cr);
    zi = static_cast<float>(2.0 * r * i + ci);
    const double nr = zr;
    const double ni = zi;
    if (nr * nr + ni * ni - 4.0 >= 0.0) return n;
  }
  return 0;
}

// The export's colourer: the same rule in double precision with the chosen limit. The limit
// test comes before the escape test, so a point escaping on step limit + 1 counts as inside.
inline int ExportEscapeCount(double x, double y, double cr, double ci, int limit) {
  double zr = x;
  double zi = y;
  for (int n = 1;; ++n) {
    const double nr = zr * zr - zi * zi + cr;
    const double ni = zr * zi * 2.0 + ci;
    zr = nr;
    zi = ni;
    if (n > limit) return 0;
    if (zr * zr + zi * zi >= 4.0) return n;
  }
}

// The colour of a point for the current fractal: the palette entry of its escape count.
inline const PaletteEntry& PointColourer(float x, float y, const FractalState& state,
                                         const Palette& palette) {
  return palette[state.colourer(x, y, state)];
}

inline const PaletteEntry& ExportColour(double x, double y, double cr, double ci, int limit,
                                        const Palette& paletteCopy) {
  return paletteCopy[ExportEscapeCount(x, y, cr, ci, limit)];
}

}  // namespace zirvanta
