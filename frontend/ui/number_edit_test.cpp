// The custom number's box as a user drives it: keys, mouse, clipboard, drops and its menu on
// the real widget, compared with the desktop's own text box where they must agree.
#include "frontend/ui/number_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/testing/text_box_test_support.h"

namespace dalvo::ui {
namespace {

TEST(NumberEdit, EditsAsAnyTextBox) {
  auto box = Shown<NumberEdit>(265, 73);
  QSignalSpy changed(box.get(), &NumberEdit::textChanged);
  QTest::keyClicks(box.get(), QStringLiteral("1234"));
  EXPECT_EQ(box->text(), "1234");
  EXPECT_EQ(changed.count(), 4);
  QTest::keyClick(box.get(), Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(box.get(), Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(box.get(), Qt::Key_X, Qt::ControlModifier);  // cut "34"
  EXPECT_EQ(box->text(), "12");
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "34");
  QTest::keyClick(box.get(), Qt::Key_Home);
  QTest::keyClick(box.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box->text(), "3412");
  QTest::keyClick(box.get(), Qt::Key_Delete);
  QTest::keyClick(box.get(), Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "32");
  QTest::keyClick(box.get(), Qt::Key_Return);
  QTest::keyClicks(box.get(), QStringLiteral("x"));
  // As a keyboard of another language types: one character within Latin-1, one beyond; both
  // are kept, as UTF-8.
  QTest::sendKeyEvent(QTest::Press, box.get(), Qt::Key_unknown, QString::fromUtf8("\u00e9\u4e00"),
                      Qt::NoModifier);
  EXPECT_EQ(box->text(), "3\nx\u00e9\u4e002");
  EXPECT_EQ(changed.count(), 11);
  // Five steps back: the two characters, "x", the line break, Backspace and Delete.
  for (int i = 0; i < 5; ++i) QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(box->text(), "3412");
  QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(box->text(), "342");
  QTest::keyClick(box.get(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box.get(), QStringLiteral("7"));
  EXPECT_EQ(box->text(), "7");
  box->setText("");
  EXPECT_TRUE(box->isEmpty());
  QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier);  // clearing forgets the history
  EXPECT_TRUE(box->isEmpty());
}

TEST(NumberEdit, PastedLineBreaksAreTakenAsOneLineFeedEach) {
  auto box = Shown<NumberEdit>(265, 73);
  QApplication::clipboard()->setText(QStringLiteral("12\r\n34\r5"));
  QTest::keyClick(box.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box->text(), "12\n34\n5");
  EXPECT_EQ(box->rowCount(), 3u);  // the box lays out the three lines it now holds
}

// Text dragged from another program and dropped on the custom box goes where it lands, its
// digits of other scripts kept as typed.
TEST(NumberEdit, TextDroppedFromElsewhereGoesWhereItLands) {
  auto box = Shown<NumberEdit>(265, 200);
  box->setText("1234");
  QMimeData data;
  data.setText(QString::fromUtf8("\u0661\u0669"));
  const qreal char_width = QFontMetricsF(box->font()).horizontalAdvance(QString(64, QLatin1Char('0'))) / 64;
  const QPointF at(3 + 2 * char_width, 8);
  QWidget* port = box->viewport();
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(port, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(port, &move);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(port, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(box->text(), "12\u0661\u066934");
}

// The offset of `pos` in `text` (lines joined by LF), as a QPlainTextEdit counts ASCII.
int OffsetIn(const std::string& text, TextPos pos) {
  std::size_t at = 0;
  for (std::uint64_t line = 0; line < pos.line; ++line) at = text.find('\n', at) + 1;
  return static_cast<int>(at + pos.col);
}

// Every word key from every position of a few texts, in the custom box and in the desktop's own
// plain text box: the caret, the selection and the text come out the same.
TEST(NumberEdit, WordKeysMoveSelectAndDeleteAsTheDesktopsTextBox) {
  const std::vector<std::string> texts = {
      "abc def", "  foo.bar(baz)  qux ", "a, b;; c", "x\n  y z\n\nw", "12 345...678",
  };
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  } keys[] = {
      {"Ctrl+Left", Qt::Key_Left, Qt::ControlModifier},
      {"Ctrl+Right", Qt::Key_Right, Qt::ControlModifier},
      {"Ctrl+Shift+Left", Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
      {"Ctrl+Shift+Right", Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier},
      {"Ctrl+Backspace", Qt::Key_Backspace, Qt::ControlModifier},
      {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier},
  };
  NumberEdit box;
  QPlainTextEdit desktop;
  for (const std::string& text : texts) {
    for (std::size_t start = 0; start <= text.size(); ++start) {
      for (const auto& key : keys) {
        SCOPED_TRACE(::testing::Message() << key.name << " at " << start << " of \"" << text << "\"");
        box.setText(text);
        desktop.setPlainText(QString::fromStdString(text));
        for (QWidget* widget : {static_cast<QWidget*>(&box), static_cast<QWidget*>(&desktop)}) {
          QTest::keyClick(widget, Qt::Key_Home, Qt::ControlModifier);
          for (std::size_t i = 0; i < start; ++i) QTest::keyClick(widget, Qt::Key_Right);
          QTest::keyClick(widget, key.key, key.modifiers);
        }
        const QTextCursor cursor = desktop.textCursor();
        const std::string edited = box.text();
        ASSERT_EQ(edited, desktop.toPlainText().toStdString());
        const auto [from, to] = box.selectionRange();
        EXPECT_EQ(OffsetIn(edited, from), cursor.selectionStart());
        EXPECT_EQ(OffsetIn(edited, to), cursor.selectionEnd());
      }
    }
  }
}

// The menu holds the desktop's entries in its order with their keys shown; asked for from the
// keyboard it opens under the caret, not in the middle of the box.
TEST(NumberEdit, ContextMenuHasTheDesktopsEntriesAndOpensAtTheCaret) {
  auto box = Shown<NumberEdit>(265, 200);
  QTest::keyClicks(box.get(), QStringLiteral("1234"));
  QStringList entries;
  QPoint menu_at;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* action : menu->actions()) entries << (action->isSeparator() ? "-" : action->text());
    menu_at = menu->pos();
    menu->close();
  });
  QTest::keyClick(box.get(), Qt::Key_Menu);
  const auto with_keys = [](const char* text, QKeySequence::StandardKey key) {
    return QString::fromLatin1(text) + QLatin1Char('\t') +
           QKeySequence(key).toString(QKeySequence::NativeText);
  };
  EXPECT_EQ(entries, QStringList({with_keys("&Undo", QKeySequence::Undo),
                                  with_keys("&Redo", QKeySequence::Redo), "-",
                                  with_keys("Cu&t", QKeySequence::Cut),
                                  with_keys("&Copy", QKeySequence::Copy),
                                  with_keys("&Paste", QKeySequence::Paste), "Delete", "-",
                                  with_keys("Select All", QKeySequence::SelectAll)}));
  // The caret is after "1234" in the first row: the menu's corner is there, left of the middle.
  const QPoint caret = box->viewport()->mapToGlobal(QPoint(0, 0));
  const qreal char_width = QFontMetricsF(box->font()).horizontalAdvance(QString(64, QLatin1Char('0'))) / 64;
  EXPECT_NEAR(menu_at.x() - caret.x(), 3 + 4 * char_width, 2);
  EXPECT_LT(menu_at.y() - caret.y(), box->viewport()->height() / 2);
}

// A click in the empty space below the last row puts the caret at the end of the text, not in
// the last row under the pointer.
TEST(NumberEdit, AClickBelowTheTextPutsTheCaretAtItsEnd) {
  auto box = Shown<NumberEdit>(265, 200);
  box->setText("12345678\n12");
  QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint(5, 150));
  QTest::keyClicks(box.get(), QStringLiteral("9"));
  EXPECT_EQ(box->text(), "12345678\n129");
}

}  // namespace
}  // namespace dalvo::ui
