#include "frontend/ui/form1.h"

#include "frontend/ui/file_list_box.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "frontend/logic/viewer_document.h"
#include "frontend/ui/accessible_names.h"
#include "frontend/ui/fonts.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/qt_view.h"
#include "frontend/ui/text_viewer.h"
#include "frontend/ui/ui_texts.h"

#include <string>
#include <vector>

namespace dalvo::ui {
namespace {

enum class Kind { kFrame, kOption, kCommand, kLabel, kTextBox, kCheck, kFileList };

struct ControlDesign {
  const char* name;
  Kind kind;
  const char* caption;  // nullptr: the control has no caption
  int x, y, w, h;       // pixels of the client area (design twips / 15, worked out by hand)
};

// The design of the main window, independent of the code that builds it.
const std::vector<ControlDesign> kDesign = {
    {"Frame1", Kind::kFrame, "Here you can genereate the VERY long numbers:", 8, 8, 265, 137},
    {"Option1", Kind::kOption,
     "Select this one if you want the numbers generated with 127 verses for sura 9.", 24, 32,
     241, 25},
    {"Option2", Kind::kOption,
     "Select this one if you want the numbers generated with 129 verses for sura 9.", 24, 72,
     241, 25},
    {"Command1", Kind::kCommand, "Click here to generate the VERY long numbers!", 16, 112, 249,
     25},
    {"Label2", Kind::kLabel, "Here you can enter or paste in a custom number:", 8, 152, 273, 17},
    {"Text1", Kind::kTextBox, nullptr, 8, 168, 265, 73},
    {"Command5", Kind::kCommand, "Click here to divide the custom number!", 8, 248, 129, 33},
    {"Command6", Kind::kCommand, "Click here to clear the custom number!", 144, 248, 129, 33},
    {"Check1", Kind::kCheck, "Automatically view the results after a division.", 16, 288, 249,
     17},
    {"Command2", Kind::kCommand, "Click here to divide the selected number!", 8, 312, 129, 40},
    {"Command4", Kind::kCommand, "Click here to view the latest division report!", 144, 312, 129,
     40},
    {"File1", Kind::kFileList, nullptr, 288, 0, 217, 279},
    {"Command3", Kind::kCommand, "Click here to delete all listed files!", 288, 296, 217, 25},
    {"Command7", Kind::kCommand, "Click here for help and information!", 288, 328, 217, 25},
    {"Label1", Kind::kLabel, "", 0, 360, 513, 25},
};

bool HasKind(QWidget* widget, Kind kind) {
  switch (kind) {
    case Kind::kFrame: return qobject_cast<QGroupBox*>(widget) != nullptr;
    case Kind::kOption: return qobject_cast<QRadioButton*>(widget) != nullptr;
    case Kind::kCommand: return qobject_cast<QPushButton*>(widget) != nullptr;
    case Kind::kLabel: return qobject_cast<QLabel*>(widget) != nullptr;
    case Kind::kTextBox: return qobject_cast<NumberEdit*>(widget) != nullptr;
    case Kind::kCheck: return qobject_cast<QCheckBox*>(widget) != nullptr;
    case Kind::kFileList: return qobject_cast<QListWidget*>(widget) != nullptr;
  }
  return false;
}

QString CaptionOf(QWidget* widget) {
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  return QString();
}

TEST(Form1, ControlsHaveTheirDesignKindCaptionAndRectangle) {
  Form1 form;
  for (const ControlDesign& design : kDesign) {
    SCOPED_TRACE(design.name);
    auto* widget = form.findChild<QWidget*>(QString::fromLatin1(design.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(HasKind(widget, design.kind));
    if (design.caption != nullptr) {
      EXPECT_EQ(CaptionOf(widget).toStdString(), design.caption);
    }
    const QPoint at = widget->mapTo(&form, QPoint(0, 0));
    EXPECT_EQ(at, QPoint(design.x, design.y));
    EXPECT_EQ(widget->size(), QSize(design.w, design.h));
  }
}

TEST(Form1, OptionsAndGenerateButtonLieInsideTheFrame) {
  Form1 form;
  for (const char* name : {"Option1", "Option2", "Command1"}) {
    SCOPED_TRACE(name);
    auto* widget = form.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(form.frame1()->isAncestorOf(widget));
  }
}

TEST(Form1, ClientAreaIsFixedAndTitledAsDesigned) {
  Form1 form;
  EXPECT_EQ(form.minimumSize(), QSize(513, 385));
  EXPECT_EQ(form.maximumSize(), QSize(513, 385));
  EXPECT_EQ(form.windowTitle().toStdString(), "Dalvo  -  Last updated: 2000-02-26");
}

TEST(Form1, StartsWith127VersesAndAutomaticViewAndTimerOff) {
  Form1 form;
  EXPECT_TRUE(form.option1()->isChecked());
  EXPECT_FALSE(form.option2()->isChecked());
  EXPECT_TRUE(form.check1()->isChecked());
  EXPECT_FALSE(form.timer1()->isActive());
  EXPECT_EQ(form.timer1()->interval(), 50);
  EXPECT_FALSE(form.timer1()->isSingleShot());
  EXPECT_TRUE(form.text1()->isEmpty());
  EXPECT_EQ(form.file1()->count(), 0);
}

TEST(Form1, FileListShowsNamesDecodedAndGivesBackTheirExactBytes) {
  Form1 form;
  QtView view(form);
  const std::string odd = "caf\xE9.txt";  // a Latin-1 name: not valid UTF-8
  view.RefreshFileList({"a.txt", odd});
  ASSERT_EQ(form.file1()->count(), 2);
  EXPECT_EQ(form.file1()->item(0)->text(), QStringLiteral("a.txt"));
  EXPECT_EQ(form.file1()->item(1)->text(), QFile::decodeName(QByteArray::fromStdString(odd)));
  form.file1()->setCurrentRow(1);
  EXPECT_EQ(view.SelectedFileName(), odd);
  // A refresh keeps the selection while the very name is still listed.
  view.RefreshFileList({"b.txt", odd});
  EXPECT_EQ(view.SelectedFileName(), odd);
  view.RefreshFileList({"b.txt"});
  EXPECT_EQ(view.SelectedFileName(), "");
}

TEST(Form1, OptionButtonsExcludeEachOther) {
  Form1 form;
  form.show();
  QTest::mouseClick(form.option2(), Qt::LeftButton, {}, QPoint(120, 12));
  EXPECT_TRUE(form.option2()->isChecked());
  EXPECT_FALSE(form.option1()->isChecked());
  // The second line of a wrapped caption reacts as well as the first.
  QTest::mouseClick(form.option1(), Qt::LeftButton, {}, QPoint(200, 20));
  EXPECT_TRUE(form.option1()->isChecked());
  EXPECT_FALSE(form.option2()->isChecked());
}

TEST(Form1, CustomNumberBoxAndStatusLineUseTheirFonts) {
  Form1 form;
  EXPECT_TRUE(IsFixedPitch(form.text1()->font()));
  EXPECT_EQ(form.text1()->font().pointSize(), 9);
  EXPECT_EQ(form.text1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  // Whatever the window chose for its captions (perhaps a condensed face), the box's digits are
  // as wide as the viewer's.
  EXPECT_EQ(form.text1()->font().stretch(), QFont::Unstretched) << form.font().stretch();
  const Form2 viewer;
  const QString digits = QStringLiteral("0123456789");
  EXPECT_EQ(QFontMetrics(form.text1()->font()).horizontalAdvance(digits),
            QFontMetrics(viewer.text1()->font()).horizontalAdvance(digits));

  const QFontInfo status_font(form.label1()->font());
  EXPECT_FALSE(IsFixedPitch(form.label1()->font()));
  EXPECT_TRUE(status_font.bold());
  EXPECT_EQ(form.label1()->font().pointSize(), 12);
  // Plain, not the condensed face the window's own font may have taken to fit the captions:
  // as wide as the same face set up on its own.
  EXPECT_FALSE(status_font.styleName().contains(QStringLiteral("Condensed")))
      << status_font.family().toStdString() << " " << status_font.styleName().toStdString();
  const QString welcome = QStringLiteral("Welcome to dalvo!");
  EXPECT_EQ(QFontMetrics(form.label1()->font()).horizontalAdvance(welcome),
            QFontMetrics(QFont(QStringLiteral("Sans Serif"), 12, QFont::Bold))
                .horizontalAdvance(welcome));
}

// What the custom box hands the logic to write into the custom number file: any script kept as
// UTF-8 (an emoji typed or pasted included), and the decimal digits of every script as the ASCII
// digits they stand for, so that the engine, which reads only 0-9, divides what the user sees.
TEST(Form1, CustomNumberReachesTheLogicAsUtf8WithEveryScriptsDigitsAsAscii) {
  const struct {
    const char* name;
    bool typed;          // typed a character at a time, as a keyboard does; else pasted
    const char* input;   // UTF-8
    const char* shown;   // the box's text, UTF-8
    const char* number;  // what the logic is given
  } cases[] = {
      {"Arabic-Indic typed", true, "\u0661\u0669", "\u0661\u0669", "19"},
      {"Eastern Arabic-Indic pasted", false, "\u06f1\u06f2\u06f3\r\n\u06f4",
       "\u06f1\u06f2\u06f3\n\u06f4", "123\n4"},
      {"full-width typed", true, "\uff10\uff19", "\uff10\uff19", "09"},
      {"Devanagari and Bengali pasted", false, "\u096a\u0968 \u09ed", "\u096a\u0968 \u09ed", "42 7"},
      {"emoji and accents typed", true, "7\U0001F600\u00e9\u4e2d", "7\U0001F600\u00e9\u4e2d",
       "7\U0001F600\u00e9\u4e2d"},
      {"emoji pasted", false, "\U0001F600\U0001F600", "\U0001F600\U0001F600", "\U0001F600\U0001F600"},
      {"superscripts are not decimal digits", false, "2\u00b2", "2\u00b2", "2\u00b2"},
  };
  Form1 form;
  QtView view(form);
  NumberEdit* box = form.text1();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    box->setText("");
    const QString input = QString::fromUtf8(c.input);
    if (c.typed) {
      for (const uint code : input.toUcs4()) {
        const char32_t one = code;
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString::fromUcs4(&one, 1),
                            Qt::NoModifier);
      }
    } else {
      QApplication::clipboard()->setText(input);
      QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    EXPECT_EQ(box->text(), c.shown);
    EXPECT_EQ(view.CustomNumberText(), c.number);
  }
}

TEST(Form1, EveryCaptionFitsItsButtonWhenWrapped) {
  Form1 form;
  for (const ControlDesign& design : kDesign) {
    if (design.kind != Kind::kCommand && design.kind != Kind::kOption &&
        design.kind != Kind::kCheck) {
      continue;
    }
    SCOPED_TRACE(design.name);
    auto* button = form.findChild<QAbstractButton*>(QString::fromLatin1(design.name));
    ASSERT_NE(button, nullptr);
    // Room left for the caption: the indicator of option buttons and check boxes takes about
    // 20 pixels, the bevel of command buttons a few on each side.
    const int room = design.kind == Kind::kCommand ? design.w - 6 : design.w - 20;
    EXPECT_GE(button->font().pointSizeF(), 7.0);
    const QRect needed = QFontMetrics(button->font())
                             .boundingRect(QRect(0, 0, room, 1000), Qt::TextWordWrap,
                                           button->text());
    EXPECT_LE(needed.height(), design.h) << needed.width() << "x" << needed.height();
  }
}

TEST(Form1, TabKeyVisitsControlsInDesignOrder) {
  const std::vector<std::string> expected = {"File1",    "Option1",  "Option2",  "Command1",
                                             "Text1",    "Command2", "Command3", "Check1",
                                             "Command4", "Command5", "Command6", "Command7"};
  Form1 form;
  std::vector<std::string> chain;
  QWidget* widget = form.file1();
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty()) {
      chain.push_back(widget->objectName().toStdString());
    }
    widget = widget->nextInFocusChain();
  } while (widget != form.file1());
  EXPECT_EQ(chain, expected);
}

TEST(Form1, EnterAndSpacePressTheFocusedCommandButton) {
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int clicks;
  } kKeys[] = {
      {Qt::Key_Return, Qt::NoModifier, 1},
      {Qt::Key_Enter, Qt::KeypadModifier, 1},
      {Qt::Key_Space, Qt::NoModifier, 1},
      {Qt::Key_Return, Qt::ControlModifier, 0},
      {Qt::Key_A, Qt::NoModifier, 0},
  };
  Form1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  for (int n = 1; n <= 7; ++n) {
    for (const auto& k : kKeys) {
      SCOPED_TRACE("Command" + std::to_string(n) + " key " + std::to_string(k.key));
      QPushButton* button = form.command(n);
      button->setFocus();
      QSignalSpy clicked(button, &QPushButton::clicked);
      QTest::keyClick(button, k.key, k.modifiers);
      EXPECT_EQ(clicked.count(), k.clicks);
    }
  }
}

// What a screen reader is told a control is called.
std::string AccessibleName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible != nullptr ? accessible->text(QAccessible::Name).toStdString() : "<none>";
}

// A selection too large for the clipboard is refused by either box, the viewer's included, and
// the main window's status line says why nothing was copied.
TEST(Form1, EitherBoxRefusingACopySaysSoInTheStatusLine) {
  Form1 form;
  QtView view(form);
  view.SetViewerDocument(std::make_unique<ViewerDocument>(ViewerDocument::FromText("7")));
  ASSERT_NE(view.viewer(), nullptr);
  for (TextArea* box : {static_cast<TextArea*>(form.text1()),
                        static_cast<TextArea*>(view.viewer()->text1())}) {
    SetStatusText(*form.label1(), QString());
    emit box->copyRefused();
    EXPECT_EQ(form.label1()->text().toStdString(), texts::kCopyTooLarge);
  }
}

TEST(Form1, ControlsWithoutCaptionHaveAccessibleNames) {
  Form1 form;
  Form2 viewer;
  const struct {
    QWidget* control;
    const char* name;
  } kCases[] = {
      {form.text1(), "Custom number"},
      {form.file1(), "Number files"},
      {form.label1(), "Status"},
      {viewer.text1(), "Viewed text"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(AccessibleName(c.control), c.name) << c.control->objectName().toStdString();
  }
  // The status line's name carries its text, or a screen reader would only ever read "Status".
  SetStatusText(*form.label1(), QStringLiteral("Welcome to dalvo!"));
  EXPECT_EQ(form.label1()->text().toStdString(), "Welcome to dalvo!");
  EXPECT_EQ(AccessibleName(form.label1()), "Status: Welcome to dalvo!");
}

}  // namespace
}  // namespace dalvo::ui
