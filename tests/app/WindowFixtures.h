#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/MainForm.h"
#include "tests/TestPictures.h"
#include "tests/app/FakeUi.h"
#include "workspace/PictureImage.h"

namespace velmar::testing {

// A picture with some of every tone, so that each routine changes it.
inline Picture Varied(int w, int h) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>((x * 37 + y * 11) % 256);
      px[1] = static_cast<std::uint8_t>((x * 5 + y * 23) % 256);
      px[2] = static_cast<std::uint8_t>((x * 13 + y * 7 + 40) % 256);
    }
  return p;
}

// A window with its dialogs answered by a FakeUi, and a folder for files.
struct Window {
  FakeUi ui;
  QTemporaryDir dir;
  std::unique_ptr<TMainForm> form = std::make_unique<TMainForm>(&ui);

  QString path(const QString& name) const { return dir.filePath(name); }

  QString writeBmp(const QString& name, const Picture& picture) const {
    const QString file = path(name);
    ImageFromPicture(picture).save(file, "BMP");
    return file;
  }

  // Loads a picture through the menu command, as the operator does.
  void load(const Picture& picture, const QString& name = QStringLiteral("photo.bmp")) {
    ui.nextOpenName = writeBmp(name, picture);
    form->actLoadFile->trigger();
  }

  // Lets the event loop build the preview a change asked for.
  void settle() {
    QCoreApplication::processEvents();
    form->flushPreview();
  }

  const Picture& view() const { return form->Img->picture(); }
};

}  // namespace velmar::testing
