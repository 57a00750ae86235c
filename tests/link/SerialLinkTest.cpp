// The serial layer, the direct commands and reading job files, against a
// pseudo-terminal that plays the machine.

#include <QSerialPort>
#include <QTest>
#include <memory>

#include "job/JobText.h"
#include "link/DirectCommands.h"
#include "link/JobFile.h"
#include "link/PrintRun.h"
#include "link/SerialLink.h"
#include "PtyMachine.h"

using namespace velmar;
using velmar::test::PtyMachine;

namespace {

// The direct commands need no view; a run that never starts calls none.
struct SilentView : PrintView {
  void setButtonEnabled(PrintButton, bool) override {}
  void setSleeps(const QString&) override {}
  void setWrited(const QString&) override {}
  QString writedText() const override { return QStringLiteral("0"); }
  void runFinished(RunOutcome) override {}
  void showError(const QString&) override {}
};

QString MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EComPort& e) {
    return e.message();
  }
  return QStringLiteral("<no error>");
}

QStringList LinesOf(const JobText& job) {
  QStringList lines;
  for (std::size_t i = 0; i < job.lineCount(); ++i) {
    const std::string_view line = job.line(i);
    lines << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
  }
  return lines;
}

}  // namespace

class SerialLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void portNamesMapToDevices_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");
    QTest::newRow("first of the list") << "COM1" << "/dev/ttyS0";
    QTest::newRow("last of the list") << "COM20" << "/dev/ttyS19";
    QTest::newRow("typed, not in the list") << "COM25" << "/dev/ttyS24";
    QTest::newRow("lower case") << "com3" << "/dev/ttyS2";
    QTest::newRow("COM0 is no serial number") << "COM0" << "/dev/COM0";
    QTest::newRow("COM with letters") << "COMX" << "/dev/COMX";
    QTest::newRow("USB adapter") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("modem-class adapter") << "ttyACM0" << "/dev/ttyACM0";
    QTest::newRow("path as typed") << "/dev/pts/7" << "/dev/pts/7";
  }
  void portNamesMapToDevices() {
    QFETCH(QString, name);
    QFETCH(QString, device);
    QCOMPARE(DevicePathForPortName(name), device);
  }

  void busyMessageNamesTheGroupOnlyWhenPermissionWasRefused() {
    QCOMPARE(PortBusyMessage("/dev/ttyUSB0", QString()), QString("Порт занят другой программой"));
    const QStringList lines = PortBusyMessage("/dev/ttyUSB0", "dialout").split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QString("Порт занят другой программой"));
    QVERIFY(lines[1].contains("/dev/ttyUSB0"));
    QVERIFY(lines[1].contains("dialout"));
  }

  void errorsCarryUtf8Text() {
    const EComPort error(ComPortText::NoSuchPort);
    QCOMPARE(QByteArray(error.what()), QString("Попытка открыть несуществующий COM-порт").toUtf8());
    QCOMPARE(error.message(), QString("Попытка открыть несуществующий COM-порт"));
  }

  void commandStringsAreExact_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Test") << QByteArray::fromStdString(TestCommand())
                          << QByteArray(";:H ECN A U  U0,0 U10000,10000 U0,0 D0,0 D0,1000 U0,0UF @    ");
    QTest::newRow("Line 1000") << QByteArray::fromStdString(Line1000Command())
                               << QByteArray(";:H ECN A U  D0,0 D0,1000 U0,0UF @    ");
    QTest::newRow("Calibration, flag clear") << QByteArray::fromStdString(CalibrationCommand(false))
                                             << QByteArray(";:H ECN A U  D0,0 DF0 @  ");
    QTest::newRow("Calibration, flag set") << QByteArray::fromStdString(CalibrationCommand(true))
                                           << QByteArray(";:H ECN A U  D0,0 UF0 @  ");
  }
  void commandStringsAreExact() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);
    QCOMPARE(command, expected);
  }

  void commandStringLengths() {
    QCOMPARE(TestCommand().size(), std::size_t{61});
    QCOMPARE(Line1000Command().size(), std::size_t{38});
    QCOMPARE(CalibrationCommand(false).size(), std::size_t{25});
    QCOMPARE(CalibrationCommand(true).size(), std::size_t{25});
  }

  void buttonsSendTheirStringsAndNothingElse() {
    PtyMachine machine;
    SilentView view;
    PrintRun run(view);
    run.sendTest(machine.path());
    QVERIFY(!run.link().isOpen());
    run.sendLine1000(machine.path());
    QVERIFY(!run.link().isOpen());
    QTest::qWait(20);
    QCOMPARE(machine.received(), QByteArray::fromStdString(TestCommand() + Line1000Command()));
  }

  void calibrationAlternates() {
    PtyMachine machine;
    SilentView view;
    PrintRun run(view);
    QCOMPARE(run.StopFlag(), false);
    run.sendCalibration(machine.path());
    QCOMPARE(run.StopFlag(), true);
    run.sendCalibration(machine.path());
    QCOMPARE(run.StopFlag(), false);
    run.sendCalibration(machine.path());
    QTest::qWait(20);
    QCOMPARE(machine.received(), QByteArray(";:H ECN A U  D0,0 DF0 @  "
                                            ";:H ECN A U  D0,0 UF0 @  "
                                            ";:H ECN A U  D0,0 DF0 @  "));
  }

  void calibrationInvertsTheFlagEvenWhenNothingIsSent() {
    SilentView view;
    PrintRun run(view);
    const QString message = MessageOf([&] { run.sendCalibration("ttyVelmarNoSuchPort"); });
    QCOMPARE(message, QString("Попытка открыть несуществующий COM-порт"));
    QCOMPARE(run.StopFlag(), true);
  }

  void openFailures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("holdIt");
    QTest::addColumn<QString>("message");
    QTest::newRow("held by another program") << QString() << true << "Порт занят другой программой";
    QTest::newRow("no such device") << "ttyVelmarNoSuchPort" << false
                                    << "Попытка открыть несуществующий COM-порт";
    QTest::newRow("no such path") << "/dev/velmar/none" << false << "Попытка открыть несуществующий COM-порт";
    QTest::newRow("empty name") << "" << false << "Попытка открыть несуществующий COM-порт";
    QTest::newRow("not a serial device") << "/dev/null" << false << "Ошибка функции SetupComm";
  }
  void openFailures() {
    QFETCH(QString, name);
    QFETCH(bool, holdIt);
    QFETCH(QString, message);
    PtyMachine machine;
    if (name.isEmpty() && holdIt) name = machine.path();
    QSerialPort other;
    if (holdIt) {
      other.setPortName(machine.path());
      QVERIFY(other.open(QIODevice::ReadWrite));
    }
    SilentView view;
    PrintRun run(view);
    QCOMPARE(MessageOf([&] { run.sendTest(name); }), message);
    QVERIFY(!run.link().isOpen());
    if (holdIt) {
      // Once the other program lets go, the next click gets through.
      other.close();
      run.sendTest(name);
      QTest::qWait(20);
      QCOMPARE(machine.received(), QByteArray::fromStdString(TestCommand()));
    } else {
      QTest::qWait(20);
      QCOMPARE(machine.count(), 0);
    }
  }

  void portNameIsRefusedWhileOpen() {
    PtyMachine machine;
    SerialLink link;
    link.setPortName(machine.path());
    link.open();
    link.open();  // already open: nothing happens
    QCOMPARE(MessageOf([&] { link.setPortName(machine.path()); }),
             QString("Нельзя менять свойство, пока порт открыт"));
    QCOMPARE(MessageOf([&] { link.setPortName("COM3"); }), QString("Нельзя менять свойство, пока порт открыт"));
    QCOMPARE(link.portName(), machine.path());
    link.close();
    link.close();  // already closed: nothing happens
    link.setPortName("COM3");
    QCOMPARE(link.devicePath(), QString("/dev/ttyS2"));
  }

  void writeAndReadBlockUntilDone() {
    PtyMachine machine;
    SerialLink link;
    link.setPortName(machine.path());
    link.open();
    QCOMPARE(link.write(""), qint64{0});
    QCOMPARE(link.write("U0,0 "), qint64{5});
    machine.send("abc");
    QCOMPARE(link.read(1), QByteArray("a"));
    QCOMPARE(link.read(2), QByteArray("bc"));
    link.close();
    QTest::qWait(20);
    QCOMPARE(machine.received(), QByteArray("U0,0 "));
  }

  void closeDropsUnreadInput() {
    PtyMachine machine;
    SerialLink link;
    link.setPortName(machine.path());
    link.open();
    machine.send("x");
    QTRY_COMPARE_WITH_TIMEOUT(link.port().bytesAvailable() + 0, qint64{1}, 2000);
    machine.send("y");
    QTest::qWait(20);
    link.close();
    link.open();
    QTest::qWait(30);
    QCOMPARE(link.port().bytesAvailable(), qint64{0});
    link.close();
  }

  void failedOperationsAfterHangUp() {
    auto machine = std::make_unique<PtyMachine>();
    SerialLink link;
    link.setPortName(machine->path());
    link.open();
    machine->hangUp();
    QCOMPARE(MessageOf([&] { link.write("U0,0 "); }), QString("Ошибка записи в порт"));
    link.abandon();
    QVERIFY(!link.isOpen());
  }

  void textLinesSplit_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("compiled with --lines") << QByteArray(";:H ECN A U  \nU5,0 D5,0 D5,30 U5,30 \nUF @    \n")
                                           << QStringList{";:H ECN A U  ", "U5,0 D5,0 D5,30 U5,30 ", "UF @    "};
    QTest::newRow("CR LF") << QByteArray("IN;\r\nSP1;\r\n") << QStringList{"IN;", "SP1;"};
    QTest::newRow("no end after the last") << QByteArray("U0,0 \nUF @    ") << QStringList{"U0,0 ", "UF @    "};
    QTest::newRow("empty line kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
  }
  void textLinesSplit() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, lines);
    QCOMPARE(LinesOf(JobFromTextLines(text.toStdString())), lines);
  }

  void rawBytesSplitAtJobLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("compiled job") << QByteArray(";:H ECN A U  U5,0 D5,0 D5,30 U5,30 U10,30 D10,30 D10,20 U10,20 "
                                                "U10,10 D10,10 D10,0 U10,0 U0,10000 U0,0 UF @    ")
                                  << QStringList{";:H ECN A U  ",
                                                 "U5,0 D5,0 D5,30 U5,30 ",
                                                 "U10,30 D10,30 D10,20 U10,20 ",
                                                 "U10,10 D10,10 D10,0 U10,0 ",
                                                 "U0,10000 ",
                                                 "U0,0 ",
                                                 "UF @    "};
    QTest::newRow("empty picture") << QByteArray(";:H ECN A U  U0,10000 U0,0 UF @    ")
                                   << QStringList{";:H ECN A U  ", "U0,10000 ", "U0,0 ", "UF @    "};
    QTest::newRow("no header") << QByteArray("U1,2 D1,2 D1,9 U1,9 U0,0 ")
                               << QStringList{"U1,2 D1,2 D1,9 U1,9 ", "U0,0 "};
    QTest::newRow("header only, unfinished") << QByteArray(";:H ECN") << QStringList{";:H ECN"};
    QTest::newRow("no blanks at all") << QByteArray("U0,0UF@") << QStringList{"U0,0UF@"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
  }
  void rawBytesSplitAtJobLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const JobText job = JobFromRawDmpl(bytes.toStdString());
    QCOMPARE(LinesOf(job), lines);
    QCOMPARE(QByteArray::fromStdString(job.joined()), bytes);
  }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "SerialLinkTest.moc"
