// The general view: a press or a drag with a button held centres the live view on the point
// of the fixed overview under the mouse; moves show the overview's coordinates.
#include "U_mainform.h"
#include "controls/picture_box.h"
#include "engine/view_steering.h"

void TMainForm::ConnectGeneralView() {
  connect(GeneralView, &TPictureBox::MouseDown, this, &TMainForm::GeneralViewMouseDown);
  connect(GeneralView, &TPictureBox::MouseMove, this, &TMainForm::GeneralViewMouseMove);
  connect(GeneralView, &TPictureBox::MouseUp, this, &TMainForm::GeneralViewMouseUp);
}

void TMainForm::GeneralViewMouseDown(Qt::MouseButton, Qt::MouseButtons, int x, int y) {
  if (RenderThreadIdle() && shared_.MouseArmed) {
    zirvanta::CentreOnGeneralPixel(fractal, view, x, y);
    ApplyView();
  }
  // Unlike the picture, a press here that only re-arms does so even while a pass runs.
  shared_.MouseArmed = true;
}

void TMainForm::GeneralViewMouseMove(Qt::MouseButtons buttons, int x, int y) {
  const zirvanta::PlanePoint point = zirvanta::GeneralMouseToPlane(x, y, view.generalStep);
  ShowCoordinates(point.x, point.y);
  // A move never re-arms.
  if (!RenderThreadIdle() || !shared_.MouseArmed) return;
  if (!(buttons & (Qt::LeftButton | Qt::RightButton))) return;
  zirvanta::CentreOnGeneralPixel(fractal, view, x, y);
  ApplyView();
}

void TMainForm::GeneralViewMouseUp(Qt::MouseButton, Qt::MouseButtons, int, int) {}
