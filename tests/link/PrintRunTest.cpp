// The print run against a pseudo-terminal that plays the machine. One second
// of the run's clock lasts 10 ms here, so waits of several seconds pass in a
// few tens of milliseconds.

#include <QSerialPort>
#include <QTest>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "PtyMachine.h"
#include "job/JobText.h"
#include "link/DirectCommands.h"
#include "link/PrintRun.h"

using namespace velmar;
using velmar::test::PtyMachine;

namespace {

constexpr int kMsPerSecond = 10;
constexpr int kTimeout = 5000;
const QByteArray kStopStrings("U0,0 UF @    ");

// The window as the run sees it; remembers what was shown and lets a test
// click at the moment a label changes, as an operator would.
struct RecordingView : PrintView {
  std::map<PrintButton, bool> buttons{{PrintButton::Print, false},
                                      {PrintButton::Start, false},
                                      {PrintButton::Pause, false},
                                      {PrintButton::Stop, false}};
  QString sleeps;
  QString writed = QStringLiteral("0");
  QStringList sleepsSeen;
  QStringList writedSeen;
  QStringList errors;
  QList<RunOutcome> outcomes;
  bool portOpenWhenErrorShown = false;
  int calls = 0;
  PrintRun* run = nullptr;
  std::function<void(const QString&)> onWrited;
  std::function<void(const QString&)> onSleeps;

  void setButtonEnabled(PrintButton button, bool enabled) override {
    ++calls;
    buttons[button] = enabled;
  }
  void setSleeps(const QString& text) override {
    ++calls;
    sleeps = text;
    if (sleepsSeen.isEmpty() || sleepsSeen.last() != text) sleepsSeen << text;
    if (onSleeps) onSleeps(text);
  }
  void setWrited(const QString& text) override {
    ++calls;
    writed = text;
    if (writedSeen.isEmpty() || writedSeen.last() != text) writedSeen << text;
    if (onWrited) onWrited(text);
  }
  QString writedText() const override { return writed; }
  void runFinished(RunOutcome outcome) override {
    ++calls;
    outcomes << outcome;
  }
  void showError(const QString& message) override {
    ++calls;
    errors << message;
    portOpenWhenErrorShown = run && run->link().isOpen();
  }

  // Print, Start, Pause, Stop: upper case when enabled.
  QString buttonState() const {
    QString s;
    s += buttons.at(PrintButton::Print) ? 'P' : 'p';
    s += buttons.at(PrintButton::Start) ? 'S' : 's';
    s += buttons.at(PrintButton::Pause) ? 'A' : 'a';
    s += buttons.at(PrintButton::Stop) ? 'T' : 't';
    return s;
  }
};

// Lines of the given length, each with its own text so that a byte in the
// wrong place shows.
std::shared_ptr<const JobText> JobOf(int lines, int length) {
  auto job = std::make_shared<JobText>();
  for (int i = 0; i < lines; ++i) {
    std::string line(static_cast<std::size_t>(length), static_cast<char>('a' + i % 26));
    const std::string number = std::to_string(i) + " ";
    line.replace(0, std::min(line.size(), number.size()), number.substr(0, line.size()));
    job->addLine(line);
  }
  job->finish();
  return job;
}

QByteArray Bytes(const std::shared_ptr<const JobText>& job) { return QByteArray::fromStdString(job->joined()); }

// A click reaches the run as its own event, after the handler that showed
// the label has returned.
void Later(std::function<void()> click) { QTimer::singleShot(0, std::move(click)); }

// Runs the event loop until `done` holds. Unlike QTest::qWaitFor this never
// sleeps with events pending, so a click posted for "now" is not overtaken
// by a tick of the run's fast clock.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kTimeout) {
  QElapsedTimer clock;
  clock.start();
  QTimer poll;
  poll.start(1);
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

class PrintRunTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PtyMachine> machine;
  std::unique_ptr<RecordingView> view;
  std::unique_ptr<PrintRun> run;

  bool waitForStage(RunStage stage) {
    return WaitUntil([&] { return run->progress().stage == stage; });
  }
  bool waitForEnd() { return WaitUntil([&] { return !run->isRunning(); }); }
  // The machine has the first `bytes` and, a moment later, still no more.
  bool receivedExactly(qsizetype bytes) {
    if (!WaitUntil([&] { return machine->count() >= bytes; })) return false;
    Spin(30);
    return machine->count() == bytes;
  }
  // The run holds at a handshake after `bytes` bytes; the machine answers.
  bool answerHandshakeAfter(qsizetype bytes) {
    if (!waitForStage(RunStage::Handshake) || !receivedExactly(bytes)) return false;
    if (run->progress().stage != RunStage::Handshake) return false;
    machine->send("!");
    return true;
  }
  void print(const std::shared_ptr<const JobText>& job) { run->print(machine->path(), job); }

 private slots:
  void init() {
    machine = std::make_unique<PtyMachine>();
    view = std::make_unique<RecordingView>();
    run = std::make_unique<PrintRun>(*view);
    view->run = run.get();
    run->setSecondScale(kMsPerSecond);
  }
  void cleanup() {
    run.reset();
    view.reset();
    machine.reset();
  }

  void emptyJobDoesNothing() {
    run->print(machine->path(), std::make_shared<JobText>());
    run->print(machine->path(), nullptr);
    QCOMPARE(view->calls, 0);
    QVERIFY(!run->isRunning());
  }

  void handshakeOnlyPastTheLimit_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("lastLength");
    QTest::addColumn<int>("handshakeAfter");  // -1: none
    QTest::newRow("well below 64000") << 50 << 1000 << 1000 << -1;
    QTest::newRow("exactly 64000") << 64 << 1000 << 1000 << -1;
    QTest::newRow("64001") << 65 << 1000 << 1 << 64001;
    QTest::newRow("past 64000 mid-job") << 70 << 1000 << 1000 << 65000;
  }
  void handshakeOnlyPastTheLimit() {
    QFETCH(int, lines);
    QFETCH(int, length);
    QFETCH(int, lastLength);
    QFETCH(int, handshakeAfter);
    auto job = std::make_shared<JobText>();
    for (int i = 0; i < lines; ++i) job->addLine(std::string(static_cast<std::size_t>(i + 1 == lines ? lastLength : length), 'U'));
    print(job);
    QCOMPARE(view->buttonState(), QString("psAT"));
    if (handshakeAfter >= 0) {
      QVERIFY(answerHandshakeAfter(handshakeAfter));
      // The first handshake after start-up gives a counting wait.
      QVERIFY(waitForStage(RunStage::Waiting));
      QCOMPARE(view->buttonState(), QString("pSaT"));
      QCOMPARE(view->sleeps, QString("Ждемс!"));
      QVERIFY(view->sleepsSeen.contains("О! Горяченькая пошла!"));
      run->start();
    }
    QVERIFY(waitForEnd());
    QVERIFY(receivedExactly(Bytes(job).size()));
    QCOMPARE(machine->received(), Bytes(job));
    QCOMPARE(run->progress().handshakes, handshakeAfter >= 0 ? 1 : 0);
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Ended});
    // Ended: only Stop goes off, the labels keep their last texts.
    QCOMPARE(view->buttonState(), QString("psAt"));
    // After a wait that ended with the last line, the wait's texts stay.
    const bool endedInWait = handshakeAfter == Bytes(job).size();
    QCOMPARE(view->sleeps, QString(endedInWait ? "Ждемс!" : "Работаем!"));
    QCOMPARE(view->writed, endedInWait && run->PauseSeconds() > 0 ? QString::number(run->PauseSeconds())
                                                                   : QString::number(Bytes(job).size()));
    QVERIFY(!run->link().isOpen());
  }

  void lineLongerThanTheLimitHandshakesEveryTime() {
    run->setSecondScale(100);  // the first Start must beat the first tick
    auto job = JobOf(3, 70000);
    // Start as soon as the first wait shows, before its first tick.
    view->onSleeps = [&](const QString& text) {
      if (text == "Ждемс!" && run->progress().handshakes == 1) Later([&] { run->start(); });
    };
    print(job);
    for (int i = 1; i <= 3; ++i) {
      QVERIFY(answerHandshakeAfter(70000 * i));
      QVERIFY(waitForStage(RunStage::Waiting));
      if (i == 2) {
        // Start came before the first tick: interval 0, a wait that never
        // ticks and lasts until Start.
        QCOMPARE(run->tmr1().interval(), quint32{0});
        Spin(300);
        QCOMPARE(run->progress().stage, RunStage::Waiting);
        QCOMPARE(view->writed, QString("140000"));
      }
      if (i > 1) run->start();
    }
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(job));
    QCOMPARE(run->progress().handshakes, qint64{3});
    QCOMPARE(run->PauseSeconds(), 0);
  }

  void workedRunOf150Lines() {
    // A coarser clock: the click at "3" must come before the fourth tick.
    run->setSecondScale(100);
    auto job = JobOf(150, 1000);
    int starts = 0;
    view->onWrited = [&](const QString& text) {
      if (text == "3" && run->progress().stage == RunStage::Waiting) {
        ++starts;
        Later([&] { run->start(); });
      }
    };
    print(job);
    QVERIFY(answerHandshakeAfter(65 * 1000));
    QVERIFY(waitForStage(RunStage::Waiting));
    // Start when the counting wait shows 3: the later wait lasts 3 seconds.
    QVERIFY(answerHandshakeAfter(130 * 1000));
    QCOMPARE(run->tmr1().interval(), quint32{3000});
    QVERIFY(waitForStage(RunStage::Waiting));
    QCOMPARE(view->writed, QString("130000"));
    QVERIFY(waitForEnd());
    QCOMPARE(starts, 1);
    QCOMPARE(machine->received(), Bytes(job));
    QCOMPARE(view->writedSeen.mid(view->writedSeen.indexOf("65000"), 4), (QStringList{"65000", "1", "2", "3"}));
    const qsizetype afterSecond = view->writedSeen.indexOf("130000");
    QVERIFY(afterSecond > 0);
    // The timed wait shows the total count, not seconds.
    QVERIFY(view->writedSeen.at(afterSecond + 1).toInt() > 130000);
    QCOMPARE(view->writed, QString("150000"));
    QCOMPARE(run->PauseSeconds(), 3);
    QCOMPARE(view->buttonState(), QString("psAt"));
    QVERIFY(!run->link().isOpen());
  }

  void earlyByteAnswersTheNextHandshake() {
    auto job = JobOf(70, 1000);
    run->pause();  // holds the run after its first line
    print(job);
    QVERIFY(waitForStage(RunStage::Waiting));
    QVERIFY(receivedExactly(1000));
    machine->send("!");
    QVERIFY(WaitUntil([&] { return run->link().port().bytesAvailable() == 1; }));
    // Two seconds counted: later waits are timed and end by themselves.
    QVERIFY(WaitUntil([&] { return run->PauseSeconds() >= 2; }));
    run->start();
    // The one byte the machine ever sent answers the handshake after 65000.
    QVERIFY(waitForEnd());
    QCOMPARE(run->progress().handshakes, qint64{1});
    QCOMPARE(machine->received(), Bytes(job));
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Ended});
  }

  void byteLeftOverIsDroppedAtClose() {
    auto small = JobOf(3, 100);
    run->pause();
    print(small);
    QVERIFY(waitForStage(RunStage::Waiting));
    machine->send("!");
    QVERIFY(WaitUntil([&] { return run->link().port().bytesAvailable() == 1; }));
    run->start();
    QVERIFY(waitForEnd());

    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(waitForStage(RunStage::Handshake));
    QVERIFY(receivedExactly(300 + 65000));
    QCOMPARE(run->progress().stage, RunStage::Handshake);
    machine->send("!");
    QVERIFY(WaitUntil([&] { return run->progress().stage != RunStage::Handshake; }));
    run->start();
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(small) + Bytes(job));
  }

  void pauseWhileStreaming() {
    auto job = JobOf(20, 1000);
    qint64 shown = -1;
    view->onWrited = [&](const QString& text) {
      if (shown < 0) {
        shown = text.toLongLong();
        Later([&] { run->pause(); });
      }
    };
    print(job);
    // Pause takes the number shown when it acts, plus 100. One more line
    // goes out, the block is then past the new limit: a handshake, and a
    // counting wait.
    QVERIFY(WaitUntil([&] { return run->FlowLimit() != 64000; }));
    const qint64 limit = run->FlowLimit();
    QVERIFY(limit >= shown + 100);
    QVERIFY(view->writedSeen.contains(QString::number(limit - 100)));
    qint64 sent = limit - 100 + 1000;
    QVERIFY(answerHandshakeAfter(sent));
    QVERIFY(waitForStage(RunStage::Waiting));
    QCOMPARE(run->tmr1().interval(), quint32{1000});
    QCOMPARE(view->buttonState(), QString("pSaT"));
    QVERIFY(WaitUntil([&] { return run->PauseSeconds() >= 2; }));
    run->start();
    // From now on a handshake after every block of more than the limit, each
    // followed by a timed wait that ends by itself.
    const qint64 perBlock = (limit / 1000 + 1) * 1000;
    while (sent + perBlock <= 20000) {
      sent += perBlock;
      QVERIFY(answerHandshakeAfter(sent));
    }
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(job));
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Ended});
  }

  void pauseWhileIdle() {
    run->pause();
    QVERIFY(WaitUntil([&] { return view->writed == "3"; }));
    QCOMPARE(run->FlowLimit(), qint64{100});
    QCOMPARE(view->buttonState(), QString("psat"));  // Pause leaves the buttons alone
    auto job = JobOf(10, 100);
    print(job);
    QCOMPARE(run->FlowLimit(), qint64{64000});
    QVERIFY(waitForStage(RunStage::Waiting));
    QVERIFY(receivedExactly(100));
    QCOMPARE(view->buttonState(), QString("pSaT"));
    run->start();
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(job));
  }

  void stopWhileStreaming() {
    auto job = JobOf(200, 1000);
    qint64 shown = -1;
    view->onWrited = [&](const QString& text) {
      if (shown < 0) {
        shown = text.toLongLong();
        Later([&] { run->stop(); });
      }
    };
    print(job);
    QVERIFY(waitForEnd());
    // Stop acts on the number shown or a later one; the line after that
    // still goes out whole, then the pen goes home.
    const QByteArray received = machine->received();
    QVERIFY(received.endsWith(kStopStrings));
    const qint64 sent = received.size() - kStopStrings.size();
    QVERIFY(sent > shown);
    QVERIFY(view->writedSeen.contains(QString::number(sent - 1000)));
    QCOMPARE(received, Bytes(job).left(sent) + kStopStrings);
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Stopped});
    QCOMPARE(view->buttonState(), QString("psat"));
    QCOMPARE(view->sleeps, QString());
    QCOMPARE(view->writed, QString("0"));
    QVERIFY(!run->link().isOpen());
    // The stop request is also the calibration state.
    QVERIFY(run->StopFlag());
    run->sendCalibration(machine->path());
    QVERIFY(receivedExactly(received.size() + 25));
    QVERIFY(machine->received().endsWith(";:H ECN A U  D0,0 UF0 @  "));
  }

  void stopInCountingWaitActsAfterStart() {
    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(answerHandshakeAfter(65000));
    QVERIFY(waitForStage(RunStage::Waiting));
    run->stop();
    QVERIFY(receivedExactly(65000));
    QCOMPARE(run->progress().stage, RunStage::Waiting);
    run->start();
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(job).left(65000) + kStopStrings);
    QCOMPARE(view->buttonState(), QString("psat"));
    QCOMPARE(view->writed, QString("0"));
  }

  void stopInTimedWaitActsWhenItEnds() {
    // A first counting wait of 3 seconds makes the later waits timed ones.
    run->pause();
    QVERIFY(WaitUntil([&] { return view->writed == "3"; }));
    run->start();
    QCOMPARE(run->tmr1().interval(), quint32{3000});
    auto job = JobOf(70, 1000);
    bool stillWaitingAfterStop = false;
    view->onSleeps = [&](const QString& text) {
      if (text == "Ждемс!" && !stillWaitingAfterStop) {
        Later([&] {
          run->stop();
          stillWaitingAfterStop = run->progress().stage == RunStage::Waiting;
        });
      }
    };
    print(job);
    QVERIFY(answerHandshakeAfter(65000));
    QVERIFY(waitForEnd());
    QVERIFY(stillWaitingAfterStop);
    QCOMPARE(machine->received(), Bytes(job).left(65000) + kStopStrings);
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Stopped});
  }

  void stopGivesUpAHandshakeThatNeverComes() {
    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(waitForStage(RunStage::Handshake));
    QVERIFY(receivedExactly(65000));
    run->stop();
    QVERIFY(!run->isRunning());
    QVERIFY(!run->link().isOpen());
    QVERIFY(receivedExactly(65000));  // nothing more: the machine never asked
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Stopped});
    QCOMPARE(view->buttonState(), QString("psat"));
    QCOMPARE(view->sleeps, QString());
    QCOMPARE(view->writed, QString("0"));
    // A late byte does not linger for the next run.
    machine->send("!");
    auto next = JobOf(70, 1000);
    print(next);
    QVERIFY(waitForStage(RunStage::Handshake));
    QVERIFY(receivedExactly(65000 + 65000));
    QCOMPARE(run->progress().stage, RunStage::Handshake);
    run->stop();
  }

  void directCommandsAndPrintAreRefusedWhileARunHoldsThePort() {
    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(answerHandshakeAfter(65000));
    QVERIFY(waitForStage(RunStage::Waiting));
    const QString busy("Нельзя менять свойство, пока порт открыт");
    for (auto click : {&PrintRun::sendTest, &PrintRun::sendCalibration, &PrintRun::sendLine1000}) {
      try {
        (run.get()->*click)(machine->path());
        QFAIL("a direct command got through during a print");
      } catch (const EComPort& e) {
        QCOMPARE(e.message(), busy);
      }
    }
    QCOMPARE(run->StopFlag(), false);
    try {
      print(job);
      QFAIL("a second print got through");
    } catch (const EComPort& e) {
      QCOMPARE(e.message(), busy);
    }
    QCOMPARE(view->buttonState(), QString("pSaT"));
    run->start();
    QVERIFY(waitForEnd());
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Ended});
    QCOMPARE(machine->received(), Bytes(job));
  }

  void portBusyAtPrint() {
    QSerialPort other;
    other.setPortName(machine->path());
    QVERIFY(other.open(QIODevice::ReadWrite));
    view->sleeps = "Работаем!";
    view->writed = "1234";
    auto job = JobOf(5, 10);
    try {
      print(job);
      QFAIL("print opened a port held by another program");
    } catch (const EComPort& e) {
      QCOMPARE(e.message(), QString("Порт занят другой программой"));
    }
    QCOMPARE(view->buttonState(), QString("psAT"));
    QCOMPARE(view->sleeps, QString("Работаем!"));
    QCOMPARE(view->writed, QString("1234"));
    QVERIFY(!run->isRunning());
    QVERIFY(!run->link().isOpen());
    other.close();
    print(job);
    QVERIFY(waitForEnd());
    QCOMPARE(machine->received(), Bytes(job));
  }

  void noSuchDeviceAtPrint() {
    try {
      run->print("ttyVelmarNoSuchPort", JobOf(5, 10));
      QFAIL("print opened a device that does not exist");
    } catch (const EComPort& e) {
      QCOMPARE(e.message(), QString("Попытка открыть несуществующий COM-порт"));
    }
    QCOMPARE(view->buttonState(), QString("psAT"));
    QVERIFY(!run->isRunning());
  }

  void deviceVanishesWhileStreaming() {
    auto job = JobOf(200, 1000);
    bool pulled = false;
    view->onWrited = [&](const QString&) {
      if (!pulled) {
        pulled = true;
        Later([&] { machine->hangUp(); });
      }
    };
    print(job);
    QVERIFY(waitForEnd());
    QCOMPARE(view->errors, QStringList{"Ошибка записи в порт"});
    QCOMPARE(view->outcomes, QList<RunOutcome>{RunOutcome::Failed});
    QVERIFY(!view->portOpenWhenErrorShown);
    QCOMPARE(view->buttonState(), QString("psAT"));
    // The port is free again for the next device.
    machine = std::make_unique<PtyMachine>();
    run->sendLine1000(machine->path());
    QVERIFY(receivedExactly(38));
  }

  void deviceVanishesDuringHandshake() {
    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(waitForStage(RunStage::Handshake));
    machine->hangUp();
    QVERIFY(waitForEnd());
    QCOMPARE(view->errors, QStringList{"Ошибка чтения из порта"});
    QVERIFY(!view->portOpenWhenErrorShown);
    QVERIFY(!run->link().isOpen());
  }

  void closingTheWindowClosesThePort() {
    auto job = JobOf(70, 1000);
    print(job);
    QVERIFY(waitForStage(RunStage::Handshake));
    const int calls = view->calls;
    run->shutdown();
    QVERIFY(!run->isRunning());
    QVERIFY(!run->link().isOpen());
    machine->send("!");
    Spin(30);
    QCOMPARE(view->calls, calls);
    QCOMPARE(machine->count(), 65000);
  }
};

QTEST_GUILESS_MAIN(PrintRunTest)
#include "PrintRunTest.moc"
