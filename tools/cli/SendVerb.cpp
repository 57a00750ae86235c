// velmar-cli send: streams a job file to the machine through the print run.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <fcntl.h>
#include <unistd.h>

#include "cli/Args.h"
#include "cli/Verbs.h"
#include "job/JobText.h"
#include "link/JobFile.h"
#include "link/PrintRun.h"

namespace velmar::cli {

namespace {

int gInterruptPipe[2] = {-1, -1};

void OnInterrupt(int) {
  const char byte = 1;
  const ssize_t ignored = ::write(gInterruptPipe[1], &byte, 1);
  (void)ignored;
}

std::string ReadJobFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

// The run's window, on a terminal: labels and buttons have no place here.
struct SendView : PrintView {
  void setButtonEnabled(PrintButton, bool) override {}
  void setSleeps(const QString&) override {}
  void setWrited(const QString& text) override { writed = text; }
  QString writedText() const override { return writed; }
  void runFinished(RunOutcome o) override {
    finished = true;
    outcome = o;
    QCoreApplication::quit();
  }
  void showError(const QString& message) override { error = message; }

  QString writed = QStringLiteral("0");
  bool finished = false;
  RunOutcome outcome = RunOutcome::Ended;
  QString error;
};

std::string Elapsed(qint64 ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%04.1f", static_cast<long long>(ms / 60000),
                static_cast<double>(ms % 60000) / 1000.0);
  return text;
}

const char* StageWord(RunStage stage) {
  switch (stage) {
    case RunStage::Handshake: return "awaiting handshake";
    case RunStage::Waiting: return "waiting";
    case RunStage::Finishing: return "closing";
    default: return "sending";
  }
}

void DrawProgress(const RunProgress& p, qint64 totalBytes, qint64 elapsedMs) {
  const double fraction = totalBytes > 0 ? static_cast<double>(p.bytesSent) / static_cast<double>(totalBytes) : 1.0;
  constexpr int kWidth = 24;
  const int filled = static_cast<int>(fraction * kWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\r[%s] %3d%%  %lld/%lld bytes  %zu/%zu lines  %lld handshakes  %s  %s\x1b[K", bar.c_str(),
               static_cast<int>(fraction * 100), static_cast<long long>(p.bytesSent),
               static_cast<long long>(totalBytes), p.linesSent, p.lineCount, static_cast<long long>(p.handshakes),
               Elapsed(elapsedMs).c_str(), StageWord(p.stage));
}

}  // namespace

int SendVerb(const std::vector<std::string>& words) {
  Args args(words, {"--lines"});
  args.rejectUnknown({"--port", "--wait", "--lines"});
  const std::string file = args.positional(0, "JOBFILE");
  if (args.positionals().size() > 1) throw UsageError("only one job file can be sent at a time");
  const std::string portName = args.required("--port");
  const int waitSeconds = static_cast<int>(args.integerOr("--wait", 0, 0, 86400));

  const std::string bytes = ReadJobFile(file);
  auto job = std::make_shared<JobText>(args.flag("--lines") ? JobFromTextLines(bytes) : JobFromRawDmpl(bytes));
  if (job->empty()) throw std::runtime_error(file + " holds no job lines");
  const qint64 totalBytes = static_cast<qint64>(job->textBytes());

  static int argc = 1;
  static char name[] = "velmar-cli";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  SendView view;
  PrintRun run(view);
  run.setFixedWait(waitSeconds);

  // Ctrl-C is Stop, and ends a wait at once so that the stop strings go out
  // without delay; a second Ctrl-C drops the port without sending anything.
  if (::pipe2(gInterruptPipe, O_NONBLOCK | O_CLOEXEC) != 0) throw std::runtime_error("cannot set up the interrupt handler");
  int interrupts = 0;
  bool stoppedAtHandshake = false;
  QSocketNotifier interruptNotifier(gInterruptPipe[0], QSocketNotifier::Read);
  QObject::connect(&interruptNotifier, &QSocketNotifier::activated, [&] {
    char byte;
    while (::read(gInterruptPipe[0], &byte, 1) == 1) {
      if (++interrupts == 1) {
        std::fprintf(stderr, "\nstopping (Ctrl-C again drops the port at once)\n");
        stoppedAtHandshake = run.progress().stage == RunStage::Handshake;
        run.stop();
        run.start();
      } else {
        run.shutdown();
        QCoreApplication::quit();
        break;
      }
    }
  });
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  struct sigaction previous {};
  ::sigaction(SIGINT, &action, &previous);
  struct Restore {
    struct sigaction previous;
    ~Restore() {
      ::sigaction(SIGINT, &previous, nullptr);
      ::close(gInterruptPipe[0]);
      ::close(gInterruptPipe[1]);
      gInterruptPipe[0] = gInterruptPipe[1] = -1;
    }
  } restore{previous};

  const bool live = ::isatty(STDERR_FILENO) == 1;
  QElapsedTimer clock;
  clock.start();
  QTimer progress;
  QObject::connect(&progress, &QTimer::timeout, [&] { DrawProgress(run.progress(), totalBytes, clock.elapsed()); });
  if (live) progress.start(100);

  try {
    run.print(QString::fromLocal8Bit(portName.c_str()), job);
  } catch (const EComPort& e) {
    throw std::runtime_error(portName + ": " + e.what());
  }
  if (run.isRunning()) QCoreApplication::exec();
  progress.stop();
  run.shutdown();

  // The counts stay with the run after it has ended.
  const RunProgress last = run.progress();
  if (live) std::fprintf(stderr, "\r\x1b[K");
  std::fprintf(stderr, "sent %lld of %lld bytes, %zu of %zu lines, %lld handshakes in %s\n",
               static_cast<long long>(last.bytesSent), static_cast<long long>(totalBytes), last.linesSent,
               last.lineCount, static_cast<long long>(last.handshakes), Elapsed(clock.elapsed()).c_str());
  if (!view.error.isEmpty()) throw std::runtime_error(portName + ": " + view.error.toStdString());
  if (!view.finished) {
    std::fprintf(stderr, "interrupted: the port was closed without the stop strings\n");
    return 130;
  }
  if (view.outcome == RunOutcome::Stopped) {
    std::fprintf(stderr, stoppedAtHandshake ? "stopped while awaiting a handshake: nothing more was sent\n"
                                            : "stopped: the pen went home and the job was closed\n");
    return 130;
  }
  return 0;
}

}  // namespace velmar::cli
