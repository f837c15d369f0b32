// The Help menu: the description and about windows.
#include <QAction>

#include "U_about.h"
#include "U_description.h"
#include "U_mainform.h"

void TMainForm::ConnectHelpCommands() {
  connect(Descript, &QAction::triggered, this, &TMainForm::DescriptExecute);
  connect(A_Program, &QAction::triggered, this, &TMainForm::A_ProgramExecute);
}

// Every use opens another window; each destroys itself when it closes.
void TMainForm::DescriptExecute() { (new TDscrptForm(shared_, *this))->show(); }

void TMainForm::A_ProgramExecute() {
  if (shared_.windows.aboutWindowOpen) return;
  (new TAboutForm(shared_, *this))->show();
}
