#include "palette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "numeric.h"

namespace zirvanta {
namespace {

struct ChannelLaws {
  bool redSine, greenSine, blueSine;
};

ChannelLaws LawsOfType(int32_t type) {
  switch (type) {
    case 2: return {true, true, true};     // SSS
    case 3: return {false, true, true};    // LSS
    case 4: return {true, false, false};   // SLL
    case 5: return {true, false, true};    // SLS
    case 6: return {false, true, false};   // LSL
    case 7: return {true, true, false};    // SSL
    case 8: return {false, false, true};   // LLS
    default: return {false, false, false}; // LLL, also for types no control can make
  }
}

// One colour channel of the table. The linear law climbs by the period per entry and wraps
// around; the sine law passes through the start level at entry 0 and repeats every 512 / P.
class Channel {
 public:
  Channel(int32_t level, int32_t period, bool sine) : level_(level), period_(period), sine_(sine) {
    if (sine_) {
      // The arcsine is only defined for start levels 0..254; a level beyond them (from a file)
      // is taken as the nearest end of the wave instead of giving NaN.
      const double ratio = std::clamp((static_cast<double>(level) - 127.0) / 127.0, -1.0, 1.0);
      phase_ = static_cast<float>(std::asin(ratio));
    }
  }

  uint8_t Value(int n) const {
    if (!sine_) {
      // Only the low 8 bits of L + P x n count; unsigned arithmetic gives them without overflow.
      return static_cast<uint8_t>(static_cast<uint32_t>(level_) +
                                  static_cast<uint32_t>(period_) * static_cast<uint32_t>(n));
    }
    static constexpr float kStep = static_cast<float>(std::numbers::pi / 256.0);
    static constexpr float kHalfRange = 127.0f;
    const double angle = static_cast<double>(period_) * static_cast<double>(kStep) *
                             static_cast<double>(n) +
                         static_cast<double>(phase_);
    const double value = kHalfRange * std::sin(angle) + kHalfRange;
    return static_cast<uint8_t>(static_cast<int>(std::clamp(value, 0.0, 254.0)));
  }

 private:
  int32_t level_;
  int32_t period_;
  bool sine_;
  float phase_ = 0.0f;
};

}  // namespace

void BuildPalette(const PaletteParams& params, Palette& palette) {
  const ChannelLaws laws = LawsOfType(params.type);
  const Channel red(params.r0, params.r1, laws.redSine);
  const Channel green(params.g0, params.g1, laws.greenSine);
  const Channel blue(params.b0, params.b1, laws.blueSine);

  palette[0] = PaletteEntry{static_cast<uint8_t>(params.b0), static_cast<uint8_t>(params.g0),
                            static_cast<uint8_t>(params.r0)};
  for (int n = 1; n < kPaletteSize; ++n) {
    palette[n] = PaletteEntry{blue.Value(n), green.Value(n), red.Value(n)};
  }
}

int PaletteLineIndex(int column, int stripWidth) {
  const float k = 256.0f / static_cast<float>(stripWidth);
  return TruncClamp<int>(static_cast<double>(column) * static_cast<double>(k), 0, kPaletteSize - 1,
                         0);
}

}  // namespace zirvanta
