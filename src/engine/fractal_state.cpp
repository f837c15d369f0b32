#include "fractal_state.h"

#include "colourer.h"

namespace zirvanta {

int ZSquaredPlusCColourer(float x, float y, const FractalState& state) {
  return LiveEscapeCount(x, y, state.cx, state.cy);
}

bool SelectColourer(FractalState& state, int32_t fractalType) {
  if (fractalType != kFractalTypeZSquaredPlusC) return false;
  state.colourer = &ZSquaredPlusCColourer;
  return true;
}

}  // namespace zirvanta
