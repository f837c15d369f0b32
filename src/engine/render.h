#pragma once

#include <cstdint>

#include "bitmap.h"
#include "fractal_state.h"
#include "palette.h"
#include "view.h"

namespace zirvanta {

// The plain one-thread passes: one colourer call per pixel, straight into the bitmap's rows.
// They are the reference that every faster path must match byte for byte.

// Renders a picture into a bitmap of the geometry's size (either pixel format); only the blue,
// green and red bytes of each pixel are written.
void RenderPicturePlain(const PictureGeometry& geometry, const FractalState& state,
                        const Palette& palette, Bitmap& bitmap);

// Fills a buffer of geometry.width x geometry.height escape counts, row after row.
void RenderCountsPlain(const PictureGeometry& geometry, const FractalState& state,
                       uint16_t* counts);

// The export's picture: double-precision coordinates from a single-precision step.
struct ExportGeometry {
  int64_t width = 0;
  int64_t height = 0;
  int64_t centreColumn = 0;  // trunc(W x 0.5)
  int64_t centreRow = 0;     // trunc(H x 0.5)
  float step = 0.0f;         // view width / W
  double x0 = 0.0;           // centre x - centreColumn x step, worked out in extended precision
  double y0 = 0.0;           // centre y + centreRow x step
};

ExportGeometry MakeExportGeometry(float centreX, float centreY, float viewWidth, int64_t width,
                                  int64_t height);

// Renders one row of the export into a Bgr24 row, one ExportColour call per pixel: x starts at
// x0 and grows by the step after each pixel. The caller runs y from y0 down by the step.
void RenderExportRowPlain(const ExportGeometry& geometry, double y, double cr, double ci,
                          int limit, const Palette& palette, uint8_t* row);

}  // namespace zirvanta
