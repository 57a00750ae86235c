#include "app/JobListModel.h"

#include <limits>

namespace velmar {

void JobListModel::setJob(std::shared_ptr<const JobText> job) {
  beginResetModel();
  job_ = std::move(job);
  endResetModel();
}

int JobListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !job_) return 0;
  const std::size_t n = job_->lineCount();
  return n > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                        : static_cast<int>(n);
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
  if (!job_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const std::string_view line = job_->line(static_cast<std::size_t>(index.row()));
  return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

}  // namespace velmar
