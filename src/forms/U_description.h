#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "forms/main_link.h"
#include "session/shared_state.h"

class QTextEdit;

// The description window: the user manual, Description.rtf in the start folder, in a read-only
// rich-text box. It reads StartFolder once, when it is created, and changes nothing of the
// shared state; any number of them may be open. Modeless, kept above the main window, 414
// pixels wide and only as high as the user likes; Esc closes it, and closing destroys it.
class TDscrptForm : public QWidget {
  Q_OBJECT

 public:
  TDscrptForm(zirvanta::SharedState& state, TMainLink& link);

  // What the window shows when the manual cannot be shown: two lines, the first with a blank
  // before it.
  static QString FallbackText();

  QTextEdit* RichEdit1 = nullptr;

 protected:
  bool event(QEvent* event) override;                     // FormActivate
  bool eventFilter(QObject* watched, QEvent* event) override;  // FormKeyDown, before the box

 private:
  void LoadDescription(const std::string& path);
};
