#include "engine/view_steering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/numeric.h"

namespace zirvanta {
namespace {

constexpr float kLargest = std::numeric_limits<float>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(TruncClamp, RoundsTowardZeroAndBoundsEverythingElse) {
  EXPECT_EQ(TruncToInt32(399.99999), 399);
  EXPECT_EQ(TruncToInt32(-2.7), -2);
  EXPECT_EQ(TruncToInt32(-kInf), INT32_MIN);
  EXPECT_EQ(TruncToInt32(std::nan(""), 17), 17);
  EXPECT_EQ(TruncClamp<int>(2500.5, -2000, 2000, 0), 2000);
  EXPECT_EQ(TruncToInt64(9.3e18), INT64_MAX);
}

TEST(UsableViewWidth, FinitePositiveWithANormalStep) {
  const float tiny = std::numeric_limits<float>::min();  // its step is subnormal
  for (float width : {5.0f, kLargest, tiny * 600}) EXPECT_TRUE(UsableViewWidth(width)) << width;
  for (float width : {tiny, 0.0f, -1.0f, kInf, std::nanf("")}) {
    EXPECT_FALSE(UsableViewWidth(width)) << width;
  }
}

struct StartView {
  FractalState state;
  ViewValues view;
};

TEST(ViewSteering, ZoomsStopAtTheEndsOfSinglePrecision) {
  StartView in, out;
  for (int i = 0; i < 1000; ++i) ZoomOnLivePixel(in.state, in.view, 300, 100, ZoomStep::In);
  EXPECT_TRUE(UsableViewWidth(in.state.viewWidth));
  EXPECT_FALSE(UsableViewWidth(static_cast<float>(in.state.viewWidth * 0.7L)));
  EXPECT_EQ(in.view.pixelStep, PixelStepForWidth(in.state.viewWidth));
  for (int i = 0; i < 1000; ++i) ZoomAboutCentre(out.state, out.view, ZoomStep::Out);
  EXPECT_GT(out.state.viewWidth, kLargest / 1.3f);
  EXPECT_LT(out.state.viewWidth, kInf);
  EXPECT_EQ(out.view.pixelStep, PixelStepForWidth(out.state.viewWidth));
  // Off-centre clicks at that scale would throw the centre beyond single precision: it stays.
  for (int i = 0; i < 10; ++i) ZoomOnLivePixel(out.state, out.view, 529, 0, ZoomStep::Keep);
  EXPECT_TRUE(std::isfinite(out.state.centreX) && std::isfinite(out.state.centreY));
}

TEST(ViewSteering, PansAndDragsThatWouldOverflowAreRefusedForThatPart) {
  StartView v;
  SetViewWidth(v.state, v.view, kLargest);
  v.state.centreX = kLargest * 0.9f;
  PanLiveView(v.state, v.view, 1000, 0, 0, 10);
  EXPECT_EQ(v.state.centreX, kLargest * 0.9f);
  EXPECT_EQ(v.state.centreY, static_cast<float>(10.0L * v.view.pixelStep));
  // A drag zoom of 530 pixels or more to the left would make the width zero or negative.
  for (int jump : {530, 531, std::numeric_limits<int>::max() / 2}) {
    StartView drag;
    DragZoomLiveView(drag.state, drag.view, jump, 0, 0, 0);
    EXPECT_EQ(drag.state.viewWidth, 5.0f) << jump;
    EXPECT_EQ(drag.view.pixelStep, DefaultPixelStep()) << jump;
  }
  SetViewWidth(v.state, v.view, kLargest / 2);
  DragZoomLiveView(v.state, v.view, 0, 0, 1060, 0);
  EXPECT_EQ(v.state.viewWidth, kLargest / 2);
}

}  // namespace
}  // namespace zirvanta
