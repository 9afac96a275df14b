// NumberBox (编辑框1): the edit box for the QQ account number.
//
// Typed characters are filtered: only the digits 0-9 and '-' get in, control
// characters (Backspace, Ctrl+V and the like) pass. Pasted or dropped text is
// inserted unfiltered, which is why this filters key input instead of using a
// QValidator (a validator would refuse pasted letters too).
#pragma once

#include <QLineEdit>

class NumberBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit NumberBox(QWidget* parent = nullptr);

 signals:
  // Every time the box gains the keyboard focus: click, Tab, or the window
  // handing the focus back on re-activation.
  void focusGained();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
};
