// The viewer's text box: keys, scrolling, a new width, the mouse and the clipboard on the real
// widget, and a large file indexed from the event loop.
#include "frontend/ui/text_viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "frontend/testing/fake_platform.h"
#include "frontend/testing/text_box_test_support.h"
#include "frontend/ui/form2.h"

namespace dalvo::ui {
namespace {

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

// A document handed over unindexed is indexed by the event loop, not by setDocument, which
// returns at once; when the file is whole the box is laid out for all of it and stops. (How
// long the window waits meanwhile is measured by bench/viewer, not here.)
TEST(TextViewer, IndexesFromTheEventLoopAndLaysTheWholeFileOutAtTheEnd) {
  std::string content;
  while (content.size() < (std::size_t{24} << 20)) content += std::string(99, '7') + "\n";
  FakePlatform platform;
  platform.PutFile("/w/big.txt", content);
  Form2 viewer;
  TextViewer* text = viewer.text1();
  viewer.show();
  auto document = std::make_unique<ViewerDocument>(platform.OpenForReading("/w/big.txt"));
  text->setDocument(std::move(document));
  EXPECT_TRUE(text->indexing());
  EXPECT_EQ(text->document().Bytes(), 0u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text->indexing(); }, 30000));
  EXPECT_EQ(text->document().Bytes(), content.size());
  const std::uint64_t lines = content.size() / 100;
  const std::uint64_t rows_per_line = (99 + text->columns() - 1) / text->columns();
  EXPECT_EQ(text->rowCount(), lines * rows_per_line + 1);  // and the empty last line
}

}  // namespace
}  // namespace dalvo::ui
