// Full screen, the slide show and its options.
#include <QAction>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <new>
#include <system_error>

#include "U_mainform.h"
#include "forms/ui_common.h"
#include "U_fullscreen.h"
#include "U_options.h"
#include "U_slideform.h"
#include "engine/fast/fast_renderer.h"

namespace {

void ShowNoMemoryForScreen(QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error:"),
                  QStringLiteral("There is not enough memory for a picture of the screen's size."),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void TMainForm::ConnectScreenCommands() {
  connect(FullScr, &QAction::triggered, this, &TMainForm::FullScrExecute);
  connect(FullScreenButton, &QPushButton::clicked, this, &TMainForm::FullScrExecute);
  connect(SlideShow, &QAction::triggered, this, &TMainForm::SlideShowExecute);
  connect(Options, &QAction::triggered, this, &TMainForm::OptionsExecute);
  fullScreenPicture_ = std::make_unique<TScreenPicture>([this]() -> zirvanta::Renderer& {
    return ScreenRenderer();
  });
  slidePicture_ = std::make_unique<TScreenPicture>([this]() -> zirvanta::Renderer& {
    return ScreenRenderer();
  });
}

zirvanta::Renderer& TMainForm::ScreenRenderer() {
  if (!screenRenderer_) {
    try {
      screenRenderer_ = std::make_unique<zirvanta::FastRenderer>();
    } catch (const std::system_error&) {
      // Without worker threads the pictures are computed by the one-thread plain renderer.
      screenRenderer_ = std::make_unique<zirvanta::PlainRenderer>();
    }
  }
  return *screenRenderer_;
}

TFullScreenForm* TMainForm::FullScreenForm() const { return fullScreenForm_.get(); }
TJLFOptions* TMainForm::OptionsForm() const { return optionsForm_.get(); }

void TMainForm::FullScrExecute() {
  if (!RenderThreadIdle() || shared_.windows.fullScreenShown) return;
  shared_.windows.fullScreenShown = true;
  FullScreenButton->setText(QStringLiteral("Wait..."));
  FullScreenButton->repaint();
  OverrideCursor starting(Qt::BusyCursor);
  StopAllSweeps();
  TFullScreenForm* form = nullptr;
  try {
    form = new TFullScreenForm(shared_, *this, *fullScreenPicture_, this);
  } catch (const std::bad_alloc&) {
    shared_.windows.fullScreenShown = false;
    FullScreenButton->setText(QStringLiteral("Full Screen"));
    starting.Restore();
    ShowNoMemoryForScreen(this);
    return;
  }
  fullScreenForm_ = form;
  connect(form, &TFullScreenForm::Closed, this,
          [this] { FullScreenButton->setText(QStringLiteral("Full Screen")); });
  form->Show();
}

void TMainForm::RedrawFullScreen() {
  if (!fullScreenForm_) return;
  try {
    fullScreenForm_->RenderFullScreen();
  } catch (const std::bad_alloc&) {
    fullScreenForm_->close();
    ShowNoMemoryForScreen(this);
  }
}

void TMainForm::SlideShowExecute() {
  if (shared_.windows.slideShowRunning || !RenderThreadIdle()) return;
  zirvanta::TSlideList list;
  zirvanta::TSlideList::GatherResult gathered = zirvanta::TSlideList::GatherResult::Unreadable;
  try {
    gathered = list.Gather(shared_.FractalFolder);
  } catch (const std::bad_alloc&) {
    list.Discard();
  }
  if (gathered != zirvanta::TSlideList::GatherResult::Gathered) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error:"),
                    QStringLiteral("It was not possible to create the show list."),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  if (list.Count() == 0) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error:"),
                    QStringLiteral("It is not possible to execute the command.\n There is no "
                                   "fractal for show."),
                    QMessageBox::Ok, this);
    box.exec();
    return;
  }
  OverrideCursor starting(Qt::BusyCursor);
  StopAllSweeps();
  if (shared_.slideOrder == 1) zirvanta::SeedFromTime(slideRandom_);
  shared_.windows.slideShowRunning = true;
  std::unique_ptr<TSlideForm> form;
  try {
    form = std::make_unique<TSlideForm>(shared_, *this, *slidePicture_, list, slideRandom_, this);
  } catch (const std::bad_alloc&) {
    shared_.windows.slideShowRunning = false;
    starting.Restore();
    ShowNoMemoryForScreen(this);
    return;
  }
  starting.Restore();
  form->exec();
  // The slides were read into the window's own copy: c, the view and the palette here are as
  // they were, and the live view still shows them.
}

void TMainForm::OptionsExecute() {
  if (shared_.windows.optionsWindowOpen) {
    if (optionsForm_) optionsForm_->close();
    return;
  }
  auto* form = new TJLFOptions(shared_, *this, this);
  optionsForm_ = form;
  form->move(pos() + QPoint(123, 49));
  form->show();
}

void TMainForm::CloseScreenWindows() {
  if (fullScreenForm_) fullScreenForm_->close();
  if (optionsForm_) optionsForm_->close();
}
