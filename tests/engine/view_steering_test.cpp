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

TEST(ZoomTool, ClickAtTheCentreKeepsItAndNarrowsTheView) {
  StartView v;
  ZoomOnLivePixel(v.state, v.view, 265, 204, ZoomStep::In);
  EXPECT_EQ(v.state.centreX, 0.0f);
  EXPECT_EQ(v.state.centreY, 0.0f);
  EXPECT_EQ(v.state.viewWidth, 3.5f);
  EXPECT_EQ(v.view.pixelStep, PixelStepForWidth(3.5f));
  // Out again does not restore the width: 0.7 x 1.3 = 0.91.
  ZoomOnLivePixel(v.state, v.view, 265, 204, ZoomStep::Out);
  EXPECT_EQ(v.state.viewWidth, static_cast<float>(3.5L + 3.5L * 0.3L));
  EXPECT_NEAR(v.state.viewWidth, 4.55, 1e-6);
}

TEST(ZoomTool, ClickAtTheCornerCentresWithTheStepBeforeTheZoom) {
  StartView v;
  const long double s = v.view.pixelStep;
  ZoomOnLivePixel(v.state, v.view, 0, 0, ZoomStep::In);
  EXPECT_EQ(v.state.centreX, static_cast<float>(-265 * s));
  EXPECT_EQ(v.state.centreY, static_cast<float>(204 * s));
  EXPECT_EQ(v.state.viewWidth, 3.5f);

  StartView middle;
  ZoomOnLivePixel(middle.state, middle.view, 0, 0, ZoomStep::Keep);
  EXPECT_EQ(middle.state.centreX, v.state.centreX);
  EXPECT_EQ(middle.state.viewWidth, 5.0f);
  EXPECT_EQ(middle.view.pixelStep, DefaultPixelStep());
}

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

TEST(PlusMinus, ThirtyPercentAboutTheCentre) {
  StartView v;
  v.state.centreX = 0.25f;
  ZoomAboutCentre(v.state, v.view, ZoomStep::In);
  EXPECT_EQ(v.state.viewWidth, 3.5f);
  EXPECT_EQ(v.state.centreX, 0.25f);
  ZoomAboutCentre(v.state, v.view, ZoomStep::Out);
  EXPECT_EQ(v.state.viewWidth, static_cast<float>(3.5L * 1.3L));
}

TEST(HandTool, ThePlaneFollowsThePointer) {
  StartView v;
  const long double s = v.view.pixelStep;
  PanLiveView(v.state, v.view, 100, 100, 110, 95);
  EXPECT_EQ(v.state.centreX, static_cast<float>(-10 * s));
  EXPECT_EQ(v.state.centreY, static_cast<float>(-5 * s));
  EXPECT_EQ(v.state.viewWidth, 5.0f);

  // Near the end of single precision a pan that would overflow leaves that coordinate alone.
  SetViewWidth(v.state, v.view, kLargest);
  v.state.centreX = kLargest * 0.9f;
  v.state.centreY = 0.0f;
  PanLiveView(v.state, v.view, 1000, 0, 0, 10);
  EXPECT_EQ(v.state.centreX, kLargest * 0.9f);
  EXPECT_EQ(v.state.centreY, static_cast<float>(10.0L * v.view.pixelStep));
}

TEST(DragZoom, HorizontalActsTwoAndAHalfTimesAsStrongly) {
  StartView v;
  DragZoomLiveView(v.state, v.view, 200, 100, 200, 509);  // down the whole height at once
  EXPECT_EQ(v.state.viewWidth, static_cast<float>(5.0L - 5.0L * (409 * 0.3L / 409)));
  EXPECT_EQ(v.state.viewWidth, 3.5f);
  EXPECT_EQ(v.view.pixelStep, PixelStepForWidth(3.5f));

  StartView right;
  DragZoomLiveView(right.state, right.view, 200, 100, 253, 100);
  EXPECT_EQ(right.state.viewWidth, static_cast<float>(5.0L + 5.0L * (53.0L / 530)));
  EXPECT_EQ(right.state.centreX, 0.0f);
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

TEST(GeneralViewClick, CentresOnTheOverviewPixelWhateverTheZoom) {
  StartView v;
  SetViewWidth(v.state, v.view, 0.01f);
  CentreOnGeneralPixel(v.state, v.view, 0, 0);
  EXPECT_EQ(v.state.centreX, static_cast<float>(-40.0L * GeneralViewStep()));
  EXPECT_EQ(v.state.centreY, static_cast<float>(32.0L * GeneralViewStep()));
  EXPECT_NEAR(v.state.centreX, -2.4691358, 1e-6);
  EXPECT_NEAR(v.state.centreY, 1.9753087, 1e-6);
  EXPECT_EQ(v.state.viewWidth, 0.01f);
  CentreOnGeneralPixel(v.state, v.view, 40, 32);
  EXPECT_EQ(v.state.centreX, 0.0f);
  EXPECT_EQ(v.state.centreY, 0.0f);
}

TEST(DefaultView, RestoresWidthStepCentreAndHidesTheMarker) {
  StartView v;
  v.state.cx = -0.7;
  ZoomOnLivePixel(v.state, v.view, 10, 20, ZoomStep::In);
  v.view.marker = UpdateMarker(v.state.centreX, v.state.centreY, v.view.pixelStep,
                               v.view.generalStep);
  SetDefaultView(v.state, v.view);
  EXPECT_EQ(v.state.viewWidth, 5.0f);
  EXPECT_EQ(v.view.pixelStep, v.view.defaultStep);
  EXPECT_EQ(v.state.centreX, 0.0f);
  EXPECT_EQ(v.state.centreY, 0.0f);
  EXPECT_EQ(v.view.marker, ResetMarker());
  EXPECT_EQ(v.state.cx, -0.7);
}

TEST(FactorDrag, SinglePrecisionRatiosAtTheStartUpScale) {
  const float s0 = DefaultPixelStep();
  const FactorDragRatios ratios = FactorDragRatiosFor(s0, s0, 2000, 2000);
  EXPECT_EQ(ratios.kx, 7.5471697f);
  EXPECT_NE(static_cast<long double>(ratios.kx), 4000.0L / 530);
  EXPECT_EQ(ratios.ky, static_cast<float>(4000.0L / 409));
  // 53 x 7.5471697 = 399.99999, toward zero 399; 54 pixels give 407.
  EXPECT_EQ(FactorDragPosition(0, 53, ratios.kx, -2000, 2000), 399);
  EXPECT_EQ(FactorDragPosition(0, 54, ratios.kx, -2000, 2000), 407);
  EXPECT_EQ(FactorDragPosition(0, -53, ratios.kx, -2000, 2000), -399);
  EXPECT_EQ(FactorDragPosition(402, 600, ratios.kx, -2000, 2000), 2000);
  EXPECT_EQ(FactorDragPosition(402, -600, ratios.kx, -2000, 2000), -2000);

  // Zoomed in by 2 the same drag moves c half as far.
  const FactorDragRatios zoomed = FactorDragRatiosFor(PixelStepForWidth(2.5f), s0, 2000, 2000);
  EXPECT_NEAR(zoomed.kx, ratios.kx / 2, 1e-6);
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

TEST(FactorOfPosition, ExtendedProductStoredAsDouble) {
  EXPECT_EQ(FactorOfPosition(402), static_cast<double>(402 * 0.001L));
  EXPECT_EQ(FactorOfPosition(-2000), -2.0);
  EXPECT_EQ(FactorOfPosition(1), static_cast<double>(0.001L));
}

}  // namespace
}  // namespace zirvanta
