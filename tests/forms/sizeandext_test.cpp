// The export dialog alone (a shared state and a stand-in for the main window), and the export
// command of the real main window.
#include <QtTest>
#include <QtWidgets>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "controls/Cgauges.h"
#include "controls/group_frame.h"
#include "export/export_test_support.h"
#include "files/fractal_file.h"
#include "form_test_support.h"
#include "forms/U_sizeandext.h"
#include "main_link_double.h"
#include "render_cli.h"

namespace {

using zirvanta::testing::ReadBytes;
using zirvanta::testing::WriteBytes;

// Computes with the plain path; holds before the chosen block until the test lets go, and notes
// the thread shares it was given.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  int holdAtBlock = -1;
  int blocks = 0;
  bool waiting = false;
  std::vector<int> shares;

  void Release() {
    { std::lock_guard lock(mutex); holdAtBlock = -1; }
    changed.notify_all();
  }
  bool Waiting() { std::lock_guard lock(mutex); return waiting; }
};

class GateRenderer final : public zirvanta::Renderer {
 public:
  explicit GateRenderer(Gate& gate) : gate_(gate) {}
  void RenderPicture(const zirvanta::PictureGeometry&, const zirvanta::FractalState&,
                     const zirvanta::Palette&, zirvanta::Bitmap&) override {}
  void RenderExportRows(const zirvanta::ExportGeometry& g, const zirvanta::ExportInputs& in,
                        int64_t first, int64_t count, double y, zirvanta::Bitmap& b) override {
    {
      std::unique_lock lock(gate_.mutex);
      gate_.waiting = gate_.blocks == gate_.holdAtBlock;
      gate_.changed.notify_all();
      gate_.changed.wait(lock, [&] { return gate_.blocks != gate_.holdAtBlock; });
      gate_.waiting = false;
      ++gate_.blocks;
    }
    plain_.RenderExportRows(g, in, first, count, y, b);
  }
  void SetActiveThreads(int count) override {
    std::lock_guard lock(gate_.mutex);
    gate_.shares.push_back(count);
  }

 private:
  Gate& gate_;
  zirvanta::PlainRenderer plain_;
};

// Runs act on the next modal window of type T to open, as long as the watch lives.
template <typename T>
struct ModalWatch {
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);
  ~ModalWatch() { *alive = false; }
  void Expect(std::function<void(T*)> act) { Poll(alive, std::move(act)); }
  static void Poll(std::shared_ptr<bool> alive, std::function<void(T*)> act) {
    QTimer::singleShot(5, [alive, act] {
      if (!*alive) return;
      if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) return act(window);
      Poll(alive, act);
    });
  }
};

// Notes the next message box's text, caption and icon, and closes it.
struct BoxWatch : ModalWatch<QMessageBox> {
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int seen = 0;
  void Expect() {
    ModalWatch::Expect([this](QMessageBox* box) {
      text = box->text(), caption = box->windowTitle(), icon = box->icon(), ++seen;
      box->accept();
    });
  }
};

struct Dialog {
  QTemporaryDir folder;
  zirvanta::SharedState state;
  form_test::MainLinkDouble link;
  Gate gate;
  QPointer<TSizeAndExt> dialog;

  explicit Dialog(QSize screen = {1024, 768}, const QString& name = QStringLiteral("pic")) {
    zirvanta::BuildPalette(state.fractal.palette, state.palette);
    TSizeAndExt::Environment environment;
    environment.screen = screen;
    environment.makeRenderer = [this] { return std::make_unique<GateRenderer>(gate); };
    state.windows.exportDialogOpen = true;
    dialog = new TSizeAndExt(state, link, folder.filePath(name), std::move(environment));
    dialog->show();
  }
  ~Dialog() {
    gate.Release();
    delete dialog.data();
  }
  TSizeAndExt* operator->() { return dialog; }
  std::string Path() { return folder.filePath(QStringLiteral("pic.bmp")).toStdString(); }
  void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    else QTest::keyClicks(edit, text);
  }
  void Size(const QString& width) { Type(dialog->ImageWidth, width); }
  // What the export of the dialog's settings must write.
  std::string Expected(int64_t width, int64_t height, int limit) {
    zirvanta::ExportParams p;
    p.width = width, p.height = height, p.limit = limit;
    p.centreX = state.fractal.centreX, p.centreY = state.fractal.centreY;
    p.viewWidth = state.fractal.viewWidth, p.cr = state.fractal.cx, p.ci = state.fractal.cy;
    p.palette = state.palette;
    return zirvanta::testing::ExpectedExport(p);
  }
  void Hold(int block) { std::lock_guard lock(gate.mutex); gate.holdAtBlock = block; }
  bool Held() { return QTest::qWaitFor([&] { return gate.Waiting(); }, form_test::kPatienceMs); }
  bool Finished() {
    return QTest::qWaitFor([&] { return dialog && !dialog->Running(); }, form_test::kPatienceMs);
  }
  QStringList Files() { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
};

}  // namespace

class SizeAndExtTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensWithTheScreensSizeAtFourToThree() {
    for (const auto& [screen, width, height, caption] :
         {std::tuple{QSize(1024, 768), "1024", "768", "File size: 2.36 Mb"},
          {QSize(1280, 1024), "1280", "960", "File size: 3.69 Mb"}}) {
      Dialog d(screen);
      QCOMPARE(d->ImageWidth->text(), QString::fromLatin1(width));
      QCOMPARE(d->ImageHeight->text(), QString::fromLatin1(height));
      QCOMPARE(d->GroupBox1->title(), QString::fromLatin1(caption));
    }
    Dialog d;
    QCOMPARE(d->windowTitle(), QStringLiteral("Calculation and recording of the image"));
    QCOMPARE(d->size(), QSize(353, 318));
    QCOMPARE(d->Iterations->currentText(), QStringLiteral("256"));
    QCOMPARE(d->PrF->currentText(), QStringLiteral("low"));
    QCOMPARE(d->Units->currentText(), QStringLiteral("pixels"));
    QCOMPARE(d->Permission->currentText(), QStringLiteral("300 dpi"));
    QVERIFY(!d->Permission->isEnabled() && d->ButtonOk->isEnabled());
    QCOMPARE(d->CGauge1->geometry(), QRect(16, 216, 321, 19));
    QVERIFY(d->SaveFName->text().endsWith(QStringLiteral("/pic.bmp")));
    QVERIFY(d->SaveFName->width() <= 277);
    // Tab order from the Ok button, which has the focus, so Enter starts at once.
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.dialog));
    QCOMPARE(QApplication::focusWidget(), d->ButtonOk);
    const QList<QWidget*> order = {d->ButtonOk, d->CanBut, d->PrF, d->IsCloseAfter,
                                   d->Iterations, d->Units, d->Permission, d->ImageWidth,
                                   d->ImageHeight};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
      QWidget* next = order[i]->nextInFocusChain();
      while (!(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
      QCOMPARE(next, order[i + 1]);
    }
    // Hints go to the main window's status bar.
    QStatusTipEvent tip(d->PrF->statusTip());
    QApplication::sendEvent(d.dialog, &tip);
    QCOMPARE(d.link.hint, QStringLiteral(" Choice of a priority of a stream expecting the image"));
    QCOMPARE(d->SaveFName->statusTip(), QStringLiteral(" Выбранный каталог и имя файла "));
  }

  void OutputPathsAndShortening() {
    for (const auto& [chosen, path] :
         {std::pair{"/a/new_image.bmp", "/a/new_image.bmp"}, {"/a/spiral.frc", "/a/spiral.bmp"},
          {"/a.b/pic", "/a.b/pic.bmp"}, {"/a/x.tar.gz", "/a/x.bmp"}}) {
      QCOMPARE(TSizeAndExt::OutputPathFor(QString::fromLatin1(chosen)), QString::fromLatin1(path));
    }
    const QFontMetrics metrics(QApplication::font());
    const int w = metrics.horizontalAdvance(QStringLiteral("/.../images/pic.bmp"));
    const QString path = QStringLiteral("/home/someone/images/pic.bmp");
    QCOMPARE(TSizeAndExt::ShortenedPath(path, metrics, 10000), path);
    QCOMPARE(TSizeAndExt::ShortenedPath(path, metrics, w), QStringLiteral("/.../images/pic.bmp"));
    QCOMPARE(TSizeAndExt::ShortenedPath(path, metrics, w - 1), QStringLiteral("/.../pic.bmp"));
    QCOMPARE(TSizeAndExt::ShortenedPath(path, metrics, 1), QStringLiteral(".../pic.bmp"));
    for (const auto& [value, text] : {std::pair{2.359296, "2.36"}, {1.296, "1.3"}, {900.0, "900"},
                                      {999.6, "1E3"}, {0.825000047683716, "0.825"}}) {
      QCOMPARE(TSizeAndExt::GeneralFormat(value, 3), QString::fromLatin1(text));
    }
  }

  // Typing into one edit writes the other at 4 : 3, as an integer for pixels and with up to 15
  // digits of the 32-bit value for other units.
  void TypingKeepsFourToThree() {
    struct Case { int unit; bool height; const char* typed; const char* other; const char* size; };
    const Case cases[] = {{0, false, "10", "7", "File size: 210 b"},
                          {1, false, "10", "7.5", nullptr},
                          {0, true, "3", "4", "File size: 36 b"},
                          {2, false, "1.1", "0.825000047683716", nullptr},
                          {0, false, "20", "15", "File size: 900 b"},
                          {0, false, "24", "18", "File size: 1.3 Kb"},
                          {0, false, "", "0", "File size: 0 b"}};
    for (const Case& c : cases) {
      Dialog d;
      d->Units->setCurrentIndex(c.unit);
      QLineEdit* typed = c.height ? d->ImageHeight : d->ImageWidth;
      d.Type(typed, QString::fromLatin1(c.typed));
      QCOMPARE((c.height ? d->ImageWidth : d->ImageHeight)->text(), QString::fromLatin1(c.other));
      if (c.size) QCOMPARE(d->GroupBox1->title(), QString::fromLatin1(c.size));
    }
    // Millimetres 10 x 7.5 back to pixels: the height rounds up to 8, whose change makes the
    // width 10.6667, shown as 10: a 10 x 8 image.
    Dialog d;
    d->Units->setCurrentIndex(1);
    d.Size(QStringLiteral("10"));
    d->Units->setCurrentIndex(0);
    QCOMPARE(d->ImageWidth->text(), QStringLiteral("10"));
    QCOMPARE(d->ImageHeight->text(), QStringLiteral("8"));
    QCOMPARE(std::pair(d->PixelWidth(), d->PixelHeight()), std::pair(int64_t{10}, int64_t{8}));
    // Text that is no number: the box, and the sizes as they were.
    BoxWatch box;
    box.Expect();
    d.Type(d->ImageWidth, QStringLiteral("-"));
    QCOMPARE(std::tuple(box.text, box.caption, box.icon),
             std::tuple(QStringLiteral("Not true number input"), QStringLiteral("The input mistake"),
                        QMessageBox::Critical));
    QCOMPARE(d->ImageHeight->text(), QStringLiteral("8"));
    QCOMPARE(d->WidthValue(), 10.6666669845581055f);
  }

  // Units to pixels: 32-bit divisors, truncation toward zero.
  void UnitsAtResolutions() {
    struct Case { int unit, dpiIndex; const char* width; int64_t pixels; };
    const Case cases[] = {{1, 2, "100", 1181}, {2, 2, "10", 1181}, {3, 5, "2", 1200},
                          {4, 0, "1", 3937}, {3, 0, "0.5", 50}, {1, 0, "2.54", 10}};
    for (const Case& c : cases) {
      Dialog d;
      d->Units->setCurrentIndex(c.unit);
      d->Permission->setCurrentIndex(c.dpiIndex);
      QVERIFY(d->Permission->isEnabled());
      d.Size(QString::fromLatin1(c.width));
      QCOMPARE(d->PixelWidth(), c.pixels);
    }
  }

  // Sizes that no file can have are refused at Ok, before any thread starts.
  void OkRefusesSizesThatCannotBeMade() {
    struct Case { int unit, dpiIndex; const char* width; const char* start; };
    const Case cases[] = {{0, 0, "0", "The width or height is equal to zero."},
                          {0, 0, "", "The width or height is equal to zero."},
                          {0, 0, "-5", "An image of -5 x -3 pixels cannot be made"},
                          {1, 0, "0.1", "An image of 0 x 0 pixels cannot be made"},
                          {4, 5, "9999", "An image of 236196853 x 177147639 pixels is too large"},
                          {0, 0, "9e99", "The width and the height must be numbers."}};
    for (const Case& c : cases) {
      Dialog d;
      d->Units->setCurrentIndex(c.unit);
      d->Permission->setCurrentIndex(c.dpiIndex);
      d->ImageWidth->setText(QString::fromLatin1(c.width));  // as pasted: no partial text
      BoxWatch box;
      box.Expect();
      QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
      QVERIFY2(box.text.startsWith(QString::fromLatin1(c.start)), qPrintable(box.text));
      QVERIFY(box.caption == QStringLiteral("The input mistake:"));
      QVERIFY(!d->Running() && d->ButtonOk->isEnabled() && d.gate.blocks == 0);
    }
  }

  // A whole export: progress in the gauge and the title, the file exact, then the finished state;
  // checking the box afterwards closes the dialog and keeps the choice.
  void ExportRunsShowsProgressAndFinishes() {
    Dialog d;
    d.Size(QStringLiteral("40"));  // 40 x 30: one progress point, after row 20
    d->Iterations->setCurrentIndex(1);
    d.Hold(1);  // the job holds before its second block
    QTest::keyClick(d->ButtonOk, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([&] { return d.link.title == QStringLiteral("66% Completed.."); },
                            form_test::kPatienceMs));
    QCOMPARE(d->CGauge1->Progress(), 66);
    QVERIFY(!d->ImageWidth->isEnabled() && !d->Units->isEnabled() && !d->ButtonOk->isEnabled());
    QVERIFY(d->PrF->isEnabled() && d->CanBut->isEnabled());
    // Keys are the dialog's alone while it runs: Esc closes nothing.
    QTest::keyClick(d->PrF, Qt::Key_Escape);
    QVERIFY(d->isVisible());
    // A priority change reaches the running job.
    d->PrF->setCurrentIndex(2);
    d.gate.Release();
    QVERIFY(d.Finished());
    QCOMPARE(d.gate.shares, std::vector({1, 0}));
    QVERIFY(ReadBytes(d.Path()) == d.Expected(40, 30, 510));
    QCOMPARE(d->CGauge1->Progress(), 100);
    QCOMPARE(d->windowTitle(), QStringLiteral("100% Completed. "));
    QCOMPARE(d->Itog->text(), QStringLiteral("The file is successfully kept ."));
    QCOMPARE(d.link.title, QStringLiteral("Zirvanta 1.02"));
    QCOMPARE(d->CanBut->text(), QStringLiteral("Close"));
    QVERIFY(!d->PrF->isEnabled() && !d->ButtonOk->isEnabled());
    QTest::mouseClick(d->IsCloseAfter, Qt::LeftButton);
    QTRY_VERIFY(d.dialog.isNull());
    QCOMPARE(d.state.closeAfterExport, 1);
    QVERIFY(!d.state.windows.exportDialogOpen);
    QCOMPARE(d.Files(), QStringList{QStringLiteral("pic.bmp")});
  }

  void WithTheBoxCheckedTheDialogClosesAfterTheFile() {
    Dialog d;
    d->IsCloseAfter->setChecked(true);
    d.Size(QStringLiteral("8"));  // 8 x 6: no progress point at all
    QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(d.dialog.isNull(), form_test::kPatienceMs);
    QVERIFY(ReadBytes(d.Path()) == d.Expected(8, 6, 254));
    QCOMPARE(d.state.closeAfterExport, 1);
  }

  // "Cansel", Esc or the close box during a render: stopped at the next progress point, nothing
  // written, an old file untouched, no temporary file; the title restored.
  void ClosingDuringARenderStopsItAndWritesNothing() {
    for (const int way : {0, 1}) {
      Dialog d;
      WriteBytes(d.Path(), "an older picture");
      d.Size(QStringLiteral("60"));  // 60 x 45: points after rows 20 and 41
      d.Hold(1);
      QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
      QVERIFY(d.Held());
      // The job is held inside a block while the close waits for it: let it go a moment later.
      std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        d.gate.Release();
      });
      if (way == 0) QTest::mouseClick(d->CanBut, Qt::LeftButton);
      else d->close();
      release.join();
      QTRY_VERIFY(d.dialog.isNull());
      QCOMPARE(ReadBytes(d.Path()), std::string("an older picture"));
      QCOMPARE(d.Files(), QStringList{QStringLiteral("pic.bmp")});
      QCOMPARE(d.link.title, QStringLiteral("Zirvanta 1.02"));
      QCOMPARE(d.state.closeAfterExport, 0);
    }
  }

  // A folder that went away: the box, nothing written, the dialog back to editing.
  void AFailedWriteIsReportedAndTheDialogStaysUsable() {
    Dialog d(QSize(1024, 768), QStringLiteral("gone/pic"));
    d.Size(QStringLiteral("8"));
    BoxWatch box;
    box.Expect();
    QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
    QVERIFY(d.Finished());
    QTRY_COMPARE(box.seen, 1);
    QCOMPARE(box.text, QStringLiteral("The file did not manage to be opened for recording."));
    QCOMPARE(box.caption, QStringLiteral("Zirvanta 1.02"));
    QCOMPARE(d.link.title, QStringLiteral("Zirvanta 1.02"));
    QVERIFY(d->ButtonOk->isEnabled() && d->ImageWidth->isEnabled());
    QVERIFY(d.Files().isEmpty());
    QTest::keyClick(d.dialog, Qt::Key_Escape);  // not running: Esc closes
    QTRY_VERIFY(d.dialog.isNull());
  }

  // The command in the real main window: F7, a name, Enter gives the file zirvanta-render
  // writes; a second F7 opens no second dialog; quitting during an export leaves nothing.
  void TheMainWindowsCommand() {
    form_test::Window window;
    TMainForm& form = *window;
    QString directory, proposed, caption;
    const QString target = window.folder.filePath(QStringLiteral("shot"));
    ModalWatch<QFileDialog> fileDialog;
    fileDialog.Expect([&](QFileDialog* files) {
      caption = files->windowTitle(), directory = files->directory().absolutePath();
      proposed = QFileInfo(files->selectedFiles().value(0)).fileName();
      files->selectFile(target);
      static_cast<QDialog*>(files)->accept();
    });
    form_test::Key(&form, Qt::Key_F7);
    QCOMPARE(caption, QStringLiteral("Preservation of the image"));
    QCOMPARE(directory, QDir(window.folder.path() + QStringLiteral("/..")).absolutePath());
    QCOMPARE(proposed, QStringLiteral("new_image"));
    auto* dialog = qobject_cast<TSizeAndExt*>(form.ExportDialog());
    QVERIFY(dialog && form.State().windows.exportDialogOpen);
    QCOMPARE(form.State().LastExportFolder, window.folder.path().toStdString());
    dialog->showMinimized();
    QVERIFY(dialog->isMinimized());
    form.SaveImage->trigger();  // F7 again: no file dialog, no second export dialog
    QCOMPARE(form.findChildren<TSizeAndExt*>().size(), 1);
    QTRY_VERIFY(!dialog->isMinimized());
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    const int64_t width = dialog->PixelWidth(), height = dialog->PixelHeight();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->Itog->text().startsWith(QStringLiteral("The file")),
                             form_test::kPatienceMs);
    // The same fractal through the command line.
    const std::string frc = window.folder.filePath(QStringLiteral("f.frc")).toStdString();
    const std::string cli = window.folder.filePath(QStringLiteral("cli.bmp")).toStdString();
    QVERIFY(zirvanta::WriteFractalFile(frc, form.fractal).ok());
    std::ostringstream out, err;
    QCOMPARE(zirvanta::RunRenderCommand({"export", frc, std::to_string(width),
                                         std::to_string(height), "256", cli}, out, err), 0);
    QVERIFY(ReadBytes(target.toStdString() + ".bmp") == ReadBytes(cli));
    dialog->close();
    QTRY_VERIFY(!form.ExportDialog());

    // Quitting while a large export runs: it stops at its next progress point.
    ModalWatch<QFileDialog> bigFile;
    bigFile.Expect([&](QFileDialog* files) {
      files->selectFile(window.folder.filePath(QStringLiteral("big")));
      static_cast<QDialog*>(files)->accept();
    });
    form.SaveImage->trigger();
    dialog = qobject_cast<TSizeAndExt*>(form.ExportDialog());
    QVERIFY(dialog);
    dialog->Iterations->setCurrentIndex(5);
    dialog->ImageWidth->setText(QStringLiteral("4000"));
    QTest::mouseClick(dialog->ButtonOk, Qt::LeftButton);
    QVERIFY(dialog->Running());
    form.close();
    QVERIFY(!form.ExportDialog());
    QVERIFY(!QFileInfo::exists(window.folder.filePath(QStringLiteral("big.bmp"))));
    for (const QString& name : QDir(window.folder.path()).entryList(QDir::Files | QDir::Hidden)) {
      QVERIFY2(!name.endsWith(QStringLiteral(".tmp")), qPrintable(name));
    }
    QCOMPARE(form.windowTitle(), QStringLiteral("Zirvanta 1.02"));
  }
};

QTEST_MAIN(SizeAndExtTest)
#include "sizeandext_test.moc"
