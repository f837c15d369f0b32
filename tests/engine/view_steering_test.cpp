#include "engine/view_steering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zirvanta {
namespace {

constexpr float kLargest = std::numeric_limits<float>::max();

struct StartView {
  FractalState state;
  ViewValues view;
};

TEST(ZoomTool, RepeatedZoomsKeepTheWidthUsable) {
  StartView in;
  for (int i = 0; i < 1000; ++i) ZoomOnLivePixel(in.state, in.view, 300, 100, ZoomStep::In);
  EXPECT_GT(in.state.viewWidth, 0.0f);
  EXPECT_TRUE(std::isnormal(in.view.pixelStep));
  EXPECT_EQ(in.view.pixelStep, PixelStepForWidth(in.state.viewWidth));
  EXPECT_FALSE(UsableViewWidth(static_cast<float>(in.state.viewWidth * 0.7L)));
  EXPECT_TRUE(std::isfinite(in.state.centreX));

  StartView out;
  for (int i = 0; i < 1000; ++i) ZoomAboutCentre(out.state, out.view, ZoomStep::Out);
  EXPECT_TRUE(std::isfinite(out.state.viewWidth));
  EXPECT_GT(out.state.viewWidth, kLargest / 1.3f);
  EXPECT_EQ(out.view.pixelStep, PixelStepForWidth(out.state.viewWidth));
  // Clicks off-centre at that scale would throw the centre beyond single precision: it stays.
  for (int i = 0; i < 10; ++i) ZoomOnLivePixel(out.state, out.view, 529, 0, ZoomStep::Keep);
  EXPECT_TRUE(std::isfinite(out.state.centreX));
  EXPECT_TRUE(std::isfinite(out.state.centreY));
}

TEST(UsableViewWidth, FinitePositiveWithANormalStep) {
  EXPECT_TRUE(UsableViewWidth(5.0f));
  EXPECT_TRUE(UsableViewWidth(kLargest));
  EXPECT_TRUE(UsableViewWidth(std::numeric_limits<float>::min() * 600));
  EXPECT_FALSE(UsableViewWidth(std::numeric_limits<float>::min()));  // its step is subnormal
  EXPECT_FALSE(UsableViewWidth(0.0f));
  EXPECT_FALSE(UsableViewWidth(-1.0f));
  EXPECT_FALSE(UsableViewWidth(std::numeric_limits<float>::infinity()));
  EXPECT_FALSE(UsableViewWidth(std::numeric_limits<float>::quiet_NaN()));
}

TEST(HandTool, APanBeyondSinglePrecisionLeavesThatCoordinate) {
  StartView v;
  SetViewWidth(v.state, v.view, kLargest);
  v.state.centreX = kLargest * 0.9f;
  v.state.centreY = 0.0f;
  PanLiveView(v.state, v.view, 1000, 0, 0, 10);
  EXPECT_EQ(v.state.centreX, kLargest * 0.9f);
  EXPECT_EQ(v.state.centreY, static_cast<float>(10.0L * v.view.pixelStep));
}

TEST(DragZoom, AJumpOf530PixelsOrMoreToTheLeftIsRefused) {
  for (int jump : {530, 531, 2000, std::numeric_limits<int>::max() / 2}) {
    StartView v;
    DragZoomLiveView(v.state, v.view, jump, 0, 0, 0);
    EXPECT_EQ(v.state.viewWidth, 5.0f) << jump;
    EXPECT_EQ(v.view.pixelStep, DefaultPixelStep()) << jump;
  }
  // A jump just short of it narrows the view a lot, and the drag goes on from there.
  StartView v;
  DragZoomLiveView(v.state, v.view, 529, 0, 0, 0);
  EXPECT_EQ(v.state.viewWidth, static_cast<float>(5.0L - 5.0L * (529.0L / 530)));
  DragZoomLiveView(v.state, v.view, 0, 0, 53, 0);
  EXPECT_GT(v.state.viewWidth, static_cast<float>(5.0L / 530));
  // Outward jumps that would overflow are refused likewise.
  SetViewWidth(v.state, v.view, kLargest / 2);
  DragZoomLiveView(v.state, v.view, 0, 0, 1060, 0);
  EXPECT_EQ(v.state.viewWidth, kLargest / 2);
}

TEST(FactorDrag, ExtremeScalesStayWithinTheSliderRange) {
  const float s0 = DefaultPixelStep();
  const FactorDragRatios huge = FactorDragRatiosFor(kLargest, s0, 2000, 2000);
  EXPECT_EQ(huge.kx, kLargest);
  EXPECT_EQ(FactorDragPosition(5, 0, huge.kx, -2000, 2000), 5);
  EXPECT_EQ(FactorDragPosition(5, 1, huge.kx, -2000, 2000), 2000);
  EXPECT_EQ(FactorDragPosition(5, std::numeric_limits<int>::min(), huge.kx, -2000, 2000), -2000);
  const FactorDragRatios tiny =
      FactorDragRatiosFor(std::numeric_limits<float>::denorm_min(), s0, 2000, 2000);
  EXPECT_EQ(FactorDragPosition(7, std::numeric_limits<int>::max(), tiny.kx, -2000, 2000), 7);
  EXPECT_EQ(FactorDragPosition(0, 1, std::numeric_limits<float>::quiet_NaN(), -2000, 2000), 0);
}

}  // namespace
}  // namespace zirvanta
