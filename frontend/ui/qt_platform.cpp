#include "qt_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "wildcard.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DALVO_HAS_LSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DALVO_HAS_LSAN 1
#endif
#ifdef DALVO_HAS_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace dalvo {
namespace {

QString ToQ(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string FromQ(const QString& s) { return QFile::encodeName(s).toStdString(); }

// The names in `dir` matching `pattern`, in case-insensitive order; false when the directory
// cannot be listed.
bool ListMatches(const std::string& dir, const std::string& pattern, bool include_dirs,
                 std::vector<std::string>& names) {
  const QDir qdir(ToQ(dir));
  if (!qdir.exists() || !qdir.isReadable()) return false;
  // Hidden entries are left out as the listing rule says; the wildcard is ours, not Qt's, so
  // the fake and the real platform match names identically.
  QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
  if (include_dirs) filters |= QDir::Dirs;
  for (const QString& entry : qdir.entryList(filters, QDir::Unsorted)) {
    const std::string name = FromQ(entry);
    if (!name.empty() && name[0] != '.' && WildcardMatch(pattern, name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoreCase(a, b); });
  return true;
}

}  // namespace

QtPlatform::QtPlatform(std::string application_dir)
    : application_dir_(std::move(application_dir)) {}

QtPlatform::~QtPlatform() { ReleaseProcess(); }

void QtPlatform::ReleaseProcess() {
  if (process_ == nullptr) return;
  if (process_->state() == QProcess::NotRunning) {
    delete process_;
  } else {
    // A running engine finishes its files on its own, also after the front-end has gone.
    // QProcess offers no way to let go of a child: its destructor kills and waits. So the
    // object is abandoned on purpose; the child is reaped by init once we exit.
    process_->disconnect();
#ifdef DALVO_HAS_LSAN
    __lsan_ignore_object(process_);
#endif
  }
  process_ = nullptr;
}

std::string QtPlatform::ApplicationDir() {
  if (!application_dir_.empty()) return application_dir_;
  if (QCoreApplication::instance() != nullptr) {
    return FromQ(QCoreApplication::applicationDirPath());
  }
  return FromQ(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2));
}

std::string QtPlatform::TempDir() {
  const QString tmpdir = qEnvironmentVariable("TMPDIR");
  return tmpdir.isEmpty() ? std::string("/tmp") : FromQ(tmpdir);
}

EntryInfo QtPlatform::Inspect(const std::string& path) {
  // lstat, not QFileInfo: the check must see a link as a link and read the exact owner and
  // mode bits of the entry itself.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  EntryInfo info;
  if (S_ISLNK(st.st_mode)) {
    info.kind = EntryKind::kSymlink;
  } else if (S_ISDIR(st.st_mode)) {
    info.kind = EntryKind::kDirectory;
  } else if (S_ISREG(st.st_mode)) {
    info.kind = EntryKind::kRegularFile;
  } else {
    info.kind = EntryKind::kOther;
  }
  info.owned_by_current_user = st.st_uid == ::geteuid();
  info.mode = static_cast<unsigned>(st.st_mode) & 07777u;
  return info;
}

bool QtPlatform::CreatePrivateDir(const std::string& path) {
  // mkdir fails when anything of that name exists, links included, so nobody else's entry
  // can be adopted between the check and the creation.
  return QDir().mkdir(ToQ(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool QtPlatform::SetCurrentDir(const std::string& path) { return QDir::setCurrent(ToQ(path)); }

MatchResult QtPlatform::FirstMatch(const std::string& dir, const std::string& pattern,
                                   bool include_dirs) {
  std::vector<std::string> names;
  if (!ListMatches(dir, pattern, include_dirs, names)) return {false, ""};
  return {true, names.empty() ? std::string() : names.front()};
}

bool QtPlatform::DeleteMatching(const std::string& dir, const std::string& pattern) {
  std::vector<std::string> names;
  if (!ListMatches(dir, pattern, false, names)) return false;
  bool all = true;
  for (const auto& name : names) {
    if (!QFile::remove(ToQ(dir + name))) all = false;
  }
  return all;
}

bool QtPlatform::Rename(const std::string& source, const std::string& target) {
  // QFile::rename refuses an existing target, which is the rule wanted here.
  return QFile::rename(ToQ(source), ToQ(target));
}

std::optional<std::uint64_t> QtPlatform::FileSize(const std::string& path) {
  const QFileInfo info(ToQ(path));
  if (!info.exists() || !info.isFile()) return std::nullopt;
  return static_cast<std::uint64_t>(info.size());
}

bool QtPlatform::ReadFile(const std::string& path, std::string& content) {
  QFile file(ToQ(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  content.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool QtPlatform::ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                                  const std::function<bool(std::string_view)>& sink,
                                  std::uint64_t& size) {
  QFile file(ToQ(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  size = static_cast<std::uint64_t>(std::max<qint64>(file.size(), 0));
  // One buffer for the whole file, filled again for each piece.
  const qint64 step = static_cast<qint64>(std::clamp<std::size_t>(piece_bytes, 1, 64u << 20));
  std::string buffer(static_cast<std::size_t>(step), '\0');
  for (;;) {
    const qint64 got = file.read(buffer.data(), step);
    if (got < 0) return false;
    if (got == 0) return true;
    if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) return true;
  }
}

bool QtPlatform::WriteFile(const std::string& path, const std::string& content) {
  QFile file(ToQ(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const auto size = static_cast<qint64>(content.size());
  const bool written = file.write(content.data(), size) == size;
  file.close();
  return written && file.error() == QFileDevice::NoError;
}

bool QtPlatform::StartEngine(const std::string& program, const std::vector<std::string>& args,
                             const std::string& working_dir) {
  ReleaseProcess();
  auto* process = new QProcess();
  QStringList arguments;
  for (const auto& arg : args) arguments << ToQ(arg);
  process->setProgram(ToQ(program));
  process->setArguments(arguments);
  process->setWorkingDirectory(ToQ(working_dir));
  // Nobody reads the engine's output; discarding it keeps it from piling up in our memory.
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->setStandardInputFile(QProcess::nullDevice());
  process->start(QIODevice::NotOpen);
  // Starting is quick (fork and exec); waiting for it gives a definite answer for a missing or
  // non-executable engine instead of a later error signal.
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  process_ = process;
  return true;
}

EngineStatus QtPlatform::PollEngine() {
  if (process_ == nullptr) return {};
  if (process_->state() != QProcess::NotRunning) {
    // Lets QProcess notice an ended child now, without an event loop turn or a wait.
    process_->waitForFinished(0);
  }
  if (process_->state() != QProcess::NotRunning) return {EngineRun::kRunning, 0};
  if (process_->exitStatus() == QProcess::CrashExit) return {EngineRun::kCrashed, 0};
  return {EngineRun::kExited, process_->exitCode()};
}

}  // namespace dalvo
