#pragma once

// What the browser tests share: a start folder with fractal and palette files, the shared state
// and main-window stand-in a browser works on, and answers to the modal windows a call opens.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <string>

#include "engine/palette.h"
#include "files/entry_files.h"
#include "files/fractal_file.h"
#include "main_link_double.h"
#include "session/shared_state.h"

namespace form_test {

inline constexpr int kDialogPatienceMs = 120000;  // showing may be slow under a sanitizer

struct Folder {
  QTemporaryDir dir;
  zirvanta::SharedState state;
  MainLinkDouble link;

  explicit Folder(bool openMode = true) {
    const std::string start = QFile::encodeName(dir.path()).toStdString();
    state.StartFolder = start;
    state.FractalFolder = start + "/fractals";
    state.PaletteFolder = start + "/paletts";
    QDir().mkpath(dir.path() + "/fractals");
    QDir().mkpath(dir.path() + "/paletts");
    zirvanta::BuildPalette(state.fractal.palette, state.palette);
    state.browser.BrowserOpenMode = openMode;
  }

  std::string Fractal(const std::string& name) const { return state.FractalFolder + "/" + name; }
  std::string Palette(const std::string& name) const { return state.PaletteFolder + "/" + name; }
  // The entries as the folder gives them, unsorted, for comparing with a list's order.
  QStringList Listed(zirvanta::EntryPattern pattern) const {
    QStringList names;
    const bool fractals = pattern == zirvanta::EntryPattern::FractalFiles;
    for (const std::string& name :
         zirvanta::ListEntries(fractals ? state.FractalFolder : state.PaletteFolder, pattern)) {
      names << QString::fromStdString(name);
    }
    return names;
  }
  bool Has(const std::string& path) const { return QFile::exists(QString::fromStdString(path)); }

  // A fractal file of c = (cx, cy) in a view of the width given, centred on (0.125, -0.25).
  void AddFractal(const std::string& fileName, double cx, double cy, float width = 5.0f,
                  zirvanta::PaletteParams palette = {2, 10, 20, 30, 4, 5, 6}, int32_t type = 1) {
    const zirvanta::FractalState fractal{.fractalType = type, .cx = cx, .cy = cy,
                                         .centreX = 0.125f, .centreY = -0.25f,
                                         .viewWidth = width, .palette = palette};
    QVERIFY(zirvanta::WriteFractalFile(Fractal(fileName), fractal).ok());
  }
  void AddPalette(const std::string& fileName, zirvanta::PaletteParams palette) {
    QVERIFY(zirvanta::WritePaletteFile(Palette(fileName), palette).ok());
  }
};

// A message box as one line: caption, icon and text.
inline QString Said(const QString& caption, QMessageBox::Icon icon, const QString& text) {
  return caption + " [" + QString::number(icon) + "] " + text;
}
inline const QString kReadFailure =
    Said("Zirvanta 1.02", QMessageBox::NoIcon, "The file did not manage to be opened for reading.");
inline const QString kWriteFailure = Said("Zirvanta 1.02", QMessageBox::NoIcon,
                                          "The file did not manage to be opened for recording.");

// While it lives, answers every message box that opens with `answer` (or its only button), and
// records it in `seen`.
class Boxes {
 public:
  explicit Boxes(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer(answer) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      seen << Said(box->windowTitle(), box->icon(), box->text());
      QAbstractButton* button = box->button(this->answer);
      (button ? button : box->buttons().first())->click();
    });
    timer_.start();
  }
  // The boxes seen so far, forgotten.
  QStringList Take() { return std::exchange(seen, {}); }

  QMessageBox::StandardButton answer;
  QStringList seen;

 private:
  QTimer timer_;
};

// Acts once on the next modal window of type T as soon as it shows.
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
inline void Select(QListWidget* list, const char* entry) {
  list->setCurrentRow(static_cast<int>(Items(list).indexOf(entry)));
}

inline void DoubleClickOn(QWidget* widget) {
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

}  // namespace form_test
