#include "engine/fast/fast_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <new>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include "engine/colourer.h"
#include "engine/render.h"
#include "engine/view.h"

// Counts the allocations made while counting is switched on, on any thread. (GCC takes the
// malloc and free below for a mismatch with the library's operator new.)
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

using fast::SimdTarget;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Palette Build(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

// The first differing byte of two bitmaps, or an empty string.
std::string FirstDifference(const Bitmap& expected, const Bitmap& actual) {
  if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) return "size";
  for (int64_t row = 0; row < expected.Height(); ++row) {
    const uint8_t* a = expected.Row(row);
    const uint8_t* b = actual.Row(row);
    for (size_t i = 0; i < expected.Stride(); ++i) {
      if (a[i] != b[i]) {
        std::ostringstream text;
        text << "row " << row << " byte " << i << ": " << int(a[i]) << " != " << int(b[i]);
        return text.str();
      }
    }
  }
  return "";
}

// One renderer per instruction set the processor has, two threads each.
std::vector<std::unique_ptr<FastRenderer>> RenderersForEveryTarget(bool cycleDetection = true) {
  std::vector<std::unique_ptr<FastRenderer>> renderers;
  for (SimdTarget target : fast::AvailableSimdTargets()) {
    renderers.push_back(std::make_unique<FastRenderer>(2, target, cycleDetection));
  }
  return renderers;
}

std::string Describe(const FastRenderer& renderer) {
  return std::string(fast::SimdTargetName(renderer.Target()));
}

class RandomStates {
 public:
  explicit RandomStates(uint64_t seed) : random_(seed) {}

  // Mostly c near the edge of the Mandelbrot set, where orbits are long and every rounding
  // shows in the picture; now and then anything at all.
  void CPair(double& cr, double& ci) {
    const double angle = Uniform(0.0, 2 * std::acos(-1.0));
    const double scale = Uniform(0.95, 1.02);
    switch (Int(0, 9)) {
      case 0: case 1: case 2: case 3:  // the main cardioid
        cr = scale * (std::cos(angle) / 2 - std::cos(2 * angle) / 4);
        ci = scale * (std::sin(angle) / 2 - std::sin(2 * angle) / 4);
        return;
      case 4:  // the disc of period 2
        cr = -1 + scale * std::cos(angle) / 4;
        ci = scale * std::sin(angle) / 4;
        return;
      default:
        cr = C();
        ci = C();
    }
  }

  double C() {
    const int kind = Int(0, 99);
    if (kind < 3) return kNaN;
    if (kind < 6) return Pick({1e300, -1e300, 1e30, kInf, -kInf});
    if (kind < 20) return Pick({0.402, 0.339, -0.8, 0.156, -1.0, 0.0, -2.0, 0.25, -0.7269, 0.1889});
    return Uniform(-2.0, 2.0);
  }
  float Centre() {
    const int kind = Int(0, 99);
    if (kind < 3) return std::numeric_limits<float>::quiet_NaN();
    if (kind < 6) return Pick({1e30f, -3e38f, 1e-40f, -0.0f});
    return static_cast<float>(Uniform(-1.2, 1.2));
  }
  float Width() {
    const int kind = Int(0, 99);
    if (kind < 2) return 0.0f;
    if (kind < 4) return Pick({-5.0f, 1e30f, std::numeric_limits<float>::infinity()});
    return static_cast<float>(std::pow(10.0, Uniform(-6.0, std::log10(5.0))));
  }
  PaletteParams Palette() {
    PaletteParams params{Int(0, 9), Int(0, 100), Int(0, 100), Int(0, 100),
                         Int(0, 40), Int(0, 40),  Int(0, 40)};
    if (Int(0, 9) == 0) params.r0 = Int(-300, 300);
    return params;
  }
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  double Uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random_);
  }
  template <typename T>
  T Pick(std::initializer_list<T> values) {
    return *(values.begin() + Int(0, static_cast<int>(values.size()) - 1));
  }

 private:
  std::mt19937_64 random_;
};

// Picture sizes that catch lane and segment edges: single pixels, rows shorter than a vector,
// widths one past a multiple of the vector length, and a few big enough to be shared out.
void PictureSize(RandomStates& random, int& width, int& height) {
  switch (random.Int(0, 9)) {
    case 0: width = 1; height = 1; return;
    case 1: width = random.Int(1, 3); height = random.Int(1, 40); return;
    case 2: width = 8 * random.Int(1, 6) + 1; height = random.Int(1, 9); return;
    case 3: width = random.Int(60, 110); height = random.Int(45, 70); return;
    default: width = random.Int(1, 70); height = random.Int(1, 40); return;
  }
}

std::string Describe(const FractalState& state, const PictureGeometry& g) {
  std::ostringstream text;
  text.precision(17);
  text << "c = " << state.cx << " + " << state.cy << "i, " << g.width << " x " << g.height
       << ", x0 " << g.x0 << ", y0 " << g.y0 << ", step " << g.step;
  return text.str();
}

TEST(FastRenderer, RandomPicturesMatchThePlainPassOnEveryTarget) {
  auto renderers = RenderersForEveryTarget();
  RandomStates random(20240611);
  for (int round = 0; round < 300; ++round) {
    FractalState state;
    random.CPair(state.cx, state.cy);
    state.palette = random.Palette();
    const Palette palette = Build(state.palette);
    int width, height;
    PictureSize(random, width, height);
    const PictureGeometry g =
        round % 25 == 0 ? LiveGeometry(random.Centre(), random.Centre(), PixelStepForWidth(random.Width()))
                        : ScreenGeometry(random.Centre(), random.Centre(), random.Width(), width, height);
    const PixelFormat format = random.Int(0, 1) ? PixelFormat::Bgrx32 : PixelFormat::Bgr24;

    Bitmap expected(g.width, g.height, format);
    std::memset(expected.Data(), 0x5A, expected.SizeInBytes());  // the fourth byte stays as it is
    RenderPicturePlain(g, state, palette, expected);
    for (auto& renderer : renderers) {
      Bitmap actual(g.width, g.height, format);
      std::memset(actual.Data(), 0x5A, actual.SizeInBytes());
      renderer->RenderPicture(g, state, palette, actual);
      ASSERT_EQ(FirstDifference(expected, actual), "")
          << Describe(*renderer) << ", round " << round << ", " << Describe(state, g);
    }
  }
}

struct ExportCase {
  ExportGeometry geometry;
  ExportInputs inputs;
};

// The export as the job runs it: blocks of rows, each starting from the running y.
void RenderExport(Renderer& renderer, const ExportCase& c, Bitmap& bitmap,
                  const std::vector<int64_t>& blockSizes) {
  double y = c.geometry.y0;
  int64_t first = 0;
  for (size_t i = 0; first < c.geometry.height; ++i) {
    const int64_t count = std::min(blockSizes[i % blockSizes.size()], c.geometry.height - first);
    renderer.RenderExportRows(c.geometry, c.inputs, first, count, y, bitmap);
    for (int64_t r = 0; r < count; ++r) y = y - c.geometry.step;
    first += count;
  }
}

TEST(FastRenderer, RandomExportsMatchThePlainRowsOnEveryTarget) {
  auto renderers = RenderersForEveryTarget();
  RandomStates random(77031);
  for (int round = 0; round < 120; ++round) {
    Palette palette = Build(random.Palette());
    int width, height;
    PictureSize(random, width, height);
    width = std::min(width, 48);
    height = std::min(height, 30);
    ExportCase c;
    c.geometry = MakeExportGeometry(random.Centre(), random.Centre(), random.Width(), width, height);
    const int limits[] = {1, 2, 7, 254, 254, 510, 1022, 2046, 4094, 8190};
    c.inputs = {0.0, 0.0, limits[random.Int(0, 9)], &palette};
    random.CPair(c.inputs.cr, c.inputs.ci);
    const std::vector<int64_t> blocks = {random.Int(1, 21), 21, random.Int(1, 5)};

    PlainRenderer plain;
    Bitmap expected(width, height, PixelFormat::Bgr24);
    RenderExport(plain, c, expected, {21});
    for (auto& renderer : renderers) {
      Bitmap actual(width, height, PixelFormat::Bgr24);
      RenderExport(*renderer, c, actual, blocks);
      ASSERT_EQ(FirstDifference(expected, actual), "")
          << Describe(*renderer) << ", round " << round << ", c = " << c.inputs.cr << " + "
          << c.inputs.ci << "i, limit " << c.inputs.limit << ", " << width << " x " << height
          << ", x0 " << c.geometry.x0 << ", y0 " << c.geometry.y0 << ", step " << c.geometry.step;
    }
  }
}

TEST(FastRenderer, TheScenesOfTheBenchmarksMatchInFull) {
  auto renderers = RenderersForEveryTarget();
  const Palette palette = Build(PaletteParams{});
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());
  // The start-up fractal and S2; then c whose inside orbits land on a cycle within a few dozen
  // steps (0, a fixed point; -1, a 2-cycle; a point well inside the cardioid).
  for (auto [cr, ci] : {std::pair{0.402, 0.339}, {-0.8, 0.156}, {0.0, 0.0}, {-1.0, 0.0},
                        {-0.1, 0.1}}) {
    FractalState state;
    state.cx = cr;
    state.cy = ci;
    for (const PictureGeometry* g : {&live, &general}) {
      Bitmap expected(g->width, g->height, PixelFormat::Bgrx32);
      RenderPicturePlain(*g, state, palette, expected);
      for (auto& renderer : renderers) {
        Bitmap actual(g->width, g->height, PixelFormat::Bgrx32);
        renderer->RenderPicture(*g, state, palette, actual);
        EXPECT_EQ(FirstDifference(expected, actual), "") << Describe(*renderer) << " c = " << cr;
      }
    }
  }
  // A strip of the start-up export at full depth: late escapes and cycling points side by side.
  ExportCase c;
  c.geometry = MakeExportGeometry(0.0f, 0.0f, 5.0f, 240, 180);
  c.inputs = {0.402, 0.339, 8190, &palette};
  c.geometry.height = 12;
  c.geometry.y0 = c.geometry.y0 - 84 * static_cast<double>(c.geometry.step);
  PlainRenderer plain;
  Bitmap expected(240, 12, PixelFormat::Bgr24);
  RenderExport(plain, c, expected, {21});
  for (auto& renderer : renderers) {
    Bitmap actual(240, 12, PixelFormat::Bgr24);
    RenderExport(*renderer, c, actual, {5, 7});
    EXPECT_EQ(FirstDifference(expected, actual), "") << Describe(*renderer);
  }
}

TEST(FastRenderer, WorkersRoundAsTheCallingThreadDoes) {
  auto renderers = RenderersForEveryTarget();
  const Palette palette = Build(PaletteParams{5, 3, 90, 40, 17, 29, 2});
  FractalState state;
  state.cx = -0.7269;
  state.cy = 0.1889;
  const PictureGeometry g = ScreenGeometry(0.11f, 0.2f, 0.3f, 160, 90);
  ExportCase c;
  c.geometry = MakeExportGeometry(0.11f, 0.2f, 0.3f, 96, 72);
  c.inputs = {-0.7269, 0.1889, 2046, &palette};
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    Bitmap expected(g.width, g.height, PixelFormat::Bgrx32);
    RenderPicturePlain(g, state, palette, expected);
    PlainRenderer plain;
    Bitmap expectedExport(96, 72, PixelFormat::Bgr24);
    RenderExport(plain, c, expectedExport, {21});
    for (auto& renderer : renderers) {
      Bitmap actual(g.width, g.height, PixelFormat::Bgrx32);
      renderer->RenderPicture(g, state, palette, actual);
      Bitmap actualExport(96, 72, PixelFormat::Bgr24);
      RenderExport(*renderer, c, actualExport, {21});
      EXPECT_EQ(FirstDifference(expected, actual), "") << Describe(*renderer) << " mode " << mode;
      EXPECT_EQ(FirstDifference(expectedExport, actualExport), "")
          << Describe(*renderer) << " mode " << mode;
    }
    std::fesetround(FE_TONEAREST);
  }
}

TEST(FastRenderer, OnlyAChangedPaletteIsAnsweredFromTheStoredCounts) {
  FastRenderer renderer(2);
  FractalState state;
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());
  const Palette first = Build(PaletteParams{});
  const Palette second = Build(PaletteParams{2, 70, 10, 30, 3, 9, 27});
  Bitmap bitmap(live.width, live.height, PixelFormat::Bgrx32);
  Bitmap small(general.width, general.height, PixelFormat::Bgrx32);
  Bitmap expected(live.width, live.height, PixelFormat::Bgrx32);

  auto expectPlain = [&](const Palette& palette) {
    RenderPicturePlain(live, state, palette, expected);
    EXPECT_EQ(FirstDifference(expected, bitmap), "");
  };

  renderer.RenderPicture(live, state, first, bitmap);
  renderer.RenderPicture(general, state, first, small);
  EXPECT_EQ(renderer.Stats().picturesComputed, 2u);
  // A pass renders both views: both are recoloured when only the palette changed.
  renderer.RenderPicture(live, state, second, bitmap);
  renderer.RenderPicture(general, state, second, small);
  EXPECT_EQ(renderer.Stats().picturesComputed, 2u);
  EXPECT_EQ(renderer.Stats().picturesRecoloured, 2u);
  expectPlain(second);

  // c, the view or the colourer changed: computed again.
  state.cy = std::nextafter(state.cy, 1.0);
  renderer.RenderPicture(live, state, second, bitmap);
  EXPECT_EQ(renderer.Stats().picturesComputed, 3u);
  expectPlain(second);
  PictureGeometry moved = live;
  moved.x0 = std::nextafter(moved.x0, 1.0f);
  renderer.RenderPicture(moved, state, first, bitmap);
  EXPECT_EQ(renderer.Stats().picturesComputed, 4u);
  renderer.RenderPicture(live, state, first, bitmap);
  EXPECT_EQ(renderer.Stats().picturesRecoloured, 3u);
  expectPlain(first);

  // The pixel format is not part of what the counts depend on.
  Bitmap packed(live.width, live.height, PixelFormat::Bgr24);
  Bitmap packedExpected(live.width, live.height, PixelFormat::Bgr24);
  renderer.RenderPicture(live, state, second, packed);
  RenderPicturePlain(live, state, second, packedExpected);
  EXPECT_EQ(FirstDifference(packedExpected, packed), "");
  EXPECT_EQ(renderer.Stats().picturesRecoloured, 4u);

  // A NaN centre is the same request as itself; -0 is not +0.
  PictureGeometry odd = ScreenGeometry(std::numeric_limits<float>::quiet_NaN(), 0.0f, 5.0f, 9, 7);
  Bitmap oddBitmap(9, 7, PixelFormat::Bgrx32);
  const uint64_t before = renderer.Stats().picturesRecoloured;
  renderer.RenderPicture(odd, state, first, oddBitmap);
  renderer.RenderPicture(odd, state, second, oddBitmap);
  EXPECT_EQ(renderer.Stats().picturesRecoloured, before + 1);
  PictureGeometry zero = ScreenGeometry(0.0f, 0.0f, 5.0f, 9, 7);
  PictureGeometry negativeZero = zero;
  negativeZero.x0 = zero.x0 == 0.0f ? -0.0f : zero.x0;
  zero.y0 = 0.0f;
  negativeZero.y0 = -0.0f;
  renderer.RenderPicture(zero, state, first, oddBitmap);
  const uint64_t computed = renderer.Stats().picturesComputed;
  renderer.RenderPicture(negativeZero, state, first, oddBitmap);
  EXPECT_EQ(renderer.Stats().picturesComputed, computed + 1);

  renderer.ForgetStoredPictures();
  renderer.RenderPicture(live, state, first, bitmap);
  EXPECT_EQ(renderer.Stats().picturesComputed, computed + 2);
}

// A colourer the renderer does not know: it may read anything of the state.
int WidthDependentColourer(float x, float y, const FractalState& state) {
  return (x * x + y * y < state.viewWidth * state.viewWidth / 16) ? 7 : 3;
}

TEST(FastRenderer, PassesAllocateNothingOnceWarmedUp) {
  FastRenderer renderer(2);
  const Palette palette = Build(PaletteParams{});
  const PictureGeometry live = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());
  Bitmap liveBitmap(live.width, live.height, PixelFormat::Bgrx32);
  Bitmap generalBitmap(general.width, general.height, PixelFormat::Bgrx32);
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 640, 480);
  Bitmap exportBitmap(640, 480, PixelFormat::Bgr24);
  FractalState state;
  auto pass = [&](int n) {
    state.cx = 0.402 + n * 1e-6;  // a new c each pass: the counts are computed, not recoloured
    renderer.RenderPicture(live, state, palette, liveBitmap);
    renderer.RenderPicture(general, state, palette, generalBitmap);
    const ExportInputs inputs{state.cx, state.cy, 1022, &palette};
    renderer.RenderExportRows(e, inputs, 21 * (n % 20), 21, e.y0, exportBitmap);
  };
  for (int n = 0; n < 8; ++n) pass(n);
  const uint64_t computed = renderer.Stats().picturesComputed;
  countAllocations = true;
  for (int n = 8; n < 16; ++n) pass(n);
  countAllocations = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(renderer.Stats().picturesComputed, computed + 16);
}

TEST(FastRenderer, AnotherColourerIsCalledPixelByPixelAndNeverStored) {
  FastRenderer renderer(2);
  FractalState state;
  state.colourer = &WidthDependentColourer;
  const Palette palette = Build(PaletteParams{});
  const PictureGeometry g = ScreenGeometry(0.0f, 0.0f, 5.0f, 100, 80);
  Bitmap expected(100, 80, PixelFormat::Bgrx32);
  Bitmap actual(100, 80, PixelFormat::Bgrx32);
  for (float width : {5.0f, 2.0f}) {
    state.viewWidth = width;
    RenderPicturePlain(g, state, palette, expected);
    renderer.RenderPicture(g, state, palette, actual);
    EXPECT_EQ(FirstDifference(expected, actual), "") << width;
  }
  EXPECT_EQ(renderer.Stats().picturesRecoloured, 0u);
}

std::vector<int> PlainCounts(const ExportCase& c) {
  std::vector<int> counts;
  for (double y : ExportRowCoordinates(c.geometry)) {
    for (double x : ExportColumnCoordinates(c.geometry)) {
      counts.push_back(ExportEscapeCount(x, y, c.inputs.cr, c.inputs.ci, c.inputs.limit));
    }
  }
  return counts;
}

TEST(FastRenderer, CyclingPointsAndVeryLateEscapesGetTheirCounts) {
  const Palette palette = Build(PaletteParams{2, 10, 20, 30, 7, 11, 13});
  struct Case {
    double cr, ci;
    bool someZero;     // points that never leave (or not within the limit)
    int latestEscape;  // at least one point escapes this late or later
  };
  const Case cases[] = {
      {0.402, 0.339, true, 150},    // the start-up fractal: a 10-cycle reached exactly after ~4600 steps
      {-1.0, 0.0, true, 10},        // 0 -> -1 -> 0: a cycle at once
      {-0.12, 0.75, true, 30},      // a 3-cycle
      {0.250001, 0.0, true, 5000},  // just past the cusp: orbits crawl past 1/2 for thousands of steps
      {0.249999, 0.0, true, 10},    // just inside: they crawl towards a fixed point
  };
  for (bool cycles : {true, false}) {
    auto renderers = RenderersForEveryTarget(cycles);
    for (const Case& test : cases) {
      ExportCase c;
      c.geometry = MakeExportGeometry(0.0f, 0.0f, 2.0f, 24, 18);
      c.inputs = {test.cr, test.ci, 8190, &palette};
      const std::vector<int> counts = PlainCounts(c);
      EXPECT_EQ(std::count(counts.begin(), counts.end(), 0) != 0, test.someZero) << test.cr;
      EXPECT_GE(*std::max_element(counts.begin(), counts.end()), test.latestEscape) << test.cr;

      PlainRenderer plain;
      Bitmap expected(24, 18, PixelFormat::Bgr24);
      RenderExport(plain, c, expected, {21});
      for (auto& renderer : renderers) {
        Bitmap actual(24, 18, PixelFormat::Bgr24);
        RenderExport(*renderer, c, actual, {4});
        EXPECT_EQ(FirstDifference(expected, actual), "") << Describe(*renderer) << " cycles "
                                                         << cycles << " c = " << test.cr;
      }
    }
  }
}

TEST(FastRenderer, AnEscapeOneStepPastTheLimitCountsAsInside) {
  auto renderers = RenderersForEveryTarget();
  // Points escaping on many different steps; each limit must cut exactly at its own step.
  ExportCase c;
  c.geometry = MakeExportGeometry(0.0f, 0.0f, 2.0f, 37, 3);
  Palette palette;
  for (int n = 0; n < kPaletteSize; ++n) {
    palette[n] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), 0};
  }
  for (int limit : {1, 2, 3, 8, 9, 15, 16, 17, 31, 32, 33, 100, 255, 1000, 3001}) {
    c.inputs = {0.250001, 0.0, limit, &palette};
    PlainRenderer plain;
    Bitmap expected(37, 3, PixelFormat::Bgr24);
    RenderExport(plain, c, expected, {21});
    for (auto& renderer : renderers) {
      Bitmap actual(37, 3, PixelFormat::Bgr24);
      RenderExport(*renderer, c, actual, {21});
      EXPECT_EQ(FirstDifference(expected, actual), "") << Describe(*renderer) << " " << limit;
    }
  }
}

TEST(FastRenderer, LimitsBelowOneAndPastThePaletteAreSafe) {
  FastRenderer renderer(2);
  const Palette palette = Build(PaletteParams{3, 1, 2, 3, 4, 5, 6});
  ExportCase c;
  c.geometry = MakeExportGeometry(0.0f, 0.0f, 5.0f, 30, 20);
  for (int limit : {0, -5}) {
    c.inputs = {0.402, 0.339, limit, &palette};
    PlainRenderer plain;
    Bitmap expected(30, 20, PixelFormat::Bgr24);
    Bitmap actual(30, 20, PixelFormat::Bgr24);
    RenderExport(plain, c, expected, {21});
    RenderExport(renderer, c, actual, {21});
    EXPECT_EQ(FirstDifference(expected, actual), "") << limit;
  }
  // Entries past 8190 do not exist: such a limit works as 8190.
  c.inputs = {0.402, 0.339, 8190, &palette};
  Bitmap expected(30, 20, PixelFormat::Bgr24);
  RenderExport(renderer, c, expected, {21});
  c.inputs.limit = 100000;
  Bitmap actual(30, 20, PixelFormat::Bgr24);
  RenderExport(renderer, c, actual, {21});
  EXPECT_EQ(FirstDifference(expected, actual), "");
}

TEST(FastRenderer, RequestsThatDoNotFitTheBitmapAreRefused) {
  FastRenderer renderer(2);
  FractalState state;
  const Palette palette = Build(PaletteParams{});
  const PictureGeometry g = ScreenGeometry(0.0f, 0.0f, 5.0f, 20, 10);
  Bitmap narrow(19, 10, PixelFormat::Bgrx32);
  EXPECT_THROW(renderer.RenderPicture(g, state, palette, narrow), std::invalid_argument);
  Bitmap empty;
  EXPECT_NO_THROW(renderer.RenderPicture(ScreenGeometry(0.0f, 0.0f, 5.0f, 0, 0), state, palette,
                                         empty));

  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 20, 10);
  const ExportInputs inputs{0.0, 0.0, 254, &palette};
  Bitmap rows(20, 10, PixelFormat::Bgr24);
  EXPECT_THROW(renderer.RenderExportRows(e, inputs, 5, 6, e.y0, rows), std::invalid_argument);
  EXPECT_THROW(renderer.RenderExportRows(e, inputs, -1, 2, e.y0, rows), std::invalid_argument);
  Bitmap wide(20, 10, PixelFormat::Bgrx32);
  EXPECT_THROW(renderer.RenderExportRows(e, inputs, 0, 2, e.y0, wide), std::invalid_argument);
  EXPECT_NO_THROW(renderer.RenderExportRows(e, inputs, 10, 0, e.y0, rows));
}

TEST(FastRenderer, ThreadsAndTargets) {
  const std::vector<SimdTarget> targets = fast::AvailableSimdTargets();
  ASSERT_FALSE(targets.empty());
  EXPECT_EQ(targets.front(), SimdTarget::Portable);
  EXPECT_EQ(targets.back(), fast::BestSimdTarget());
  for (SimdTarget target : targets) EXPECT_TRUE(fast::SimdTargetAvailable(target));

  FastRenderer best;
  EXPECT_EQ(best.Target(), fast::BestSimdTarget());
  EXPECT_EQ(best.ThreadCount(),
            static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
  FastRenderer three(3, SimdTarget::Portable);
  EXPECT_EQ(three.ThreadCount(), 3);
  EXPECT_EQ(three.Target(), SimdTarget::Portable);
  const std::vector<int> ids = three.WorkerThreadIds();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_NE(ids[0], CurrentThreadId());
  FastRenderer one(1);
  EXPECT_TRUE(one.WorkerThreadIds().empty());
}

TEST(FastRenderer, WorkerPriorityReachesEveryWorkerEvenDuringARender) {
  FastRenderer renderer(3);
  const Palette palette = Build(PaletteParams{});
  const ExportGeometry e = MakeExportGeometry(0.0f, 0.0f, 5.0f, 300, 200);
  const ExportInputs inputs{0.402, 0.339, 2046, &palette};
  Bitmap bitmap(300, 200, PixelFormat::Bgr24);
  const int callerNice = getpriority(PRIO_PROCESS, 0);
  std::atomic<bool> rendering{true};
  std::thread job([&] {
    for (int i = 0; i < 3; ++i) renderer.RenderExportRows(e, inputs, 0, 200, e.y0, bitmap);
    rendering = false;
  });
  // Raising the nice value is always allowed; the export's "low" choice does just that.
  renderer.SetWorkerPriority(ThreadPriority::Idle);
  job.join();
  EXPECT_FALSE(rendering);
  for (int id : renderer.WorkerThreadIds()) {
    errno = 0;
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(id)), 19) << id;
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), callerNice) << "the calling thread is left as it was";
}

}  // namespace
}  // namespace zirvanta
