#pragma once

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <exception>
#include <memory>

#include "app/Icons.h"
#include "app/ImageAndMore.h"
#include "app/JobListModel.h"
#include "app/UiServices.h"
#include "imaging/Picture.h"
#include "job/JobText.h"
#include "link/PrintRun.h"
#include "workspace/History.h"
#include "workspace/PanelRecipes.h"

namespace velmar {

// The one window of the program. Like the forms of old, its controls are
// plain public members named as the operators' manuals name them, and every
// control event has one handler. The handlers stay thin: the work is done by
// the core libraries below.
class TMainForm : public QMainWindow, public PrintView {
  Q_OBJECT

 public:
  // ui: the dialogs and the error box; the window does not own it.
  explicit TMainForm(UiServices* ui = nullptr, QWidget* parent = nullptr);
  ~TMainForm() override;

  static const char* const kApplicationTitle;  // "DM/PL Laser Velmar"
  static const char* const kWindowCaption;     // "DM/PL laser Velmar"
  static const char* const kNoFileName;        // "Файл не загружен"

  // Runs a handler the way every control event does: an error ends the
  // handler and is shown in the error box.
  template <class F>
  void guarded(F&& handler) {
    try {
      handler();
    } catch (const std::exception& e) {
      showError(QString::fromUtf8(e.what()));
    } catch (...) {
      showError(QStringLiteral("Unknown error"));
    }
  }
  // The error box, with the full stop rule.
  void showError(const QString& message) override;

  // How the print run shows itself on the window.
  void setButtonEnabled(PrintButton button, bool enabled) override;
  void setSleeps(const QString& text) override;
  void setWrited(const QString& text) override;
  QString writedText() const override;
  void runFinished(RunOutcome outcome) override;

  void setUiServices(UiServices* ui) { ui_ = ui; }
  QString statusText() const;
  void setStatusText(const QString& text);
  bool compiling() const { return compiling_; }
  // Builds the preview that a change event asked for, if it is not built yet.
  void flushPreview();

  // ---- state ----
  bool Dragging = false;
  QPoint DragOffset;
  struct Rect { int left = 0, top = 0, right = 0, bottom = 0; } ViewRect;
  EditHistory HistoryList;
  int HistoryIndex() const { return HistoryList.index(); }
  // The print run owns the block size, the stop request (also the
  // calibration state), the pause seconds and the pause timer.
  PrintRun* printRun = nullptr;
  std::shared_ptr<const JobText> JobLines;  // none until the first compile or export
  Picture CommittedImage;
  QString CurrentFileName;
  FileDialog OpenDialog;
  FileDialog SaveDialog;

  // ---- regions ----
  IconList icons;
  QMenu* mm1File = nullptr;
  QFrame* Panel3 = nullptr;
  QWidget* Panel2 = nullptr;
  QSplitter* spl1 = nullptr;
  QFrame* ImgPanel = nullptr;
  TImageAndMore* Img = nullptr;
  QWidget* pnl1 = nullptr;
  QTabWidget* pgc1 = nullptr;
  QStatusBar* Status = nullptr;

  // port bar
  QLabel* lbl1 = nullptr;
  QComboBox* Port = nullptr;
  QPushButton* btn1 = nullptr;
  QPushButton* btn2 = nullptr;
  QPushButton* btnLine1000 = nullptr;

  // history bar
  QToolButton* btnUndo = nullptr;
  QToolButton* btnRedo = nullptr;
  QToolButton* btnApply = nullptr;
  QToolButton* btnDestroy = nullptr;

  // sheets
  QWidget *ts1 = nullptr, *ts2 = nullptr, *ts3 = nullptr, *ts4 = nullptr, *ts5 = nullptr, *ts6 = nullptr,
          *ts7 = nullptr;

  // ts1
  QLabel *lbl2 = nullptr, *lbl3 = nullptr, *MaxLabel = nullptr, *MinLabel = nullptr, *lbl4 = nullptr,
         *lbl5 = nullptr, *LumDisp = nullptr, *ContDisp = nullptr;
  QSlider *LumValue = nullptr, *ContValue = nullptr;
  QPushButton* btn3 = nullptr;
  // ts2
  QLabel *lbl15 = nullptr, *lbl16 = nullptr, *lbl17 = nullptr, *RDisp = nullptr, *GDisp = nullptr,
         *BDisp = nullptr;
  QSlider *RValue = nullptr, *GValue = nullptr, *BValue = nullptr;
  QPushButton* btn4 = nullptr;
  // ts3
  QCheckBox *GrayScale = nullptr, *Binary1 = nullptr, *Binary2 = nullptr, *Binary3 = nullptr, *Binary4 = nullptr,
            *Binary5 = nullptr, *Binarize = nullptr;
  QGroupBox* rg1 = nullptr;
  QButtonGroup* rg1Items = nullptr;
  QLabel *lbl8 = nullptr, *lbl9 = nullptr, *BinDisp = nullptr;
  QSlider* BinaryValue = nullptr;
  QPushButton* btn6 = nullptr;
  // ts4
  QCheckBox *Blur = nullptr, *Noise_Blur = nullptr, *Gaussian_Blur = nullptr, *Finger_Blur = nullptr,
            *Precise = nullptr, *Pixellize = nullptr, *Sepia = nullptr;
  QSlider *GaussValue = nullptr, *PrecizeValue = nullptr, *SepiaValue = nullptr;
  QPushButton* btn5 = nullptr;
  // ts5 (never shown)
  QSlider *BottomValue = nullptr, *MidValue = nullptr, *TopValue = nullptr;
  QLabel *BottomDisp = nullptr, *MidDIsp = nullptr, *TopDisp = nullptr;
  QPushButton* btn7 = nullptr;
  // ts6
  QLabel *lbl29 = nullptr, *lbl32 = nullptr, *lbl28 = nullptr, *MinDisp = nullptr, *MaxDisp = nullptr,
         *DitDisp = nullptr;
  QSlider *MinLev = nullptr, *MaxLev = nullptr, *DitheringValue = nullptr;
  QPushButton* btn8 = nullptr;
  // ts7
  QLabel *lbl35 = nullptr, *PassDisp = nullptr, *lbl36 = nullptr, *PixelDisp = nullptr, *LineDisp = nullptr,
         *PassCDisp = nullptr, *sleeps = nullptr, *Writed = nullptr;
  QSlider *PassVal = nullptr, *PixelVal = nullptr;
  QListView* mmo1 = nullptr;
  JobListModel* mmo1Lines = nullptr;
  QToolButton *btnMake = nullptr, *btnPltSave = nullptr, *btnPrint = nullptr, *btnStart = nullptr,
              *btnPause = nullptr, *btnStop = nullptr;

  // actions
  QAction *actUndo = nullptr, *actLoadFile = nullptr, *actRedo = nullptr, *actApply = nullptr,
          *actDestroy = nullptr, *actSaveFile = nullptr, *actExit = nullptr, *actStart = nullptr,
          *actStop = nullptr, *actPrint = nullptr, *actMake = nullptr, *actPause = nullptr,
          *actPltSave = nullptr;

 public slots:
  // start-up and exit
  void FormCreate();
  void actExitExecute();
  // view: fit, zoom, pan
  void FormResize();
  void ImgDblClick();
  void FormMouseUp();

 public:
  // Wheel turned with the pointer at MousePos (screen coordinates); true when
  // the event was handled.
  bool FormMouseWheel(int WheelDelta, QPoint MousePos);
  // A button pressed on Img at (X, Y) in Img coordinates.
  void ImgMouseDown(Qt::MouseButton Button, bool SecondPressOfDoubleClick, int X, int Y);
  // The pointer moved to (X, Y) in the picture panel's coordinates.
  void FormMouseMove(int X, int Y);

 public slots:
  // serial link and direct commands
  void Button1Click();
  void btn2Click();
  void btnLine1000Click();
  // history
  void actUndoExecute();
  void actRedoExecute();
  void actApplyExecute();
  void actDestroyExecute();
  // picture files
  void actLoadFileExecute();
  void actSaveFileExecute();
  // print run
  void actPrintExecute();
  void actStartExecute();
  void actPauseExecute();
  void actStopExecute();
  // job output
  void actMakeExecute();
  void PixelValChange();
  void PassValChange();
  void actPltSaveExecute();
  // adjustment panels
  void LumContValueChange();
  void RGBValueChange();
  void BinaryValueChange();
  void EffectChange();
  void DitheringValueChange();
  void pgc1Changing();
  void btn3Click();
  void btn4Click();
  void btn5Click();
  void btn6Click();
  void btn7Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class PreviewKind { None, BrightnessContrast, RGB, Binary, Effects, Dithering };
  void requestPreview(PreviewKind kind);
  void dropPendingPreview();
  BinarySettings binarySettings() const;
  EffectSettings effectSettings() const;
  void commitStep();
  template <class Writer>
  bool walkView();
  void setUpFileDialogs();
  // Compile and the export are refused while one of them runs (it turns the
  // event loop) and while a print sends the job.
  bool jobBusy() const { return compiling_ || printRun->isRunning(); }

  void buildWindow();
  void buildActions();
  QWidget* buildPortBar();
  QWidget* buildHistoryBar();
  void buildSheets();
  QWidget* buildSheet1();
  QWidget* buildSheet2();
  QWidget* buildSheet3();
  QWidget* buildSheet4();
  QWidget* buildSheet5();
  QWidget* buildSheet6();
  QWidget* buildSheet7();
  void wireHandlers();
  QAction* makeAction(const char* name, const QString& category, const QString& caption, int iconIndex);
  QToolButton* pictureButton(QAction* action, int width, int height);
  void sheetShown(int index);

  // Connects a signal to a handler through the error guard.
  template <class Sender, class Signal>
  void wire(Sender* sender, Signal signal, void (TMainForm::*handler)()) {
    connect(sender, signal, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
  }

  UiServices* ui_ = nullptr;
  std::unique_ptr<QtUiServices> ownUi_;
  QLabel* statusLabel_ = nullptr;
  bool firstShow_ = true;
  bool compiling_ = false;
  int currentSheet_ = 0;
  PreviewKind pendingPreview_ = PreviewKind::None;
  bool previewPosted_ = false;
};

}  // namespace velmar
