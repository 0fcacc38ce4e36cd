// TextArea's painting: only the rows in view and the caret. A row of ASCII is drawn in one or
// three runs (before, in and after the selection); a row with other characters is drawn one
// character at a time, each in its own cells, so that the grid the caret and the mouse use is
// the grid the user sees, whatever widths the font gives its glyphs.
#include "text_area.h"

#include <QPainter>

#include <algorithm>
#include <string>
#include <vector>
#include <string_view>

#include "utf8_text.h"

namespace dalvo::ui {
namespace {

// A row of ASCII as the box shows it, one character a byte; control characters, which would
// break the one-character-one-cell grid, as blanks.
QString DisplayedAscii(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *out++ = (byte < 0x20 || byte == 0x7F) ? QChar(u' ') : QChar(QLatin1Char(c));
  }
  return text;
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One character of a row as painted: its bytes, its first cell, and the glyphs (with the marks
// that follow it).
struct Painted {
  std::uint64_t offset;
  std::uint64_t cell;
  int width;
  QString glyphs;
};

std::vector<Painted> PaintedChars(std::string_view bytes) {
  std::vector<Painted> chars;
  std::uint64_t cell = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const Utf8Char c = DecodeUtf8(bytes.substr(at));
    char32_t code = c.code;
    if (code < 0x20 || (code >= 0x7F && code < 0xA0)) code = U' ';
    const int width = CellWidth(code);
    const QString glyph = QString::fromUcs4(&code, 1);
    if (width == 0 && !chars.empty()) {
      chars.back().glyphs += glyph;  // a combining mark is drawn with its base
    } else {
      chars.push_back({at, cell, std::max(width, 1), glyph});
      cell += static_cast<std::uint64_t>(std::max(width, 1));
    }
    at += c.length;
  }
  return chars;
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
  if (drop_pos_) {
    const QRect drop = cellRect(*drop_pos_, false);
    painter.fillRect(QRect(drop.left(), drop.top(), 2, drop.height()), palette().color(QPalette::Text));
  }
  if (hasFocus() && caret_shown_) {
    const std::uint64_t caret_row = layout_.RowOf(caret_.pos, caret_.at_row_end);
    if (caret_row >= top_row_ && caret_row < top_row_ + pageRows() + 1) {
      const std::uint64_t x = layout_.CellsBefore(layout_.RowStart(caret_row), caret_.pos.col);
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
  const auto [from, to] = selection;
  // The selected bytes of this row, [sel_a, sel_b) relative to its start.
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
  const auto x_of = [this](std::uint64_t cell) {
    return kMargin + static_cast<qreal>(cell) * char_width_;
  };
  const auto pen_for = [&](bool selected) {
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
  };
  const auto fill = [&](std::uint64_t a, std::uint64_t b) {
    painter.fillRect(QRectF(x_of(a), y, x_of(b) - x_of(a), row_height_),
                     palette().color(QPalette::Highlight));
  };
  std::uint64_t row_cells = length;
  if (IsAscii(bytes)) {
    // Digits and plain text: one cell a byte, a run drawn at once.
    const QString text = DisplayedAscii(bytes);
    const auto draw = [&](std::uint64_t a, std::uint64_t b, bool selected) {
      if (a >= b) return;
      if (selected) fill(a, b);
      pen_for(selected);
      painter.drawText(QPointF(x_of(a), baseline),
                       text.mid(static_cast<qsizetype>(a), static_cast<qsizetype>(b - a)));
    };
    draw(0, sel_a, false);
    draw(sel_a, sel_b, true);
    draw(std::max(sel_b, sel_a), length, false);
  } else {
    const std::vector<Painted> chars = PaintedChars(bytes);
    row_cells = chars.empty() ? 0 : chars.back().cell + static_cast<std::uint64_t>(chars.back().width);
    for (const Painted& c : chars) {
      const bool selected = c.offset >= sel_a && c.offset < sel_b;
      const std::uint64_t end = c.cell + static_cast<std::uint64_t>(c.width);
      if (selected) fill(c.cell, end);
      pen_for(selected);
      // Each character is centred in its cells; a right-to-left letter is shown on its own,
      // unjoined, which keeps it legible without shaping the row.
      painter.drawText(QRectF(x_of(c.cell), y, x_of(end) - x_of(c.cell), row_height_),
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, c.glyphs);
    }
  }
  if (break_selected) {
    painter.fillRect(QRectF(x_of(row_cells), y, char_width_, row_height_),
                     palette().color(QPalette::Highlight));
  }
}

}  // namespace dalvo::ui
