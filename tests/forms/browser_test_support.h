#pragma once

// What the browser tests share: a start folder with fractal and palette files, the shared state
// a browser works on, and answers to the modal windows a call opens.
#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/palette.h"
#include "files/fractal_file.h"
#include "main_link_double.h"
#include "session/shared_state.h"

namespace form_test {

// Showing a window may be slow on a busy machine or under a sanitizer.
inline constexpr int kDialogPatienceMs = 120000;

// A start folder with its two folders, and the shared state as the main window sets it up.
struct Folder {
  QTemporaryDir dir;
  zirvanta::SharedState state;

  Folder() {
    const std::string start = QFile::encodeName(dir.path()).toStdString();
    state.StartFolder = start;
    state.FractalFolder = start + "/fractals";
    state.PaletteFolder = start + "/paletts";
    QDir().mkpath(dir.path() + "/fractals");
    QDir().mkpath(dir.path() + "/paletts");
    zirvanta::BuildPalette(state.fractal.palette, state.palette);
  }

  std::string Fractal(const std::string& name) const { return state.FractalFolder + "/" + name; }
  std::string Palette(const std::string& name) const { return state.PaletteFolder + "/" + name; }

  // A fractal file of c = (cx, cy) in the view (x, y, width) with the palette given.
  void AddFractal(const std::string& fileName, double cx, double cy, float width = 5.0f,
                  zirvanta::PaletteParams palette = {2, 10, 20, 30, 4, 5, 6}, int32_t type = 1) {
    zirvanta::FractalState fractal;
    fractal.fractalType = type;
    fractal.cx = cx;
    fractal.cy = cy;
    fractal.centreX = 0.125f;
    fractal.centreY = -0.25f;
    fractal.viewWidth = width;
    fractal.palette = palette;
    QVERIFY(zirvanta::WriteFractalFile(Fractal(fileName), fractal).ok());
  }
  void AddPalette(const std::string& fileName, zirvanta::PaletteParams palette) {
    QVERIFY(zirvanta::WritePaletteFile(Palette(fileName), palette).ok());
  }
};

struct Box {
  QString caption, text;
  QMessageBox::Icon icon;
};

// While it lives, answers every message box that opens with `answer` (or its only button), and
// records it.
class Boxes {
 public:
  explicit Boxes(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer(answer) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      seen.push_back({box->windowTitle(), box->text(), box->icon()});
      QAbstractButton* button = box->button(this->answer);
      (button ? button : box->buttons().first())->click();
    });
    timer_.start();
  }
  QMessageBox::StandardButton answer;
  std::vector<Box> seen;

 private:
  QTimer timer_;
};

// Acts once on the next modal window of type T (a rename dialog) as soon as it shows.
template <typename T>
void OnModal(std::function<void(T&)> act) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*window);
  });
  timer->start();
}

inline QStringList Items(QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

// The entry names as the folder gives them, for comparing with a list's order.
inline QStringList FolderOrder(const std::string& folder, const char* pattern) {
  QStringList names;
  const QRegularExpression match(QString::fromLatin1(pattern));
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const QString name = QString::fromStdString(entry.path().filename().string());
    if (match.match(name).hasMatch()) names << name.section(QLatin1Char('.'), 0, 0);
  }
  return names;
}

inline void DoubleClickOn(QWidget* widget) {
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

}  // namespace form_test
