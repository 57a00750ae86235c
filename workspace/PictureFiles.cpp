#include "workspace/PictureFiles.h"

#include <QImage>
#include <QImageReader>
#include <stdexcept>

#include "workspace/PictureImage.h"

namespace velmar {

Picture LoadPictureFile(const QString& fileName) {
  QImageReader reader(fileName, "bmp");
  reader.setDecideFormatFromContent(false);
  QImage image;
  if (!reader.read(&image) || image.isNull()) throw std::runtime_error("Bitmap image is not valid");
  return PictureFromImage(image);
}

}  // namespace velmar
