#include "app/row_prediction.h"

std::optional<int> RowPrediction::predictAppend() {
  if (!knownCount_) return std::nullopt;
  return (*knownCount_)++;
}

void RowPrediction::knowCount(int rows) { knownCount_ = rows; }

void RowPrediction::applied(int predicted, int actual) {
  if (predicted != actual) corrections_[predicted] = actual;
}

void RowPrediction::clear() { corrections_.clear(); }

int RowPrediction::actual(int row) const {
  const auto found = corrections_.find(row);
  return found == corrections_.end() ? row : found->second;
}
