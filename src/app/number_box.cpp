#include "app/number_box.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

bool isAccepted(QChar c) {
  return (c >= u'0' && c <= u'9') || c == u'-';
}

// The typed characters that may enter the box; control characters always may.
QString filterTyped(const QString& typed) {
  QString kept;
  for (const QChar c : typed) {
    if (c.unicode() < 32 || isAccepted(c)) kept.append(c);
  }
  return kept;
}

}  // namespace

NumberBox::NumberBox(QWidget* parent) : QLineEdit(parent) {}

void NumberBox::keyPressEvent(QKeyEvent* event) {
  // Ctrl and Ctrl+Shift combinations are commands (copy, paste, select all),
  // not typed characters, whatever text the key carries.
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  const bool command = mods == Qt::ControlModifier ||
                       mods == (Qt::ControlModifier | Qt::ShiftModifier);
  const QString typed = event->text();
  if (command || typed.isEmpty()) {
    QLineEdit::keyPressEvent(event);
    return;
  }

  const QString kept = filterTyped(typed);
  if (kept == typed) {
    QLineEdit::keyPressEvent(event);  // may leave Esc and Enter to the window
    return;
  }
  if (!kept.isEmpty()) {
    QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept,
                       event->isAutoRepeat(), static_cast<quint16>(event->count()));
    QLineEdit::keyPressEvent(&filtered);
  }
  // A dropped character is swallowed silently; accepting it keeps it from
  // reaching the window as an unhandled key.
  event->accept();
}

void NumberBox::inputMethodEvent(QInputMethodEvent* event) {
  // Text committed by an input method is typed text too.
  const QString committed = event->commitString();
  const QString kept = filterTyped(committed);
  if (kept == committed) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QLineEdit::inputMethodEvent(&filtered);
  event->accept();
}

void NumberBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Closing the box's own context menu hands the focus back with
  // PopupFocusReason; the focus never left the box then, so that is no gain
  // (and emptying here would wipe the box right before its Paste runs).
  if (event->reason() != Qt::PopupFocusReason) emit focusGained();
}
