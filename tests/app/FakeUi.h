#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "app/UiServices.h"

namespace velmar::testing {

// Answers the window's dialogs from a script and records what was shown.
class FakeUi : public UiServices {
 public:
  // The next open/save dialog returns this name; empty means "cancelled".
  QString nextOpenName, nextSaveName;
  FileDialog lastOpen, lastSave;
  int opens = 0, saves = 0;
  QStringList errors;  // every message shown, as shown
  QString lastCaption;
  std::function<void()> onError;  // runs while the error box is "open"

  bool executeOpen(QWidget*, FileDialog& dialog) override {
    ++opens;
    lastOpen = dialog;
    if (nextOpenName.isEmpty()) return false;
    dialog.fileName = nextOpenName;
    return true;
  }
  bool executeSave(QWidget*, FileDialog& dialog) override {
    ++saves;
    lastSave = dialog;
    if (nextSaveName.isEmpty()) return false;
    dialog.fileName = nextSaveName;
    return true;
  }
  void showError(QWidget*, const QString& caption, const QString& message) override {
    lastCaption = caption;
    errors << message;
    if (onError) onError();
  }
};

}  // namespace velmar::testing
