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

}  // namespace
}  // namespace dalvo::ui
