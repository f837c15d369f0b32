#include "U_ospalette.h"

#include "forms/U_repalfile.h"

using namespace browser;

namespace {

const TFileBrowser::Layout kLayout{
    .height = 178, .listHeight = 105, .nameTop = 144, .frameTop = 6, .frameCaption = "Preview",
    .pictureTop = 14, .message = {40, 56}, .messageCentred = false, .folderReadOnly = true,
    .open = {232, 144, 73, 22}, .save = {232, 144, 73, 22}, .cancel = {320, 144, 73, 22},
    .folderTip = " The catalogue of palettes", .listTip = " Palettes taking place in the catalogue",
    .renameText = "Переименовать файл", .openTitle = "Palette opening",
    .saveTitle = "Palette preservation", .openTip = " Opens the chosen palette",
    .saveTip = " Keeps a palette under the chosen name",
    .openCancelTip = " Closes the form 'Palette opening'",
    .saveCancelTip = " Closes the form 'Palette preservation'",
    .names = {"Label1", "PathText", "PalList", "Label2", "FileText", "PalPreview", "With", "ImText",
              "OpenBut", "SaveBut", "CanBut", "PopupPalette", "DelPalFile", "ReNamePal"},
};

}  // namespace

TOSPalette::TOSPalette(zirvanta::SharedState& state, TMainLink& link)
    : TFileBrowser(state, link, kLayout,
                   {state.PaletteFolder, zirvanta::EntryPattern::PaletteFiles,
                    zirvanta::kPaletteExtension, "palette_new", state.browser.PaletteListIndex,
                    "Confirmation of replacement of a file"}) {
  snapshotParams_ = state_.fractal.palette;
  snapshotPalette_ = state_.palette;
  Refill();
}

bool TOSPalette::ReadChosen() {
  return ReadPaletteInto(state_, state_.browser.ChosenPath, this);
}

void TOSPalette::RestoreSnapshot() {
  state_.fractal.palette = snapshotParams_;
  state_.palette = snapshotPalette_;
}

void TOSPalette::RefillAfterDelete() {
  // Put back first, so that the newly selected entry's palette is the one loaded afterwards.
  RestoreSnapshot();
  Refill();
}

void TOSPalette::OpenRename(const std::string& entry) {
  TRePalFile rename(state_, link_, *this, entry);
  rename.exec();
}
