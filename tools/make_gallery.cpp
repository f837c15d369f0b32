// Writes the sample gallery: a few fractals and palettes worth looking at, through the
// program's own file routines, into FOLDER/fractals and FOLDER/paletts. With --icon, writes the
// program's icon instead: a Julia set rendered by the engine, SIZE x SIZE pixels, as a PNG file.
#include <sys/stat.h>

#include <cerrno>
#include <iostream>
#include <string>

#include "engine/render.h"
#include "engine/view.h"
#include "export/png.h"
#include "files/fractal_file.h"

namespace {

struct GalleryFractal {
  const char* name;
  double cx, cy;
  float centreX, centreY, width;
  zirvanta::PaletteParams palette;
};

struct GalleryPalette {
  const char* name;
  zirvanta::PaletteParams palette;
};

// Palette parameters: type, R0, G0, B0, R1, G1, B1.
constexpr GalleryFractal kFractals[] = {
    {"startup", 0.402, 0.339, 0.0f, 0.0f, 5.0f, {1, 36, 16, 12, 26, 18, 8}},
    {"spiral", -0.8, 0.156, 0.0f, 0.0f, 3.6f, {2, 10, 40, 90, 6, 3, 2}},
    {"seahorse", -0.7269, 0.1889, 0.11f, 0.2f, 0.3f, {5, 100, 20, 60, 5, 2, 3}},
    {"rabbit", -0.123, 0.745, 0.0f, 0.0f, 3.2f, {3, 60, 80, 100, 4, 5, 7}},
    {"dendrite", 0.0, 1.0, 0.0f, 0.0f, 3.6f, {7, 90, 40, 10, 9, 7, 40}},
    {"siegel", -0.391, -0.587, 0.0f, 0.0f, 3.0f, {2, 50, 100, 70, 3, 5, 8}},
    {"dragon", 0.285, 0.01, 0.0f, 0.0f, 3.0f, {4, 0, 30, 60, 4, 12, 20}},
    {"lace", -0.70176, -0.3842, 0.0f, 0.0f, 3.2f, {6, 20, 0, 100, 30, 3, 22}},
};

constexpr GalleryPalette kPalettes[] = {
    {"default", {1, 36, 16, 12, 26, 18, 8}},
    {"embers", {4, 0, 30, 60, 4, 12, 20}},
    {"ocean", {2, 10, 40, 90, 6, 3, 2}},
    {"meadow", {3, 60, 80, 100, 4, 5, 7}},
    {"twilight", {5, 100, 20, 60, 5, 2, 3}},
    {"neon", {6, 20, 0, 100, 30, 3, 22}},
};

// The icon: the Douady rabbit, filling the square, in the start-up palette.
constexpr GalleryFractal kIcon = {
    "icon", -0.123, 0.745, 0.0f, 0.0f, 2.9f, {1, 36, 16, 12, 26, 18, 8}};

int WriteIcon(const std::string& sizeText, const std::string& path) {
  int size = 0;
  try {
    size = std::stoi(sizeText);
  } catch (const std::exception&) {
  }
  if (size < 16 || size > 1024) {
    std::cerr << "zirvanta-gallery: the icon's size must be 16 to 1024 pixels: " << sizeText
              << '\n';
    return 2;
  }
  zirvanta::FractalState state;
  state.cx = kIcon.cx;
  state.cy = kIcon.cy;
  state.palette = kIcon.palette;
  zirvanta::Palette palette;
  zirvanta::BuildPalette(state.palette, palette);
  zirvanta::Bitmap bitmap(size, size, zirvanta::PixelFormat::Bgr24);
  zirvanta::RenderPicturePlain(
      zirvanta::ScreenGeometry(kIcon.centreX, kIcon.centreY, kIcon.width, size, size), state,
      palette, bitmap);
  const zirvanta::WriteResult result = zirvanta::WritePng(path, bitmap);
  if (!result.ok()) {
    std::cerr << zirvanta::WriteFailureMessage(result) << '\n' << path << '\n';
    return 2;
  }
  return 0;
}

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--icon") return WriteIcon(argv[2], argv[3]);
  if (argc != 2) {
    std::cerr << "Usage: zirvanta-gallery FOLDER\n"
                 "       zirvanta-gallery --icon SIZE OUT.png\n";
    return 2;
  }
  const std::string folder = argv[1];
  const std::string fractals = folder + "/fractals";
  const std::string palettes = folder + "/paletts";
  if (!MakeFolder(folder) || !MakeFolder(fractals) || !MakeFolder(palettes)) {
    std::cerr << "zirvanta-gallery: cannot create the folders under " << folder << '\n';
    return 2;
  }
  for (const GalleryFractal& entry : kFractals) {
    zirvanta::FractalState state;
    state.cx = entry.cx;
    state.cy = entry.cy;
    state.centreX = entry.centreX;
    state.centreY = entry.centreY;
    state.viewWidth = entry.width;
    state.palette = entry.palette;
    const zirvanta::WriteResult result =
        zirvanta::WriteFractalFile(fractals + "/" + entry.name + ".frc", state);
    if (!result.ok()) {
      std::cerr << zirvanta::WriteFailureMessage(result) << '\n';
      return 2;
    }
  }
  for (const GalleryPalette& entry : kPalettes) {
    const zirvanta::WriteResult result =
        zirvanta::WritePaletteFile(palettes + "/" + entry.name + ".ptt", entry.palette);
    if (!result.ok()) {
      std::cerr << zirvanta::WriteFailureMessage(result) << '\n';
      return 2;
    }
  }
  return 0;
}
