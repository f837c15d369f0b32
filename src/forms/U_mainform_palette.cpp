// The group "Palette": six sliders, the palette type, "To apply" and "Apply".
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>

#include "U_mainform.h"
#include "forms/ui_common.h"

namespace {

using zirvanta::PaletteParams;

}  // namespace

void TMainForm::ConnectPalette() {
  connect(TrackBarR0, &QSlider::valueChanged, this, &TMainForm::TrackBarR0Change);
  connect(TrackBarG0, &QSlider::valueChanged, this, &TMainForm::TrackBarG0Change);
  connect(TrackBarB0, &QSlider::valueChanged, this, &TMainForm::TrackBarB0Change);
  connect(TrackBarR1, &QSlider::valueChanged, this, &TMainForm::TrackBarR1Change);
  connect(TrackBarG1, &QSlider::valueChanged, this, &TMainForm::TrackBarG1Change);
  connect(TrackBarB1, &QSlider::valueChanged, this, &TMainForm::TrackBarB1Change);
  // Only the user's choice counts: setting the item from a file raises nothing.
  connect(TypeOfPalette, &QComboBox::activated, this, &TMainForm::TypeOfPaletteChange);
  connect(IsChPalette, &QCheckBox::clicked, this, &TMainForm::IsChPaletteClick);
  connect(ChPalette, &QPushButton::clicked, this, &TMainForm::ChPaletteClick);
}

void TMainForm::PaletteChanged() {
  BuildPalette();
  DrawPaletteLine();
  WakeRenderThread();
}

void TMainForm::PaletteSliderChange(int32_t PaletteParams::*field, const QSlider* slider) {
  // Switched off, the slider only moves; "Apply" or "To apply" takes its position later.
  if (!applyPaletteAtOnce) return;
  const OverrideCursor hourglass(Qt::WaitCursor);
  if (!RenderThreadIdle()) return;
  fractal.palette.*field = slider->value();
  PaletteChanged();
}

void TMainForm::TrackBarR0Change(int) { PaletteSliderChange(&PaletteParams::r0, TrackBarR0); }
void TMainForm::TrackBarG0Change(int) { PaletteSliderChange(&PaletteParams::g0, TrackBarG0); }
void TMainForm::TrackBarB0Change(int) { PaletteSliderChange(&PaletteParams::b0, TrackBarB0); }
void TMainForm::TrackBarR1Change(int) { PaletteSliderChange(&PaletteParams::r1, TrackBarR1); }
void TMainForm::TrackBarG1Change(int) { PaletteSliderChange(&PaletteParams::g1, TrackBarG1); }
void TMainForm::TrackBarB1Change(int) { PaletteSliderChange(&PaletteParams::b1, TrackBarB1); }

void TMainForm::TakePaletteSliders() {
  fractal.palette.r0 = TrackBarR0->value();
  fractal.palette.g0 = TrackBarG0->value();
  fractal.palette.b0 = TrackBarB0->value();
  fractal.palette.r1 = TrackBarR1->value();
  fractal.palette.g1 = TrackBarG1->value();
  fractal.palette.b1 = TrackBarB1->value();
}

void TMainForm::TypeOfPaletteChange(int index) {
  // The type is recorded at once, also during a pass: the thread reads only the table.
  fractal.palette.type = index + 1;
  if (applyPaletteAtOnce && RenderThreadIdle()) PaletteChanged();
}

void TMainForm::IsChPaletteClick() {
  const OverrideCursor hourglass(Qt::WaitCursor);
  // Refused, the box keeps showing the user's click while mode and button stay as they were.
  if (!RenderThreadIdle()) return;
  const bool atOnce = IsChPalette->isChecked();
  ChPalette->setEnabled(!atOnce);
  applyPaletteAtOnce = atOnce;
  if (!atOnce) return;
  TakePaletteSliders();
  PaletteChanged();
}

void TMainForm::ChPaletteClick() {
  const OverrideCursor hourglass(Qt::WaitCursor);
  if (!RenderThreadIdle()) return;
  TakePaletteSliders();
  fractal.palette.type = TypeOfPalette->currentIndex() + 1;
  PaletteChanged();
}
