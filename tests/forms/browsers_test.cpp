// The fractal and palette browsers and their rename dialogs, built alone on a shared state with a
// stand-in for the main window, driven by their handlers, keys and clicks.
#include "browser_test_support.h"
#include "controls/picture_box.h"
#include "engine/render.h"
#include "files/browser_preview.h"
#include "forms/U_opensavefractal.h"
#include "forms/U_ospalette.h"
#include "forms/U_refile.h"
#include "forms/U_repalfile.h"

using namespace form_test;
using zirvanta::PaletteParams;

namespace {

// Fractal state and palette table, bit for bit.
struct Saved {
  std::string fractal;
  zirvanta::Palette palette;
  explicit Saved(const zirvanta::SharedState& s)
      : fractal(zirvanta::EncodeFractal(s.fractal)), palette(s.palette) {}
  bool operator==(const Saved&) const = default;
};

zirvanta::Palette Built(const PaletteParams& params) {
  zirvanta::Palette palette;
  zirvanta::BuildPalette(params, palette);
  return palette;
}

// The preview as shown equals the plain pass of the state's view in its palette.
bool PreviewShowsPlainPass(TImageBox* box, const zirvanta::SharedState& s) {
  zirvanta::Bitmap plain(145, 105, zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(zirvanta::BrowserPreview::Geometry(s.fractal), s.fractal,
                               s.palette, plain);
  const QImage expected(plain.Row(0), 145, 105, static_cast<qsizetype>(plain.Stride()),
                        QImage::Format_RGB32);
  return !box->isHidden() && box->Picture() == expected.convertToFormat(QImage::Format_RGB32);
}

void Press(QWidget* dialog, Qt::Key key) {
  QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key);
}

}  // namespace

class BrowsersTest : public QObject {
  Q_OBJECT

 private slots:
  void listsEveryMatchingNameUpToItsFirstDotInFolderOrder() {
    Folder f;
    for (const char* name : {"spiral.frc", "a.b.frc", "x.frcold", "notes.txt", "p.ptt"}) {
      f.AddFractal(name, 0.1, 0.2);
    }
    QDir().mkpath(QString::fromStdString(f.Fractal("d.frc")));
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    f.state.browser.FractalListIndex = 0;
    Boxes boxes;
    TOpenSaveFractal browser(f.state, link);
    QCOMPARE(Items(browser.FileList), FolderOrder(f.state.FractalFolder, "\\.frc"));
    QCOMPARE(browser.FileList->count(), 4);
    QCOMPARE(browser.windowTitle(), QStringLiteral("Fractal opening"));
    QVERIFY(browser.FileName->isReadOnly() && browser.OpenFractal->isEnabled());

    // a.b.frc is the entry a, which stands for a.frc: there is none; nor is there an x.frc;
    // d.frc is a folder.
    for (const char* entry : {"a", "x", "d"}) {
      boxes.seen.clear();
      browser.FileList->setCurrentRow(static_cast<int>(Items(browser.FileList).indexOf(entry)));
      QCOMPARE(f.state.browser.ChosenPath, f.Fractal(std::string(entry) + ".frc"));
      QCOMPARE(boxes.seen.size(), size_t{1});
      QCOMPARE(boxes.seen[0].text,
               QStringLiteral("The file did not manage to be opened for reading."));
      QVERIFY(browser.PreView->isHidden());
    }
    browser.FileList->setCurrentRow(static_cast<int>(Items(browser.FileList).indexOf("spiral")));
    QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));
    QCOMPARE(f.state.fractal.cx, 0.1);
  }

  void anEmptyFolderOffersNothingButCancel() {
    Folder f;
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    f.state.browser.FileChosen = false;
    TOpenSaveFractal browser(f.state, link);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser, kDialogPatienceMs));
    QCOMPARE(browser.FileList->count(), 0);
    QVERIFY(!browser.OpenFractal->isEnabled() && browser.PreView->isHidden());
    QCOMPARE(browser.ImMess->text(), QStringLiteral("            ( None )"));
    QCOMPARE(browser.DeleteFile->text(), QStringLiteral("&Удалить файл"));
    QCOMPARE(browser.RenFile->text(), QStringLiteral("&Переименовать.."));
    QCOMPARE(browser.Cansel->statusTip(), QStringLiteral(" Closes the form 'Fractal opening'"));
    // A control's hint goes to the main window's status bar.
    QStatusTipEvent tip(browser.FileList->statusTip());
    QApplication::sendEvent(browser.FileList, &tip);
    QCOMPARE(link.hint, QStringLiteral(" Fractals taking place in the catalogue"));
    Boxes boxes;
    Press(&browser, Qt::Key_Return);
    DoubleClickOn(browser.FileList->viewport());
    DoubleClickOn(browser.PreView);
    Press(&browser, Qt::Key_Delete);
    Press(&browser, Qt::Key_R);
    browser.DeleteFile->trigger();
    browser.RenFile->trigger();
    QVERIFY(browser.isVisible() && boxes.seen.empty());
    Press(&browser, Qt::Key_Escape);
    QVERIFY(!browser.isVisible());
    QCOMPARE(browser.result(), int(QDialog::Rejected));
    QVERIFY(!f.state.browser.FileChosen);
  }

  void cancellingAfterPreviewsRestoresTheStateAndUnknownTypesShowText() {
    Folder f;
    f.AddFractal("one.frc", 0.2855, -0.0107, 0.5f);
    f.AddFractal("two.frc", -0.8, 0.156, 2.0f, {5, 1, 2, 3, 4, 5, 6});
    f.AddFractal("odd.frc", 0.3, 0.3, 1.0f, {1, 36, 16, 12, 26, 18, 8}, 2);
    f.AddFractal("badpal.frc", -0.1, 0.65, 3.0f, {9, 1, 1, 1, 1, 1, 1});
    const Saved before(f.state);
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    TOpenSaveFractal browser(f.state, link);
    const QStringList items = Items(browser.FileList);
    for (const char* entry : {"one", "two", "badpal"}) {
      browser.FileList->setCurrentRow(static_cast<int>(items.indexOf(entry)));
      QVERIFY2(PreviewShowsPlainPass(browser.PreView, f.state), entry);
      QVERIFY(browser.ImMess->isHidden() && f.state.FractalTypeKnown);
    }
    // The palette type 9 of badpal passes unreported: the fractal shows in the palette before.
    QCOMPARE(f.state.fractal.cx, -0.1);
    QVERIFY(f.state.fractal.palette == (PaletteParams{5, 1, 2, 3, 4, 5, 6}));
    QVERIFY(!f.state.PaletteTypeKnown);

    browser.FileList->setCurrentRow(static_cast<int>(items.indexOf("odd")));
    QCOMPARE(browser.ImMess->text(), QStringLiteral("Unknown type."));
    QVERIFY(browser.PreView->isHidden() && browser.OpenFractal->isEnabled());
    QVERIFY(Saved(f.state) == before);

    browser.FileList->setCurrentRow(static_cast<int>(items.indexOf("two")));
    QVERIFY(!(Saved(f.state) == before));
    browser.reject();
    QVERIFY(Saved(f.state) == before);
    QVERIFY(!f.state.browser.FileChosen);
    QCOMPARE(f.state.browser.FractalListIndex, static_cast<int>(items.indexOf("two")));
  }

  void ignoringTheFractalPaletteSurvivesTheDialog() {
    Folder f;
    f.AddFractal("one.frc", 0.2855, -0.0107, 0.5f, {3, 60, 10, 20, 7, 8, 9});
    const Saved before(f.state);
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    {
      TOpenSaveFractal browser(f.state, link);
      QVERIFY(f.state.fractal.palette == (PaletteParams{3, 60, 10, 20, 7, 8, 9}));
      browser.show();
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      QVERIFY(!f.state.UseFractalPalette);
      QVERIFY(f.state.palette == before.palette);
      QCOMPARE(f.state.fractal.cx, 0.2855);  // the previewed fractal in the palette before
      QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      QVERIFY(f.state.UseFractalPalette && f.state.palette == Built({3, 60, 10, 20, 7, 8, 9}));
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      browser.reject();
    }
    QVERIFY(!f.state.UseFractalPalette && Saved(f.state) == before);
    TOpenSaveFractal again(f.state, link);
    QVERIFY(again.IgnoreFPalette->isChecked());
    QVERIFY(f.state.palette == before.palette);  // the file's palette was not taken
  }

  void deletingMovesTheSelectionUpAndRestoresTheSnapshot() {
    Folder f;
    for (const char* name : {"a.frc", "b.frc", "c.frc"}) f.AddFractal(name, 0.3, 0.5);
    const Saved before(f.state);
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    f.state.browser.FractalListIndex = 2;
    TOpenSaveFractal browser(f.state, link);
    QCOMPARE(browser.FileList->currentRow(), 2);
    const QString third = browser.FileList->item(2)->text();
    browser.show();
    {
      Boxes boxes(QMessageBox::No);
      Press(&browser, Qt::Key_Delete);
      QCOMPARE(boxes.seen.size(), size_t{1});
      QCOMPARE(boxes.seen[0].caption, QStringLiteral("confirmation of removal"));
      QCOMPARE(boxes.seen[0].text, QStringLiteral("To remove the chosen file?"));
      QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
      QCOMPARE(browser.FileList->count(), 3);
      boxes.answer = QMessageBox::Yes;
      Press(&browser, Qt::Key_Delete);
    }
    QVERIFY(!QFile::exists(QString::fromStdString(f.Fractal(third.toStdString() + ".frc"))));
    QCOMPARE(browser.FileList->count(), 2);
    QCOMPARE(browser.FileList->currentRow(), 1);
    QCOMPARE(f.state.browser.FractalListIndex, 1);
    QVERIFY(Saved(f.state) == before);

    browser.FileList->setCurrentRow(0);
    const QString second = browser.FileList->item(1)->text();
    browser.DeleteFile->trigger();  // the menu entry does not ask
    QCOMPARE(Items(browser.FileList), QStringList{second});
    QCOMPARE(browser.FileList->currentRow(), 0);
    QCOMPARE(browser.FileName->text(), second);

    // A file gone behind the dialog's back: the failure, and the list as the folder now is.
    QFile::remove(QString::fromStdString(f.Fractal(second.toStdString() + ".frc")));
    Boxes boxes;
    browser.DeleteFile->trigger();
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("Error of the file removal"));
    QCOMPARE(boxes.seen[0].text, QStringLiteral("The file to remove it was not possible"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QCOMPARE(browser.FileList->count(), 0);
    QVERIFY(!browser.OpenFractal->isEnabled());
  }

  void savingAsksBeforeReplacingAndRefusesNamesOutsideTheFolder() {
    Folder f;
    f.AddFractal("spiral.frc", 0.3, 0.5);
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = false;
    f.state.MouseArmed = true;
    const Saved before(f.state);
    TOpenSaveFractal browser(f.state, link);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser, kDialogPatienceMs));
    QCOMPARE(browser.windowTitle(), QStringLiteral("Fractal preservation"));
    QCOMPARE(browser.FileName->text(), QStringLiteral("fractal_new"));
    QVERIFY(!browser.FileName->isReadOnly() && !browser.IgnoreFPalette->isEnabled());
    QVERIFY(!browser.DeleteFile->isEnabled() && !browser.RenFile->isEnabled());
    QVERIFY(browser.SaveFractal->isVisible() && !browser.OpenFractal->isVisible());
    QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));
    QCOMPARE(f.state.browser.ChosenPath, f.Fractal("fractal_new.frc"));

    Boxes boxes(QMessageBox::No);
    // Typed letters stay letters; R and Delete edit the name.
    browser.FileName->setFocus();
    browser.FileName->selectAll();
    QTest::keyClicks(browser.FileName, QStringLiteral("spiralr"));
    QTest::keyClick(browser.FileName, Qt::Key_Backspace);
    QCOMPARE(browser.FileName->text(), QStringLiteral("spiral"));
    QTest::keyClick(browser.FileName, Qt::Key_Return);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("Confirmation of replacement"));
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("The file with such name already exists.\n"
                            " To replace an existing file?"));
    QVERIFY(browser.isVisible());

    for (const char* name : {"../escape", "a/b", ".", ".."}) {
      boxes.seen.clear();
      browser.FileName->setText(QString::fromLatin1(name));
      browser.SaveFractalClick();
      QCOMPARE(boxes.seen.size(), size_t{1});
      QCOMPARE(boxes.seen[0].text,
               QStringLiteral("The file did not manage to be opened for recording."));
      QVERIFY(browser.isVisible());
      QCOMPARE(f.state.browser.ChosenPath, f.Fractal("fractal_new.frc"));
    }

    // Case counts: Spiral is not spiral, and a double click confirms it.
    boxes.seen.clear();
    browser.FileName->setText(QStringLiteral("Spiral"));
    DoubleClickOn(browser.FileName);
    QVERIFY(boxes.seen.empty() && !browser.isVisible());
    QCOMPARE(browser.result(), int(QDialog::Accepted));
    QVERIFY(!f.state.MouseArmed);
    QVERIFY(f.state.browser.FileChosen);
    QCOMPARE(f.state.browser.ChosenPath, f.Fractal("Spiral.frc"));
    QCOMPARE(f.state.browser.ChosenName, std::string("Spiral"));
    QVERIFY(Saved(f.state) == before);
  }

  void renamingChecksTheListAndNeverReplaces() {
    Folder f;
    for (const char* name : {"a.frc", "b.frc", "spiral.frc", "x.y.frc"}) {
      f.AddFractal(name, 0.3, 0.5);
    }
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    f.state.browser.FractalListIndex = 0;
    Boxes boxes;  // x.y.frc is the entry x, which names no file
    TOpenSaveFractal browser(f.state, link);
    browser.show();
    const QStringList items = Items(browser.FileList);
    browser.FileList->setCurrentRow(static_cast<int>(items.indexOf("spiral")));
    const int position = browser.FileList->currentRow();

    boxes.seen.clear();
    OnModal<TReFile>([&](TReFile& rename) {
      QCOMPARE(rename.windowTitle(), QStringLiteral("File renaming"));
      QCOMPARE(rename.OldName->text(), QStringLiteral("spiral"));
      QCOMPARE(rename.NewName->text(), QStringLiteral("spiral"));
      for (const char* name : {"spiral", "x.y", "../escape", ""}) {
        rename.NewName->setText(QString::fromLatin1(name));
        QTest::keyClick(rename.NewName, Qt::Key_Return);
      }
      rename.NewName->setText(QStringLiteral("Spiral"));
      rename.OkButClick();
    });
    Press(&browser, Qt::Key_R);

    const std::vector<Box>& seen = boxes.seen;
    QCOMPARE(seen.size(), size_t{3});
    QCOMPARE(seen[0].caption, QStringLiteral("The warning of concurrence"));
    QCOMPARE(seen[0].text,
             QStringLiteral("The file with such name already exists.\n"
                            " Choose other name of a file."));
    QCOMPARE(seen[0].icon, QMessageBox::Warning);
    for (size_t i : {1, 2}) {
      QCOMPARE(seen[i].caption, QStringLiteral("Error at renaming"));
      QCOMPARE(seen[i].text, QStringLiteral("It was not possible to rename a file."));
      QCOMPARE(seen[i].icon, QMessageBox::Critical);
    }
    // The unlisted x.y.frc kept its bytes, nothing left the folder, and the list was refilled
    // with the same position selected.
    QCOMPARE(QFileInfo(QString::fromStdString(f.Fractal("x.y.frc"))).size(), 60);
    QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("escape.frc"))));
    QVERIFY(QFile::exists(QString::fromStdString(f.Fractal("Spiral.frc"))));
    QVERIFY(!QFile::exists(QString::fromStdString(f.Fractal("spiral.frc"))));
    QCOMPARE(Items(browser.FileList), FolderOrder(f.state.FractalFolder, "\\.frc"));
    QCOMPARE(browser.FileList->currentRow(), position);
  }

  void theBrowserSitsOverThePictureOrTheScreensCentre() {
    Folder f;
    MainLinkDouble link;
    link.window.setGeometry(100, 50, 690, 600);
    link.picture = QRect(146, 70, 530, 409);
    f.state.browser.BrowserOpenMode = true;
    {
      TOpenSaveFractal browser(f.state, link);
      const QRect frame = link.window.frameGeometry();
      QCOMPARE(browser.pos(), QPoint(146 + (530 - 409) / 2,
                                     frame.top() + int((frame.height() - 221) * 0.3)));
    }
    f.state.windows.fullScreenShown = true;
    TOSPalette palettes(f.state, link);
    const QRect screen = link.window.screen()->geometry();
    QCOMPARE(palettes.pos(), QPoint(int((screen.width() - 409) * 0.5),
                                    int((screen.height() - 178) * 0.5 - 30)));
  }

  void paletteBrowserOnlyEverChangesThePalette() {
    Folder f;
    f.AddPalette("a.ptt", {2, 10, 20, 30, 4, 5, 6});
    f.AddPalette("b.ptt", {7, 90, 80, 70, 30, 20, 10});
    f.AddPalette("zero.ptt", {0, 1, 1, 1, 1, 1, 1});
    f.AddPalette("c.pttx", {2, 1, 1, 1, 1, 1, 1});
    f.state.fractal.cx = 0.2855;
    const Saved before(f.state);
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    TOSPalette browser(f.state, link);
    QCOMPARE(browser.windowTitle(), QStringLiteral("Palette opening"));
    QCOMPARE(Items(browser.PalList), FolderOrder(f.state.PaletteFolder, "\\.ptt$"));
    const QStringList items = Items(browser.PalList);
    browser.PalList->setCurrentRow(static_cast<int>(items.indexOf("a")));
    QVERIFY(PreviewShowsPlainPass(browser.With, f.state));
    browser.PalList->setCurrentRow(static_cast<int>(items.indexOf("zero")));
    QCOMPARE(browser.ImText->text(), QStringLiteral("Unknown type."));
    QVERIFY(browser.With->isHidden() && !f.state.PaletteTypeKnown);
    QVERIFY(Saved(f.state) == before);  // the palette before the dialog, not a's
    browser.PalList->setCurrentRow(static_cast<int>(items.indexOf("a")));
    browser.PalList->setCurrentRow(static_cast<int>(items.indexOf("b")));
    browser.show();
    DoubleClickOn(browser.With);
    QCOMPARE(browser.result(), int(QDialog::Accepted));
    QVERIFY(f.state.fractal.palette == (PaletteParams{7, 90, 80, 70, 30, 20, 10}));
    QVERIFY(f.state.palette == Built({7, 90, 80, 70, 30, 20, 10}) && f.state.PaletteTypeKnown);
    QCOMPARE(f.state.fractal.cx, 0.2855);
    QCOMPARE(f.state.browser.PaletteListIndex, static_cast<int>(items.indexOf("b")));

    // Cancelled after previews: the palette before; c and the view never moved.
    const Saved taken(f.state);
    TOSPalette again(f.state, link);
    again.PalList->setCurrentRow(static_cast<int>(items.indexOf("a")));
    again.reject();
    QVERIFY(Saved(f.state) == taken);
  }

  void paletteDeleteRestoresBeforeRefillingAndRenameRepreviews() {
    Folder f;
    for (const char* name : {"a.ptt", "b.ptt", "c.ptt"}) {
      f.AddPalette(name, {3, 50, 50, 50, 9, 9, 9});
    }
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = true;
    f.state.browser.PaletteListIndex = 2;
    TOSPalette browser(f.state, link);
    const QStringList items = Items(browser.PalList);
    // Give the second entry a palette of its own: after the delete it is selected and loaded.
    f.AddPalette(items[1].toStdString() + ".ptt", {6, 1, 2, 3, 4, 5, 6});
    browser.DelPalFile->trigger();
    QCOMPARE(browser.PalList->currentRow(), 1);
    QVERIFY(f.state.fractal.palette == (PaletteParams{6, 1, 2, 3, 4, 5, 6}));
    QVERIFY(PreviewShowsPlainPass(browser.With, f.state));

    f.AddPalette(items[1].toStdString() + ".ptt", {8, 9, 9, 9, 1, 1, 1});
    TRePalFile rename(f.state, link, browser, items[1].toStdString());
    QCOMPARE(rename.OldNamePal->text(), items[1]);
    rename.NewNamePal->setText(QStringLiteral("renamed"));
    rename.RenamePalClick();
    QVERIFY(QFile::exists(QString::fromStdString(f.Palette("renamed.ptt"))));
    // The same position, whichever entry the folder now gives there, previewed again.
    QCOMPARE(browser.PalList->currentRow(), 1);
    const bool renamedThere = browser.PalList->item(1)->text() == QStringLiteral("renamed");
    QVERIFY(f.state.fractal.palette == (renamedThere ? PaletteParams{8, 9, 9, 9, 1, 1, 1}
                                                     : PaletteParams{3, 50, 50, 50, 9, 9, 9}));
    QVERIFY(PreviewShowsPlainPass(browser.With, f.state));
  }

  void paletteSaveModeTypesLettersAndAsksWithItsOwnCaption() {
    Folder f;
    f.AddPalette("ocean.ptt", {2, 1, 2, 3, 4, 5, 6});
    MainLinkDouble link;
    f.state.browser.BrowserOpenMode = false;
    const Saved before(f.state);
    TOSPalette browser(f.state, link);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser, kDialogPatienceMs));
    QCOMPARE(browser.windowTitle(), QStringLiteral("Palette preservation"));
    QCOMPARE(browser.FileText->text(), QStringLiteral("palette_new"));
    QVERIFY(!browser.DelPalFile->isEnabled() && !browser.ReNamePal->isEnabled());
    QCOMPARE(browser.DelPalFile->text(), QStringLiteral("&Удалить файл"));
    QCOMPARE(browser.ReNamePal->text(), QStringLiteral("Переименовать файл"));
    QCOMPARE(browser.SaveBut->statusTip(), QStringLiteral(" Keeps a palette under the chosen name"));
    QVERIFY(browser.ImText->isHidden() && PreviewShowsPlainPass(browser.With, f.state));
    browser.PalList->setCurrentRow(0);
    QVERIFY(Saved(f.state) == before);  // save mode previews nothing from files
    browser.FileText->setFocus();
    browser.FileText->selectAll();
    QTest::keyClicks(browser.FileText, QStringLiteral("oceanr"));
    QTest::keyClick(browser.FileText, Qt::Key_Backspace);
    QCOMPARE(browser.FileText->text(), QStringLiteral("ocean"));
    QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &browser);
    Boxes boxes(QMessageBox::Yes);
    QTest::keyClick(browser.FileText, Qt::Key_Enter);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("Confirmation of replacement of a file"));
    QCOMPARE(browser.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.browser.ChosenPath, f.Palette("ocean.ptt"));
  }
};

QTEST_MAIN(BrowsersTest)
#include "browsers_test.moc"
