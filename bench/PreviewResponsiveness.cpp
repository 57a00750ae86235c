// How soon the final preview is on screen after a track bar is dragged
// across its whole range on a 12-megapixel picture. Run with
// QT_QPA_PLATFORM=offscreen.
//
// The drag: a timer moves the bar as a hand would, to where it should be at
// that moment (across the range in 1.5 s), as often as the event loop lets
// it; every position passed on the way is a change event of its own. For
// each panel the program reports the cost of one preview, how many change
// events came and how many previews were built, and the time from the last
// change event to the first paint of the final preview.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "app/MainForm.h"
#include "bench/BenchPictures.h"
#include "workspace/PictureFiles.h"
#include "workspace/PictureImage.h"

namespace {

class OpenFile : public velmar::UiServices {
 public:
  QString name;
  bool executeOpen(QWidget*, velmar::FileDialog& d) override {
    d.fileName = name;
    return true;
  }
  bool executeSave(QWidget*, velmar::FileDialog&) override { return false; }
  void showError(QWidget*, const QString&, const QString& m) override {
    std::fprintf(stderr, "error: %s\n", qPrintable(m));
  }
};

// Counts previews (paints of the view) and notes the time of each.
class PaintProbe : public QObject {
 public:
  QElapsedTimer* clock = nullptr;
  qint64 lastPaint = -1;
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++paints;
      lastPaint = clock->nsecsElapsed();
    }
    return false;
  }
};

void drag(velmar::TMainForm& form, QSlider* bar, const char* what, int from, int to) {
  // One preview's cost, built on its own.
  QElapsedTimer one;
  bar->setValue(from + 1);
  one.start();
  form.flushPreview();
  const double previewMs = one.nsecsElapsed() / 1e6;
  bar->setValue(from);
  form.flushPreview();
  QApplication::processEvents();

  QElapsedTimer clock;
  PaintProbe probe;
  probe.clock = &clock;
  form.Img->installEventFilter(&probe);
  int changes = 0;
  qint64 lastChange = 0;
  QTimer hand;
  hand.setInterval(4);
  const qint64 duration = 1500LL * 1000 * 1000;
  QObject::connect(&hand, &QTimer::timeout, [&] {
    const qint64 t = clock.nsecsElapsed();
    const int v = t >= duration ? to : from + static_cast<int>((to - from) * t / duration);
    // Every position the hand passed since the last turn arrives as its own
    // change event, as the mouse moves queued meanwhile would.
    while (bar->value() != v) {
      bar->setValue(bar->value() + (v > bar->value() ? 1 : -1));
      ++changes;
      lastChange = clock.nsecsElapsed();
    }
    if (v == to) hand.stop();
  });
  clock.start();
  hand.start();
  while (hand.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  // Let the last preview be built and painted.
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  form.Img->removeEventFilter(&probe);
  std::printf("%-28s one preview %6.1f ms | %3d changes, %3d paints | last change -> final preview on screen %6.1f ms"
              " (%.2f previews)\n",
              what, previewMs, changes, probe.paints, (probe.lastPaint - lastChange) / 1e6,
              (probe.lastPaint - lastChange) / 1e6 / previewMs);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString file = QStringLiteral("/tmp/velmar-responsiveness.bmp");
  velmar::SaveBmpFile(velmar::bench::PhotoLike(4000, 3000), file);
  OpenFile ui;
  ui.name = file;
  velmar::TMainForm form(&ui);
  form.show();
  QApplication::processEvents();
  form.actLoadFile->trigger();
  QApplication::processEvents();

  drag(form, form.LumValue, "brightness", -100, 100);
  form.LumValue->setValue(0);
  form.pgc1->setCurrentIndex(2);
  form.Binary1->setChecked(true);
  form.flushPreview();
  drag(form, form.BinaryValue, "threshold after FS dither", 0, 255);
  form.pgc1->setCurrentIndex(5);
  form.flushPreview();
  drag(form, form.DitheringValue, "level dither", 0, 255);
  QFile::remove(file);
  return 0;
}
