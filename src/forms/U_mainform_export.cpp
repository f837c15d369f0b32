// "S&ave as..": the image export.
#include <QAction>

#include "U_mainform.h"

void TMainForm::ConnectExportCommand() {
  connect(SaveImage, &QAction::triggered, this, &TMainForm::SaveImageExecute);
}

// Built with the export dialog.
void TMainForm::SaveImageExecute() {}
