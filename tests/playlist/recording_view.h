// RecordingView: a PlaylistView that keeps a list model and records every
// call, in order, as readable UTF-8 lines ("status 0: 获取中..",
// "appendRow -> 2", "cell 2,1: http://..."). Safe to use from any thread.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "common/gbk.h"
#include "playlist/playlist_view.h"

class RecordingView : public PlaylistView {
 public:
  // The number box answers these texts (GBK) in turn, the last one for good.
  explicit RecordingView(std::vector<Text> numberBoxTexts = {""}) : boxTexts_(std::move(numberBoxTexts)) {}

  Text numberBoxText() override {
    std::lock_guard lock(mutex_);
    calls_.push_back("numberBoxText");
    const Text text = boxTexts_.empty() ? Text() : boxTexts_.front();
    if (boxTexts_.size() > 1) boxTexts_.erase(boxTexts_.begin());
    return text;
  }
  void setStatusPartText(int part, const Text& text) override {
    std::lock_guard lock(mutex_);
    calls_.push_back("status " + std::to_string(part) + ": " + gbkToUtf8(text));
  }
  int rowCount() override {
    std::lock_guard lock(mutex_);
    calls_.push_back("rowCount");
    return static_cast<int>(rows_.size());
  }
  int selectedRow() override {
    std::lock_guard lock(mutex_);
    calls_.push_back("selectedRow");
    return -1;
  }
  Text cellText(int row, int column) override {
    std::lock_guard lock(mutex_);
    calls_.push_back("cellText " + std::to_string(row) + "," + std::to_string(column));
    return valid(row, column) ? rows_[row][column] : Text();
  }
  int appendRow() override {
    std::lock_guard lock(mutex_);
    rows_.push_back({});
    calls_.push_back("appendRow -> " + std::to_string(rows_.size() - 1));
    return static_cast<int>(rows_.size() - 1);
  }
  void setCellText(int row, int column, const Text& text) override {
    std::lock_guard lock(mutex_);
    calls_.push_back("cell " + std::to_string(row) + "," + std::to_string(column) + ": " + gbkToUtf8(text));
    if (valid(row, column)) rows_[row][column] = text;
  }
  void deleteAllRows() override {
    std::lock_guard lock(mutex_);
    calls_.push_back("deleteAllRows");
    rows_.clear();
  }

  // For the tests themselves; not recorded.
  void putRows(const std::vector<std::array<Text, 2>>& rows) {
    std::lock_guard lock(mutex_);
    rows_ = rows;
  }
  std::vector<std::array<Text, 2>> rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
  }
  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  bool valid(int row, int column) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && column >= 0 && column < 2;
  }

  mutable std::mutex mutex_;
  std::vector<Text> boxTexts_;
  std::vector<std::array<Text, 2>> rows_;
  std::vector<std::string> calls_;
};
