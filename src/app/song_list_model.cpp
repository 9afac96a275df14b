#include "app/song_list_model.h"

#include "app/qt_text.h"

SongListModel::SongListModel(QObject* parent) : QAbstractTableModel(parent) {}

int SongListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : announced_;
}

int SongListModel::size() const { return static_cast<int>(rows_.size()); }

void SongListModel::holdInsertions() { holding_ = true; }

void SongListModel::releaseInsertions() {
  holding_ = false;
  if (size() == announced_) return;
  beginInsertRows({}, announced_, size() - 1);
  announced_ = size();
  endInsertRows();
}

int SongListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !isCell(index.row(), index.column())) return {};
  switch (role) {
    case Qt::DisplayRole:
      return toQString(rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())]);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

QVariant SongListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  switch (role) {
    case Qt::DisplayRole:
      if (section == 0) return QStringLiteral("歌曲名/歌手");
      if (section == 1) return QStringLiteral("歌曲地址");
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

Qt::ItemFlags SongListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int SongListModel::appendRow() {
  const int row = size();
  if (holding_) {
    rows_.emplace_back();
    return row;
  }
  beginInsertRows({}, row, row);
  rows_.emplace_back();
  announced_ = size();
  endInsertRows();
  return row;
}

void SongListModel::setCellText(int row, int column, const Text& text) {
  if (!isCell(row, column)) return;
  rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
  if (row >= announced_) return;  // the views will read it when told of the row
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole});
}

Text SongListModel::cellText(int row, int column) const {
  if (!isCell(row, column)) return {};
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void SongListModel::deleteAllRows() {
  if (announced_ == 0) {
    rows_.clear();
    return;
  }
  // A removal rather than a reset: a reset would also rebuild the header's
  // sections and lose the column widths.
  beginRemoveRows({}, 0, announced_ - 1);
  rows_.clear();
  announced_ = 0;
  endRemoveRows();
}

bool SongListModel::isCell(int row, int column) const {
  return row >= 0 && static_cast<size_t>(row) < rows_.size() && column >= 0 &&
         column < kColumnCount;
}
