#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/renderer.h"
#include "simd_target.h"

namespace zirvanta {

// The renderer for real work: the escape-time kernels of the best instruction set the
// processor has, on every core, giving exactly the bytes of the plain renderer.
//
// It keeps the escape counts of its last few pictures with what made them (geometry, c and
// the colourer): a request that differs from one of them only in the palette is answered by
// colouring the stored counts again.
class FastRenderer final : public Renderer {
 public:
  struct Statistics {
    uint64_t picturesComputed = 0;    // pictures whose counts were worked out
    uint64_t picturesRecoloured = 0;  // pictures coloured from stored counts
  };

  // threadCount 0 takes one thread per hardware thread; the calling thread is one of them,
  // the others are started here and live as long as the renderer. A target the processor
  // lacks falls back to the best one it has. Without cycle detection the export runs every
  // inside point to the limit (the pictures are the same; only for measuring). Throws
  // std::system_error when a thread cannot be created.
  explicit FastRenderer(int threadCount = 0, std::optional<fast::SimdTarget> target = std::nullopt,
                        bool cycleDetection = true);
  ~FastRenderer() override;

  FastRenderer(const FastRenderer&) = delete;
  FastRenderer& operator=(const FastRenderer&) = delete;

  // The bitmap must be at least the geometry's size (std::invalid_argument otherwise).
  void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                     const Palette& palette, Bitmap& bitmap) override;

  // The bitmap must be a Bgr24 bitmap of the geometry's width holding the rows (otherwise
  // std::invalid_argument). A limit past the last palette entry is taken as 8190.
  void RenderExportRows(const ExportGeometry& geometry, const ExportInputs& inputs,
                        int64_t firstRow, int64_t rowCount, double firstRowY,
                        Bitmap& bitmap) override;

  // Safe to call from any thread, also while a picture is being computed.
  void SetWorkerPriority(ThreadPriority priority) override;
  // Safe to call from any thread; the next picture or block of rows takes it up.
  void SetActiveThreads(int count) override;

  int ThreadCount() const;
  fast::SimdTarget Target() const;
  Statistics Stats() const;
  // Drops the stored counts: the next picture is computed whatever it asks for.
  void ForgetStoredPictures();
  // Kernel thread ids of the worker threads (the calling thread is not among them).
  std::vector<int> WorkerThreadIds() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zirvanta
