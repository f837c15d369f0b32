#pragma once

#include <QDialog>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/renderer.h"
#include "export/export_job.h"
#include "session/shared_state.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TCGauge;
class TGroupFrame;
class TMainLink;

// The export dialog: the size of the image in a unit at a resolution, the depth and the
// priority, then the export job with its gauge. Modeless, on top of the main window, destroyed
// when it closes.
//
// Reads of the shared state, when it is built: c, the view and the palette (copied; later
// changes in the main window do not reach the export), the full-screen flag (for its place).
// Writes, when it closes: closeAfterExport (the last state of IsCloseAfter) and
// windows.exportDialogOpen (cleared). The main window sets that flag when it shows the dialog.
// Through the link: the hints of its controls, and the application title, which shows the
// progress and returns to "Zirvanta 1.02".
//
// The job runs on threads of its own; its progress and finish steps run on the user-interface
// thread while the job waits. Closing the dialog in any way while the job runs stops the job and
// waits for it, running those steps meanwhile.
class TSizeAndExt : public QDialog {
  Q_OBJECT
 public:
  struct Environment {
    QSize screen;  // empty: the screen the main window is on
    // Makes the export's renderer; none: the fast renderer on every core.
    std::function<std::unique_ptr<zirvanta::Renderer>()> makeRenderer;
    // True while the live view computes a pass; called on the job's thread.
    std::function<bool()> liveViewBusy;
  };

  // chosenFile: the name the file dialog returned; its name is cut at its first "." and given
  // the extension ".bmp".
  TSizeAndExt(zirvanta::SharedState& state, TMainLink& link, const QString& chosenFile,
              Environment environment = {});
  ~TSizeAndExt() override;

  // The output path that a chosen file name gives.
  static QString OutputPathFor(const QString& chosenFile);
  // The path as SaveFName shows it: folders replaced by "..." from the first on until it fits.
  static QString ShortenedPath(const QString& path, const QFontMetrics& metrics, int maxWidth);
  // A number in general format with the given significant digits, trailing zeros dropped,
  // the exponent form ("1E3") when the exponent reaches the digits.
  static QString GeneralFormat(double value, int digits);

  bool Running() const;
  // The pixel sizes the last UpdateFileSize worked out.
  int64_t PixelWidth() const { return pixelWidth_; }
  int64_t PixelHeight() const { return pixelHeight_; }
  float WidthValue() const { return width_; }
  float HeightValue() const { return height_; }

  QLabel* Label1 = nullptr;
  QLabel* SaveFName = nullptr;
  TGroupFrame* GroupBox1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* ImageWidth = nullptr;
  QLabel* Label8 = nullptr;
  QLineEdit* ImageHeight = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QComboBox* Units = nullptr;
  QLabel* Label7 = nullptr;
  QComboBox* Permission = nullptr;
  QLabel* Label4 = nullptr;
  QComboBox* Iterations = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* PrF = nullptr;
  QLabel* Itog = nullptr;
  TCGauge* CGauge1 = nullptr;
  QCheckBox* IsCloseAfter = nullptr;
  QPushButton* CanBut = nullptr;
  QPushButton* ButtonOk = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
  void closeEvent(QCloseEvent* event) override;   // FormClose
  void reject() override;

 private:
  void BuildControls();
  void PlaceWindow();
  void ImageWidthChange();
  void ImageHeightChange();
  void UnitsChange();
  void PermissionChange();
  void PrFChange();
  void ButtonOkClick();
  void IsCloseAfterClick();
  void UpdateFileSize();
  void ShowProgress(int64_t progressRow);
  void FinishExport();
  void ExportFailed(const std::string& message);
  void SetEditing(bool enabled);
  void SetEditText(QLineEdit* edit, const QString& text);
  bool ReadSize(QLineEdit* edit, float& value);
  QString SizeText(float value) const;
  int64_t ToPixels(float value) const;
  bool KeyIsSwallowed(QEvent* event);

  zirvanta::SharedState& state_;
  TMainLink& link_;
  Environment environment_;
  zirvanta::ExportParams params_;
  float width_ = 0.0f;
  float height_ = 0.0f;
  int64_t pixelWidth_ = 0;
  int64_t pixelHeight_ = 0;
  bool widthGuard_ = true;
  bool heightGuard_ = true;
  bool fileWritten_ = false;
  bool closed_ = false;
  // The mailbox outlives the job, which posts its steps through it.
  std::unique_ptr<zirvanta::OwnerMailbox> mailbox_;
  std::unique_ptr<zirvanta::ExportJob> job_;
};
