#pragma once

#include <string>

#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class TOpenSaveFractal;

// Renames the fractal file of one entry of the fractal browser's list. Reads the list and the
// fractal folder; on success refills the browser (which selects the same position again and
// previews it) and closes. The main window's "Sav&e" target is left as it was.
class TReFile : public browser::TRenameForm {
  Q_OBJECT
 public:
  TReFile(zirvanta::SharedState& state, TMainLink& link, TOpenSaveFractal& browser,
          const std::string& entry);

  void OkButClick() { Confirm(); }
  void CanselButClick() { reject(); }

  QLineEdit* const& OldName = oldName_;
  QLineEdit* const& NewName = newName_;
  QPushButton* const& CanselBut = cancel_;
  QPushButton* const& OkBut = ok_;
};
