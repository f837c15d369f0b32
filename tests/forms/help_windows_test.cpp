// The description and about windows, alone with a stand-in for the main window, and through the
// main window's Help commands.
#include "form_test_support.h"
#include "forms/U_about.h"
#include "forms/U_description.h"
#include "main_link_double.h"

using namespace form_test;

namespace {

struct Folder {
  QTemporaryDir dir;
  zirvanta::SharedState state;
  Folder() { state.StartFolder = dir.path().toStdString(); }
  void Write(const QByteArray& bytes) {
    QFile file(dir.filePath("Description.rtf"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  }
};

}  // namespace

class HelpWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  // A missing file or one not in rich text gives the two fallback lines.
  void descriptionShowsTheFallbackLinesWhenTheManualCannotBeShown() {
    for (const char* bytes : {"", "Plain words, no rich text."}) {
      Folder folder;
      if (*bytes) folder.Write(bytes);
      MainLinkDouble link;
      TDscrptForm form(folder.state, link);
      QCOMPARE(form.RichEdit1->toPlainText(),
               QStringLiteral(" Показать описание невозможно.В каталоге программы\n"
                              "отсутствует файл описания - Description.rtf"));
    }
  }

  // The manual with its formatting, read-only, centred on the main window, fixed in width;
  // Esc closes it.
  void descriptionShowsTheManualWithItsFormatting() {
    Folder folder;
    folder.Write(
        R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red128\green0\blue0;})"
        R"(\pard\qc\b\fs28\cf1 Heading\par\pard\plain\li720 Body {\b F1}\tab text\par})");
    MainLinkDouble link;
    link.window.setGeometry(100, 80, 690, 572);
    QPointer<TDscrptForm> form = new TDscrptForm(folder.state, link);
    QTextDocument* document = form->RichEdit1->document();
    QCOMPARE(document->toPlainText(), QStringLiteral("Heading\nBody F1\ttext"));
    const QTextBlock heading = document->firstBlock();
    QCOMPARE(heading.blockFormat().alignment(), Qt::AlignHCenter);
    const QTextCharFormat headingChars = heading.begin().fragment().charFormat();
    QCOMPARE(headingChars.fontWeight(), int(QFont::Bold));
    QCOMPARE(headingChars.fontPointSize(), 14.0);
    QCOMPARE(headingChars.foreground().color(), QColor(128, 0, 0));
    QCOMPARE(headingChars.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    const QTextBlock body = heading.next();
    QCOMPARE(body.blockFormat().leftMargin(), 720.0 * form->logicalDpiY() / 1440);
    QStringList bold;
    for (auto it = body.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().fontWeight() == QFont::Bold) bold << it.fragment().text();
    }
    QCOMPARE(bold, QStringList{"F1"});
    QVERIFY(form->RichEdit1->isReadOnly());

    QCOMPARE(form->windowTitle(), QStringLiteral("Description"));
    QCOMPARE(form->size(), QSize(414, 480));
    QCOMPARE(form->geometry().center(), link.window.geometry().center());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->resize(600, 700);
    QCOMPARE(form->size(), QSize(414, 700));
    form->resize(200, 300);
    QCOMPARE(form->size(), QSize(414, 300));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTRY_VERIFY(form->RichEdit1->hasFocus());
    QTest::keyClick(form->RichEdit1, Qt::Key_Escape);
    QTRY_VERIFY(form.isNull());
  }

  // Placed by the main window's frame; Esc or the button closes it and clears the flag.
  void aboutShowsVersionAndPictureAndKeepsItsFlag() {
    for (const bool byKey : {true, false}) {
      Folder folder;
      MainLinkDouble link;
      link.window.setGeometry(101, 50, 690, 572);
      QPointer<TAboutForm> form = new TAboutForm(folder.state, link);
      QVERIFY(folder.state.windows.aboutWindowOpen);
      QCOMPARE(form->windowTitle(), QStringLiteral("About Zirvanta"));
      QCOMPARE(form->size(), QSize(265, 198));
      QCOMPARE(form->pos(), QPoint(313, 170));  // trunc(101 + (690 - 265) x 0.5), 50 + 120
      QCOMPARE(form->Label2->text(), QStringLiteral("Version 1.02"));
      QCOMPARE(form->CloseButton->geometry(), QRect(184, 162, 65, 22));
      QCOMPARE(form->CloseButton->text(), QStringLiteral("Close"));
      QCOMPARE(form->GoodByePicture->geometry(), QRect(16, 40, 73, 73));
      QCOMPARE(form->GoodByePicture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
               TAboutForm::GoodByeImage());
      form->show();
      QVERIFY(QTest::qWaitForWindowExposed(form));
      if (byKey) QTest::keyClick(form->CloseButton, Qt::Key_Escape);
      else QTest::mouseClick(form->CloseButton, Qt::LeftButton);
      QTRY_VERIFY(form.isNull());
      QVERIFY(!folder.state.windows.aboutWindowOpen);
    }
  }

  // Dark red outside, orange and yellow towards the set, green at its edge, black inside.
  void aboutPictureHasItsColours() {
    const QImage image = TAboutForm::GoodByeImage();
    QCOMPARE(image.size(), QSize(73, 73));
    for (QPoint corner : {QPoint(0, 0), QPoint(72, 0), QPoint(0, 72), QPoint(72, 72)}) {
      const QColor c = image.pixelColor(corner);
      QVERIFY2(c.red() >= 35 && c.red() <= 180 && c.green() * 5 < c.red() && c.blue() < 20,
               qPrintable(c.name()));
    }
    QCOMPARE(image.pixelColor(36, 36), QColor(Qt::black));
    int orange = 0, yellow = 0, greenAtEdge = 0;
    for (int y = 1; y < 72; ++y) {
      for (int x = 1; x < 72; ++x) {
        const QColor c = image.pixelColor(x, y);
        orange += c.red() > 195 && std::abs(c.green() - 120) <= 45 && c.blue() <= 45;
        yellow += c.red() > 170 && c.green() > 170 && c.blue() < 40;
        greenAtEdge += (image.pixelColor(x - 1, y) == Qt::black ||
                        image.pixelColor(x + 1, y) == Qt::black) &&
                       c != Qt::black && c.green() > c.red() + 40;
      }
    }
    QVERIFY2(orange > 20 && yellow > 10 && greenAtEdge > 40,
             qPrintable(QString("%1 %2 %3").arg(orange).arg(yellow).arg(greenAtEdge)));
  }

  void helpCommandsOpenAnotherDescriptionEachTimeAndOneAbout() {
    Window window;
    QVERIFY(QFile::copy(QStringLiteral(ZIRVANTA_DESCRIPTION_RTF),
                        window.folder.filePath("Description.rtf")));
    Key(window->Pic, Qt::Key_F1);
    QTRY_COMPARE(window->findChildren<TDscrptForm*>().size(), 1);
    TDscrptForm* first = window->findChildren<TDscrptForm*>()[0];
    QVERIFY(first->RichEdit1->toPlainText().startsWith("Zirvanta 1.02"));
    first->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(first));
    QTest::keyClick(first->RichEdit1, Qt::Key_F1);  // the command also works from a description
    QTRY_COMPARE(window->findChildren<TDscrptForm*>().size(), 2);

    window->A_Program->trigger();
    window->A_Program->trigger();
    QTRY_COMPARE(window->findChildren<TAboutForm*>().size(), 1);
    QPointer<TAboutForm> about = window->findChildren<TAboutForm*>()[0];
    about->close();
    QTRY_VERIFY(about.isNull());
    window->move(window->pos() + QPoint(40, 30));
    window->A_Program->trigger();
    QTRY_COMPARE(window->findChildren<TAboutForm*>().size(), 1);
    about = window->findChildren<TAboutForm*>()[0];
    const QRect main = window->frameGeometry();
    QCOMPARE(about->pos().y(), main.top() + 120);
    QVERIFY(std::abs(about->frameGeometry().center().x() - main.center().x()) <= 2);
    // The main window goes first, with the about window open: nothing may touch its state after.
    window.form.reset();
  }
};

QTEST_MAIN(HelpWindowsTest)
#include "help_windows_test.moc"
