// The front-end against faults, with the real engine: an engine that cannot start, one killed in
// the middle of a run, a marker that cannot be deleted or whose name a directory takes, renaming
// collisions, a report that cannot be written, an unsafe work directory at start-up (and its
// control: a private one is taken as it is). Each case runs in a rig of its own (private TMPDIR,
// private copy of the engine) and must leave the window usable and every file outside the work
// directory as it was. Faults are made with ownership, file types and
// file attributes, since the tests run as root and root ignores permission bits.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/testing/fake_view.h"
#include "frontend/testing/file_test_io.h"
#include "frontend/testing/publication_test_table.h"
#include "frontend/testing/real_engine_rig.h"
#include "frontend/ui/qt_platform.h"

namespace dalvo {
namespace {

const std::string kMarker(kMarkerName);

// The files the engine itself writes for `args` when run directly in the rig's emptied
// reference directory: the oracle for what the front-end's runs must leave. The marker is left
// out.
std::map<std::string, std::string> EngineReference(const RealEngineRig& rig,
                                                   const std::vector<std::string>& args,
                                                   const std::string& input = {}) {
  const std::string& dir = rig.reference_dir();
  QDir(QString::fromStdString(dir)).removeRecursively();
  QDir().mkdir(QString::fromStdString(dir));
  if (!input.empty() && !Spill(dir + "custom_number.tmp", input)) return {{"?", "no input"}};
  if (!rig.RunEngineDirectly(args).finished) return {{"?", "the reference run did not finish"}};
  std::map<std::string, std::string> files = FilesIn(dir);
  files.erase(kMarker);
  return files;
}

// Sets or clears the immutable attribute of `path`: "" on success, else the reason it failed.
std::string SetImmutable(const std::string& path, bool immutable) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  int flags = 0;
  std::string error;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
    error = std::strerror(errno);
  } else {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) error = std::strerror(errno);
  }
  ::close(fd);
  return error;
}

// The three commands that start the engine, set up so each can run; after any of them the
// idle buttons are all enabled (a present file selected, a number typed).
struct Command {
  const char* name;
  void (Module1::*click)();
  std::string_view status;
};
const Command kEngineCommands[] = {
    {"Command1", &Module1::Command1_Click, kGenerating},
    {"Command2", &Module1::Command2_Click, "Dividing numberfile: seven.txt"},
    {"Command5", &Module1::Command5_Click, kDividingCustom},
};

void PrepareCommands(Session& s) {
  ASSERT_TRUE(Spill(s.work("seven.txt"), "133"));
  s.view().selected_ = "seven.txt";
  s.view().custom_text_ = "38";
}

TEST(FrontEndFault, AnEngineThatCannotStartEndsTheRunAtOnce) {
  const struct {
    const char* what;
    void (*spoil)(const std::string& engine);
    std::string_view status;  // what actually failed
  } spoilings[] = {
      {"engine missing", [](const std::string& e) { ASSERT_EQ(::unlink(e.c_str()), 0); },
       kEngineMissing},
      {"engine mode 0644",
       [](const std::string& e) {
         ASSERT_EQ(::chmod(e.c_str(), 0644), 0);
         // Root may execute a file only when some execute bit is set; this must hold here.
         ASSERT_NE(::access(e.c_str(), X_OK), 0) << "the engine is still executable";
       },
       kEngineNotExecutable},
      {"a directory in the engine's place",
       [](const std::string& e) {
         ASSERT_EQ(::unlink(e.c_str()), 0);
         ASSERT_EQ(::mkdir(e.c_str(), 0755), 0);
       },
       kEngineMissing},
      {"an engine of a format this system cannot run",
       [](const std::string& e) { ASSERT_TRUE(Spill(e, std::string(64, '\x7f'))); },
       kEngineNotExecutable},
  };
  for (const auto& spoiling : spoilings) {
    for (const Command& command : kEngineCommands) {
      const std::string what = std::string(spoiling.what) + ", " + command.name;
      Session s(DALVO_ENGINE_PATH);
      ASSERT_TRUE(s.Start()) << what;
      PrepareCommands(s);
      const auto outside = s.Outside();
      spoiling.spoil(s.rig().engine());
      if (HasFatalFailure()) return;

      (s.module().*command.click)();
      EXPECT_EQ(s.Status(), spoiling.status) << what;
      EXPECT_EQ(s.view().beeps_, 1) << what;
      EXPECT_FALSE(s.module().DivisionPending()) << what;
      EXPECT_FALSE(s.module().RefreshPending()) << what;
      ExpectIdle(s, "1111111", what);
      EXPECT_FALSE(Exists(s.work(kMarker))) << what;

      // Once the engine is back, the same window runs it.
      ASSERT_TRUE(s.rig().RestoreEngine()) << what;
      s.module().Command1_Click();
      ASSERT_TRUE(s.RunToEnd()) << what;
      EXPECT_EQ(s.Status(), kGenerationComplete) << what;
      EXPECT_TRUE(Exists(s.work("appendix_1_number_1.txt"))) << what;
      EXPECT_EQ(s.Outside(), outside) << what;
    }
  }
}

TEST(FrontEndFault, AnEngineKilledMidRunEndsTheRunAndTheWindowStaysUsable) {
  for (const int signal : {SIGKILL, SIGTERM}) {
    const std::string what = std::string("signal ") + ::strsignal(signal);
    Session s(DALVO_ENGINE_PATH);
    ASSERT_TRUE(s.Start()) << what;
    const auto outside = s.Outside();
    // A sparse input of 256 GiB takes the engine minutes to read, so it is surely still
    // dividing when the signal comes; on disk it costs nothing.
    constexpr qint64 kHugeSize = qint64{1} << 38;
    {
      QFile huge(QString::fromStdString(s.work("huge.txt")));
      ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kHugeSize)) << what;
    }
    s.view().selected_ = "huge.txt";
    s.module().Command2_Click();
    ASSERT_EQ(s.Status(), "Dividing numberfile: huge.txt") << what;
    std::vector<int> pids;
    ASSERT_TRUE(WaitFor([&] { return !(pids = PidsOfProgram(s.rig().engine())).empty(); }, 10))
        << what << ": no engine process found";
    ASSERT_EQ(pids.size(), 1u) << what;

    // While it runs, ticks and typing change nothing: no second run can be started.
    for (int tick = 0; tick < 5; ++tick) s.module().Timer1_Timer();
    s.view().custom_text_ = "5";
    s.module().Text1_Change();
    EXPECT_EQ(s.view().Buttons(), "0000000") << what;
    EXPECT_TRUE(s.view().timer_enabled_) << what;
    EXPECT_EQ(s.Status(), "Dividing numberfile: huge.txt") << what;

    ASSERT_EQ(::kill(pids[0], signal), 0) << what;
    ASSERT_TRUE(s.RunToEnd()) << what;
    EXPECT_EQ(s.Status(), kEngineStopped) << what;
    EXPECT_EQ(s.view().beeps_, 1) << what;
    EXPECT_FALSE(s.view().viewer_visible_) << what;
    ExpectIdle(s, "1111111", what);
    EXPECT_EQ(QFileInfo(QString::fromStdString(s.work("huge.txt"))).size(), kHugeSize) << what;

    // The window goes on: the next division runs and reports what the engine reports.
    s.view().check1_ = false;
    s.module().Command5_Click();
    ASSERT_TRUE(s.RunToEnd()) << what;
    EXPECT_EQ(s.Status(), kDivisionComplete) << what;
    const auto reference =
        EngineReference(s.rig(), {"-awo", "d", "19", "custom_number.tmp", "report"}, "5\r\n");
    ASSERT_EQ(reference.count("report"), 1u) << what;
    EXPECT_EQ(Slurp(s.work(std::string(kReportName))), reference.at("report")) << what;
    EXPECT_EQ(s.Outside(), outside) << what;
  }
}

TEST(FrontEndFault, AMarkerThatCannotBeDeletedHoldsTheRunUntilItCanBe) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.Start());
  const auto outside = s.Outside();
  // A stale marker made immutable: neither the launch nor the ticks can delete it, and the
  // engine cannot write over it. Only root on a file system with attributes can do this.
  const std::string marker = s.work(kMarker);
  ASSERT_TRUE(Spill(marker, ""));
  const std::string refused = SetImmutable(marker, true);
  if (!refused.empty()) GTEST_SKIP() << "cannot make a file immutable here: " << refused;
  struct Release {
    std::string path;
    ~Release() { SetImmutable(path, false); }
  } release{marker};

  s.module().Command1_Click();
  ASSERT_EQ(s.Status(), kGenerating);
  // The engine finishes; the run must not, since its marker cannot be acknowledged.
  ASSERT_TRUE(WaitFor(
      [&] {
        s.module().Timer1_Timer();
        return PidsOfProgram(s.rig().engine()).empty();
      },
      30));
  for (int tick = 0; tick < 10; ++tick) s.module().Timer1_Timer();
  EXPECT_EQ(s.Status(), kGenerating);
  EXPECT_TRUE(s.view().timer_enabled_);
  EXPECT_EQ(s.view().Buttons(), "0000000");
  EXPECT_EQ(s.view().beeps_, 0);
  EXPECT_TRUE(Exists(marker));
  // The results are not touched before the marker is gone.
  EXPECT_TRUE(Exists(s.work("number1.txt")));
  EXPECT_FALSE(Exists(s.work("appendix_1_number_1.txt")));

  ASSERT_EQ(SetImmutable(marker, false), "");
  ASSERT_TRUE(s.RunToEnd());
  EXPECT_EQ(s.Status(), kGenerationComplete);
  EXPECT_FALSE(Exists(marker));
  const auto reference = EngineReference(s.rig(), {"-awo", "g", "1"});
  std::map<std::string, std::string> expected;
  for (const auto& [source, target] : kPublication) expected[target] = reference.at(source);
  EXPECT_EQ(FilesIn(s.work()), expected);
  ExpectIdle(s, "1011011", "after the marker went");
  EXPECT_EQ(s.Outside(), outside);
}

TEST(FrontEndFault, RenamingCollisionsFinishTheRunAndLoseNoFile) {
  const struct {
    const char* what;
    const char* file;  // a file ("55555") put into the work directory first, or nullptr
    const char* file_target;  // the publication name that file may take; nullptr: it must go
    const char* dir;          // a directory (holding one file) put there, or nullptr
    std::string_view status;
  } cases[] = {
      {"a second source of appendix_1_number_5.txt", "numberx5.txt", "appendix_1_number_5.txt",
       nullptr, kGenerationCompleteUnrenamed},
      // Listed before the engine's number5.txt, so the stale file takes the name.
      {"a stale source differing in case only", "Number5.txt", "appendix_1_number_5.txt",
       nullptr, kGenerationCompleteUnrenamed},
      // Its target keeps the source's case, so on this file system it collides with nothing.
      {"an upper-case source", "NUMBERX5.TXT", "appendix_1_number_5.TXT", nullptr,
       kGenerationComplete},
      {"a directory under a number file's name", nullptr, nullptr, "appendix_1_number_5.txt",
       kGenerationCompleteUnrenamed},
      {"a directory under a fixed publication name", nullptr, nullptr,
       "kelvatrons_perspective_nov_1989_nr_2.txt", kGenerationCompleteUnrenamed},
      // An earlier run's file under a publication name is replaced, not a collision.
      {"an earlier run's file", "appendix_1_number_5.txt", nullptr, nullptr, kGenerationComplete},
  };
  for (const auto& c : cases) {
    Session s(DALVO_ENGINE_PATH);
    ASSERT_TRUE(s.Start()) << c.what;
    std::map<std::string, std::string> dir_before;
    if (c.file != nullptr) {
      ASSERT_TRUE(Spill(s.work(c.file), "55555")) << c.what;
    }
    if (c.dir != nullptr) {
      ASSERT_TRUE(MakeDirWithFile(s.work(c.dir))) << c.what;
      dir_before = Snapshot(s.work(c.dir));
    }
    const auto outside = s.Outside();

    s.module().Command1_Click();
    ASSERT_TRUE(s.RunToEnd()) << c.what;
    EXPECT_EQ(s.Status(), c.status) << c.what;
    EXPECT_EQ(s.view().beeps_, 0) << c.what;
    ExpectIdle(s, "1011011", c.what);

    // Every file the engine wrote, and the planted one when it may stay, is there exactly once,
    // under its own name or its publication name, and nothing else is.
    const auto reference = EngineReference(s.rig(), {"-awo", "g", "1"});
    std::vector<std::array<std::string, 3>> wanted;  // name, other name, content
    for (const auto& [source, target] : kPublication) {
      wanted.push_back({source, target, reference.at(source)});
    }
    if (c.file_target != nullptr) wanted.push_back({c.file, c.file_target, "55555"});
    std::map<std::string, std::string> files = FilesIn(s.work());
    for (const auto& [name, other, content] : wanted) {
      // A plain reference: clang 14 cannot capture a structured binding.
      const std::string& expected_content = content;
      const auto at = [&](const std::string& n) {
        const auto it = files.find(n);
        return it != files.end() && it->second == expected_content;
      };
      const std::string found = at(name) ? name : at(other) ? other : "";
      EXPECT_NE(found, "") << c.what << ": the content of " << name << " is lost";
      files.erase(found);
    }
    EXPECT_TRUE(files.empty()) << c.what << ": " << files.size() << " unexpected file(s), first "
                               << (files.empty() ? "" : files.begin()->first);
    if (c.dir != nullptr) {
      EXPECT_EQ(Snapshot(s.work(c.dir)), dir_before) << c.what;
    }
    EXPECT_EQ(s.Outside(), outside) << c.what;
  }
}

TEST(FrontEndFault, AMarkerNameTakenByADirectoryEndsTheRunAsStopped) {
  for (const Command& command : kEngineCommands) {
    Session s(DALVO_ENGINE_PATH);
    ASSERT_TRUE(s.Start()) << command.name;
    PrepareCommands(s);
    ASSERT_TRUE(MakeDirWithFile(s.work(kMarker))) << command.name;
    const auto dir_before = Snapshot(s.work(kMarker));
    const auto outside = s.Outside();

    (s.module().*command.click)();
    EXPECT_EQ(s.Status(), command.status) << command.name;
    ASSERT_TRUE(s.RunToEnd()) << command.name;
    EXPECT_EQ(s.Status(), kEngineStopped) << command.name;
    EXPECT_EQ(s.view().beeps_, 1) << command.name;
    ExpectIdle(s, "1111111", command.name);
    EXPECT_EQ(Snapshot(s.work(kMarker)), dir_before) << command.name;
    // Nothing is renamed after an unfinished run: the engine's files keep their own names.
    EXPECT_FALSE(Exists(s.work("appendix_1_number_1.txt"))) << command.name;
    EXPECT_EQ(s.Outside(), outside) << command.name;
  }
}

TEST(FrontEndFault, ADivisionThatCannotWriteItsReportFails) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.Start());
  const std::string report = s.work(std::string(kReportName));
  ASSERT_TRUE(MakeDirWithFile(report));
  const auto dir_before = Snapshot(report);
  const auto outside = s.Outside();
  s.view().custom_text_ = "38";
  s.view().check1_ = true;

  s.module().Command5_Click();
  ASSERT_TRUE(s.RunToEnd());
  EXPECT_EQ(s.Status(), kDivisionFailed);
  EXPECT_EQ(s.view().beeps_, 1);
  EXPECT_FALSE(s.view().viewer_visible_);
  EXPECT_TRUE(s.view().viewer_texts_.empty());
  EXPECT_FALSE(Exists(s.work(kMarker)));
  ExpectIdle(s, "1001111", "report unwritable");
  EXPECT_EQ(Snapshot(report), dir_before);
  EXPECT_EQ(s.Outside(), outside);
}

TEST(FrontEndFault, ClosingTheWindowLeavesARunningEngineRunning) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.Start());
  std::vector<int> pids;
  ASSERT_TRUE(s.StartLongDivision(pids));
  const auto before_close = std::chrono::steady_clock::now();
  s.Close();
  const auto closing = std::chrono::steady_clock::now() - before_close;
  // The engine needs minutes for this input: closing neither waited for it nor stopped it.
  EXPECT_LT(closing, std::chrono::seconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(PidsOfProgram(s.rig().engine()), pids);
  for (const int pid : pids) KillAndReap(pid);
}

// The real program with an unsafe entry where its work directory goes: start-up must be refused
// with a message that names the path, and nothing may change anywhere below the rig's root.

TEST(FrontEndFault, AnUnsafeWorkDirectoryRefusesStartUpAndChangesNothing) {
  // Each set-up fills the place of the work directory: "" when it could be made, "skip: why"
  // when this user cannot make it.
  using MakeEntry = std::string (*)(const std::string& work, const std::string& elsewhere);
  const struct {
    const char* what;
    MakeEntry setup;
  } cases[] = {
      {"a symbolic link to a directory elsewhere",
       [](const std::string& work, const std::string& elsewhere) -> std::string {
         if (!MakeDirWithFile(elsewhere) || !Spill(elsewhere + "/" + kMarker, "")) return "fill";
         return ::symlink(elsewhere.c_str(), work.c_str()) == 0 ? "" : "symlink failed";
       }},
      {"a dangling symbolic link",
       [](const std::string& work, const std::string& elsewhere) -> std::string {
         return ::symlink(elsewhere.c_str(), work.c_str()) == 0 ? "" : "symlink failed";
       }},
      {"a file",
       [](const std::string& work, const std::string&) -> std::string {
         return Spill(work, "not a directory") ? "" : "cannot write it";
       }},
      {"a named pipe",
       [](const std::string& work, const std::string&) -> std::string {
         return ::mkfifo(work.c_str(), 0600) == 0 ? "" : "mkfifo failed";
       }},
      {"another user's directory",
       [](const std::string& work, const std::string&) -> std::string {
         if (!MakeDirWithFile(work) || !Spill(work + "/" + kMarker, "")) return "fill";
         if (::chown(work.c_str(), 65534, 65534) == 0) return "";
         return errno == EPERM ? "skip: giving a directory away needs root" : "chown failed";
       }},
      {"a group-writable directory",
       [](const std::string& work, const std::string&) -> std::string {
         if (!MakeDirWithFile(work) || !Spill(work + "/" + kMarker, "")) return "fill";
         return ::chmod(work.c_str(), 0770) == 0 ? "" : "chmod failed";
       }},
      {"a directory everyone may write to",
       [](const std::string& work, const std::string&) -> std::string {
         if (!MakeDirWithFile(work) || !Spill(work + "/" + kMarker, "")) return "fill";
         return ::chmod(work.c_str(), 01777) == 0 ? "" : "chmod failed";
       }},
  };
  const QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  for (const auto& c : cases) {
    RealEngineRig rig(DALVO_ENGINE_PATH);
    ASSERT_TRUE(rig.ok()) << rig.error();
    const std::string work = rig.tmp() + "dalvo work dir";
    const std::string made = c.setup(work, rig.root() + "elsewhere");
    if (made.rfind("skip: ", 0) == 0) {
      std::printf("[ SKIPPED  ] case %s: %s\n", c.what, made.c_str() + 6);
      continue;
    }
    ASSERT_EQ(made, "") << c.what;
    const auto before = Snapshot(rig.root());

    QProcess program;
    StartProgram(program, DALVOGUI_PATH, rig.tmp(), rig.outside(), runtime.path());
    ASSERT_TRUE(program.waitForStarted()) << c.what;
    if (!program.waitForFinished(20000)) {
      program.kill();
      program.waitForFinished();
      ADD_FAILURE() << c.what << ": the program started instead of refusing";
      continue;
    }
    const std::string error = program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.what;
    EXPECT_EQ(program.exitCode(), 1) << c.what;
    EXPECT_NE(error.find("\"" + work + "\""), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find("Remove it"), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find("TMPDIR"), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(Snapshot(rig.root()), before) << c.what;
  }
}

// The control for the refusals above: the same program with a private directory of its own
// starts and keeps running, and does use it (the stale marker goes).
TEST(FrontEndFault, APrivateWorkDirectoryIsTakenAsItIs) {
  RealEngineRig rig(DALVO_ENGINE_PATH);
  ASSERT_TRUE(rig.ok()) << rig.error();
  const std::string work = rig.tmp() + "dalvo work dir";
  ASSERT_TRUE(MakeDirWithFile(work));
  ASSERT_TRUE(Spill(work + "/" + kMarker, ""));
  ASSERT_EQ(::chmod(work.c_str(), 0700), 0);
  const QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());

  QProcess program;
  StartProgram(program, DALVOGUI_PATH, rig.tmp(), rig.outside(), runtime.path());
  ASSERT_TRUE(program.waitForStarted());
  const bool ended = program.waitForFinished(1500);
  const bool marker_gone = WaitFor([&] { return !Exists(work + "/" + kMarker); }, 10);
  program.kill();
  program.waitForFinished();
  EXPECT_FALSE(ended) << program.readAllStandardError().toStdString();
  EXPECT_TRUE(marker_gone);
  EXPECT_EQ(Slurp(work + "/inside.txt"), "inside");
}

}  // namespace
}  // namespace dalvo
