#include "U_description.h"

#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include "forms/rtf_text_document.h"
#include "help/rtf_file.h"
#include "help/rtf_reader.h"

namespace {

constexpr int kWidth = 414;
constexpr int kInitialHeight = 480;

}  // namespace

TDscrptForm::TDscrptForm(zirvanta::SharedState& state, TMainLink& link)
    // A dialog's type keeps it above the main window; it asks for a minimise button all the same.
    : QWidget(link.MainWindow(), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("DscrptForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Description"));
  setMinimumWidth(kWidth);
  setMaximumWidth(kWidth);

  RichEdit1 = new QTextEdit(this);
  RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  RichEdit1->setReadOnly(true);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
  // The box's own font: the fallback lines and text that names no font of its own.
  QFont font;
  font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  RichEdit1->setFont(font);
  RichEdit1->installEventFilter(this);
  installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(RichEdit1);

  RichEdit1->clear();
  LoadDescription(state.StartFolder + "/Description.rtf");

  QRect place(0, 0, kWidth, kInitialHeight);
  place.moveCenter(link.MainWindow()->frameGeometry().center());
  setGeometry(place);
}

QString TDscrptForm::FallbackText() {
  return QStringLiteral(
      " Показать описание невозможно.В каталоге программы\n"
      "отсутствует файл описания - Description.rtf");
}

// A missing file, and one that cannot be shown (not a regular file, too large, unreadable, not
// rich text), give the two fallback lines; anything the reader makes of a rich-text file is shown.
void TDscrptForm::LoadDescription(const std::string& path) {
  const zirvanta::DocumentFileRead file = zirvanta::ReadDocumentFile(path);
  if (file.status == zirvanta::DocumentFileRead::Status::Ok) {
    const zirvanta::RtfDocument document = zirvanta::ReadRtf(file.bytes);
    if (document.isRtf) {
      FillTextDocument(document, *RichEdit1->document(), RichEdit1->font(), logicalDpiY());
      RichEdit1->moveCursor(QTextCursor::Start);
      return;
    }
  }
  RichEdit1->setPlainText(FallbackText());
}

bool TDscrptForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) RichEdit1->setFocus(Qt::ActiveWindowFocusReason);
  return QWidget::event(event);
}

bool TDscrptForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
