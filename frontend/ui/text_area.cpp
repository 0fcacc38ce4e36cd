#include "text_area.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QStringDecoder>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <string_view>

#include "scroll_mapping.h"
#include "text_area_accessible.h"
#include "utf8_text.h"

namespace dalvo::ui {
namespace {

constexpr int kDragScrollMs = 50;

const QString kPlainText = QStringLiteral("text/plain");

// A selection as the primary selection or a drag offers it to other programs: the text is read
// from the box only when one of them asks, so selecting a billion digits copies nothing. Once
// the box is gone or its text has changed, the offer is empty.
class SelectionData : public QMimeData {
 public:
  SelectionData(const TextArea& area, std::pair<TextPos, TextPos> range)
      : area_(&area), range_(range), generation_(area.textGeneration()) {}

  QStringList formats() const override { return {kPlainText}; }

 protected:
  QVariant retrieveData(const QString& mime_type, QMetaType) const override {
    if (mime_type != kPlainText || area_.isNull() || area_->textGeneration() != generation_) {
      return {};
    }
    return area_->textBetween(range_.first, range_.second);
  }

 private:
  QPointer<const TextArea> area_;
  std::pair<TextPos, TextPos> range_;
  std::uint64_t generation_;
};

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
  layout_.Reset(lines, columnsForWidth());
  caret_ = {};
  anchor_ = {};
  top_row_ = 0;
  updateScrollBar();
  setTopRow(0);
  restartBlink();
  announceCaret();
}

void TextArea::relayoutLine(std::uint64_t line) {
  ++text_generation_;
  layout_.LineChanged(line);
  updateScrollBar();
  viewport()->update();
}

void TextArea::relayoutAll() {
  ++text_generation_;
  if (lines_ != nullptr) layout_.Reset(*lines_, layout_.Cols());
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
  // The text at the top of the view stays at the top after the rows change.
  const TextPos top = layout_.RowStart(top_row_);
  layout_.Reset(*lines_, cols);
  top_row_ = layout_.RowOf(top);
  updateScrollBar();
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

QString TextArea::textBetween(TextPos from, TextPos to) const {
  QString text;
  if (lines_ == nullptr) return text;
  // The decoder carries a sequence cut between two pieces over to the next one.
  QStringDecoder decoder(QStringDecoder::Utf8);
  VisitText(*lines_, from, to, "\n", [&text, &decoder](std::string_view piece) {
    text += decoder(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size())));
  });
  return text;
}

void TextArea::copy() {
  if (lines_ == nullptr || !hasSelection()) return;
  const auto [from, to] = selectionRange();
  if (CharsBetween(*lines_, from, to, 1) > kMaxCopyChars) {
    emit copyRefused();
    return;
  }
  QApplication::clipboard()->setText(textBetween(from, to));
}

void TextArea::offerPrimarySelection() {
  QClipboard* clipboard = QApplication::clipboard();
  if (!hasSelection() || !clipboard->supportsSelection()) return;
  clipboard->setMimeData(new SelectionData(*this, selectionRange()), QClipboard::Selection);
}

QString TextArea::withShortcut(const QString& text, QKeySequence::StandardKey key) {
  const QKeySequence keys(key);
  if (keys.isEmpty()) return text;
  return text + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText);
}

void TextArea::ensureCaretVisible() {
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

std::uint64_t TextArea::unitCount() const {
  unitOffsetOf({0, 0});
  return units_.Total();
}

std::uint64_t TextArea::unitOffsetOf(TextPos pos) const {
  if (lines_ == nullptr) return 0;
  if (units_generation_ != text_generation_) {
    units_.Reset(*lines_);
    units_generation_ = text_generation_;
  }
  return units_.OffsetOf(pos);
}

TextPos TextArea::posAtUnit(std::uint64_t offset) const {
  unitOffsetOf({0, 0});
  return units_.PosOf(offset);
}

void TextArea::select(TextPos anchor, TextPos caret) {
  if (lines_ == nullptr) return;
  anchor_ = Clamp(*lines_, anchor);
  setCaret(caret, true);
  offerPrimarySelection();
}

QString TextArea::accessibleText(TextPos from, TextPos to) const {
  if (lines_ == nullptr || !QAccessible::isActive()) return {};
  if (to < from) std::swap(from, to);
  const std::uint64_t first = unitOffsetOf(from);
  if (unitOffsetOf(to) - first > kMaxAccessibleUnits) to = posAtUnit(first + kMaxAccessibleUnits);
  return textBetween(from, to);
}

void TextArea::announceTextChange(std::uint64_t at, const QString& removed, const QString& inserted) {
  if (!QAccessible::isActive() || (removed.isEmpty() && inserted.isEmpty())) return;
  const int offset = static_cast<int>(std::min<std::uint64_t>(at, INT_MAX));
  if (removed.isEmpty()) {
    QAccessibleTextInsertEvent event(this, offset, inserted);
    QAccessible::updateAccessibility(&event);
  } else if (inserted.isEmpty()) {
    QAccessibleTextRemoveEvent event(this, offset, removed);
    QAccessible::updateAccessibility(&event);
  } else {
    QAccessibleTextUpdateEvent event(this, offset, removed, inserted);
    QAccessible::updateAccessibility(&event);
  }
}

void TextArea::announceCaret() {
  if (lines_ == nullptr || !QAccessible::isActive()) return;
  // Every empty selection is the same: a caret moving alone moves no selection.
  const bool was_empty = announced_anchor_ == announced_caret_;
  const bool selection_moved = !(was_empty && !hasSelection()) &&
                               (anchor_ != announced_anchor_ || caret_.pos != announced_caret_);
  const bool caret_moved = caret_.pos != announced_caret_;
  announced_caret_ = caret_.pos;
  announced_anchor_ = anchor_;
  if (selection_moved) {
    const auto [from, to] = selectionRange();
    QAccessibleTextSelectionEvent event(this, static_cast<int>(unitOffsetOf(from)),
                                        static_cast<int>(unitOffsetOf(to)));
    event.setCursorPosition(static_cast<int>(unitOffsetOf(caret_.pos)));
    QAccessible::updateAccessibility(&event);
  }
  if (caret_moved) {
    QAccessibleTextCursorEvent event(this, static_cast<int>(unitOffsetOf(caret_.pos)));
    QAccessible::updateAccessibility(&event);
  }
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

void TextArea::fillContextMenu(QMenu* menu) {
  menu->addAction(withShortcut(tr("&Copy"), QKeySequence::Copy), this, &TextArea::copy)
      ->setEnabled(hasSelection());
  menu->addSeparator();
  menu->addAction(withShortcut(tr("Select All"), QKeySequence::SelectAll), this,
                  &TextArea::selectAll);
}

void TextArea::mousePressEvent(QMouseEvent* event) {
  if (lines_ == nullptr || event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const QPoint point = event->position().toPoint();
  const Caret clicked = caretAt(point);
  const bool triple =
      double_click_clock_.isValid() &&
      double_click_clock_.elapsed() < QApplication::doubleClickInterval() &&
      (point - double_click_point_).manhattanLength() < QApplication::startDragDistance();
  double_click_clock_.invalidate();
  const auto [from, to] = selectionRange();
  if (!triple && !(event->modifiers() & Qt::ShiftModifier) && from <= clicked.pos &&
      clicked.pos < to) {
    // A press on the selection may begin dragging it; a release without a drag drops it.
    drag_start_ = point;
    return;
  }
  caret_ = clicked;
  if (triple) {
    // A triple click: the whole line with its break, as a text box selects a paragraph.
    anchor_ = {caret_.pos.line, 0};
    caret_.pos = caret_.pos.line + 1 < lines_->LineCount()
                     ? TextPos{caret_.pos.line + 1, 0}
                     : TextPos{caret_.pos.line, lines_->LineLength(caret_.pos.line)};
    caret_.at_row_end = false;
    offerPrimarySelection();
    viewport()->update();
    announceCaret();
    return;
  }
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = caret_.pos;
  dragging_ = true;
  word_drag_ = false;
  restartBlink();
  viewport()->update();
  announceCaret();
}

void TextArea::mouseMoveEvent(QMouseEvent* event) {
  if (drag_start_ && (event->position().toPoint() - *drag_start_).manhattanLength() >=
                         QApplication::startDragDistance()) {
    drag_start_.reset();
    startDrag();
    return;
  }
  if (!dragging_ || lines_ == nullptr) return;
  drag_point_ = event->position().toPoint();
  dragTo(drag_point_);
  ensureCaretVisible();
  const bool outside = drag_point_.y() < 0 || drag_point_.y() >= viewport()->height();
  if (outside && !drag_timer_.isActive()) drag_timer_.start(kDragScrollMs, this);
  if (!outside) drag_timer_.stop();
  viewport()->update();
  announceCaret();
}

void TextArea::mouseReleaseEvent(QMouseEvent* event) {
  if (drag_start_ && event->button() == Qt::LeftButton) {
    drag_start_.reset();
    setCaret(caretAt(event->position().toPoint()).pos, false);
    return;
  }
  if (event->button() == Qt::LeftButton) {
    if (dragging_) offerPrimarySelection();
    dragging_ = false;
    word_drag_ = false;
    drag_timer_.stop();
  }
}

void TextArea::startDrag() {
  const auto [from, to] = selectionRange();
  if (lines_ == nullptr || from == to) return;
  if (CharsBetween(*lines_, from, to, 1) > kMaxCopyChars) {
    emit copyRefused();
    return;
  }
  auto* drag = new QDrag(this);
  drag->setMimeData(new SelectionData(*this, {from, to}));
  const Qt::DropActions actions = read_only_ ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
  const Qt::DropAction done = drag->exec(actions, read_only_ ? Qt::CopyAction : Qt::MoveAction);
  // A move into this box itself was done by the drop; one into another program leaves the
  // text to be taken out here.
  const QObject* target = drag->target();
  if (done == Qt::MoveAction && target != this && target != viewport()) draggedAway(from, to);
}

void TextArea::draggedAway(TextPos, TextPos) {}

void TextArea::setDropIndicator(std::optional<TextPos> pos) {
  drop_pos_ = pos;
  viewport()->update();
}

void TextArea::dragTo(QPoint point) {
  caret_ = caretAt(point);
  if (!word_drag_) return;
  // After a double click the selection holds the first word and grows by whole words.
  const auto [from, to] = WordAt(*lines_, caret_.pos);
  if (caret_.pos < drag_word_.first) {
    anchor_ = drag_word_.second;
    caret_ = {from, false, {}};
  } else {
    anchor_ = drag_word_.first;
    caret_ = {std::max(to, drag_word_.second), false, {}};
  }
}

void TextArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (lines_ == nullptr || event->button() != Qt::LeftButton) return;
  const auto [from, to] = WordAt(*lines_, caretAt(event->position().toPoint()).pos);
  anchor_ = from;
  caret_ = {to, false, {}};
  drag_word_ = {from, to};
  dragging_ = true;
  word_drag_ = true;
  offerPrimarySelection();
  double_click_point_ = event->position().toPoint();
  double_click_clock_.start();
  restartBlink();
  viewport()->update();
  announceCaret();
}

void TextArea::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  fillContextMenu(&menu);
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Keyboard && lines_ != nullptr) {
    // From the keyboard the menu opens where the user is typing, under the caret.
    const QRect caret = caretRect();
    if (viewport()->rect().intersects(caret)) at = viewport()->mapToGlobal(caret.bottomLeft());
  }
  menu.exec(at);
}

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
