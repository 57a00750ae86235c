#include "link/SerialLink.h"

#include <cerrno>

#if defined(Q_OS_UNIX)
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace velmar {

namespace {

// Devices without modem lines (pseudo-terminals, some USB adapters) refuse
// DTR and RTS as an unsupported operation; that alone is harmless.
bool setModemLine(QSerialPort& port, bool (QSerialPort::*set)(bool), bool on) {
  if ((port.*set)(on)) return true;
  const bool harmless = port.error() == QSerialPort::UnsupportedOperationError;
  port.clearError();
  return harmless;
}

// The group to name when the open was refused for lack of permission, or an
// empty string when permission is not the problem.
QString DeniedGroup(const QString& devicePath) {
#if defined(Q_OS_UNIX)
  const QByteArray path = devicePath.toLocal8Bit();
  if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES) return {};
  struct stat info {};
  if (::stat(path.constData(), &info) != 0) return {};
  const group* owner = ::getgrgid(info.st_gid);
  return owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
#else
  Q_UNUSED(devicePath);
  return {};
#endif
}

}  // namespace

QString DevicePathForPortName(const QString& portName) {
  if (portName.startsWith(QLatin1Char('/'))) return portName;
  if (portName.size() > 3 && portName.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0) {
    const QStringView digits = QStringView(portName).mid(3);
    bool allDigits = true;
    for (QChar c : digits) allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    bool ok = false;
    const qlonglong number = allDigits ? digits.toLongLong(&ok) : 0;
    if (ok && number >= 1) return QStringLiteral("/dev/ttyS%1").arg(number - 1);
  }
  return QStringLiteral("/dev/") + portName;
}

QString PortBusyMessage(const QString& devicePath, const QString& deniedGroup) {
  QString text = QString::fromUtf8(ComPortText::PortBusy);
  if (!deniedGroup.isEmpty()) {
    text += QStringLiteral("\nНет прав на доступ к %1: пользователь должен входить в группу %2 "
                           "(sudo usermod -aG %2 $USER, затем войти в систему заново)")
                .arg(devicePath, deniedGroup);
  }
  return text;
}

SerialLink::SerialLink() = default;

SerialLink::~SerialLink() { abandon(); }

void SerialLink::setPortName(const QString& portName) {
  if (port_.isOpen()) throw EComPort(ComPortText::PropertyWhileOpen);
  portName_ = portName;
  port_.setPortName(DevicePathForPortName(portName));
}

void SerialLink::open() {
  if (port_.isOpen()) return;
  if (portName_.isEmpty()) throw EComPort(ComPortText::NoSuchPort);
  if (!port_.open(QIODevice::ReadWrite)) {
    const QSerialPort::SerialPortError error = port_.error();
    port_.clearError();
    switch (error) {
      case QSerialPort::DeviceNotFoundError:
        throw EComPort(ComPortText::NoSuchPort);
      case QSerialPort::PermissionError: {
        const QString path = devicePath();
        throw EComPort(PortBusyMessage(path, DeniedGroup(path)));
      }
      default:
        throw EComPort(ComPortText::SetupComm);
    }
  }
  const bool lineSet = port_.setBaudRate(QSerialPort::Baud9600) && port_.setDataBits(QSerialPort::Data8) &&
                       port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                       port_.setFlowControl(QSerialPort::NoFlowControl) &&
                       setModemLine(port_, &QSerialPort::setDataTerminalReady, true) &&
                       setModemLine(port_, &QSerialPort::setRequestToSend, true);
  if (!lineSet) {
    abandon();
    throw EComPort(ComPortText::SetCommState);
  }
  // Whatever reached the device while nobody had it open (a late handshake
  // byte of an earlier run) is not an answer to this exchange.
  if (!port_.clear(QSerialPort::Input)) {
    abandon();
    throw EComPort(ComPortText::SetupComm);
  }
  port_.clearError();
}

qint64 SerialLink::write(std::string_view bytes) {
  if (!port_.isOpen()) throw EComPort(ComPortText::WriteFailed);
  if (bytes.empty()) return 0;
  const qint64 size = static_cast<qint64>(bytes.size());
  if (port_.write(bytes.data(), size) != size) throw EComPort(ComPortText::WriteFailed);
  while (port_.bytesToWrite() > 0) {
    if (!port_.waitForBytesWritten(-1)) throw EComPort(ComPortText::WriteFailed);
  }
#if defined(Q_OS_UNIX)
  int drained;
  do {
    drained = ::tcdrain(port_.handle());
  } while (drained != 0 && errno == EINTR);
  if (drained != 0) throw EComPort(ComPortText::WriteFailed);
#endif
  return size;
}

QByteArray SerialLink::read(int count) {
  if (!port_.isOpen()) throw EComPort(ComPortText::ReadFailed);
  QByteArray bytes;
  while (bytes.size() < count) {
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(-1)) throw EComPort(ComPortText::ReadFailed);
    const QByteArray part = port_.read(count - bytes.size());
    if (part.isEmpty() && port_.error() != QSerialPort::NoError) throw EComPort(ComPortText::ReadFailed);
    bytes += part;
  }
  return bytes;
}

void SerialLink::close() {
  if (!port_.isOpen()) return;
  const char* failure = nullptr;
  if (!setModemLine(port_, &QSerialPort::setDataTerminalReady, false) ||
      !setModemLine(port_, &QSerialPort::setRequestToSend, false)) {
    failure = ComPortText::EscapeCommFunction;
  }
  // A handshake byte that came too late for this run must not answer the
  // first handshake of the next one.
  if (!port_.clear(QSerialPort::Input) && !failure) failure = ComPortText::PurgeComm;
  port_.close();
  port_.clearError();
  if (failure) throw EComPort(failure);
}

void SerialLink::abandon() noexcept {
  if (!port_.isOpen()) return;
  port_.clear(QSerialPort::AllDirections);
  setModemLine(port_, &QSerialPort::setDataTerminalReady, false);
  setModemLine(port_, &QSerialPort::setRequestToSend, false);
  port_.close();
  port_.clearError();
}

qint64 SerialLink::pendingOutput() const {
  if (!port_.isOpen()) return 0;
  qint64 pending = port_.bytesToWrite();
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
  int queued = 0;
  if (::ioctl(port_.handle(), TIOCOUTQ, &queued) == 0 && queued > 0) pending += queued;
#endif
  return pending;
}

}  // namespace velmar
