#pragma once

#include <QGroupBox>

// A group box whose caption sits on the frame's top line, as the window's layout expects:
// controls placed near the top of the group (the palette strip, the general view) then lie
// inside the frame rather than across it.
class TGroupFrame : public QGroupBox {
  Q_OBJECT
 public:
  explicit TGroupFrame(const QString& caption, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
