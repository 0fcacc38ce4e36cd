#include "frontend/ui/number_edit.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "frontend/logic/utf8_text.h"

namespace dalvo::ui {
namespace {

std::string ToBytes(const QString& text) {
  std::string bytes;
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
  if (ascii) {
    // A pasted number: straight into the string, without a UTF-8 copy of it in between.
    bytes.resize(static_cast<std::size_t>(text.size()));
    std::transform(text.begin(), text.end(), bytes.begin(),
                   [](QChar c) { return static_cast<char>(c.unicode()); });
  } else {
    const QByteArray utf8 = text.toUtf8();  // a lone surrogate becomes U+FFFD
    bytes.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  }
  NormalizeLineBreaks(bytes);
  return bytes;
}

// The first character of `text` (a surrogate pair taken whole), or 0 for an empty text.
char32_t FirstChar(const QString& text) {
  if (text.isEmpty()) return 0;
  if (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate()) {
    return QChar::surrogateToUcs4(text[0], text[1]);
  }
  return text[0].unicode();
}

// Whether `text` is one character (which a surrogate pair is).
bool IsOneChar(const QString& text) {
  return text.size() == 1 || (text.size() == 2 && FirstChar(text) > 0xFFFF);
}

// A key that types text: printable text without Control or Meta (an emoji is two UTF-16 units
// whose first alone is not printable).
bool TypesText(const QKeyEvent* key) {
  const bool command = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  return !command && !key->text().isEmpty() && QChar::isPrint(FirstChar(key->text()));
}

bool IsEditKey(QKeyEvent* key) {
  return key == QKeySequence::Paste || key == QKeySequence::Cut || key == QKeySequence::Undo ||
         key == QKeySequence::Redo || key == QKeySequence::Delete ||
         key == QKeySequence::DeleteStartOfWord || key == QKeySequence::DeleteEndOfWord ||
         key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return ||
         key->key() == Qt::Key_Enter;
}

}  // namespace

NumberEdit::NumberEdit(QWidget* parent) : TextArea(parent) {
  setReadOnly(false);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setAttribute(Qt::WA_InputMethodEnabled);
  setLines(buffer_);
}

void NumberEdit::setText(std::string_view text) {
  std::string bytes(text);
  NormalizeLineBreaks(bytes);
  const QString before = accessibleWholeText();
  buffer_.Replace(0, buffer_.Size(), bytes);
  history_.Clear();
  setLines(buffer_);
  announceTextChange(0, before, accessibleWholeText());
  emit textChanged();
}

void NumberEdit::edit(std::uint64_t from, std::uint64_t to, std::string_view bytes,
                      EditHistory::Kind kind) {
  if (to < from) std::swap(from, to);
  const TextPos first = buffer_.PosOf(from);
  const bool one_line = first.line == buffer_.PosOf(to).line &&
                        bytes.find('\n') == std::string_view::npos;
  const std::uint64_t at = QAccessible::isActive() ? unitOffsetOf(first) : 0;
  const QString removed = accessibleText(first, buffer_.PosOf(to));
  const std::uint64_t caret = history_.Apply(buffer_, from, to, bytes, kind);
  if (one_line) {
    relayoutLine(first.line);
  } else {
    relayoutAll();
  }
  announceTextChange(at, removed, accessibleText(first, buffer_.PosOf(caret)));
  setCaret(buffer_.PosOf(caret), false);
  emit textChanged();
}

void NumberEdit::insertText(const QString& text) {
  const auto [from, to] = selectionRange();
  const std::string bytes = ToBytes(text);
  // Typed characters join into one undo step; a paste or a replaced selection is a step alone.
  const bool typing = from == to && IsOneChar(text) && bytes != "\n";
  edit(buffer_.OffsetOf(from), buffer_.OffsetOf(to), bytes,
       typing ? EditHistory::Kind::kTyping : EditHistory::Kind::kOther);
}

void NumberEdit::deleteChar(bool forward) {
  if (hasSelection()) return deleteSelection();
  const TextPos caret = caretPos();
  // A whole character goes, never a part of its UTF-8 sequence; Delete takes a letter's marks
  // with it, Backspace only the last mark, as the desktop's text boxes do.
  const TextPos other = forward ? NextClusterPos(buffer_, caret) : PrevCharPos(buffer_, caret);
  if (other == caret) return;
  edit(buffer_.OffsetOf(caret), buffer_.OffsetOf(other), {}, EditHistory::Kind::kOther);
}

void NumberEdit::deleteWord(CaretMove move) {
  if (hasSelection()) return deleteSelection();
  const TextPos caret = caretPos();
  const TextPos other = WordMove(buffer_, caret, move);
  if (other == caret) return;
  edit(buffer_.OffsetOf(caret), buffer_.OffsetOf(other), {}, EditHistory::Kind::kOther);
}

void NumberEdit::deleteSelection() {
  if (!hasSelection()) return;
  const auto [from, to] = selectionRange();
  edit(buffer_.OffsetOf(from), buffer_.OffsetOf(to), {}, EditHistory::Kind::kOther);
}

std::string NumberEdit::numberText() const {
  std::string text = buffer_.Text();
  const auto first = std::find_if(text.begin(), text.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (first == text.end()) return text;  // ASCII, as a long number is: nothing to map
  std::size_t out = static_cast<std::size_t>(first - text.begin());
  for (std::size_t at = out; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      text[out++] = text[at++];
      continue;
    }
    const Utf8Char c = DecodeUtf8(std::string_view(text).substr(at));
    if (c.code != kReplacementChar && QChar::category(c.code) == QChar::Number_DecimalDigit) {
      // Every decimal digit is one byte shorter than its sequence at least: in place is safe.
      text[out++] = static_cast<char>('0' + QChar::digitValue(c.code));
    } else {
      for (std::uint32_t i = 0; i < c.length; ++i) text[out++] = text[at + i];
    }
    at += c.length;
  }
  text.resize(out);
  return text;
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

void NumberEdit::replaceRange(TextPos from, TextPos to, const QString& text) {
  edit(buffer_.OffsetOf(from), buffer_.OffsetOf(to), ToBytes(text), EditHistory::Kind::kOther);
}

void NumberEdit::afterUndoOrRedo(std::uint64_t caret, const QString& text_before) {
  relayoutAll();
  announceTextChange(0, text_before, accessibleWholeText());
  setCaret(buffer_.PosOf(caret), false);
  emit textChanged();
}

void NumberEdit::undo() {
  const QString before = accessibleWholeText();
  if (const auto caret = history_.Undo(buffer_)) afterUndoOrRedo(*caret, before);
}

void NumberEdit::redo() {
  const QString before = accessibleWholeText();
  if (const auto caret = history_.Redo(buffer_)) afterUndoOrRedo(*caret, before);
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
  } else if (event == QKeySequence::DeleteStartOfWord) {
    deleteWord(CaretMove::kWordLeft);
  } else if (event == QKeySequence::DeleteEndOfWord) {
    deleteWord(CaretMove::kWordRight);
  } else if (event == QKeySequence::Delete) {
    deleteChar(true);
  } else if (event->key() == Qt::Key_Backspace) {
    deleteChar(false);
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    insertText(QStringLiteral("\n"));
  } else {
    if (!TypesText(event)) return false;
    insertText(event->text());
  }
  return true;
}

bool NumberEdit::event(QEvent* event) {
  // Editing keys and plain typing belong to the box even where the window binds them.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsEditKey(key) || TypesText(key)) {
      event->accept();
      return true;
    }
  }
  return TextArea::event(event);
}

void NumberEdit::fillContextMenu(QMenu* menu) {
  // The desktop's own order: Undo, Redo; Cut, Copy, Paste, Delete; Select All.
  menu->addAction(withShortcut(tr("&Undo"), QKeySequence::Undo), this, &NumberEdit::undo)
      ->setEnabled(history_.CanUndo());
  menu->addAction(withShortcut(tr("&Redo"), QKeySequence::Redo), this, &NumberEdit::redo)
      ->setEnabled(history_.CanRedo());
  menu->addSeparator();
  menu->addAction(withShortcut(tr("Cu&t"), QKeySequence::Cut), this, &NumberEdit::cut)
      ->setEnabled(hasSelection());
  menu->addAction(withShortcut(tr("&Copy"), QKeySequence::Copy), this, &NumberEdit::copy)
      ->setEnabled(hasSelection());
  menu->addAction(withShortcut(tr("&Paste"), QKeySequence::Paste), this, &NumberEdit::paste)
      ->setEnabled(!QApplication::clipboard()->text().isEmpty());
  menu->addAction(tr("Delete"), this, &NumberEdit::deleteSelection)->setEnabled(hasSelection());
  menu->addSeparator();
  menu->addAction(withShortcut(tr("Select All"), QKeySequence::SelectAll), this,
                  &NumberEdit::selectAll);
}

void NumberEdit::mousePressEvent(QMouseEvent* event) {
  QClipboard* clipboard = QApplication::clipboard();
  if (event->button() != Qt::MiddleButton || !clipboard->supportsSelection()) {
    TextArea::mousePressEvent(event);
    return;
  }
  const QString text = clipboard->text(QClipboard::Selection);
  if (text.isEmpty()) return;
  // Pasted where the pointer is, whatever was selected, as the desktop's text boxes do.
  setCaret(caretAt(event->position().toPoint()).pos, false);
  insertText(text);
}

void NumberEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasText()) return event->ignore();
  event->acceptProposedAction();
}

void NumberEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (!event->mimeData()->hasText()) return event->ignore();
  setDropIndicator(caretAt(event->position().toPoint()).pos);
  event->acceptProposedAction();
}

void NumberEdit::dragLeaveEvent(QDragLeaveEvent*) { setDropIndicator(std::nullopt); }

void NumberEdit::dropEvent(QDropEvent* event) {
  setDropIndicator(std::nullopt);
  const QString text = event->mimeData()->text();
  if (text.isEmpty()) return event->ignore();
  const TextPos at = caretAt(event->position().toPoint()).pos;
  if (event->source() == this && event->dropAction() == Qt::MoveAction) {
    // The box's own selection moved within it: taken out, then put back where it landed, as
    // one step to undo. The drag is then told it was a copy, so that nothing more is taken out.
    const auto [from, to] = selectionRange();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (from <= at && at <= to) return;
    const std::string bytes = ToBytes(text);
    const std::uint64_t a = buffer_.OffsetOf(from);
    const std::uint64_t b = buffer_.OffsetOf(to);
    std::uint64_t there = buffer_.OffsetOf(at);
    if (there > b) there -= b - a;
    edit(a, b, {}, EditHistory::Kind::kOther);
    edit(there, there, bytes, EditHistory::Kind::kWithPrevious);
    return;
  }
  setCaret(at, false);
  insertText(text);
  event->acceptProposedAction();
}

void NumberEdit::draggedAway(TextPos from, TextPos to) {
  edit(buffer_.OffsetOf(from), buffer_.OffsetOf(to), {}, EditHistory::Kind::kOther);
}

void NumberEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Composed text arrives whole once committed; the preedit stage is not shown.
  if (!event->commitString().isEmpty()) insertText(event->commitString());
  event->accept();
}

QVariant NumberEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled) return true;
  if (query == Qt::ImCursorRectangle) return QRectF(caretRect().translated(viewport()->pos()));
  return TextArea::inputMethodQuery(query);
}

}  // namespace dalvo::ui
