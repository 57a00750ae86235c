#include <QElapsedTimer>
#include <QTest>

#include "imaging/Dither.h"
#include "imaging/Effects.h"
#include "imaging/Tone.h"
#include "job/DmplJob.h"
#include "tests/app/WindowFixtures.h"

using namespace velmar;
using namespace velmar::testing;

class PanelsTest : public QObject {
  Q_OBJECT

  static Picture after(const Picture& base, void (*routine)(Picture&)) {
    Picture p = base;
    routine(p);
    return p;
  }

 private slots:
  void brightnessAndContrastAtZeroRunNothing() {
    Window w;
    const Picture photo = Varied(24, 16);
    w.load(photo);
    w.form->LumValue->setValue(-10);  // brightness amount +10
    w.settle();
    Picture expected = photo;
    AdjustBrightness(expected, 10);
    QVERIFY(w.view() == expected);
    QCOMPARE(w.form->LumDisp->text(), QStringLiteral("10"));
    w.form->ContValue->setValue(25);  // contrast -25 on top of the brightness
    w.settle();
    AdjustContrast(expected, -25);
    QVERIFY(w.view() == expected);
    QCOMPARE(w.form->ContDisp->text(), QStringLiteral("-25"));
    w.form->LumValue->setValue(0);
    w.form->ContValue->setValue(0);
    w.settle();
    QVERIFY(w.view() == photo);
  }

  void rgbAtZeroStillLiftsEveryChannel() {
    Window w;
    w.load(MakePicture({{Gray(0), Gray(255), {10, 254, 100}}}));
    w.form->pgc1->setCurrentIndex(1);
    w.settle();
    QVERIFY(w.view() == MakePicture({{Gray(1), Gray(255), {11, 255, 101}}}));
    QCOMPARE(w.form->RDisp->text(), QStringLiteral("0"));
  }

  void binaryPanelRunsItsRoutinesInOrder() {
    Window w;
    const Picture photo = Varied(33, 21);
    w.load(photo);
    w.form->pgc1->setCurrentIndex(2);
    w.settle();
    QCOMPARE(w.form->BinDisp->text(), QStringLiteral("127"));
    w.form->GrayScale->setChecked(true);
    w.form->Binary1->setChecked(true);
    w.form->Binarize->setChecked(true);
    w.form->rg1Items->button(1)->setChecked(true);
    w.settle();
    Picture expected = photo;
    MakeGrayScale(expected);
    DitherFloydSteinberg(expected);
    MakeBinary(127, 1, expected);
    QVERIFY(w.view() == expected);

    // Apply: the threshold goes to 0, gray and threshold are cleared, the
    // dithers stay ticked and preview again on the new committed picture.
    w.form->btn6->click();
    w.settle();
    QCOMPARE(w.form->BinaryValue->value(), 255);
    QCOMPARE(w.form->BinDisp->text(), QStringLiteral("0"));
    QVERIFY(w.form->Binary1->isChecked());
    QVERIFY(!w.form->GrayScale->isChecked() && !w.form->Binarize->isChecked());
    QCOMPARE(w.form->rg1Items->checkedId(), 0);
    QVERIFY(w.form->CommittedImage == expected);
    QVERIFY(w.view() == after(expected, DitherFloydSteinberg));
    QCOMPARE(w.form->HistoryList.count(), 2);
  }

  void effectsAndDitheringPanels() {
    Window w;
    const Picture photo = Varied(20, 14);
    w.load(photo);
    w.form->pgc1->setCurrentIndex(3);
    w.form->Blur->setChecked(true);
    w.form->Sepia->setChecked(true);
    w.form->SepiaValue->setValue(20);
    w.form->GaussValue->setValue(3);  // its box is off: no change, but a rebuild
    w.settle();
    Picture expected = photo;
    EffectBlur(expected);
    EffectSepia(expected, 20);
    QVERIFY(w.view() == expected);

    w.form->btn5->click();
    w.settle();
    QVERIFY(!w.form->Blur->isChecked() && !w.form->Sepia->isChecked());
    QCOMPARE(w.form->SepiaValue->value(), 0);
    QCOMPARE(w.form->GaussValue->value(), 0);
    QVERIFY(w.view() == expected);

    w.form->pgc1->setCurrentIndex(5);
    w.settle();
    QCOMPARE(w.form->DitDisp->text(), QStringLiteral("255"));
    QCOMPARE(w.form->MinDisp->text(), QStringLiteral("0"));
    QCOMPARE(w.form->MaxDisp->text(), QStringLiteral("255"));
    w.form->DitheringValue->setValue(247);  // Dither 8
    w.settle();
    Picture levels = expected;
    DitherLevels(levels, 0, 255, 8);
    QVERIFY(w.view() == levels);
    w.form->btn8->click();
    w.settle();
    QCOMPARE(w.form->DitheringValue->value(), 0);
    QVERIFY(w.form->CommittedImage == levels);
  }

  void leavingAPanelDropsItsPreviewBeforeCompile() {
    Window w;
    const Picture photo = Varied(12, 5);
    w.load(photo);
    w.form->LumValue->setValue(-50);
    w.settle();
    QVERIFY(!(w.view() == photo));
    w.form->pgc1->setCurrentIndex(6);
    QVERIFY(w.view() == photo);
    w.form->actMake->trigger();
    QCOMPARE(w.form->JobLines->joined(), CompileDmpl(photo, 1, 1).joined());
    // Back on the panel the preview comes back with its settings.
    w.form->pgc1->setCurrentIndex(0);
    w.settle();
    Picture expected = photo;
    AdjustBrightness(expected, 50);
    QVERIFY(w.view() == expected);
  }

  void savingDuringAPreviewWritesThePreview() {
    Window w;
    const Picture photo = Varied(12, 9);
    w.load(photo);
    w.form->LumValue->setValue(40);  // amount -40; not built yet when Save runs
    w.ui.nextSaveName = w.path("preview.bmp");
    w.form->actSaveFile->trigger();
    Picture expected = photo;
    AdjustBrightness(expected, -40);
    QVERIFY(PictureFromImage(QImage(w.path("preview.bmp"))) == expected);
  }

  void applyWithNothingLoadedResetsNothing() {
    Window w;
    w.form->LumValue->setValue(-20);
    w.form->btn3->click();
    QCOMPARE(w.ui.errors, QStringList{QStringLiteral("Invalid image size.")});
    QCOMPARE(w.form->LumValue->value(), -20);
    QCOMPARE(w.form->HistoryList.count(), 0);
  }

  void undoThenSliderBuildsOnTheCommittedPicture() {
    Window w;
    const Picture L = Varied(10, 8);
    w.load(L);
    w.form->LumValue->setValue(-10);
    w.form->btn3->click();  // A = L + brightness 10
    w.settle();
    const Picture A = w.form->CommittedImage;
    w.form->LumValue->setValue(-20);
    w.form->btn3->click();  // B = A + brightness 20
    w.settle();
    const Picture B = w.form->CommittedImage;

    w.form->actUndo->trigger();
    QVERIFY(w.view() == A);
    w.form->LumValue->setValue(-5);
    w.settle();
    Picture onB = B;
    AdjustBrightness(onB, 5);
    QVERIFY(w.view() == onB);

    w.form->actUndo->trigger();  // shows L (index 0)
    w.form->actRedo->trigger();  // shows A again
    w.form->actApply->trigger();
    QVERIFY(w.form->CommittedImage == A);
    QCOMPARE(w.form->HistoryIndex(), 1);
    w.form->LumValue->setValue(-6);
    w.settle();
    Picture onA = A;
    AdjustBrightness(onA, 6);
    QVERIFY(w.view() == onA);
  }

  void changesDuringABusyPreviewAreCoalesced() {
    // Many changes before the event loop comes round build one preview, of
    // the newest settings.
    Window w;
    const Picture photo = Varied(40, 30);
    w.load(photo);
    w.form->pgc1->setCurrentIndex(2);
    w.form->Binary1->setChecked(true);
    w.settle();
    for (int v = 0; v <= 255; v += 5) w.form->BinaryValue->setValue(v);
    w.form->Binarize->setChecked(true);
    w.settle();
    Picture expected = photo;
    DitherFloydSteinberg(expected);
    MakeBinary(static_cast<std::uint8_t>(255 - w.form->BinaryValue->value()), 0, expected);
    QVERIFY(w.view() == expected);
    QCOMPARE(w.form->BinDisp->text(), QString::number(255 - w.form->BinaryValue->value()));
  }
};

QTEST_MAIN(PanelsTest)
#include "PanelsTest.moc"
