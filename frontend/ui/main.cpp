// dalvogui: the desktop front-end. Answers --help and --version without a display; otherwise
// builds the windows over the real platform, runs start-up and the event loop; a refused
// start-up ends the program with its message and status 1.
#include <QApplication>
#include <QMessageBox>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/ui/main_window_binding.h"
#include "frontend/ui/program_icon.h"
#include "frontend/ui/program_options.h"
#include "frontend/ui/qt_platform.h"

int main(int argc, char** argv) {
  const dalvo::ui::ProgramOptions options = dalvo::ui::ReadProgramOptions(argc, argv);
  if (options.exit_status) return *options.exit_status;
  // A relative TMPDIR means the same place for the whole run: it is made absolute before
  // anything reads it. Qt keeps its own runtime folder below it while the application starts
  // (without XDG_RUNTIME_DIR), and would otherwise put it somewhere else entirely.
  const char* tmpdir = std::getenv("TMPDIR");
  if (tmpdir != nullptr && tmpdir[0] != '\0' && tmpdir[0] != '/') {
    if (char* cwd = ::getcwd(nullptr, 0)) {
      const std::string absolute = std::string(cwd) + "/" + tmpdir;
      std::free(cwd);
      ::setenv("TMPDIR", absolute.c_str(), 1);
    }
  }
  QApplication app(argc, argv);
  if (options.check_display) return 0;
  QApplication::setApplicationName(QStringLiteral("dalvogui"));
  QApplication::setWindowIcon(dalvo::ui::ProgramIcon());

  dalvo::QtPlatform platform;
  dalvo::ui::MainWindowBinding windows(platform);
  const dalvo::StartupResult started = windows.start();
  if (!started.ok) {
    std::fprintf(stderr, "dalvogui: %s\n", started.message.c_str());
    // Only where someone can see and dismiss it; on the offscreen platform it would wait forever.
    const QString platform_name = QGuiApplication::platformName();
    if (platform_name != QLatin1String("offscreen") && platform_name != QLatin1String("minimal")) {
      QMessageBox::critical(nullptr, QStringLiteral("dalvogui"),
                            QString::fromStdString(started.message));
    }
    return 1;
  }
  return QApplication::exec();
}
