#pragma once

#include <string>

#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class TOSPalette;

// Renames the palette file of one entry of the palette browser's list. Reads the list and the
// palette folder; on success refills the browser, previews its selection again and closes.
class TRePalFile : public browser::TRenameForm {
  Q_OBJECT
 public:
  TRePalFile(zirvanta::SharedState& state, TMainLink& link, TOSPalette& browser,
             const std::string& entry);

  void RenamePalClick() { Confirm(); }
  void CanselRClick() { reject(); }

  QLineEdit* const& OldNamePal = oldName_;
  QLineEdit* const& NewNamePal = newName_;
  QPushButton* const& CanselR = cancel_;
  QPushButton* const& RenamePal = ok_;
};
