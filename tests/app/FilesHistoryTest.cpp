#include <QFile>
#include <QTest>

#include "imaging/Tone.h"
#include "tests/app/WindowFixtures.h"

using namespace velmar;
using namespace velmar::testing;

class FilesHistoryTest : public QObject {
  Q_OBJECT

 private slots:
  void loadSetsPictureHistoryNameViewAndStatus() {
    Window w;
    const Picture photo = Varied(640, 480);
    w.load(photo);
    QCOMPARE(w.ui.lastOpen.title, QStringLiteral("Ouvrir une image"));
    QCOMPARE(w.ui.lastOpen.filters.size(), 3);
    QCOMPARE(w.ui.lastOpen.filters[0].second, QStringLiteral("*.bmp*;*.jpg*;*.jpeg*"));
    QCOMPARE(w.ui.lastOpen.filterIndex, 1);
    QVERIFY(w.ui.errors.isEmpty());
    QVERIFY(w.view() == photo);
    QVERIFY(w.form->CommittedImage == photo);
    QCOMPARE(w.form->HistoryList.count(), 1);
    QCOMPARE(w.form->HistoryIndex(), 0);
    QCOMPARE(w.form->CurrentFileName, w.path("photo.bmp"));
    QCOMPARE(w.form->statusText(), QStringLiteral("  \"%1\", 640 на 480 точек.").arg(w.path("photo.bmp")));
    const QRect g = w.form->Img->geometry();
    QCOMPARE(w.form->ViewRect.left, g.left());
    QCOMPARE(w.form->ViewRect.right, g.left() + g.width());
  }

  void cancelledOrFailedLoadChangesNothing() {
    Window w;
    const Picture photo = Varied(20, 10);
    w.load(photo);
    const QString status = w.form->statusText();
    const auto home = w.form->ViewRect;
    w.form->Img->setGeometry(5, 6, 70, 80);  // a zoom since the load

    w.ui.nextOpenName.clear();  // cancel
    w.form->actLoadFile->trigger();

    QFile bad(w.path("broken.bmp"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("BM this is not a bitmap");
    bad.close();
    w.ui.nextOpenName = w.path("broken.bmp");
    w.form->actLoadFile->trigger();
    QCOMPARE(w.ui.errors.size(), 1);
    QCOMPARE(w.ui.lastCaption, QStringLiteral("DM/PL Laser Velmar"));
    QVERIFY(w.ui.errors[0].endsWith('.'));

    QVERIFY(w.view() == photo);
    QVERIFY(w.form->CommittedImage == photo);
    QCOMPARE(w.form->HistoryList.count(), 1);
    QCOMPARE(w.form->CurrentFileName, w.path("photo.bmp"));
    QCOMPARE(w.form->statusText(), status);
    QCOMPARE(w.form->ViewRect.left, home.left);
    QCOMPARE(w.form->ViewRect.right, home.right);
  }

  void saveProposesNamesAndWritesTheView() {
    Window w;
    w.ui.nextSaveName.clear();
    w.form->actSaveFile->trigger();
    QCOMPARE(w.ui.lastSave.fileName, QStringLiteral("Файл не загружен.bmp"));
    QCOMPARE(w.ui.lastSave.defaultExt, QStringLiteral("bmp"));
    QCOMPARE(w.ui.lastSave.filterIndex, 1);
    QCOMPARE(w.ui.lastSave.title, QStringLiteral("Enregistrer une image"));
    QCOMPARE(w.ui.lastSave.filters.size(), 4);
    QCOMPARE(w.ui.lastSave.filters[3].first, QStringLiteral("HP/GL Plt"));

    const Picture photo = Varied(30, 20);
    w.load(photo, QStringLiteral("a.b.bmp"));
    w.ui.nextSaveName = w.path("copy");  // no extension: ".bmp" is added
    w.form->actSaveFile->trigger();
    QCOMPARE(w.ui.lastSave.fileName, QStringLiteral("a.b.bmp"));
    QVERIFY(w.ui.errors.isEmpty());
    QVERIFY(PictureFromImage(QImage(w.path("copy.bmp"))) == photo);
  }

  void plotExportLeavesTheMemoAndPrintAlone() {
    Window w;
    w.form->actMake->trigger();  // the memo shows this job
    const auto compiled = w.form->JobLines;
    w.form->btnPrint->setEnabled(false);
    w.ui.nextSaveName = w.path("out");
    w.form->actPltSave->trigger();
    QCOMPARE(w.ui.lastSave.fileName, QStringLiteral("Файл не загружен.plt"));
    QCOMPARE(w.ui.lastSave.filterIndex, 4);
    QCOMPARE(w.ui.lastSave.defaultExt, QStringLiteral("plt"));
    QFile plt(w.path("out.plt"));
    QVERIFY(plt.open(QIODevice::ReadOnly));
    const QByteArray text = plt.readAll();
    QCOMPARE(text.count("\r\n"), 22);
    QVERIFY(text.endsWith("LT;\r\nSP0;\r\n"));
    QVERIFY(w.form->JobLines != compiled);
    QCOMPARE(w.form->mmo1Lines->job(), compiled);
    QVERIFY(!w.form->btnPrint->isEnabled());

    // Cancelled: nothing written, the plot text stays the job.
    QFile::remove(w.path("out.plt"));
    w.ui.nextSaveName.clear();
    w.form->actPltSave->trigger();
    QVERIFY(!QFile::exists(w.path("out.plt")));
    QCOMPARE(w.form->JobLines->line(0).substr(0, 4), std::string_view("IN;\r"));
  }

  void historyWalksBackAndForth() {
    Window w;
    const Picture L = Varied(16, 12);
    w.load(L);
    w.form->pgc1->setCurrentIndex(1);  // "RGB": every preview lifts the channels
    w.settle();
    w.form->btn4->click();
    w.settle();
    const Picture A = w.form->CommittedImage;
    // Showing the sheet again previews on the new committed picture.
    w.form->pgc1->setCurrentIndex(0);
    w.form->pgc1->setCurrentIndex(1);
    w.settle();
    w.form->btn4->click();
    w.settle();
    const Picture B = w.form->CommittedImage;
    QCOMPARE(w.form->HistoryList.count(), 3);
    QCOMPARE(w.form->HistoryIndex(), 2);
    QVERIFY(!(A == L) && !(B == A));

    w.form->actUndo->trigger();
    QVERIFY(w.view() == A);
    w.form->actUndo->trigger();
    QVERIFY(w.view() == L);
    w.form->actUndo->trigger();
    QVERIFY(w.view() == L);
    QCOMPARE(w.form->HistoryIndex(), 0);
    w.form->actRedo->trigger();
    w.form->actRedo->trigger();
    w.form->actRedo->trigger();
    QVERIFY(w.view() == B);
    QCOMPARE(w.form->HistoryIndex(), 2);
    QVERIFY(w.form->CommittedImage == B);

    // Destroy removes the shown entry and shows the one before it.
    w.form->actDestroy->trigger();
    QCOMPARE(w.form->HistoryList.count(), 2);
    QCOMPARE(w.form->HistoryIndex(), 1);
    QVERIFY(w.view() == A);
    QVERIFY(w.form->CommittedImage == B);  // untouched
    w.form->actDestroy->trigger();
    w.form->actDestroy->trigger();  // entry 0 stays
    QCOMPARE(w.form->HistoryList.count(), 1);
    QVERIFY(w.view() == L);
  }

  void commandsWithNothingLoaded() {
    Window w;
    for (QAction* a : {w.form->actUndo, w.form->actRedo, w.form->actApply, w.form->actDestroy}) a->trigger();
    QVERIFY(w.ui.errors.isEmpty());
    QCOMPARE(w.form->HistoryList.count(), 0);
    w.form->pgc1->setCurrentIndex(1);
    w.form->RValue->setValue(-30);
    w.form->btn4->click();
    QCOMPARE(w.ui.errors, QStringList{QStringLiteral("Invalid image size.")});
    QCOMPARE(w.form->RValue->value(), -30);  // nothing reset
    QCOMPARE(w.form->HistoryList.count(), 0);
    QVERIFY(w.form->CommittedImage.empty());
  }
};

QTEST_MAIN(FilesHistoryTest)
#include "FilesHistoryTest.moc"
