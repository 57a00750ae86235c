// The machine link on the window: the direct commands and the print run.
#include <QCloseEvent>

#include "app/MainForm.h"

namespace velmar {

void TMainForm::setButtonEnabled(PrintButton button, bool enabled) {
  switch (button) {
    case PrintButton::Print:
      btnPrint->setEnabled(enabled);
      break;
    case PrintButton::Start:
      btnStart->setEnabled(enabled);
      break;
    case PrintButton::Pause:
      btnPause->setEnabled(enabled);
      break;
    case PrintButton::Stop:
      btnStop->setEnabled(enabled);
      break;
  }
}

void TMainForm::setSleeps(const QString& text) { sleeps->setText(text); }
void TMainForm::setWrited(const QString& text) { Writed->setText(text); }
QString TMainForm::writedText() const { return Writed->text(); }
void TMainForm::runFinished(RunOutcome) {}

void TMainForm::Button1Click() { printRun->sendTest(Port->currentText()); }
void TMainForm::btn2Click() { printRun->sendCalibration(Port->currentText()); }
void TMainForm::btnLine1000Click() { printRun->sendLine1000(Port->currentText()); }

void TMainForm::actPrintExecute() {
  // The job is sent as the last compile or export left it, and never while
  // a compile is still building it.
  if (compiling_) return;
  printRun->print(Port->currentText(), JobLines);
}

void TMainForm::actStartExecute() { printRun->start(); }
void TMainForm::actPauseExecute() { printRun->pause(); }
void TMainForm::actStopExecute() { printRun->stop(); }

void TMainForm::closeEvent(QCloseEvent* event) {
  // A run never outlives the window: the port is closed on the way out.
  printRun->shutdown();
  QMainWindow::closeEvent(event);
}

}  // namespace velmar
