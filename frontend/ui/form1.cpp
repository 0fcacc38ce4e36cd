#include "frontend/ui/form1.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include <cassert>
#include <iterator>

#include "frontend/ui/accessible_names.h"
#include "frontend/ui/file_list_box.h"
#include "frontend/ui/fonts.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/twips.h"
#include "frontend/ui/ui_texts.h"
#include "frontend/ui/wrapping_buttons.h"

namespace dalvo::ui {
namespace {

constexpr int kClientWidthTwips = 7695;
constexpr int kClientHeightTwips = 5775;
constexpr int kTimerIntervalMs = 50;

// Places `widget` at a design rectangle given in twips of the window's client area, also when
// its parent is a frame inside the window.
void PlaceInClient(QWidget* widget, const QWidget* window, int left, int top, int width,
                   int height) {
  const QRect rect = TwipsRect(left, top, width, height);
  const QWidget* parent = widget->parentWidget();
  const QPoint origin = parent == window ? QPoint(0, 0) : parent->mapTo(window, QPoint(0, 0));
  widget->setGeometry(rect.translated(-origin));
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(texts::kForm1Title));
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));

  frame1_ = Named(new QGroupBox(QString::fromLatin1(texts::kFrame1), this), "Frame1");
  PlaceInClient(frame1_, this, 120, 120, 3975, 2055);
  auto* option1 = Named(new WrapRadioButton(QString::fromLatin1(texts::kOption1), frame1_), "Option1");
  PlaceInClient(option1, this, 360, 480, 3615, 375);
  auto* option2 = Named(new WrapRadioButton(QString::fromLatin1(texts::kOption2), frame1_), "Option2");
  PlaceInClient(option2, this, 360, 1080, 3615, 375);
  option1_ = option1;
  option2_ = option2;

  struct CommandDesign {
    const char* name;
    const char* caption;
    int left, top, width, height;
  };
  const CommandDesign designs[7] = {
      {"Command1", texts::kCommand1, 240, 1680, 3735, 375},
      {"Command2", texts::kCommand2, 120, 4680, 1935, 600},
      {"Command3", texts::kCommand3, 4320, 4440, 3255, 375},
      {"Command4", texts::kCommand4, 2160, 4680, 1935, 600},
      {"Command5", texts::kCommand5, 120, 3720, 1935, 495},
      {"Command6", texts::kCommand6, 2160, 3720, 1935, 495},
      {"Command7", texts::kCommand7, 4320, 4920, 3255, 375},
  };
  WrapPushButton* wrapped_commands[7];
  for (int i = 0; i < 7; ++i) {
    const CommandDesign& design = designs[i];
    // Command1 sits inside the frame, the others on the window itself.
    QWidget* owner = i == 0 ? static_cast<QWidget*>(frame1_) : this;
    wrapped_commands[i] =
        Named(new WrapPushButton(QString::fromLatin1(design.caption), owner), design.name);
    PlaceInClient(wrapped_commands[i], this, design.left, design.top, design.width,
                  design.height);
    commands_[i] = wrapped_commands[i];
  }

  label2_ = Named(new QLabel(QString::fromLatin1(texts::kLabel2), this), "Label2");
  PlaceInClient(label2_, this, 120, 2280, 4095, 255);

  // Tab moves on to the next control from here, as from every text box.
  text1_ = Named(new NumberEdit(this), "Text1");
  PlaceInClient(text1_, this, 120, 2520, 3975, 1095);
  text1_->setFont(FixedPitchFont(9));
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* check1 = Named(new WrapCheckBox(QString::fromLatin1(texts::kCheck1), this), "Check1");
  PlaceInClient(check1, this, 240, 4320, 3735, 255);
  check1_ = check1;

  file1_ = Named(new FileListBox(this), "File1");
  PlaceInClient(file1_, this, 4320, 0, 3255, 4185);
  file1_->setPattern(QStringLiteral("*.txt"));

  label1_ = Named(new QLabel(this), "Label1");
  PlaceInClient(label1_, this, 0, 5400, 7695, 375);
  label1_->setFont(StatusFont());
  label1_->setTextFormat(Qt::PlainText);  // file names are shown as they are
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  // The window's own font, inherited by every control without a font of its own: the largest
  // that lets each wrapped caption fit its button.
  ChooseCaptionFont(
      font(), [this](const QFont& candidate) { setFont(candidate); },
      [&] {
        for (const WrapPushButton* button : wrapped_commands) {
          if (!button->captionFits()) return false;
        }
        return option1->captionFits() && option2->captionFits() && check1->captionFits();
      });

  timer1_ = Named(new QTimer(this), "Timer1");
  timer1_->setInterval(kTimerIntervalMs);

  option1_->setChecked(true);
  check1_->setChecked(true);

  // Keyboard focus follows the design's tab indexes; frames and labels take none.
  QWidget* const tab_chain[] = {file1_,      option1_,    option2_,    commands_[0],
                                text1_,      commands_[1], commands_[2], check1_,
                                commands_[3], commands_[4], commands_[5], commands_[6]};
  for (std::size_t i = 0; i + 1 < std::size(tab_chain); ++i) {
    setTabOrder(tab_chain[i], tab_chain[i + 1]);
  }
  NameUncaptionedControls(*this);
}

QPushButton* Form1::command(int number) const {
  assert(number >= 1 && number <= 7);
  return commands_[number - 1];
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) emit activated();
}

void Form1::closeEvent(QCloseEvent* event) {
  emit unloading();
  event->accept();
}

}  // namespace dalvo::ui
