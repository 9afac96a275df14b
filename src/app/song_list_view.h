// SongListView (超级列表框1): the report-style result list.
//
// Whole-row single selection, grid lines, no editing, no sorting, fixed
// column order. A left or right click on a row selects it; a click below the
// last row clears the selection. The selection is drawn only while the list
// has the focus.
#pragma once

#include <QTableView>

class SongListView : public QTableView {
  Q_OBJECT

 public:
  explicit SongListView(QWidget* parent = nullptr);

  // The first selected row in list order, -1 when none is selected.
  int selectedRow() const;

 signals:
  // A right click in the item area, over a row or below the rows, delivered
  // once the click has updated the selection. Keyboard requests for a
  // context menu (menu key, Shift+F10) do not emit it.
  void rightClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void initViewItemOption(QStyleOptionViewItem* option) const override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};
