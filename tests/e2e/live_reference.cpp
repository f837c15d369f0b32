// Writes what the main window must show in a start folder, as binary PPM images for the
// end-to-end tests to compare with a screenshot: the plain live pass, the plain general pass
// with its marker, and the palette strip. Without steps it is the picture right after start-up
// (the reset marker is not seen); each step given after the file names changes the state as the
// window's control of that name does, through the engine's own steering:
//   plus | minus | home | zoom-in X Y | zoom-out X Y | centre X Y | general X Y | cx P | cy P |
//   type T | factor-drag DX DY
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/palette.h"
#include "engine/line_drawing.h"
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

// The window's state as the steps leave it.
struct Steered {
  FractalState state;
  ViewValues view;
  int32_t sliderX = 402;  // the factor sliders start at 402 and 339
  int32_t sliderY = 339;
};

bool Apply(Steered& s, const std::vector<std::string>& words, size_t& at) {
  auto number = [&]() -> int {
    if (at >= words.size()) throw std::runtime_error("a step lacks a number");
    return std::atoi(words[at++].c_str());
  };
  const std::string step = words[at++];
  auto updateMarker = [&] {
    s.view.marker =
        UpdateMarker(s.state.centreX, s.state.centreY, s.view.pixelStep, s.view.generalStep);
  };
  if (step == "plus" || step == "minus") {
    ZoomAboutCentre(s.state, s.view, step == "plus" ? ZoomStep::In : ZoomStep::Out);
    updateMarker();
  } else if (step == "home") {
    SetDefaultView(s.state, s.view);
  } else if (step == "zoom-in" || step == "zoom-out" || step == "centre") {
    const int x = number();
    const int y = number();
    if (step == "centre") {
      CentreOnLivePixel(s.state, s.view, x, y);
    } else {
      ZoomOnLivePixel(s.state, s.view, x, y, step == "zoom-in" ? ZoomStep::In : ZoomStep::Out);
    }
    updateMarker();
  } else if (step == "general") {
    const int x = number();
    const int y = number();
    CentreOnGeneralPixel(s.state, s.view, x, y);
    updateMarker();
  } else if (step == "cx" || step == "cy") {
    int32_t& slider = step == "cx" ? s.sliderX : s.sliderY;
    slider = number();
    (step == "cx" ? s.state.cx : s.state.cy) = FactorOfPosition(slider);
  } else if (step == "type") {
    s.state.palette.type = number();
  } else if (step == "factor-drag") {
    const int dx = number();
    const int dy = number();
    const FactorDragRatios ratios =
        FactorDragRatiosFor(s.view.pixelStep, s.view.defaultStep, 2000, 2000);
    s.sliderX = FactorDragPosition(s.sliderX, dx, ratios.kx, -2000, 2000);
    s.sliderY = FactorDragPosition(s.sliderY, -dy, ratios.ky, -2000, 2000);
    s.state.cx = FactorOfPosition(s.sliderX);
    s.state.cy = FactorOfPosition(s.sliderY);
  } else {
    return false;
  }
  return true;
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
  state.cx = FactorOfPosition(steered.sliderX);
  state.cy = FactorOfPosition(steered.sliderY);
  const std::vector<std::string> words(argv + 5, argv + argc);
  try {
    for (size_t at = 0; at < words.size();) {
      if (!Apply(steered, words, at)) {
        std::cerr << "live_reference: unknown step '" << words[at - 1] << "'\n";
        return 2;
      }
    }
  } catch (const std::runtime_error& error) {
    std::cerr << "live_reference: " << error.what() << '\n';
    return 2;
  }
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
      p[0] = entry.blue;
      p[1] = entry.green;
      p[2] = entry.red;
    }
  }
  const bool ok = WritePpm(argv[2], live) && WritePpm(argv[3], general) && WritePpm(argv[4], strip);
  return ok ? 0 : 1;
}
