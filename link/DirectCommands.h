#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velmar {

class SerialLink;

// The fixed command strings of the three buttons beside the port box. None
// has a line end: the machine reads blank-separated commands.
std::string TestCommand();         // 61 bytes: excursion to 10000,10000, then a 1000-step line
std::string Line1000Command();     // 38 bytes: the same line without the excursion
// 25 bytes; the pen letter before "F0 @" follows the calibration state.
std::string CalibrationCommand(bool stopFlag);

// Names the port, opens it, writes the command and closes it again. When the
// write fails the port is closed before the error goes on, so the next
// command can use the port.
void SendDirectCommand(SerialLink& link, const QString& portName, std::string_view command);

}  // namespace velmar
