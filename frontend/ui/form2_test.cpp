#include "form2.h"

#include <QAction>
#include <QFontInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fonts.h"

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
  QPlainTextEdit* text = viewer.text1();
  EXPECT_EQ(text->objectName().toStdString(), "Text1");
  EXPECT_EQ(text->parentWidget(), viewer.centralWidget());
  EXPECT_EQ(text->pos(), QPoint(8, 0));           // 120 twips, 0 twips
  EXPECT_EQ(text->size(), QSize(433, 329));       // 6495 x 4935 twips
  EXPECT_TRUE(IsFixedPitch(text->font()));
  EXPECT_EQ(text->font().pointSize(), 9);
  EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
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

TEST(Form2, ShowsALongNumberAsOneWrappedLine) {
  Form2 viewer;
  viewer.resize(640, 480);
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
  QString digits;
  for (int i = 0; i < 37102; ++i) digits += QChar(u'0' + i % 10);
  viewer.text1()->setPlainText(digits + QStringLiteral("\r\n"));
  QTextBlock first = viewer.text1()->document()->firstBlock();
  EXPECT_EQ(first.text(), digits);
  // Without a blank in it the line must still break at the box's edge.
  EXPECT_GT(first.layout()->lineCount(), 1);
}

// The lengths of the laid-out lines of `block`, in characters.
std::vector<int> LineLengths(const QTextBlock& block) {
  std::vector<int> lengths;
  for (int i = 0; i < block.layout()->lineCount(); ++i) {
    lengths.push_back(block.layout()->lineAt(i).textLength());
  }
  return lengths;
}

TEST(Form2, BreaksLongLinesAnywhereAndProseAtWordBoundaries) {
  Form2 viewer;
  viewer.resize(640, 480);
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
  QString prose;
  for (int i = 0; i < 40; ++i) prose += QStringLiteral("nineteen ");
  QString digits;
  for (int i = 0; i < 37102; ++i) digits += QChar(u'0' + i % 10);
  const struct {
    QString line;
    QTextOption::WrapMode mode;
  } cases[] = {
      {prose, QTextOption::WrapAtWordBoundaryOrAnywhere},
      {digits, QTextOption::WrapAnywhere},
      {QString(Form2::kBreakAnywhereChars - 1, QLatin1Char('7')),
       QTextOption::WrapAtWordBoundaryOrAnywhere},
      {QString(Form2::kBreakAnywhereChars, QLatin1Char('7')), QTextOption::WrapAnywhere},
      {prose, QTextOption::WrapAtWordBoundaryOrAnywhere},  // the next text chooses again
  };
  for (const auto& c : cases) {
    const std::string name = std::to_string(c.line.size()) + " characters";
    viewer.setText1Text(QStringLiteral("before\r\n") + c.line + QStringLiteral("\r\nafter\r\n"));
    EXPECT_EQ(viewer.text1()->wordWrapMode(), c.mode) << name;
    const QTextBlock block = viewer.text1()->document()->findBlockByNumber(1);
    EXPECT_EQ(block.text(), c.line) << name;
    const std::vector<int> lengths = LineLengths(block);
    ASSERT_GT(lengths.size(), 1u) << name;
    if (c.line == prose) {
      // Word boundaries: every line but the last ends with the blank after a word.
      for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i] % 9, 0) << i;
    } else {
      // Broken anywhere: every line but the last is as full as the first.
      for (std::size_t i = 1; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], lengths[0]);
    }
  }
}

}  // namespace
}  // namespace dalvo::ui
