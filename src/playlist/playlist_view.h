// PlaylistView: the window as the fetch worker sees it.
//
// The main window implements it. Every operation may be called from any
// thread; one called from another thread is carried out on the window's
// thread, and a caller's operations take effect in the order it makes them.
// Writes may return before they are applied; reads wait for the caller's
// earlier writes and see their effect. Once the window is closing, calls from
// other threads return at once without touching it (reads give "" / 0 / -1).
#pragma once

#include "common/text.h"

class PlaylistView {
 public:
  virtual ~PlaylistView() = default;

  // Number box: its whole current text.
  virtual Text numberBoxText() = 0;

  // Status bar: replaces the text of one part, 0-based from the left.
  virtual void setStatusPartText(int part, const Text& text) = 0;

  // Result list. Rows and columns count from 0; a missing row or column is
  // ignored by writes and reads as "".
  virtual int rowCount() = 0;
  virtual int selectedRow() = 0;  // -1 when no row is selected
  virtual Text cellText(int row, int column) = 0;
  virtual int appendRow() = 0;  // adds an empty row, returns its index
  virtual void setCellText(int row, int column, const Text& text) = 0;
  virtual void deleteAllRows() = 0;
};
