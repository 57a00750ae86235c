// The window's side of a compile: the whole Compile handler against the core
// alone on the same picture, and how long the memo takes to show a job of a
// million lines. Run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainForm.h"
#include "bench/BenchPictures.h"
#include "job/DmplJob.h"

namespace {

template <class F>
double bestMs(int runs, F&& f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    f();
    best = std::min(best, t.nsecsElapsed() / 1e6);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velmar::TMainForm form;
  form.show();
  form.pgc1->setCurrentIndex(6);
  QApplication::processEvents();

  const velmar::Picture photo = velmar::bench::PhotoLike(4000, 3000);
  form.Img->setPicture(photo);
  for (int passes : {1, 4}) {
    form.PassVal->setValue(passes);
    const double core = bestMs(3, [&] {
      velmar::JobText job = velmar::CompileDmpl(photo, 1, passes);
      (void)job;
    });
    const double window = bestMs(3, [&] {
      form.actMakeExecute();
      QApplication::processEvents();  // the memo lays out and paints its rows
    });
    const double handlerOnly = bestMs(3, [&] { form.actMakeExecute(); });
    QApplication::processEvents();
    std::printf("compile N=%d: core %.1f ms, window %.1f ms (%.2fx; handler alone %.1f ms), %zu lines\n", passes,
                core, window, window / core, handlerOnly, form.JobLines->lineCount());
  }

  // A job of a million lines shown in the memo.
  auto job = std::make_shared<velmar::JobText>();
  for (int i = 0; i < 1000000; ++i) job->addLine("U1234,5678 D1234,5678 D1234,5999 U1234,5999 ");
  job->finish();
  std::shared_ptr<const velmar::JobText> shared = job;
  const double show = bestMs(3, [&] {
    form.mmo1Lines->setJob(nullptr);
    QApplication::processEvents();
    QElapsedTimer t;
    form.mmo1Lines->setJob(shared);
    form.mmo1->scrollToBottom();
    form.mmo1->repaint();
    QApplication::processEvents();
  });
  std::printf("memo shows 1,000,000 lines in %.1f ms\n", show);
  return 0;
}
