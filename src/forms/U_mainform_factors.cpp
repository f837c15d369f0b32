// The group "Factors": the sliders that write c, the step buttons and the sweeps of c.
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <limits>

#include "U_mainform.h"
#include "controls/tiny_button.h"
#include "engine/view_steering.h"

namespace {

// One axis's part of the sweep state.
struct AxisSweep {
  bool& stop;
  bool& up;
  bool& down;
  int32_t& upSpeed;
  int32_t& downSpeed;

  bool& Running(bool upward) { return upward ? up : down; }
  int32_t& Speed(bool upward) { return upward ? upSpeed : downSpeed; }
};

AxisSweep SweepOf(TMainForm::SweepState& sweep, bool realAxis) {
  if (realAxis) return {sweep.stopRe, sweep.reUp, sweep.reDown, sweep.reUpSpeed, sweep.reDownSpeed};
  return {sweep.stopIm, sweep.imUp, sweep.imDown, sweep.imUpSpeed, sweep.imDownSpeed};
}

// Sets a slider one position further; the slider clamps it and raises its change event only
// when the position really changes.
void StepSlider(QSlider* slider, int64_t by) {
  const int64_t target = std::clamp<int64_t>(int64_t{slider->value()} + by, slider->minimum(),
                                             slider->maximum());
  slider->setValue(static_cast<int>(target));
}

}  // namespace

void TMainForm::ConnectFactors() {
  connect(TrackBarCx, &QSlider::valueChanged, this, &TMainForm::TrackBarCxChange);
  connect(TrackBarCy, &QSlider::valueChanged, this, &TMainForm::TrackBarCyChange);
  connect(PlusCx, &QAbstractButton::clicked, this, &TMainForm::PlusCxClick);
  connect(MinusCx, &QAbstractButton::clicked, this, &TMainForm::MinusCxClick);
  connect(PlusCy, &QAbstractButton::clicked, this, &TMainForm::PlusCyClick);
  connect(MinusCy, &QAbstractButton::clicked, this, &TMainForm::MinusCyClick);
  connect(UpCx, &QAbstractButton::clicked, this, &TMainForm::UpCxClick);
  connect(DownCx, &QAbstractButton::clicked, this, &TMainForm::DownCxClick);
  connect(UpCy, &QAbstractButton::clicked, this, &TMainForm::UpCyClick);
  connect(DownCy, &QAbstractButton::clicked, this, &TMainForm::DownCyClick);
  connect(StopCx, &QAbstractButton::clicked, this, &TMainForm::StopCxClick);
  connect(StopCy, &QAbstractButton::clicked, this, &TMainForm::StopCyClick);
}

void TMainForm::FactorSliderChange(QSlider* slider, double& factor, QLineEdit* edit) {
  // Refused moves leave the slider where the user put it; the next accepted one catches up.
  if (!RenderThreadIdle() || sliderSyncSuppressed) return;
  factor = zirvanta::FactorOfPosition(slider->value());
  ShowFactor(edit, factor);
  WakeRenderThread();
}

void TMainForm::TrackBarCxChange(int) { FactorSliderChange(TrackBarCx, fractal.cx, E_cx); }
void TMainForm::TrackBarCyChange(int) { FactorSliderChange(TrackBarCy, fractal.cy, E_cy); }

void TMainForm::PlusCxClick() { StepSlider(TrackBarCx, 1); }
void TMainForm::MinusCxClick() { StepSlider(TrackBarCx, -1); }
void TMainForm::PlusCyClick() { StepSlider(TrackBarCy, 1); }
void TMainForm::MinusCyClick() { StepSlider(TrackBarCy, -1); }

void TMainForm::UpCxClick() { RunSweep(SweepAxis::Re, SweepDirection::Up); }
void TMainForm::DownCxClick() { RunSweep(SweepAxis::Re, SweepDirection::Down); }
void TMainForm::UpCyClick() { RunSweep(SweepAxis::Im, SweepDirection::Up); }
void TMainForm::DownCyClick() { RunSweep(SweepAxis::Im, SweepDirection::Down); }

void TMainForm::StopAllSweeps() {
  sweep.stopRe = true;
  sweep.stopIm = true;
}

void TMainForm::StopCxClick() {
  StopAllSweeps();
  TrackBarCx->setFocus(Qt::OtherFocusReason);
}

void TMainForm::StopCyClick() {
  StopAllSweeps();
  TrackBarCy->setFocus(Qt::OtherFocusReason);
}

bool TMainForm::SweepMustEnd(SweepAxis axis, SweepDirection direction) const {
  const bool realAxis = axis == SweepAxis::Re;
  const bool upward = direction == SweepDirection::Up;
  const bool stop = realAxis ? sweep.stopRe : sweep.stopIm;
  const bool reversed = realAxis ? (upward ? sweep.reDown : sweep.reUp)
                                 : (upward ? sweep.imDown : sweep.imUp);
  const QSlider* slider = realAxis ? TrackBarCx : TrackBarCy;
  const bool atEnd = upward ? slider->value() >= slider->maximum()
                            : slider->value() <= slider->minimum();
  return stop || reversed || atEnd;
}

// Processes the pending events. With waitForIdle, it then goes on processing events, sleeping
// in the event loop while none arrive, until the live render thread is idle or the sweep is to
// end: every step of the sweep then reaches c, and the sweep takes no processor time while a
// pass runs. False when the window was destroyed meanwhile; nothing of it may be touched then.
bool TMainForm::ProcessEventsOfSweep(SweepAxis axis, SweepDirection direction, bool waitForIdle) {
  const QPointer<TMainForm> alive(this);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (!alive) return false;
  while (waitForIdle && renderThreadCreated_ && !RenderThreadIdle() &&
         !SweepMustEnd(axis, direction)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (!alive) return false;
  }
  return true;
}

void TMainForm::RunSweep(SweepAxis axis, SweepDirection direction) {
  // Each turn of this loop is one press of a sweep button; the reversal at an end of the range
  // comes back here as a press of the opposite button, without growing the stack.
  for (;;) {
    const bool realAxis = axis == SweepAxis::Re;
    const bool upward = direction == SweepDirection::Up;
    AxisSweep mine = SweepOf(sweep, realAxis);
    AxisSweep other = SweepOf(sweep, !realAxis);

    // Take over from any other sweep.
    other.stop = true;
    other.up = false;
    other.down = false;
    mine.stop = false;
    mine.Running(!upward) = false;
    mine.Speed(!upward) = 1;
    other.upSpeed = 1;
    other.downSpeed = 1;

    // Pressed again while it runs: one position more per step.
    if (mine.Running(upward)) {
      if (mine.Speed(upward) < std::numeric_limits<int32_t>::max()) ++mine.Speed(upward);
      return;
    }

    mine.Running(upward) = true;
    QSlider* slider = realAxis ? TrackBarCx : TrackBarCy;
    while (mine.Running(upward)) {
      if (SweepMustEnd(axis, direction)) {
        mine.Running(upward) = false;
        break;
      }
      if (!ProcessEventsOfSweep(axis, direction, true)) return;
      // A stop, a reversal or a close that came in meanwhile ends the sweep before its step.
      if (SweepMustEnd(axis, direction)) continue;
      StepSlider(slider, upward ? int64_t{mine.Speed(true)} : -int64_t{mine.Speed(false)});
      if (!ProcessEventsOfSweep(axis, direction, false)) return;
    }

    if (mine.stop) {
      mine.upSpeed = 1;
      mine.downSpeed = 1;
      return;
    }
    if (mine.Running(!upward)) {  // reversed by hand: the other direction runs at its own speed
      mine.Speed(upward) = 1;
      return;
    }
    // The end of the range: back the other way with the speed reached.
    mine.Speed(!upward) = mine.Speed(upward);
    mine.Speed(upward) = 1;
    direction = upward ? SweepDirection::Down : SweepDirection::Up;
  }
}
