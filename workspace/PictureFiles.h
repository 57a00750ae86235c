#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

#include "imaging/Picture.h"

namespace velmar {

// The largest picture the loader accepts. A 20000 x 20000 picture takes
// 1.2 GB as a 24-bit picture and about as much again while it is decoded;
// anything larger is refused from its header, before a byte is allocated.
// BMP files stop earlier, at 16384 x 16384 pixels, where Qt's reader does.
inline constexpr std::int64_t kMaxPicturePixels = 20000LL * 20000LL;
inline constexpr int kMaxPictureSide = 65535;

struct PictureLimits {
  std::int64_t maxPixels = kMaxPicturePixels;
  int maxSide = kMaxPictureSide;
};

// Reads a picture file and brings it to the 24-bit picture. The format comes
// from the content: a file that starts with FF D8 FF is a JPEG, anything else
// is read as a Windows BMP, whatever the name says. Throws std::runtime_error
// with the message to show ("Bitmap image is not valid", "JPEG error #N",
// "Cannot open file ...", or the size limit).
Picture LoadPictureFile(const QString& fileName);

// The same from bytes in memory (the loader's fuzzing entry point).
Picture LoadPictureBytes(const void* data, std::size_t size, const PictureLimits& limits = {});

// Writes the picture under the rules of the save command and returns the
// name actually written: ".jpg" or ".jpeg" (in any letter case) gives a JPEG
// of quality 100; a name without an extension gets ".bmp" and BMP data; any
// other name gets BMP data under exactly that name. Throws
// std::runtime_error naming the file and the system's reason when the file
// cannot be created or written.
QString SavePictureFile(const Picture& picture, const QString& chosenName);

// Encoders behind SavePictureFile, for callers that already know the format.
void SaveJpegFile(const Picture& picture, const QString& fileName);
void SaveBmpFile(const Picture& picture, const QString& fileName);

// The text from the last '.' of the name's last path component to its end,
// the period included; empty when that component has no period.
QString FileExtension(const QString& name);

// True for ".jpg" and ".jpeg" in any letter case.
bool IsJpegExtension(const QString& extension);

// The last path component of currentFileName without its extension, followed
// by ".bmp" (the save dialog) or ".plt" (the plot export).
QString ProposedPictureName(const QString& currentFileName);
QString ProposedPlotName(const QString& currentFileName);

// The status bar text after a load:   "name", W на H точек.
QString PictureStatusText(const QString& fileName, int width, int height);

// What CurrentFileName holds before the first load.
inline const QString kNoFileLoaded = QStringLiteral("Файл не загружен");

}  // namespace velmar
