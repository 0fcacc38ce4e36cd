// What a screen reader reads, edits and hears of the two text boxes through their shared
// TextArea, on the real widgets.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frontend/testing/text_box_test_support.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/text_area_accessible.h"
#include "frontend/ui/text_viewer.h"

namespace dalvo::ui {
namespace {

// What an accessibility client hears, recorded by the update handler below (Qt takes a plain
// function): the kind and, for text changes, the offset and the texts.
std::vector<std::string>& Heard() {
  static std::vector<std::string> heard;
  return heard;
}

void Record(QAccessibleEvent* event) {
  std::string what;
  switch (event->type()) {
    case QAccessible::TextInserted: {
      auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
      what = "insert " + std::to_string(e->changePosition()) + " " + e->textInserted().toStdString();
      break;
    }
    case QAccessible::TextRemoved: {
      auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
      what = "remove " + std::to_string(e->changePosition()) + " " + e->textRemoved().toStdString();
      break;
    }
    case QAccessible::TextUpdated: {
      auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
      what = "update " + std::to_string(e->changePosition()) + " " + e->textRemoved().toStdString() +
             " -> " + e->textInserted().toStdString();
      break;
    }
    case QAccessible::TextCaretMoved:
      what = "caret " + std::to_string(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition());
      break;
    case QAccessible::TextSelectionChanged: {
      auto* e = static_cast<QAccessibleTextSelectionEvent*>(event);
      what = "selection " + std::to_string(e->selectionStart()) + "-" + std::to_string(e->selectionEnd());
      break;
    }
    default:
      return;
  }
  Heard().push_back(what);
}

// A screen reader finds both boxes as editable text (the viewer's read-only), reads the text,
// the caret and the selection in UTF-16 units whatever the script and edits the custom box; a
// range of ten million digits comes back capped, not whole.
TEST(TextArea, ScreenReadersReadAndEditTheText) {
  auto box = Shown<NumberEdit>(265, 200);
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(box.get());
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->role(), QAccessible::EditableText);
  EXPECT_FALSE(access->state().readOnly);
  EXPECT_EQ(access->text(QAccessible::Name).toStdString(), "");  // Form1 names it
  QAccessibleTextInterface* text = access->textInterface();
  QAccessibleEditableTextInterface* editable = access->editableTextInterface();
  ASSERT_NE(text, nullptr);
  ASSERT_NE(editable, nullptr);

  // An emoji is two units, an Arabic-Indic digit one.
  QTest::sendKeyEvent(QTest::Press, box.get(), Qt::Key_unknown, QString::fromUtf8("\U0001F600"),
                      Qt::NoModifier);
  QTest::sendKeyEvent(QTest::Press, box.get(), Qt::Key_unknown, QString::fromUtf8("\u0661"),
                      Qt::NoModifier);
  EXPECT_EQ(text->characterCount(), 3);
  EXPECT_EQ(text->cursorPosition(), 3);
  EXPECT_EQ(text->text(2, 3).toStdString(), "\u0661");
  QTest::keyClick(box.get(), Qt::Key_Left, Qt::ShiftModifier);
  int start = -1;
  int end = -1;
  text->selection(0, &start, &end);
  EXPECT_EQ(text->selectionCount(), 1);
  EXPECT_EQ(std::pair(start, end), std::pair(2, 3));
  editable->replaceText(0, 2, QStringLiteral("12"));
  EXPECT_EQ(box->text(), "12\u0661");
  text->setCursorPosition(1);
  EXPECT_EQ(text->cursorPosition(), 1);
  EXPECT_EQ(text->textAtOffset(1, QAccessible::WordBoundary, &start, &end).toStdString(),
            "12\u0661");
  EXPECT_EQ(std::pair(start, end), std::pair(0, 3));

  TextViewer viewer;
  viewer.setDocument(Document(std::string(10'000'000, '7')));
  QAccessibleInterface* viewed = QAccessible::queryAccessibleInterface(&viewer);
  ASSERT_NE(viewed, nullptr);
  EXPECT_TRUE(viewed->state().readOnly);
  EXPECT_EQ(viewed->editableTextInterface(), nullptr);
  QAccessibleTextInterface* viewed_text = viewed->textInterface();
  ASSERT_NE(viewed_text, nullptr);
  EXPECT_GE(viewed_text->characterCount(), 10'000'000);
  EXPECT_EQ(viewed_text->text(0, viewed_text->characterCount()).size(),
            static_cast<qsizetype>(kMaxAccessibleUnits));
  EXPECT_EQ(viewed_text->text(9'999'990, 9'999'995), QStringLiteral("77777"));
}

// A screen reader reads a wrapped text a row at a time, as the box shows it and as the desktop's
// text boxes tell it (a paragraph is the whole line): following the caret down ten million
// digits it reads a row, not a mebibyte, each time.
TEST(TextArea, ScreenReadersReadAWrappedLineRowByRow) {
  enum class Ask { kAt, kBefore, kAfter };
  struct Case {
    Ask ask;
    int offset;
    QAccessible::TextBoundaryType boundary;
    // The range expected: from start_rows full rows of c columns and start_plus units on, to
    // end_rows rows and end_plus units.
    int start_rows;
    int start_plus;
    int end_rows;
    int end_plus;
  };
  auto box = Shown<NumberEdit>(265, 200);
  const int c = static_cast<int>(box->columns());
  ASSERT_GE(c, 8);
  box->setText(std::string(static_cast<std::size_t>(3 * c + 2), '7') + "\n12 34");
  QAccessibleTextInterface* text =
      QAccessible::queryAccessibleInterface(box.get())->textInterface();
  const auto ask = [text](const Case& k, int* start, int* end) {
    switch (k.ask) {
      case Ask::kAt:
        return text->textAtOffset(k.offset, k.boundary, start, end);
      case Ask::kBefore:
        return text->textBeforeOffset(k.offset, k.boundary, start, end);
      case Ask::kAfter:
        break;
    }
    return text->textAfterOffset(k.offset, k.boundary, start, end);
  };
  const Case cases[] = {
      {Ask::kAt, 0, QAccessible::LineBoundary, 0, 0, 1, 0},
      {Ask::kAt, c - 1, QAccessible::LineBoundary, 0, 0, 1, 0},
      {Ask::kAt, c, QAccessible::LineBoundary, 1, 0, 2, 0},
      {Ask::kAt, 3 * c + 1, QAccessible::LineBoundary, 3, 0, 3, 3},  // with its line break
      {Ask::kAt, 3 * c + 4, QAccessible::LineBoundary, 3, 3, 3, 8},
      {Ask::kBefore, 2 * c + 1, QAccessible::LineBoundary, 1, 0, 2, 0},
      {Ask::kAfter, 1, QAccessible::LineBoundary, 1, 0, 2, 0},
      {Ask::kAfter, 3 * c + 4, QAccessible::LineBoundary, 3, 8, 3, 8},
      {Ask::kAt, c, QAccessible::ParagraphBoundary, 0, 0, 3, 3},
  };
  for (const Case& k : cases) {
    int start = -1;
    int end = -1;
    const QString got = ask(k, &start, &end);
    EXPECT_EQ(std::pair(start, end),
              std::pair(k.start_rows * c + k.start_plus, k.end_rows * c + k.end_plus))
        << "ask " << static_cast<int>(k.ask) << " at " << k.offset << " boundary " << k.boundary;
    EXPECT_EQ(got, text->text(start, end)) << "at " << k.offset;
  }

  // The row of a long number: what the box paints on one row, no more.
  auto viewer = Shown<TextViewer>(400, 300);
  viewer->setDocument(Document(std::string(10'000'000, '7')));
  QAccessibleTextInterface* viewed =
      QAccessible::queryAccessibleInterface(viewer.get())->textInterface();
  int start = -1;
  int end = -1;
  EXPECT_EQ(viewed->textAtOffset(5'000'000, QAccessible::LineBoundary, &start, &end).size(),
            static_cast<qsizetype>(viewer->columns()));
  ASSERT_TRUE(start <= 5'000'000 && 5'000'000 < end && start > 0) << start << "-" << end;
  const int row_top = viewed->characterRect(start).top();
  EXPECT_EQ(viewed->characterRect(end - 1).top(), row_top);
  EXPECT_LT(viewed->characterRect(start - 1).top(), row_top);
  EXPECT_GT(viewed->characterRect(end).top(), row_top);
}

// A listening screen reader hears each change of the text, the caret and the selection. Qt
// delivers these only where the platform has an accessibility bridge (an X display with the
// accessibility bus), not on the offscreen platform: there the test has nothing to observe.
// ctest runs it in frontend/testing/screen_reader_session.sh, where a skip fails.
TEST(TextArea, ScreenReadersHearEveryChange) {
  // The bridge comes up once it has found the accessibility bus, a moment after start (tens of
  // milliseconds; the bound leaves room for a loaded machine and a sanitizer build).
  const bool listening = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                         QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000);
  if (!listening) GTEST_SKIP() << "no accessibility bridge on this platform";
  auto box = Shown<NumberEdit>(265, 200);
  QAccessible::installUpdateHandler(&Record);
  Heard().clear();
  QTest::sendKeyEvent(QTest::Press, box.get(), Qt::Key_unknown, QString::fromUtf8("\U0001F600"),
                      Qt::NoModifier);
  QTest::keyClicks(box.get(), QStringLiteral("4"));
  QTest::keyClick(box.get(), Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(box.get(), Qt::Key_Backspace);
  QTest::keyClick(box.get(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(box.get(), Qt::Key_Backspace);
  QAccessible::installUpdateHandler(nullptr);
  EXPECT_EQ(Heard(), std::vector<std::string>({"insert 0 \U0001F600", "caret 2", "insert 2 4",
                                               "caret 3", "selection 2-3", "caret 2",
                                               "remove 2 4", "selection 2-2", "update 0 \U0001F600 -> \U0001F6004",
                                               "caret 3", "remove 2 4", "caret 2"}));
}

}  // namespace
}  // namespace dalvo::ui
