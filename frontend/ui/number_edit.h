// NumberEdit: the custom number box (Form1's Text1), a text box that stays quick with a number
// of millions of digits in it: typing, deleting, selecting, cutting, copying, pasting, undo and
// redo as in any text box, over an EditBuffer laid out only where it is seen. The text is any
// Unicode text, held as UTF-8; pasted CR LF and CR become LF. Nothing fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/logic/edit_buffer.h"
#include "frontend/logic/edit_history.h"
#include "frontend/ui/text_area.h"

namespace dalvo::ui {

class NumberEdit : public TextArea {
  Q_OBJECT

 public:
  explicit NumberEdit(QWidget* parent = nullptr);

  // The text as UTF-8, lines separated by LF.
  std::string text() const { return buffer_.Text(); }
  // The text as a number is read from it: text() with every decimal digit of any script
  // (Arabic-Indic, full-width, ...) as the ASCII digit it stands for. Everything else stays as
  // it is; the engine skips what is not a digit.
  std::string numberText() const;
  bool isEmpty() const { return buffer_.Empty(); }
  // Replaces the whole text (line breaks taken as a paste takes them), forgets what could be
  // undone and puts the caret at the start; emits textChanged.
  void setText(std::string_view text);

  // Replaces the selection (or inserts at the caret) with `text`, as typing or pasting does.
  void insertText(const QString& text);
  // Replaces the text from `from` to `to` (either order) with `text`, as one undo step, and
  // puts the caret after it (as an accessibility client edits).
  void replaceRange(TextPos from, TextPos to, const QString& text);
  void paste();
  void cut();
  void undo();
  void redo();

 signals:
  // After every change of the text, whatever made it.
  void textChanged();

 protected:
  bool editKeyPress(QKeyEvent* event) override;
  void fillContextMenu(QMenu* menu) override;
  // A middle click pastes the primary selection where it points.
  void mousePressEvent(QMouseEvent* event) override;
  // Text dropped on the box goes where it lands; the box's own selection dropped elsewhere in
  // it moves there, and moved into another program it is taken out.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void draggedAway(TextPos from, TextPos to) override;
  bool event(QEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  // Replaces the characters [from, to) with `bytes` through the undo history, lays out what
  // changed and moves the caret after the new text.
  void edit(std::uint64_t from, std::uint64_t to, std::string_view bytes, EditHistory::Kind kind);
  // Deletes the selection, or else the character before (`forward` false) or after the caret.
  void deleteChar(bool forward);
  // Deletes the selection, or else from the caret to where the word move `move` ends.
  void deleteWord(CaretMove move);
  // Deletes the selection; nothing without one.
  void deleteSelection();
  void afterUndoOrRedo(std::uint64_t caret, const QString& text_before);
  // While an accessibility client listens, the whole text (as far as it is reported).
  QString accessibleWholeText() const { return accessibleText({0, 0}, EndOf(buffer_)); }

  EditBuffer buffer_;
  EditHistory history_;
};

}  // namespace dalvo::ui
