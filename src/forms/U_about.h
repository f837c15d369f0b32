#pragma once

#include <QImage>
#include <QWidget>

#include "forms/main_link.h"
#include "session/shared_state.h"

class QLabel;
class QPushButton;

// The about window: the program's version beside a small Julia set drawn by the engine. At most
// one exists: it sets the shared windows.aboutWindowOpen when it is created and clears it when
// it closes (Esc, the Close button or the close box); closing destroys it. Modeless, kept above
// the main window, placed 120 pixels below the main window's top and centred across it.
class TAboutForm : public QWidget {
  Q_OBJECT

 public:
  TAboutForm(zirvanta::SharedState& state, TMainLink& link);

  // The 73 x 73 picture: dark red outside, orange and yellow bands towards the set, green at
  // its edge, black inside.
  static QImage GoodByeImage();

  QLabel* GoodByePicture = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* CloseButton = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;                // FormClose
  bool eventFilter(QObject* watched, QEvent* event) override;  // FormKeyDown, before the button

 private:
  void CloseButtonClick();

  zirvanta::SharedState& state_;
};
