#include "engine/live_render_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <random>
#include <system_error>

#include "engine/line_drawing.h"
#include "engine/render.h"

namespace zirvanta {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 120s;  // generous: a pass under a sanitizer on a busy machine
constexpr Colour kGrey{200, 200, 200};

// The window's side of the rule: the state, the palette and the view values the thread reads.
struct Owner {
  FractalState state;
  Palette palette;
  ViewValues view;
  DrawingSurface live{kLiveWidth, kLiveHeight, kGrey};
  DrawingSurface general{kGeneralWidth, kGeneralHeight, kGrey};

  Owner() { BuildPalette(state.palette, palette); }
  LiveRenderSource Source() { return {state, palette, view}; }
};

// What the picture must look like: the plain pass, copied onto an opaque surface, with the
// marker drawn over it.
Bitmap ExpectedPicture(const PictureGeometry& geometry, const Owner& owner, const MarkerState* marker) {
  Bitmap rendered(geometry.width, geometry.height, PixelFormat::Bgrx32);
  RenderPicturePlain(geometry, owner.state, owner.palette, rendered);
  DrawingSurface surface(geometry.width, geometry.height, kGrey);
  surface.Draw([&](Bitmap& picture) {
    CopyColours(rendered, picture);
    if (marker) DrawMarker(picture, *marker);
  });
  return surface.Snapshot();
}

Bitmap ExpectedLive(const Owner& owner) {
  return ExpectedPicture(
      LiveGeometry(owner.state.centreX, owner.state.centreY, owner.view.pixelStep), owner,
      nullptr);
}

Bitmap ExpectedGeneral(const Owner& owner) {
  return ExpectedPicture(GeneralGeometry(owner.view.generalStep), owner, &owner.view.marker);
}

TEST(DrawingSurface, CopiesColoursAndKeepsItsPixelsOpaque) {
  DrawingSurface surface(3, 2, Colour{10, 20, 30});
  Bitmap picture = surface.Snapshot();
  EXPECT_EQ(picture.Row(1)[8], 30);  // blue
  EXPECT_EQ(picture.Row(1)[9], 20);
  EXPECT_EQ(picture.Row(1)[10], 10);  // red
  EXPECT_EQ(picture.Row(1)[11], 0xFF);

  Bitmap pass(3, 2, PixelFormat::Bgrx32);  // fourth bytes 0, as a pass leaves them
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 12; ++i) pass.Row(j)[i] = static_cast<uint8_t>(i % 4 == 3 ? 0 : 40 + i);
  surface.Draw([&](Bitmap& pixels) { CopyColours(pass, pixels); });
  picture = surface.Snapshot();
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(picture.Row(j)[i], i % 4 == 3 ? 0xFF : 40 + i);
    }
  }
}

TEST(LiveRenderThread, FirstPassRunsAtOnceAndShowsThePlainPasses) {
  Owner owner;
  PlainRenderer renderer;
  std::atomic<int> livePresented{0}, generalPresented{0};
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general,
                          {[&](LivePicture which) {
                             (which == LivePicture::Live ? livePresented : generalPresented)++;
                           },
                           nullptr});
  EXPECT_FALSE(thread.Idle()) << "busy from the start, until the first pass is over";
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), 1u);
  EXPECT_EQ(livePresented.load(), 1);
  EXPECT_EQ(generalPresented.load(), 1);
  EXPECT_TRUE(owner.live.Snapshot() == ExpectedLive(owner));
  EXPECT_TRUE(owner.general.Snapshot() == ExpectedGeneral(owner));
  // The reset marker is not seen: the general view is the bare pass.
  EXPECT_TRUE(owner.general.Snapshot() == ExpectedPicture(GeneralGeometry(GeneralViewStep()),
                                                          owner, nullptr));
  // The off-screen bitmaps keep the pass itself, fourth byte untouched.
  Bitmap plain(kLiveWidth, kLiveHeight, PixelFormat::Bgrx32);
  RenderPicturePlain(LiveGeometry(0, 0, DefaultPixelStep()), owner.state, owner.palette, plain);
  EXPECT_TRUE(thread.LiveBitmap() == plain);
}

TEST(LiveRenderThread, WakeRendersTheChangedStateWithItsMarker) {
  Owner owner;
  PlainRenderer renderer;
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general);
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  const Bitmap before = owner.live.Snapshot();

  ASSERT_TRUE(thread.Idle());
  owner.state.cx = -0.8;
  owner.state.cy = 0.156;
  owner.state.centreX = 0.25f;
  SetViewWidth(owner.state, owner.view, 1.5f);
  owner.view.marker = UpdateMarker(owner.state.centreX, owner.state.centreY,
                                   owner.view.pixelStep, owner.view.generalStep);
  thread.Wake();
  EXPECT_FALSE(thread.Idle()) << "a wake makes the thread busy at once";
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), 2u);
  EXPECT_FALSE(owner.live.Snapshot() == before);
  EXPECT_TRUE(owner.live.Snapshot() == ExpectedLive(owner));
  const Bitmap general = owner.general.Snapshot();
  EXPECT_TRUE(general == ExpectedGeneral(owner));
  EXPECT_FALSE(general == ExpectedPicture(GeneralGeometry(GeneralViewStep()), owner, nullptr))
      << "the rectangle is seen";
}

TEST(LiveRenderThread, WakeJustAfterTheIdleFlagBecameTrueGivesAnotherPass) {
  Owner owner;
  PlainRenderer renderer;
  std::promise<void> reachedIdle, woken;
  std::shared_future<void> wokenFuture = woken.get_future().share();
  std::atomic<int> idleCount{0};
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general,
                          {nullptr, [&] {
                             if (idleCount++ == 0) {
                               reachedIdle.set_value();
                               wokenFuture.wait();  // hold the thread before it sleeps
                             }
                           }});
  ASSERT_TRUE(thread.Start());
  reachedIdle.get_future().wait();
  ASSERT_TRUE(thread.Idle());
  owner.state.cx = 0.285;
  owner.state.cy = 0.01;
  thread.Wake();
  woken.set_value();
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), 2u);
  EXPECT_TRUE(owner.live.Snapshot() == ExpectedLive(owner));
}

TEST(LiveRenderThread, FailedCreationLeavesTheThreadBusy) {
  Owner owner;
  PlainRenderer renderer;
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general);
  const bool started = thread.Start([](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  EXPECT_FALSE(started);
  EXPECT_FALSE(thread.Started());
  EXPECT_FALSE(thread.Idle());
  EXPECT_FALSE(thread.WaitUntilIdle(1ms));
  thread.Wake();
  thread.Stop();
}

// Blocks inside a pass until released, so the test can stop the thread in mid-pass.
class GateRenderer final : public Renderer {
 public:
  void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                     const Palette& palette, Bitmap& bitmap) override {
    entered_.store(true);
    while (!released_.load()) std::this_thread::yield();
    RenderPicturePlain(geometry, state, palette, bitmap);
    ++calls_;
  }
  void RenderExportRows(const ExportGeometry&, const ExportInputs&, int64_t, int64_t, double,
                        Bitmap&) override {}
  std::atomic<bool> entered_{false}, released_{false};
  std::atomic<int> calls_{0};
};

TEST(LiveRenderThread, StopLetsTheRunningPassEndAndStartsNoOther) {
  Owner owner;
  GateRenderer renderer;
  auto thread = std::make_unique<LiveRenderThread>(renderer, owner.Source(), owner.live,
                                                   owner.general);
  ASSERT_TRUE(thread->Start());
  while (!renderer.entered_.load()) std::this_thread::yield();
  std::thread stopper([&] { thread->Stop(); });
  std::this_thread::sleep_for(10ms);
  renderer.released_.store(true);
  stopper.join();
  EXPECT_FALSE(thread->Started()) << "joined";
  const int calls = renderer.calls_.load();
  EXPECT_LE(calls, 2) << "the pass that ran, and nothing after it";
  thread->Wake();
  thread.reset();  // destroying a stopped thread is fine, and so is destroying a running one
  EXPECT_EQ(renderer.calls_.load(), calls);

  Owner second;
  PlainRenderer plain;
  LiveRenderThread running(plain, second.Source(), second.live, second.general);
  ASSERT_TRUE(running.Start());
}

// Writes a picture that tells which change it was made from, and reads everything a real pass
// reads, so that a race between the two sides shows under the thread sanitizer.
class StampRenderer final : public Renderer {
 public:
  void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                     const Palette& palette, Bitmap& bitmap) override {
    const auto stamp = static_cast<uint8_t>(static_cast<int64_t>(state.cx) & 0xFF);
    const PaletteEntry& entry = palette[static_cast<int>(state.cy) % kPaletteSize];
    for (int j = 0; j < geometry.height; j += 7) {
      uint8_t* row = bitmap.Row(j);
      for (int i = 0; i < geometry.width; i += 5) {
        row[4 * i] = stamp;
        row[4 * i + 1] = entry.green;
        row[4 * i + 2] = geometry.x0 + state.centreY > 0.0f ? 1 : 0;
      }
    }
  }
  void RenderExportRows(const ExportGeometry&, const ExportInputs&, int64_t, int64_t, double,
                        Bitmap&) override {}
};

// The window's side changes the state and wakes the thread thousands of times at random
// moments; every change it was allowed to make must show in the picture once the thread is
// idle again, and every accepted wake must give exactly one pass.
TEST(LiveRenderThread, StressWakesAtRandomMomentsLoseNoPass) {
  Owner owner;
  StampRenderer renderer;
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general);
  ASSERT_TRUE(thread.Start());
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> pause(0, 9);
  int64_t generation = 0;
  uint64_t accepted = 0;
  uint64_t refused = 0;
  while (accepted < 2000) {
    const int choice = pause(random);
    if (choice < 3) {
      std::this_thread::yield();
    } else if (choice < 5) {
      std::this_thread::sleep_for(std::chrono::microseconds(choice * 20));
    }
    if (!thread.Idle()) {
      ++refused;
      continue;
    }
    // Idle: the last accepted change must be in the picture already.
    uint8_t shown = 0, shownGeneral = 0;
    owner.live.Read([&](const Bitmap& p) { shown = p.Row(0)[0]; });
    owner.general.Read([&](const Bitmap& p) { shownGeneral = p.Row(0)[0]; });
    ASSERT_EQ(shown, static_cast<uint8_t>(generation & 0xFF)) << "after " << accepted;
    ASSERT_EQ(shownGeneral, static_cast<uint8_t>(generation & 0xFF));
    ++generation;
    owner.state.cx = static_cast<double>(generation);
    owner.state.cy = static_cast<double>(generation % 97);
    owner.state.centreY = static_cast<float>(generation % 13);
    owner.palette[static_cast<int>(generation % 97)].green = static_cast<uint8_t>(generation);
    thread.Wake();
    ++accepted;
  }
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_EQ(thread.PassesCompleted(), accepted + 1);
  uint8_t shown = 0;
  owner.live.Read([&](const Bitmap& p) { shown = p.Row(0)[0]; });
  EXPECT_EQ(shown, static_cast<uint8_t>(generation & 0xFF));
  RecordProperty("refused", static_cast<int>(refused));
}

// The same with the real pass, fewer times: each idle picture is the plain pass of the state.
TEST(LiveRenderThread, StressWithThePlainPassKeepsThePicturesExact) {
  Owner owner;
  PlainRenderer renderer;
  LiveRenderThread thread(renderer, owner.Source(), owner.live, owner.general);
  ASSERT_TRUE(thread.Start());
  std::mt19937 random(7);
  std::uniform_int_distribution<int> position(-2000, 2000);
  std::uniform_int_distribution<int> micros(0, 3000);
  int checked = 0;
  while (checked < 12) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros(random)));
    if (!thread.Idle()) continue;
    ASSERT_TRUE(owner.live.Snapshot() == ExpectedLive(owner));
    ASSERT_TRUE(owner.general.Snapshot() == ExpectedGeneral(owner));
    ++checked;
    owner.state.cx = static_cast<double>(position(random) * 0.001L);
    owner.state.cy = static_cast<double>(position(random) * 0.001L);
    owner.state.palette.r1 = checked;
    BuildPalette(owner.state.palette, owner.palette);
    owner.view.marker = checked % 2 ? ResetMarker()
                                    : UpdateMarker(0.1f * checked, 0.0f, 0.001f * checked,
                                                   owner.view.generalStep);
    thread.Wake();
  }
  ASSERT_TRUE(thread.WaitUntilIdle(kPatience));
  EXPECT_TRUE(owner.live.Snapshot() == ExpectedLive(owner));
}

}  // namespace
}  // namespace zirvanta
