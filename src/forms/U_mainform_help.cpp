// The Help menu: the description and about windows.
#include <QAction>

#include "U_mainform.h"

void TMainForm::ConnectHelpCommands() {
  connect(Descript, &QAction::triggered, this, &TMainForm::DescriptExecute);
  connect(A_Program, &QAction::triggered, this, &TMainForm::A_ProgramExecute);
}

// Built with the help windows.
void TMainForm::DescriptExecute() {}
void TMainForm::A_ProgramExecute() {}
