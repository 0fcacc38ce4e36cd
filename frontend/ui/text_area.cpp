#include "frontend/ui/text_area.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "frontend/logic/scroll_mapping.h"
#include "frontend/logic/utf8_text.h"
#include "frontend/ui/text_area_accessible.h"

namespace dalvo::ui {
namespace {

struct MoveKey {
  QKeySequence::StandardKey move;
  QKeySequence::StandardKey select;
  CaretMove caret_move;
};

constexpr MoveKey kMoveKeys[] = {
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, CaretMove::kLeft},
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, CaretMove::kRight},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, CaretMove::kWordLeft},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, CaretMove::kWordRight},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, CaretMove::kUp},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, CaretMove::kDown},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, CaretMove::kPageUp},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, CaretMove::kPageDown},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, CaretMove::kRowStart},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, CaretMove::kRowEnd},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
     CaretMove::kTextStart},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, CaretMove::kTextEnd},
};

// Lines laid out between two looks at the clock.
constexpr std::uint64_t kLayoutChunkLines = 4096;

}  // namespace

TextArea::TextArea(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallTextAreaAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // every line wraps
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  measure();
}

void TextArea::setLines(const TextLines& lines) {
  lines_ = &lines;
  ++text_generation_;
  units_appended_from_.reset();
  layout_.Begin(lines, columnsForWidth());
  caret_ = {};
  anchor_ = {};
  top_row_ = 0;
  pending_top_.reset();
  layOutSlice();
  setTopRow(0);
  restartBlink();
  announceCaret();
}

void TextArea::relayoutLine(std::uint64_t line) {
  ++text_generation_;
  units_appended_from_.reset();
  layout_.LineChanged(line);
  updateScrollBar();
  viewport()->update();
}

void TextArea::relayoutAll() {
  ++text_generation_;
  units_appended_from_.reset();
  if (lines_ != nullptr) layout_.Reset(*lines_, layout_.Cols());
  layOutSlice();
}

void TextArea::relayoutAppended(std::uint64_t line) {
  // The screen readers' offsets need counting only from the line added to, if nothing else
  // changed since they were last counted.
  if (units_generation_ == text_generation_ || units_appended_from_) {
    units_appended_from_ = std::min(units_appended_from_.value_or(line), line);
  }
  ++text_generation_;
  // Rows from the top's line on are laid out again: the text at the top comes back once they are.
  if (!pending_top_ && line < layout_.LaidLines()) {
    const TextPos top = layout_.RowStart(top_row_);
    if (top.line >= line) pending_top_ = top;
  }
  // A chunk now, so the rows grow with every call; the rest in slices of their own, so that the
  // subclass's work and the layout's do not add up to one long wait.
  layout_.LinesAppended(line, kLayoutChunkLines);
  layOutSlice(0);
}

void TextArea::layOutSlice(int ms) {
  QElapsedTimer clock;
  clock.start();
  bool done = layout_.Done();
  while (!done && clock.elapsed() < ms) done = layout_.LayOutMore(kLayoutChunkLines);
  if (done) {
    layout_timer_.stop();
  } else if (!layout_timer_.isActive()) {
    layout_timer_.start(0, this);
  }
  if (pending_top_) {
    // Until the layout reaches the text that was at the top, the last rows known are shown.
    if (done || pending_top_->line < layout_.LaidLines()) {
      top_row_ = layout_.RowOf(*pending_top_);
      pending_top_.reset();
    } else {
      top_row_ = layout_.RowCount();
    }
  }
  updateScrollBar();
  viewport()->update();
}

void TextArea::measure() {
  const QFontMetricsF metrics(font());
  // The advance of a long run, not of one character: that is how a painted row is spaced.
  char_width_ = std::max<qreal>(metrics.horizontalAdvance(QString(64, QLatin1Char('0'))) / 64, 1);
  row_height_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
  ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
  const std::uint64_t cols = columnsForWidth();
  if (lines_ == nullptr || cols == layout_.Cols()) return;
  // The text at the top of the view stays at the top after the rows change (once they are laid
  // out that far).
  if (!pending_top_) pending_top_ = layout_.RowStart(top_row_);
  layout_.Begin(*lines_, cols);
  layOutSlice();
}

std::uint64_t TextArea::columnsForWidth() const {
  const int room = std::max(0, viewport()->width() - 2 * kMargin);
  return std::max<std::uint64_t>(1, static_cast<std::uint64_t>(room / char_width_));
}

std::uint64_t TextArea::pageRows() const {
  const int height = viewport()->height() - kMargin;
  return static_cast<std::uint64_t>(std::max(1, height / row_height_));
}

std::uint64_t TextArea::maxTopRow() const {
  const std::uint64_t rows = layout_.RowCount();
  const std::uint64_t page = pageRows();
  return rows > page ? rows - page : 0;
}

void TextArea::updateScrollBar() {
  const std::uint64_t max_top = maxTopRow();
  QScrollBar* bar = verticalScrollBar();
  syncing_scroll_bar_ = true;
  bar->setRange(0, ScrollValueFor(max_top, max_top));
  const std::uint64_t step = RowsPerScrollValue(max_top);
  bar->setPageStep(static_cast<int>(std::max<std::uint64_t>(1, pageRows() / step)));
  bar->setSingleStep(1);
  syncing_scroll_bar_ = false;
  setTopRow(top_row_);
}

void TextArea::setTopRow(std::uint64_t row) {
  const std::uint64_t max_top = maxTopRow();
  top_row_ = std::min(row, max_top);
  syncing_scroll_bar_ = true;
  verticalScrollBar()->setValue(ScrollValueFor(top_row_, max_top));
  syncing_scroll_bar_ = false;
  viewport()->update();
}

void TextArea::scrollContentsBy(int, int) {
  // Moves of the bar made here already set the top row exactly; only the user's moves (drag,
  // wheel, arrows, clicks in the groove) go from the bar's value to a row.
  if (syncing_scroll_bar_) return;
  pending_top_.reset();
  top_row_ = TopRowFor(verticalScrollBar()->value(), maxTopRow());
  viewport()->update();
}

std::pair<TextPos, TextPos> TextArea::selectionRange() const {
  return anchor_ < caret_.pos ? std::pair(anchor_, caret_.pos) : std::pair(caret_.pos, anchor_);
}

void TextArea::setCaret(TextPos pos, bool extend) {
  if (lines_ == nullptr) return;
  caret_ = {Clamp(*lines_, pos), false, {}};
  if (!extend) anchor_ = caret_.pos;
  ensureCaretVisible();
  restartBlink();
  viewport()->update();
  announceCaret();
}

void TextArea::selectAll() {
  if (lines_ == nullptr) return;
  anchor_ = {0, 0};
  caret_ = {EndOf(*lines_), false, {}};
  ensureCaretVisible();
  offerPrimarySelection();
  viewport()->update();
  announceCaret();
}

void TextArea::ensureCaretVisible() {
  pending_top_.reset();  // the caret's place wins over the top kept from before a resize
  const std::uint64_t row = layout_.RowOf(caret_.pos, caret_.at_row_end);
  const std::uint64_t page = pageRows();
  if (row < top_row_) {
    setTopRow(row);
  } else if (row >= top_row_ + page) {
    setTopRow(row - page + 1);
  }
}

void TextArea::restartBlink() {
  caret_shown_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (flash > 0 && hasFocus()) {
    blink_timer_.start(flash / 2, this);
  } else {
    blink_timer_.stop();
  }
}

QRect TextArea::cellRect(TextPos pos, bool at_row_end) const {
  const std::uint64_t row = layout_.RowOf(pos, at_row_end);
  const std::uint64_t cells = layout_.CellsBefore(layout_.RowStart(row), pos.col);
  // Rows far out of view are placed just beyond it: their distance would overflow an int.
  constexpr std::uint64_t kFar = 1u << 20;
  const qint64 rows_down = row >= top_row_ ? static_cast<qint64>(std::min(row - top_row_, kFar))
                                           : -static_cast<qint64>(std::min(top_row_ - row, kFar));
  const int x = kMargin + static_cast<int>(std::lround(static_cast<qreal>(cells) * char_width_));
  const int y = kMargin + static_cast<int>(rows_down) * row_height_;
  return QRect(x, y, 1, row_height_);
}

QRect TextArea::caretRect() const { return cellRect(caret_.pos, caret_.at_row_end); }

QRect TextArea::rectOf(TextPos pos) const {
  if (lines_ == nullptr) return {};
  pos = Clamp(*lines_, pos);
  QRect rect = cellRect(pos, false);
  const Utf8Char c = CharAt(*lines_, pos);
  const int cells = c.length == 0 ? 1 : std::max(1, CellWidth(c.code));
  rect.setWidth(static_cast<int>(std::lround(cells * char_width_)));
  return rect;
}

void TextArea::select(TextPos anchor, TextPos caret) {
  if (lines_ == nullptr) return;
  anchor_ = Clamp(*lines_, anchor);
  setCaret(caret, true);
  offerPrimarySelection();
}

Caret TextArea::caretAt(QPoint point) const {
  std::uint64_t row = top_row_;
  if (point.y() < 0) {
    row = top_row_ > 0 ? top_row_ - 1 : 0;
  } else {
    row += static_cast<std::uint64_t>(std::max(0, point.y() - kMargin) / row_height_);
  }
  if (row >= layout_.RowCount()) return {EndOf(*lines_), false, {}};
  const qreal x = std::max<qreal>(0, (point.x() - kMargin) / char_width_);
  return CaretAtRow(layout_, row, static_cast<std::uint64_t>(std::lround(x)));
}

bool TextArea::event(QEvent* event) {
  // Keys this box handles itself must reach it even where a window binds them to an action.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool menu_key = key->key() == Qt::Key_Menu ||
                          (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    bool own = key == QKeySequence::Copy || key == QKeySequence::SelectAll || menu_key;
    for (const MoveKey& move : kMoveKeys) own = own || key == move.move || key == move.select;
    if (own) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

bool TextArea::moveKey(QKeyEvent* event) {
  for (const MoveKey& key : kMoveKeys) {
    const bool select = event->matches(key.select);
    if (!select && !event->matches(key.move)) continue;
    const std::uint64_t row_before = layout_.RowOf(caret_.pos, caret_.at_row_end);
    caret_ = MoveCaret(*lines_, layout_, caret_, key.caret_move, pageRows());
    if (!select) anchor_ = caret_.pos;
    if (select) offerPrimarySelection();
    if (key.caret_move == CaretMove::kPageUp || key.caret_move == CaretMove::kPageDown) {
      // A page key turns the view by the rows the caret moved, so the caret keeps its place
      // on the screen.
      const std::uint64_t row_after = layout_.RowOf(caret_.pos, caret_.at_row_end);
      setTopRow(row_after >= row_before ? top_row_ + (row_after - row_before)
                                        : top_row_ - std::min(top_row_, row_before - row_after));
    }
    ensureCaretVisible();
    restartBlink();
    viewport()->update();
    return true;
  }
  return false;
}

void TextArea::keyPressEvent(QKeyEvent* event) {
  if (lines_ == nullptr) {
    event->ignore();
    return;
  }
  if (event->key() == Qt::Key_Menu ||
      (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
    // The menu asked for from the keyboard opens at the caret (contextMenuEvent places it).
    const QPoint at = viewport()->rect().center();
    QContextMenuEvent menu_event(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    contextMenuEvent(&menu_event);
  } else if (event == QKeySequence::SelectAll) {
    selectAll();
  } else if (event == QKeySequence::Copy) {
    copy();
  } else if (!moveKey(event) && !editKeyPress(event)) {
    // Not ours (Escape, F-keys, ...): the window may want it.
    event->ignore();
    return;
  }
  event->accept();
  announceCaret();
}

bool TextArea::editKeyPress(QKeyEvent*) { return false; }

void TextArea::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  restartBlink();
  viewport()->update();
}

void TextArea::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blink_timer_.stop();
  viewport()->update();
}

void TextArea::timerEvent(QTimerEvent* event) {
  if (event->timerId() == blink_timer_.timerId()) {
    caret_shown_ = !caret_shown_;
    viewport()->update();
  } else if (event->timerId() == layout_timer_.timerId()) {
    layOutSlice();
  } else if (event->timerId() == drag_timer_.timerId()) {
    // The pointer rests above or below the view during a drag: keep turning the view.
    dragTo(drag_point_);
    ensureCaretVisible();
    viewport()->update();
    announceCaret();
  } else {
    QAbstractScrollArea::timerEvent(event);
  }
}

void TextArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  measure();
  updateScrollBar();
}

void TextArea::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    measure();
    updateScrollBar();
  }
}

}  // namespace dalvo::ui
