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
#include <tuple>
#include <vector>

#include "engine/colourer.h"
#include "engine/drawing_surface.h"
#include "engine/fast/fast_renderer.h"
#include "engine/render.h"
#include "engine/view.h"
#include "files/browser_preview.h"
#include "files/fractal_file.h"

namespace zirvanta {
namespace {

template <typename Geometry>
struct Scene { double cr, ci; Geometry geometry; };
using PictureScene = Scene<PictureGeometry>;
using ExportScene = Scene<ExportGeometry>;

const PictureScene kS1{0.402, 0.339, LiveGeometry(0.0f, 0.0f, DefaultPixelStep())},
    kS2{-0.8, 0.156, LiveGeometry(0.0f, 0.0f, DefaultPixelStep())},
    kS3{-0.8, 0.156, ScreenGeometry(0.0f, 0.0f, 5.0f, 1920, 1080)};
const ExportScene kS4{0.402, 0.339, MakeExportGeometry(0.0f, 0.0f, 5.0f, 1920, 1440)},
    kS5{-0.7269, 0.1889, MakeExportGeometry(0.11f, 0.2f, 0.3f, 1920, 1440)};

// FastRecolour alternates two palettes, so the stored counts answer every pass.
enum Kind { kPlain, kFast, kFastRecolour, kFastWithoutCycles };
const char* const kKindNames[] = {"/plain", "/fast", "/fast_recolour", "/fast_without_cycles"};

std::unique_ptr<Renderer> MakeRenderer(Kind kind) {
  if (kind == kPlain) return std::make_unique<PlainRenderer>();
  return std::make_unique<FastRenderer>(0, std::nullopt, kind != kFastWithoutCycles);
}

void ReportRate(benchmark::State& state, int64_t laneIterations) {
  state.counters["lane_iter_per_s"] =
      benchmark::Counter(double(laneIterations), benchmark::Counter::kIsIterationInvariantRate);
}

void BenchPicture(benchmark::State& state, const PictureScene* scene, Kind kind) {
  Palette palettes[2];
  BuildPalette({}, palettes[0]);
  BuildPalette({3, 50, 20, 80, 11, 5, 30}, palettes[1]);
  FractalState fractal;
  std::tie(fractal.cx, fractal.cy) = std::pair(scene->cr, scene->ci);
  const PictureGeometry& g = scene->geometry;
  const std::unique_ptr<Renderer> renderer = MakeRenderer(kind);
  Bitmap bitmap(g.width, g.height, PixelFormat::Bgrx32);
  int which = 0;
  for (auto _ : state) {
    if (kind == kFast) static_cast<FastRenderer&>(*renderer).ForgetStoredPictures();
    if (kind == kFastRecolour) which ^= 1;
    renderer->RenderPicture(g, fractal, palettes[which], bitmap);
    benchmark::DoNotOptimize(bitmap.Data());
  }
  if (kind == kFastRecolour) return;
  std::vector<uint16_t> counts(size_t(g.width) * size_t(g.height));
  RenderCountsPlain(g, fractal, counts.data());
  int64_t steps = 0;
  for (uint16_t count : counts) steps += count != 0 ? count : kLiveIterationLimit;
  ReportRate(state, steps);
}

void BenchExport(benchmark::State& state, const ExportScene* scene, Kind kind) {
  Palette palette;
  BuildPalette({}, palette);
  const ExportInputs inputs{scene->cr, scene->ci, kMaxExportIterationLimit, &palette};
  const ExportGeometry& g = scene->geometry;
  const std::unique_ptr<Renderer> renderer = MakeRenderer(kind);
  Bitmap bitmap(g.width, g.height, PixelFormat::Bgr24);
  for (auto _ : state) {
    double y = g.y0;
    for (int64_t first = 0, count; first < g.height; first += count) {
      count = std::min<int64_t>(21, g.height - first);  // the export job's progress block
      renderer->RenderExportRows(g, inputs, first, count, y, bitmap);
      for (int64_t i = 0; i < count; ++i) y = y - g.step;
    }
    benchmark::DoNotOptimize(bitmap.Data());
  }
  int64_t steps = 0;
  double y = g.y0;
  for (int64_t j = 0; j < g.height; ++j, y = y - g.step) {
    double x = g.x0;
    for (int64_t k = 0; k < g.width; ++k, x = x + g.step) {
      const int count = ExportEscapeCount(x, y, scene->cr, scene->ci, kMaxExportIterationLimit);
      steps += count != 0 ? count : kMaxExportIterationLimit;
    }
  }
  ReportRate(state, steps);
}

// The first full-screen picture of a run, 1920 x 1080 of the start-up fractal, as the full-screen
// command makes it: its renderer started, the screen-sized picture allocated and cleared, then
// computed. Warm: the second and later pictures, renderer and picture already there.
void BenchFirstFullScreen(benchmark::State& state, bool warm) {
  Palette palette;
  BuildPalette({}, palette);
  const FractalState fractal;
  const PictureGeometry g = ScreenGeometry(0.0f, 0.0f, 5.0f, 1920, 1080);
  std::unique_ptr<FastRenderer> kept;
  std::unique_ptr<DrawingSurface> keptSurface;
  if (warm) {
    kept = std::make_unique<FastRenderer>();
    keptSurface = std::make_unique<DrawingSurface>(g.width, g.height, Colour{});
  }
  for (auto _ : state) {
    std::unique_ptr<FastRenderer> renderer = warm ? nullptr : std::make_unique<FastRenderer>();
    std::unique_ptr<DrawingSurface> surface =
        warm ? nullptr : std::make_unique<DrawingSurface>(g.width, g.height, Colour{});
    FastRenderer& r = warm ? *kept : *renderer;
    if (warm) r.ForgetStoredPictures();
    (warm ? *keptSurface : *surface).Draw([&](Bitmap& pixels) {
      r.RenderPicture(g, fractal, palette, pixels);
    });
    benchmark::ClobberMemory();
  }
}

// Selecting an entry in the fractal browser: the file read into the state, then the 145 x 105
// preview with the browser's own renderer (or the plain one), for each fractal of the gallery.
void BenchBrowserPreview(benchmark::State& state, const char* name, Kind kind) {
  const std::string path = std::string(ZIRVANTA_GALLERY_DIR) + "/fractals/" + name + ".frc";
  FractalState fractal;
  Palette palette;
  // The browser's renderer: the fast one on the calling thread, its stored counts forgotten
  // each time as for a file not seen before.
  auto fast = std::make_unique<FastRenderer>(1);
  FastRenderer* const forget = kind == kPlain ? nullptr : fast.get();
  BrowserPreview preview(kind == kPlain ? std::unique_ptr<Renderer>(new PlainRenderer)
                                        : std::move(fast));
  for (auto _ : state) {
    if (forget) forget->ForgetStoredPictures();
    if (!ReadFractalFile(path, fractal, palette, true).fractalTypeKnown) {
      state.SkipWithError("the gallery file cannot be read");
      break;
    }
    benchmark::DoNotOptimize(preview.Render(fractal, palette).Data());
  }
}

// Plain, fast and recoloured pictures; plain (one run, it is slow), fast and no-cycle exports.
void Register() {
  auto add = [](const char* name, auto bench, const auto* scene, Kind kind) {
    return benchmark::RegisterBenchmark((std::string(name) + kKindNames[kind]).c_str(), bench,
                                        scene, kind)->Unit(benchmark::kMillisecond)->UseRealTime();
  };
  for (auto [name, scene] :
       {std::pair{"S1_live_start_up", &kS1}, {"S2_live", &kS2}, {"S3_full_screen", &kS3}})
    for (Kind kind : {kPlain, kFast, kFastRecolour}) add(name, &BenchPicture, scene, kind);
  for (auto [name, scene] : {std::pair{"S4_export_start_up", &kS4}, {"S5_export_zoom", &kS5}})
    for (Kind kind : {kPlain, kFast, kFastWithoutCycles})
      if (auto* b = add(name, &BenchExport, scene, kind); kind == kPlain) b->Iterations(1);
  for (const bool warm : {false, true}) {
    benchmark::RegisterBenchmark(warm ? "S6_full_screen_again" : "S6_first_full_screen",
                                 &BenchFirstFullScreen, warm)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  for (const char* name : {"startup", "dendrite", "dragon", "lace", "rabbit", "seahorse", "siegel",
                           "spiral"}) {
    for (Kind kind : {kPlain, kFast}) {
      benchmark::RegisterBenchmark(
          (std::string("preview_and_read/") + name + kKindNames[kind]).c_str(),
          &BenchBrowserPreview, name, kind)->Unit(benchmark::kMillisecond)->UseRealTime();
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
