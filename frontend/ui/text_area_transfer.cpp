// TextArea's exchanges with the rest of the desktop: the clipboard, the primary selection and
// drags (all of which offer a selection lazily, read only when taken), and what screen readers
// are told of the text, the caret and the selection, in UTF-16 units.
#include "frontend/ui/text_area.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QPointer>
#include <QStringDecoder>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>
#include <utility>

#include "frontend/ui/text_area_accessible.h"

namespace dalvo::ui {
namespace {

const QString kPlainText = QStringLiteral("text/plain");

// Screen readers take offsets as int: one past a file's first 2^31 units stands at the last.
int ClampedInt(std::uint64_t units) {
  return static_cast<int>(std::min<std::uint64_t>(units, INT_MAX));
}

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

}  // namespace

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
  if (MoreCharsThan(*lines_, from, to, kMaxCopyChars)) {
    emit copyRefused();
    return;
  }
  QApplication::clipboard()->setText(textBetween(from, to));
}

void TextArea::offerPrimarySelection() {
  QClipboard* clipboard = QApplication::clipboard();
  if (lines_ == nullptr || !hasSelection() || !clipboard->supportsSelection()) return;
  // Another program may ask for the primary selection at any time, unasked by the user; one
  // too large to hand over is not offered (and an older one not left to stand for it).
  const auto [from, to] = selectionRange();
  if (MoreCharsThan(*lines_, from, to, kMaxCopyChars)) {
    clipboard->clear(QClipboard::Selection);
    return;
  }
  clipboard->setMimeData(new SelectionData(*this, selectionRange()), QClipboard::Selection);
}

void TextArea::startDrag() {
  const auto [from, to] = selectionRange();
  if (lines_ == nullptr || from == to) return;
  if (MoreCharsThan(*lines_, from, to, kMaxCopyChars)) {
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

std::uint64_t TextArea::unitCount() const {
  unitOffsetOf({0, 0});
  return units_.Total();
}

std::uint64_t TextArea::unitOffsetOf(TextPos pos) const {
  if (lines_ == nullptr) return 0;
  if (units_generation_ != text_generation_) {
    // Lines added by the viewer's indexing are counted on from where they start; any other
    // change counts the text again.
    if (units_appended_from_) {
      units_.Extend(*lines_, *units_appended_from_);
    } else {
      units_.Reset(*lines_);
    }
    units_appended_from_.reset();
    units_generation_ = text_generation_;
  }
  return units_.OffsetOf(pos);
}

TextPos TextArea::posAtUnit(std::uint64_t offset) const {
  unitOffsetOf({0, 0});
  return units_.PosOf(offset);
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
  // An input method places its candidate window by the caret.
  if (hasFocus() && testAttribute(Qt::WA_InputMethodEnabled)) updateMicroFocus();
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
    QAccessibleTextSelectionEvent event(this, ClampedInt(unitOffsetOf(from)),
                                        ClampedInt(unitOffsetOf(to)));
    event.setCursorPosition(ClampedInt(unitOffsetOf(caret_.pos)));
    QAccessible::updateAccessibility(&event);
  }
  if (caret_moved) {
    QAccessibleTextCursorEvent event(this, ClampedInt(unitOffsetOf(caret_.pos)));
    QAccessible::updateAccessibility(&event);
  }
}

}  // namespace dalvo::ui
