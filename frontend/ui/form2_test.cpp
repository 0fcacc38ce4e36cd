#include "frontend/ui/form2.h"

#include <QAction>
#include <QFontInfo>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "frontend/testing/text_box_test_support.h"
#include "frontend/ui/fonts.h"
#include "frontend/ui/text_viewer.h"

namespace dalvo::ui {
namespace {

TEST(Form2, IsTitledAndHasCloseAsTheOnlyMenuBarItem) {
  Form2 viewer;
  EXPECT_EQ(viewer.windowTitle().toStdString(), "Dalvo built in viewer");
  const QList<QAction*> items = viewer.menuBar()->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items.first(), viewer.menu1());
  EXPECT_EQ(items.first()->text().toStdString(), "Close!");
  EXPECT_EQ(items.first()->menu(), nullptr);  // a plain item, no drop-down
}

TEST(Form2, TextBoxSitsAtItsDesignPlaceInAFixedFont) {
  Form2 viewer;
  TextViewer* text = viewer.text1();
  EXPECT_EQ(text->objectName().toStdString(), "Text1");
  EXPECT_EQ(text->parentWidget(), viewer.centralWidget());
  EXPECT_EQ(text->pos(), QPoint(8, 0));           // 120 twips, 0 twips
  EXPECT_EQ(text->size(), QSize(433, 329));       // 6495 x 4935 twips
  EXPECT_TRUE(IsFixedPitch(text->font()));
  EXPECT_EQ(text->font().pointSize(), 9);
  EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST(Form2, SizesItsTextBoxInTwipsAndReportsItsOuterSize) {
  Form2 viewer;
  viewer.resize(600, 400);
  EXPECT_EQ(viewer.outerWidthTwips(), viewer.frameGeometry().width() * 15);
  EXPECT_EQ(viewer.outerHeightTwips(), viewer.frameGeometry().height() * 15);
  viewer.setText1SizeTwips(3000, 1500);
  EXPECT_EQ(viewer.text1()->size(), QSize(200, 100));
  EXPECT_EQ(viewer.text1()->pos(), QPoint(8, 0));
}

TEST(Form2, ReportsResizeStateChangeAndClose) {
  Form2 viewer;
  QSignalSpy resized(&viewer, &Form2::resized);
  QSignalSpy unloading(&viewer, &Form2::unloading);
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
  EXPECT_GE(resized.count(), 1);
  const qsizetype before = resized.count();
  viewer.setWindowState(Qt::WindowMinimized);
  EXPECT_GT(resized.count(), before);
  EXPECT_EQ(unloading.count(), 0);
  viewer.close();
  EXPECT_EQ(unloading.count(), 1);
}

// A long number is one line of digits without a blank: it is cut at the box's edge, every row
// full but the last. Prose breaks between words, its blanks hanging at the rows' ends.
TEST(Form2, WrapsANumberAtTheEdgeAndProseBetweenWords) {
  Form2 viewer;
  viewer.resize(640, 480);
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
  TextViewer* text = viewer.text1();
  // The columns that fit the box, with its frame, scroll bar and margins taken off.
  const QFontMetricsF metrics(text->font());
  const qreal char_width = metrics.horizontalAdvance(QString(64, QLatin1Char('0'))) / 64;
  const auto cols = static_cast<std::uint64_t>((text->viewport()->width() - 6) / char_width);
  ASSERT_EQ(text->columns(), cols);
  ASSERT_GT(cols, 9u);

  std::string digits;
  for (int i = 0; i < 37102; ++i) digits += static_cast<char>('0' + i % 10);
  std::string prose;
  for (int i = 0; i < 40; ++i) prose += "nineteen ";
  const std::uint64_t words_a_row = (cols + 1) / 9;
  const struct {
    std::string line;
    std::uint64_t rows;
  } cases[] = {
      {digits, (digits.size() + cols - 1) / cols},
      {prose, (40 + words_a_row - 1) / words_a_row},
  };
  for (const auto& c : cases) {
    text->setDocument(std::make_unique<const ViewerDocument>(
        ViewerDocument::FromText("before\r\n" + c.line + "\r\nafter\r\n")));
    // "before", the line's rows, "after" and the empty line after the last break.
    EXPECT_EQ(text->rowCount(), c.rows + 3) << c.line.substr(0, 20);
    EXPECT_EQ(ShownText(*text), "before\n" + c.line + "\nafter\n");
  }
}

}  // namespace
}  // namespace dalvo::ui
