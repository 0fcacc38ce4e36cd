// Viewer benchmark: the whole program on Qt's offscreen platform with the real engine. It writes
// a number of --digits digits into the work directory, divides it through the main window with
// "Automatically view the results" ticked, and measures how long the viewer takes to show the
// report and how long a click on the main window then waits for an answer. It then opens the
// report again through the report button, the same load without the engine. Medians of --runs
// runs; peak resident memory of this process at the end. Exits non-zero when a wait times out.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "file_list_box.h"
#include "form1.h"
#include "form2.h"
#include "main_window_binding.h"
#include "qt_platform.h"

namespace {

constexpr int kWaitLimitMs = 300000;
const char kNumberName[] = "bench_number.txt";

struct Options {
  long long digits = 10'000'000;
  int runs = 5;
};

Options ParseOptions(const QStringList& args) {
  Options options;
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--digits")) options.digits = args[i + 1].toLongLong();
    if (args[i] == QLatin1String("--runs")) options.runs = args[i + 1].toInt();
  }
  options.digits = std::max(1LL, options.digits);
  options.runs = std::max(1, options.runs);
  return options;
}

// Digits of a fixed pseudo-random sequence, written in blocks; the first one is not zero.
bool WriteDigits(const QString& path, long long digits) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  unsigned state = 12345;
  QByteArray block;
  long long left = digits;
  bool first = true;
  while (left > 0) {
    const long long n = std::min<long long>(left, 1 << 20);
    block.resize(static_cast<qsizetype>(n));
    for (char& c : block) {
      state = state * 1103515245u + 12345u;
      c = static_cast<char>('0' + (state >> 16) % 10);
      if (first) {
        if (c == '0') c = '7';
        first = false;
      }
    }
    if (file.write(block) != block.size()) return false;
    left -= n;
  }
  return true;
}

// Runs the event loop until `done` holds; false after kWaitLimitMs.
bool SpinUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > kWaitLimitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Queues a left click on `button` behind whatever the event loop already holds, as the window
// system would deliver a user's click.
void PostClick(QAbstractButton* button) {
  const QPointF at = QRectF(button->rect()).center();
  const QPointF global = button->mapToGlobal(at);
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                      Qt::LeftButton, Qt::LeftButton,
                                                      Qt::NoModifier));
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                      Qt::LeftButton, Qt::NoButton,
                                                      Qt::NoModifier));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Ms(qint64 ns) { return static_cast<double>(ns) / 1e6; }

// Notes when a viewer window receives its Show event, and at that moment queues a click on the
// main window's check box: the click is answered once everything the load left behind (text
// layout, painting) has been handled.
class ShowWatcher : public QObject {
 public:
  ShowWatcher(QElapsedTimer& clock, QAbstractButton* target) : clock_(clock), target_(target) {}
  qint64 shown_ns = -1;
  bool armed = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (armed && event->type() == QEvent::Show &&
        qobject_cast<dalvo::ui::Form2*>(watched) != nullptr) {
      armed = false;
      shown_ns = clock_.nsecsElapsed();
      PostClick(target_);
    }
    return false;
  }

 private:
  QElapsedTimer& clock_;
  QAbstractButton* target_;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir temp;
  if (!temp.isValid()) return 2;
  qputenv("TMPDIR", QFile::encodeName(temp.path()));
  QApplication app(argc, argv);
  const Options options = ParseOptions(QCoreApplication::arguments());

  dalvo::QtPlatform platform(DALVO_BENCH_APP_DIR);
  dalvo::ui::MainWindowBinding binding(platform);
  if (!binding.start().ok) {
    std::fprintf(stderr, "the front-end did not start\n");
    return 2;
  }
  dalvo::ui::Form1& form = binding.form1();
  const QString work_dir = temp.path() + QStringLiteral("/dalvo work dir/");

  QElapsedTimer make_clock;
  make_clock.start();
  if (!WriteDigits(work_dir + QLatin1String(kNumberName), options.digits)) return 2;
  std::printf("number of %lld digits written in %.0f ms\n", options.digits,
              Ms(make_clock.nsecsElapsed()));
  // The list shows what the logic lists; the work directory holds this one file.
  binding.view().RefreshFileList({std::string(kNumberName)});

  QCheckBox* check1 = form.check1();
  bool toggled = false;
  QObject::connect(check1, &QCheckBox::toggled, check1, [&] { toggled = true; });

  QElapsedTimer clock;
  ShowWatcher watcher(clock, check1);
  app.installEventFilter(&watcher);

  std::vector<double> division_to_show, show_to_click, report_load, report_click;
  qsizetype shown_chars = 0;
  for (int run = 0; run < options.runs; ++run) {
    // A division with the automatic view, as the user starts it.
    check1->setChecked(true);
    const QList<QListWidgetItem*> items =
        form.file1()->findItems(QLatin1String(kNumberName), Qt::MatchFixedString);
    if (items.isEmpty()) return 2;
    form.file1()->setCurrentItem(items.first());
    if (binding.view().viewer() != nullptr) binding.view().HideViewer();
    toggled = false;
    watcher.armed = true;
    clock.start();
    QTest::mouseClick(form.command(2), Qt::LeftButton);
    if (!SpinUntil([&] { return toggled; })) {
      std::fprintf(stderr, "division run %d: no viewer or no answer\n", run + 1);
      return 1;
    }
    const qint64 answered = clock.nsecsElapsed();
    division_to_show.push_back(Ms(watcher.shown_ns));
    show_to_click.push_back(Ms(answered - watcher.shown_ns));
    if (!SpinUntil([&] {
          return form.label1()->text() == QLatin1String("Number division complete!") &&
                 form.command(4)->isEnabled();
        })) {
      return 1;
    }
    shown_chars = binding.view().viewer()->text1()->document()->characterCount();

    // The same report again through the report button: the load alone, then a queued click.
    binding.view().HideViewer();
    QCoreApplication::processEvents();
    toggled = false;
    clock.start();
    QTest::mouseClick(form.command(4), Qt::LeftButton);
    const qint64 loaded = clock.nsecsElapsed();
    PostClick(check1);
    if (!SpinUntil([&] { return toggled; })) return 1;
    report_load.push_back(Ms(loaded));
    report_click.push_back(Ms(clock.nsecsElapsed() - loaded));
    std::printf("run %d: division+show %.1f ms, click after show %.1f ms; "
                "report button load %.1f ms, click after load %.1f ms\n",
                run + 1, division_to_show.back(), show_to_click.back(), report_load.back(),
                report_click.back());
  }
  app.removeEventFilter(&watcher);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\ndigits: %lld, runs: %d, characters in the viewer: %lld\n", options.digits,
              options.runs, static_cast<long long>(shown_chars));
  std::printf("median: click Command2 -> viewer shown (engine included): %.1f ms\n",
              Median(division_to_show));
  std::printf("median: viewer shown -> queued click on the main window answered: %.1f ms\n",
              Median(show_to_click));
  std::printf("median: report button -> report loaded and shown: %.1f ms\n", Median(report_load));
  std::printf("median: after that load -> queued click answered: %.1f ms\n",
              Median(report_click));
  std::printf("peak RSS of the front-end process: %.1f MiB\n",
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
