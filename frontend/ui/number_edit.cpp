#include "number_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

namespace dalvo::ui {
namespace {

std::string ToBytes(const QString& text) {
  std::string bytes(static_cast<std::size_t>(text.size()), '\0');
  // Straight into the string: characters beyond Latin-1 become '?'.
  const QChar* in = text.constData();
  for (char& c : bytes) {
    const char16_t unit = (in++)->unicode();
    c = unit < 0x100 ? static_cast<char>(unit) : '?';
  }
  NormalizeLineBreaks(bytes);
  return bytes;
}

bool IsEditKey(QKeyEvent* key) {
  return key == QKeySequence::Paste || key == QKeySequence::Cut || key == QKeySequence::Undo ||
         key == QKeySequence::Redo || key == QKeySequence::Delete ||
         key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return ||
         key->key() == Qt::Key_Enter;
}

}  // namespace

NumberEdit::NumberEdit(QWidget* parent) : TextArea(parent) {
  setAttribute(Qt::WA_InputMethodEnabled);
  setLines(buffer_);
}

void NumberEdit::setText(std::string_view text) {
  std::string bytes(text);
  NormalizeLineBreaks(bytes);
  buffer_.Replace(0, buffer_.Size(), bytes);
  history_.Clear();
  setLines(buffer_);
  emit textChanged();
}

void NumberEdit::edit(std::uint64_t from, std::uint64_t to, std::string_view bytes,
                      EditHistory::Kind kind) {
  const TextPos first = buffer_.PosOf(from);
  const bool one_line = first.line == buffer_.PosOf(to).line &&
                        bytes.find('\n') == std::string_view::npos;
  const std::uint64_t caret = history_.Apply(buffer_, from, to, bytes, kind);
  if (one_line) {
    relayoutLine(first.line);
  } else {
    relayoutAll();
  }
  setCaret(buffer_.PosOf(caret), false);
  emit textChanged();
}

void NumberEdit::insertText(const QString& text) {
  const auto [from, to] = selectionRange();
  const std::string bytes = ToBytes(text);
  // Typed characters join into one undo step; a paste or a replaced selection is a step alone.
  const bool typing = from == to && bytes.size() == 1 && bytes != "\n";
  edit(buffer_.OffsetOf(from), buffer_.OffsetOf(to), bytes,
       typing ? EditHistory::Kind::kTyping : EditHistory::Kind::kOther);
}

void NumberEdit::deleteChar(bool forward) {
  auto [from, to] = selectionRange();
  std::uint64_t a = buffer_.OffsetOf(from);
  std::uint64_t b = buffer_.OffsetOf(to);
  if (a == b) {
    if (forward) {
      if (b == buffer_.Size()) return;
      ++b;
    } else {
      if (a == 0) return;
      --a;
    }
  }
  edit(a, b, {}, EditHistory::Kind::kOther);
}

void NumberEdit::paste() {
  const QString text = QApplication::clipboard()->text();
  if (!text.isEmpty()) insertText(text);
}

void NumberEdit::cut() {
  if (!hasSelection()) return;
  copy();
  deleteChar(true);
}

void NumberEdit::afterUndoOrRedo(std::uint64_t caret) {
  relayoutAll();
  setCaret(buffer_.PosOf(caret), false);
  emit textChanged();
}

void NumberEdit::undo() {
  if (const auto caret = history_.Undo(buffer_)) afterUndoOrRedo(*caret);
}

void NumberEdit::redo() {
  if (const auto caret = history_.Redo(buffer_)) afterUndoOrRedo(*caret);
}

bool NumberEdit::editKeyPress(QKeyEvent* event) {
  if (event == QKeySequence::Paste) {
    paste();
  } else if (event == QKeySequence::Cut) {
    cut();
  } else if (event == QKeySequence::Undo) {
    undo();
  } else if (event == QKeySequence::Redo) {
    redo();
  } else if (event == QKeySequence::Delete) {
    deleteChar(true);
  } else if (event->key() == Qt::Key_Backspace) {
    deleteChar(false);
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    insertText(QStringLiteral("\n"));
  } else {
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (text.isEmpty() || command || !text.front().isPrint()) return false;
    insertText(text);
  }
  return true;
}

bool NumberEdit::event(QEvent* event) {
  // Editing keys and plain typing belong to the box even where the window binds them.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool command = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (IsEditKey(key) || (!command && !key->text().isEmpty() && key->text().front().isPrint())) {
      event->accept();
      return true;
    }
  }
  return TextArea::event(event);
}

void NumberEdit::addEditActions(QMenu* menu) {
  menu->addAction(tr("&Undo"), this, &NumberEdit::undo)->setEnabled(history_.CanUndo());
  menu->addAction(tr("&Redo"), this, &NumberEdit::redo)->setEnabled(history_.CanRedo());
  menu->addSeparator();
  menu->addAction(tr("Cu&t"), this, &NumberEdit::cut)->setEnabled(hasSelection());
  menu->addAction(tr("&Paste"), this, &NumberEdit::paste)
      ->setEnabled(!QApplication::clipboard()->text().isEmpty());
  menu->addAction(tr("Delete"), this, [this] { deleteChar(true); })->setEnabled(hasSelection());
}

void NumberEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Composed text arrives whole once committed; the preedit stage is not shown.
  if (!event->commitString().isEmpty()) insertText(event->commitString());
  event->accept();
}

QVariant NumberEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled) return true;
  return TextArea::inputMethodQuery(query);
}

}  // namespace dalvo::ui
