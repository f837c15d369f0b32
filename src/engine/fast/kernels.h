#pragma once

#include <atomic>
#include <cstdint>

#include "simd_target.h"

namespace zirvanta::fast {

// A block of escape counts shared by every thread that works on it. Rows are cut into
// segments (runs of at most kSegmentWidth pixels of one row) that the threads claim one after
// another, so a thread that drew cheap pixels simply takes more of them.
struct CountJob {
  int64_t width = 0;
  int64_t rows = 0;
  const double* xs = nullptr;  // width column x values
  const double* ys = nullptr;  // rows row y values
  double cr = 0.0;
  double ci = 0.0;
  int limit = 0;                // at least 1 and at most 8190
  uint16_t* counts = nullptr;  // rows x width, row after row
  int64_t segmentWidth = 0;
  int64_t segmentsPerRow = 0;
  int64_t segmentCount = 0;
  std::atomic<int64_t>* nextSegment = nullptr;
  int participants = 1;  // threads working on the job
};

// Segments of wide rows are a multiple of every vector length, so only a row's last group of
// pixels can be partial.
inline constexpr int64_t kSegmentWidth = 256;

// What one thread needs besides the job: a queue of slow pixels that are carried on with
// (their state, steps taken and pixel index) and the list of segments it claimed. Owned by the
// renderer and sized before the job starts, so the kernels never allocate. A thread works only
// on its own queue: the queue is kept short (a full one is worked off before new segments are
// taken), and shorter still towards the end of a job, so that no thread is left with a long
// queue while the others have nothing to do.
struct CountScratch {
  double* queueZr = nullptr;
  double* queueZi = nullptr;
  int64_t* queueSteps = nullptr;
  int64_t* queuePixel = nullptr;
  int64_t queueCapacity = 0;  // at least kMinQueueCapacity
  int64_t* segments = nullptr;  // room for job.segmentCount entries
  int64_t segmentsClaimed = 0;  // filled in by the kernel
};

inline constexpr int64_t kMinQueueCapacity = 1024;

// The two colourers' rules: the live one (single-precision orbit, double-precision step,
// limit 254) and the export one (double precision, no fused multiply-add, the job's limit).
// Both compute job.counts for every pixel of the segments this thread claims, exactly as
// LiveEscapeCount and ExportEscapeCount would.
using CountFn = void (*)(const CountJob& job, CountScratch& scratch);

struct Kernels {
  CountFn live;
  CountFn exportCounts;
  CountFn exportCountsWithoutCycles;  // to measure what the cycle detection gains
};

const Kernels& KernelsFor(SimdTarget target);

// Maps a segment number to its row and columns.
inline void SegmentBounds(const CountJob& job, int64_t segment, int64_t& row, int64_t& first,
                          int64_t& end) {
  row = segment / job.segmentsPerRow;
  first = (segment % job.segmentsPerRow) * job.segmentWidth;
  end = first + job.segmentWidth < job.width ? first + job.segmentWidth : job.width;
}

}  // namespace zirvanta::fast
