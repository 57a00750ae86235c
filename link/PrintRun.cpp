#include "link/PrintRun.h"

#include <QMetaObject>
#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "job/Commands.h"
#include "link/DirectCommands.h"

namespace velmar {

namespace {
// The driver is given this long to put the last bytes on the line before the
// port is closed (at 9600 baud its queue empties in a few seconds).
constexpr qint64 kDrainLimitMs = 30000;
constexpr int kDrainPollMs = 5;
}  // namespace

// ---------------------------------------------------------------- PrintTimer

PrintTimer::PrintTimer(std::function<void()> onTick) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, std::move(onTick));
}

void PrintTimer::setInterval(quint32 milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  restart();
}

void PrintTimer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  restart();
}

void PrintTimer::setSecondScale(int realMillisecondsPerSecond) {
  realMsPerSecond_ = std::max(1, realMillisecondsPerSecond);
  restart();
}

void PrintTimer::restart() {
  if (!enabled_ || interval_ == 0) {
    timer_.stop();
    return;
  }
  const qint64 real = static_cast<qint64>(interval_) * realMsPerSecond_ / 1000;
  timer_.start(static_cast<int>(std::clamp<qint64>(real, 1, INT_MAX)));
}

// ------------------------------------------------------------------ PrintRun

PrintRun::PrintRun(PrintView& view, QObject* parent)
    : QObject(parent),
      view_(view),
      working_(QString::fromUtf8(PrintText::Working)),
      waiting_(QString::fromUtf8(PrintText::Waiting)),
      handshakeArrived_(QString::fromUtf8(PrintText::HandshakeArrived)),
      tmr1_([this] { tmr1Timer(); }) {
  QSerialPort& port = link_.port();
  connect(&port, &QSerialPort::bytesWritten, this, &PrintRun::onBytesWritten);
  connect(&port, &QSerialPort::readyRead, this, &PrintRun::onReadyRead);
  connect(&port, &QSerialPort::errorOccurred, this, &PrintRun::onPortError);
  fixedWait_.setSingleShot(true);
  fixedWait_.setTimerType(Qt::PreciseTimer);
  connect(&fixedWait_, &QTimer::timeout, this, [this] {
    fixedWaitActive_ = false;
    waitMayBeOver();
  });
  drainPoll_.setInterval(kDrainPollMs);
  connect(&drainPoll_, &QTimer::timeout, this, &PrintRun::drainThenClose);
}

PrintRun::~PrintRun() { shutdown(); }

template <class Step>
void PrintRun::post(Step step) {
  QMetaObject::invokeMethod(
      this,
      [this, generation = generation_, step = std::move(step)]() mutable {
        if (generation == generation_) step();
      },
      Qt::QueuedConnection);
}

int PrintRun::realMilliseconds(qint64 runMilliseconds) const {
  return static_cast<int>(std::clamp<qint64>(runMilliseconds * realMsPerSecond_ / 1000, 1, INT_MAX));
}

void PrintRun::setSecondScale(int realMillisecondsPerSecond) {
  realMsPerSecond_ = std::max(1, realMillisecondsPerSecond);
  tmr1_.setSecondScale(realMsPerSecond_);
}

void PrintRun::setButtons(bool print, bool start, bool pause, bool stop) {
  view_.setButtonEnabled(PrintButton::Print, print);
  view_.setButtonEnabled(PrintButton::Start, start);
  view_.setButtonEnabled(PrintButton::Pause, pause);
  view_.setButtonEnabled(PrintButton::Stop, stop);
}

RunProgress PrintRun::progress() const {
  RunProgress p;
  switch (stage_) {
    case Stage::Idle: p.stage = RunStage::Idle; break;
    case Stage::Writing:
    case Stage::AfterHandshake:
    case Stage::BetweenLines: p.stage = RunStage::Sending; break;
    case Stage::Handshake: p.stage = RunStage::Handshake; break;
    case Stage::Waiting: p.stage = RunStage::Waiting; break;
    case Stage::StopStrings:
    case Stage::Draining: p.stage = RunStage::Finishing; break;
  }
  p.bytesSent = total_;
  p.linesSent = next_;
  p.lineCount = lineCount_;
  p.handshakes = handshakes_;
  return p;
}

// -------------------------------------------------------------- the handlers

void PrintRun::print(const QString& portName, std::shared_ptr<const JobText> job) {
  if (!job || job->empty()) return;
  // A second Print must not disturb the run that holds the port (it could
  // take Start away in the middle of a counting wait).
  refuseWhileRunning();
  setButtons(false, false, true, true);
  link_.setPortName(portName);
  link_.open();

  ++generation_;
  job_ = std::move(job);
  lineCount_ = job_->lineCount();
  next_ = 0;
  block_ = 0;
  total_ = 0;
  handshakes_ = 0;
  chunkLimit_ = kWriteChunk;
  reply_.clear();
  flowLimit_ = kStartFlowLimit;
  stopFlag_ = false;
  fixedWaitActive_ = false;
  waitCheckPosted_ = false;
  failurePosted_ = false;
  sendLines();
}

void PrintRun::start() {
  if (deferring()) {
    deferred_.push_back(Deferred::Start);
    return;
  }
  doStart();
}

void PrintRun::doStart() {
  tmr1_.setInterval(static_cast<quint32>(std::clamp<qint64>(qint64{pauseSeconds_} * 1000, 0, UINT_MAX)));
  tmr1_.setEnabled(false);
  if (fixedWaitActive_) {
    fixedWaitActive_ = false;
    fixedWait_.stop();
  }
  view_.setButtonEnabled(PrintButton::Start, false);
  view_.setButtonEnabled(PrintButton::Pause, true);
  waitMayBeOver();
}

void PrintRun::pause() {
  if (deferring()) {
    deferred_.push_back(Deferred::Pause);
    return;
  }
  doPause();
}

void PrintRun::doPause() {
  tmr1_.setInterval(1000);
  tmr1_.setEnabled(true);
  bool ok = false;
  const qint64 shown = view_.writedText().trimmed().toLongLong(&ok);
  if (ok) flowLimit_ = shown + 100;
}

void PrintRun::stop() {
  if (stage_ == Stage::Writing) {
    deferred_.push_back(Deferred::Stop);
    return;
  }
  stopFlag_ = true;
  if (stage_ != Stage::Handshake) return;
  // The machine has not asked for more, so nothing more goes out; the run
  // ends as a stopped one.
  endStopped();
}

void PrintRun::tmr1Timer() {
  if (deferring()) {
    // A timer that could not be served in time ticks once, not once per
    // missed period.
    if (deferred_.empty() || deferred_.back() != Deferred::Tick) deferred_.push_back(Deferred::Tick);
    return;
  }
  doTick();
}

void PrintRun::doTick() {
  if (tmr1_.interval() == 1000) {
    ++pauseSeconds_;
    view_.setWrited(QString::number(pauseSeconds_));
  } else {
    tmr1_.setEnabled(false);
    waitMayBeOver();
  }
}

void PrintRun::handleDeferred() {
  while (!deferred_.empty() && !deferring()) {
    const Deferred click = deferred_.front();
    deferred_.erase(deferred_.begin());
    switch (click) {
      case Deferred::Start: doStart(); break;
      case Deferred::Pause: doPause(); break;
      case Deferred::Stop: stop(); break;
      case Deferred::Tick: doTick(); break;
    }
  }
}

void PrintRun::refuseWhileRunning() const {
  if (isRunning()) throw EComPort(ComPortText::PropertyWhileOpen);
}

void PrintRun::sendTest(const QString& portName) {
  refuseWhileRunning();
  SendDirectCommand(link_, portName, TestCommand());
}

void PrintRun::sendCalibration(const QString& portName) {
  refuseWhileRunning();
  const std::string command = CalibrationCommand(stopFlag_);
  stopFlag_ = !stopFlag_;
  SendDirectCommand(link_, portName, command);
}

void PrintRun::sendLine1000(const QString& portName) {
  refuseWhileRunning();
  SendDirectCommand(link_, portName, Line1000Command());
}

void PrintRun::shutdown() {
  deferred_.clear();
  if (stage_ == Stage::Idle) return;
  link_.abandon();
  endRun();
}

// ------------------------------------------------------------------ the run

void PrintRun::sendLines() {
  if (next_ >= lineCount_) {
    finish(RunOutcome::Ended);
    return;
  }
  // A wait or a stop acts after the very next line, so that line goes alone.
  // Otherwise whole lines are batched: nothing can act on the run between
  // them, because no click or tick is handled until the batch is written.
  const bool oneLine = waitActive() || stopFlag_;
  stage_ = Stage::Writing;
  handshakeDue_ = false;
  assembling_ = true;
  QSerialPort& port = link_.port();
  bool written = true;
  const char* span = nullptr;
  qint64 spanSize = 0;
  auto flush = [&] {
    if (spanSize > 0 && port.write(span, spanSize) != spanSize) written = false;
    spanSize = 0;
  };
  qint64 batch = 0;
  do {
    const std::string_view line = job_->line(next_++);
    const qint64 length = static_cast<qint64>(line.size());
    block_ += length;
    total_ += length;
    batch += length;
    if (length > 0) {
      // Neighbouring lines usually lie side by side in the job's storage.
      if (spanSize > 0 && line.data() != span + spanSize) flush();
      if (spanSize == 0) span = line.data();
      spanSize += length;
    }
    if (block_ > flowLimit_) {
      handshakeDue_ = true;
      break;
    }
  } while (!oneLine && next_ < lineCount_ && batch < chunkLimit_);
  flush();
  assembling_ = false;
  if (!written) {
    fail(QString::fromUtf8(ComPortText::WriteFailed));
    return;
  }
  if (port.bytesToWrite() == 0) linesWritten();
}

void PrintRun::onBytesWritten() {
  if (assembling_ || link_.port().bytesToWrite() > 0) return;
  if (stage_ == Stage::Writing) {
    linesWritten();
  } else if (stage_ == Stage::StopStrings) {
    stopStringsWritten();
  }
}

void PrintRun::linesWritten() {
  chunkLimit_ = link_.pendingOutput() == 0 ? std::min(chunkLimit_ * 2, kMaxWriteChunk) : kWriteChunk;
  if (!handshakeDue_) {
    afterLine();
    return;
  }
  stage_ = Stage::Handshake;
  // A Stop clicked while the block was being written: the machine may never
  // ask for more, so the handshake is given up at once, as a Stop during the
  // wait for it would.
  const auto pendingStop = std::find(deferred_.begin(), deferred_.end(), Deferred::Stop);
  if (pendingStop != deferred_.end() && link_.port().bytesAvailable() == 0) {
    deferred_.erase(pendingStop);
    stop();
    return;
  }
  takeHandshake();
}

void PrintRun::onReadyRead() {
  if (stage_ == Stage::Handshake) takeHandshake();
}

// A byte that came early is already queued and answers at once; otherwise
// readyRead brings us back. The byte's value does not matter.
void PrintRun::takeHandshake() {
  QSerialPort& port = link_.port();
  if (port.bytesAvailable() == 0) return;
  reply_ = port.read(1);
  if (reply_.isEmpty()) {
    fail(QString::fromUtf8(ComPortText::ReadFailed));
    return;
  }
  ++handshakes_;
  view_.setSleeps(handshakeArrived_);
  beginWaitAfterHandshake();
  stage_ = Stage::AfterHandshake;
  post([this] {
    handleDeferred();
    block_ = 0;
    afterLine();
  });
}

void PrintRun::beginWaitAfterHandshake() {
  if (!fixedWaitSeconds_) {
    tmr1_.setEnabled(true);
    return;
  }
  if (*fixedWaitSeconds_ > 0) {
    fixedWaitActive_ = true;
    fixedWait_.start(realMilliseconds(qint64{*fixedWaitSeconds_} * 1000));
  }
}

void PrintRun::afterLine() {
  view_.setSleeps(working_);
  view_.setWrited(QString::number(total_));
  if (waitActive()) {
    enterWait();
    return;
  }
  lineDone();
}

void PrintRun::enterWait() {
  stage_ = Stage::Waiting;
  view_.setSleeps(waiting_);
  view_.setButtonEnabled(PrintButton::Start, true);
  view_.setButtonEnabled(PrintButton::Pause, false);
  handleDeferred();
}

// Start and the timer end a wait; the run looks again at its next turn, when
// a Pause handled meanwhile may have begun a new one.
void PrintRun::waitMayBeOver() {
  if (stage_ != Stage::Waiting || waitActive() || waitCheckPosted_) return;
  waitCheckPosted_ = true;
  post([this] {
    waitCheckPosted_ = false;
    if (stage_ != Stage::Waiting) return;
    if (waitActive()) {
      enterWait();
    } else {
      lineDone();
    }
  });
}

void PrintRun::lineDone() {
  view_.setButtonEnabled(PrintButton::Start, false);
  view_.setButtonEnabled(PrintButton::Pause, true);
  if (stopFlag_) {
    writeStopStrings();
    return;
  }
  stage_ = Stage::BetweenLines;
  post([this] {
    handleDeferred();
    sendLines();
  });
}

void PrintRun::writeStopStrings() {
  stage_ = Stage::StopStrings;
  std::string penUpHome(DmplPenUp);
  penUpHome += "0,0 ";
  std::string close(DmplTrailer);
  close += "  ";
  QSerialPort& port = link_.port();
  assembling_ = true;
  const bool written = port.write(penUpHome.data(), static_cast<qint64>(penUpHome.size())) ==
                           static_cast<qint64>(penUpHome.size()) &&
                       port.write(close.data(), static_cast<qint64>(close.size())) == static_cast<qint64>(close.size());
  assembling_ = false;
  if (!written) {
    fail(QString::fromUtf8(ComPortText::WriteFailed));
    return;
  }
  if (port.bytesToWrite() == 0) stopStringsWritten();
}

void PrintRun::stopStringsWritten() { endStopped(); }

// A stopped run: labels cleared, every button off (Stop first, as the
// operator sees them go), the port let go.
void PrintRun::endStopped() {
  view_.setSleeps(QString());
  view_.setWrited(QStringLiteral("0"));
  view_.setButtonEnabled(PrintButton::Stop, false);
  view_.setButtonEnabled(PrintButton::Start, false);
  view_.setButtonEnabled(PrintButton::Print, false);
  view_.setButtonEnabled(PrintButton::Pause, false);
  finish(RunOutcome::Stopped);
}

void PrintRun::finish(RunOutcome outcome) {
  view_.setButtonEnabled(PrintButton::Stop, false);
  outcome_ = outcome;
  stage_ = Stage::Draining;
  handleDeferred();
  drainClock_.start();
  drainThenClose();
}

// Closing drops what the driver has not sent yet, so the run waits, without
// blocking the window, until the last bytes are on the line.
void PrintRun::drainThenClose() {
  if (stage_ != Stage::Draining) {
    drainPoll_.stop();
    return;
  }
  if (link_.pendingOutput() > 0 && drainClock_.elapsed() < kDrainLimitMs) {
    if (!drainPoll_.isActive()) drainPoll_.start();
    return;
  }
  drainPoll_.stop();
  closeAndReport();
}

void PrintRun::closeAndReport() {
  QString error;
  try {
    link_.close();
  } catch (const EComPort& e) {
    error = e.message();
  }
  const RunOutcome outcome = outcome_;
  endRun();
  view_.runFinished(outcome);
  if (!error.isEmpty()) view_.showError(error);
}

void PrintRun::onPortError(QSerialPort::SerialPortError error) {
  if (stage_ == Stage::Idle || failurePosted_) return;
  if (error != QSerialPort::ResourceError && error != QSerialPort::WriteError &&
      error != QSerialPort::ReadError) {
    return;
  }
  const bool writing = error == QSerialPort::WriteError ||
                       (error == QSerialPort::ResourceError &&
                        (stage_ == Stage::Writing || stage_ == Stage::StopStrings || stage_ == Stage::Draining));
  const QString message = QString::fromUtf8(writing ? ComPortText::WriteFailed : ComPortText::ReadFailed);
  // The port reports from inside its own notifiers; close it from a clean turn.
  failurePosted_ = true;
  post([this, message] { fail(message); });
}

void PrintRun::fail(const QString& message) {
  if (stage_ == Stage::Idle) return;
  link_.abandon();
  endRun();
  handleDeferred();
  view_.runFinished(RunOutcome::Failed);
  view_.showError(message);
}

void PrintRun::endRun() {
  ++generation_;
  stage_ = Stage::Idle;
  job_.reset();
  fixedWait_.stop();
  fixedWaitActive_ = false;
  waitCheckPosted_ = false;
  drainPoll_.stop();
  failurePosted_ = false;
  assembling_ = false;
}

}  // namespace velmar
