// "S&ave as..": the image export.
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>

#include "U_mainform.h"
#include "U_sizeandext.h"

void TMainForm::ConnectExportCommand() {
  connect(SaveImage, &QAction::triggered, this, &TMainForm::SaveImageExecute);
}

QWidget* TMainForm::ExportDialog() const {
  return findChild<TSizeAndExt*>(QString(), Qt::FindDirectChildrenOnly);
}

void TMainForm::SaveImageExecute() {
  zirvanta::SharedState& state = State();
  if (state.windows.slideShowRunning) return;
  if (state.windows.exportDialogOpen) {
    if (QWidget* dialog = ExportDialog()) {
      if (dialog->isMinimized()) {
        dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
        dialog->show();
      }
      dialog->raise();
      dialog->activateWindow();
    }
    return;
  }
  StopAllSweeps();

  // Qt's own dialog, so it behaves the same on every desktop and tests can drive it.
  QFileDialog SaveDialog1(this, QStringLiteral("Preservation of the image"));
  SaveDialog1.setObjectName(QStringLiteral("SaveDialog1"));
  SaveDialog1.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1.setFileMode(QFileDialog::AnyFile);
  SaveDialog1.setNameFilter(QStringLiteral("BMP (*.bmp)"));
  const QString folder =
      state.LastExportFolder.empty()
          ? QFileInfo(QString::fromStdString(state.StartFolder) + QStringLiteral("/.."))
                .absoluteFilePath()
          : QString::fromStdString(state.LastExportFolder);
  SaveDialog1.setDirectory(folder);
  const QString proposed = SaveCrntFrct->isEnabled()
                               ? QString::fromStdString(state.CurrentFractalName)
                               : QStringLiteral("new_image");
  SaveDialog1.selectFile(proposed);
  if (SaveDialog1.exec() != QDialog::Accepted || SaveDialog1.selectedFiles().isEmpty()) return;
  const QString chosen = SaveDialog1.selectedFiles().constFirst();
  state.LastExportFolder = QFileInfo(chosen).absolutePath().toStdString();

  TSizeAndExt::Environment environment;
  // Read on the export's thread: the idle flag is atomic, and the thread outlives every export
  // (the main window closes the dialog, which waits for its export, before the thread stops).
  environment.liveViewBusy = [this] { return !RenderThreadIdle(); };
  auto* dialog = new TSizeAndExt(state, *this, chosen, std::move(environment));
  state.windows.exportDialogOpen = true;
  dialog->IsCloseAfter->setChecked(state.closeAfterExport != 0);
  dialog->show();
}

void TMainForm::CloseExportDialog() {
  if (QWidget* dialog = ExportDialog()) {
    dialog->close();
    // Gone now, not at the next event loop turn: the main window goes next.
    delete dialog;
  }
}
