#pragma once

#include <QString>

#include "imaging/Picture.h"

namespace velmar {

// Reads a picture file and brings it to the 24-bit picture. Throws
// std::runtime_error with the message to show when the file cannot be read.
Picture LoadPictureFile(const QString& fileName);

}  // namespace velmar
