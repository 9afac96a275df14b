// RowPrediction: row indexes for a worker's appends before they reach the list.
//
// A worker's appendRow is posted to the GUI thread without waiting, so the
// worker is told the index the row will have if nothing else changes the list
// meanwhile: the count it last knew plus its own appends. Only the user can
// change the list meanwhile (by emptying it), and then the GUI thread, which
// learns the real index when it applies the append, maps the predicted index
// to it for the worker's later operations on that row. An operation on a row
// the user has removed finds no row and does nothing, as it would unbatched.
//
// The worker half and the GUI half are each used by one thread only.
#pragma once

#include <optional>
#include <unordered_map>

class RowPrediction {
 public:
  // Worker side: the index of the next appended row, when the count is known.
  std::optional<int> predictAppend();
  // Worker side: the list holds `rows` rows once the queued operations are applied.
  void knowCount(int rows);

  // GUI side: the append predicted as `predicted` became row `actual`.
  void applied(int predicted, int actual);
  // GUI side: the worker emptied the list; earlier predictions are void.
  void clear();
  // GUI side: the real index of a row index the worker was given.
  int actual(int row) const;

 private:
  std::optional<int> knownCount_;            // worker side
  std::unordered_map<int, int> corrections_;  // GUI side: predicted -> actual, where they differ
};
