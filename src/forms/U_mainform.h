#pragma once

#include <QCursor>
#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>

#include "engine/drawing_surface.h"
#include "engine/fractal_state.h"
#include "engine/live_render_thread.h"
#include "engine/palette.h"
#include "engine/renderer.h"
#include "engine/view.h"
#include "files/settings.h"
#include "forms/main_link.h"
#include "forms/titles.h"
#include "session/shared_state.h"

// Full screen, the slide show and its options.
#include "files/slide_list.h"
#include "forms/U_fullscreen.h"
#include "forms/owned_window.h"
class TJLFOptions;

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QStatusBar;
class QToolButton;
class TImageBox;
class TPictureBox;
class TTinyButton;


// The main window: it owns the program's shared state, the two pictures and the live render
// thread. Other windows get the shared state and this window's TMainLink, never this class.
class TMainForm : public QMainWindow, public TMainLink {
  Q_OBJECT

  // Declared first: the short names below and the render thread refer to it.
  zirvanta::SharedState shared_;

 public:
  struct Dependencies {
    std::unique_ptr<zirvanta::Renderer> renderer;                  // null: the plain renderer
    zirvanta::LiveRenderThread::Launcher threadLauncher;           // null: a std::thread
  };

  // startFolder holds settings.dat, fractals/ and paletts/; it is made absolute once here.
  explicit TMainForm(const QString& startFolder, Dependencies dependencies = {}, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The state every window works on; other windows get it with this window as their TMainLink.
  zirvanta::SharedState& State() { return shared_; }

  // --- TMainLink ------------------------------------------------------------------------------
  // Every change of what the thread reads (fractal, palette, view) is made only while the thread
  // is idle, and followed by WakeRenderThread().
  bool RenderThreadIdle() const override;
  void WakeRenderThread() override;
  void ShowHint(const QString& hint) override;
  const QCursor& ScreenCursor(int number) const override;
  void StopAllSweeps() override;  // sets both stop requests; a running sweep ends at its next step
  void RedrawFullScreen() override;
  void FractalTaken(bool paletteTaken) override;
  void PaletteTaken() override;
  QWidget* MainWindow() override { return this; }
  QRect PictureScreenRect() const override;
  void SetApplicationTitle(const QString& title) override;

  // --- the render thread ----------------------------------------------------------------------
  // For tests: waits until the thread is idle; false when the time ran out.
  bool WaitForRenderThreadIdle(int timeoutMs) const;
  uint64_t RenderPassesCompleted() const;
  // True when the thread could not be created; the application has then been asked to quit.
  bool TerminateRequested() const { return terminateRequested_; }

  // --- palette --------------------------------------------------------------------------------
  void BuildPalette();     // the table from fractal.palette
  void DrawPaletteLine();  // repaints the strip from the table

  // --- commands -------------------------------------------------------------------------------
  void CloseAppExecute();
  void FractalN1Execute();

  // The file commands (U_mainform_files.cpp).
  void OpenFractExecute();
  void SaveCrntFrctExecute();
  void SaveFractalExecute();
  void OpenPaletteExecute();
  void SavePaletteExecute();


  // The image export (U_mainform_export.cpp).
  void SaveImageExecute();
  // Closes an open export dialog, which stops its export and waits for it (the window closes).
  void CloseExportDialog();
  // The open export dialog, or none.
  QWidget* ExportDialog() const;


  // Full screen, the slide show and its options (U_mainform_screen.cpp).
  void FullScrExecute();
  void SlideShowExecute();
  void OptionsExecute();
  // The open full-screen and options windows, or null.
  TFullScreenForm* FullScreenForm() const;
  TJLFOptions* OptionsForm() const;


  // The help windows (U_mainform_help.cpp).
  void DescriptExecute();
  void A_ProgramExecute();


  // --- factors: the sliders are the only writers of c among the controls ---------------------
  void TrackBarCxChange(int position);
  void TrackBarCyChange(int position);
  void PlusCxClick();
  void MinusCxClick();
  void PlusCyClick();
  void MinusCyClick();
  // A sweep runs inside the call, processing events between its steps, until it is stopped.
  void UpCxClick();
  void DownCxClick();
  void UpCyClick();
  void DownCyClick();
  void StopCxClick();
  void StopCyClick();

  // --- palette controls ---------------------------------------------------------------------
  void TrackBarR0Change(int position);
  void TrackBarG0Change(int position);
  void TrackBarB0Change(int position);
  void TrackBarR1Change(int position);
  void TrackBarG1Change(int position);
  void TrackBarB1Change(int position);
  void TypeOfPaletteChange(int index);
  void IsChPaletteClick();
  void ChPaletteClick();

  // --- mouse tools, + and -, Home -------------------------------------------------------------
  void KoefScrExecute();
  void ZoomExecute();
  void ToCurExecute();
  void HandToolExecute();
  void FromToExecute();
  void DefaultParExecute();
  void LupaPlusClick();
  void LupaMinusClick();
  void PicMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
  void PicMouseMove(Qt::MouseButtons buttons, int x, int y);
  void PicMouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
  // U, + and -, seen before the focused control; true when the key was used.
  bool FormKeyDown(const QKeyEvent& key);

  // --- general view ---------------------------------------------------------------------------
  void GeneralViewMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
  void GeneralViewMouseMove(Qt::MouseButtons buttons, int x, int y);
  void GeneralViewMouseUp(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);

  // The values settings.dat would receive now.
  zirvanta::Settings CurrentSettings() const;

  // --- the main window's own state ----------------------------------------------------------
  // Short names for the parts of the shared state that this window's code works on most.
  zirvanta::FractalState& fractal = shared_.fractal;
  zirvanta::Palette& palette = shared_.palette;
  zirvanta::ViewValues& view = shared_.view;

  enum class ToolMode { FactorDrag, Zoom, Centring, Hand, DragZoom };
  ToolMode toolMode = ToolMode::FactorDrag;
  float factorDragKx = 0.0f;  // sensitivities of the factor drag
  float factorDragKy = 0.0f;
  bool applyPaletteAtOnce = true;
  // Set while a loaded c is placed on the sliders, so that c keeps its exact value.
  bool sliderSyncSuppressed = false;

  struct SweepState {
    bool stopRe = false, stopIm = false;
    bool reUp = false, reDown = false, imUp = false, imDown = false;
    int32_t reUpSpeed = 1, reDownSpeed = 1, imUpSpeed = 1, imDownSpeed = 1;
  };
  SweepState sweep;

  // The six small menu icons: export, save, open, quit, full screen, description.
  std::array<QIcon, 6> ImageList1;

  // --- controls -------------------------------------------------------------------------------
  TPictureBox* Pic = nullptr;
  QToolButton* DefButton = nullptr;
  QToolButton* Hand = nullptr;
  QToolButton* Center = nullptr;
  QToolButton* Lupa = nullptr;
  QToolButton* LupaPlus = nullptr;
  QToolButton* LupaMinus = nullptr;
  QToolButton* Koef = nullptr;
  QToolButton* To_From = nullptr;
  QPushButton* FullScreenButton = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  TPictureBox* GeneralView = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* LabelRe = nullptr;
  QLabel* LabelIm = nullptr;
  QLineEdit* E_cx = nullptr;
  QLineEdit* E_cy = nullptr;
  TTinyButton* PlusCx = nullptr;
  TTinyButton* MinusCx = nullptr;
  TTinyButton* PlusCy = nullptr;
  TTinyButton* MinusCy = nullptr;
  QSlider* TrackBarCx = nullptr;
  QSlider* TrackBarCy = nullptr;
  QToolButton* DownCx = nullptr;
  QToolButton* StopCx = nullptr;
  QToolButton* UpCx = nullptr;
  QToolButton* DownCy = nullptr;
  QToolButton* StopCy = nullptr;
  QToolButton* UpCy = nullptr;
  QPushButton* CloseButton = nullptr;
  QGroupBox* PalBox = nullptr;
  TImageBox* PaletteLine = nullptr;
  QSlider* TrackBarR0 = nullptr;
  QSlider* TrackBarG0 = nullptr;
  QSlider* TrackBarB0 = nullptr;
  QSlider* TrackBarR1 = nullptr;
  QSlider* TrackBarG1 = nullptr;
  QSlider* TrackBarB1 = nullptr;
  QComboBox* TypeOfPalette = nullptr;
  QCheckBox* IsChPalette = nullptr;
  QPushButton* ChPalette = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel0 = nullptr;
  QLabel* StatusPanel1 = nullptr;

  QMenu* FileMenu = nullptr;
  QMenu* FractalMenu = nullptr;
  QMenu* ViewMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* File = nullptr;
  QAction* OpenFract = nullptr;
  QAction* SaveCrntFrct = nullptr;
  QAction* SaveFractal = nullptr;
  QAction* OpenPalette = nullptr;
  QAction* SavePalette = nullptr;
  QAction* SaveImage = nullptr;
  QAction* CloseApp = nullptr;
  QAction* ChFract = nullptr;
  QAction* FractalN1 = nullptr;  // the menu item ZZ2C
  QAction* ZSinZ2C = nullptr;    // hidden, without a command
  QActionGroup* FractalTypes = nullptr;
  QAction* ViewF = nullptr;
  QAction* FullScr = nullptr;
  QAction* SlideShow = nullptr;
  QAction* Options = nullptr;
  QAction* About = nullptr;
  QAction* Descript = nullptr;
  QAction* A_Program = nullptr;
  QAction* KoefScr = nullptr;
  QAction* Zoom = nullptr;
  QAction* ToCur = nullptr;
  QAction* HandTool = nullptr;
  QAction* FromTo = nullptr;
  QAction* DefaultPar = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormClose
  bool event(QEvent* event) override;            // status tips go to panel 1
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildToolButtons(QWidget* client);
  void BuildFactorsGroup(QWidget* client);
  void BuildPaletteGroup(QWidget* client);
  void BuildMenu();
  void BuildStatusBar();
  void RegisterCursors();
  void StartRenderThread(zirvanta::LiveRenderThread::Launcher launcher);
  void FormCreate();
  void FormClose();
  void FormDestroy();
  void ShowFactor(QLineEdit* edit, double value);

  // Behaviour of the controls, by concern (U_mainform_factors.cpp, _palette, _tools, _general).
  void ConnectFactors();
  void ConnectPalette();
  void ConnectTools();
  void ConnectGeneralView();

  // The file commands' own part (U_mainform_files.cpp).
  void ConnectFileCommands();
  // CurrentFractalPath and CurrentFractalName from the browser's choice; "Sav&e" names it.
  void TakeCurrentFractalFile();


  // The export's own part (U_mainform_export.cpp).
  void ConnectExportCommand();


  // The full-screen, slide-show and options part (U_mainform_screen.cpp).
  void ConnectScreenCommands();
  void CloseScreenWindows();  // at FormClose: the full-screen and options windows
  zirvanta::Renderer& ScreenRenderer();
  // A renderer of their own for the full-screen and slide pictures, made at the first picture,
  // and the two pictures, kept for the run. The windows below go first, while all this lives.
  std::unique_ptr<zirvanta::Renderer> screenRenderer_;
  std::unique_ptr<TScreenPicture> fullScreenPicture_;
  std::unique_ptr<TScreenPicture> slidePicture_;
  zirvanta::SlideRandom slideRandom_;
  OwnedWindow<TFullScreenForm> fullScreenForm_;
  OwnedWindow<TJLFOptions> optionsForm_;


  // The help windows' part (U_mainform_help.cpp).
  void ConnectHelpCommands();


  enum class SweepAxis { Re, Im };
  enum class SweepDirection { Up, Down };
  void FactorSliderChange(QSlider* slider, double& factor, QLineEdit* edit);
  void RunSweep(SweepAxis axis, SweepDirection direction);
  bool SweepMustEnd(SweepAxis axis, SweepDirection direction) const;
  bool ProcessEventsOfSweep(SweepAxis axis, SweepDirection direction, bool waitForIdle);

  void PaletteSliderChange(int32_t zirvanta::PaletteParams::*field, const QSlider* slider);
  void TakePaletteSliders();
  void SetPaletteSliders();  // the six sliders to fractal.palette; their handlers decide the rest
  void PaletteChanged();  // DrawPaletteLine after BuildPalette, then wake the thread

  void ChooseTool(ToolMode mode);
  // Sets both factor sliders of one mouse move; their change events write both parts of c
  // before the one wake that follows, so the thread's next pass sees both.
  void SetFactorSlidersTogether(int positionX, int positionY);
  void ApplyView();  // UpdateMarker, then wake the thread
  void ShowCoordinates(long double x, long double y);

  std::array<QCursor, 7> cursors_;

  // Drag data of the picture: the press point and slider positions of the factor drag, the last
  // point of the hand and the drag zoom.
  int pressX_ = 0, pressY_ = 0;
  int pressPositionX_ = 0, pressPositionY_ = 0;
  int lastX_ = 0, lastY_ = 0;

  zirvanta::SettingsAtStart settingsAtStart_;

  std::unique_ptr<zirvanta::Renderer> renderer_;
  // The pictures the thread copies its passes onto; they outlive the thread.
  zirvanta::DrawingSurface livePicture_;
  zirvanta::DrawingSurface generalPicture_;
  std::unique_ptr<zirvanta::LiveRenderThread> renderThread_;
  bool renderThreadCreated_ = false;
  bool wakesHeld_ = false;     // set while SetFactorSlidersTogether runs
  bool wakeWasAsked_ = false;  // a wake came while they were held
  bool terminateRequested_ = false;
};
