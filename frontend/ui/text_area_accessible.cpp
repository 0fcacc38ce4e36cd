#include "frontend/ui/text_area_accessible.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "frontend/logic/caret_moves.h"
#include "frontend/logic/utf8_text.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/text_area.h"

namespace dalvo::ui {
namespace {

int ToInt(std::uint64_t units) { return static_cast<int>(std::min<std::uint64_t>(units, INT_MAX)); }

std::uint64_t FromInt(int offset) { return static_cast<std::uint64_t>(std::max(0, offset)); }

class TextAreaAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
 public:
  explicit TextAreaAccessible(TextArea* area) : QAccessibleWidget(area, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface && !area()->isReadOnly()) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = area()->isReadOnly();
    state.editable = !area()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return text(0, characterCount());
    return QAccessibleWidget::text(kind);
  }

  // Selection and caret.
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !area()->hasSelection()) return;
    const auto [from, to] = area()->selectionRange();
    *start = ToInt(area()->unitOffsetOf(from));
    *end = ToInt(area()->unitOffsetOf(to));
  }
  int selectionCount() const override { return area()->hasSelection() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) area()->select(area()->caretPosition(), area()->caretPosition());
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    area()->select(area()->posAtUnit(FromInt(start)), area()->posAtUnit(FromInt(end)));
  }
  int cursorPosition() const override { return ToInt(area()->unitOffsetOf(area()->caretPosition())); }
  void setCursorPosition(int position) override {
    const TextPos pos = area()->posAtUnit(FromInt(position));
    area()->select(pos, pos);
  }

  // The text.
  QString text(int start, int end) const override {
    if (end <= start) return {};
    return Between(area()->posAtUnit(FromInt(start)), area()->posAtUnit(FromInt(end)));
  }
  int characterCount() const override { return ToInt(area()->unitCount()); }

  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                       int* end) const override {
    const auto [from, to] = Segment(area()->posAtUnit(FromInt(offset)), boundary);
    return Report(from, to, start, end);
  }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                           int* end) const override {
    const TextPos here = Segment(area()->posAtUnit(FromInt(offset)), boundary).first;
    if (here == TextPos{0, 0}) return Report(here, here, start, end);
    const auto [from, to] = Segment(PrevCharPos(area()->lines(), here), boundary);
    return Report(from, std::min(to, here), start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                          int* end) const override {
    const TextPos after = Segment(area()->posAtUnit(FromInt(offset)), boundary).second;
    const auto [from, to] = Segment(after, boundary);
    return Report(std::max(from, after), to, start, end);
  }

  QRect characterRect(int offset) const override {
    const QRect rect = area()->rectOf(area()->posAtUnit(FromInt(offset)));
    return QRect(area()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = area()->viewport()->mapFromGlobal(point);
    if (!area()->viewport()->rect().contains(local)) return -1;
    return ToInt(area()->unitOffsetOf(area()->posAt(local)));
  }
  void scrollToSubstring(int start, int) override {
    const TextPos pos = area()->posAtUnit(FromInt(start));
    area()->select(pos, pos);
  }
  QString attributes(int offset, int* start, int* end) const override {
    // One run of plain text without attributes.
    *start = 0;
    *end = std::max(characterCount(), offset);
    return {};
  }

  // Editing, for the custom number box only (interface_cast hides it on the viewer).
  void deleteText(int start, int end) override { replaceText(start, end, {}); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int start, int end, const QString& text) override {
    auto* edit = qobject_cast<NumberEdit*>(area());
    if (edit == nullptr) return;
    edit->replaceRange(area()->posAtUnit(FromInt(start)), area()->posAtUnit(FromInt(end)), text);
  }

 private:
  TextArea* area() const { return static_cast<TextArea*>(widget()); }

  // The text from `from` to `to`, at most kMaxAccessibleUnits of it.
  QString Between(TextPos from, TextPos to) const {
    const std::uint64_t first = area()->unitOffsetOf(from);
    if (area()->unitOffsetOf(to) - first > kMaxAccessibleUnits) {
      to = area()->posAtUnit(first + kMaxAccessibleUnits);
    }
    return area()->textBetween(from, to);
  }

  QString Report(TextPos from, TextPos to, int* start, int* end) const {
    *start = ToInt(area()->unitOffsetOf(from));
    *end = ToInt(area()->unitOffsetOf(to));
    return Between(from, to);
  }

  // The character, word, row or line (with its break) that holds `pos`; the whole text for no
  // boundary. A word is what a double click selects.
  std::pair<TextPos, TextPos> Segment(TextPos pos, QAccessible::TextBoundaryType boundary) const {
    const TextLines& lines = area()->lines();
    switch (boundary) {
      case QAccessible::CharBoundary:
        return {pos, NextCharPos(lines, pos)};
      case QAccessible::WordBoundary:
        return WordAt(lines, pos);
      case QAccessible::LineBoundary: {
        // A line is a row as the box shows it, as in the desktop's text boxes: a reader that
        // follows the caret down a wrapped number reads one row, not the whole number.
        const WrapLayout& layout = area()->wrapLayout();
        const TextPos row = layout.RowStart(layout.RowOf(pos));
        TextPos next = row;
        return {row, layout.NextRow(next) ? next : EndOf(lines)};
      }
      case QAccessible::SentenceBoundary:
      case QAccessible::ParagraphBoundary:
        return {TextPos{pos.line, 0}, pos.line + 1 < lines.LineCount()
                                          ? TextPos{pos.line + 1, 0}
                                          : TextPos{pos.line, lines.LineLength(pos.line)}};
      case QAccessible::NoBoundary:
        break;
    }
    return {TextPos{0, 0}, EndOf(lines)};
  }
};

QAccessibleInterface* TextAreaFactory(const QString&, QObject* object) {
  if (auto* area = qobject_cast<TextArea*>(object)) return new TextAreaAccessible(area);
  return nullptr;
}

}  // namespace

void InstallTextAreaAccessibility() {
  // Once: Qt keeps every factory installed, and asks them in turn.
  static const bool installed = [] {
    QAccessible::installFactory(&TextAreaFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace dalvo::ui
