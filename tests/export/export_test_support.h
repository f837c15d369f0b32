#pragma once

#include <cstring>
#include <string>

#include "../files/file_test_support.h"
#include "engine/bitmap.h"
#include "engine/colourer.h"
#include "engine/render.h"
#include "export/bmp.h"
#include "export/export_job.h"

namespace zirvanta::testing {

// The BMP file of a Bgr24 bitmap: the header, then the rows bottom-up, padded with zero bytes.
inline std::string BmpFile(const Bitmap& bitmap) {
  std::string file = BmpHeader(bitmap.Width(), bitmap.Height());
  const size_t pixelBytes = static_cast<size_t>(bitmap.Width()) * 3;
  for (int64_t row = bitmap.Height() - 1; row >= 0; --row) {
    file.append(reinterpret_cast<const char*>(bitmap.Row(row)), pixelBytes);
    file.append(bitmap.Stride() - pixelBytes, '\0');
  }
  return file;
}

// The file an export must write, by the plain sequential loop: x and y are running sums of the
// step, and each pixel is the ExportColour entry of its point.
inline std::string ExpectedExport(const ExportParams& p) {
  const ExportGeometry g = MakeExportGeometry(p.centreX, p.centreY, p.viewWidth, p.width, p.height);
  Bitmap bitmap(p.width, p.height, PixelFormat::Bgr24);
  double y = g.y0;
  for (int64_t row = 0; row < p.height; ++row, y -= g.step) {
    double x = g.x0;
    for (uint8_t* pixel = bitmap.Row(row); pixel < bitmap.Row(row) + 3 * p.width; pixel += 3) {
      std::memcpy(pixel, &ExportColour(x, y, p.cr, p.ci, p.limit, p.palette), 3);
      x += g.step;
    }
  }
  return BmpFile(bitmap);
}

}  // namespace zirvanta::testing
