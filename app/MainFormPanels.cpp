// The adjustment panels: live previews built from the committed picture and
// the apply buttons that commit them.
#include "app/MainForm.h"
#include "workspace/PanelRecipes.h"

namespace velmar {

// A change event only notes which panel wants a preview; the preview itself
// is built when the event loop comes round. Change events that arrive while
// a preview is being built (a track bar dragged across a big picture) then
// cost nothing, and the one preview built next is that of the newest
// settings. Whatever reads the view picture first brings it up to date.
void TMainForm::requestPreview(PreviewKind kind) {
  pendingPreview_ = kind;
  if (previewPosted_) return;
  previewPosted_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        previewPosted_ = false;
        guarded([this] { flushPreview(); });
      },
      Qt::QueuedConnection);
}

void TMainForm::dropPendingPreview() { pendingPreview_ = PreviewKind::None; }

void TMainForm::flushPreview() {
  const PreviewKind kind = pendingPreview_;
  pendingPreview_ = PreviewKind::None;
  if (kind == PreviewKind::None) return;
  Picture& view = Img->editPicture();
  view.assign(CommittedImage);
  switch (kind) {
    case PreviewKind::BrightnessContrast:
      PreviewBrightnessContrast(view, Negated(LumValue->value()), Negated(ContValue->value()));
      break;
    case PreviewKind::RGB:
      PreviewRGB(view, Negated(RValue->value()), Negated(GValue->value()), Negated(BValue->value()));
      break;
    case PreviewKind::Binary:
      PreviewBinary(view, binarySettings());
      break;
    case PreviewKind::Effects:
      PreviewEffects(view, effectSettings());
      break;
    case PreviewKind::Dithering:
      PreviewDithering(view, FromTop255(MinLev->value()), FromTop255(MaxLev->value()),
                       FromTop255(DitheringValue->value()));
      break;
    case PreviewKind::None:
      break;
  }
  Img->pictureChanged();
}

BinarySettings TMainForm::binarySettings() const {
  BinarySettings s;
  s.grayScale = GrayScale->isChecked();
  s.floydSteinberg = Binary1->isChecked();
  s.matrix2x2 = Binary2->isChecked();
  s.matrix3x3 = Binary3->isChecked();
  s.matrix4x4 = Binary4->isChecked();
  s.fsMatrix4x4 = Binary5->isChecked();
  s.binarize = Binarize->isChecked();
  s.level = FromTop255(BinaryValue->value());
  s.mode = rg1Items->checkedId();
  return s;
}

EffectSettings TMainForm::effectSettings() const {
  EffectSettings s;
  s.blur = Blur->isChecked();
  s.noiseBlur = Noise_Blur->isChecked();
  s.gaussianBlur = Gaussian_Blur->isChecked();
  s.gaussCount = GaussValue->value();
  s.fog = Finger_Blur->isChecked();
  s.colorDepth = Precise->isChecked();
  s.colorDepthLevel = PrecizeValue->value();
  s.pixelize = Pixellize->isChecked();
  s.sepia = Sepia->isChecked();
  s.sepiaDepth = SepiaValue->value();
  return s;
}

void TMainForm::LumContValueChange() {
  requestPreview(PreviewKind::BrightnessContrast);
  LumDisp->setText(QString::number(Negated(LumValue->value())));
  ContDisp->setText(QString::number(Negated(ContValue->value())));
}

void TMainForm::RGBValueChange() {
  requestPreview(PreviewKind::RGB);
  RDisp->setText(QString::number(Negated(RValue->value())));
  GDisp->setText(QString::number(Negated(GValue->value())));
  BDisp->setText(QString::number(Negated(BValue->value())));
}

void TMainForm::BinaryValueChange() {
  requestPreview(PreviewKind::Binary);
  BinDisp->setText(QString::number(FromTop255(BinaryValue->value())));
}

void TMainForm::EffectChange() { requestPreview(PreviewKind::Effects); }

void TMainForm::DitheringValueChange() {
  DitDisp->setText(QString::number(FromTop255(DitheringValue->value())));
  MinDisp->setText(QString::number(FromTop255(MinLev->value())));
  MaxDisp->setText(QString::number(FromTop255(MaxLev->value())));
  requestPreview(PreviewKind::Dithering);
}

void TMainForm::pgc1Changing() {
  dropPendingPreview();
  Img->setPicture(CommittedImage);
}

// The commit step shared by the apply buttons: the view picture becomes the
// committed picture and a new last entry of the history. It fails, changing
// nothing, while no picture is loaded.
void TMainForm::commitStep() {
  flushPreview();
  HistoryList.commit(Img->picture(), CommittedImage);
}

// Each apply button commits and then puts its panel's controls back. A
// control that really changes asks for a preview again, now on the new
// committed picture; one already at its value asks for nothing.
void TMainForm::btn3Click() {
  commitStep();
  LumValue->setValue(0);
  ContValue->setValue(0);
}

void TMainForm::btn4Click() {
  commitStep();
  RValue->setValue(0);
  GValue->setValue(0);
  BValue->setValue(0);
}

void TMainForm::btn6Click() {
  commitStep();
  BinaryValue->setValue(255);
  GrayScale->setChecked(false);
  Binarize->setChecked(false);
  rg1Items->button(0)->setChecked(true);
}

void TMainForm::btn5Click() {
  commitStep();
  for (QCheckBox* box : {Blur, Noise_Blur, Gaussian_Blur, Finger_Blur, Precise, Pixellize, Sepia})
    box->setChecked(false);
  GaussValue->setValue(0);
  PrecizeValue->setValue(0);
  SepiaValue->setValue(0);
}

void TMainForm::btn7Click() {
  commitStep();
  DitheringValue->setValue(0);
  MinLev->setValue(255);
  MaxLev->setValue(0);
}

}  // namespace velmar
