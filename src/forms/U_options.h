#pragma once

#include <QWidget>

#include "forms/main_link.h"
#include "session/shared_state.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// The slide show's options: the delay between slides (1 to 20 seconds) and the order, edited
// as copies and stored into slideDelay and slideOrder of the shared state only by "Ok!". A small
// modeless tool window; the main window stays usable while it is open.
//
// Sets windows.optionsWindowOpen at creation and clears it when it closes. Its hints go to the
// main window's status bar; it shows no tooltips.
class TJLFOptions : public QWidget {
  Q_OBJECT
 public:
  TJLFOptions(zirvanta::SharedState& state, TMainLink& link, QWidget* parent = nullptr);

  QLineEdit* TimeInterval = nullptr;
  QLabel* Label1 = nullptr;
  QSlider* BTInterval = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QPushButton* CanBut = nullptr;
  QPushButton* ButOkey = nullptr;

 protected:
  bool event(QEvent* event) override;             // hints to the status bar, no tooltips
  void closeEvent(QCloseEvent* event) override;  // FormClose: the close box is "Cansel"

 private:
  void BTIntervalChange(int position);
  void ButOkeyClick();
  void CanButClick();

  zirvanta::SharedState& state_;
  TMainLink& link_;
};
