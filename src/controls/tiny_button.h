#pragma once

#include <QAbstractButton>

// A push button too small for a style's text margins (the 12 x 8 step buttons): a raised
// bevel with its caption's ink centred in it.
class TTinyButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit TTinyButton(const QString& caption, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {12, 8}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};
