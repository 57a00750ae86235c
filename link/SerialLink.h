#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <stdexcept>
#include <string_view>

namespace velmar {

// Every failure of the serial layer. what() is the UTF-8 text of message().
class EComPort : public std::runtime_error {
 public:
  explicit EComPort(const QString& message) : std::runtime_error(message.toStdString()) {}
  explicit EComPort(const char* utf8Message) : std::runtime_error(utf8Message) {}
  QString message() const { return QString::fromUtf8(what()); }
};

// The operator-facing texts of the serial layer, exactly as the window shows
// them (the error box adds the full stop).
namespace ComPortText {
inline constexpr char PropertyWhileOpen[] = "Нельзя менять свойство, пока порт открыт";
inline constexpr char NoSuchPort[] = "Попытка открыть несуществующий COM-порт";
inline constexpr char PortBusy[] = "Порт занят другой программой";
inline constexpr char SetupComm[] = "Ошибка функции SetupComm";
inline constexpr char SetCommState[] = "Ошибка функции SetCommState";
inline constexpr char WriteFailed[] = "Ошибка записи в порт";
inline constexpr char ReadFailed[] = "Ошибка чтения из порта";
inline constexpr char EscapeCommFunction[] = "Ошибка функции EscapeCommFunction";
inline constexpr char PurgeComm[] = "Ошибка функции PurgeComm";
}  // namespace ComPortText

// The device a port name opens: "COMn" (any case, n >= 1) is /dev/ttyS(n-1),
// a name beginning with "/" is a path used as typed, any other name is looked
// up in /dev ("ttyUSB0" -> "/dev/ttyUSB0").
QString DevicePathForPortName(const QString& portName);

// The busy-port text. When the open was refused for lack of permission and
// the device's group is known, a second line tells the operator which group
// the user has to join.
QString PortBusyMessage(const QString& devicePath, const QString& deniedGroup);

// The engraver's serial port: 9600 baud, 8N1, no flow control, raw bytes,
// DTR and RTS on while open. The port is opened exclusively. Write and Read
// here block until done; the print run drives port() asynchronously instead.
class SerialLink {
 public:
  SerialLink();
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Refused while the port is open, even for the same name.
  void setPortName(const QString& portName);
  QString portName() const { return portName_; }
  QString devicePath() const { return DevicePathForPortName(portName_); }

  // Does nothing when already open. On a failing setting the device is closed
  // again before the error is raised.
  void open();
  bool isOpen() const { return port_.isOpen(); }

  // Returns once every byte has left the driver's transmit queue.
  qint64 write(std::string_view bytes);
  // Returns exactly `count` bytes, waiting as long as that takes.
  QByteArray read(int count);

  // Lowers DTR and RTS, drops whatever was received and not yet read, and
  // closes. Output the driver still holds is left to drain: Write reported it
  // as sent. The device is closed even when a step fails; the first failure
  // is raised afterwards. Does nothing when closed.
  void close();
  // Closes after a failure or on shutdown: also drops unsent output and
  // raises nothing.
  void abandon() noexcept;

  // Bytes written but not yet sent on the line (ours and the driver's).
  qint64 pendingOutput() const;

  QSerialPort& port() { return port_; }

 private:
  QSerialPort port_;
  QString portName_;
};

}  // namespace velmar
