#pragma once

#include <QAbstractListModel>
#include <memory>

#include "job/JobText.h"

namespace velmar {

// Read-only rows over a compiled job, so that the memo can show millions of
// lines at once without copying them into a text document.
class JobListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  void setJob(std::shared_ptr<const JobText> job);
  const std::shared_ptr<const JobText>& job() const { return job_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::shared_ptr<const JobText> job_;
};

}  // namespace velmar
