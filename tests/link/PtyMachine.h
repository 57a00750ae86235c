#pragma once

// The engraving machine of the link tests: the master side of a
// pseudo-terminal pair. The program under test opens the slave path.

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace velmar::test {

class PtyMachine {
 public:
  PtyMachine() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    makeRaw(master_);
    path_ = QString::fromLocal8Bit(::ptsname(master_));
    // Holding the slave open keeps the pair alive while the program has its
    // port closed (otherwise the master reads a hang-up each time), and a raw
    // slave echoes nothing back before the program has opened it.
    holder_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (holder_ < 0) throw std::runtime_error("cannot open the pseudo-terminal's slave");
    makeRaw(holder_);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
  }
  ~PtyMachine() { hangUp(); }
  PtyMachine(const PtyMachine&) = delete;
  PtyMachine& operator=(const PtyMachine&) = delete;

  QString path() const { return path_; }

  // Everything the program has sent so far.
  const QByteArray& received() {
    drain();
    return received_;
  }
  qsizetype count() { return received().size(); }

  void send(const QByteArray& bytes) {
    if (master_ < 0) return;
    if (::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) {
      throw std::runtime_error("the machine could not answer");
    }
  }

  // The device disappears (a USB adapter pulled out).
  void hangUp() {
    if (master_ < 0) return;
    drain();
    notifier_.reset();
    ::close(holder_);
    ::close(master_);
    master_ = holder_ = -1;
  }

 private:
  static void makeRaw(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
  }

  void drain() {
    if (master_ < 0) return;
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      received_.append(buffer, n);
    }
  }

  int master_ = -1;
  int holder_ = -1;
  QString path_;
  QByteArray received_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace velmar::test
