#include "engine/live_render_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <system_error>

#include "engine/line_drawing.h"
#include "engine/render.h"

namespace zirvanta {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 120s;  // generous: a pass under a sanitizer on a busy machine

// Held at the door while closed, so that a check made just after a wake is not overtaken by a
// pass. Gives the plain pass, or stamps each row with the c it was made from, reading what a real
// pass reads so that a race between the two sides shows under the thread sanitizer.
struct GatedRenderer final : Renderer {
  explicit GatedRenderer(bool stamping) : stamping(stamping) {}
  void RenderPicture(const PictureGeometry& g, const FractalState& state, const Palette& palette,
                     Bitmap& bitmap) override {
    ++pictures;
    while (closed.load()) std::this_thread::yield();
    if (!stamping) return RenderPicturePlain(g, state, palette, bitmap);
    for (int j = 0; j < g.height; ++j) {
      uint8_t* row = bitmap.Row(j);
      row[0] = uint8_t(int64_t(state.cx));
      row[1] = palette[int(state.cy) % kPaletteSize].green;
      row[2] = g.x0 + state.centreY > 0.0f;
    }
  }
  void RenderExportRows(const ExportGeometry&, const ExportInputs&, int64_t, int64_t, double,
                        Bitmap&) override {}
  const bool stamping;
  std::atomic<bool> closed{false};
  std::atomic<int> pictures{0};  // begun, two per pass
};

// The window's side of the rule: what the thread reads, the surfaces it draws on, the thread.
struct Owner {
  FractalState state;
  Palette palette;
  ViewValues view;
  DrawingSurface live{kLiveWidth, kLiveHeight, Colour{200, 200, 200}};
  DrawingSurface general{kGeneralWidth, kGeneralHeight, Colour{200, 200, 200}};
  GatedRenderer renderer;
  LiveRenderThread thread{renderer, Source(), live, general};

  explicit Owner(bool stamping) : renderer(stamping) { BuildPalette(state.palette, palette); }
  LiveRenderSource Source() { return {state, palette, view}; }

  // Both surfaces show the plain pass on opaque pixels, the general view with its marker.
  bool ShowsTheState() const {
    for (bool isLive : {true, false}) {
      const PictureGeometry g = isLive ? LiveGeometry(state.centreX, state.centreY, view.pixelStep)
                                       : GeneralGeometry(view.generalStep);
      Bitmap expected(g.width, g.height, PixelFormat::Bgrx32);
      std::memset(expected.Data(), 0xFF, expected.SizeInBytes());
      RenderPicturePlain(g, state, palette, expected);
      if (!isLive) DrawMarker(expected, view.marker);
      if (!((isLive ? live : general).Snapshot() == expected)) return false;
    }
    return true;
  }
  // The first bytes of the surfaces: the stamps of a stamping renderer.
  std::pair<uint8_t, uint8_t> Stamps() const {
    std::pair<uint8_t, uint8_t> stamps;
    live.Read([&](const Bitmap& picture) { stamps.first = picture.Row(0)[0]; });
    general.Read([&](const Bitmap& picture) { stamps.second = picture.Row(0)[0]; });
    return stamps;
  }
};

TEST(LiveRenderThread, EachWakeGivesOnePassOfTheCurrentState) {
  Owner owner(false);
  LiveRenderThread& thread = owner.thread;
  EXPECT_FALSE(thread.Idle()) << "busy from the start, until the first pass is over";
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), 1u);
  EXPECT_TRUE(owner.ShowsTheState());

  owner.state.cx = -0.8;
  owner.state.centreX = 0.25f;
  SetViewWidth(owner.state, owner.view, 1.5f);
  owner.view.marker = UpdateMarker(0.25f, 0.0f, owner.view.pixelStep, owner.view.generalStep);
  owner.renderer.closed = true;
  thread.Wake();
  EXPECT_FALSE(thread.Idle()) << "a wake makes the thread busy at once";
  EXPECT_FALSE(thread.WaitUntilIdle(5ms));
  owner.renderer.closed = false;
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), 2u);
  EXPECT_TRUE(owner.ShowsTheState());
}

TEST(LiveRenderThread, StopLetsTheRunningPassEndAndJoins) {
  Owner owner(true);
  GatedRenderer& renderer = owner.renderer;
  renderer.closed = true;
  ASSERT_TRUE(owner.thread.Start());
  while (renderer.pictures.load() == 0) std::this_thread::yield();
  std::thread stopper([&] { owner.thread.Stop(); });
  std::this_thread::sleep_for(10ms);
  renderer.closed = false;
  stopper.join();
  EXPECT_FALSE(owner.thread.Started()) << "joined";
  owner.thread.Wake();
  owner.thread.Stop();
  EXPECT_EQ(renderer.pictures.load(), 2) << "the pass that ran ended, and no other began";

  // A thread the platform could not create stays busy and stops all the same.
  LiveRenderThread failed(renderer, owner.Source(), owner.live, owner.general);
  EXPECT_FALSE(failed.Start([](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }));
  EXPECT_FALSE(failed.WaitUntilIdle(1ms));
  failed.Wake();
  failed.Stop();
}

// The window's side changes the state and wakes the thread thousands of times, at random
// moments or just as the thread becomes idle; each change must show once the thread is idle
// again, and each wake give one pass. Under the thread sanitizer a race between the sides shows.
TEST(LiveRenderThread, StressWakesAtRandomMomentsLoseNoPass) {
  Owner owner(true);
  LiveRenderThread& thread = owner.thread;
  ASSERT_TRUE(thread.Start());
  std::mt19937 random(20240611);
  for (int64_t generation = 1; generation <= 2000;) {
    const int pause = std::uniform_int_distribution<int>(0, 9)(random);
    if (pause < 3) std::this_thread::yield();
    if (pause == 3 || pause == 4) std::this_thread::sleep_for(pause * 20us);
    if (pause > 6 && !thread.Idle()) continue;  // the window's way: try again later
    if (pause <= 6) {
      ASSERT_TRUE(thread.WaitUntilIdle(kPatience)) << "lost after " << generation;
    }
    const uint8_t shown = uint8_t(generation - 1);
    ASSERT_EQ(owner.Stamps(), std::pair(shown, shown));
    ASSERT_EQ(thread.PassesCompleted(), uint64_t(generation));
    owner.state.cx = double(generation);
    owner.state.cy = double(generation % 97);
    owner.state.centreY = float(generation % 13);
    owner.palette[int(generation % 97)].green = uint8_t(generation);
    thread.Wake();
    ++generation;
  }
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(owner.Stamps().first, uint8_t(2000));
}

}  // namespace
}  // namespace zirvanta
