#include "app/MainForm.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/CompileProgress.h"
#include "job/DmplJob.h"
#include "job/HpglJob.h"
#include "workspace/ViewNavigation.h"

namespace velmar {

const char* const TMainForm::kApplicationTitle = "DM/PL Laser Velmar";
const char* const TMainForm::kWindowCaption = "DM/PL laser Velmar";
const char* const TMainForm::kNoFileName = "Файл не загружен";

namespace {

// Track bars. A vertical bar has its minimum at the top, as the operators
// know it; the handlers turn the position round where a panel wants the top
// to be the largest value.
QSlider* verticalBar(int min, int max, int position) {
  auto* s = new QSlider(Qt::Vertical);
  s->setRange(min, max);
  s->setValue(position);
  s->setInvertedAppearance(true);
  s->setInvertedControls(true);
  s->setTickPosition(QSlider::NoTicks);
  return s;
}

QSlider* horizontalBar(int min, int max, int position, int tickEvery) {
  auto* s = new QSlider(Qt::Horizontal);
  s->setRange(min, max);
  s->setValue(position);
  s->setTickPosition(QSlider::TicksBelow);
  s->setTickInterval(tickEvery);
  return s;
}

QLabel* label(const QString& text, Qt::Alignment align = Qt::AlignHCenter) {
  auto* l = new QLabel(text);
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretchAtEnd = true) {
  auto* h = new QHBoxLayout;
  h->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w : widgets) {
    if (w) h->addWidget(w);
    else h->addStretch(1);
  }
  if (stretchAtEnd) h->addStretch(1);
  return h;
}

// One column of a sheet with vertical bars: heading, caption above, the bar,
// caption below, value label.
void barColumn(QGridLayout* grid, int column, QLabel* heading, QLabel* above, QSlider* bar, QLabel* below,
               QLabel* value) {
  int r = 0;
  if (heading) grid->addWidget(heading, r, column, Qt::AlignHCenter);
  ++r;
  grid->addWidget(above, r++, column, Qt::AlignHCenter);
  grid->addWidget(bar, r++, column, Qt::AlignHCenter);
  grid->addWidget(below, r++, column, Qt::AlignHCenter);
  grid->addWidget(value, r++, column, Qt::AlignHCenter);
  grid->setRowStretch(2, 1);
}

// The sheets' tabs stand on the right, one under the other. The style's
// padding would push the last tab off the panel at the design size, so the
// tabs are made a little shorter along the bar and their captions are drawn
// here, turned to run along it.
class CompactTabBar : public QTabBar {
 public:
  using QTabBar::QTabBar;

 protected:
  QSize tabSizeHint(int index) const override {
    QSize size = QTabBar::tabSizeHint(index);
    if (vertical()) size.setHeight(fontMetrics().horizontalAdvance(tabText(index)) + 12);
    return size;
  }

  void paintEvent(QPaintEvent* event) override {
    if (!vertical()) {
      QTabBar::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
      if (!isTabVisible(i)) continue;
      QStyleOptionTab option;
      initStyleOption(&option, i);
      const QString caption = option.text;
      option.text.clear();
      painter.drawControl(QStyle::CE_TabBarTabShape, option);
      painter.save();
      const QRect r = tabRect(i);
      painter.translate(r.center());
      painter.rotate(shape() == QTabBar::RoundedEast ? 90 : -90);
      const QRect text(-r.height() / 2, -r.width() / 2, r.height(), r.width());
      painter.setPen(palette().color(isTabEnabled(i) ? QPalette::WindowText : QPalette::PlaceholderText));
      painter.drawText(text, Qt::AlignCenter, caption);
      painter.restore();
    }
  }

 private:
  bool vertical() const { return shape() == QTabBar::RoundedEast || shape() == QTabBar::RoundedWest; }
};

class PageControl : public QTabWidget {
 public:
  explicit PageControl(QWidget* parent = nullptr) : QTabWidget(parent) { setTabBar(new CompactTabBar(this)); }
};

}  // namespace

TMainForm::TMainForm(UiServices* ui, QWidget* parent) : QMainWindow(parent), ui_(ui) {
  if (!ui_) {
    ownUi_ = std::make_unique<QtUiServices>();
    ui_ = ownUi_.get();
  }
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  // Tahoma 8 pt (11 pixels); where it is missing, a font of about its width.
  QFont font(QStringLiteral("Tahoma"));
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                    QStringLiteral("DejaVu Sans")});
  font.setPixelSize(11);
  setFont(font);
  CurrentFileName = QString::fromUtf8(kNoFileName);
  printRun = new PrintRun(*this, this);
  setUpFileDialogs();
  buildActions();
  buildWindow();
  wireHandlers();
  FormCreate();
}

TMainForm::~TMainForm() {
  // Closes the port if a run still holds it; nothing is shown any more.
  delete printRun;
  printRun = nullptr;
}

void TMainForm::showError(const QString& message) {
  ui_->showError(this, QString::fromUtf8(kApplicationTitle), WithFullStop(message));
}

QString TMainForm::statusText() const { return statusLabel_->text(); }
void TMainForm::setStatusText(const QString& text) { statusLabel_->setText(text); }

// ---------------------------------------------------------------- building

QAction* TMainForm::makeAction(const char* name, const QString& category, const QString& caption,
                               int iconIndex) {
  auto* a = new QAction(icons.icon(iconIndex), caption, this);
  a->setObjectName(QString::fromLatin1(name));
  a->setProperty("category", category);
  a->setProperty("imageIndex", iconIndex);
  return a;
}

void TMainForm::buildActions() {
  const QString edit = QStringLiteral("Edit"), file = QStringLiteral("File");
  actUndo = makeAction("actUndo", edit, {}, IconList::UndoArrow);
  actLoadFile = makeAction("actLoadFile", file, QStringLiteral("Загрузить"), IconList::Folder);
  actRedo = makeAction("actRedo", edit, {}, IconList::RedoArrow);
  actApply = makeAction("actApply", edit, {}, IconList::Star);
  actDestroy = makeAction("actDestroy", edit, {}, IconList::RedCross);
  actSaveFile = makeAction("actSaveFile", file, QStringLiteral("Сохранить"), IconList::Diskette);
  actExit = makeAction("actExit", file, QStringLiteral("Выход"), IconList::RedCross);
  actStart = makeAction("actStart", {}, {}, IconList::StartArrow);
  actStop = makeAction("actStop", {}, {}, IconList::RedCross);
  actPrint = makeAction("actPrint", edit, {}, IconList::Printer);
  actMake = makeAction("actMake", edit, QStringLiteral("Компиляция"), IconList::PagesArrow);
  actPause = makeAction("actPause", edit, {}, IconList::PagesBothWays);
  actPltSave = makeAction("actPltSave", edit, {}, IconList::Diskette);

  mm1File = menuBar()->addMenu(QStringLiteral("Файл"));
  mm1File->addAction(actLoadFile);
  mm1File->addAction(actSaveFile);
  mm1File->addSeparator();
  mm1File->addAction(actExit);
}

QToolButton* TMainForm::pictureButton(QAction* action, int width, int height) {
  // The button follows its action's picture and caption but keeps an enabled
  // state of its own: the print run disables buttons, never the actions.
  auto* b = new QToolButton;
  b->setObjectName(QStringLiteral("btn") + action->objectName().mid(3));
  b->setIcon(action->icon());
  b->setIconSize(QSize(IconList::kSize, IconList::kSize));
  b->setFixedSize(width, height);
  b->setToolTip(action->text());
  if (!action->text().isEmpty()) {
    b->setText(action->text());
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  } else {
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  connect(b, &QToolButton::clicked, action, &QAction::trigger);
  return b;
}

QWidget* TMainForm::buildPortBar() {
  Panel3 = new QFrame;
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel3->setFixedHeight(54);
  lbl1 = new QLabel(QStringLiteral("Порт:"));
  Port = new QComboBox;
  Port->setEditable(true);
  Port->setFixedWidth(145);
  Port->setInsertPolicy(QComboBox::NoInsert);
  btn1 = new QPushButton(QStringLiteral("ТЕСТ"));
  btn2 = new QPushButton(QStringLiteral("Калибровка"));
  btnLine1000 = new QPushButton(QStringLiteral("Line 1000"));
  Status = new QStatusBar;
  Status->setSizeGripEnabled(false);
  statusLabel_ = new QLabel;
  Status->addWidget(statusLabel_, 1);

  auto* v = new QVBoxLayout(Panel3);
  v->setContentsMargins(4, 2, 4, 0);
  v->setSpacing(0);
  auto* h = row({lbl1, Port, btn1, btn2, btnLine1000});
  h->setSpacing(6);
  v->addLayout(h);
  v->addWidget(Status);
  return Panel3;
}

QWidget* TMainForm::buildHistoryBar() {
  pnl1 = new QWidget;
  pnl1->setObjectName(QStringLiteral("pnl1"));
  pnl1->setFixedHeight(41);
  btnUndo = pictureButton(actUndo, 41, 33);
  btnRedo = pictureButton(actRedo, 41, 33);
  btnApply = pictureButton(actApply, 41, 33);
  btnDestroy = pictureButton(actDestroy, 41, 33);
  auto* h = new QHBoxLayout(pnl1);
  h->setContentsMargins(2, 4, 2, 4);
  h->setSpacing(2);
  for (QWidget* w : {static_cast<QWidget*>(btnUndo), static_cast<QWidget*>(btnRedo),
                     static_cast<QWidget*>(btnApply), static_cast<QWidget*>(btnDestroy)})
    h->addWidget(w);
  h->addStretch(1);
  return pnl1;
}

QWidget* TMainForm::buildSheet1() {
  auto* sheet = new QWidget;
  auto* grid = new QGridLayout;
  lbl2 = label(QStringLiteral("Яркость"));
  lbl3 = label(QStringLiteral("Контраст"));
  MaxLabel = label(QStringLiteral("255"));
  MinLabel = label(QStringLiteral("-255"));
  LumValue = verticalBar(-100, 100, 0);
  LumDisp = label(QStringLiteral("0"));
  lbl4 = label(QStringLiteral("100"));
  lbl5 = label(QStringLiteral("-100"));
  ContValue = verticalBar(-100, 100, 0);
  ContDisp = label(QStringLiteral("0"));
  barColumn(grid, 0, lbl2, MaxLabel, LumValue, MinLabel, LumDisp);
  barColumn(grid, 1, lbl3, lbl4, ContValue, lbl5, ContDisp);
  btn3 = new QPushButton(QStringLiteral("Применить"));
  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  v->addLayout(grid, 1);
  v->addWidget(btn3);
  return sheet;
}

QWidget* TMainForm::buildSheet2() {
  auto* sheet = new QWidget;
  auto* grid = new QGridLayout;
  lbl15 = label(QStringLiteral("R"));
  lbl16 = label(QStringLiteral("G"));
  lbl17 = label(QStringLiteral("B"));
  RValue = verticalBar(-100, 100, 0);
  GValue = verticalBar(-100, 100, 0);
  BValue = verticalBar(-100, 100, 0);
  RDisp = label(QStringLiteral("0"));
  GDisp = label(QStringLiteral("0"));
  BDisp = label(QStringLiteral("0"));
  barColumn(grid, 0, lbl15, label(QStringLiteral("100")), RValue, label(QStringLiteral("-100")), RDisp);
  barColumn(grid, 1, lbl16, label(QStringLiteral("100")), GValue, label(QStringLiteral("-100")), GDisp);
  barColumn(grid, 2, lbl17, label(QStringLiteral("100")), BValue, label(QStringLiteral("-100")), BDisp);
  btn4 = new QPushButton(QStringLiteral("Применить"));
  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  v->addLayout(grid, 1);
  v->addWidget(btn4);
  return sheet;
}

QWidget* TMainForm::buildSheet3() {
  auto* sheet = new QWidget;
  GrayScale = new QCheckBox(QStringLiteral("Оттенки серого"));
  Binary1 = new QCheckBox(QStringLiteral("Двоичный FS"));
  Binary2 = new QCheckBox(QStringLiteral("Двоичный Matrix2x2"));
  Binary3 = new QCheckBox(QStringLiteral("Двоичный Matrix3x3"));
  Binary4 = new QCheckBox(QStringLiteral("Двоичный Matrix4x4"));
  Binary5 = new QCheckBox(QStringLiteral("Двоичный FSM4x4"));
  Binarize = new QCheckBox(QStringLiteral("Двоичный"));
  rg1 = new QGroupBox(QStringLiteral("Двоичный"));
  rg1Items = new QButtonGroup(rg1);
  auto* toWhite = new QRadioButton(QStringLiteral("К белому"));
  auto* toBlack = new QRadioButton(QStringLiteral("К черному"));
  rg1Items->addButton(toWhite, 0);
  rg1Items->addButton(toBlack, 1);
  toWhite->setChecked(true);
  auto* rv = new QVBoxLayout(rg1);
  rv->setContentsMargins(6, 2, 6, 2);
  rv->addWidget(toWhite);
  rv->addWidget(toBlack);
  lbl8 = label(QStringLiteral("255"));
  lbl9 = label(QStringLiteral("0"));
  BinaryValue = verticalBar(0, 255, 128);
  BinDisp = label(QStringLiteral("0"));
  btn6 = new QPushButton(QStringLiteral("Применить"));

  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  for (QWidget* w : {static_cast<QWidget*>(GrayScale), static_cast<QWidget*>(Binary1),
                     static_cast<QWidget*>(Binary2), static_cast<QWidget*>(Binary3),
                     static_cast<QWidget*>(Binary4), static_cast<QWidget*>(Binary5),
                     static_cast<QWidget*>(Binarize), static_cast<QWidget*>(rg1)})
    v->addWidget(w);
  v->addWidget(lbl8, 0, Qt::AlignHCenter);
  v->addWidget(BinaryValue, 1, Qt::AlignHCenter);
  v->addWidget(lbl9, 0, Qt::AlignHCenter);
  v->addWidget(BinDisp, 0, Qt::AlignHCenter);
  v->addWidget(btn6);
  return sheet;
}

QWidget* TMainForm::buildSheet4() {
  auto* sheet = new QWidget;
  Blur = new QCheckBox(QStringLiteral("Размытие"));
  Noise_Blur = new QCheckBox(QStringLiteral("Шумное размытие"));
  Gaussian_Blur = new QCheckBox(QStringLiteral("Гаусс размытие"));
  GaussValue = horizontalBar(0, 10, 0, 1);
  Finger_Blur = new QCheckBox(QStringLiteral("Туман"));
  Precise = new QCheckBox(QStringLiteral("Глубина цвета"));
  PrecizeValue = horizontalBar(0, 255, 0, 10);
  Pixellize = new QCheckBox(QStringLiteral("Пикселизация"));
  Sepia = new QCheckBox(QStringLiteral("Сепия"));
  SepiaValue = horizontalBar(0, 255, 0, 10);
  btn5 = new QPushButton(QStringLiteral("Применить"));
  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  for (QWidget* w : {static_cast<QWidget*>(Blur), static_cast<QWidget*>(Noise_Blur),
                     static_cast<QWidget*>(Gaussian_Blur), static_cast<QWidget*>(GaussValue),
                     static_cast<QWidget*>(Finger_Blur), static_cast<QWidget*>(Precise),
                     static_cast<QWidget*>(PrecizeValue), static_cast<QWidget*>(Pixellize),
                     static_cast<QWidget*>(Sepia), static_cast<QWidget*>(SepiaValue)})
    v->addWidget(w);
  v->addStretch(1);
  v->addWidget(btn5);
  return sheet;
}

QWidget* TMainForm::buildSheet5() {
  auto* sheet = new QWidget;
  auto* grid = new QGridLayout;
  BottomValue = verticalBar(0, 255, 255);
  MidValue = verticalBar(0, 255, 127);
  TopValue = verticalBar(0, 255, 0);
  BottomDisp = label(QStringLiteral("0"));
  MidDIsp = label(QStringLiteral("0"));
  TopDisp = label(QStringLiteral("0"));
  barColumn(grid, 0, label(QStringLiteral("Нижний")), label(QStringLiteral("255")), BottomValue,
            label(QStringLiteral("0")), BottomDisp);
  barColumn(grid, 1, label(QStringLiteral("Средний")), label(QStringLiteral("255")), MidValue,
            label(QStringLiteral("0")), MidDIsp);
  barColumn(grid, 2, label(QStringLiteral("Верхний")), label(QStringLiteral("255")), TopValue,
            label(QStringLiteral("0")), TopDisp);
  btn7 = new QPushButton(QStringLiteral("Применить"));
  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  v->addLayout(grid, 1);
  v->addWidget(btn7);
  return sheet;
}

QWidget* TMainForm::buildSheet6() {
  auto* sheet = new QWidget;
  auto* grid = new QGridLayout;
  lbl29 = label(QStringLiteral("Min"));
  lbl32 = label(QStringLiteral("Max"));
  lbl28 = label(QStringLiteral("Dither"));
  MinLev = verticalBar(0, 255, 255);
  MaxLev = verticalBar(0, 255, 0);
  DitheringValue = verticalBar(0, 255, 0);
  MinDisp = label(QStringLiteral("0"));
  MaxDisp = label(QStringLiteral("0"));
  DitDisp = label(QStringLiteral("0"));
  barColumn(grid, 0, lbl29, label(QStringLiteral("255")), MinLev, label(QStringLiteral("0")), MinDisp);
  barColumn(grid, 1, lbl32, label(QStringLiteral("255")), MaxLev, label(QStringLiteral("0")), MaxDisp);
  barColumn(grid, 2, lbl28, label(QStringLiteral("255")), DitheringValue, label(QStringLiteral("0")), DitDisp);
  btn8 = new QPushButton(QStringLiteral("Применить"));
  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  v->addLayout(grid, 1);
  v->addWidget(btn8);
  return sheet;
}

QWidget* TMainForm::buildSheet7() {
  auto* sheet = new QWidget;
  lbl35 = label(QStringLiteral("Проходов:"), Qt::AlignLeft);
  PassDisp = label(QStringLiteral("1"), Qt::AlignRight);
  PassVal = horizontalBar(1, 255, 1, 10);
  lbl36 = label(QStringLiteral("Размер пикселя:"), Qt::AlignLeft);
  PixelDisp = label(QStringLiteral("1"), Qt::AlignRight);
  PixelVal = horizontalBar(1, 100, 1, 10);
  mmo1 = new QListView;
  mmo1->setObjectName(QStringLiteral("mmo1"));
  mmo1Lines = new JobListModel(mmo1);
  mmo1->setModel(mmo1Lines);
  // Every line has the same height: the view then lays out a million lines
  // without measuring them.
  mmo1->setUniformItemSizes(true);
  mmo1->setLayoutMode(QListView::Batched);
  mmo1->setBatchSize(1000);
  mmo1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  mmo1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  mmo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mmo1->setTextElideMode(Qt::ElideNone);
  LineDisp = label(QStringLiteral("0"), Qt::AlignLeft);
  PassCDisp = label(QStringLiteral("0"), Qt::AlignLeft);
  // The compile rewrites these captions many times a second; at a fixed
  // width they repaint without laying out the sheet again.
  LineDisp->setFixedSize(80, LineDisp->sizeHint().height());
  PassCDisp->setFixedSize(70, PassCDisp->sizeHint().height());
  btnMake = pictureButton(actMake, 104, 33);
  btnPltSave = pictureButton(actPltSave, 43, 33);
  sleeps = label(QString(), Qt::AlignLeft);
  Writed = label(QStringLiteral("0"), Qt::AlignLeft);
  btnPrint = pictureButton(actPrint, 33, 33);
  btnStart = pictureButton(actStart, 33, 33);
  btnPause = pictureButton(actPause, 33, 33);
  btnStop = pictureButton(actStop, 33, 33);

  auto* v = new QVBoxLayout(sheet);
  v->setContentsMargins(3, 3, 3, 3);
  v->setSpacing(2);
  v->addLayout(row({lbl35, nullptr, PassDisp}, false));
  v->addWidget(PassVal);
  v->addLayout(row({lbl36, nullptr, PixelDisp}, false));
  v->addWidget(PixelVal);
  v->addWidget(mmo1, 1);
  v->addLayout(row({LineDisp, PassCDisp}));
  v->addLayout(row({btnMake, btnPltSave}));
  v->itemAt(v->count() - 1)->layout()->setSpacing(2);
  v->addLayout(row({sleeps, Writed}));
  v->addLayout(row({btnPrint, btnStart, btnPause, btnStop}));
  return sheet;
}

void TMainForm::buildSheets() {
  pgc1 = new PageControl;
  pgc1->setObjectName(QStringLiteral("pgc1"));
  pgc1->setTabPosition(QTabWidget::East);
  pgc1->setUsesScrollButtons(true);
  const std::pair<QWidget* (TMainForm::*)(), const char*> sheets[] = {
      {&TMainForm::buildSheet1, "Яркость/контраст"}, {&TMainForm::buildSheet2, "RGB"},
      {&TMainForm::buildSheet3, "Оттенки серого/Двоичный"}, {&TMainForm::buildSheet4, "Эффекты"},
      {&TMainForm::buildSheet5, "Уровни"}, {&TMainForm::buildSheet6, "Dithering"},
      {&TMainForm::buildSheet7, "Печать"}};
  QWidget** names[] = {&ts1, &ts2, &ts3, &ts4, &ts5, &ts6, &ts7};
  int i = 0;
  for (const auto& [build, caption] : sheets) {
    QWidget* sheet = (this->*build)();
    // The right-hand panel is 184 wide at the design size; the sheets must
    // not ask for more than what is left beside the tabs.
    sheet->setMinimumWidth(140);
    sheet->setObjectName(QStringLiteral("ts%1").arg(i + 1));
    *names[i] = sheet;
    pgc1->addTab(sheet, QString::fromUtf8(caption));
    ++i;
  }
  // The levels sheet is kept but can never be reached.
  pgc1->setTabVisible(4, false);
  ts5->setEnabled(false);
  pgc1->setCurrentIndex(0);
}

void TMainForm::buildWindow() {
  ImgPanel = new QFrame;
  ImgPanel->setObjectName(QStringLiteral("ImgPanel"));
  ImgPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  ImgPanel->setLineWidth(1);
  ImgPanel->setFocusPolicy(Qt::StrongFocus);
  ImgPanel->setAutoFillBackground(true);
  QPalette black = ImgPanel->palette();
  black.setColor(QPalette::Window, Qt::black);
  ImgPanel->setPalette(black);
  ImgPanel->setMinimumSize(40, 40);
  Img = new TImageAndMore(ImgPanel);
  Img->setObjectName(QStringLiteral("Img"));
  ImgPanel->installEventFilter(this);
  Img->installEventFilter(this);

  buildSheets();
  Panel2 = new QWidget;
  Panel2->setObjectName(QStringLiteral("Panel2"));
  auto* right = new QVBoxLayout(Panel2);
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(0);
  right->addWidget(pgc1, 1);
  right->addWidget(buildHistoryBar());

  spl1 = new QSplitter(Qt::Horizontal);
  spl1->setObjectName(QStringLiteral("spl1"));
  spl1->setHandleWidth(3);
  spl1->setChildrenCollapsible(false);
  spl1->addWidget(ImgPanel);
  spl1->addWidget(Panel2);
  spl1->setStretchFactor(0, 1);
  spl1->setStretchFactor(1, 0);
  spl1->setSizes({613, 184});

  auto* central = new QWidget;
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  v->addWidget(spl1, 1);
  v->addWidget(buildPortBar());
  setCentralWidget(central);

  // 613 + 3 + 184 wide; 542 for the picture and 54 for the port bar.
  resize(800, 596 + menuBar()->sizeHint().height());
}

void TMainForm::wireHandlers() {
  wire(actUndo, &QAction::triggered, &TMainForm::actUndoExecute);
  wire(actLoadFile, &QAction::triggered, &TMainForm::actLoadFileExecute);
  wire(actRedo, &QAction::triggered, &TMainForm::actRedoExecute);
  wire(actApply, &QAction::triggered, &TMainForm::actApplyExecute);
  wire(actDestroy, &QAction::triggered, &TMainForm::actDestroyExecute);
  wire(actSaveFile, &QAction::triggered, &TMainForm::actSaveFileExecute);
  wire(actExit, &QAction::triggered, &TMainForm::actExitExecute);
  wire(actStart, &QAction::triggered, &TMainForm::actStartExecute);
  wire(actStop, &QAction::triggered, &TMainForm::actStopExecute);
  wire(actPrint, &QAction::triggered, &TMainForm::actPrintExecute);
  wire(actMake, &QAction::triggered, &TMainForm::actMakeExecute);
  wire(actPause, &QAction::triggered, &TMainForm::actPauseExecute);
  wire(actPltSave, &QAction::triggered, &TMainForm::actPltSaveExecute);

  wire(btn1, &QPushButton::clicked, &TMainForm::Button1Click);
  wire(btn2, &QPushButton::clicked, &TMainForm::btn2Click);
  wire(btnLine1000, &QPushButton::clicked, &TMainForm::btnLine1000Click);

  for (QSlider* s : {LumValue, ContValue}) wire(s, &QSlider::valueChanged, &TMainForm::LumContValueChange);
  for (QSlider* s : {RValue, GValue, BValue, MidValue, TopValue})
    wire(s, &QSlider::valueChanged, &TMainForm::RGBValueChange);
  for (QCheckBox* c : {GrayScale, Binary1, Binary2, Binary3, Binary4, Binary5, Binarize})
    wire(c, &QCheckBox::toggled, &TMainForm::BinaryValueChange);
  connect(rg1Items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) guarded([this] { BinaryValueChange(); });
  });
  wire(BinaryValue, &QSlider::valueChanged, &TMainForm::BinaryValueChange);
  for (QCheckBox* c : {Blur, Noise_Blur, Gaussian_Blur, Finger_Blur, Precise, Pixellize, Sepia})
    wire(c, &QCheckBox::toggled, &TMainForm::EffectChange);
  for (QSlider* s : {GaussValue, PrecizeValue, SepiaValue}) wire(s, &QSlider::valueChanged, &TMainForm::EffectChange);
  for (QSlider* s : {DitheringValue, MinLev, MaxLev}) wire(s, &QSlider::valueChanged, &TMainForm::DitheringValueChange);
  wire(btn3, &QPushButton::clicked, &TMainForm::btn3Click);
  wire(btn4, &QPushButton::clicked, &TMainForm::btn4Click);
  wire(btn5, &QPushButton::clicked, &TMainForm::btn5Click);
  wire(btn6, &QPushButton::clicked, &TMainForm::btn6Click);
  wire(btn7, &QPushButton::clicked, &TMainForm::btn7Click);
  wire(btn8, &QPushButton::clicked, &TMainForm::btn7Click);

  wire(PixelVal, &QSlider::valueChanged, &TMainForm::PixelValChange);
  wire(PassVal, &QSlider::valueChanged, &TMainForm::PassValChange);

  // The sheet being left drops its preview first; then the sheet that
  // becomes active shows its own.
  connect(pgc1, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == currentSheet_) return;
    guarded([this] { pgc1Changing(); });
    currentSheet_ = index;
    sheetShown(index);
  });
  wire(spl1, &QSplitter::splitterMoved, &TMainForm::FormResize);
  wire(Img, &TImageAndMore::doubleClicked, &TMainForm::ImgDblClick);
  connect(Img, &TImageAndMore::mousePressed, this, [this](QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    guarded([&] { ImgMouseDown(e->button(), false, p.x(), p.y()); });
  });
}

void TMainForm::sheetShown(int index) {
  void (TMainForm::*handlers[])() = {&TMainForm::LumContValueChange, &TMainForm::RGBValueChange,
                                     &TMainForm::BinaryValueChange,  &TMainForm::EffectChange,
                                     nullptr,                        &TMainForm::DitheringValueChange,
                                     nullptr};
  if (index < 0 || index >= static_cast<int>(std::size(handlers)) || !handlers[index]) return;
  auto handler = handlers[index];
  guarded([this, handler] { (this->*handler)(); });
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate() {
  for (int i = 1; i <= 20; ++i) Port->addItem(QStringLiteral("COM%1").arg(i));
  Port->setEditText(QStringLiteral("COM1"));
  // Qt paints every widget double-buffered already; nothing to switch on.
  CommittedImage = Picture();
  btnStop->setEnabled(false);
  btnStart->setEnabled(false);
  btnPause->setEnabled(false);
  btnPrint->setEnabled(false);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  if (QScreen* screen = this->screen()) {
    const QRect avail = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(avail.center());
    move(frame.topLeft());
  }
  guarded([this] { FormResize(); });
  sheetShown(pgc1->currentIndex());
}

void TMainForm::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // The picture panel changes size when the window is resized and when the
  // splitter moves; both fit the picture again.
  if (watched == ImgPanel && event->type() == QEvent::Resize) guarded([this] { FormResize(); });
  if (watched == ImgPanel && event->type() == QEvent::MouseButtonDblClick) guarded([this] { ImgDblClick(); });
  // The wheel over the picture zooms. Caught here because a wheel event that
  // a program synthesises does not travel up to the window by itself.
  if ((watched == ImgPanel || watched == Img) && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    bool handled = false;
    guarded([&] { handled = FormMouseWheel(wheel->angleDelta().y(), wheel->globalPosition().toPoint()); });
    if (handled) {
      wheel->accept();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::actExitExecute() {
  printRun->shutdown();
  QCoreApplication::quit();
}

// ---------------------------------------------------------------- view

void TMainForm::FormResize() {
  const QRect inside = ImgPanel->contentsRect();
  Img->setGeometry(inside);
  ViewRect = {inside.left(), inside.top(), inside.left() + inside.width(), inside.top() + inside.height()};
}

void TMainForm::ImgDblClick() {
  Img->setGeometry(ViewRect.left, ViewRect.top, ViewRect.right - ViewRect.left, ViewRect.bottom - ViewRect.top);
}

bool TMainForm::FormMouseWheel(int WheelDelta, QPoint MousePos) {
  const QPoint inPanel = ImgPanel->mapFromGlobal(MousePos);
  if (!ImgPanel->contentsRect().contains(inPanel)) return false;
  const QPoint p = Img->mapFromGlobal(MousePos);
  const QRect g = Img->geometry();
  const QSize client = centralWidget()->size();
  const auto next = ZoomStep({g.left(), g.top(), g.width(), g.height()}, p.x(), p.y(), WheelDelta, client.width(),
                             client.height());
  if (!next) return false;
  Img->setGeometry(next->left, next->top, next->width, next->height);
  return true;
}

void TMainForm::ImgMouseDown(Qt::MouseButton, bool SecondPressOfDoubleClick, int X, int Y) {
  if (SecondPressOfDoubleClick) return;
  Dragging = true;
  DragOffset = QPoint(X, Y);
  Img->setEnabled(false);
  // Every move and the release go to the window until the button is let go.
  grabMouse();
}

void TMainForm::FormMouseMove(int X, int Y) {
  if (!Dragging) return;
  if (ImgPanel->contentsRect().contains(X, Y)) {
    const QRect g = Img->geometry();
    const ViewBounds next = DragTo({g.left(), g.top(), g.width(), g.height()}, X, Y, DragOffset.x(), DragOffset.y());
    Img->move(next.left, next.top);
  }
  Img->repaint();
}

void TMainForm::FormMouseUp() {
  Img->setEnabled(true);
  Dragging = false;
  releaseMouse();
}

void TMainForm::wheelEvent(QWheelEvent* event) {
  bool handled = false;
  guarded([&] { handled = FormMouseWheel(event->angleDelta().y(), event->globalPosition().toPoint()); });
  event->setAccepted(handled);
}

void TMainForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = ImgPanel->mapFrom(this, event->position().toPoint());
  guarded([&] { FormMouseMove(p.x(), p.y()); });
}

void TMainForm::mouseReleaseEvent(QMouseEvent* event) {
  if (Dragging) guarded([this] { FormMouseUp(); });
  QMainWindow::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- job output

// The walk of Compile and of the export. It turns the event loop; a second
// walk started from there, or a print, would replace the job while it is
// being built, so both are refused meanwhile (and while a print sends it).
template <class Writer>
bool TMainForm::walkView() {
  if (jobBusy()) return false;
  compiling_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{compiling_};

  flushPreview();
  const int pixelSize = PixelVal->value();
  const int passes = PassVal->value();
  JobLines.reset();
  // Held for the whole walk: a preview started meanwhile gets a picture of
  // its own.
  const std::shared_ptr<const Picture> picture = Img->sharedPicture();
  CompileProgress progress(PassCDisp, LineDisp);
  JobLines = std::make_shared<const JobText>(CompileJob<Writer>(*picture, pixelSize, passes, progress));
  progress.showLabels();
  return true;
}

template bool TMainForm::walkView<DmplLineWriter>();
template bool TMainForm::walkView<HpglLineWriter>();

void TMainForm::actMakeExecute() {
  if (!walkView<DmplLineWriter>()) return;
  mmo1Lines->setJob(JobLines);
  btnPrint->setEnabled(true);
}

void TMainForm::PixelValChange() { PixelDisp->setText(QString::number(PixelVal->value())); }
void TMainForm::PassValChange() { PassDisp->setText(QString::number(PassVal->value())); }


}  // namespace velmar
