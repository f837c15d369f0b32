#include "render.h"

#include <cstring>

#include "colourer.h"

namespace zirvanta {

void RenderPicturePlain(const PictureGeometry& geometry, const FractalState& state,
                        const Palette& palette, Bitmap& bitmap) {
  const int bytesPerPixel = bitmap.BytesPerPixel();
  float y = geometry.y0;
  for (int j = 0; j < geometry.height; ++j) {
    uint8_t* pixel = bitmap.Row(j);
    float x = geometry.x0;
    for (int i = 0; i < geometry.width; ++i) {
      const PaletteEntry& entry = PointColourer(x, y, state, palette);
      pixel[0] = entry.blue;
      pixel[1] = entry.green;
      pixel[2] = entry.red;
      pixel += bytesPerPixel;
      x = x + geometry.step;
    }
    y = y - geometry.step;
  }
}

void RenderCountsPlain(const PictureGeometry& geometry, const FractalState& state,
                       uint16_t* counts) {
  float y = geometry.y0;
  for (int j = 0; j < geometry.height; ++j) {
    float x = geometry.x0;
    for (int i = 0; i < geometry.width; ++i) {
      *counts++ = static_cast<uint16_t>(state.colourer(x, y, state));
      x = x + geometry.step;
    }
    y = y - geometry.step;
  }
}

ExportGeometry MakeExportGeometry(float centreX, float centreY, float viewWidth, int64_t width,
                                  int64_t height) {
  ExportGeometry geometry;
  geometry.width = width;
  geometry.height = height;
  geometry.centreColumn = width / 2;
  geometry.centreRow = height / 2;
  geometry.step = static_cast<float>(static_cast<long double>(viewWidth) / width);
  const long double step = geometry.step;
  geometry.x0 = static_cast<double>(centreX - geometry.centreColumn * step);
  geometry.y0 = static_cast<double>(centreY + geometry.centreRow * step);
  return geometry;
}

void RenderExportRowPlain(const ExportGeometry& geometry, double y, double cr, double ci,
                          int limit, const Palette& palette, uint8_t* row) {
  double x = geometry.x0;
  for (int64_t k = 0; k < geometry.width; ++k) {
    const PaletteEntry& entry = ExportColour(x, y, cr, ci, limit, palette);
    std::memcpy(row + 3 * k, &entry, 3);
    x = x + geometry.step;
  }
}

}  // namespace zirvanta
