// Push, radio and check buttons whose caption wraps onto further lines within the button.
// The main window's captions are whole sentences, longer than their buttons are wide; Qt's own
// buttons draw one line only. These keep the caption in text() and draw it word-wrapped.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace dalvo::ui {

// A command button; the caption is centred and wraps at blanks.
class WrapPushButton : public QPushButton {
 public:
  // Creates a button with `caption` as its text(), owned by `parent`.
  explicit WrapPushButton(const QString& caption, QWidget* parent);

  // True when the caption, wrapped in the current font, fits the button's height.
  bool captionFits() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Enter and Return press the focused button, as Space does.
  void keyPressEvent(QKeyEvent* event) override;
};

// An option button (Base QRadioButton) or a check box (Base QCheckBox); the caption is
// left-aligned beside the indicator and wraps at blanks. The whole button area reacts to the
// mouse, not just the first line of the caption. Instantiated for those two bases only, in
// wrapping_buttons.cpp.
template <typename Base>
class WrapIndicatorButton : public Base {
 public:
  // Creates a button with `caption` as its text(), owned by `parent`.
  explicit WrapIndicatorButton(const QString& caption, QWidget* parent) : Base(caption, parent) {}

  // True when the caption, wrapped in the current font, fits the button's height.
  bool captionFits() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

extern template class WrapIndicatorButton<QRadioButton>;
extern template class WrapIndicatorButton<QCheckBox>;
using WrapRadioButton = WrapIndicatorButton<QRadioButton>;
using WrapCheckBox = WrapIndicatorButton<QCheckBox>;

}  // namespace dalvo::ui
