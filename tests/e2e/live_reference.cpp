// Writes what the main window must show right after start-up in a start folder: the plain live
// pass, the plain general pass (the reset marker is not seen) and the palette strip, as binary
// PPM images for the end-to-end test to compare with a screenshot.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "engine/palette.h"
#include "engine/render.h"
#include "engine/view.h"
#include "files/settings.h"

namespace {

using namespace zirvanta;

bool WritePpm(const std::string& path, const Bitmap& bitmap) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << bitmap.Width() << ' ' << bitmap.Height() << "\n255\n";
  for (int64_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.Row(y);
    for (int64_t x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* p = row + bitmap.BytesPerPixel() * x;
      const char rgb[3] = {static_cast<char>(p[2]), static_cast<char>(p[1]),
                           static_cast<char>(p[0])};
      out.write(rgb, 3);
    }
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::cerr << "usage: live_reference START_FOLDER LIVE.ppm GENERAL.ppm STRIP.ppm\n";
    return 2;
  }
  FractalState state;
  state.palette = ReadSettings(argv[1]).live.palette;
  // The start-up c is the factor sliders' positions 402 and 339 times 0.001.
  state.cx = static_cast<double>(402 * 0.001L);
  state.cy = static_cast<double>(339 * 0.001L);
  Palette palette;
  BuildPalette(state.palette, palette);

  Bitmap live(kLiveWidth, kLiveHeight, PixelFormat::Bgrx32);
  RenderPicturePlain(LiveGeometry(0.0f, 0.0f, DefaultPixelStep()), state, palette, live);
  Bitmap general(kGeneralWidth, kGeneralHeight, PixelFormat::Bgrx32);
  RenderPicturePlain(GeneralGeometry(GeneralViewStep()), state, palette, general);

  constexpr int kStripWidth = 529, kStripHeight = 15;
  Bitmap strip(kStripWidth, kStripHeight, PixelFormat::Bgrx32);
  for (int x = 0; x < kStripWidth; ++x) {
    const PaletteEntry& entry = palette[PaletteLineIndex(x, kStripWidth)];
    for (int y = 0; y < kStripHeight; ++y) {
      uint8_t* p = strip.Row(y) + 4 * x;
      p[0] = entry.blue;
      p[1] = entry.green;
      p[2] = entry.red;
    }
  }
  const bool ok = WritePpm(argv[2], live) && WritePpm(argv[3], general) && WritePpm(argv[4], strip);
  return ok ? 0 : 1;
}
