#include "app/song_list_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyleOptionViewItem>

SongListView::SongListView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setSortingEnabled(false);
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setDragEnabled(false);
  setAlternatingRowColors(false);

  QHeaderView* columns = horizontalHeader();
  columns->setSectionsClickable(true);
  columns->setSectionsMovable(false);
  columns->setSortIndicatorShown(false);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  // Fixed row heights keep appending a long run of rows cheap.
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);
}

int SongListView::selectedRow() const {
  if (!selectionModel()) return -1;
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

void SongListView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  // Qt versions differ on whether a click in the empty area keeps the old
  // selection in single-selection mode; this list always drops it.
  const bool selectingButton =
      event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
  if (selectingButton && !indexAt(event->position().toPoint()).isValid() &&
      selectionModel()) {
    selectionModel()->clearSelection();
  }
}

void SongListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (event->button() == Qt::RightButton &&
      viewport()->rect().contains(event->position().toPoint())) {
    emit rightClicked();
  }
}

void SongListView::initViewItemOption(QStyleOptionViewItem* option) const {
  QTableView::initViewItemOption(option);
  // Without the focus the selection is not drawn at all: selected cells are
  // painted with the normal colours.
  if (!hasFocus()) {
    option->palette.setBrush(QPalette::Highlight, option->palette.base());
    option->palette.setBrush(QPalette::HighlightedText, option->palette.text());
  }
}

void SongListView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();
}

void SongListView::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}
