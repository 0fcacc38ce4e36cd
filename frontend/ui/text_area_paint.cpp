// TextArea's painting: only the rows in view, each in one or three runs (before, in and after
// the selection), and the caret.
#include "text_area.h"

#include <QPainter>

#include <algorithm>
#include <string>
#include <string_view>

namespace dalvo::ui {
namespace {

// Bytes as the box shows them: 8-bit text, one character a byte; control characters, which
// would break the one-character-one-column grid, as blanks.
QString Displayed(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *out++ = (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) ? QChar(u' ') : QChar(QLatin1Char(c));
  }
  return text;
}

}  // namespace

void TextArea::paintEvent(QPaintEvent*) {
  if (lines_ == nullptr) return;
  QPainter painter(viewport());
  painter.setFont(font());
  const auto selection = selectionRange();
  TextPos row = layout_.RowStart(top_row_);
  const int height = viewport()->height();
  for (int y = kMargin; y < height; y += row_height_) {
    paintRow(painter, row, y, selection);
    if (!layout_.NextRow(row)) break;
  }
  if (hasFocus() && caret_shown_) {
    const std::uint64_t caret_row = layout_.RowOf(caret_.pos, caret_.at_row_end);
    if (caret_row >= top_row_ && caret_row < top_row_ + pageRows() + 1) {
      const std::uint64_t x = caret_.pos.col - layout_.RowStart(caret_row).col;
      const qreal left = kMargin + static_cast<qreal>(x) * char_width_;
      const int top = kMargin + static_cast<int>(caret_row - top_row_) * row_height_;
      painter.fillRect(QRectF(left, top, 1, row_height_), palette().color(QPalette::Text));
    }
  }
}

void TextArea::paintRow(QPainter& painter, TextPos row, int y,
                        std::pair<TextPos, TextPos> selection) {
  const std::uint64_t length = layout_.RowLength(row);
  std::string bytes;
  lines_->AppendLine(row.line, row.col, row.col + length, bytes);
  const QString text = Displayed(bytes);
  const auto [from, to] = selection;
  // The selected columns of this row, [sel_a, sel_b) relative to its start.
  std::uint64_t sel_a = 0;
  std::uint64_t sel_b = 0;
  bool break_selected = false;
  if (from != to && row.line >= from.line && row.line <= to.line) {
    const std::uint64_t a = row.line == from.line ? std::max(row.col, from.col) : row.col;
    const std::uint64_t b = row.line == to.line ? std::min(row.col + length, to.col) : row.col + length;
    if (a < b) {
      sel_a = a - row.col;
      sel_b = b - row.col;
    }
    // A selected line break shows as one selected blank after the line's last row.
    break_selected = row.line < to.line && row.col + length == lines_->LineLength(row.line) &&
                     (row.line > from.line || from.col <= row.col + length);
  }
  const int baseline = y + ascent_;
  const auto x_of = [this](std::uint64_t col) {
    return kMargin + static_cast<qreal>(col) * char_width_;
  };
  const auto draw = [&](std::uint64_t a, std::uint64_t b, bool selected) {
    if (a >= b) return;
    if (selected) {
      painter.fillRect(QRectF(x_of(a), y, x_of(b) - x_of(a), row_height_),
                       palette().color(QPalette::Highlight));
      painter.setPen(palette().color(QPalette::HighlightedText));
    } else {
      painter.setPen(palette().color(QPalette::Text));
    }
    painter.drawText(QPointF(x_of(a), baseline),
                     text.mid(static_cast<qsizetype>(a), static_cast<qsizetype>(b - a)));
  };
  draw(0, sel_a, false);
  draw(sel_a, sel_b, true);
  draw(std::max(sel_b, sel_a), length, false);
  if (break_selected) {
    painter.fillRect(QRectF(x_of(length), y, char_width_, row_height_),
                     palette().color(QPalette::Highlight));
  }
}

}  // namespace dalvo::ui
