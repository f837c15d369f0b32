#include "U_options.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusTipEvent>

#include "controls/group_frame.h"
#include "forms/ui_common.h"

namespace {

constexpr int kClientWidth = 170;
constexpr int kClientHeight = 203;
constexpr int kTextPixels = 9;
constexpr int kOkPixels = 11;

template <typename Control>
Control* Place(Control* control, const char* name, QRect place) {
  control->setObjectName(QLatin1String(name));
  control->setGeometry(place);
  return control;
}

}  // namespace

TJLFOptions::TJLFOptions(zirvanta::SharedState& state, TMainLink& link, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      state_(state),
      link_(link) {
  setObjectName(QStringLiteral("JLFOptions"));
  setWindowTitle(QStringLiteral("Options"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(UiFont(kTextPixels));

  TimeInterval = Place(new QLineEdit(this), "TimeInterval", {11, 14, 17, 20});
  TimeInterval->setReadOnly(true);
  TimeInterval->setFocusPolicy(Qt::NoFocus);
  TimeInterval->setAlignment(Qt::AlignCenter);
  TimeInterval->setTextMargins(0, 0, 0, 0);
  TimeInterval->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));

  Label1 = new QLabel(QStringLiteral("Delay for slide show (s)."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(32, 18);
  Label1->adjustSize();

  BTInterval = Place(new QSlider(Qt::Horizontal, this), "BTInterval", {5, 36, 158, 25});
  BTInterval->setRange(1, 20);
  BTInterval->setSingleStep(1);
  BTInterval->setPageStep(1);
  BTInterval->setTickPosition(QSlider::TicksBelow);
  BTInterval->setTickInterval(1);
  BTInterval->setStatusTip(QStringLiteral(" Establishes a delay for slide - show"));

  GroupBox1 = Place(new TGroupFrame(QStringLiteral("Slid show order"), this), "GroupBox1",
                    {8, 69, 153, 85});
  RadioButton1 = new QRadioButton(QStringLiteral("Forward"), GroupBox1);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->move(24, 24);
  RadioButton1->adjustSize();
  RadioButton2 = new QRadioButton(QStringLiteral("Random"), GroupBox1);
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  RadioButton2->move(24, 48);
  RadioButton2->adjustSize();

  CanBut = Place(new QPushButton(QStringLiteral("Cansel"), this), "CanBut", {38, 173, 59, 20});
  CanBut->setStatusTip(QStringLiteral(" To cancel changes"));
  ButOkey = Place(new QPushButton(QStringLiteral("Ok!"), this), "ButOkey", {102, 173, 57, 20});
  ButOkey->setFont(UiFont(kOkPixels));
  ButOkey->setStatusTip(QStringLiteral(" To apply the changed installations"));
  ButOkey->setDefault(true);

  connect(BTInterval, &QSlider::valueChanged, this, &TJLFOptions::BTIntervalChange);
  connect(ButOkey, &QPushButton::clicked, this, &TJLFOptions::ButOkeyClick);
  connect(CanBut, &QPushButton::clicked, this, &TJLFOptions::CanButClick);

  state_.windows.optionsWindowOpen = true;
  // The slider keeps a delay outside 1 .. 20 within its range; the box shows the delay itself.
  BTInterval->setValue(state_.slideDelay);
  TimeInterval->setText(QString::number(state_.slideDelay));
  (state_.slideOrder == 1 ? RadioButton2 : RadioButton1)->setChecked(true);
}

void TJLFOptions::BTIntervalChange(int position) {
  TimeInterval->setText(QString::number(position));
}

void TJLFOptions::ButOkeyClick() {
  state_.slideDelay = BTInterval->value();
  state_.slideOrder = RadioButton1->isChecked() ? 0 : 1;
  close();
}

void TJLFOptions::CanButClick() { close(); }

bool TJLFOptions::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    link_.ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  if (event->type() == QEvent::ToolTip) return true;
  return QWidget::event(event);
}

void TJLFOptions::closeEvent(QCloseEvent* event) {
  state_.windows.optionsWindowOpen = false;
  event->accept();
}
