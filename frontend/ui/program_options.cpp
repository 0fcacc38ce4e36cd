#include "frontend/ui/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <vector>

#ifndef DALVO_VERSION
#define DALVO_VERSION "(unknown version)"
#endif

namespace dalvo::ui {
namespace {

// Qt ends a program whose display cannot be opened with abort(); a check of the display should
// end like any other failing command instead, with the message and status 1.
void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  if (type == QtFatalMsg) std::_Exit(1);
}

}  // namespace

ProgramOptions ReadProgramOptions(int argc, char** argv) {
  // A core application gives the parser the program's arguments and name and needs no display.
  // It may take arguments out of the vector it is given, so it gets a copy of main's.
  std::vector<char*> arguments(argv, argv + argc);
  int count = argc;
  QCoreApplication core(count, arguments.data());
  QCoreApplication::setApplicationName(QStringLiteral("dalvogui"));
  QCoreApplication::setApplicationVersion(QStringLiteral(DALVO_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Generate very long numbers and divide them by 19 in a desktop window.\n"
      "Other arguments are left to Qt, for example -platform offscreen."));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the version and exit."));
  const QCommandLineOption check_display(
      QStringLiteral("check-display"),
      QStringLiteral("Exit with status 0 when a window could be opened, without opening one."));
  parser.addOptions({help, version, check_display});
  // Unknown options are Qt's; they are no error here.
  (void)parser.parse(QCoreApplication::arguments());

  ProgramOptions options;
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    options.exit_status = 0;
  } else if (parser.isSet(version)) {
    std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                qPrintable(QCoreApplication::applicationVersion()));
    options.exit_status = 0;
  } else if (parser.isSet(check_display)) {
    options.check_display = true;
    qInstallMessageHandler(ExitOnFatal);
  }
  if (options.exit_status && std::fflush(stdout) != 0) options.exit_status = 1;
  return options;
}

}  // namespace dalvo::ui
