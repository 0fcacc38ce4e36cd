// The two text boxes as a user drives them: keys, mouse and clipboard on the real widgets.
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

#include "number_edit.h"
#include "text_area_accessible.h"
#include "text_viewer.h"
#include "text_viewer_test_support.h"

namespace dalvo::ui {
namespace {

// A shown box of `width` x `height` pixels with the keyboard focus.
template <typename Box>
std::unique_ptr<Box> Shown(int width, int height) {
  auto box = std::make_unique<Box>();
  box->resize(width, height);
  box->show();
  box->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(box.get()));
  box->setFocus();
  return box;
}

std::unique_ptr<const ViewerDocument> Document(const std::string& text) {
  return std::make_unique<const ViewerDocument>(ViewerDocument::FromText(text));
}

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

// Ctrl+End, the page keys and the arrows over a report too long for the box: the view follows
// the caret, and the scroll bar follows the view to both ends.
TEST(TextViewer, KeysReachEveryRowAndTheScrollBarFollows) {
  auto viewer = Shown<TextViewer>(300, 200);
  std::string report(100'000, '7');
  report += ".0000\n\nNumber of digits: 100000\nThe number is NOT a multiple of 19.\n\n";
  viewer->setDocument(Document(report));
  QScrollBar* bar = viewer->verticalScrollBar();
  ASSERT_GT(viewer->rowCount(), 100u);
  EXPECT_EQ(viewer->topRow(), 0u);
  EXPECT_EQ(bar->value(), 0);

  QTest::keyClick(viewer.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(bar->value(), bar->maximum());
  const std::uint64_t last_top = viewer->topRow();
  EXPECT_GT(last_top, 0u);
  // The verdict is on the screen: the last rows are the ones in view.
  QTest::keyClick(viewer.get(), Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(viewer.get(), Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(viewer.get(), Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(SelectedText(*viewer), "The number is NOT a multiple of 19.\n\n");
  EXPECT_EQ(viewer->topRow(), last_top);

  QTest::keyClick(viewer.get(), Qt::Key_PageUp);
  EXPECT_LT(viewer->topRow(), last_top);
  QTest::keyClick(viewer.get(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(viewer->topRow(), 0u);
  EXPECT_EQ(bar->value(), 0);
  QTest::keyClick(viewer.get(), Qt::Key_PageDown);
  EXPECT_GT(viewer->topRow(), 0u);
  // The scroll bar's end is the text's end, as the user drags it there.
  bar->setValue(bar->maximum());
  EXPECT_EQ(viewer->topRow(), last_top);
}

// A new width lays a long text out again in slices between the window's events; once it is all
// laid out, the line that was at the top of the view is at the top again.
TEST(TextViewer, ANewWidthKeepsTheTopLineWhileTheRowsAreLaidOutAgain) {
  auto viewer = Shown<TextViewer>(300, 200);
  std::string text;
  for (int line = 0; line < 1'000'000; ++line) {
    text += std::to_string(line) + " lorem ipsum dolor sit\n";
  }
  viewer->setDocument(Document(text));
  ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->laidOut(); }, 30000));
  QScrollBar* bar = viewer->verticalScrollBar();
  bar->setValue(bar->maximum() / 3);
  const QPoint top_left(TextArea::kMargin + 1, TextArea::kMargin + 1);
  const TextPos top = viewer->posAt(top_left);
  const std::uint64_t rows = viewer->rowCount();
  ASSERT_GT(top.line, 1000u);

  viewer->resize(150, 200);
  ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->laidOut(); }, 30000));
  EXPECT_GT(viewer->rowCount(), rows);
  EXPECT_EQ(viewer->posAt(top_left).line, top.line);
  EXPECT_FALSE(viewer->indexing());
}

// Copying ten million digits with Ctrl+A, Ctrl+C puts every one of them on the clipboard; a
// mouse drag selects what it passes over, a double click a word, a triple click a line.
TEST(TextViewer, SelectsWithTheMouseAndCopiesEverything) {
  auto viewer = Shown<TextViewer>(300, 200);
  viewer->setDocument(Document("0123456789\nabc"));
  QWidget* port = viewer->viewport();
  const QFontMetricsF metrics(viewer->font());
  const qreal char_width = metrics.horizontalAdvance(QString(64, QLatin1Char('0'))) / 64;
  const int y = 3 + static_cast<int>(metrics.height() / 2);
  QTest::mousePress(port, Qt::LeftButton, {}, QPoint(3 + static_cast<int>(2 * char_width), y));
  QTest::mouseMove(port, QPoint(3 + static_cast<int>(5 * char_width), y));
  QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(3 + static_cast<int>(5 * char_width), y));
  EXPECT_EQ(SelectedText(*viewer), "234");
  // A double click takes the word, a third click the line with its break.
  const QPoint in_word(3 + static_cast<int>(4 * char_width), y);
  QTest::mouseClick(port, Qt::LeftButton, {}, in_word);
  QTest::mouseDClick(port, Qt::LeftButton, {}, in_word);
  EXPECT_EQ(SelectedText(*viewer), "0123456789");
  QTest::mouseClick(port, Qt::LeftButton, {}, in_word);
  EXPECT_EQ(SelectedText(*viewer), "0123456789\n");
  // A drag after a double click grows the selection by whole words, either way.
  viewer->setDocument(Document("alpha beta gamma"));
  const auto at_col = [&](int col) { return QPoint(3 + static_cast<int>((col + 0.3) * char_width), y); };
  QTest::mousePress(port, Qt::LeftButton, {}, at_col(7));
  QTest::mouseRelease(port, Qt::LeftButton, {}, at_col(7));
  QMouseEvent double_click(QEvent::MouseButtonDblClick, at_col(7), port->mapToGlobal(at_col(7)),
                           Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(port, &double_click);
  EXPECT_EQ(SelectedText(*viewer), "beta");
  const auto drag_to = [&](QPoint point) {
    QMouseEvent move(QEvent::MouseMove, point, port->mapToGlobal(point), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
  };
  drag_to(at_col(12));
  EXPECT_EQ(SelectedText(*viewer), "beta gamma");
  drag_to(at_col(1));
  EXPECT_EQ(SelectedText(*viewer), "alpha beta");
  QTest::mouseRelease(port, Qt::LeftButton, {}, at_col(1));

  // A UTF-8 file is copied as the text it is; a byte that is not UTF-8 comes out as U+FFFD.
  viewer->setDocument(Document("\u00e9\xff\u4e2d\U0001F600"));
  QTest::keyClick(viewer.get(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(viewer.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
      QString::fromUtf8("\u00e9\ufffd\u4e2d\U0001F600")))
      << QApplication::clipboard()->text().toStdString();

  std::string digits(10'000'000, '0');
  for (std::size_t i = 0; i < digits.size(); i += 7) digits[i] = '9';
  viewer->setDocument(Document(digits));
  EXPECT_FALSE(viewer->hasSelection());
  QTest::keyClick(viewer.get(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(viewer.get(), Qt::Key_C, Qt::ControlModifier);
  const QString copied = QApplication::clipboard()->text();
  ASSERT_EQ(copied.size(), static_cast<qsizetype>(digits.size() + 1));
  EXPECT_TRUE(copied.toLatin1().toStdString() == digits + "\n");
}

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
