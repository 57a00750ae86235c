#include <QTest>
#include <QWheelEvent>

#include "app/MainForm.h"
#include "tests/TestPictures.h"
#include "tests/app/FakeUi.h"

using namespace velmar;
using velmar::testing::FakeUi;

namespace {

// A wheel event as the platform sends it, at a point of Img.
bool turnWheel(TMainForm& form, QWidget* over, QPoint at, int delta) {
  const QPointF global = over->mapToGlobal(QPointF(at));
  QWheelEvent e(QPointF(at), global, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                false);
  e.setAccepted(false);
  QApplication::sendEvent(over, &e);
  Q_UNUSED(form);
  return e.isAccepted();
}

}  // namespace

class ViewTest : public QObject {
  Q_OBJECT

  FakeUi ui;
  std::unique_ptr<TMainForm> form;

 private slots:
  void init() {
    form = std::make_unique<TMainForm>(&ui);
    form->Img->setPicture(Picture(64, 48));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->Img->geometry(), QRect(1, 1, 611, 540));
  }
  void cleanup() { form.reset(); }

  void wheelZoomsOneStepAboutThePointer_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("in") << 120 << QRect(-30, -26, 672, 594);
    QTest::newRow("out") << -120 << QRect(32, 28, 550, 486);
    QTest::newRow("small rotation") << 30 << QRect(-30, -26, 672, 594);
    QTest::newRow("large rotation") << 240 << QRect(-30, -26, 672, 594);
  }
  void wheelZoomsOneStepAboutThePointer() {
    QFETCH(int, delta);
    QFETCH(QRect, expected);
    QVERIFY(turnWheel(*form, form->Img, QPoint(305, 270), delta));
    QCOMPARE(form->Img->geometry(), expected);
  }

  void wheelOutsideThePictureStaysUnhandled() {
    QVERIFY(!form->FormMouseWheel(120, form->Panel2->mapToGlobal(QPoint(20, 20))));
    QVERIFY(!form->FormMouseWheel(120, form->Panel3->mapToGlobal(QPoint(20, 20))));
    QCOMPARE(form->Img->geometry(), QRect(1, 1, 611, 540));
    QVERIFY(!form->FormMouseWheel(0, form->Img->mapToGlobal(QPoint(20, 20))));
  }

  void growthStopsAtSixteenTimesTheClient() {
    const QSize client = form->centralWidget()->size();
    form->Img->setGeometry(0, 0, 100, 16 * client.height());
    QVERIFY(!form->FormMouseWheel(120, form->ImgPanel->mapToGlobal(QPoint(10, 10))));
    QCOMPARE(form->Img->height(), 16 * client.height());
  }

  void everyButtonPans_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
  }
  void everyButtonPans() {
    QFETCH(Qt::MouseButton, button);
    QTest::mousePress(form->Img, button, {}, QPoint(100, 80));
    QVERIFY(form->Dragging);
    QVERIFY(!form->Img->isEnabled());
    QCOMPARE(form->DragOffset, QPoint(100, 80));
    form->FormMouseMove(300, 200);
    QCOMPARE(form->Img->geometry(), QRect(200, 120, 611, 540));
    // Outside the panel the picture stays where it is.
    form->FormMouseMove(-5, 200);
    form->FormMouseMove(300, 900);
    QCOMPARE(form->Img->geometry(), QRect(200, 120, 611, 540));
    QTest::mouseRelease(form.get(), button, {}, QPoint(300, 200));
    QVERIFY(!form->Dragging);
    QVERIFY(form->Img->isEnabled());
    form->FormMouseMove(10, 10);  // no drag: nothing moves
    QCOMPARE(form->Img->geometry(), QRect(200, 120, 611, 540));
  }

  void doubleClickGoesHomeWithoutStartingAPan() {
    QVERIFY(turnWheel(*form, form->Img, QPoint(305, 270), 120));
    form->ImgMouseDown(Qt::LeftButton, true, 10, 10);  // the second press of a double click
    QVERIFY(!form->Dragging);
    QTest::mouseDClick(form->Img, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!form->Dragging);
    QCOMPARE(form->Img->geometry(), QRect(1, 1, 611, 540));
  }

  void resizeAfterZoomFitsAgain() {
    QVERIFY(turnWheel(*form, form->Img, QPoint(305, 270), 120));
    form->resize(form->width() + 40, form->height() + 30);
    QTRY_COMPARE(form->ImgPanel->width(), 653);
    QCOMPARE(form->Img->geometry(), form->ImgPanel->contentsRect());
    QCOMPARE(form->ViewRect.right, form->ImgPanel->contentsRect().right() + 1);
    QCOMPARE(form->ViewRect.bottom, form->ImgPanel->contentsRect().bottom() + 1);
    // Moving the splitter fits as well.
    QVERIFY(turnWheel(*form, form->Img, QPoint(10, 10), -120));
    form->spl1->setSizes({600, 237});
    QCOMPARE(form->Img->geometry(), form->ImgPanel->contentsRect());
  }
};

QTEST_MAIN(ViewTest)
#include "ViewTest.moc"
