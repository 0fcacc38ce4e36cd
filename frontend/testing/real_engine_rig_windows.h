// The window part of the real-engine rig: MainWindowE2e, the fixture of the end-to-end tests,
// runs the real windows, logic and platform and the real engine process in a RealEngineRig of
// its own per test (private TMPDIR, restored after). Every wait is bounded. Needs
// DALVO_ENGINE_PATH and DALVO_TEST_APP_DIR, the directory of the built programs and help text.
#pragma once

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frontend/testing/real_engine_rig.h"
#include "frontend/testing/text_box_test_support.h"
#include "frontend/ui/file_list_box.h"
#include "frontend/ui/form1.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/main_window_binding.h"
#include "frontend/ui/qt_platform.h"
#include "frontend/ui/text_viewer.h"

namespace dalvo::ui {

inline constexpr int kEngineTimeoutMs = 60000;

inline const QString kAppDir = QStringLiteral(DALVO_TEST_APP_DIR);

// The names a generation leaves in the list, in the list's own order (case ignored).
inline const std::vector<std::string> kListedAfterGeneration = {
    "appendix_1_number_1.txt",  "appendix_1_number_10.txt", "appendix_1_number_11.txt",
    "appendix_1_number_12.txt", "appendix_1_number_13.txt", "appendix_1_number_14.txt",
    "appendix_1_number_15.txt", "appendix_1_number_2.txt",  "appendix_1_number_3.txt",
    "appendix_1_number_4.txt",  "appendix_1_number_5.txt",  "appendix_1_number_6.txt",
    "appendix_1_number_7.txt",  "appendix_1_number_8.txt",  "appendix_1_number_9.txt",
    "appendix_24_proof_63.txt", "appendix_24_proof_64.txt", "appendix_24_proof_65.txt",
    "kelvatrons_perspective_nov_1989_nr_1.txt", "kelvatrons_perspective_nov_1989_nr_2.txt",
    "n14453d.txt",              "n20257d.txt",
};

class MainWindowE2e : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig_.ok()) << rig_.error(); }

  // The program goes before the rig restores TMPDIR and the current directory.
  void TearDown() override {
    binding_.reset();
    platform_.reset();
  }

  // Starts the program with `app_dir` as its application directory (by default the built one,
  // which holds the help text beside the engine).
  void Start(const QString& app_dir = kAppDir) {
    platform_ = std::make_unique<QtPlatform>(app_dir.toStdString());
    binding_ = std::make_unique<MainWindowBinding>(*platform_);
    const StartupResult started = binding_->start();
    ASSERT_TRUE(started.ok) << started.message;
    // Without a window manager (a bare X display) nobody activates a new window but itself.
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  }

  Form1& form() { return binding_->form1(); }
  QString status() { return form().label1()->text(); }
  Form2* viewer() { return binding_->view().viewer(); }
  // What the viewer shows, lines joined by LF; "" while it is not loaded.
  QString viewerText() {
    if (viewer() == nullptr) return {};
    const std::string text = ShownText(*viewer()->text1());
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }

  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  // Waits until Label1 shows `text`; false on time-out.
  bool WaitForStatus(const QString& text, int timeout_ms = kEngineTimeoutMs) {
    return QTest::qWaitFor([&] { return status() == text; }, timeout_ms);
  }

  void Generate(bool with_129) {
    Click(with_129 ? form().option2() : form().option1());
    Click(form().command(1));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Number generation complete!")))
        << status().toStdString();
  }

  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    for (int row = 0; row < form().file1()->count(); ++row) {
      names.push_back(form().file1()->item(row)->text().toStdString());
    }
    return names;
  }

  QListWidgetItem* ListItem(const QString& name) {
    const QList<QListWidgetItem*> found = form().file1()->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }

  void ClickListItem(const QString& name, bool twice = false) {
    QListWidgetItem* item = ListItem(name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    QWidget* port = form().file1()->viewport();
    const QPoint at = form().file1()->visualItemRect(item).center();
    if (twice) {
      // As a hand does it: a click, then the second press that makes it a double-click.
      QTest::mouseClick(port, Qt::LeftButton, {}, at);
      QTest::mouseDClick(port, Qt::LeftButton, {}, at);
    } else {
      QTest::mouseClick(port, Qt::LeftButton, {}, at);
    }
  }

  RealEngineRig rig_{DALVO_ENGINE_PATH};
  const QString work_dir_ = QString::fromStdString(rig_.work_dir());
  std::unique_ptr<QtPlatform> platform_;
  std::unique_ptr<MainWindowBinding> binding_;
};

}  // namespace dalvo::ui
