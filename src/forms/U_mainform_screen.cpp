// Full screen, the slide show and its options.
#include <QAction>
#include <QPushButton>

#include "U_mainform.h"

void TMainForm::ConnectScreenCommands() {
  connect(FullScr, &QAction::triggered, this, &TMainForm::FullScrExecute);
  connect(FullScreenButton, &QPushButton::clicked, this, &TMainForm::FullScrExecute);
  connect(SlideShow, &QAction::triggered, this, &TMainForm::SlideShowExecute);
  connect(Options, &QAction::triggered, this, &TMainForm::OptionsExecute);
}

// Built with the full-screen and slide windows.
void TMainForm::FullScrExecute() {}
void TMainForm::SlideShowExecute() {}
void TMainForm::OptionsExecute() {}
void TMainForm::RedrawFullScreen() {}
