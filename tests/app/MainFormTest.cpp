#include <QSignalSpy>
#include <QTimer>
#include <QTabBar>
#include <QTest>
#include <stdexcept>

#include "app/MainForm.h"
#include "job/Commands.h"
#include "tests/TestPictures.h"
#include "tests/app/FakeUi.h"

using namespace velmar;
using velmar::testing::FakeUi;
using velmar::testing::Gray;
using velmar::testing::MakePicture;

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithThePortListAndItsText() {
    FakeUi ui;
    TMainForm form(&ui);
    QCOMPARE(form.Port->count(), 20);
    QCOMPARE(form.Port->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(form.Port->itemText(19), QStringLiteral("COM20"));
    QCOMPARE(form.Port->currentText(), QStringLiteral("COM1"));
    QVERIFY(form.Port->isEditable());
  }

  void printButtonsAreDisabledUntilCompile() {
    FakeUi ui;
    TMainForm form(&ui);
    for (QToolButton* b : {form.btnPrint, form.btnStart, form.btnPause, form.btnStop}) QVERIFY(!b->isEnabled());
    // Only the buttons: their actions stay enabled.
    for (QAction* a : {form.actPrint, form.actStart, form.actPause, form.actStop}) QVERIFY(a->isEnabled());
    QVERIFY(!form.JobLines);
    form.actMake->trigger();
    QVERIFY(form.btnPrint->isEnabled());
    for (QToolButton* b : {form.btnStart, form.btnPause, form.btnStop}) QVERIFY(!b->isEnabled());
  }

  void sheetsInOrderWithTheLevelsSheetHidden() {
    FakeUi ui;
    TMainForm form(&ui);
    const QStringList captions = {"Яркость/контраст", "RGB", "Оттенки серого/Двоичный", "Эффекты",
                                  "Уровни", "Dithering", "Печать"};
    QCOMPARE(form.pgc1->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) QCOMPARE(form.pgc1->tabText(i), captions[i]);
    QCOMPARE(form.pgc1->currentIndex(), 0);
    QCOMPARE(form.pgc1->tabPosition(), QTabWidget::East);
    QVERIFY(!form.pgc1->isTabVisible(4));
    QVERIFY(!form.ts5->isEnabled());
    for (int i : {0, 1, 2, 3, 5, 6}) QVERIFY(form.pgc1->isTabVisible(i));
  }

  void controlsStartAtTheirDefaults() {
    FakeUi ui;
    TMainForm form(&ui);
    struct Bar { QSlider* s; int min, max, pos; Qt::Orientation o; };
    const Bar bars[] = {
        {form.LumValue, -100, 100, 0, Qt::Vertical},     {form.ContValue, -100, 100, 0, Qt::Vertical},
        {form.RValue, -100, 100, 0, Qt::Vertical},       {form.GValue, -100, 100, 0, Qt::Vertical},
        {form.BValue, -100, 100, 0, Qt::Vertical},       {form.BinaryValue, 0, 255, 128, Qt::Vertical},
        {form.GaussValue, 0, 10, 0, Qt::Horizontal},     {form.PrecizeValue, 0, 255, 0, Qt::Horizontal},
        {form.SepiaValue, 0, 255, 0, Qt::Horizontal},    {form.BottomValue, 0, 255, 255, Qt::Vertical},
        {form.MidValue, 0, 255, 127, Qt::Vertical},      {form.TopValue, 0, 255, 0, Qt::Vertical},
        {form.MinLev, 0, 255, 255, Qt::Vertical},        {form.MaxLev, 0, 255, 0, Qt::Vertical},
        {form.DitheringValue, 0, 255, 0, Qt::Vertical},  {form.PassVal, 1, 255, 1, Qt::Horizontal},
        {form.PixelVal, 1, 100, 1, Qt::Horizontal},
    };
    for (const Bar& b : bars) {
      QCOMPARE(b.s->minimum(), b.min);
      QCOMPARE(b.s->maximum(), b.max);
      QCOMPARE(b.s->value(), b.pos);
      QCOMPARE(b.s->orientation(), b.o);
    }
    for (QCheckBox* c : {form.GrayScale, form.Binary1, form.Binary2, form.Binary3, form.Binary4, form.Binary5,
                         form.Binarize, form.Blur, form.Noise_Blur, form.Gaussian_Blur, form.Finger_Blur,
                         form.Precise, form.Pixellize, form.Sepia})
      QVERIFY(!c->isChecked());
    QCOMPARE(form.rg1Items->checkedId(), 0);
    QCOMPARE(form.PassDisp->text(), QStringLiteral("1"));
    QCOMPARE(form.PixelDisp->text(), QStringLiteral("1"));
    QCOMPARE(form.Writed->text(), QStringLiteral("0"));
    QCOMPARE(form.sleeps->text(), QString());
    QCOMPARE(form.CurrentFileName, QStringLiteral("Файл не загружен"));
    QVERIFY(form.CommittedImage.empty());
    QCOMPARE(form.windowTitle(), QStringLiteral("DM/PL laser Velmar"));
    QCOMPARE(form.btnMake->text(), QStringLiteral("Компиляция"));
    QCOMPARE(form.btnMake->size(), QSize(104, 33));
    QCOMPARE(form.btnPltSave->size(), QSize(43, 33));
    QCOMPARE(form.btnPrint->size(), QSize(33, 33));
    QCOMPARE(form.btnUndo->size(), QSize(41, 33));
  }

  void fileMenuHoldsLoadSaveAndExit() {
    FakeUi ui;
    TMainForm form(&ui);
    QCOMPARE(form.mm1File->title(), QStringLiteral("Файл"));
    const auto items = form.mm1File->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0], form.actLoadFile);
    QCOMPARE(items[1], form.actSaveFile);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[3], form.actExit);
    for (QAction* a : {form.actUndo, form.actRedo, form.actApply, form.actDestroy, form.actStart, form.actStop,
                       form.actPrint, form.actMake, form.actPause, form.actPltSave, form.actLoadFile,
                       form.actSaveFile, form.actExit})
      QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
  }

  void compileShowsTheJobAndTheLastLabels() {
    FakeUi ui;
    TMainForm form(&ui);
    form.Img->setPicture(MakePicture({{Gray(0), Gray(128), Gray(170), Gray(255)}, {Gray(0), Gray(0), Gray(0), Gray(0)}}));
    form.PixelVal->setValue(10);
    form.PassVal->setValue(2);
    QCOMPARE(form.PixelDisp->text(), QStringLiteral("10"));
    QCOMPARE(form.PassDisp->text(), QStringLiteral("2"));
    form.actMake->trigger();
    QVERIFY(form.JobLines);
    QCOMPARE(form.JobLines->line(1), std::string_view("U5,0 D5,0 D5,30 U5,30 "));
    QCOMPARE(form.PassCDisp->text(), QStringLiteral("Pass:2"));
    QCOMPARE(form.LineDisp->text(), QStringLiteral("Line:2"));
    QCOMPARE(form.mmo1->model()->rowCount(), static_cast<int>(form.JobLines->lineCount()));
    QCOMPARE(form.mmo1->model()->index(0, 0).data().toString(), QStringLiteral(";:H ECN A U  "));
    QVERIFY(ui.errors.isEmpty());
  }

  void compileWithNothingLoadedGivesTheFourLines() {
    FakeUi ui;
    TMainForm form(&ui);
    form.actMake->trigger();
    QVERIFY(form.JobLines);
    QCOMPARE(form.JobLines->joined("|"), std::string(";:H ECN A U  |U0,10000 |U0,0 |UF @    |"));
    // No row was walked: the progress labels keep their captions.
    QCOMPARE(form.PassCDisp->text(), QStringLiteral("0"));
    QCOMPARE(form.LineDisp->text(), QStringLiteral("0"));
    QVERIFY(form.btnPrint->isEnabled());
  }

  void compileIsRefusedWhileOneIsRunning() {
    // A long compile turns the event loop; a Compile click handled there must
    // not start a second walk.
    FakeUi ui;
    TMainForm form(&ui);
    velmar::Picture big(2000, 400);  // all black: many runs, several event-loop turns
    form.Img->setPicture(big);
    form.PassVal->setValue(50);
    int nested = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
      if (form.compiling()) {
        ++nested;
        form.actMakeExecute();
      }
    });
    poke.start(0);
    form.actMake->trigger();
    poke.stop();
    QVERIFY(nested > 0);
    QCOMPARE(form.LineDisp->text(), QStringLiteral("Line:400"));
    QCOMPARE(form.JobLines->lineCount(), std::size_t(1 + 400 * 50 + 3));
  }

  void errorBoxAddsAFullStopAfterLettersOnly() {
    const std::pair<QString, QString> cases[] = {
        {"Порт занят другой программой", "Порт занят другой программой."},
        {"Invalid image size", "Invalid image size."},
        {"Done.", "Done."},
        {"Ready!", "Ready!"},
        {"code 7", "code 7."},
        {"(x)", "(x)"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) QCOMPARE(WithFullStop(in), out);

    FakeUi ui;
    TMainForm form(&ui);
    form.guarded([] { throw std::runtime_error("Порт занят другой программой"); });
    QCOMPARE(ui.errors, QStringList{QStringLiteral("Порт занят другой программой.")});
    QCOMPARE(ui.lastCaption, QStringLiteral("DM/PL Laser Velmar"));
  }

  void regionsHaveTheirDesignSizes() {
    FakeUi ui;
    TMainForm form(&ui);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.ImgPanel->size(), QSize(613, 542));
    QCOMPARE(form.Panel2->width(), 184);
    QCOMPARE(form.Panel3->height(), 54);
    QCOMPARE(form.pnl1->height(), 41);
    QCOMPARE(form.Img->geometry(), QRect(1, 1, 611, 540));
    QCOMPARE(form.ViewRect.left, 1);
    QCOMPARE(form.ViewRect.bottom, 541);
    // Every reachable tab fits along the bar.
    QTabBar* bar = form.pgc1->findChild<QTabBar*>();
    QVERIFY(bar);
    QVERIFY(bar->tabRect(6).bottom() <= bar->height());
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
