// Writes the sample gallery: a few fractals and palettes worth looking at, through the
// program's own file routines, into FOLDER/fractals and FOLDER/paletts.
#include <sys/stat.h>

#include <cerrno>
#include <iostream>
#include <string>

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

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: zirvanta-gallery FOLDER\n";
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
