#include "app/status_bar.h"

#include <QLabel>

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
  const std::array<QString, kPartCount> initialTexts = {
      QStringLiteral("状态："), QStringLiteral("歌曲数量："), QStringLiteral("作者：Mernalt"),
      QString(), QString()};
  for (int i = 0; i < kPartCount; ++i) {
    auto* label = new QLabel(initialTexts[i], this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(2);
    // Parts are fixed: a long text is cut off rather than widening its part.
    label->setMinimumWidth(0);
    parts_[i] = label;
  }
}

void StatusBar::setPartText(int part, const QString& text) {
  if (part < 0 || part >= kPartCount) return;
  parts_[part]->setText(text);
  emit partTextChanged(part, text);
}

QString StatusBar::partText(int part) const {
  if (part < 0 || part >= kPartCount) return {};
  return parts_[part]->text();
}

QLabel* StatusBar::part(int index) const {
  if (index < 0 || index >= kPartCount) return nullptr;
  return parts_[index];
}

QSize StatusBar::sizeHint() const {
  return {kRightEdges.back(), fontMetrics().height() + 8};
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  int left = 0;
  for (int i = 0; i < kPartCount; ++i) {
    // A two-pixel strip above the parts, as on a classic status bar.
    parts_[i]->setGeometry(left, 2, kRightEdges[i] - left, height() - 2);
    left = kRightEdges[i];
  }
}
