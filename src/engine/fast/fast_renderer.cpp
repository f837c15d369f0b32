#include "fast_renderer.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/colourer.h"
#include "kernels.h"
#include "worker_pool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zirvanta {
namespace {

using fast::CountJob;
using fast::CountScratch;

// Pictures this small are done by the calling thread alone: waking the workers costs more.
constexpr int64_t kPixelsWorthSharing = 4096;
// The live thread renders the live view and the general view on every pass, the full screen
// and the previews come in between: room for both views and one more.
constexpr int kStoredPictures = 3;

template <typename T>
auto BitsOf(T value) {
  if constexpr (sizeof(T) == 4) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
  } else {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return bits;
  }
}

// The rounding of the calling thread: the counts depend on it as much as on c.
uint32_t FloatingPointModes() {
  uint32_t modes = static_cast<uint32_t>(std::fegetround());
#if defined(__x86_64__) || defined(__i386__)
  // Denormals-are-zero, exception masks, rounding and flush-to-zero of the vector unit.
  modes |= (_mm_getcsr() & 0xFFC0u) << 16;
#endif
  return modes;
}

// What a picture's counts depend on, compared bit for bit (so a NaN centre still matches and
// -0 and +0 do not).
struct PictureKey {
  int width = 0;
  int height = 0;
  uint32_t x0 = 0, y0 = 0, step = 0;
  uint64_t cr = 0, ci = 0;
  uint32_t modes = 0;
  friend bool operator==(const PictureKey&, const PictureKey&) = default;
};

PictureKey KeyOf(const PictureGeometry& g, const FractalState& state) {
  return {g.width,          g.height,         BitsOf(g.x0),
          BitsOf(g.y0),     BitsOf(g.step),   BitsOf(state.cx),
          BitsOf(state.cy), FloatingPointModes()};
}

void ColourPixels(const uint16_t* counts, int64_t count, const PaletteEntry* palette,
                  uint8_t* pixel, int bytesPerPixel) {
  for (int64_t i = 0; i < count; ++i, pixel += bytesPerPixel) {
    std::memcpy(pixel, &palette[counts[i]], 3);
  }
}

void SplitIntoSegments(CountJob& job) {
  // Rows up to two segments wide stay whole; wider ones are cut so that the last pixels of a
  // picture are shared out finely.
  job.segmentWidth = job.width <= 2 * fast::kSegmentWidth ? job.width : fast::kSegmentWidth;
  job.segmentsPerRow = (job.width + job.segmentWidth - 1) / job.segmentWidth;
  job.segmentCount = job.segmentsPerRow * job.rows;
}

struct Participant {
  std::vector<double> queueZr, queueZi;
  std::vector<int64_t> queueSteps, queuePixel, segments;
  CountScratch scratch;

  void Prepare(int64_t segmentCount) {
    if (queueZr.empty()) {
      const size_t capacity = static_cast<size_t>(fast::kMinQueueCapacity);
      queueZr.resize(capacity);
      queueZi.resize(capacity);
      queueSteps.resize(capacity);
      queuePixel.resize(capacity);
    }
    if (segments.size() < static_cast<size_t>(segmentCount)) {
      segments.resize(static_cast<size_t>(segmentCount));
    }
    scratch = {queueZr.data(),    queueZi.data(),
               queueSteps.data(), queuePixel.data(),
               static_cast<int64_t>(queueZr.size()), segments.data(),
               0};
  }
};

// One counting job: each participant runs the kernel over the segments it claims, then
// colours those segments; its slow pixels are its own, so its segments are complete by then.
struct CountTask {
  const CountJob* job = nullptr;
  fast::CountFn kernel = nullptr;
  std::vector<Participant>* participants = nullptr;
  const PaletteEntry* palette = nullptr;
  Bitmap* bitmap = nullptr;
  int64_t firstBitmapRow = 0;
  std::fenv_t environment{};

  static void Run(void* context, int participant) {
    CountTask& task = *static_cast<CountTask*>(context);
    // Threads beyond the job's share sit this job out; the others claim every segment.
    if (participant >= task.job->participants) return;
    // The workers round as the calling thread does.
    if (participant != 0) std::fesetenv(&task.environment);
    CountScratch& scratch = (*task.participants)[static_cast<size_t>(participant)].scratch;
    task.kernel(*task.job, scratch);
    const CountJob& job = *task.job;
    const int bytesPerPixel = task.bitmap->BytesPerPixel();
    for (int64_t i = 0; i < scratch.segmentsClaimed; ++i) {
      int64_t row, first, end;
      fast::SegmentBounds(job, scratch.segments[i], row, first, end);
      ColourPixels(job.counts + row * job.width + first, end - first, task.palette,
                   task.bitmap->Row(task.firstBitmapRow + row) + first * bytesPerPixel,
                   bytesPerPixel);
    }
  }
};

// Rows handed out one at a time to whoever asks next.
struct RowTask {
  std::atomic<int64_t> nextRow{0};
  int64_t rows = 0;
  std::fenv_t environment{};
  virtual void DoRow(int64_t row) = 0;

  static void Run(void* context, int participant) {
    RowTask& task = *static_cast<RowTask*>(context);
    if (participant != 0) std::fesetenv(&task.environment);
    for (int64_t row = task.nextRow.fetch_add(1, std::memory_order_relaxed); row < task.rows;
         row = task.nextRow.fetch_add(1, std::memory_order_relaxed)) {
      task.DoRow(row);
    }
  }

 protected:
  ~RowTask() = default;
};

}  // namespace

class FastRenderer::Impl {
 public:
  Impl(int threadCount, std::optional<fast::SimdTarget> target, bool cycleDetection)
      : target_(target && fast::SimdTargetAvailable(*target) ? *target : fast::BestSimdTarget()),
        kernels_(fast::KernelsFor(target_)),
        exportKernel_(cycleDetection ? kernels_.exportCounts : kernels_.exportCountsWithoutCycles),
        pool_(ThreadsFor(threadCount) - 1),
        participants_(static_cast<size_t>(pool_.Participants())) {}

  void RenderPicture(const PictureGeometry& g, const FractalState& state, const Palette& palette,
                     Bitmap& bitmap) {
    if (g.width <= 0 || g.height <= 0) return;
    if (bitmap.Width() < g.width || bitmap.Height() < g.height) {
      throw std::invalid_argument("the bitmap is smaller than the picture");
    }
    if (state.colourer != &ZSquaredPlusCColourer) {
      // Another colourer may read anything of the state: computed pixel by pixel, never stored.
      RenderWithColourer(g, state, palette, bitmap);
      ++stats_.picturesComputed;
      return;
    }

    const PictureKey key = KeyOf(g, state);
    const int64_t pixels = static_cast<int64_t>(g.width) * g.height;
    for (StoredPicture& stored : stored_) {
      if (stored.valid && stored.key == key) {
        stored.lastUse = ++clock_;
        Recolour(stored.counts.data(), g.width, g.height, palette, bitmap);
        ++stats_.picturesRecoloured;
        return;
      }
    }

    StoredPicture& slot = *std::min_element(
        std::begin(stored_), std::end(stored_), [](const StoredPicture& a, const StoredPicture& b) {
          return a.valid != b.valid ? !a.valid : a.lastUse < b.lastUse;
        });
    slot.valid = false;
    slot.counts.resize(static_cast<size_t>(pixels));

    xs_.resize(static_cast<size_t>(g.width));
    ys_.resize(static_cast<size_t>(g.height));
    float x = g.x0;
    for (double& value : xs_) {
      value = x;
      x = x + g.step;
    }
    float y = g.y0;
    for (double& value : ys_) {
      value = y;
      y = y - g.step;
    }

    CountJob job;
    job.width = g.width;
    job.rows = g.height;
    job.xs = xs_.data();
    job.ys = ys_.data();
    job.cr = state.cx;
    job.ci = state.cy;
    job.limit = kLiveIterationLimit;
    job.counts = slot.counts.data();
    RunCounts(job, kernels_.live, palette.entries.data(), bitmap, 0);

    slot.key = key;
    slot.valid = true;
    slot.lastUse = ++clock_;
    ++stats_.picturesComputed;
  }

  void RenderExportRows(const ExportGeometry& g, const ExportInputs& inputs, int64_t firstRow,
                        int64_t rowCount, double firstRowY, Bitmap& bitmap) {
    if (rowCount <= 0 || g.width <= 0) return;
    if (bitmap.Format() != PixelFormat::Bgr24 || bitmap.Width() != g.width || firstRow < 0 ||
        firstRow > bitmap.Height() - rowCount || inputs.palette == nullptr) {
      throw std::invalid_argument("the export rows do not fit the bitmap");
    }
    const int limit = std::min(inputs.limit, kMaxExportIterationLimit);
    const PaletteEntry* palette = inputs.palette->entries.data();
    if (limit < 1) {
      // The limit test comes first: every point counts as inside.
      for (int64_t row = firstRow; row < firstRow + rowCount; ++row) {
        uint8_t* pixel = bitmap.Row(row);
        for (int64_t k = 0; k < g.width; ++k) std::memcpy(pixel + 3 * k, &palette[0], 3);
      }
      return;
    }

    if (exportXsWidth_ != g.width || exportXsStart_ != BitsOf(g.x0) ||
        exportXsStep_ != BitsOf(g.step)) {
      exportXsWidth_ = 0;
      exportXs_.resize(static_cast<size_t>(g.width));
      double x = g.x0;
      for (double& value : exportXs_) {
        value = x;
        x = x + g.step;
      }
      exportXsWidth_ = g.width;
      exportXsStart_ = BitsOf(g.x0);
      exportXsStep_ = BitsOf(g.step);
    }
    ys_.resize(static_cast<size_t>(rowCount));
    double y = firstRowY;
    for (double& value : ys_) {
      value = y;
      y = y - g.step;
    }
    exportCounts_.resize(static_cast<size_t>(rowCount * g.width));

    CountJob job;
    job.width = g.width;
    job.rows = rowCount;
    job.xs = exportXs_.data();
    job.ys = ys_.data();
    job.cr = inputs.cr;
    job.ci = inputs.ci;
    job.limit = limit;
    job.counts = exportCounts_.data();
    RunCounts(job, exportKernel_, palette, bitmap, firstRow);
  }

  void SetWorkerPriority(ThreadPriority priority) { pool_.SetPriority(priority); }
  void SetActiveThreads(int count) { activeThreads_.store(count, std::memory_order_relaxed); }
  int ThreadCount() const { return pool_.Participants(); }
  fast::SimdTarget Target() const { return target_; }
  Statistics Stats() const { return stats_; }
  void ForgetStoredPictures() {
    for (StoredPicture& stored : stored_) stored.valid = false;
  }
  std::vector<int> WorkerThreadIds() const { return pool_.ThreadIds(); }

 private:
  struct StoredPicture {
    PictureKey key;
    bool valid = false;
    uint64_t lastUse = 0;
    std::vector<uint16_t> counts;
  };

  static int ThreadsFor(int requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
  }

  bool Shared(int64_t pixels) const { return pixels >= kPixelsWorthSharing; }

  void RunCounts(CountJob& job, fast::CountFn kernel, const PaletteEntry* palette,
                 Bitmap& bitmap, int64_t firstBitmapRow) {
    SplitIntoSegments(job);
    std::atomic<int64_t> nextSegment{0};
    job.nextSegment = &nextSegment;
    const bool shared = Shared(job.width * job.rows);
    const int active = activeThreads_.load(std::memory_order_relaxed);
    job.participants =
        shared ? (active > 0 ? std::min(active, pool_.Participants()) : pool_.Participants()) : 1;
    for (Participant& participant : participants_) participant.Prepare(job.segmentCount);
    CountTask task;
    task.job = &job;
    task.kernel = kernel;
    task.participants = &participants_;
    task.palette = palette;
    task.bitmap = &bitmap;
    task.firstBitmapRow = firstBitmapRow;
    std::fegetenv(&task.environment);
    if (shared) {
      pool_.Run(&CountTask::Run, &task);
    } else {
      CountTask::Run(&task, 0);
    }
  }

  void Recolour(const uint16_t* counts, int width, int height, const Palette& palette,
                Bitmap& bitmap) {
    struct Task final : RowTask {
      const uint16_t* counts;
      int width;
      const PaletteEntry* palette;
      Bitmap* bitmap;
      void DoRow(int64_t row) override {
        ColourPixels(counts + row * width, width, palette, bitmap->Row(row),
                     bitmap->BytesPerPixel());
      }
    } task;
    task.rows = height;
    task.counts = counts;
    task.width = width;
    task.palette = palette.entries.data();
    task.bitmap = &bitmap;
    RunRows(task, static_cast<int64_t>(width) * height);
  }

  void RenderWithColourer(const PictureGeometry& g, const FractalState& state,
                          const Palette& palette, Bitmap& bitmap) {
    struct Task final : RowTask {
      const PictureGeometry* g;
      const FractalState* state;
      const Palette* palette;
      Bitmap* bitmap;
      const float* ys;
      void DoRow(int64_t row) override {
        const int bytesPerPixel = bitmap->BytesPerPixel();
        uint8_t* pixel = bitmap->Row(row);
        const float y = ys[row];
        float x = g->x0;
        for (int i = 0; i < g->width; ++i, pixel += bytesPerPixel) {
          std::memcpy(pixel, &PointColourer(x, y, *state, *palette), 3);
          x = x + g->step;
        }
      }
    } task;
    rowYs_.resize(static_cast<size_t>(g.height));
    float y = g.y0;
    for (float& value : rowYs_) {
      value = y;
      y = y - g.step;
    }
    task.rows = g.height;
    task.g = &g;
    task.state = &state;
    task.palette = &palette;
    task.bitmap = &bitmap;
    task.ys = rowYs_.data();
    RunRows(task, static_cast<int64_t>(g.width) * g.height);
  }

  void RunRows(RowTask& task, int64_t pixels) {
    std::fegetenv(&task.environment);
    if (Shared(pixels)) {
      pool_.Run(&RowTask::Run, &task);
    } else {
      RowTask::Run(&task, 0);
    }
  }

  fast::SimdTarget target_;
  const fast::Kernels& kernels_;
  fast::CountFn exportKernel_;
  fast::WorkerPool pool_;
  std::vector<Participant> participants_;
  std::vector<double> xs_, ys_;
  std::vector<float> rowYs_;
  std::vector<double> exportXs_;
  int64_t exportXsWidth_ = 0;
  uint64_t exportXsStart_ = 0;
  uint32_t exportXsStep_ = 0;
  std::vector<uint16_t> exportCounts_;
  StoredPicture stored_[kStoredPictures];
  uint64_t clock_ = 0;
  Statistics stats_;
  std::atomic<int> activeThreads_{0};
};

FastRenderer::FastRenderer(int threadCount, std::optional<fast::SimdTarget> target,
                           bool cycleDetection)
    : impl_(std::make_unique<Impl>(threadCount, target, cycleDetection)) {}

FastRenderer::~FastRenderer() = default;

void FastRenderer::RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                                 const Palette& palette, Bitmap& bitmap) {
  impl_->RenderPicture(geometry, state, palette, bitmap);
}

void FastRenderer::RenderExportRows(const ExportGeometry& geometry, const ExportInputs& inputs,
                                    int64_t firstRow, int64_t rowCount, double firstRowY,
                                    Bitmap& bitmap) {
  impl_->RenderExportRows(geometry, inputs, firstRow, rowCount, firstRowY, bitmap);
}

void FastRenderer::SetWorkerPriority(ThreadPriority priority) {
  impl_->SetWorkerPriority(priority);
}

void FastRenderer::SetActiveThreads(int count) { impl_->SetActiveThreads(count); }

int FastRenderer::ThreadCount() const { return impl_->ThreadCount(); }
fast::SimdTarget FastRenderer::Target() const { return impl_->Target(); }
FastRenderer::Statistics FastRenderer::Stats() const { return impl_->Stats(); }
void FastRenderer::ForgetStoredPictures() { impl_->ForgetStoredPictures(); }
std::vector<int> FastRenderer::WorkerThreadIds() const { return impl_->WorkerThreadIds(); }

}  // namespace zirvanta
