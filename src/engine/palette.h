#pragma once

#include <array>
#include <cstdint>

namespace zirvanta {

// The seven numbers a palette is generated from. Type 1..8 picks linear (L) or sine (S) laws
// for red, green and blue: LLL, SSS, LSS, SLL, SLS, LSL, SSL, LLS; any other type acts as LLL.
struct PaletteParams {
  int32_t type = 1;
  int32_t r0 = 36, g0 = 16, b0 = 12;  // start levels, 0..100 on the sliders
  int32_t r1 = 26, g1 = 18, b1 = 8;   // periods, 0..40 on the sliders

  friend bool operator==(const PaletteParams&, const PaletteParams&) = default;
};

inline constexpr int kPaletteTypeCount = 8;
inline constexpr const char* kPaletteTypeNames[kPaletteTypeCount] = {"LLL", "SSS", "LSS", "SLL",
                                                                     "SLS", "LSL", "SSL", "LLS"};

inline bool PaletteTypeValid(int32_t type) { return type >= 1 && type <= kPaletteTypeCount; }

// Bytes in the order of a device-independent pixel, so a renderer copies an entry byte for byte.
struct PaletteEntry {
  uint8_t blue = 0, green = 0, red = 0;

  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};
static_assert(sizeof(PaletteEntry) == 3);

inline constexpr int kPaletteSize = 8191;  // entry 0 is the inside, entry n escapes on step n

struct Palette {
  std::array<PaletteEntry, kPaletteSize> entries{};

  const PaletteEntry& operator[](int index) const { return entries[index]; }
  PaletteEntry& operator[](int index) { return entries[index]; }
  friend bool operator==(const Palette&, const Palette&) = default;
};

// Fills the whole table from the parameters. Values outside the sliders' ranges are taken as
// they stand (files may hold any integer); a sine start level outside 0..254 is treated as the
// nearest end of the wave.
void BuildPalette(const PaletteParams& params, Palette& palette);

// The palette strip shows the first 256 entries over its width: the entry of column i.
int PaletteLineIndex(int column, int stripWidth);

}  // namespace zirvanta
