#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

namespace velmar {

// What a file dialog is told before it opens, and what it returns: the
// chosen name comes back in fileName, the filter the user picked in
// filterIndex (1-based).
struct FileDialog {
  QString title;
  QList<QPair<QString, QString>> filters;  // description, patterns separated by ';'
  int filterIndex = 1;
  QString defaultExt;  // without the dot; appended to a name typed without an extension
  QString fileName;
};

// The window's modal dialogs, behind one interface so that tests can answer
// them from a script and see what was shown.
class UiServices {
 public:
  virtual ~UiServices() = default;
  // True when the user confirmed; dialog.fileName then holds the full path.
  virtual bool executeOpen(QWidget* parent, FileDialog& dialog) = 0;
  virtual bool executeSave(QWidget* parent, FileDialog& dialog) = 0;
  virtual void showError(QWidget* parent, const QString& caption, const QString& message) = 0;
};

// The real dialogs: QFileDialog and QMessageBox.
class QtUiServices : public UiServices {
 public:
  bool executeOpen(QWidget* parent, FileDialog& dialog) override;
  bool executeSave(QWidget* parent, FileDialog& dialog) override;
  void showError(QWidget* parent, const QString& caption, const QString& message) override;
};

// The error box's rule: a full stop is added when the message's last
// character sorts after ".".
QString WithFullStop(const QString& message);

}  // namespace velmar
