#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "job/JobText.h"
#include "link/SerialLink.h"

namespace velmar {

// Status texts of the `sleeps` label.
namespace PrintText {
inline constexpr char Working[] = "Работаем!";
inline constexpr char Waiting[] = "Ждемс!";
inline constexpr char HandshakeArrived[] = "О! Горяченькая пошла!";
}  // namespace PrintText

enum class PrintButton { Print, Start, Pause, Stop };

enum class RunOutcome {
  Ended,    // every line sent
  Stopped,  // Stop acted (stop strings sent, or a handshake never came)
  Failed,   // the port failed; showError() follows
};

// What a print run shows on its window and asks of it. The run calls these
// only from the thread that owns it.
class PrintView {
 public:
  virtual ~PrintView() = default;
  virtual void setButtonEnabled(PrintButton button, bool enabled) = 0;
  virtual void setSleeps(const QString& text) = 0;
  virtual void setWrited(const QString& text) = 0;
  // Pause takes its new block size from the number that `Writed` shows.
  virtual QString writedText() const = 0;
  // The run has let go of the port; the next Print or direct command may use it.
  virtual void runFinished(RunOutcome outcome) = 0;
  // A failure during the run, after the port has been closed and after
  // runFinished(). The message carries no full stop.
  virtual void showError(const QString& message) = 0;
};

// The pause timer `tmr1`, with the rules the run rests on: an enabled timer
// with a non-zero interval ticks every interval; with interval 0 it stays
// enabled and never ticks (a plain QTimer would fire continuously); assigning
// the value it already has changes nothing, any other value starts the period
// afresh. Intervals are in milliseconds of the run's clock, which a test may
// scale down.
class PrintTimer {
 public:
  explicit PrintTimer(std::function<void()> onTick);
  quint32 interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  void setInterval(quint32 milliseconds);
  void setEnabled(bool enabled);
  void setSecondScale(int realMillisecondsPerSecond);

 private:
  void restart();
  QTimer timer_;
  quint32 interval_ = 1000;
  bool enabled_ = false;
  int realMsPerSecond_ = 1000;
};

// Where a run is, for progress displays.
enum class RunStage { Idle, Sending, Handshake, Waiting, Finishing };

struct RunProgress {
  RunStage stage = RunStage::Idle;
  qint64 bytesSent = 0;          // the total count
  std::size_t linesSent = 0;
  std::size_t lineCount = 0;
  qint64 handshakes = 0;
};

// The print run and the direct commands, over one serial port. Driven by the
// event loop: writes and the handshake read are asynchronous, and each place
// where the operator's clicks and the timer act on the run is a return to the
// event loop, so the window never freezes, not even while a handshake byte
// is awaited.
class PrintRun : public QObject {
  Q_OBJECT

 public:
  // The run hands the driver about this many bytes of whole lines at a time
  // (one line when it is longer), so that Stop and Pause act within about
  // two seconds of line time at 9600 baud. While the driver's queue is found
  // empty after each batch (a fast device or a pseudo-terminal) the batches
  // grow up to kMaxWriteChunk, which saves event-loop turns.
  static constexpr qint64 kWriteChunk = 2048;
  static constexpr qint64 kMaxWriteChunk = 65536;
  static constexpr qint64 kStartFlowLimit = 64000;

  explicit PrintRun(PrintView& view, QObject* parent = nullptr);
  ~PrintRun() override;

  // Print. An empty or missing job does nothing. Raises EComPort when the
  // port cannot be named or opened (buttons as Print left them: Print and
  // Start off, Pause and Stop on) or while a run holds the port (nothing
  // changed). Later failures arrive through PrintView::showError.
  void print(const QString& portName, std::shared_ptr<const JobText> job);
  // Start: the seconds counted so far become the interval of later waits,
  // and the current wait ends.
  void start();
  // Pause: a counting wait after the line in progress, and a new block size
  // of the number `Writed` shows plus 100.
  void pause();
  // Stop: acts after the line in progress and after any wait; a handshake
  // that has not come yet is given up at once and nothing more is sent.
  void stop();
  // A tick of `tmr1`. The run's own timer calls it.
  void tmr1Timer();

  // The three direct commands. While a run holds the port they raise the
  // port-busy EComPort and leave StopFlag alone; Calibration otherwise
  // inverts StopFlag whether or not the string gets out.
  void sendTest(const QString& portName);
  void sendCalibration(const QString& portName);
  void sendLine1000(const QString& portName);

  // Closing the window: ends a run at once, closes the port, sends nothing
  // more and calls no view function.
  void shutdown();

  bool isRunning() const { return stage_ != Stage::Idle; }
  RunProgress progress() const;

  qint64 FlowLimit() const { return flowLimit_; }
  bool StopFlag() const { return stopFlag_; }
  qint32 PauseSeconds() const { return pauseSeconds_; }
  const PrintTimer& tmr1() const { return tmr1_; }

  // For tests and benchmarks: how many real milliseconds one second of the
  // run's clock lasts (1000 normally).
  void setSecondScale(int realMillisecondsPerSecond);
  // For the command line: after each handshake wait exactly `seconds` (0: no
  // wait) instead of the operator's timer. std::nullopt restores the timer.
  void setFixedWait(std::optional<int> seconds) { fixedWaitSeconds_ = seconds; }

  SerialLink& link() { return link_; }

 private:
  enum class Stage { Idle, Writing, Handshake, AfterHandshake, Waiting, BetweenLines, StopStrings, Draining };

  template <class Step>
  void post(Step step);
  bool waitActive() const { return tmr1_.enabled() || fixedWaitActive_; }
  int realMilliseconds(qint64 runMilliseconds) const;
  void setButtons(bool print, bool start, bool pause, bool stop);

  void sendLines();
  void linesWritten();
  void takeHandshake();
  void beginWaitAfterHandshake();
  void afterLine();
  void enterWait();
  void waitMayBeOver();
  void lineDone();
  void writeStopStrings();
  void stopStringsWritten();
  void endStopped();
  void finish(RunOutcome outcome);
  void drainThenClose();
  void closeAndReport();
  void fail(const QString& message);
  void endRun();
  void refuseWhileRunning() const;

  // Clicks and ticks that arrive while lines are being written or a
  // handshake is being read act at the next event point, as they would if
  // those operations held the window.
  enum class Deferred { Start, Pause, Stop, Tick };
  bool deferring() const { return stage_ == Stage::Writing || stage_ == Stage::Handshake; }
  void handleDeferred();
  void doStart();
  void doPause();
  void doTick();

  void onBytesWritten();
  void onReadyRead();
  void onPortError(QSerialPort::SerialPortError error);

  PrintView& view_;
  const QString working_;
  const QString waiting_;
  const QString handshakeArrived_;
  SerialLink link_;
  PrintTimer tmr1_;
  QTimer fixedWait_;
  QTimer drainPoll_;
  QElapsedTimer drainClock_;

  // State that outlives a run.
  qint64 flowLimit_ = kStartFlowLimit;
  bool stopFlag_ = false;
  qint32 pauseSeconds_ = 0;
  int realMsPerSecond_ = 1000;
  std::optional<int> fixedWaitSeconds_;

  // The run in progress.
  Stage stage_ = Stage::Idle;
  quint64 generation_ = 0;  // queued steps of an ended run find it changed
  std::shared_ptr<const JobText> job_;
  std::size_t lineCount_ = 0;
  std::size_t next_ = 0;
  qint64 block_ = 0;
  qint64 total_ = 0;
  qint64 handshakes_ = 0;
  qint64 chunkLimit_ = kWriteChunk;
  QByteArray reply_;
  bool handshakeDue_ = false;
  bool fixedWaitActive_ = false;
  bool waitCheckPosted_ = false;
  bool assembling_ = false;
  bool failurePosted_ = false;
  std::vector<Deferred> deferred_;
  RunOutcome outcome_ = RunOutcome::Ended;
};

}  // namespace velmar
