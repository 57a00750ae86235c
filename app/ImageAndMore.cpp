#include "app/ImageAndMore.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "workspace/PictureImage.h"

namespace velmar {

TImageAndMore::TImageAndMore(QWidget* parent) : QWidget(parent), picture_(std::make_shared<Picture>()) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

Picture& TImageAndMore::editPicture() {
  if (picture_.use_count() > 1) picture_ = std::make_shared<Picture>(*picture_);
  return *picture_;
}

void TImageAndMore::setPicture(const Picture& picture) {
  if (picture_.use_count() > 1) {
    picture_ = std::make_shared<Picture>(picture);
  } else {
    picture_->assign(picture);
  }
  pictureChanged();
}

void TImageAndMore::pictureChanged() { update(); }

QRect TImageAndMore::pictureRect() const {
  const Picture& p = *picture_;
  if (p.empty() || width() <= 0 || height() <= 0) return {};
  // Fit the longer side first, then check the other one.
  const long long cw = width(), ch = height();
  const long long pw = p.width(), ph = p.height();
  long long w, h;
  if (pw * ch > ph * cw) {
    w = cw;
    h = std::max<long long>(1, ph * cw / pw);
  } else {
    h = ch;
    w = std::max<long long>(1, pw * ch / ph);
  }
  return QRect(static_cast<int>((cw - w) / 2), static_cast<int>((ch - h) / 2), static_cast<int>(w),
               static_cast<int>(h));
}

void TImageAndMore::paintEvent(QPaintEvent* event) {
  const Picture& p = *picture_;
  const QRect target = pictureRect();
  const QRect area = target.intersected(event->rect());
  if (area.isEmpty()) return;

  // Render only the exposed part, straight from the picture: a zoomed view
  // can be many times the size of the screen. Shrinking averages the source
  // pixels under each screen pixel, so dithered pictures keep their tone;
  // enlarging repeats pixels.
  if (scratch_.width() < area.width() || scratch_.height() < area.height()) {
    scratch_ = QImage(std::max(area.width(), scratch_.width()), std::max(area.height(), scratch_.height()),
                      QImage::Format_RGB32);
  }
  const long long tw = target.width(), th = target.height();
  const long long pw = p.width(), ph = p.height();
  // Every screen pixel averages a footprint of the same size (the scale
  // rounded up), so a dithered picture shows no seams where the rounding of
  // the block edges would change from one block to the next.
  auto srcBegin = [](long long d, long long dstSize, long long srcSize) { return d * srcSize / dstSize; };
  const int footX = static_cast<int>(std::max<long long>(1, (pw + tw - 1) / tw));
  const int footY = static_cast<int>(std::max<long long>(1, (ph + th - 1) / th));
  std::vector<int> x0(static_cast<std::size_t>(area.width())), x1(x0.size());
  for (int i = 0; i < area.width(); ++i) {
    const long long d = area.left() - target.left() + i;
    x0[i] = static_cast<int>(srcBegin(d, tw, pw));
    x1[i] = std::min(x0[i] + footX, p.width());
  }
  for (int j = 0; j < area.height(); ++j) {
    const long long d = area.top() - target.top() + j;
    const int y0 = static_cast<int>(srcBegin(d, th, ph));
    const int y1 = std::min(y0 + footY, p.height());
    auto* out = reinterpret_cast<QRgb*>(scratch_.scanLine(j));
    for (int i = 0; i < area.width(); ++i) {
      unsigned b = 0, g = 0, r = 0, n = 0;
      for (int y = y0; y < y1; ++y) {
        const std::uint8_t* s = p.row(y) + 3 * x0[i];
        for (int x = x0[i]; x < x1[i]; ++x, s += 3) {
          b += s[0];
          g += s[1];
          r += s[2];
          ++n;
        }
      }
      out[i] = qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
    }
  }
  QPainter painter(this);
  painter.drawImage(area.topLeft(), scratch_, QRect(0, 0, area.width(), area.height()));
}

void TImageAndMore::mousePressEvent(QMouseEvent* event) { emit mousePressed(event); }

void TImageAndMore::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is not a new press.
  event->accept();
  emit doubleClicked();
}

bool TImageAndMore::ConvertPixelFormat(QImage& Bitmap, PixelFormat Format) {
  return velmar::ConvertPixelFormat(Bitmap, Format);
}

void TImageAndMore::ForcePixelFormat(PixelFormat Format, QImage& Bitmap) {
  velmar::ForcePixelFormat(Format, Bitmap);
}

}  // namespace velmar
