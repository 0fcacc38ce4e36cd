// TextArea's mouse: clicks, drags and multiple clicks place the caret and select, a press on the
// selection drags it away, and the context menu opens at the pointer or, from the keyboard, at
// the caret.
#include "frontend/ui/text_area.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace dalvo::ui {
namespace {

constexpr int kDragScrollMs = 50;

}  // namespace

void TextArea::fillContextMenu(QMenu* menu) {
  menu->addAction(withShortcut(tr("&Copy"), QKeySequence::Copy), this, &TextArea::copy)
      ->setEnabled(hasSelection());
  menu->addSeparator();
  menu->addAction(withShortcut(tr("Select All"), QKeySequence::SelectAll), this,
                  &TextArea::selectAll);
}

QString TextArea::withShortcut(const QString& text, QKeySequence::StandardKey key) {
  const QKeySequence keys(key);
  if (keys.isEmpty()) return text;
  return text + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText);
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

void TextArea::dragTo(QPoint point) {
  caret_ = caretAt(point);
  if (!word_drag_) return;
  // After a double click the selection holds the first word and grows by whole words. Within
  // the first word it stays that word, which is not read again: a quotient of a billion digits
  // is one word, and reading it at every move of the mouse would stall the window.
  if (drag_word_.first <= caret_.pos && caret_.pos <= drag_word_.second) {
    anchor_ = drag_word_.first;
    caret_ = {drag_word_.second, false, {}};
    return;
  }
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

}  // namespace dalvo::ui
