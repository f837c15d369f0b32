#include "U_opensavefractal.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "forms/U_refile.h"

using namespace browser;

namespace {

const TFileBrowser::Layout kLayout{
    .height = 221, .listHeight = 145, .nameTop = 184, .frameTop = 8, .frameCaption = "Prewiev",
    .pictureTop = 16, .message = {40, 59}, .messageCentred = true, .folderReadOnly = false,
    .open = {233, 184, 75, 25}, .save = {232, 184, 75, 25}, .cancel = {317, 184, 75, 25},
    .folderTip = " The fractals catalogue", .listTip = " Fractals taking place in the catalogue",
    .renameText = "&Переименовать..", .openTitle = "Fractal opening",
    .saveTitle = "Fractal preservation", .openTip = " Opens the chosen file",
    .saveTip = " Keeps a file under the chosen name",
    .openCancelTip = " Closes the form 'Fractal opening'",
    .saveCancelTip = " Closes the form 'Fractal preservation'",
    .names = {"Label2", "Drive", "FileList", "Label1", "FileName", "GroupBox1", "PreView", "ImMess",
              "OpenFractal", "SaveFractal", "Cansel", "PopupMenu1", "DeleteFile", "RenFile"},
};

}  // namespace

TOpenSaveFractal::TOpenSaveFractal(zirvanta::SharedState& state, TMainLink& link)
    : TFileBrowser(state, link, kLayout,
                   {state.FractalFolder, zirvanta::EntryPattern::FractalFiles,
                    zirvanta::kFractalExtension, "fractal_new", state.browser.FractalListIndex,
                    "Confirmation of replacement"}) {
  IgnoreFPalette = new QCheckBox(QStringLiteral("To ignore a fractal palette"), this);
  IgnoreFPalette->setObjectName(QStringLiteral("IgnoreFPalette"));
  IgnoreFPalette->setGeometry(232, 152, 169, 17);
  IgnoreFPalette->setFont(UiFont(kSmallTextPixels));
  IgnoreFPalette->installEventFilter(this);
  setTabOrder(FileName, IgnoreFPalette);
  setTabOrder(IgnoreFPalette, OpenFractal);
  connect(IgnoreFPalette, &QCheckBox::clicked, this, &TOpenSaveFractal::IgnoreFPaletteClick);
  {
    const QSignalBlocker quiet(IgnoreFPalette);
    IgnoreFPalette->setChecked(!state_.UseFractalPalette);
  }
  IgnoreFPalette->setEnabled(openMode_);

  snapshotFractal_ = state_.fractal;
  snapshotPalette_ = state_.palette;
  FillList();
}

void TOpenSaveFractal::IgnoreFPaletteClick() {
  if (!openMode_) return;
  if (IgnoreFPalette->isChecked()) {
    state_.UseFractalPalette = false;
    state_.fractal.palette = snapshotFractal_.palette;
    if (OpenFractal->isEnabled()) {
      state_.palette = snapshotPalette_;
      RenderPreview();
    }
  } else {
    state_.UseFractalPalette = true;
    if (OpenFractal->isEnabled()) PreviewFile();
  }
}

void TOpenSaveFractal::done(int result) {
  if (result == QDialog::Rejected) state_.browser.FileChosen = false;
  TFileBrowser::done(result);
}

bool TOpenSaveFractal::ReadChosen() {
  return ReadFractalInto(state_, state_.browser.ChosenPath, this);
}

void TOpenSaveFractal::RestoreSnapshot() {
  state_.fractal = snapshotFractal_;
  state_.palette = snapshotPalette_;
}

void TOpenSaveFractal::RefillAfterDelete() {
  // The new selection is previewed, then the state is put back as it was before the dialog.
  FillList();
  RestoreSnapshot();
}

void TOpenSaveFractal::OpenRename(const std::string& entry) {
  TReFile rename(state_, link_, *this, entry);
  rename.exec();
}

void TOpenSaveFractal::NoteChoice(const std::string& entry) {
  state_.browser.FileChosen = true;
  state_.browser.ChosenName = entry;
}
