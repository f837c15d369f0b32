#pragma once

#include <cstdint>

#include "palette.h"

namespace zirvanta {

struct FractalState;

// The colourer of a fractal type: the palette index of the point (x, y) of the plane.
using PointColourerFn = int (*)(float x, float y, const FractalState& state);

// The z <- z^2 + c colourer in single precision with the live limit of 254 steps.
int ZSquaredPlusCColourer(float x, float y, const FractalState& state);

inline constexpr int32_t kFractalTypeZSquaredPlusC = 1;

// The one current fractal: what is shown (type and c), where (centre and width) and in which
// colours (the palette parameters; the table itself is the Palette).
struct FractalState {
  int32_t fractalType = kFractalTypeZSquaredPlusC;
  double cx = 0.402;  // Re(c)
  double cy = 0.339;  // Im(c)
  float centreX = 0.0f;
  float centreY = 0.0f;
  float viewWidth = 5.0f;
  PaletteParams palette;
  PointColourerFn colourer = &ZSquaredPlusCColourer;
};

// Makes the colourer of the given type the colourer of the state. Only type 1 exists; any other
// type leaves the state as it is and gives false.
bool SelectColourer(FractalState& state, int32_t fractalType);

}  // namespace zirvanta
