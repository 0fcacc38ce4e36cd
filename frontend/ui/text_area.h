// TextArea: a box showing a UTF-8 text in a fixed-pitch font with every line wrapped at the box's
// width, as a text box does, but laying out and painting only the rows in view, so a line of a
// billion characters costs what a short one does. It has a caret and a selection moved by mouse
// and keyboard (by character, word, row, page), copies to the clipboard and to the primary
// selection, and scrolls over any number of rows. The text belongs to the subclass (TextViewer
// shows a file, NumberEdit edits the custom number), which lends it through setLines. Nothing
// fails; a copy too large for the clipboard is refused and reported through copyRefused.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

#include "frontend/logic/caret_moves.h"
#include "frontend/logic/text_lines.h"
#include "frontend/logic/utf16_index.h"
#include "frontend/logic/wrap_layout.h"

class QMenu;

namespace dalvo::ui {

class TextArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Room between the frame and the text, as a text box leaves it, in pixels.
  static constexpr int kMargin = 3;
  // A copy of more characters than this is refused: the clipboard would hold gigabytes.
  static constexpr std::uint64_t kMaxCopyChars = std::uint64_t{1} << 28;

  explicit TextArea(QWidget* parent = nullptr);

  bool hasSelection() const { return anchor_ != caret_.pos; }
  // The selection's two ends in text order (equal without a selection).
  std::pair<TextPos, TextPos> selectionRange() const;
  void selectAll();
  // Puts the selected text on the clipboard; nothing without a selection. A selection of more
  // than kMaxCopyChars bytes is refused: copyRefused is emitted instead.
  void copy();
  // The text from `from` to `to` (either order), lines joined by LF; bytes that are not UTF-8
  // become U+FFFD. Built a piece at a time; the caller bounds the length.
  QString textBetween(TextPos from, TextPos to) const;

 signals:
  // A copy was refused because the selection is larger than the clipboard takes.
  void copyRefused();

 public:
  // The columns of a row at the box's present width.
  std::uint64_t columns() const { return layout_.Cols(); }
  // The number of rows of the text wrapped at columns(); the first one shown.
  std::uint64_t rowCount() const { return layout_.RowCount(); }
  std::uint64_t topRow() const { return top_row_; }
  // Whether all of the text is laid out: a long text is laid out again in slices of about
  // kLayoutSliceMs between the window's events (after a new width or font, or lines added), the
  // rows known so far shown and the scroll range growing.
  bool laidOut() const { return layout_.Done(); }
  static constexpr int kLayoutSliceMs = 25;
  // Rises with every change of the text, so a lazy copy can tell that it is out of date.
  std::uint64_t textGeneration() const { return text_generation_; }

  // For accessibility clients, which count characters in UTF-16 units. Counting builds an index
  // once per change of the text (a pass over it), only when a client asks.
  bool isReadOnly() const { return read_only_; }
  const TextLines& lines() const { return *lines_; }
  // The rows of the text at the box's present width, as it shows them.
  const WrapLayout& wrapLayout() const { return layout_; }
  TextPos caretPosition() const { return caret_.pos; }
  TextPos anchorPosition() const { return anchor_; }
  std::uint64_t unitCount() const;
  std::uint64_t unitOffsetOf(TextPos pos) const;
  TextPos posAtUnit(std::uint64_t offset) const;
  // Selects from `anchor` to `caret` (equal: no selection) and shows the caret.
  void select(TextPos anchor, TextPos caret);
  // The rectangle of the character at `pos` in viewport coordinates (a cell wide at a line's
  // end); rows out of view give rectangles outside the viewport.
  QRect rectOf(TextPos pos) const;
  // The position nearest to `point` of the viewport.
  TextPos posAt(QPoint point) const { return caretAt(point).pos; }

 protected:
  // Shows `lines`, which the subclass owns and keeps alive until the next call; the caret goes
  // to the start, the view to the top.
  void setLines(const TextLines& lines);
  // After the subclass changed its text: only the length of `line` changed, or anything did.
  void relayoutLine(std::uint64_t line);
  void relayoutAll();
  // After the subclass added lines at the end of its text, or changed it from `line` on (the
  // previous last line may have grown, or lines were cut off): the rows before `line` stay, the
  // rest are laid out again in slices; the caret, the selection and the text at the top stay.
  void relayoutAppended(std::uint64_t line);

  // Whether the user may change the text (accessibility says so); a box is read-only until its
  // subclass says otherwise.
  void setReadOnly(bool read_only) { read_only_ = read_only; }
  // Tells the input method where the caret is, and accessibility clients that the caret or the
  // selection moved, when they did.
  void announceCaret();
  // While an accessibility client listens: the text from `from` to `to` as a change event
  // carries it (at most kMaxAccessibleUnits units); otherwise nothing, at no cost.
  QString accessibleText(TextPos from, TextPos to) const;
  // Tells accessibility clients that `removed` at unit offset `at` became `inserted`.
  void announceTextChange(std::uint64_t at, const QString& removed, const QString& inserted);
  TextPos caretPos() const { return caret_.pos; }
  // Moves the caret to `pos`; with `extend` the selection grows or shrinks to it, otherwise it
  // is dropped. Scrolls so that the caret is in view.
  void setCaret(TextPos pos, bool extend);

  // Keys: the box's own keys win over a window's shortcuts (event); a key it does not handle
  // itself goes to editKeyPress, which a subclass that edits overrides (true when taken).
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  virtual bool editKeyPress(QKeyEvent* event);

  // Mouse: a click places the caret (below the last row: at the end of the text), a drag
  // selects, a double click takes a word (a drag after it grows by words) and a third click the
  // line. The context menu is fillContextMenu's, at the pointer or, asked for from the
  // keyboard, at the caret.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // The entries of the context menu; the read-only box's are Copy and Select All.
  virtual void fillContextMenu(QMenu* menu);
  // A menu entry's text with the keys of `key` shown beside it, as the desktop's menus do.
  static QString withShortcut(const QString& text, QKeySequence::StandardKey key);
  // Offers the selection as the primary selection (where the window system has one); the
  // text is read only when another program asks for it.
  void offerPrimarySelection();
  // The caret for a point of the viewport (clamped to the rows, a row above or below the view
  // when the point is outside it, the text's end below the last row).
  Caret caretAt(QPoint point) const;
  // Drag and drop: a drag of the selection out of the box (refused, with copyRefused, beyond
  // kMaxCopyChars bytes) offers it as text; a box that is not read-only offers to move it, and
  // draggedAway takes the moved text out when another program accepted it. A box that takes
  // drops shows where they would land with setDropIndicator (nothing: no indicator).
  void startDrag();
  virtual void draggedAway(TextPos from, TextPos to);
  void setDropIndicator(std::optional<TextPos> pos);
  // The caret's rectangle in viewport coordinates.
  QRect caretRect() const;
  // The rectangle of the cell at `pos` (shown at the end of the row above with `at_row_end`).
  QRect cellRect(TextPos pos, bool at_row_end) const;

  // The rows in view are painted; the scroll bar moves the view; a new width or font lays the
  // text out again.
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

  // The caret blinks while the box has the focus; the drag timer turns the view while a drag
  // holds the pointer above or below it.
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // Font metrics and the column count; lays the text out again when the columns change.
  void measure();
  // Lays out more of the text for about `ms` and shows what is known; continues from a 0 ms
  // timer, kLayoutSliceMs a time, until all of it is laid out.
  void layOutSlice(int ms = kLayoutSliceMs);
  // The columns that fit the viewport's width with the present font.
  std::uint64_t columnsForWidth() const;
  // Rows wholly in view (at least 1) and the largest top row.
  std::uint64_t pageRows() const;
  std::uint64_t maxTopRow() const;
  void setTopRow(std::uint64_t row);
  void updateScrollBar();
  void ensureCaretVisible();
  void restartBlink();
  bool moveKey(QKeyEvent* event);
  // A drag's pointer at `point`: moves the caret there, by whole words after a double click.
  void dragTo(QPoint point);
  void paintRow(QPainter& painter, TextPos row, int y, std::pair<TextPos, TextPos> selection);

  const TextLines* lines_ = nullptr;
  WrapLayout layout_;
  Caret caret_;
  TextPos anchor_;
  std::uint64_t top_row_ = 0;
  std::uint64_t text_generation_ = 0;
  bool read_only_ = true;
  mutable Utf16Index units_;
  mutable std::uint64_t units_generation_ = UINT64_MAX;
  // Where the changes since units_ was counted are only lines added at the end: the first line
  // they touched. Empty after any other change, which counts the text again.
  mutable std::optional<std::uint64_t> units_appended_from_;
  TextPos announced_caret_;
  TextPos announced_anchor_;
  qreal char_width_ = 8;
  int row_height_ = 16;
  int ascent_ = 12;
  bool syncing_scroll_bar_ = false;
  bool caret_shown_ = true;
  bool dragging_ = false;
  bool word_drag_ = false;  // a drag after a double click, which grows by whole words
  std::optional<QPoint> drag_start_;  // a press on the selection that may begin a drag
  std::optional<TextPos> drop_pos_;   // where a drop would land
  std::pair<TextPos, TextPos> drag_word_;  // the word the double click took
  QPoint drag_point_;
  QPoint double_click_point_;
  QElapsedTimer double_click_clock_;  // a press soon after a double click is a triple click
  QBasicTimer blink_timer_;
  QBasicTimer drag_timer_;  // scrolls while a drag holds the pointer above or below the view
  QBasicTimer layout_timer_;  // lays the text out a slice at a time
  std::optional<TextPos> pending_top_;  // shown at the top once the layout reaches it
};

}  // namespace dalvo::ui
