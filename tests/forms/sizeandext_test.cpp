// The export dialog alone (a shared state and a stand-in for the main window), and the export
// command of the real main window.
#include <QtTest>
#include <QtWidgets>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "controls/Cgauges.h"
#include "controls/group_frame.h"
#include "export/export_test_support.h"
#include "form_test_support.h"
#include "forms/U_sizeandext.h"
#include "main_link_double.h"

namespace {

using zirvanta::testing::ReadBytes;

// Holds the job before block holdAt until released; notes the thread shares it was given.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  int holdAt = -1, blocks = 0;
  bool waiting = false;
  std::vector<int> shares;
  void Hold(int block) {
    { std::lock_guard lock(mutex); holdAt = block; }
    changed.notify_all();
  }
  bool Waiting() { std::lock_guard lock(mutex); return waiting; }
};

// Computes with the plain path, through the gate.
struct GateRenderer final : zirvanta::Renderer {
  explicit GateRenderer(Gate& g) : gate(g) {}
  Gate& gate;
  zirvanta::PlainRenderer plain;
  void RenderPicture(const zirvanta::PictureGeometry&, const zirvanta::FractalState&,
                     const zirvanta::Palette&, zirvanta::Bitmap&) override {}
  void RenderExportRows(const zirvanta::ExportGeometry& g, const zirvanta::ExportInputs& in,
                        int64_t first, int64_t count, double y, zirvanta::Bitmap& b) override {
    {
      std::unique_lock lock(gate.mutex);
      gate.waiting = gate.blocks == gate.holdAt;
      gate.changed.wait(lock, [&] { return gate.blocks != gate.holdAt; });
      gate.waiting = false;
      ++gate.blocks;
    }
    plain.RenderExportRows(g, in, first, count, y, b);
  }
  void SetActiveThreads(int count) override {
    std::lock_guard lock(gate.mutex);
    gate.shares.push_back(count);
  }
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
  BoxWatch() {
    Expect([this](QMessageBox* box) {
      text = box->text(), caption = box->windowTitle(), icon = box->icon();
      box->accept();
    });
  }
};

// The file an export of this fractal must write.
std::string Expected(const zirvanta::FractalState& f, const zirvanta::Palette& palette,
                     int64_t width, int64_t height, int limit) {
  zirvanta::ExportParams p;
  p.width = width, p.height = height, p.limit = limit, p.palette = palette;
  p.centreX = f.centreX, p.centreY = f.centreY, p.viewWidth = f.viewWidth, p.cr = f.cx;
  p.ci = f.cy;
  return zirvanta::testing::ExpectedExport(p);
}

const QString kAppTitle = QStringLiteral("Zirvanta 1.02");

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
  ~Dialog() { gate.Hold(-1), delete dialog.data(); }
  TSizeAndExt* operator->() { return dialog; }
  std::string Path() { return folder.filePath(QStringLiteral("pic.bmp")).toStdString(); }
  void Type(const QString& text, QLineEdit* edit = nullptr) {
    if (!edit) edit = dialog->ImageWidth;
    edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    else QTest::keyClicks(edit, text);
  }
  std::string Expected(int64_t width, int64_t height, int limit) {
    return ::Expected(state.fractal, state.palette, width, height, limit);
  }
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
      QCOMPARE(QStringList({d->ImageWidth->text(), d->ImageHeight->text(), d->GroupBox1->title()}),
               QStringList({width, height, caption}));
    }
    Dialog d;
    QCOMPARE(d->windowTitle(), QStringLiteral("Calculation and recording of the image"));
    QCOMPARE(d->size(), QSize(353, 318));
    QCOMPARE(d->CGauge1->geometry(), QRect(16, 216, 321, 19));
    QCOMPARE(QStringList({d->Iterations->currentText(), d->PrF->currentText(),
                          d->Units->currentText(), d->Permission->currentText()}),
             QStringList({"256", "low", "pixels", "300 dpi"}));
    QVERIFY(!d->Permission->isEnabled() && d->ButtonOk->isEnabled());
    QVERIFY(d->SaveFName->text().endsWith(QStringLiteral("/pic.bmp")));
    // Tab order from the Ok button, which has the focus, so Enter starts at once.
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.dialog));
    d->Units->setCurrentIndex(1);  // the resolution takes the focus only with another unit
    QList<QWidget*> order;
    for (int i = 0; i < 9; ++i, QTest::keyClick(order.last(), Qt::Key_Tab)) {
      order << QApplication::focusWidget();
    }
    QCOMPARE(order, QList<QWidget*>({d->ButtonOk, d->CanBut, d->PrF, d->IsCloseAfter,
                                     d->Iterations, d->Units, d->Permission, d->ImageWidth,
                                     d->ImageHeight}));
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
    const QString path = QStringLiteral("/home/someone/images/pic.bmp");
    const int w = metrics.horizontalAdvance(QStringLiteral("/.../images/pic.bmp"));
    for (const auto& [width, shown] : {std::pair{10000, path}, {w, "/.../images/pic.bmp"},
                                       {w - 1, "/.../pic.bmp"}, {1, ".../pic.bmp"}}) {
      QCOMPARE(TSizeAndExt::ShortenedPath(path, metrics, width), shown);
    }
    for (const auto& [value, text] : {std::pair{2.359296, "2.36"}, {1.296, "1.3"}, {900.0, "900"},
                                      {999.6, "1E3"}, {0.825000047683716, "0.825"}}) {
      QCOMPARE(TSizeAndExt::GeneralFormat(value, 3), QString::fromLatin1(text));
    }
  }

  // Typing into one edit writes the other at 4 : 3, as an integer for pixels and with up to 15
  // digits of the 32-bit value for other units; units go to pixels with 32-bit divisors,
  // truncated toward zero.
  void TypingKeepsFourToThree() {
    struct Case {
      int unit, dpi; bool height; const char* typed; const char* other; int64_t pixels;
      const char* size;
    };
    for (const Case& c : {Case{0, 2, false, "10", "7", 10, "File size: 210 b"},
                          {1, 2, false, "10", "7.5", 118, nullptr},
                          {0, 2, true, "3", "4", 4, "File size: 36 b"},
                          {2, 2, false, "1.1", "0.825000047683716", 129, nullptr},
                          {0, 2, false, "24", "18", 24, "File size: 1.3 Kb"},
                          {0, 2, false, "", "0", 0, "File size: 0 b"},
                          {2, 2, false, "10", nullptr, 1181, nullptr},
                          {3, 5, false, "2", nullptr, 1200, nullptr},
                          {4, 0, false, "1", nullptr, 3937, nullptr},
                          {1, 0, false, "2.54", nullptr, 10, nullptr}}) {
      Dialog d;
      d->Units->setCurrentIndex(c.unit);
      d->Permission->setCurrentIndex(c.dpi);
      QCOMPARE(d->Permission->isEnabled(), c.unit != 0);
      d.Type(QString::fromLatin1(c.typed), c.height ? d->ImageHeight : d->ImageWidth);
      if (c.other) QCOMPARE((c.height ? d->ImageWidth : d->ImageHeight)->text(), c.other);
      QCOMPARE(d->PixelWidth(), c.pixels);
      if (c.size) QCOMPARE(d->GroupBox1->title(), QString::fromLatin1(c.size));
    }
    // Millimetres 10 x 7.5 back to pixels: the height rounds up to 8, whose change makes the
    // width 10.6667, shown as 10: a 10 x 8 image.
    Dialog d;
    d->Units->setCurrentIndex(1);
    d.Type(QStringLiteral("10"));
    d->Units->setCurrentIndex(0);
    QCOMPARE(QStringList({d->ImageWidth->text(), d->ImageHeight->text()}),
             QStringList({"10", "8"}));
    QCOMPARE(std::pair(d->PixelWidth(), d->PixelHeight()), std::pair(int64_t{10}, int64_t{8}));
    // Text that is no number: the box, and the sizes as they were.
    BoxWatch box;
    d.Type(QStringLiteral("-"));
    QCOMPARE(std::tuple(box.text, box.caption, box.icon),
             std::tuple(QStringLiteral("Not true number input"), QStringLiteral("The input mistake"),
                        QMessageBox::Critical));
    QCOMPARE(d->ImageHeight->text(), QStringLiteral("8"));
    QCOMPARE(d->WidthValue(), 10.6666669845581055f);
  }

  // Sizes that no file can have are refused at Ok, before any thread starts.
  void OkRefusesSizesThatCannotBeMade() {
    struct Case { int unit, dpiIndex; const char* width; const char* start; };
    for (const Case& c : {Case{0, 0, "0", "The width or height is equal to zero."},
                          {0, 0, "-5", "An image of -5 x -3 pixels cannot be made"},
                          {1, 0, "0.1", "An image of 0 x 0 pixels cannot be made"},
                          {4, 5, "9999", "An image of 236196853 x 177147639 pixels is too large"},
                          {0, 0, "9e99", "The width and the height must be numbers."}}) {
      Dialog d;
      d->Units->setCurrentIndex(c.unit);
      d->Permission->setCurrentIndex(c.dpiIndex);
      d->ImageWidth->setText(QString::fromLatin1(c.width));  // as pasted: no partial text
      BoxWatch box;
      QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
      QVERIFY2(box.text.startsWith(QString::fromLatin1(c.start)), qPrintable(box.text));
      QCOMPARE(box.caption, QStringLiteral("The input mistake:"));
      QVERIFY(!d->Running() && d->ButtonOk->isEnabled() && d.gate.blocks == 0);
    }
  }

  // A whole export: progress in the gauge and the title, the file exact, then the finished state;
  // checking the box afterwards closes the dialog and keeps the choice.
  void ExportRunsShowsProgressAndFinishes() {
    Dialog d;
    d.Type(QStringLiteral("40"));  // 40 x 30: one progress point, after row 20
    d->Iterations->setCurrentIndex(1);
    d.gate.Hold(1);
    QTest::keyClick(d->ButtonOk, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([&] { return d.link.title == QStringLiteral("66% Completed.."); },
                            form_test::kPatienceMs));
    QCOMPARE(d->CGauge1->Progress(), 66);
    QVERIFY(!d->ImageWidth->isEnabled() && !d->Units->isEnabled() && !d->ButtonOk->isEnabled());
    QVERIFY(d->PrF->isEnabled() && d->CanBut->isEnabled());
    QTest::keyClick(d->PrF, Qt::Key_Escape);  // keys are the dialog's alone while it runs
    QVERIFY(d->isVisible());
    d->PrF->setCurrentIndex(2);  // reaches the running job
    d.gate.Hold(-1);
    QVERIFY(d.Finished());
    QCOMPARE(d.gate.shares, std::vector({1, 0}));
    QVERIFY(ReadBytes(d.Path()) == d.Expected(40, 30, 510));
    QCOMPARE(d->CGauge1->Progress(), 100);
    QCOMPARE(QStringList({d->windowTitle(), d->Itog->text(), d.link.title, d->CanBut->text()}),
             QStringList({"100% Completed. ", "The file is successfully kept .", kAppTitle,
                          "Close"}));
    QVERIFY(!d->PrF->isEnabled() && !d->ButtonOk->isEnabled());
    QTest::mouseClick(d->IsCloseAfter, Qt::LeftButton);
    QTRY_VERIFY(d.dialog.isNull());
    QVERIFY(d.state.closeAfterExport == 1 && !d.state.windows.exportDialogOpen);
    QCOMPARE(d.Files(), QStringList{QStringLiteral("pic.bmp")});
  }

  void WithTheBoxCheckedTheDialogClosesAfterTheFile() {
    Dialog d;
    d->IsCloseAfter->setChecked(true);
    d.Type(QStringLiteral("8"));  // 8 x 6: no progress point at all
    QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(d.dialog.isNull(), form_test::kPatienceMs);
    QVERIFY(ReadBytes(d.Path()) == d.Expected(8, 6, 254));
    QCOMPARE(d.state.closeAfterExport, 1);
  }

  // "Cansel" or the close box during a render: stopped at the next progress point, nothing
  // written, an old file untouched, no temporary file; the title restored.
  void ClosingDuringARenderStopsItAndWritesNothing() {
    for (const bool button : {true, false}) {
      Dialog d;
      zirvanta::testing::WriteBytes(d.Path(), "an older picture");
      d.Type(QStringLiteral("60"));  // 60 x 45: points after rows 20 and 41
      d.gate.Hold(1);
      QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
      QVERIFY(QTest::qWaitFor([&] { return d.gate.Waiting(); }, form_test::kPatienceMs));
      // The job is held inside a block while the close waits for it: let it go a moment later.
      std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        d.gate.Hold(-1);
      });
      if (button) QTest::mouseClick(d->CanBut, Qt::LeftButton);
      else d->close();
      release.join();
      QTRY_VERIFY(d.dialog.isNull());
      QCOMPARE(ReadBytes(d.Path()), std::string("an older picture"));
      QCOMPARE(d.Files(), QStringList{QStringLiteral("pic.bmp")});
      QCOMPARE(d.link.title, kAppTitle);
      QCOMPARE(d.state.closeAfterExport, 0);
    }
  }

  // A folder that went away: the box, nothing written, the dialog back to editing.
  void AFailedWriteIsReportedAndTheDialogStaysUsable() {
    Dialog d(QSize(1024, 768), QStringLiteral("gone/pic"));
    d.Type(QStringLiteral("8"));
    BoxWatch box;
    QTest::mouseClick(d->ButtonOk, Qt::LeftButton);
    QVERIFY(d.Finished());
    QTRY_VERIFY(!box.text.isEmpty());
    QCOMPARE(box.text, QStringLiteral("The file did not manage to be opened for recording."));
    QCOMPARE(QStringList({box.caption, d.link.title}), QStringList({kAppTitle, kAppTitle}));
    QVERIFY(d->ButtonOk->isEnabled() && d->ImageWidth->isEnabled() && d.Files().isEmpty());
    QTest::keyClick(d.dialog, Qt::Key_Escape);  // not running: Esc closes
    QTRY_VERIFY(d.dialog.isNull());
  }

  // The command in the real main window: F7, a name, Enter gives the exact file; a second F7
  // opens no second dialog; quitting during an export leaves nothing.
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
    QCOMPARE(QStringList({caption, directory, proposed}),
             QStringList({"Preservation of the image",
                          QDir(window.folder.path() + QStringLiteral("/..")).absolutePath(),
                          "new_image"}));
    auto* dialog = qobject_cast<TSizeAndExt*>(form.ExportDialog());
    QVERIFY(dialog && form.State().windows.exportDialogOpen);
    QCOMPARE(form.State().LastExportFolder, window.folder.path().toStdString());
    dialog->showMinimized();
    form.SaveImage->trigger();  // F7 again: no file dialog, no second export dialog
    QCOMPARE(form.findChildren<TSizeAndExt*>().size(), 1);
    QTRY_VERIFY(!dialog->isMinimized());
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->Itog->text().startsWith(QStringLiteral("The file")),
                             form_test::kPatienceMs);
    QVERIFY(ReadBytes(target.toStdString() + ".bmp") ==
            Expected(form.fractal, form.palette, dialog->PixelWidth(), dialog->PixelHeight(), 254));
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
    const QStringList left = QDir(window.folder.path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(left.filter(QRegularExpression(QStringLiteral("^big|tmp$"))).isEmpty(),
             qPrintable(left.join(u' ')));
    QCOMPARE(form.windowTitle(), kAppTitle);
  }
};

QTEST_MAIN(SizeAndExtTest)
#include "sizeandext_test.moc"
