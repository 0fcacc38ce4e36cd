// dalvogui: the desktop front-end. Answers --help and --version without a display; otherwise
// builds the windows over the real platform, runs start-up and the event loop; a refused
// start-up ends the program with its message and status 1.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

#include "main_window_binding.h"
#include "program_icon.h"
#include "program_options.h"
#include "qt_platform.h"

int main(int argc, char** argv) {
  const dalvo::ui::ProgramOptions options = dalvo::ui::ReadProgramOptions(argc, argv);
  if (options.exit_status) return *options.exit_status;
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
