#include "frontend/testing/real_engine_rig.h"

#include "frontend/testing/file_test_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace dalvo {
namespace {

namespace fs = std::filesystem;

bool MakeDir(const std::string& path) { return QDir().mkpath(QString::fromStdString(path)); }

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Describe(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "vanished";
  std::ostringstream d;
  d << "mode " << std::oct << (st.st_mode & 07777) << std::dec << " uid " << st.st_uid << ' ';
  if (S_ISLNK(st.st_mode)) {
    std::error_code ec;
    d << "link -> " << fs::read_symlink(path, ec).string();
  } else if (S_ISDIR(st.st_mode)) {
    d << "dir";
  } else if (S_ISREG(st.st_mode)) {
    // Small files by content; large ones (a sparse input) by size, which is what could change.
    constexpr off_t kContentLimit = 1 << 20;
    d << "file " << st.st_size;
    if (st.st_size <= kContentLimit) d << " [" << Slurp(path) << ']';
  } else {
    d << "other";
  }
  return d.str();
}

}  // namespace

RealEngineRig::RealEngineRig(const std::string& engine_path) : source_engine_(engine_path) {
  if (!temp_.isValid()) {
    error_ = "no temporary directory";
    return;
  }
  saved_cwd_ = QDir::currentPath().toStdString();
  if (const char* tmpdir = std::getenv("TMPDIR")) saved_tmpdir_ = tmpdir;
  root_ = temp_.path().toStdString() + "/";
  tmp_ = root_ + "tmp/";
  app_ = root_ + "app/";
  outside_ = root_ + "outside/";
  reference_ = root_ + "reference/";
  if (!MakeDir(tmp_) || !MakeDir(app_) || !MakeDir(outside_ + "nested") || !MakeDir(reference_)) {
    error_ = "cannot create the rig's directories below " + root_;
    return;
  }
  // Something to lose: files beside the work directory and elsewhere, which no fault may touch.
  if (!Spill(tmp_ + "neighbour.txt", "12345678901234567890") ||
      !Spill(outside_ + "kept.txt", "987654321") ||
      !Spill(outside_ + "nested/dalvoopc.tmp", "")) {
    error_ = "cannot write the rig's bystander files";
    return;
  }
  if (!RestoreEngine()) {
    error_ = "cannot copy the engine " + engine_path + " into " + app_;
    return;
  }
  ::setenv("TMPDIR", temp_.path().toStdString().append("/tmp").c_str(), 1);
}

RealEngineRig::~RealEngineRig() {
  if (saved_tmpdir_) {
    ::setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
  if (!saved_cwd_.empty()) QDir::setCurrent(QString::fromStdString(saved_cwd_));
  // Names that are not valid text are beyond QTemporaryDir's own clean-up, which works on
  // QStrings; the file system's removal takes them as bytes.
  if (!root_.empty()) {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
}

bool RealEngineRig::RestoreEngine() const {
  const std::string target = engine();
  std::error_code ec;
  fs::remove_all(target, ec);
  if (ec) return false;
  if (!fs::copy_file(source_engine_, target, ec) || ec) return false;
  return ::chmod(target.c_str(), 0755) == 0;
}

DirectRun RealEngineRig::RunEngineDirectly(const std::vector<std::string>& args) const {
  constexpr int kDeadlineSeconds = 60;
  std::vector<std::string> words{source_engine_};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // fork and exec rather than QProcess, which would pass the arguments through QString and so
  // change names that are not valid text.
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    // The test process has threads: only async-signal-safe calls until exec.
    const int null_fd = ::open("/dev/null", O_WRONLY);
    if (null_fd < 0 || ::dup2(null_fd, STDOUT_FILENO) < 0 || ::chdir(reference_.c_str()) != 0) {
      ::_exit(127);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  pid_t ended = 0;
  if (!WaitFor([&] { return (ended = ::waitpid(pid, &status, WNOHANG)) != 0; },
               kDeadlineSeconds)) {
    KillAndReap(pid);
    return {};
  }
  DirectRun run;
  run.finished = ended == pid;
  if (run.finished && WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  return run;
}

void StartProgram(QProcess& process, const std::string& program, const std::string& tmp,
                  const std::string& working_dir, const QString& runtime_dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TMPDIR"), QString::fromStdString(tmp));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_dir);
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(QString::fromStdString(working_dir));
  process.start(QString::fromStdString(program), {});
}

std::optional<int> TickUntilIdle(Module1& module, FakeView& view, int max_ticks,
                                 int interval_ms) {
  int ticks = 0;
  while (view.timer_enabled_ && ticks < max_ticks) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms));
    module.Timer1_Timer();
    ++ticks;
  }
  if (view.timer_enabled_) return std::nullopt;
  return ticks;
}

std::map<std::string, std::string> Snapshot(const std::string& dir,
                                            const std::vector<std::string>& skip) {
  std::map<std::string, std::string> entries;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::none, ec);
  if (ec) return {{"", "unreadable: " + ec.message()}};
  const std::string base = fs::path(dir).lexically_normal().string();
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) {
      entries["?"] = "iteration failed: " + ec.message();
      break;
    }
    const std::string path = it->path().string();
    bool skipped = false;
    for (const std::string& prefix : skip) {
      if (StartsWith(path + "/", prefix) || StartsWith(path, prefix)) skipped = true;
    }
    if (skipped) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) it.disable_recursion_pending();
      continue;
    }
    entries[fs::path(path).lexically_relative(base).string()] = Describe(path);
  }
  return entries;
}

std::map<std::string, std::string> FilesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.is_regular_file(ec) && !entry.is_symlink(ec)) {
      files[entry.path().filename().string()] = Slurp(entry.path().string());
    }
  }
  return files;
}

std::vector<int> PidsOfProgram(const std::string& exe) {
  std::vector<int> pids;
  std::error_code ec;
  const std::string wanted = fs::weakly_canonical(exe, ec).string();
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code link_error;
    // A zombie has no executable any more, so it fails here and is left out.
    const fs::path target = fs::read_symlink(entry.path() / "exe", link_error);
    if (!link_error && target.string() == wanted) pids.push_back(std::stoi(name));
  }
  return pids;
}

void KillAndReap(int pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  WaitFor([&] { return ::waitpid(pid, &status, WNOHANG) != 0; }, 10);
}

std::vector<std::string> OwnChildren() {
  std::vector<std::string> children;
  const pid_t self = ::getpid();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    // "pid (comm) state ppid ...": the command may hold blanks and parentheses, so the fields
    // are read after the last ')'.
    const std::string stat = Slurp((entry.path() / "stat").string());
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 1));
    char state = '?';
    long ppid = 0;
    if (fields >> state >> ppid && ppid == self) children.push_back(name + " " + state);
  }
  return children;
}

int OpenFdCount() {
  std::error_code ec;
  int count = 0;
  for (auto it = fs::directory_iterator("/proc/self/fd", ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    ++count;
  }
  // The listing itself holds one descriptor while it runs.
  return ec ? -1 : count - 1;
}

Session::Session(const std::string& engine_path)
    : rig_(engine_path),
      platform_(std::make_unique<QtPlatform>(rig_.app_dir())),
      module_(std::make_unique<Module1>(*platform_, view_)) {}

::testing::AssertionResult Session::Start() {
  if (!rig_.ok()) return ::testing::AssertionFailure() << rig_.error();
  const StartupResult started = module_->Form_Load();
  if (!started.ok) return ::testing::AssertionFailure() << started.message;
  if (module_->WorkDir() != rig_.work_dir()) {
    return ::testing::AssertionFailure() << "work directory " << module_->WorkDir();
  }
  return ::testing::AssertionSuccess();
}

std::map<std::string, std::string> Session::Outside() const {
  return Snapshot(rig_.root(), {rig_.work_dir(), rig_.app_dir(), rig_.reference_dir()});
}

::testing::AssertionResult Session::RunToEnd() {
  if (!view_.timer_enabled_) return ::testing::AssertionFailure() << "no run: " << Status();
  if (!TickUntilIdle(*module_, view_)) {
    return ::testing::AssertionFailure() << "the run did not end: " << Status();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Session::StartLongDivision(std::vector<int>& pids) {
  std::error_code error;
  if (!Spill(work("huge.txt"), "")) return ::testing::AssertionFailure() << "huge.txt";
  fs::resize_file(work("huge.txt"), std::uintmax_t{1} << 38, error);
  if (error) return ::testing::AssertionFailure() << "huge.txt: " << error.message();
  view_.selected_ = "huge.txt";
  module_->Command2_Click();
  if (!WaitFor([&] { return !(pids = PidsOfProgram(rig_.engine())).empty(); }, 10)) {
    return ::testing::AssertionFailure() << "no engine running: " << Status();
  }
  return ::testing::AssertionSuccess();
}

void Session::Close() {
  module_->Form_Unload();
  module_.reset();
  platform_.reset();
}

void ExpectIdle(Session& s, const std::string& buttons, const std::string& what) {
  EXPECT_FALSE(s.view().timer_enabled_) << what;
  EXPECT_FALSE(s.module().RunActive()) << what;
  EXPECT_EQ(s.module().RunKind(), RunKind::kNone) << what;
  EXPECT_EQ(s.view().Buttons(), buttons) << what;
  EXPECT_TRUE(PidsOfProgram(s.rig().engine()).empty()) << what << ": an engine is left";
  EXPECT_TRUE(OwnChildren().empty()) << what << ": a child process is left";
}

}  // namespace dalvo
