// SongListModel: the rows of the result list, two GBK cells per row.
//
// Rows live in one vector so that a fetch can append many thousands quickly.
// Cells keep the exact Text they were given; conversion for display happens
// only for the cells that are painted.
//
// Between holdInsertions() and releaseInsertions() appended rows are kept
// back from the views and then announced in one go: the views lay out once
// per batch instead of once per row. rowCount() is what the views have been
// told; size() and the cell operations see every row.
#pragma once

#include <QAbstractTableModel>
#include <array>
#include <vector>

#include "common/text.h"

class SongListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kColumnCount = 2;

  explicit SongListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Every row, also those not yet announced to the views.
  int size() const;

  void holdInsertions();
  void releaseInsertions();

  // Adds a row of empty cells after the last and returns its index.
  int appendRow();
  // A missing row or column is ignored by writes and reads as "".
  void setCellText(int row, int column, const Text& text);
  Text cellText(int row, int column) const;
  void deleteAllRows();

 private:
  bool isCell(int row, int column) const;

  std::vector<std::array<Text, kColumnCount>> rows_;
  int announced_ = 0;  // rows the views know of
  bool holding_ = false;
};
