#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

namespace velmar {

// The progress hook of a compile or an export run from the window. The walk
// calls column() millions of times, so it only counts down; about every
// 10 ms the labels are brought up to date and the event loop gets a turn,
// which keeps the window responsive without making the walk pay for a full
// event-loop turn per column.
class CompileProgress {
 public:
  CompileProgress(QLabel* passLabel, QLabel* lineLabel) : passLabel_(passLabel), lineLabel_(lineLabel) {
    clock_.start();
  }

  void column() {
    if (--countdown_ != 0) return;
    countdown_ = kColumnsPerClockCheck;
    if (clock_.elapsed() >= kTurnMilliseconds) turn();
  }
  void pass(int passesDone) {
    passesDone_ = passesDone;
    passSeen_ = true;
  }
  void row(int rowsDone) {
    rowsDone_ = rowsDone;
    rowSeen_ = true;
  }

  // Brings the labels to the last values reported ("Pass:" p, "Line:" y).
  void showLabels() {
    if (passSeen_) passLabel_->setText(QStringLiteral("Pass:%1").arg(passesDone_));
    if (rowSeen_) lineLabel_->setText(QStringLiteral("Line:%1").arg(rowsDone_));
  }

 private:
  static constexpr unsigned kColumnsPerClockCheck = 4096;
  static constexpr qint64 kTurnMilliseconds = 10;

  void turn() {
    showLabels();
    QCoreApplication::processEvents();
    clock_.restart();
  }

  QLabel* passLabel_;
  QLabel* lineLabel_;
  QElapsedTimer clock_;
  unsigned countdown_ = kColumnsPerClockCheck;
  int passesDone_ = 0, rowsDone_ = 0;
  bool passSeen_ = false, rowSeen_ = false;
};

}  // namespace velmar
