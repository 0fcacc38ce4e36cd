// TextArea's painting: only the rows in view and the caret. A row of ASCII is drawn in one or
// three runs (before, in and after the selection); a row with other characters is drawn one
// character at a time, each in its own cells (right-to-left words whole, fitted to their
// cells), so that the grid the caret and the mouse use is the grid the user sees, whatever
// widths the font gives its glyphs. Within a right-to-left word the caret keeps to the order of
// the text, left to right.
#include "frontend/ui/text_area.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

#include "frontend/logic/utf8_text.h"

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
  bool right_to_left;
};

// Letters of the scripts written from right to left (digits, even Arabic-Indic ones, run left
// to right).
bool IsRightToLeft(char32_t code) {
  if ((code >= 0x0660 && code <= 0x0669) || (code >= 0x06F0 && code <= 0x06F9)) return false;
  return (code >= 0x0590 && code <= 0x08FF) || (code >= 0xFB1D && code <= 0xFDFF) ||
         (code >= 0xFE70 && code <= 0xFEFF) || (code >= 0x10800 && code <= 0x10FFF) ||
         (code >= 0x1E800 && code <= 0x1EFFF);
}

// The end of the run that begins at `i`: a single character, or right-to-left letters with
// the blanks between them.
std::size_t RunEnd(const std::vector<Painted>& chars, std::size_t i) {
  if (!chars[i].right_to_left) return i + 1;
  std::size_t end = i + 1;
  for (std::size_t k = i + 1; k < chars.size(); ++k) {
    if (chars[k].right_to_left) {
      end = k + 1;
    } else if (chars[k].glyphs != QLatin1String(" ")) {
      break;
    }
  }
  return end;
}

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
      chars.push_back({at, cell, std::max(width, 1), glyph, IsRightToLeft(code)});
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
    painter.fillRect(QRect(drop.left(), drop.top(), 2, drop.height()),
                     palette().color(QPalette::Text));
  }
  if (hasFocus() && caret_shown_) {
    const std::uint64_t caret_row = layout_.RowOf(caret_.pos, caret_.at_row_end);
    // A caret in text not laid out yet is not in view.
    if (caret_.pos.line < layout_.LaidLines() && caret_row >= top_row_ &&
        caret_row < top_row_ + pageRows() + 1) {
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
      if (c.offset < sel_a || c.offset >= sel_b) continue;
      fill(c.cell, c.cell + static_cast<std::uint64_t>(c.width));
    }
    for (std::size_t i = 0; i < chars.size();) {
      const std::size_t end = RunEnd(chars, i);
      const Painted& first = chars[i];
      const Painted& last = chars[end - 1];
      pen_for(first.offset >= sel_a && first.offset < sel_b);
      const QRectF cells(x_of(first.cell), y,
                         x_of(last.cell + static_cast<std::uint64_t>(last.width)) - x_of(first.cell),
                         row_height_);
      if (end == i + 1 && !first.right_to_left) {
        // A character is centred in its cells.
        painter.drawText(cells, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, first.glyphs);
      } else {
        // Right-to-left words are drawn whole, joined and in their own order, squeezed or
        // spread to fill exactly the cells their characters take: legible, and the grid holds.
        QString run;
        for (std::size_t k = i; k < end; ++k) run += chars[k].glyphs;
        const qreal advance = QFontMetricsF(painter.font()).horizontalAdvance(run);
        painter.save();
        painter.translate(cells.left(), 0);
        if (advance > 0) painter.scale(cells.width() / advance, 1);
        painter.drawText(QPointF(0, baseline), run);
        painter.restore();
      }
      i = end;
    }
  }
  if (break_selected) {
    painter.fillRect(QRectF(x_of(row_cells), y, char_width_, row_height_),
                     palette().color(QPalette::Highlight));
  }
}

}  // namespace dalvo::ui
