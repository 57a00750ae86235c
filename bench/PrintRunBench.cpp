// Streams a large job over a pseudo-terminal to a peer thread that reads as
// fast as it can and answers every handshake at once, first with a plain
// blocking loop (write each line, read the handshake byte), then with the
// event-driven print run, and prints both throughputs and the largest gap a
// 1 ms timer probe saw in the run's event loop.
//
//   velmar_link_bench [MEGABYTES] [ROUNDS]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "job/JobText.h"
#include "link/PrintRun.h"

using namespace velmar;
using Clock = std::chrono::steady_clock;

namespace {

// Burn lines shaped like a compiled photo's: four moves, about 30 bytes.
std::shared_ptr<const JobText> MakeJob(std::size_t bytes) {
  auto job = std::make_shared<JobText>();
  job->addLine(";:H ECN A U  ");
  unsigned state = 12345;
  for (long y = 0; job->textBytes() < bytes; y += 7) {
    state = state * 1103515245u + 12345u;
    const long xs = (state >> 8) % 20000;
    const long xe = xs + 1 + (state >> 20) % 400;
    char line[128];
    const int length = std::snprintf(line, sizeof line, "U%ld,%ld D%ld,%ld D%ld,%ld U%ld,%ld ", y, xs, y, xs, y, xe, y, xe);
    job->addLine(std::string_view(line, static_cast<std::size_t>(length)));
  }
  job->finish();
  return job;
}

// Byte counts after which the run asks for a handshake.
std::vector<qint64> HandshakeOffsets(const JobText& job) {
  std::vector<qint64> offsets;
  qint64 block = 0, total = 0;
  for (std::size_t i = 0; i < job.lineCount(); ++i) {
    const qint64 length = static_cast<qint64>(job.line(i).size());
    block += length;
    total += length;
    if (block > PrintRun::kStartFlowLimit) {
      offsets.push_back(total);
      block = 0;
    }
  }
  return offsets;
}

// The machine: reads everything, answers each handshake as soon as the run
// has sent the bytes before it.
class Peer {
 public:
  Peer(int master, qint64 total, const std::vector<qint64>& offsets)
      : thread_([=, this] {
          std::vector<char> buffer(1 << 16);
          qint64 received = 0;
          std::size_t next = 0;
          while (received < total) {
            const ssize_t n = ::read(master, buffer.data(), buffer.size());
            if (n <= 0) break;
            received += n;
            while (next < offsets.size() && offsets[next] <= received) {
              if (offsets[next] != received) early_ = true;
              if (::write(master, "!", 1) != 1) break;
              ++next;
            }
          }
          received_ = received;
          end_ = Clock::now();
        }) {}
  Clock::time_point finish() {
    thread_.join();
    return end_;
  }
  qint64 received() const { return received_; }
  bool sentEarly() const { return early_; }

 private:
  std::atomic<qint64> received_{0};
  std::atomic<bool> early_{false};
  Clock::time_point end_;
  std::thread thread_;
};

void MakeRaw(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  ::tcsetattr(fd, TCSANOW, &t);
}

struct NullView : PrintView {
  void setButtonEnabled(PrintButton, bool) override {}
  void setSleeps(const QString&) override {}
  void setWrited(const QString& text) override { writed = text; }
  QString writedText() const override { return writed; }
  void runFinished(RunOutcome o) override {
    outcome = o;
    QCoreApplication::quit();
  }
  void showError(const QString& message) override { error = message; }
  QString writed = QStringLiteral("0");
  RunOutcome outcome = RunOutcome::Failed;
  QString error;
};

struct Result {
  double seconds = 0;
  bool ok = false;
  double maxGapMs = 0;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// `batch` 0: one write per line (the loop the run is measured against).
// about that many bytes, never across a handshake.
Result PlainLoop(int master, const char* slavePath, const JobText& job, const std::vector<qint64>& offsets,
                 std::size_t batch) {
  const int fd = ::open(slavePath, O_RDWR | O_NOCTTY);
  MakeRaw(fd);
  const qint64 total = static_cast<qint64>(job.textBytes());
  const auto t0 = Clock::now();
  Peer peer(master, total, offsets);
  qint64 block = 0;
  bool ok = true;
  std::string gathered;
  for (std::size_t i = 0; i < job.lineCount() && ok; ++i) {
    const std::string_view line = job.line(i);
    block += static_cast<qint64>(line.size());
    const bool handshake = block > PrintRun::kStartFlowLimit;
    if (batch == 0) {
      ok = WriteAll(fd, line.data(), line.size());
    } else {
      gathered.append(line);
      if (handshake || gathered.size() >= batch || i + 1 == job.lineCount()) {
        ok = WriteAll(fd, gathered.data(), gathered.size());
        gathered.clear();
      }
    }
    if (handshake) {
      char reply;
      ok = ok && ::read(fd, &reply, 1) == 1;
      block = 0;
    }
  }
  const auto t1 = peer.finish();
  ::close(fd);
  return {std::chrono::duration<double>(t1 - t0).count(), ok && peer.received() == total && !peer.sentEarly(), 0};
}

Result EventRun(int master, const char* slavePath, const std::shared_ptr<const JobText>& job,
                const std::vector<qint64>& offsets) {
  NullView view;
  PrintRun run(view);
  run.setFixedWait(0);
  // The probe: a 1 ms timer whose ticks should never be far apart.
  QElapsedTimer probeClock;
  qint64 lastTick = -1, maxGap = 0;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = probeClock.nsecsElapsed();
    if (lastTick >= 0) maxGap = std::max(maxGap, now - lastTick);
    lastTick = now;
  });
  const qint64 total = static_cast<qint64>(job->textBytes());
  const auto t0 = Clock::now();
  Peer peer(master, total, offsets);
  probeClock.start();
  probe.start(1);
  run.print(QString::fromLocal8Bit(slavePath), job);
  QCoreApplication::exec();
  probe.stop();
  const auto t1 = peer.finish();
  const bool ok = view.outcome == RunOutcome::Ended && view.error.isEmpty() && peer.received() == total &&
                  !peer.sentEarly();
  return {std::chrono::duration<double>(t1 - t0).count(), ok, maxGap / 1e6};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 20.0;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  const auto job = MakeJob(static_cast<std::size_t>(megabytes * 1024 * 1024));
  const auto offsets = HandshakeOffsets(*job);
  const double mb = static_cast<double>(job->textBytes()) / (1024.0 * 1024.0);

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::fprintf(stderr, "no pseudo-terminal\n");
    return 1;
  }
  MakeRaw(master);
  const std::string slave = ::ptsname(master);
  // Keeps the pair alive between the two senders' opens.
  const int holder = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  MakeRaw(holder);

  std::printf("job: %.1f MB, %zu lines, %zu handshakes\n", mb, job->lineCount(), offsets.size());
  std::vector<double> plain, batched, event, gaps;
  bool ok = true;
  for (int r = 0; r < rounds; ++r) {
    const Result p = PlainLoop(master, slave.c_str(), *job, offsets, 0);
    const Result b = PlainLoop(master, slave.c_str(), *job, offsets, PrintRun::kMaxWriteChunk);
    const Result e = EventRun(master, slave.c_str(), job, offsets);
    const bool delivered = p.ok && b.ok && e.ok;
    ok = ok && delivered;
    plain.push_back(mb / p.seconds);
    batched.push_back(mb / b.seconds);
    event.push_back(mb / e.seconds);
    gaps.push_back(e.maxGapMs);
    std::printf("round %d: plain loop %.1f MB/s, plain loop in %lld-byte writes %.1f MB/s, print run %.1f MB/s, "
                "largest event-loop gap %.2f ms%s\n",
                r + 1, plain.back(), static_cast<long long>(PrintRun::kMaxWriteChunk), batched.back(), event.back(),
                e.maxGapMs, delivered ? "" : "  (DELIVERY FAILED)");
  }
  std::printf("median: plain loop %.1f MB/s, print run %.1f MB/s, ratio %.2f (target >= 0.9)\n", Median(plain),
              Median(event), Median(event) / Median(plain));
  std::printf("median against the plain loop in the largest writes the run makes: ratio %.2f\n",
              Median(event) / Median(batched));
  std::printf("largest event-loop gap over all rounds: %.2f ms (target <= 50)\n",
              *std::max_element(gaps.begin(), gaps.end()));
  ::close(holder);
  ::close(master);
  return ok ? 0 : 1;
}
