#include <QTest>

#include "job/Commands.h"
#include "tests/app/WindowFixtures.h"
#include "tests/link/PtyMachine.h"

using namespace velmar;
using namespace velmar::testing;
using velmar::test::PtyMachine;

namespace {

std::shared_ptr<const JobText> Lines(int count, int length) {
  auto job = std::make_shared<JobText>();
  for (int i = 0; i < count; ++i) {
    std::string line(static_cast<std::size_t>(length - 1), static_cast<char>('a' + i % 26));
    job->addLine(line + ' ');
  }
  return job;
}

bool Enabled(QToolButton* b) { return b->isEnabled(); }

}  // namespace

class PrintWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void directCommandsGoToThePortNamedInTheBox() {
    PtyMachine machine;
    Window w;
    w.form->Port->setEditText(machine.path());
    w.form->btn1->click();
    w.form->btnLine1000->click();
    w.form->btn2->click();
    w.form->btn2->click();
    QVERIFY(w.ui.errors.isEmpty());
    const QByteArray expected =
        ";:H ECN A U  U0,0 U10000,10000 U0,0 D0,0 D0,1000 U0,0UF @    "
        ";:H ECN A U  D0,0 D0,1000 U0,0UF @    "
        ";:H ECN A U  D0,0 DF0 @  "
        ";:H ECN A U  D0,0 UF0 @  ";
    QTRY_COMPARE(machine.received(), expected);
  }

  void aNameWithoutADeviceShowsTheError() {
    Window w;
    w.form->Port->setEditText(QStringLiteral("COM99"));
    w.form->btn1->click();
    QCOMPARE(w.ui.errors, QStringList{QStringLiteral("Попытка открыть несуществующий COM-порт.")});
  }

  void printWithAHandshakeAndACountingWaitEndedByStart() {
    PtyMachine machine;
    Window w;
    w.form->printRun->setSecondScale(20);  // a second of the pause clock lasts 20 ms
    w.form->Port->setEditText(machine.path());
    w.form->actMake->trigger();  // enables Print
    QVERIFY(Enabled(w.form->btnPrint));
    w.form->JobLines = Lines(80, 1000);
    w.form->actPrint->trigger();
    QVERIFY(w.ui.errors.isEmpty());
    QVERIFY(!Enabled(w.form->btnPrint));
    QVERIFY(Enabled(w.form->btnStop));

    // 65 lines go out, then the run waits for the machine's byte.
    QTRY_COMPARE(machine.count(), qsizetype(65000));
    QTest::qWait(50);
    QCOMPARE(machine.count(), qsizetype(65000));

    // Compile and export are refused while the job is being sent; direct
    // commands fail without touching the stop request.
    const auto job = w.form->JobLines;
    w.form->actMake->trigger();
    w.form->actPltSave->trigger();
    QCOMPARE(w.form->JobLines, job);
    w.form->btn2->click();
    QCOMPARE(w.ui.errors.value(0), QStringLiteral("Нельзя менять свойство, пока порт открыт."));
    QVERIFY(!w.form->printRun->StopFlag());

    machine.send("!");
    QTRY_COMPARE(w.form->sleeps->text(), QStringLiteral("Ждемс!"));
    QVERIFY(Enabled(w.form->btnStart));
    QVERIFY(!Enabled(w.form->btnPause));
    QTRY_VERIFY(w.form->Writed->text().toInt() >= 2);  // seconds being counted
    w.form->btnStart->click();
    QTRY_COMPARE(machine.count(), qsizetype(80000));
    QTRY_VERIFY(!Enabled(w.form->btnStop));
    QVERIFY(Enabled(w.form->btnPause));
    QVERIFY(!Enabled(w.form->btnStart));
    QVERIFY(!Enabled(w.form->btnPrint));
    QCOMPARE(w.form->Writed->text(), QStringLiteral("80000"));
    QCOMPARE(w.form->sleeps->text(), QStringLiteral("Работаем!"));
    QCOMPARE(w.ui.errors.size(), 1);
  }

  void stopSendsThePenHomeAndClosesTheJob() {
    PtyMachine machine;
    Window w;
    w.form->Port->setEditText(machine.path());
    w.form->actMake->trigger();
    w.form->JobLines = Lines(100, 1000);
    w.form->actPrint->trigger();
    QTRY_COMPARE(machine.count(), qsizetype(65000));
    w.form->btnStop->click();  // while the handshake byte is awaited
    QTRY_VERIFY(!Enabled(w.form->btnStop));
    QCOMPARE(w.form->sleeps->text(), QString());
    QCOMPARE(w.form->Writed->text(), QStringLiteral("0"));
    for (QToolButton* b : {w.form->btnPrint, w.form->btnStart, w.form->btnPause}) QVERIFY(!Enabled(b));
    // The port is free again.
    w.form->btn1->click();
    QTRY_VERIFY(machine.received().endsWith("U0,0UF @    "));
    QVERIFY(w.ui.errors.isEmpty());
  }
};

QTEST_MAIN(PrintWindowTest)
#include "PrintWindowTest.moc"
