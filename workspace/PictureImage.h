#pragma once

#include <QImage>

#include "imaging/Picture.h"
#include "imaging/PixelOps.h"

namespace velmar {

// The one place where Qt images and the 24-bit picture meet.

// The Qt image format whose memory layout is that of a picture row.
inline constexpr QImage::Format kPictureFormat = QImage::Format_BGR888;

// Redraws the bitmap in the wanted format (any source format: palette, 1-,
// 4-, 8-, 16-, 32-bit, with or without alpha). Never throws: a failure
// (such as no memory for the new pixels) gives false and leaves the bitmap
// as it was.
bool ConvertPixelFormat(QImage& Bitmap, PixelFormat Format);

// Sets the bitmap's format; a bitmap already in that format is not touched.
// Unlike ConvertPixelFormat a failure is reported by throwing.
void ForcePixelFormat(PixelFormat Format, QImage& Bitmap);

// A picture with the pixels of the image, whatever its format.
Picture PictureFromImage(const QImage& image);

// A deep copy of the picture as a Qt image (for writing files).
QImage ImageFromPicture(const Picture& picture);

// A Qt image that shares the picture's pixels; valid while the picture is
// neither resized nor destroyed.
QImage ImageViewOf(const Picture& picture);

}  // namespace velmar
