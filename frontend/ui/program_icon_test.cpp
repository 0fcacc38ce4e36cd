#include "frontend/ui/program_icon.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "frontend/testing/file_test_io.h"

namespace dalvo::ui {
namespace {

// An icon theme as a desktop sets it ("hicolor", where every installed application icon
// goes) looked for only below `path`; the previous settings come back when the object goes.
class IconTheme {
 public:
  explicit IconTheme(const QString& path)
      : saved_paths_(QIcon::themeSearchPaths()), saved_name_(QIcon::themeName()) {
    QIcon::setThemeSearchPaths(QStringList{path});
    QIcon::setThemeName(QStringLiteral("hicolor"));
  }
  ~IconTheme() {
    QIcon::setThemeSearchPaths(saved_paths_);
    QIcon::setThemeName(saved_name_);
  }
  IconTheme(const IconTheme&) = delete;
  IconTheme& operator=(const IconTheme&) = delete;

 private:
  QStringList saved_paths_;
  QString saved_name_;
};

TEST(ProgramIcon, InstalledIconFirstBuiltInCopyOtherwise) {
  QTemporaryDir icons;
  ASSERT_TRUE(icons.isValid());
  const IconTheme theme(icons.path());

  // Nothing installed: the built-in copy, which must also draw (the SVG engine is there).
  const QIcon built_in = ProgramIcon();
  EXPECT_TRUE(built_in.name().isEmpty());
  EXPECT_FALSE(built_in.pixmap(32).isNull());

  // Installed as the package installs it, into the hicolor theme: that one is taken.
  const QString hicolor = icons.path() + QStringLiteral("/hicolor");
  ASSERT_TRUE(QDir().mkpath(hicolor + QStringLiteral("/scalable/apps")));
  ASSERT_TRUE(Spill((hicolor + QStringLiteral("/index.theme")).toStdString(),
                    "[Icon Theme]\nName=Hicolor\nDirectories=scalable/apps\n\n"
                    "[scalable/apps]\nSize=128\nMinSize=8\nMaxSize=512\nType=Scalable\n"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(":/dalvogui.svg"),
                          hicolor + QStringLiteral("/scalable/apps/dalvogui.svg")));
  QIcon::setThemeSearchPaths(QStringList{icons.path()});  // forget what was looked up before
  const QIcon installed = ProgramIcon();
  EXPECT_EQ(installed.name().toStdString(), "dalvogui");
  EXPECT_FALSE(installed.pixmap(32).isNull());
}

}  // namespace
}  // namespace dalvo::ui
