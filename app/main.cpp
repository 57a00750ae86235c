// Velmar: prepares pictures for a raster laser engraver and drives it.
#include <QApplication>

#include "app/MainForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(velmar::TMainForm::kApplicationTitle));
  velmar::TMainForm MainForm;
  MainForm.show();
  return app.exec();
}
