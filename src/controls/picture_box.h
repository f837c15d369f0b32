#pragma once

#include <QImage>
#include <QWidget>

#include "engine/drawing_surface.h"

// Shows a drawing surface that another thread draws onto: every paint copies the pixels onto
// the screen while holding the surface's drawing lock. Mouse events are passed on as signals
// with the position in pixels of the picture.
class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPictureBox(QWidget* parent = nullptr);

  // The surface must outlive the box or be detached with SetSurface(nullptr) first.
  void SetSurface(const zirvanta::DrawingSurface* surface);

  // A copy of what the box shows now.
  QImage Picture() const;

  // The surface holds device pixels (a screen-sized picture): drawn one to one on the screen
  // whatever the scaling, black where there is none yet.
  void ShowInDevicePixels(bool on) { devicePixels_ = on; }

 signals:
  // A left press and release within the box.
  void Clicked();
  void MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, int x, int y);
  void MouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const zirvanta::DrawingSurface* surface_ = nullptr;
  bool devicePixels_ = false;
  bool pressed_ = false;
};

// A picture drawn on the user-interface thread (the palette strip): the owner paints into
// Canvas() and calls update().
class TImageBox : public QWidget {
  Q_OBJECT
 public:
  explicit TImageBox(QWidget* parent = nullptr);

  // The image, sized to the box the first time it is asked for and kept at that size.
  QImage& Canvas();
  const QImage& Picture() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};
