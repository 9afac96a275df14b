// StatusBar (状态条1): five fixed-width parts with sunken borders.
//
// The parts keep their widths whatever the bar measures, so the last two lie
// beyond the window's right edge and are never seen. The owner docks the bar
// to the bottom of its client area; sizeHint() gives the height for the font.
#pragma once

#include <QWidget>
#include <array>

class QLabel;

class StatusBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPartCount = 5;
  // Right edge of each part: the sum of its width and those before it.
  static constexpr std::array<int, kPartCount> kRightEdges = {235, 385, 482, 532, 1018};

  explicit StatusBar(QWidget* parent = nullptr);

  // A part that does not exist is ignored, and reads as "".
  void setPartText(int part, const QString& text);
  QString partText(int part) const;
  QLabel* part(int index) const;

  QSize sizeHint() const override;

 signals:
  // A part's text was replaced (also by the same text).
  void partTextChanged(int part, const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::array<QLabel*, kPartCount> parts_{};
};
