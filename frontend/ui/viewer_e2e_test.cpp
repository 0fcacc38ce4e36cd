// End to end, the viewer: help, viewing a listed file, the window's size and closing, and a
// shown file changing on disk, with the real engine process (see the fixture).
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "file_list_box.h"
#include "file_test_io.h"
#include "form1.h"
#include "form2.h"
#include "main_window_binding.h"
#include "main_window_e2e_fixture.h"
#include "number_edit.h"
#include "qt_platform.h"
#include "text_viewer.h"
#include "text_viewer_test_support.h"

namespace dalvo::ui {
namespace {

TEST_F(MainWindowE2e, HelpShowsTheHelpTextAndBothFolders) {
  Start();
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  EXPECT_TRUE(viewer()->isVisible());
  const std::string help = Slurp((kAppDir + QStringLiteral("/Dalvo.txt")).toStdString());
  ASSERT_NE(help.find("\r\n"), std::string::npos);
  const QStringList lines = viewerText().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0].toStdString(), help.substr(0, help.find("\r\n")));
  // The last two lines name the program's folder and the work directory, each with its final
  // separator; the text ends with a line break.
  EXPECT_TRUE(lines[lines.size() - 1].isEmpty());
  EXPECT_EQ(QDir(lines[lines.size() - 3]), QDir(kAppDir));
  EXPECT_TRUE(lines[lines.size() - 3].endsWith(QLatin1Char('/')));
  EXPECT_EQ(lines[lines.size() - 2], work_dir_);
}

TEST_F(MainWindowE2e, HelpWithoutTheHelpFileDoesNothing) {
  QTemporaryDir bare_app;
  ASSERT_TRUE(QFile::link(kAppDir + QStringLiteral("/dalvo"), bare_app.path() + "/dalvo"));
  Start(bare_app.path());
  Click(form().command(7));
  EXPECT_EQ(viewer(), nullptr);
  EXPECT_EQ(status().toStdString(), "Welcome to dalvo!");
  // The engine beside it still works: the program is otherwise whole.
  Generate(false);
  EXPECT_EQ(Listed().size(), kListedAfterGeneration.size());
}

TEST_F(MainWindowE2e, DoubleClickViewsTheFileAsOneWrappedLine) {
  Start();
  Generate(false);
  const QString name = QStringLiteral("kelvatrons_perspective_nov_1989_nr_2.txt");
  ClickListItem(name, /*twice=*/true);
  ASSERT_NE(viewer(), nullptr);
  EXPECT_TRUE(viewer()->isVisible());
  EXPECT_EQ(viewerText().toStdString(), Slurp((work_dir_ + name).toStdString()) + "\n");
  EXPECT_EQ(viewer()->text1()->document().LineCount(), 2u);  // the number, then the empty line
}

TEST_F(MainWindowE2e, ViewerStaysMaximizedWithItsTextBoxSizedToIt) {
  Start();
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  Form2* shown = viewer();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
  for (Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMinimized}) {
    SCOPED_TRACE(static_cast<int>(state));
    shown->setWindowState(state);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown->isMaximized(); }, 2000));
  }
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const QSize outer = shown->frameGeometry().size();
        return shown->text1()->size() ==
               QSize((outer.width() * 15 - 360) / 15, (outer.height() * 15 - 800) / 15);
      },
      2000))
      << shown->text1()->width() << "x" << shown->text1()->height();
  EXPECT_EQ(shown->text1()->pos(), QPoint(8, 0));
}

TEST_F(MainWindowE2e, CloseEmptiesAndHidesTheViewerAndTheNextViewShowsItAgain) {
  Start();
  Generate(false);
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  Form2* first = viewer();
  QMenuBar* bar = first->menuBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(first->menu1()).center());
  EXPECT_FALSE(first->isVisible());
  EXPECT_TRUE(ShownText(*first->text1()).empty());

  ClickListItem(QStringLiteral("n14453d.txt"), /*twice=*/true);
  ASSERT_NE(viewer(), nullptr);
  EXPECT_TRUE(viewer()->isVisible());
  EXPECT_TRUE(viewer()->isMaximized());
  EXPECT_EQ(viewerText().toStdString(), Slurp((work_dir_ + "n14453d.txt").toStdString()) + "\n");
}

TEST_F(MainWindowE2e, ClosingTheViewerWindowUnloadsItUntilTheNextView) {
  Start();
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  viewer()->close();
  EXPECT_EQ(viewer(), nullptr);
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  EXPECT_TRUE(viewer()->isVisible());
  EXPECT_FALSE(viewerText().isEmpty());
}

TEST_F(MainWindowE2e, ClosingTheMainWindowClosesTheViewerAndKeepsTheFiles) {
  Start();
  Generate(false);
  QTest::keyClicks(form().text1(), QStringLiteral("7"));
  Click(form().command(7));
  ASSERT_NE(viewer(), nullptr);
  form().close();
  EXPECT_FALSE(form().isVisible());
  EXPECT_EQ(viewer(), nullptr);
  EXPECT_TRUE(form().text1()->isEmpty());
  EXPECT_TRUE(QFile::exists(work_dir_ + "n14453d.txt"));
}

// The viewer holds the file open and reads it on demand: cut shorter while shown, it shows what
// remains from the next paint on; deleted, it is still held and shown.
TEST_F(MainWindowE2e, AFileShrinkingOrDeletedWhileShownShowsWhatRemains) {
  const std::string number(3'000'000, '8');
  ASSERT_TRUE(QDir().mkpath(work_dir_));
  QFile::setPermissions(work_dir_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(Spill((work_dir_ + "big.txt").toStdString(), number));
  Start();  // lists the file
  ClickListItem(QStringLiteral("big.txt"), /*twice=*/true);
  ASSERT_NE(viewer(), nullptr);
  TextViewer* text = viewer()->text1();
  QFile::resize(work_dir_ + "big.txt", 10);
  text->repaint();
  QFile::remove(work_dir_ + "big.txt");
  text->setFocus();
  QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
  text->repaint();
  QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(SelectedText(*text) == number.substr(0, 10) + "\n");
}


}  // namespace
}  // namespace dalvo::ui
