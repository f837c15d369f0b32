#pragma once

#include <cstdint>

#include "bitmap.h"
#include "fractal_state.h"
#include "palette.h"
#include "render.h"
#include "thread_priority.h"

namespace zirvanta {

// What the export colours with: its own copies, taken when the export is prepared.
struct ExportInputs {
  double cr = 0.0;
  double ci = 0.0;
  int limit = 254;  // 254, 510, 1022, 2046, 4094 or 8190
  const Palette* palette = nullptr;
};

// A way of computing pictures. Every renderer gives exactly the bytes of the plain one.
// A renderer is used by one thread at a time.
class Renderer {
 public:
  virtual ~Renderer() = default;

  // A picture by the single-precision rule (live view, general view, full screen, previews,
  // slides) into a bitmap of the geometry's size; only blue, green and red are written.
  virtual void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                             const Palette& palette, Bitmap& bitmap) = 0;

  // Rows [firstRow, firstRow + rowCount) of an export into a Bgr24 bitmap of the geometry's
  // size. firstRowY is the y of firstRow as the running sum y0 - step - step ... gives it; the
  // rows below it continue that sum.
  virtual void RenderExportRows(const ExportGeometry& geometry, const ExportInputs& inputs,
                                int64_t firstRow, int64_t rowCount, double firstRowY,
                                Bitmap& bitmap) = 0;

  // The priority of the threads the renderer computes on besides the caller's.
  virtual void SetWorkerPriority(ThreadPriority) {}

  // At most this many threads, the caller included, compute the following pictures; 0 or less
  // takes every thread the renderer has. Safe to call from any thread.
  virtual void SetActiveThreads(int) {}
};

// The one-thread reference.
class PlainRenderer final : public Renderer {
 public:
  void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                     const Palette& palette, Bitmap& bitmap) override {
    RenderPicturePlain(geometry, state, palette, bitmap);
  }

  void RenderExportRows(const ExportGeometry& geometry, const ExportInputs& inputs,
                        int64_t firstRow, int64_t rowCount, double firstRowY,
                        Bitmap& bitmap) override {
    double y = firstRowY;
    for (int64_t row = firstRow; row < firstRow + rowCount; ++row) {
      RenderExportRowPlain(geometry, y, inputs.cr, inputs.ci, inputs.limit, *inputs.palette,
                           bitmap.Row(row));
      y = y - geometry.step;
    }
  }
};

}  // namespace zirvanta
