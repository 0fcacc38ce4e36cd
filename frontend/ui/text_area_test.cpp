// The two text boxes as a user drives them: keys, mouse and clipboard on the real widgets.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "number_edit.h"
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

}  // namespace
}  // namespace dalvo::ui
