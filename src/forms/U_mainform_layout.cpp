// The main window's controls, menu and status bar: places, sizes, captions and hints.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>

#include "U_mainform.h"
#include "forms/ui_common.h"
#include "controls/group_frame.h"
#include "controls/picture_box.h"
#include "controls/tiny_button.h"

namespace {

constexpr int kClientWidth = 690;
constexpr int kClientHeight = 554;
constexpr int kStatusBarHeight = 19;
constexpr int kFactorThumbLength = 10;
constexpr int kPaletteThumbLength = 9;
constexpr int kStatusPanel0Width = 160;
constexpr int kStatusPanelGap = 2;

constexpr int kTextPixels = 11;
constexpr int kSmallTextPixels = 9;

QIcon Glyph(const char* name) {
  return QIcon(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(name)));
}

QToolButton* GlyphButton(QWidget* parent, const char* name, const char* glyph, QRect place,
                         const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(place);
  button->setIcon(Glyph(glyph));
  button->setIconSize(QSize(16, 16));
  button->setFocusPolicy(Qt::NoFocus);
  button->setStatusTip(hint);
  return button;
}

// The application's style with a thumb of the given length along the slider.
class ThumbLengthStyle final : public QProxyStyle {
 public:
  explicit ThumbLengthStyle(int length) : length_(length) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_SliderLength) return length_;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  int length_;
};

QSlider* Slider(QWidget* parent, const char* name, QRect place, int minimum, int maximum,
                int tickEvery, const QString& hint, int thumbLength) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  auto* style = new ThumbLengthStyle(thumbLength);
  style->setParent(slider);
  slider->setStyle(style);
  slider->setObjectName(QLatin1String(name));
  slider->setGeometry(place);
  slider->setRange(minimum, maximum);
  slider->setSingleStep(1);
  slider->setPageStep(2);
  slider->setTickPosition(QSlider::TicksAbove);
  slider->setTickInterval(tickEvery);
  slider->setStatusTip(hint);
  return slider;
}

QLabel* Caption(QWidget* parent, const QString& text, QPoint at) {
  auto* label = new QLabel(text, parent);
  label->move(at);
  label->adjustSize();
  return label;
}

}  // namespace

void TMainForm::BuildControls() {
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  // Fixed size: no maximise button, no resizing.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(UiFont(kTextPixels));

  ImageList1 = {QIcon(QStringLiteral(":/icons/export.xpm")),
                QIcon(QStringLiteral(":/icons/save.xpm")),
                QIcon(QStringLiteral(":/icons/open.xpm")),
                QIcon(QStringLiteral(":/icons/quit.xpm")),
                QIcon(QStringLiteral(":/icons/fullscreen.xpm")),
                QIcon(QStringLiteral(":/icons/description.xpm"))};

  // The client area above the status bar; every place below is relative to its top left.
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);

  Pic = new TPictureBox(client);
  Pic->setObjectName(QStringLiteral("Pic"));
  Pic->setGeometry(46, 0, zirvanta::kLiveWidth, zirvanta::kLiveHeight);
  Pic->SetSurface(&livePicture_);
  Pic->setStatusTip(
      QStringLiteral(" Changes factors at moving under the image with the pressed key of the mouse"));

  BuildToolButtons(client);

  FullScreenButton = new QPushButton(QStringLiteral("Full Screen"), client);
  FullScreenButton->setObjectName(QStringLiteral("FullScreenButton"));
  FullScreenButton->setGeometry(600, 8, 65, 16);
  FullScreenButton->setFont(UiFont(kSmallTextPixels));
  FullScreenButton->setStatusTip(
      QStringLiteral(" The image in a full-screen mode expects and shows (F)"));

  GroupBox3 = new TGroupFrame(QStringLiteral("General view  "), client);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  GroupBox3->setGeometry(584, 28, 97, 106);
  GeneralView = new TPictureBox(GroupBox3);
  GeneralView->setObjectName(QStringLiteral("GeneralView"));
  GeneralView->setGeometry(8, 17, zirvanta::kGeneralWidth, zirvanta::kGeneralHeight);
  GeneralView->SetSurface(&generalPicture_);
  GeneralView->setStatusTip(
      QStringLiteral(" Pressing of a key of the mouse centres the image concerning the chosen point"));

  BuildFactorsGroup(client);

  CloseButton = new QPushButton(Glyph("close"), QStringLiteral("Close"), client);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setGeometry(600, 378, 65, 22);
  CloseButton->setIconSize(QSize(16, 16));
  CloseButton->setStatusTip(QStringLiteral(" Closes the program (Ctrl+Q)"));

  BuildPaletteGroup(client);
  BuildMenu();
  BuildStatusBar();

  connect(CloseButton, &QPushButton::clicked, this, &TMainForm::CloseAppExecute);

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  qApp->installEventFilter(this);
}

void TMainForm::BuildToolButtons(QWidget* client) {
  DefButton = GlyphButton(client, "DefButton", "defbutton", {6, 8, 32, 32},
                          QStringLiteral(" Establishes initial position and scale for display fractal  (Home)"));
  Hand = GlyphButton(client, "Hand", "hand", {6, 42, 32, 32},
                     QStringLiteral(" Moves the image at the pressed key of the mouse (H)"));
  Center = GlyphButton(client, "Center", "center", {6, 76, 32, 32},
                       QStringLiteral(" By pressing a key of the mouse centres the image concerning the chosen point (C)"));
  Lupa = GlyphButton(client, "Lupa", "lupa", {6, 110, 32, 32},
                     QStringLiteral(" Pressing of the left key of the mouse increases the image with a centering, left - reduces (L)"));
  LupaPlus = GlyphButton(client, "LupaPlus", "lupaplus", {6, 144, 32, 32},
                         QStringLiteral(" Increases the image by 30%  (+) "));
  LupaMinus = GlyphButton(client, "LupaMinus", "lupaminus", {6, 178, 32, 32},
                          QStringLiteral(" Reduces the image by 30%  (-) "));
  Koef = GlyphButton(client, "Koef", "koef", {6, 212, 32, 32},
                     QStringLiteral(" Changes factors at moving under the image with the pressed key of the mouse (K)"));
  To_From = GlyphButton(client, "To_From", "to_from", {6, 246, 32, 32},
                        QStringLiteral(" Increases - reduces the image at moving with the pressed key of the mouse (A)"));
}

void TMainForm::BuildFactorsGroup(QWidget* client) {
  GroupBox1 = new TGroupFrame(QStringLiteral("Factors"), client);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(584, 142, 97, 220);
  GroupBox1->setFont(UiFont(kSmallTextPixels));

  LabelRe = Caption(GroupBox1, QStringLiteral("Re( C )"), {10, 18});
  LabelIm = Caption(GroupBox1, QStringLiteral("Im( C )"), {10, 106});

  auto factorEdit = [this](const char* name, QRect place) {
    auto* edit = new QLineEdit(QStringLiteral("0"), GroupBox1);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setTextMargins(0, 0, 0, 0);
    return edit;
  };
  E_cx = factorEdit("E_cx", {10, 32, 65, 17});
  E_cy = factorEdit("E_cy", {10, 120, 65, 17});

  auto stepButton = [this](const char* name, const char* caption, QRect place,
                           const QString& hint) {
    auto* button = new TTinyButton(QLatin1String(caption), GroupBox1);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setStatusTip(hint);
    return button;
  };
  PlusCx = stepButton("PlusCx", "+", {75, 32, 12, 8},
                      QStringLiteral(" Increases by one step = 0.001 current value Re (C)"));
  MinusCx = stepButton("MinusCx", "-", {75, 40, 12, 9},
                       QStringLiteral(" Reduces by one step = 0.001 current value Re (C)"));
  PlusCy = stepButton("PlusCy", "+", {75, 120, 12, 8},
                      QStringLiteral(" Increases by one step = 0.001 current value Im (C)"));
  MinusCy = stepButton("MinusCy", "-", {75, 129, 12, 8},
                       QStringLiteral(" Reduces by one step = 0.001 current value Im (C)"));

  TrackBarCx = Slider(GroupBox1, "TrackBarCx", {5, 50, 87, 23}, -2000, 2000, 400,
                      QStringLiteral(" Changes Re (C)"), kFactorThumbLength);
  TrackBarCx->setValue(402);
  TrackBarCy = Slider(GroupBox1, "TrackBarCy", {5, 138, 87, 23}, -2000, 2000, 400,
                      QStringLiteral(" Changes Im(C)"), kFactorThumbLength);
  TrackBarCy->setValue(339);

  auto sweepButton = [this](const char* name, const char* glyph, QPoint at, const QString& hint) {
    QToolButton* button = GlyphButton(GroupBox1, name, glyph, {at, QSize(22, 22)}, hint);
    button->setIconSize(QSize(12, 12));
    return button;
  };
  DownCx = sweepButton("DownCx", "down", {13, 74},
                       QStringLiteral(" Starts reduction Re (C). By repeated pressing increases speed"));
  StopCx = sweepButton("StopCx", "stop", {38, 74}, QStringLiteral(" Stops change of factor C"));
  UpCx = sweepButton("UpCx", "up", {63, 74},
                     QStringLiteral(" Starts increase Re (C). By repeated pressing increases speed"));
  DownCy = sweepButton("DownCy", "down", {13, 162},
                       QStringLiteral(" Starts reduction Im (C). By repeated pressing increases speed"));
  StopCy = sweepButton("StopCy", "stop", {38, 162}, QStringLiteral(" Stops change of factor C"));
  UpCy = sweepButton("UpCy", "up", {63, 162},
                     QStringLiteral(" Starts increase Im (C). By repeated pressing increases speed"));
}

void TMainForm::BuildPaletteGroup(QWidget* client) {
  PalBox = new TGroupFrame(QStringLiteral("Palette"), client);
  PalBox->setObjectName(QStringLiteral("PalBox"));
  PalBox->setGeometry(40, 412, 641, 117);

  PaletteLine = new TImageBox(PalBox);
  PaletteLine->setObjectName(QStringLiteral("PaletteLine"));
  PaletteLine->setGeometry(8, 17, 529, 15);

  const char* levelNames[3] = {"R0", "G0", "B0"};
  const char* periodNames[3] = {"R1", "G1", "B1"};
  const QString levelHints[3] = {QStringLiteral(" Initial level red"),
                                 QStringLiteral(" Initial level green"),
                                 QStringLiteral(" Initial level blue")};
  const QString periodHints[3] = {QStringLiteral(" The period of change red"),
                                  QStringLiteral(" The period of change green"),
                                  QStringLiteral(" The period of change blue")};
  QSlider* levels[3];
  QSlider* periods[3];
  for (int k = 0; k < 3; ++k) {
    const int top = 38 + 22 * k;
    Caption(PalBox, QLatin1String(levelNames[k]), {8, top + 8});
    Caption(PalBox, QLatin1String(periodNames[k]), {280, top + 8});
    levels[k] = Slider(PalBox, (QByteArray("TrackBar") + levelNames[k]).constData(),
                       {24, top, 241, 22}, 0, 100, 4, levelHints[k], kPaletteThumbLength);
    periods[k] = Slider(PalBox, (QByteArray("TrackBar") + periodNames[k]).constData(),
                        {296, top, 241, 22}, 0, 40, 2, periodHints[k], kPaletteThumbLength);
  }
  TrackBarR0 = levels[0];
  TrackBarG0 = levels[1];
  TrackBarB0 = levels[2];
  TrackBarR1 = periods[0];
  TrackBarG1 = periods[1];
  TrackBarB1 = periods[2];
  setTabOrder(TrackBarR0, TrackBarG0);
  setTabOrder(TrackBarG0, TrackBarB0);
  setTabOrder(TrackBarB0, TrackBarR1);
  setTabOrder(TrackBarR1, TrackBarG1);
  setTabOrder(TrackBarG1, TrackBarB1);

  TypeOfPalette = new QComboBox(PalBox);
  TypeOfPalette->setObjectName(QStringLiteral("TypeOfPalette"));
  TypeOfPalette->setGeometry(556, 16, 73, 21);
  for (const char* name : zirvanta::kPaletteTypeNames) TypeOfPalette->addItem(QLatin1String(name));
  TypeOfPalette->setEditable(false);
  TypeOfPalette->setFocusPolicy(Qt::ClickFocus);
  TypeOfPalette->setStatusTip(QStringLiteral(
      " Choice such as a palette on colors RGB: L - linear, S - under the law of a sine"));

  IsChPalette = new QCheckBox(QStringLiteral("To apply"), PalBox);
  IsChPalette->setObjectName(QStringLiteral("IsChPalette"));
  IsChPalette->setGeometry(556, 48, 65, 17);
  IsChPalette->setChecked(true);
  IsChPalette->setFocusPolicy(Qt::ClickFocus);
  IsChPalette->setStatusTip(QStringLiteral(
      " Switches on - switches off recalculation of a palette right after changes of palette "
      "parameters"));

  ChPalette = new QPushButton(QStringLiteral("Apply"), PalBox);
  ChPalette->setObjectName(QStringLiteral("ChPalette"));
  ChPalette->setGeometry(556, 73, 73, 27);
  ChPalette->setEnabled(false);
  ChPalette->setFocusPolicy(Qt::ClickFocus);
  ChPalette->setStatusTip(QStringLiteral(" Starts recalculation of the palette on demand (U)"));
}

void TMainForm::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  // A command's key reaches it whenever the main window is enabled, also while one of the
  // program's non-modal windows is active; a modal dialog shuts them all off.
  auto command = [this](QMenu* menu, const char* name, const QString& caption, QKeySequence key,
                        const QIcon& icon = {}) {
    auto* action = new QAction(icon, caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::ApplicationShortcut);
    if (menu) menu->addAction(action);
    return action;
  };

  FileMenu = bar->addMenu(QStringLiteral("&File"));
  File = FileMenu->menuAction();
  OpenFract = command(FileMenu, "OpenFract", QStringLiteral("&Open Fractal.."), Qt::Key_O,
                      ImageList1[2]);
  SaveCrntFrct = command(FileMenu, "SaveCrntFrct", QStringLiteral("Sav&e"), Qt::SHIFT | Qt::Key_S);
  SaveCrntFrct->setEnabled(false);
  SaveFractal = command(FileMenu, "SaveFractal", QStringLiteral("&Save Fractal.."), Qt::Key_S,
                        ImageList1[1]);
  OpenPalette = command(FileMenu, "OpenPalette", QStringLiteral("Open &Palette.."), Qt::Key_P);
  SavePalette = command(FileMenu, "SavePalette", QStringLiteral("Sa&ve Palette.."), Qt::Key_W);
  SaveImage = command(FileMenu, "SaveImage", QStringLiteral("S&ave as.."), Qt::Key_F7,
                      ImageList1[0]);
  FileMenu->addSeparator();
  CloseApp = command(FileMenu, "CloseApp", QStringLiteral("&Quit"), Qt::CTRL | Qt::Key_Q,
                     ImageList1[3]);
  connect(CloseApp, &QAction::triggered, this, &TMainForm::CloseAppExecute);

  FractalMenu = bar->addMenu(QStringLiteral("&Fractal"));
  ChFract = FractalMenu->menuAction();
  FractalTypes = new QActionGroup(this);
  FractalTypes->setExclusive(true);
  FractalN1 = new QAction(QStringLiteral("&Z <- Z^2 + C"), FractalTypes);
  FractalN1->setObjectName(QStringLiteral("ZZ2C"));
  FractalN1->setCheckable(true);
  FractalN1->setChecked(true);
  ZSinZ2C = new QAction(QStringLiteral("Z <- Z^&3 + C"), FractalTypes);
  ZSinZ2C->setObjectName(QStringLiteral("ZSinZ2C"));
  ZSinZ2C->setCheckable(true);
  ZSinZ2C->setVisible(false);
  FractalMenu->addAction(FractalN1);
  FractalMenu->addAction(ZSinZ2C);
  connect(FractalN1, &QAction::triggered, this, &TMainForm::FractalN1Execute);

  ViewMenu = bar->addMenu(QStringLiteral("&View"));
  ViewF = ViewMenu->menuAction();
  FullScr = command(ViewMenu, "FullScr", QStringLiteral("&Full Screen"), Qt::Key_F, ImageList1[4]);
  SlideShow = command(ViewMenu, "SlideShow", QStringLiteral("Sli&de-Show"), Qt::Key_F10);
  Options = bar->addAction(QStringLiteral("&Options"));
  Options->setObjectName(QStringLiteral("Options"));
  HelpMenu = bar->addMenu(QStringLiteral("&Help"));
  About = HelpMenu->menuAction();
  Descript = command(HelpMenu, "Descript", QStringLiteral("&Description"), Qt::Key_F1,
                     ImageList1[5]);
  A_Program = command(HelpMenu, "A_Program", QStringLiteral("Abo&ut"), {});

  for (QMenu* menu : {FileMenu, FractalMenu, ViewMenu, HelpMenu}) menu->setFont(font());
}

void TMainForm::BuildStatusBar() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedSize(kClientWidth, kStatusBarHeight);
  setStatusBar(StatusBar1);
  // The panels are placed by hand: the bar's own layout would indent the first one.
  StatusPanel0 = new QLabel(StatusBar1);
  StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  StatusPanel0->setGeometry(0, kStatusPanelGap, kStatusPanel0Width,
                            kStatusBarHeight - kStatusPanelGap);
  StatusPanel1 = new QLabel(StatusBar1);
  StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  const int secondLeft = kStatusPanel0Width + kStatusPanelGap;
  StatusPanel1->setGeometry(secondLeft, kStatusPanelGap, kClientWidth - secondLeft,
                            kStatusBarHeight - kStatusPanelGap);
  for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setTextFormat(Qt::PlainText);
  }
}
