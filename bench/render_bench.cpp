// The render passes, plain and fast, on five scenes. Each reports lane-iterations per second:
// the steps the plain colourer takes for the picture (escape count, or the limit for an inside
// point) over the time, so plain and fast figures compare directly.
//
// Medians: zirvanta_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/colourer.h"
#include "engine/fast/fast_renderer.h"
#include "engine/render.h"
#include "engine/view.h"

namespace zirvanta {
namespace {

constexpr int64_t kExportWidth = 1920;
constexpr int64_t kExportHeight = 1440;
constexpr int64_t kRowsPerBlock = 21;  // the export job's progress block

Palette StartUpPalette() {
  Palette palette;
  BuildPalette(PaletteParams{}, palette);
  return palette;
}

struct PictureScene {
  FractalState state;
  PictureGeometry geometry;
};

PictureScene LiveScene(double cr, double ci) {
  PictureScene scene;
  scene.state.cx = cr;
  scene.state.cy = ci;
  scene.geometry = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  return scene;
}

PictureScene S1() { return LiveScene(0.402, 0.339); }
PictureScene S2() { return LiveScene(-0.8, 0.156); }
PictureScene S3() {
  PictureScene scene = S2();
  scene.geometry = ScreenGeometry(0.0f, 0.0f, 5.0f, 1920, 1080);
  return scene;
}

struct ExportScene {
  ExportGeometry geometry;
  double cr, ci;
  int limit;
};

ExportScene S4() {
  return {MakeExportGeometry(0.0f, 0.0f, 5.0f, kExportWidth, kExportHeight), 0.402, 0.339, 8190};
}
ExportScene S5() {
  return {MakeExportGeometry(0.11f, 0.2f, 0.3f, kExportWidth, kExportHeight), -0.7269, 0.1889,
          8190};
}

int64_t LaneIterations(const PictureScene& scene) {
  std::vector<uint16_t> counts(static_cast<size_t>(scene.geometry.width) *
                               static_cast<size_t>(scene.geometry.height));
  RenderCountsPlain(scene.geometry, scene.state, counts.data());
  int64_t total = 0;
  for (uint16_t count : counts) total += count != 0 ? count : kLiveIterationLimit;
  return total;
}

int64_t LaneIterations(const ExportScene& scene) {
  const std::vector<double> xs = ExportColumnCoordinates(scene.geometry);
  const std::vector<double> ys = ExportRowCoordinates(scene.geometry);
  int64_t total = 0;
  for (double y : ys) {
    for (double x : xs) {
      const int count = ExportEscapeCount(x, y, scene.cr, scene.ci, scene.limit);
      total += count != 0 ? count : scene.limit;
    }
  }
  return total;
}

void ReportRate(benchmark::State& state, int64_t laneIterations) {
  state.counters["lane_iter_per_s"] = benchmark::Counter(
      static_cast<double>(laneIterations), benchmark::Counter::kIsIterationInvariantRate);
}

void RenderExport(Renderer& renderer, const ExportScene& scene, const Palette& palette,
                  Bitmap& bitmap) {
  const ExportInputs inputs{scene.cr, scene.ci, scene.limit, &palette};
  double y = scene.geometry.y0;
  for (int64_t first = 0; first < kExportHeight; first += kRowsPerBlock) {
    const int64_t count = std::min(kRowsPerBlock, kExportHeight - first);
    renderer.RenderExportRows(scene.geometry, inputs, first, count, y, bitmap);
    for (int64_t i = 0; i < count; ++i) y = y - scene.geometry.step;
  }
}

enum class Kind { Plain, Fast, FastOneThread, FastAvx2, FastWithoutCycles };

std::unique_ptr<Renderer> MakeRenderer(Kind kind) {
  switch (kind) {
    case Kind::Plain: return std::make_unique<PlainRenderer>();
    case Kind::Fast: return std::make_unique<FastRenderer>();
    case Kind::FastOneThread: return std::make_unique<FastRenderer>(1);
    case Kind::FastAvx2: return std::make_unique<FastRenderer>(0, fast::SimdTarget::Avx2);
    case Kind::FastWithoutCycles:
      return std::make_unique<FastRenderer>(0, std::nullopt, false);
  }
  return nullptr;
}

void BenchPicture(benchmark::State& state, PictureScene (*makeScene)(), Kind kind) {
  const PictureScene scene = makeScene();
  const Palette palette = StartUpPalette();
  const std::unique_ptr<Renderer> renderer = MakeRenderer(kind);
  auto* fastRenderer = dynamic_cast<FastRenderer*>(renderer.get());
  Bitmap bitmap(scene.geometry.width, scene.geometry.height, PixelFormat::Bgrx32);
  for (auto _ : state) {
    // Every pass computes: the stored counts would otherwise answer the repeats.
    if (fastRenderer != nullptr) fastRenderer->ForgetStoredPictures();
    renderer->RenderPicture(scene.geometry, scene.state, palette, bitmap);
    benchmark::DoNotOptimize(bitmap.Data());
  }
  ReportRate(state, LaneIterations(scene));
}

void BenchRecolour(benchmark::State& state, PictureScene (*makeScene)()) {
  const PictureScene scene = makeScene();
  Palette palettes[2];
  BuildPalette(PaletteParams{}, palettes[0]);
  BuildPalette(PaletteParams{3, 50, 20, 80, 11, 5, 30}, palettes[1]);
  FastRenderer renderer;
  Bitmap bitmap(scene.geometry.width, scene.geometry.height, PixelFormat::Bgrx32);
  int which = 0;
  for (auto _ : state) {
    renderer.RenderPicture(scene.geometry, scene.state, palettes[which ^= 1], bitmap);
    benchmark::DoNotOptimize(bitmap.Data());
  }
}

void BenchExport(benchmark::State& state, ExportScene (*makeScene)(), Kind kind) {
  const ExportScene scene = makeScene();
  const Palette palette = StartUpPalette();
  const std::unique_ptr<Renderer> renderer = MakeRenderer(kind);
  Bitmap bitmap(kExportWidth, kExportHeight, PixelFormat::Bgr24);
  for (auto _ : state) {
    RenderExport(*renderer, scene, palette, bitmap);
    benchmark::DoNotOptimize(bitmap.Data());
  }
  ReportRate(state, LaneIterations(scene));
}

void Register() {
  const bool avx2 = fast::SimdTargetAvailable(fast::SimdTarget::Avx2) &&
                    fast::BestSimdTarget() != fast::SimdTarget::Avx2;
  const struct {
    const char* name;
    PictureScene (*make)();
  } pictures[] = {{"S1_live_start_up", &S1}, {"S2_live", &S2}, {"S3_full_screen", &S3}};
  for (const auto& scene : pictures) {
    const std::string name = scene.name;
    for (auto [kind, suffix] : {std::pair{Kind::Plain, "/plain"}, {Kind::Fast, "/fast"},
                                {Kind::FastOneThread, "/fast_1_thread"},
                                {Kind::FastAvx2, "/fast_avx2"}}) {
      if (kind == Kind::FastAvx2 && !avx2) continue;
      benchmark::RegisterBenchmark((name + suffix).c_str(), &BenchPicture, scene.make, kind)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
    benchmark::RegisterBenchmark((name + "/fast_recolour").c_str(), &BenchRecolour, scene.make)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  const struct {
    const char* name;
    ExportScene (*make)();
  } exports[] = {{"S4_export_start_up", &S4}, {"S5_export_zoom", &S5}};
  for (const auto& scene : exports) {
    const std::string name = scene.name;
    for (auto [kind, suffix] :
         {std::pair{Kind::Plain, "/plain"}, {Kind::Fast, "/fast"},
          {Kind::FastWithoutCycles, "/fast_without_cycles"},
          {Kind::FastOneThread, "/fast_1_thread"}, {Kind::FastAvx2, "/fast_avx2"}}) {
      if (kind == Kind::FastAvx2 && !avx2) continue;
      auto* bench =
          benchmark::RegisterBenchmark((name + suffix).c_str(), &BenchExport, scene.make, kind)
              ->Unit(benchmark::kMillisecond)
              ->UseRealTime();
      if (kind == Kind::Plain) bench->Iterations(1);
    }
  }
}

}  // namespace
}  // namespace zirvanta

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  zirvanta::Register();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
