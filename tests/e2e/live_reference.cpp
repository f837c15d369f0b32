// Writes what the main window must show in a start folder, as binary PPM images for the
// end-to-end tests to compare with a screenshot: the plain live pass, the plain general pass
// with its marker, and the palette strip. Without steps it is the picture right after start-up
// (the reset marker is not seen); each step given after the file names changes the state as the
// window's control of that name does, through the engine's own steering:
//   plus | minus | home | zoom-in X Y | general X Y | cx P | type T | factor-drag DX DY
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "engine/line_drawing.h"
#include "engine/palette.h"
#include "engine/render.h"
#include "engine/view.h"
#include "engine/view_steering.h"
#include "files/settings.h"

namespace {

using namespace zirvanta;

bool WritePpm(const std::string& path, const Bitmap& bitmap) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << bitmap.Width() << ' ' << bitmap.Height() << "\n255\n";
  for (int64_t y = 0; y < bitmap.Height(); ++y) {
    for (int64_t x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* p = bitmap.Row(y) + bitmap.BytesPerPixel() * x;
      out.put(static_cast<char>(p[2])).put(static_cast<char>(p[1])).put(static_cast<char>(p[0]));
    }
  }
  return static_cast<bool>(out);
}

// The window's state as the steps leave it; the factor sliders start at 402 and 339.
struct Steered {
  FractalState state;
  ViewValues view;
  int32_t sliderX = 402, sliderY = 339;
};

void Apply(Steered& s, const std::vector<std::string>& words, size_t& at) {
  auto number = [&] { return std::stoi(words.at(at++)); };
  const std::string step = words[at++];
  if (step == "home") {
    SetDefaultView(s.state, s.view);
  } else if (step == "cx") {
    s.sliderX = number();
  } else if (step == "type") {
    s.state.palette.type = number();
  } else if (step == "factor-drag") {
    const int dx = number(), dy = number();
    const FactorDragRatios ratios =
        FactorDragRatiosFor(s.view.pixelStep, s.view.defaultStep, 2000, 2000);
    s.sliderX = FactorDragPosition(s.sliderX, dx, ratios.kx, -2000, 2000);
    s.sliderY = FactorDragPosition(s.sliderY, -dy, ratios.ky, -2000, 2000);
  } else {  // the steps that move the view, and with it the general view's marker
    if (step == "plus" || step == "minus") {
      ZoomAboutCentre(s.state, s.view, step == "plus" ? ZoomStep::In : ZoomStep::Out);
    } else if (step == "zoom-in") {
      const int x = number(), y = number();
      ZoomOnLivePixel(s.state, s.view, x, y, ZoomStep::In);
    } else if (step == "general") {
      const int x = number(), y = number();
      CentreOnGeneralPixel(s.state, s.view, x, y);
    } else {
      throw std::invalid_argument("unknown step '" + step + "'");
    }
    s.view.marker =
        UpdateMarker(s.state.centreX, s.state.centreY, s.view.pixelStep, s.view.generalStep);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::cerr << "usage: live_reference START_FOLDER LIVE.ppm GENERAL.ppm STRIP.ppm [STEP...]\n";
    return 2;
  }
  Steered steered;
  FractalState& state = steered.state;
  state.palette = ReadSettings(argv[1]).live.palette;
  const std::vector<std::string> words(argv + 5, argv + argc);
  try {
    for (size_t at = 0; at < words.size();) Apply(steered, words, at);
  } catch (const std::exception& error) {
    std::cerr << "live_reference: bad steps: " << error.what() << '\n';
    return 2;
  }
  state.cx = FactorOfPosition(steered.sliderX);
  state.cy = FactorOfPosition(steered.sliderY);
  Palette palette;
  BuildPalette(state.palette, palette);

  const ViewValues& view = steered.view;
  Bitmap live(kLiveWidth, kLiveHeight, PixelFormat::Bgrx32);
  RenderPicturePlain(LiveGeometry(state.centreX, state.centreY, view.pixelStep), state, palette,
                     live);
  Bitmap general(kGeneralWidth, kGeneralHeight, PixelFormat::Bgrx32);
  RenderPicturePlain(GeneralGeometry(view.generalStep), state, palette, general);
  DrawMarker(general, view.marker);

  constexpr int kStripWidth = 529, kStripHeight = 15;
  Bitmap strip(kStripWidth, kStripHeight, PixelFormat::Bgrx32);
  for (int x = 0; x < kStripWidth; ++x) {
    const PaletteEntry& entry = palette[PaletteLineIndex(x, kStripWidth)];
    for (int y = 0; y < kStripHeight; ++y) {
      uint8_t* p = strip.Row(y) + 4 * x;
      std::tie(p[0], p[1], p[2]) = std::tie(entry.blue, entry.green, entry.red);
    }
  }
  return WritePpm(argv[2], live) && WritePpm(argv[3], general) && WritePpm(argv[4], strip) ? 0 : 1;
}
