#include "workspace/PictureImage.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace velmar {

namespace {
QImage::Format qtFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat::pf24bit:
      return kPictureFormat;
  }
  return kPictureFormat;
}
}  // namespace

bool ConvertPixelFormat(QImage& Bitmap, PixelFormat Format) {
  try {
    const QImage::Format wanted = qtFormat(Format);
    if (Bitmap.isNull()) {
      Bitmap = QImage();
      return true;
    }
    QImage converted = Bitmap.convertToFormat(wanted);
    if (converted.isNull() || converted.format() != wanted) return false;
    Bitmap = std::move(converted);
    return true;
  } catch (...) {
    return false;
  }
}

void ForcePixelFormat(PixelFormat Format, QImage& Bitmap) {
  const QImage::Format wanted = qtFormat(Format);
  if (Bitmap.isNull() || Bitmap.format() == wanted) return;
  Bitmap.convertTo(wanted);
  if (Bitmap.format() != wanted) throw std::bad_alloc();
}

Picture PictureFromImage(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return Picture();
  QImage source = image;
  if (source.format() != kPictureFormat) {
    if (!ConvertPixelFormat(source, PixelFormat::pf24bit)) throw std::bad_alloc();
  }
  Picture picture(source.width(), source.height());
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width()) * 3u;
  for (int y = 0; y < picture.height(); ++y) {
    std::memcpy(picture.row(y), source.constScanLine(y), rowBytes);
  }
  return picture;
}

QImage ImageFromPicture(const Picture& picture) {
  if (picture.empty()) return QImage();
  QImage image(picture.width(), picture.height(), kPictureFormat);
  if (image.isNull()) throw std::bad_alloc();
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width()) * 3u;
  for (int y = 0; y < picture.height(); ++y) {
    std::memcpy(image.scanLine(y), picture.row(y), rowBytes);
  }
  return image;
}

QImage ImageViewOf(const Picture& picture) {
  if (picture.empty()) return QImage();
  return QImage(picture.data(), picture.width(), picture.height(),
                static_cast<qsizetype>(picture.stride()), kPictureFormat);
}

}  // namespace velmar
