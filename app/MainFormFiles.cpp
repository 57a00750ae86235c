// Picture files, the plot export and the edit history commands.
#include <QFile>

#include "app/MainForm.h"
#include "job/HpglJob.h"
#include "job/PlotFile.h"
#include "workspace/PictureFiles.h"

namespace velmar {

namespace {
const QList<QPair<QString, QString>> kPictureFilters = {
    {QStringLiteral("Картинка"), QStringLiteral("*.bmp*;*.jpg*;*.jpeg*")},
    {QStringLiteral("Bitmap (.bmp)"), QStringLiteral("*.bmp*")},
    {QStringLiteral("Image JPEG (.jpg, .jpeg)"), QStringLiteral("*.jpg*;*.jpeg*")},
};
}  // namespace

void TMainForm::setUpFileDialogs() {
  OpenDialog.title = QStringLiteral("Ouvrir une image");
  OpenDialog.filters = kPictureFilters;
  OpenDialog.filterIndex = 1;
  SaveDialog.title = QStringLiteral("Enregistrer une image");
  SaveDialog.filters = kPictureFilters;
  SaveDialog.filters.append({QStringLiteral("HP/GL Plt"), QStringLiteral("*.plt")});
  SaveDialog.filterIndex = 1;
}

void TMainForm::actLoadFileExecute() {
  if (!ui_->executeOpen(this, OpenDialog)) return;
  const QString name = OpenDialog.fileName;
  // Everything that can fail comes first: a file that does not load leaves
  // the picture, the history, the name and the view as they were.
  Picture loaded = LoadPictureFile(name);
  dropPendingPreview();  // the loaded picture replaces any preview
  Img->setPicture(loaded);
  HistoryList.reset(loaded);
  CommittedImage = std::move(loaded);
  CurrentFileName = name;
  const QRect bounds = Img->geometry();
  ViewRect = {bounds.left(), bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height()};
  setStatusText(PictureStatusText(CurrentFileName, Img->picture().width(), Img->picture().height()));
}

void TMainForm::actSaveFileExecute() {
  flushPreview();
  SaveDialog.defaultExt = QStringLiteral("bmp");
  SaveDialog.filterIndex = 1;
  SaveDialog.fileName = ProposedPictureName(CurrentFileName);
  if (!ui_->executeSave(this, SaveDialog)) return;
  SavePictureFile(Img->picture(), SaveDialog.fileName);
}

void TMainForm::actPltSaveExecute() {
  if (!walkView<HpglLineWriter>()) return;
  SaveDialog.defaultExt = QStringLiteral("plt");
  SaveDialog.filterIndex = 4;
  SaveDialog.fileName = ProposedPlotName(CurrentFileName);
  if (!ui_->executeSave(this, SaveDialog)) return;
  SavePlotFile(*JobLines, QFile::encodeName(SaveDialog.fileName).toStdString());
}

void TMainForm::actUndoExecute() {
  flushPreview();
  if (HistoryList.undo(Img->editPicture())) Img->pictureChanged();
}

void TMainForm::actRedoExecute() {
  flushPreview();
  if (HistoryList.redo(Img->editPicture())) Img->pictureChanged();
}

void TMainForm::actApplyExecute() {
  flushPreview();
  if (HistoryList.apply(Img->editPicture(), CommittedImage)) Img->pictureChanged();
}

void TMainForm::actDestroyExecute() {
  flushPreview();
  if (HistoryList.destroy(Img->editPicture())) Img->pictureChanged();
}

}  // namespace velmar
