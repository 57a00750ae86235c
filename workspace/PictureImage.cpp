#include "workspace/PictureImage.h"

#include <QSysInfo>
#include <cstdint>
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
  if (QSysInfo::ByteOrder == QSysInfo::LittleEndian && image.format() == QImage::Format_RGB32) {
    // What Qt's BMP reader gives for 16-, 24- and 32-bit files: B, G, R and
    // a filler byte in memory (on little-endian machines). Dropping the filler is the whole conversion,
    // and doing it here saves a second full-size image on every load.
    Picture picture(image.width(), image.height());
    const int w = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
      const uchar* in = image.constScanLine(y);
      std::uint8_t* out = picture.row(y);
      for (int x = 0; x < w; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      }
    }
    return picture;
  }
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
