#include "engine/fast/fast_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <random>
#include <thread>

#include <sys/resource.h>

#include "engine/colourer.h"
#include "engine/fast/worker_pool.h"
#include "engine/render.h"

// Counts allocations on any thread while switched on. (GCC takes malloc and free for a mismatch.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> countAllocations{false};
std::atomic<int> allocations{0};
}  // namespace

void* operator new(size_t size) {
  if (countAllocations.load(std::memory_order_relaxed)) allocations.fetch_add(1);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace zirvanta {
namespace {

using Renderers = std::vector<std::unique_ptr<FastRenderer>>;

// Entries that all differ, so that every count shows in the bytes: blue + 256 x green.
const Palette kCounts = [] {
  Palette palette;
  for (int n = 0; n < kPaletteSize; ++n) palette[n] = {uint8_t(n), uint8_t(n >> 8), 0};
  return palette;
}();

// Two threads on each instruction set the processor has, with and without cycle detection.
Renderers OnEveryTarget() {
  Renderers renderers;
  for (bool cycles : {true, false})
    for (fast::SimdTarget target : fast::AvailableSimdTargets())
      renderers.push_back(std::make_unique<FastRenderer>(2, target, cycles));
  return renderers;
}

// Renders with the plain renderer and with each fast one: the first target that differs, or "".
template <typename Render>
std::string Mismatch(const Renderers& renderers, Bitmap blank, Render render) {
  std::memset(blank.Data(), 0x5A, blank.SizeInBytes());  // fourth bytes stay as they are
  PlainRenderer plain;
  Bitmap expected = blank;
  render(plain, expected);
  for (const auto& renderer : renderers) {
    Bitmap actual = blank;
    render(*renderer, actual);
    if (!(actual == expected)) return std::string(fast::SimdTargetName(renderer->Target()));
  }
  return "";
}

std::string PictureMismatch(const Renderers& renderers, const PictureGeometry& g,
                            const FractalState& state, const Palette& palette = kCounts,
                            PixelFormat format = PixelFormat::Bgrx32) {
  return Mismatch(renderers, Bitmap(g.width, g.height, format),
                  [&](Renderer& r, Bitmap& b) { r.RenderPicture(g, state, palette, b); });
}

// The export as the job runs it: blocks of rows, each starting from the running y.
void RenderExport(Renderer& renderer, const ExportGeometry& g, const ExportInputs& inputs,
                  Bitmap& bitmap, const std::vector<int64_t>& blocks = {21}) {
  double y = g.y0;
  for (int64_t first = 0, i = 0, count; first < g.height; first += count, ++i) {
    count = std::min(blocks[size_t(i) % blocks.size()], g.height - first);
    renderer.RenderExportRows(g, inputs, first, count, y, bitmap);
    for (int64_t r = 0; r < count; ++r) y = y - g.step;
  }
}

std::string ExportMismatch(const Renderers& renderers, const ExportGeometry& g,
                           const ExportInputs& inputs, const std::vector<int64_t>& blocks) {
  return Mismatch(renderers, Bitmap(g.width, g.height, PixelFormat::Bgr24),
                  [&](Renderer& r, Bitmap& b) { RenderExport(r, g, inputs, b, blocks); });
}

struct Random {
  std::mt19937_64 engine;
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine); }
  double Real(double lo, double hi) { return std::uniform_real_distribution(lo, hi)(engine); }
  // The usual value, or once in `oneIn` draws one of the rare ones.
  template <typename T>
  T Or(T usual, std::initializer_list<T> rare, int oneIn) {
    return Int(1, oneIn) > 1 ? usual : rare.begin()[Int(0, int(rare.size()) - 1)];
  }
  // Mostly c near the edge of the main cardioid or of the period-2 disc, where orbits are long
  // or settle on cycles and every rounding shows; now and then anything at all.
  std::pair<double, double> C() {
    const double a = Real(0.0, 2 * std::numbers::pi), r = Real(0.95, 1.02);
    switch (Int(0, 3)) {
      case 0: case 1: return {r * (std::cos(a) / 2 - std::cos(2 * a) / 4),
                              r * (std::sin(a) / 2 - std::sin(2 * a) / 4)};
      case 2: return {-1 + r * std::cos(a) / 4, r * std::sin(a) / 4};
      default: return {AnyC(), AnyC()};
    }
  }
  double AnyC() { return Or<double>(Real(-2, 2), {NAN, 1e300, INFINITY, -INFINITY, 0, -2}, 5); }
  float Centre() { return Or(float(Real(-1.2, 1.2)), {NAN, 1e30f, -3e38f, 1e-40f, -0.0f}, 20); }
  // Down to a millionth of the start-up width, and now and then no usable width at all.
  float Width() { return Or(float(std::pow(10, Real(-6, 0.7))), {0.f, -5.f, 1e30f, INFINITY}, 25); }
  // Single pixels, rows shorter than a vector or one past a multiple of it, and pictures big
  // enough to be shared out among the threads.
  std::pair<int, int> Size() {
    switch (Int(0, 9)) {
      case 0: return {1, 1};
      case 1: return {Int(1, 3), Int(1, 40)};
      case 2: return {8 * Int(1, 6) + 1, Int(1, 9)};
      case 3: return {Int(60, 110), Int(45, 70)};
      default: return {Int(1, 70), Int(1, 40)};
    }
  }
};

TEST(FastRenderer, RandomPicturesAndExportsMatchThePlainPassOnEveryTarget) {
  const Renderers renderers = OnEveryTarget();
  Random random{std::mt19937_64(20240611)};
  for (int round = 0; round < 300; ++round) {
    // The live views of the start-up fractal and of c = -0.8 + 0.156i, whose orbits settle on
    // cycles, first; then now and then a live view anywhere, else pictures of any size.
    FractalState state;
    if (round == 1) std::tie(state.cx, state.cy) = std::pair(-0.8, 0.156);
    if (round > 1) std::tie(state.cx, state.cy) = random.C();
    const auto [width, height] = random.Size();
    const PictureGeometry g =
        round < 2 ? LiveGeometry(0.0f, 0.0f, DefaultPixelStep())
        : round % 25 == 0
            ? LiveGeometry(random.Centre(), random.Centre(), PixelStepForWidth(random.Width()))
            : ScreenGeometry(random.Centre(), random.Centre(), random.Width(), width, height);
    const PixelFormat format = random.Int(0, 1) ? PixelFormat::Bgrx32 : PixelFormat::Bgr24;
    ASSERT_EQ(PictureMismatch(renderers, g, state, kCounts, format), "") << "round " << round;
    if (round % 5 > 1) continue;
    // An export of the same c, cut into blocks of rows as the progress cuts them.
    const ExportGeometry e = MakeExportGeometry(random.Centre(), random.Centre(), random.Width(),
                                                std::min(width, 48), std::min(height, 30));
    const int limit = random.Or(254, {1, 2, 7, 510, 1022, 2046, 4094, 8190}, 2);
    ASSERT_EQ(ExportMismatch(renderers, e, {state.cx, state.cy, limit, &kCounts},
                             {random.Int(1, 21), 21, random.Int(1, 5)}), "")
        << "round " << round << ", limit " << limit;
  }
}

TEST(FastRenderer, ExportsOfLongOrbitsAndCyclesMatchThePlainRowsOnEveryTarget) {
  const Renderers renderers = OnEveryTarget();
  const struct { double cr, ci; std::vector<int> limits; } cases[] = {
      {0.402, 0.339, {8190, 0, -5}},  // start-up: a 10-cycle reached after ~4600 steps
      {-1.0, 0.0, {8190}},            // 0 -> -1 -> 0: a cycle at once
      {-0.12, 0.75, {8190}},          // a 3-cycle
      {0.249999, 0.0, {8190}},        // just inside the cusp: orbits crawl to a fixed point
      // Just past it they crawl past 1/2 for thousands of steps: each limit must cut exactly at
      // its own step, an escape one step later counting as inside.
      {0.250001, 0.0, {8190, 1, 2, 3, 8, 9, 15, 16, 17, 31, 32, 33, 100, 255, 1000, 3001}},
  };
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 2.0f, 24, 18);
  for (const auto& c : cases)
    for (int limit : c.limits)
      ASSERT_EQ(ExportMismatch(renderers, e, {c.cr, c.ci, limit, &kCounts}, {4}), "")
          << c.cr << ", limit " << limit;
}

// At a deep zoom the running sum of the step drifts from x0 + k x step by whole ulps. A c set so
// that the escape threshold falls between the two makes the last pixel tell which one was used.
TEST(FastRenderer, ExportColumnsAreTheRunningSumOfTheStep) {
  const ExportGeometry e = MakeExportGeometry(1.5f, 0.0f, 1e-9f, 2000, 1);
  double running = e.x0;
  for (int64_t k = 1; k < e.width; ++k) running = running + e.step;
  const double direct = e.x0 + double(e.width - 1) * e.step;
  ASSERT_NE(running, direct);
  const double cr = 2.0 - std::max(running, direct) * std::max(running, direct);
  ASSERT_NE(ExportEscapeCount(running, 0.0, cr, 0.0, 254),
            ExportEscapeCount(direct, 0.0, cr, 0.0, 254));
  EXPECT_EQ(ExportMismatch(OnEveryTarget(), e, {cr, 0.0, 254, &kCounts}, {1}), "");
}

TEST(FastRenderer, WorkersRoundAsTheCallingThreadDoesAndStoredCountsKeepTheirMode) {
  const Renderers renderers = OnEveryTarget();
  FractalState state;
  std::tie(state.cx, state.cy) = std::pair(-0.7269, 0.1889);
  // Both big enough to be shared out among the threads.
  const PictureGeometry g = ScreenGeometry(0.11f, 0.2f, 0.3f, 160, 90);
  const ExportGeometry e = MakeExportGeometry(0.11f, 0.2f, 0.3f, 96, 72);
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    // The same picture each time: counts stored in another mode must not answer it.
    const std::string differences =
        PictureMismatch(renderers, g, state) +
        ExportMismatch(renderers, e, {state.cx, state.cy, 2046, &kCounts}, {72});
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(differences, "") << "mode " << mode;
  }
}

TEST(FastRenderer, OnlyAChangedPaletteIsAnsweredFromTheStoredCounts) {
  Renderers one;
  one.push_back(std::make_unique<FastRenderer>(2));
  FractalState state;
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  Palette other = kCounts;
  // A pass renders both views: both are recoloured when only the palette changed, in either
  // layout of the pixels.
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) for (PaletteEntry& entry : other.entries) entry.red = 77;
    EXPECT_EQ(PictureMismatch(one, live, state, other), "");
    EXPECT_EQ(PictureMismatch(one, GeneralGeometry(GeneralViewStep()), state, other,
                              PixelFormat::Bgr24), "");
  }
  // c or the view changed by the least amount, or the stored counts dropped: computed again.
  state.cy = std::nextafter(state.cy, 1.0);
  PictureGeometry moved = live;
  moved.x0 = std::nextafter(moved.x0, 1.0f);
  EXPECT_EQ(PictureMismatch(one, live, state) + PictureMismatch(one, moved, state, other), "");
  one[0]->ForgetStoredPictures();
  EXPECT_EQ(PictureMismatch(one, moved, state), "");
  const FastRenderer::Statistics stats = one[0]->Stats();
  EXPECT_EQ(std::pair(stats.picturesComputed, stats.picturesRecoloured), std::pair(5ul, 2ul));
}

TEST(FastRenderer, PassesAllocateNothingOnceWarmedUp) {
  FastRenderer renderer(2);
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 640, 480);
  Bitmap liveBitmap(530, 409, PixelFormat::Bgrx32), generalBitmap(81, 65, PixelFormat::Bgrx32),
      rows(640, 480, PixelFormat::Bgr24);
  FractalState state;
  for (int n = 0; n < 16; ++n) {
    countAllocations = n >= 8;
    state.cx = 0.402 + n * 1e-6;  // a new c each pass: the counts are computed, not recoloured
    renderer.RenderPicture(live, state, kCounts, liveBitmap);
    renderer.RenderPicture(general, state, kCounts, generalBitmap);
    renderer.RenderExportRows(e, {state.cx, 0.339, 1022, &kCounts}, 21 * n, 21, 0.5, rows);
  }
  countAllocations = false;
  EXPECT_EQ(std::pair(allocations.load(), renderer.Stats().picturesComputed), std::pair(0, 32ul));
}

TEST(FastRenderer, RequestsOutsideTheRulesAreRefusedOrBounded) {
  FastRenderer renderer(2);
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 20, 10);
  const ExportInputs inputs{0.2500001, 0.0, 8190, &kCounts};  // (0, 0) escapes on step 9933
  Bitmap narrow(19, 10, PixelFormat::Bgrx32), wide(20, 10, PixelFormat::Bgrx32);
  Bitmap rows(20, 10, PixelFormat::Bgr24), deeper(20, 10, PixelFormat::Bgr24);
  EXPECT_THROW(renderer.RenderPicture(ScreenGeometry(0, 0, 5, 20, 10), {}, kCounts, narrow),
               std::invalid_argument);
  EXPECT_THROW(renderer.RenderExportRows(e, inputs, 5, 6, e.y0, rows), std::invalid_argument);
  EXPECT_THROW(renderer.RenderExportRows(e, inputs, 0, 2, e.y0, wide), std::invalid_argument);
  // Entries past 8190 do not exist: a deeper limit works as 8190.
  RenderExport(renderer, e, inputs, rows);
  RenderExport(renderer, e, {0.2500001, 0.0, 100000, &kCounts}, deeper);
  EXPECT_TRUE(rows == deeper);
}

TEST(FastRenderer, TheBestTargetByDefaultAndTheWorkersAtTheChosenPriority) {
  const std::vector<fast::SimdTarget> targets = fast::AvailableSimdTargets();
  EXPECT_EQ(std::tuple(targets.front(), targets.back(), FastRenderer().Target()),
            std::tuple(fast::SimdTarget::Portable, fast::BestSimdTarget(), fast::BestSimdTarget()));
  for (int round = 0; round < 50; ++round) fast::WorkerPool idle(round % 4);  // stops unused
  FastRenderer renderer(3);
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 300, 200);
  Bitmap bitmap(300, 200, PixelFormat::Bgr24);
  const int callerNice = getpriority(PRIO_PROCESS, 0);
  std::thread job([&] { RenderExport(renderer, e, {0.4, 0.3, 2046, &kCounts}, bitmap, {200}); });
  // Also while the workers compute. Raising the nice value is always allowed.
  renderer.SetWorkerPriority(ThreadPriority::Idle);
  job.join();
  ASSERT_EQ(renderer.WorkerThreadIds().size(), 2u);
  for (int id : renderer.WorkerThreadIds()) EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(id)), 19);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), callerNice) << "the calling thread is left as it was";
}

}  // namespace
}  // namespace zirvanta
