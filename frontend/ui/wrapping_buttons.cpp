#include "frontend/ui/wrapping_buttons.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace dalvo::ui {
namespace {

constexpr int kTextFlagsLeft = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
constexpr int kIndicatorGap = 4;

// Where the caption of an indicator button goes: right of the indicator, the full height.
QRect IndicatorTextRect(const QAbstractButton* button, const QStyleOptionButton& option,
                        QStyle::SubElement indicator_element) {
  const QRect indicator_rect =
      button->style()->subElementRect(indicator_element, &option, button);
  const int text_left = indicator_rect.right() + 1 + kIndicatorGap;
  return QRect(text_left, 0, button->width() - text_left, button->height());
}

bool TextFits(const QAbstractButton* button, const QRect& room, int flags) {
  const QRect needed = QFontMetrics(button->font()).boundingRect(room, flags, button->text());
  return needed.height() <= room.height() && needed.width() <= room.width();
}

// Draws an indicator (radio or check) at the left and the wrapped caption beside it, with a
// focus frame round the caption while the button has the focus.
void PaintIndicatorButton(QAbstractButton* button, QStyleOptionButton option,
                          QStyle::SubElement indicator_element,
                          QStyle::PrimitiveElement indicator) {
  QStylePainter painter(button);
  const QRect indicator_rect =
      button->style()->subElementRect(indicator_element, &option, button);
  QStyleOptionButton indicator_option = option;
  indicator_option.rect = indicator_rect;
  painter.drawPrimitive(indicator, indicator_option);

  const QRect text_rect = IndicatorTextRect(button, option, indicator_element);
  painter.drawItemText(text_rect, kTextFlagsLeft, button->palette(), button->isEnabled(),
                       button->text(), QPalette::WindowText);
  if (button->hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(button);
    focus.rect = painter.boundingRect(text_rect, kTextFlagsLeft, button->text())
                     .adjusted(-1, 0, 1, 0)
                     .intersected(button->rect());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace

WrapPushButton::WrapPushButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

namespace {

constexpr int kTextFlagsCentred = Qt::AlignCenter | Qt::TextWordWrap;

QRect PushTextRect(const QPushButton* button, const QStyleOptionButton& option) {
  return button->style()
      ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
      .adjusted(1, 0, -1, 0);
}

}  // namespace

bool WrapPushButton::captionFits() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return TextFits(this, PushTextRect(this, option), kTextFlagsCentred);
}

void WrapPushButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();  // the bevel only; the caption is drawn wrapped below
  painter.drawControl(QStyle::CE_PushButton, option);
  painter.drawItemText(PushTextRect(this, option), kTextFlagsCentred, palette(), isEnabled(),
                       text(), QPalette::ButtonText);
}

void WrapPushButton::keyPressEvent(QKeyEvent* event) {
  // Qt presses a button on Enter only inside a dialog; on the desktops this window's design
  // comes from, Enter presses whichever command button has the focus.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    click();
    event->accept();
    return;
  }
  QPushButton::keyPressEvent(event);
}

namespace {

// The style elements of an indicator: where it goes and what is drawn there.
struct Indicator {
  QStyle::SubElement place;
  QStyle::PrimitiveElement picture;
};

Indicator IndicatorOf(const QRadioButton*) {
  return {QStyle::SE_RadioButtonIndicator, QStyle::PE_IndicatorRadioButton};
}

Indicator IndicatorOf(const QCheckBox*) {
  return {QStyle::SE_CheckBoxIndicator, QStyle::PE_IndicatorCheckBox};
}

}  // namespace

template <typename Base>
void WrapIndicatorButton<Base>::paintEvent(QPaintEvent*) {
  QStyleOptionButton option;
  this->initStyleOption(&option);
  const Indicator indicator = IndicatorOf(this);
  PaintIndicatorButton(this, option, indicator.place, indicator.picture);
}

template <typename Base>
bool WrapIndicatorButton<Base>::captionFits() const {
  QStyleOptionButton option;
  this->initStyleOption(&option);
  return TextFits(this, IndicatorTextRect(this, option, IndicatorOf(this).place), kTextFlagsLeft);
}

template class WrapIndicatorButton<QRadioButton>;
template class WrapIndicatorButton<QCheckBox>;

}  // namespace dalvo::ui
