#include "app/UiServices.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace velmar {

namespace {
QStringList qtFilters(const FileDialog& dialog) {
  QStringList out;
  for (const auto& [description, patterns] : dialog.filters) {
    QString list = patterns;
    list.replace(';', ' ');
    out << QStringLiteral("%1 (%2)").arg(description, list);
  }
  return out;
}

bool execute(QWidget* parent, FileDialog& dialog, QFileDialog::AcceptMode mode) {
  QFileDialog box(parent, dialog.title);
  box.setAcceptMode(mode);
  box.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // No question before overwriting, and no read-only check box to offer.
  box.setOption(QFileDialog::DontConfirmOverwrite, true);
  box.setOption(QFileDialog::ReadOnly, false);
  const QStringList filters = qtFilters(dialog);
  box.setNameFilters(filters);
  if (dialog.filterIndex >= 1 && dialog.filterIndex <= filters.size()) {
    box.selectNameFilter(filters.at(dialog.filterIndex - 1));
  }
  if (!dialog.defaultExt.isEmpty()) box.setDefaultSuffix(dialog.defaultExt);
  if (!dialog.fileName.isEmpty()) box.selectFile(dialog.fileName);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  dialog.fileName = box.selectedFiles().first();
  const int picked = filters.indexOf(box.selectedNameFilter());
  if (picked >= 0) dialog.filterIndex = picked + 1;
  return true;
}
}  // namespace

bool QtUiServices::executeOpen(QWidget* parent, FileDialog& dialog) {
  return execute(parent, dialog, QFileDialog::AcceptOpen);
}

bool QtUiServices::executeSave(QWidget* parent, FileDialog& dialog) {
  return execute(parent, dialog, QFileDialog::AcceptSave);
}

void QtUiServices::showError(QWidget* parent, const QString& caption, const QString& message) {
  QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, parent);
  box.exec();
}

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

}  // namespace velmar
