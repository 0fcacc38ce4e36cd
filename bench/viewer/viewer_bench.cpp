// Viewer and custom-number benchmark: the whole program on Qt's offscreen platform with the real
// engine, at one size of number (--digits). Every figure is the time from a user's action, queued
// as the window system would queue it, until a click queued right behind it is answered and the
// painting it left behind is done.
//   1. a number file of --digits digits is divided with "Automatically view the results" ticked
//      (engine and 50 ms polling included) until the report is shown;
//   2. --runs times: the report button opens the report (its start indexed, shown; the window
//      answers), then the time until the viewer has indexed all of it, Ctrl+End goes to its end,
//      "Close!" empties the viewer; the peak resident memory after these is the viewer's,
//      compared with kViewerBoundMiB;
//   3. --runs times: the custom number box is given kKeystrokeDigits digits, clicked in its
//      middle, and one digit typed there: the first keystroke, which moves the edit buffer's gap;
//   4. --runs times: the number is pasted into the custom number box, twenty keystrokes are
//      typed in the middle of it (a digit, then Backspace), and the box is cleared.
// Prints each run, the medians, and one line "ROW|..." that bench/viewer/run.sh makes a table of.
// With --view-file PATH it only views that file instead (linked into the work directory and
// double-clicked): the time until the window answers, until the file is indexed whole, Ctrl+End
// and Ctrl+Home, and the peak resident memory, for files of any size.
// Exits non-zero when a wait times out or a result is wrong.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/logic/names.h"
#include "frontend/testing/real_engine_rig.h"
#include "frontend/ui/file_list_box.h"
#include "frontend/ui/form1.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/main_window_binding.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/qt_platform.h"
#include "frontend/ui/text_viewer.h"

namespace {

constexpr int kWaitLimitMs = 600000;
constexpr int kKeystrokes = 20;
constexpr double kViewerBoundMiB = 200;
constexpr long long kKeystrokeDigits = 10'000'000;
const char kNumberName[] = "bench_number.txt";

struct Options {
  long long digits = 10'000'000;
  int runs = 5;
  QString view_file;
};

Options ParseOptions(const QStringList& args) {
  Options options;
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--digits")) options.digits = args[i + 1].toLongLong();
    if (args[i] == QLatin1String("--runs")) options.runs = args[i + 1].toInt();
    if (args[i] == QLatin1String("--view-file")) options.view_file = args[i + 1];
  }
  options.digits = std::max(1LL, options.digits);
  options.runs = std::max(1, options.runs);
  return options;
}

// The next `n` digits of a fixed pseudo-random sequence; the very first is not zero.
QByteArray DigitBlock(unsigned& state, long long n, bool first) {
  QByteArray block(static_cast<qsizetype>(n), '0');
  for (char& c : block) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('0' + (state >> 16) % 10);
  }
  if (first && block.size() > 0 && block[0] == '0') block[0] = '7';
  return block;
}

bool WriteDigits(const QString& path, long long digits) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  unsigned state = 12345;
  for (long long done = 0; done < digits;) {
    const long long n = std::min<long long>(digits - done, 1 << 20);
    if (file.write(DigitBlock(state, n, done == 0)) != n) return false;
    done += n;
  }
  return true;
}

QString ReadLatin1(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(file.readAll());
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

void PostClick(QWidget* widget, QPointF at) {
  const QPointF global = widget->mapToGlobal(at);
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                      Qt::LeftButton, Qt::LeftButton,
                                                      Qt::NoModifier));
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                      Qt::LeftButton, Qt::NoButton,
                                                      Qt::NoModifier));
}

void PostClick(QWidget* widget) { PostClick(widget, QRectF(widget->rect()).center()); }

void PostKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, modifiers, text));
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, modifiers, text));
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Ms(qint64 ns) { return static_cast<double>(ns) / 1e6; }

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Times `act` (which queues or performs a user's action) until a click queued on the main
// window's check box right after it is answered and the painting left behind is done; the
// check box is put back untimed.
class Stopwatch {
 public:
  explicit Stopwatch(QCheckBox* probe) : probe_(probe) {
    QObject::connect(probe_, &QCheckBox::toggled, probe_, [this] { toggled_ = true; });
  }

  // Milliseconds, or a negative value after a time-out.
  double Time(const std::function<void()>& act) {
    const bool before = probe_->isChecked();
    toggled_ = false;
    QElapsedTimer clock;
    clock.start();
    act();
    PostClick(probe_);
    if (!SpinUntil([this] { return toggled_; })) return -1;
    // Painting is queued at a low priority and may still wait behind the click: it counts too.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const double ms = Ms(clock.nsecsElapsed());
    probe_->setChecked(before);
    return ms;
  }

 private:
  QCheckBox* probe_;
  bool toggled_ = false;
};

// --view-file: the file at `path`, linked (or copied) into the work directory, double-clicked
// --runs times; 0 when every run showed it whole.
int ViewFile(dalvo::ui::MainWindowBinding& binding, const QString& work_dir, const QString& path,
             int runs) {
  const QString name = QStringLiteral("viewed.txt");
  // A hard link: the same file, whatever its size, without copying it.
  if (::link(QFile::encodeName(path).constData(),
             QFile::encodeName(work_dir + name).constData()) != 0 &&
      !QFile::copy(path, work_dir + name)) {
    std::fprintf(stderr, "cannot put %s into the work directory\n", qPrintable(path));
    return 2;
  }
  const auto bytes = static_cast<std::uint64_t>(QFileInfo(work_dir + name).size());
  dalvo::ui::Form1& form = binding.form1();
  binding.view().RefreshFileList({name.toStdString()});
  const QList<QListWidgetItem*> items = form.file1()->findItems(name, Qt::MatchFixedString);
  if (items.isEmpty()) return 2;
  form.file1()->setCurrentItem(items.first());
  Stopwatch stopwatch(form.check1());
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer whole_clock;
    whole_clock.start();
    const double open = stopwatch.Time([&] { binding.module().File1_DblClick(); });
    dalvo::ui::Form2* viewer = binding.view().viewer();
    if (open < 0 || viewer == nullptr || !viewer->isVisible()) return 1;
    dalvo::ui::TextViewer* text = viewer->text1();
    double answer_while_indexing = 0;
    while (text->indexing()) {
      const double ms = stopwatch.Time([] {});
      if (ms < 0) return 1;
      answer_while_indexing = std::max(answer_while_indexing, ms);
    }
    const double whole = Ms(whole_clock.nsecsElapsed());
    if (text->document().Bytes() != bytes) return 1;
    const double end = stopwatch.Time([&] { PostKey(text, Qt::Key_End, Qt::ControlModifier); });
    if (end < 0 || text->verticalScrollBar()->value() != text->verticalScrollBar()->maximum()) {
      return 1;
    }
    const double home = stopwatch.Time([&] { PostKey(text, Qt::Key_Home, Qt::ControlModifier); });
    std::printf("run %d: %llu bytes: double-click -> usable %.1f ms, -> indexed whole %.1f ms "
                "(slowest answer while indexing %.1f ms), Ctrl+End %.1f ms, Ctrl+Home %.1f ms, "
                "%llu rows, document holds %.1f MiB (bound %.1f MiB), peak RSS %.1f MiB\n",
                run + 1, static_cast<unsigned long long>(bytes), open, whole,
                answer_while_indexing, end, home,
                static_cast<unsigned long long>(text->rowCount()),
                static_cast<double>(text->document().HeldBytes()) / 1048576.0,
                static_cast<double>(text->document().MaxHeldBytes()) / 1048576.0, PeakRssMiB());
    viewer->menu1()->trigger();
  }
  QFile::remove(work_dir + name);
  return PeakRssMiB() < kViewerBoundMiB ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The rig's private world (its own TMPDIR and copy of the engine), made before Qt reads TMPDIR.
  const dalvo::RealEngineRig rig(DALVO_ENGINE_PATH);
  if (!rig.ok()) {
    std::fprintf(stderr, "%s\n", rig.error().c_str());
    return 2;
  }
  QApplication app(argc, argv);
  const Options options = ParseOptions(QCoreApplication::arguments());

  dalvo::QtPlatform platform(rig.app_dir());
  dalvo::ui::MainWindowBinding binding(platform);
  if (!binding.start().ok) {
    std::fprintf(stderr, "the front-end did not start\n");
    return 2;
  }
  dalvo::ui::Form1& form = binding.form1();
  form.activateWindow();
  const QString work_dir = QString::fromStdString(rig.work_dir());
  const QString report_path = work_dir + QString::fromStdString(std::string(dalvo::kReportName));
  if (!options.view_file.isEmpty()) {
    return ViewFile(binding, work_dir, options.view_file, options.runs);
  }

  QElapsedTimer make_clock;
  make_clock.start();
  if (!WriteDigits(work_dir + QLatin1String(kNumberName), options.digits)) return 2;
  std::printf("number of %lld digits written in %.0f ms\n", options.digits,
              Ms(make_clock.nsecsElapsed()));
  // The list shows what the logic lists; the work directory holds this one file.
  binding.view().RefreshFileList({std::string(kNumberName)});
  Stopwatch stopwatch(form.check1());

  // 1. Divide the file with the automatic view, as the user starts it.
  const QList<QListWidgetItem*> items =
      form.file1()->findItems(QLatin1String(kNumberName), Qt::MatchFixedString);
  if (items.isEmpty()) return 2;
  form.file1()->setCurrentItem(items.first());
  form.check1()->setChecked(true);
  QElapsedTimer division_clock;
  division_clock.start();
  QTest::mouseClick(form.command(2), Qt::LeftButton);
  if (!SpinUntil([&] {
        return form.label1()->text() == QLatin1String("Number division complete!") &&
               binding.view().viewer() != nullptr && binding.view().viewer()->isVisible();
      })) {
    std::fprintf(stderr, "the division's report was not shown\n");
    return 1;
  }
  const double division_ms = Ms(division_clock.nsecsElapsed());
  const qint64 report_bytes = QFileInfo(report_path).size();
  std::printf("division click -> report shown (engine included): %.1f ms; report %lld bytes\n",
              division_ms, static_cast<long long>(report_bytes));
  binding.module().Menu1_Click();  // "Close!": the viewer lets go of the report

  // 2. The report button, the indexing to its end, Ctrl+End, Close!
  std::vector<double> open_ms, whole_ms, end_ms;
  for (int run = 0; run < options.runs; ++run) {
    QElapsedTimer whole_clock;
    whole_clock.start();
    const double open = stopwatch.Time([&] { PostClick(form.command(4)); });
    dalvo::ui::Form2* viewer = binding.view().viewer();
    if (open < 0 || viewer == nullptr || !viewer->isVisible()) return 1;
    dalvo::ui::TextViewer* text = viewer->text1();
    if (!SpinUntil([&] { return !text->indexing(); })) return 1;
    whole_ms.push_back(Ms(whole_clock.nsecsElapsed()));
    if (text->document().Bytes() != static_cast<std::uint64_t>(report_bytes)) {
      std::fprintf(stderr, "the viewer holds %llu bytes of a %lld-byte report\n",
                   static_cast<unsigned long long>(text->document().Bytes()),
                   static_cast<long long>(report_bytes));
      return 1;
    }
    const double end = stopwatch.Time([&] { PostKey(text, Qt::Key_End, Qt::ControlModifier); });
    if (end < 0 || text->verticalScrollBar()->value() != text->verticalScrollBar()->maximum()) {
      std::fprintf(stderr, "Ctrl+End did not reach the end\n");
      return 1;
    }
    open_ms.push_back(open);
    end_ms.push_back(end);
    std::printf("run %d: report button -> usable %.1f ms, -> indexed whole %.1f ms, "
                "Ctrl+End -> usable %.1f ms (%llu rows)\n",
                run + 1, open, whole_ms.back(), end,
                static_cast<unsigned long long>(text->rowCount()));
    viewer->menu1()->trigger();
  }
  const double viewer_rss = PeakRssMiB();
  const double viewer_bound = kViewerBoundMiB;

  // 3. The first keystroke in the middle of a custom number of kKeystrokeDigits digits.
  dalvo::ui::NumberEdit* box = form.text1();
  std::vector<double> first_key_ms;
  {
    unsigned state = 54321;
    const QByteArray digits = DigitBlock(state, kKeystrokeDigits, true);
    for (int run = 0; run < options.runs; ++run) {
      box->setText(std::string_view(digits.constData(), static_cast<std::size_t>(digits.size())));
      box->setFocus();
      QCoreApplication::processEvents();
      box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum() / 2);
      QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->viewport()->rect().center());
      const double ms = stopwatch.Time(
          [&] { PostKey(box, Qt::Key_5, Qt::NoModifier, QStringLiteral("5")); });
      if (ms < 0 || box->text().size() != static_cast<std::size_t>(kKeystrokeDigits) + 1) {
        std::fprintf(stderr, "the keystroke did not arrive\n");
        return 1;
      }
      first_key_ms.push_back(ms);
      std::printf("run %d: first keystroke in the middle of %lld digits -> usable %.2f ms\n",
                  run + 1, kKeystrokeDigits, ms);
      QTest::mouseClick(form.command(6), Qt::LeftButton);  // clear
      if (!box->isEmpty()) return 1;
    }
  }

  // 4. Paste into the custom number box, keystrokes in its middle, clear.
  std::vector<double> paste_ms, key_ms;
  {
    const QString digits = ReadLatin1(work_dir + QLatin1String(kNumberName));
    QApplication::clipboard()->setText(digits);
  }
  for (int run = 0; run < options.runs; ++run) {
    box->setFocus();
    const double paste = stopwatch.Time([&] { PostKey(box, Qt::Key_V, Qt::ControlModifier); });
    if (paste < 0 || box->text().size() != static_cast<std::size_t>(options.digits) ||
        !form.command(5)->isEnabled()) {
      std::fprintf(stderr, "the paste did not arrive whole\n");
      return 1;
    }
    // The middle of the number: the scroll bar half way, a click in the box's middle.
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum() / 2);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->viewport()->rect().center());
    std::vector<double> keys;
    for (int k = 0; k < kKeystrokes; ++k) {
      const bool type = k % 2 == 0;
      const double ms = stopwatch.Time([&] {
        if (type) {
          PostKey(box, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
        } else {
          PostKey(box, Qt::Key_Backspace, Qt::NoModifier);
        }
      });
      if (ms < 0) return 1;
      keys.push_back(ms);
    }
    if (box->text().size() != static_cast<std::size_t>(options.digits)) return 1;
    paste_ms.push_back(paste);
    key_ms.push_back(Median(keys));
    std::printf("run %d: paste -> usable %.1f ms, keystroke in the middle -> usable %.2f ms "
                "(median of %d, slowest %.2f ms)\n",
                run + 1, paste, key_ms.back(), kKeystrokes,
                *std::max_element(keys.begin(), keys.end()));
    QTest::mouseClick(form.command(6), Qt::LeftButton);  // clear
    if (!box->isEmpty()) return 1;
  }
  QApplication::clipboard()->clear();
  const double whole_rss = PeakRssMiB();

  std::printf("\ndigits: %lld, runs: %d\n", options.digits, options.runs);
  std::printf("median: paste -> usable: %.1f ms\n", Median(paste_ms));
  std::printf("median: keystroke in the middle -> usable: %.2f ms\n", Median(key_ms));
  std::printf("division click -> report shown (engine included): %.1f ms\n", division_ms);
  std::printf("median: report button -> usable: %.1f ms\n", Median(open_ms));
  std::printf("median: report button -> indexed whole: %.1f ms\n", Median(whole_ms));
  std::printf("median: first keystroke in the middle of %lld digits -> usable: %.2f ms\n",
              kKeystrokeDigits, Median(first_key_ms));
  std::printf("median: Ctrl+End -> usable: %.1f ms\n", Median(end_ms));
  std::printf("peak RSS after the viewer runs: %.1f MiB (bound: %.1f MiB; report %.1f MiB)\n",
              viewer_rss, viewer_bound, static_cast<double>(report_bytes) / 1048576.0);
  std::printf("peak RSS of the whole run (pastes included): %.1f MiB\n", whole_rss);
  std::printf("ROW|%lld|%d|%.1f|%.2f|%.2f|%.1f|%.1f|%.1f|%.1f|%.1f|%.1f|%.1f\n", options.digits,
              options.runs, Median(paste_ms), Median(key_ms), Median(first_key_ms), division_ms,
              Median(open_ms), Median(whole_ms), Median(end_ms), viewer_rss, viewer_bound,
              whole_rss);
  return viewer_rss < viewer_bound ? 0 : 3;
}
