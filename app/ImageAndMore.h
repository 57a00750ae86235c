#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "imaging/Picture.h"
#include "imaging/PixelOps.h"

namespace velmar {

// The picture view. It shows its picture centred and scaled to fit its own
// bounds with the proportions kept; zoom and pan work by moving and sizing
// the control itself inside its panel. The picture routines are forwarded
// to the free functions of imaging/.
class TImageAndMore : public QWidget {
  Q_OBJECT

 public:
  explicit TImageAndMore(QWidget* parent = nullptr);

  // The view picture.
  const Picture& picture() const { return *picture_; }
  // A reference that stays valid and unchanged while the caller holds it,
  // whatever the view is given meanwhile (a compile reads it while the
  // event loop turns).
  std::shared_ptr<const Picture> sharedPicture() const { return picture_; }
  // The view picture for changing in place; call pictureChanged() after.
  // A picture somebody still holds through sharedPicture() is copied first.
  Picture& editPicture();
  void setPicture(const Picture& picture);
  void pictureChanged();

  // Where the picture lands inside the control's bounds.
  QRect pictureRect() const;

  // Pixel-format operations, here for callers that work on Qt images.
  static bool ConvertPixelFormat(QImage& Bitmap, PixelFormat Format);
  static void ForcePixelFormat(PixelFormat Format, QImage& Bitmap);

 signals:
  void mousePressed(QMouseEvent* event);
  void doubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::shared_ptr<Picture> picture_;
  QImage scratch_;  // reused for every paint
};

}  // namespace velmar
