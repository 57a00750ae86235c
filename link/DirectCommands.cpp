#include "link/DirectCommands.h"

#include "job/Commands.h"
#include "link/SerialLink.h"

namespace velmar {

namespace {
std::string HeaderAndBlank() {
  std::string s(DmplHeader);
  s += ' ';
  return s;
}

// Every burn that ends in a return to the origin closes the job with the
// trailer and two more blanks.
void AppendLineAndClose(std::string& s) {
  s.append(DmplPenDown).append("0,0").append(" ");
  s.append(DmplPenDown).append("0,1000").append(" ");
  s.append(DmplPenUp).append("0,0");
  s.append(DmplTrailer).append(" ").append(" ");
}
}  // namespace

std::string TestCommand() {
  std::string s = HeaderAndBlank();
  s.append(DmplPenUp).append("0,0").append(" ");
  s.append(DmplPenUp).append("10000,10000").append(" ");
  s.append(DmplPenUp).append("0,0").append(" ");
  AppendLineAndClose(s);
  return s;
}

std::string Line1000Command() {
  std::string s = HeaderAndBlank();
  AppendLineAndClose(s);
  return s;
}

std::string CalibrationCommand(bool stopFlag) {
  std::string s = HeaderAndBlank();
  s.append(DmplPenDown).append("0,0").append(" ");
  s.append(stopFlag ? DmplPenUp : DmplPenDown).append("F0 @").append(" ").append(" ");
  return s;
}

void SendDirectCommand(SerialLink& link, const QString& portName, std::string_view command) {
  link.setPortName(portName);
  link.open();
  try {
    link.write(command);
  } catch (const EComPort&) {
    link.abandon();
    throw;
  }
  link.close();
}

}  // namespace velmar
