// End to end, the main window and its viewer: start-up, generation, divisions of a listed file
// and of a typed number, clearing, deletion, the keyboard, help, viewing a listed file, the
// viewer's size and closing, and a shown file changing on disk, with the real engine process
// (the fixture is the rig's window part).
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

#include "frontend/testing/file_test_io.h"
#include "frontend/testing/real_engine_rig_windows.h"
#include "frontend/testing/text_box_test_support.h"
#include "frontend/ui/file_list_box.h"
#include "frontend/ui/form1.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/main_window_binding.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/qt_platform.h"
#include "frontend/ui/text_viewer.h"

namespace dalvo::ui {
namespace {

TEST_F(MainWindowE2e, StartsCentredGreetingWithTheDecoratedCaption) {
  Start();
  EXPECT_EQ(status().toStdString(), "Welcome to dalvo!");
  const std::string caption = form().windowTitle().toStdString();
  const std::string designed = "Dalvo  -  Last updated: 2000-02-26  -  ";
  ASSERT_EQ(caption.size(), designed.size() + 25) << caption;
  EXPECT_EQ(caption.substr(0, designed.size()), designed);
  EXPECT_TRUE(QDir(work_dir_).exists());
  EXPECT_EQ(QDir::current(), QDir(work_dir_));
  // Centred with the size known before the first show, which cannot include the frame the
  // window system adds: off by at most that frame.
  const QPoint centre = form().screen()->geometry().center();
  const QSize frame = form().frameGeometry().size() - form().size();
  EXPECT_LE((form().frameGeometry().center() - centre).manhattanLength(),
            frame.width() + frame.height() + 2)
      << form().frameGeometry().x() << "," << form().frameGeometry().y() << " "
      << form().frameGeometry().width() << "x" << form().frameGeometry().height() << " screen "
      << centre.x() << "," << centre.y();
  EXPECT_FALSE(form().timer1()->isActive());
  // Nothing listed, nothing typed: only the commands that need neither are offered.
  const bool idle_enabled[7] = {true, false, false, true, false, true, true};
  for (int n = 1; n <= 7; ++n) {
    EXPECT_EQ(form().command(n)->isEnabled(), idle_enabled[n - 1]) << "Command" << n;
  }
}

TEST_F(MainWindowE2e, StaleMarkerIsRemovedAndEarlierFilesAreListedAtStart) {
  ASSERT_TRUE(QDir().mkpath(work_dir_));
  QFile::setPermissions(work_dir_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(Spill((work_dir_ + "dalvoopc.tmp").toStdString(), ""));
  ASSERT_TRUE(Spill((work_dir_ + "Zeta.TXT").toStdString(), "38"));
  ASSERT_TRUE(Spill((work_dir_ + "alpha.txt").toStdString(), "19"));
  ASSERT_TRUE(Spill((work_dir_ + "hidden.tmp").toStdString(), "1"));
  Start();
  EXPECT_FALSE(QFile::exists(work_dir_ + "dalvoopc.tmp"));
  EXPECT_EQ(status().toStdString(), "Welcome to dalvo!");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"alpha.txt", "Zeta.TXT"}));
  EXPECT_TRUE(form().command(3)->isEnabled());
}

TEST_F(MainWindowE2e, GenerationListsThePublicationNames) {
  Start();
  Click(form().command(1));
  EXPECT_EQ(status().toStdString(), "Generating numbers...");
  for (int n = 1; n <= 7; ++n) EXPECT_FALSE(form().command(n)->isEnabled()) << "Command" << n;
  EXPECT_TRUE(form().timer1()->isActive());
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Number generation complete!")));
  EXPECT_EQ(Listed(), kListedAfterGeneration);
  EXPECT_FALSE(QFile::exists(work_dir_ + "dalvoopc.tmp"));
  EXPECT_FALSE(form().timer1()->isActive());
  EXPECT_TRUE(form().command(3)->isEnabled());

  // A click shows the name and the size on disk.
  const QString name = QStringLiteral("n14453d.txt");
  ClickListItem(name);
  const qint64 size = QFileInfo(work_dir_ + name).size();
  EXPECT_EQ(status().toStdString(),
            name.toStdString() + "  -  " + std::to_string(size) + " bytes.");
  EXPECT_TRUE(form().command(2)->isEnabled());

  // Moving the selection with the keyboard reports the newly selected file the same way.
  QTest::keyClick(form().file1(), Qt::Key_Down);
  const QString next = QString::fromUtf8(form().file1()->fileNameBytes());
  ASSERT_EQ(next.toStdString(), "n20257d.txt");
  EXPECT_EQ(status().toStdString(), next.toStdString() + "  -  " +
                                        std::to_string(QFileInfo(work_dir_ + next).size()) +
                                        " bytes.");

  // Focus arriving by Tab makes a row current without selecting it: no click, no message.
  form().file1()->clearSelection();
  form().label1()->setText(QString());
  form().file1()->setCurrentItem(ListItem(QStringLiteral("n14453d.txt")),
                                 QItemSelectionModel::NoUpdate);
  EXPECT_EQ(status().toStdString(), "");
}

struct DivisionCase {
  bool with_129;
  const char* file;
  const char* verdict;
};

TEST_F(MainWindowE2e, DividingAListedFileShowsItsReport) {
  const DivisionCase cases[] = {
      {false, "appendix_1_number_1.txt", "The number IS a multiple of 19!"},
      {true, "appendix_1_number_1.txt", "The number is NOT a multiple of 19."},
      {false, "kelvatrons_perspective_nov_1989_nr_2.txt", "The number IS a multiple of 19!"},
  };
  Start();
  for (const DivisionCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.with_129 ? " (129)" : " (127)"));
    Generate(c.with_129);
    const QString file = QString::fromLatin1(c.file);
    ClickListItem(file);
    ASSERT_TRUE(form().command(2)->isEnabled());
    Click(form().command(2));
    EXPECT_EQ(status(), QStringLiteral("Dividing numberfile: ") + file);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Number division complete!")));
    ASSERT_NE(viewer(), nullptr);
    EXPECT_TRUE(viewer()->isVisible());
    const std::string report = viewerText().toStdString();
    // A long-number file holds nothing but digits, so its size is its digit count.
    const std::string count_line = "Number of digits read from file \"" + std::string(c.file) +
                                   "\": " + std::to_string(QFileInfo(work_dir_ + file).size());
    EXPECT_NE(report.find(count_line), std::string::npos) << report.substr(0, 200);
    EXPECT_NE(report.find(c.verdict), std::string::npos);
    EXPECT_TRUE(QFile::exists(work_dir_ + "latest_division_report.tmp"));
  }
}

TEST_F(MainWindowE2e, WithoutAutomaticViewTheReportWaitsForItsButton) {
  Start();
  Click(form().command(4));  // no division yet: no report, nothing happens
  EXPECT_EQ(viewer(), nullptr);
  Generate(false);
  Click(form().check1());
  ASSERT_FALSE(form().check1()->isChecked());
  ClickListItem(QStringLiteral("n20257d.txt"));
  Click(form().command(2));
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Number division complete!")));
  EXPECT_TRUE(viewer() == nullptr || !viewer()->isVisible());
  Click(form().command(4));
  ASSERT_NE(viewer(), nullptr);
  EXPECT_TRUE(viewer()->isVisible());
  EXPECT_TRUE(viewerText().contains(QStringLiteral("\"n20257d.txt\"")));
}

struct CustomCase {
  const char* typed;
  const char* quotient_line;
  int digits;
  const char* verdict;  // "" when the report has no verdict line
};

TEST_F(MainWindowE2e, DividingATypedNumberCountsOnlyItsDigits) {
  const CustomCase cases[] = {
      {"3 8abc", "2.0000", 2, "The number IS a multiple of 19!"},
      {"1 000 x", "52.6316", 4, "The number is NOT a multiple of 19."},
      {"-3.8", "2.0000", 2, "The number IS a multiple of 19!"},
      {"no digits", "0.0000", 0, ""},
  };
  Start();
  for (const CustomCase& c : cases) {
    SCOPED_TRACE(c.typed);
    Click(form().command(6));
    ASSERT_FALSE(form().command(5)->isEnabled());
    QTest::keyClicks(form().text1(), QString::fromLatin1(c.typed));
    ASSERT_TRUE(form().command(5)->isEnabled());
    Click(form().command(5));
    EXPECT_EQ(status().toStdString(), "Dividing custom number...");
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Number division complete!")));
    EXPECT_EQ(Slurp((work_dir_ + "custom_number.tmp").toStdString()),
              std::string(c.typed) + "\r\n");
    const QStringList lines = viewerText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0].toStdString(), c.quotient_line);
    EXPECT_EQ(lines[2].toStdString(), "Number of digits read from file \"custom_number.tmp\": " +
                                          std::to_string(c.digits));
    if (*c.verdict != '\0') {
      EXPECT_EQ(lines.value(3).toStdString(), c.verdict);
    } else {
      EXPECT_FALSE(viewerText().contains(QStringLiteral("multiple")));
    }
  }
}

TEST_F(MainWindowE2e, ClearingTheNumberDisablesItsDivisionAndKeepsTheFocus) {
  Start();
  QTest::keyClicks(form().text1(), QStringLiteral("12345"));
  EXPECT_TRUE(form().command(5)->isEnabled());
  Click(form().command(6));
  EXPECT_TRUE(form().text1()->isEmpty());
  EXPECT_FALSE(form().command(5)->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), form().text1());
}

TEST_F(MainWindowE2e, DeleteRemovesEveryListedFileAndKeepsTheWorkingFiles) {
  Start();
  Generate(false);
  QTest::keyClicks(form().text1(), QStringLiteral("38"));
  Click(form().command(5));
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Number division complete!")));
  ASSERT_TRUE(Spill((work_dir_ + "Notes.TXT").toStdString(), "1"));
  Click(form().command(3));
  EXPECT_EQ(status().toStdString(), "All listed files deleted!");
  EXPECT_EQ(form().file1()->count(), 0);
  EXPECT_TRUE(QDir(work_dir_, QStringLiteral("*.txt"), QDir::Name, QDir::Files).isEmpty());
  EXPECT_TRUE(QFile::exists(work_dir_ + "latest_division_report.tmp"));
  EXPECT_TRUE(QFile::exists(work_dir_ + "custom_number.tmp"));
  EXPECT_FALSE(form().command(3)->isEnabled());
  EXPECT_FALSE(form().command(2)->isEnabled());
}

TEST_F(MainWindowE2e, ActivationPutsTheFocusInTheNumberBox) {
  Start();
  EXPECT_EQ(QApplication::focusWidget(), form().text1());
  form().file1()->setFocus();
  Click(form().command(7));  // the viewer takes the activation
  ASSERT_NE(viewer(), nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowActive(viewer()));
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  EXPECT_EQ(QApplication::focusWidget(), form().text1());
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19"));
  EXPECT_EQ(form().text1()->text(), "19");
}

TEST_F(MainWindowE2e, KeyboardAloneGeneratesViewsAndClosesTheViewer) {
  Start();
  // Enter on the focused generate button runs the engine, as a click does.
  form().command(1)->setFocus();
  QTest::keyClick(form().command(1), Qt::Key_Return);
  EXPECT_EQ(status().toStdString(), "Generating numbers...");
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Number generation complete!")));
  EXPECT_EQ(Listed(), kListedAfterGeneration);

  form().command(7)->setFocus();
  QTest::keyClick(form().command(7), Qt::Key_Space);
  ASSERT_NE(viewer(), nullptr);
  Form2* shown = viewer();
  ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
  EXPECT_FALSE(viewerText().isEmpty());
  // Esc does what "Close!" does: the viewer is emptied and hidden, not unloaded.
  QTest::keyClick(shown, Qt::Key_Escape);
  EXPECT_EQ(viewer(), shown);
  EXPECT_FALSE(shown->isVisible());
  EXPECT_TRUE(ShownText(*shown->text1()).empty());
}

// A user pastes a million digits, divides them, reads the verdict at the report's end and copies
// the quotient: the box's text reaches "custom_number.tmp" byte for byte, and the quotient
// comes out whole.
TEST_F(MainWindowE2e, AMillionPastedDigitsAreDividedAndTheQuotientCopiedWhole) {
  Start();
  std::string digits;
  for (int i = 0; i < 500'000; ++i) digits += "19";  // 19 times 1010...101
  QApplication::clipboard()->setText(QString::fromLatin1(digits));
  form().text1()->setFocus();
  QTest::keyClick(form().text1(), Qt::Key_V, Qt::ControlModifier);
  ASSERT_TRUE(form().command(5)->isEnabled());
  Click(form().command(5));
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Number division complete!")));
  EXPECT_TRUE(Slurp((work_dir_ + "custom_number.tmp").toStdString()) == digits + "\r\n");

  ASSERT_NE(viewer(), nullptr);
  TextViewer* text = viewer()->text1();
  text->setFocus();
  EXPECT_EQ(text->topRow(), 0u);  // the report opens at its top
  QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
  // A few rows up from the end: the digit count and the verdict, whatever the rows' width.
  for (int i = 0; i < 6; ++i) QTest::keyClick(text, Qt::Key_Up, Qt::ShiftModifier);
  const std::string tail = SelectedText(*text);
  const std::string ending =
      "\nNumber of digits read from file \"custom_number.tmp\": 1000000\n"
      "The number IS a multiple of 19!\n\n";
  ASSERT_GE(tail.size(), ending.size());
  EXPECT_EQ(tail.substr(tail.size() - ending.size()), ending);

  // From the top, Shift+Ctrl+End takes everything; the quotient is the first line.
  std::string quotient = "1";
  for (int i = 1; i < 500'000; ++i) quotient += "01";
  QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(text, Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
  const std::string copied = QApplication::clipboard()->text().toStdString();
  EXPECT_TRUE(copied.substr(0, copied.find('\n')) == quotient + ".0000");
}

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
