// The work directory on a shared machine and under a full device, with the real engine and the
// real program: a name taken over after start-up is never followed, a directory widened after
// start-up is not used and a pipe planted in it never blocks, a second copy changes nothing (nor
// does a new copy while a closed copy's engine still runs), and a generation that fills the
// device publishes nothing. Each case runs in a rig of its own (private TMPDIR, private copy of
// the engine).
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "frontend/logic/names.h"
#include "frontend/testing/file_test_io.h"
#include "frontend/testing/real_engine_rig.h"

namespace dalvo {
namespace {

const std::string kMarker(kMarkerName);

// The work directory's name without its final separator.
std::string WorkPath(Session& s) {
  const std::string work = s.work();
  return work.substr(0, work.size() - 1);
}

TEST(WorkDirFault, ANameTakenOverAfterStartUpIsNeverFollowed) {
  const struct {
    const char* what;
    bool keep_old;  // the old directory is moved aside rather than removed
  } cases[] = {{"removed", false}, {"moved aside", true}};
  for (const auto& c : cases) {
    Session s(DALVO_ENGINE_PATH);
    ASSERT_TRUE(s.Start()) << c.what;
    const std::string work = WorkPath(s);
    const std::string victim = s.rig().outside() + "kept.txt";
    const std::string victim_content = Slurp(victim);
    s.view().custom_text_ = "38";
    // Gone, by a temp cleaner or the user; another user makes a directory of the same name
    // that everyone may write to, with a link where the engine writes its 13th number.
    if (c.keep_old) {
      ASSERT_EQ(::rename(work.c_str(), (s.rig().tmp() + "aside").c_str()), 0) << c.what;
    } else {
      ASSERT_TRUE(QDir(QString::fromStdString(work)).removeRecursively()) << c.what;
    }
    ASSERT_EQ(::mkdir(work.c_str(), 0777), 0) << c.what;
    ASSERT_EQ(::chmod(work.c_str(), 0777), 0) << c.what;
    ASSERT_EQ(::symlink(victim.c_str(), (work + "/number13.txt").c_str()), 0) << c.what;
    // As root the directory is given away; as anyone else it stays theirs, and writable by all.
    if (::chown(work.c_str(), 65534, 65534) != 0) {
      ASSERT_EQ(errno, EPERM) << c.what;
    }
    const auto theirs = Snapshot(work);

    for (void (Module1::*click)() : {&Module1::Command1_Click, &Module1::Command5_Click}) {
      (s.module().*click)();
      EXPECT_FALSE(s.view().timer_enabled_) << c.what << ": a run started";
      EXPECT_NE(s.Status().find("nothing was done!"), std::string::npos) << c.what;
      EXPECT_NE(s.Status().find("\"" + work + "\""), std::string::npos) << c.what;
    }
    EXPECT_TRUE(PidsOfProgram(s.rig().engine()).empty()) << c.what;
    EXPECT_EQ(Slurp(victim), victim_content) << c.what;
    EXPECT_EQ(Snapshot(work), theirs) << c.what;
    EXPECT_TRUE(s.view().listed_.empty()) << c.what << ": their files are listed";
  }
}

TEST(WorkDirFault, AWidenedWorkDirectoryIsRefusedAndAPlantedPipeNeverBlocks) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.Start());
  const std::string work = WorkPath(s);
  ASSERT_TRUE(Spill(s.work("seven.txt"), "133"));
  s.view().selected_ = "seven.txt";
  s.view().custom_text_ = "38";
  // Made writable by its group after start-up; a member of the group plants a pipe where the
  // custom number goes. Opening it would wait for a writer for ever.
  ASSERT_EQ(::chmod(work.c_str(), 0770), 0);
  const std::string pipe = s.work(std::string(kCustomNumberName));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
  const auto planted = Snapshot(work);

  for (void (Module1::*click)() :
       {&Module1::Command1_Click, &Module1::Command2_Click, &Module1::Command5_Click}) {
    (s.module().*click)();
    EXPECT_FALSE(s.view().timer_enabled_) << "a run started";
    EXPECT_NE(s.Status().find("nothing was done!"), std::string::npos) << s.Status();
    EXPECT_NE(s.Status().find("other users can write to it"), std::string::npos) << s.Status();
  }
  EXPECT_TRUE(PidsOfProgram(s.rig().engine()).empty());
  EXPECT_EQ(Snapshot(work), planted);

  // Private again: the custom number replaces the pipe (never opened) and is divided.
  ASSERT_EQ(::chmod(work.c_str(), 0700), 0);
  s.module().Command5_Click();
  ASSERT_TRUE(s.RunToEnd());
  EXPECT_EQ(s.Status(), kDivisionComplete);
  struct stat st {};
  ASSERT_EQ(::lstat(pipe.c_str(), &st), 0);
  ASSERT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(Slurp(pipe), "38\r\n");
  ExpectIdle(s, "1111111", "after the division");
}

// The hidden entries of `dir`: temporaries, finished or left behind.
std::vector<std::string> HiddenIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const QString& name :
       QDir(QString::fromStdString(dir)).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot)) {
    if (name.startsWith('.')) names.push_back(name.toStdString());
  }
  return names;
}

TEST(WorkDirFault, ANewCopyLeavesAClosedCopysRunningEngineAloneThenClearsLeftovers) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.Start());
  std::vector<int> pids;
  ASSERT_TRUE(s.StartLongDivision(pids));
  s.Close();
  // What a run killed long ago left behind.
  const std::string leftover = s.work(".number1.txt.Ab12Cd.part");
  ASSERT_TRUE(Spill(leftover, "cut sho"));

  {
    // The engine still divides: a new copy must neither take the directory nor clear it.
    QtPlatform platform(s.rig().app_dir());
    FakeView view;
    Module1 second(platform, view);
    const StartupResult result = second.Form_Load();
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("already running"), std::string::npos) << result.message;
    EXPECT_TRUE(Exists(leftover));
    EXPECT_EQ(PidsOfProgram(s.rig().engine()), pids);
  }
  for (const int pid : pids) KillAndReap(pid);

  // The engine is gone: the next copy takes the directory and removes every leftover temporary,
  // the one the killed engine left as well.
  QtPlatform platform(s.rig().app_dir());
  FakeView view;
  Module1 third(platform, view);
  const StartupResult result = third.Form_Load();
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(HiddenIn(s.work()), std::vector<std::string>{});
  EXPECT_TRUE(Exists(s.work("huge.txt")));
}

TEST(WorkDirFault, ASecondCopyOnTheSameWorkDirectoryExitsAndChangesNothing) {
  RealEngineRig rig(DALVO_ENGINE_PATH);
  ASSERT_TRUE(rig.ok()) << rig.error();
  const std::string work = rig.tmp() + "dalvo work dir";
  ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
  ASSERT_TRUE(Spill(work + "/" + kMarker, ""));
  const QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());

  QProcess first;
  StartProgram(first, DALVOGUI_PATH, rig.tmp(), rig.outside(), runtime.path());
  ASSERT_TRUE(first.waitForStarted());
  // The first copy has taken the directory once its start-up removed the stale marker.
  ASSERT_TRUE(WaitFor([&] { return !QFile::exists(QString::fromStdString(work + "/" + kMarker)); },
                      20))
      << first.readAllStandardError().toStdString();
  // What a run of the first copy could have left: the second must not take it.
  ASSERT_TRUE(Spill(work + "/" + kMarker, ""));
  ASSERT_TRUE(Spill(work + "/number1.txt", "7"));
  const auto before = Snapshot(rig.root());

  QProcess second;
  StartProgram(second, DALVOGUI_PATH, rig.tmp(), rig.outside(), runtime.path());
  ASSERT_TRUE(second.waitForStarted());
  const bool ended = second.waitForFinished(20000);
  if (!ended) second.kill();
  second.waitForFinished();
  const std::string error = second.readAllStandardError().toStdString();
  EXPECT_TRUE(ended) << "the second copy kept running";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_NE(error.find("already running"), std::string::npos) << error;
  EXPECT_NE(error.find("\"" + work + "\""), std::string::npos) << error;
  EXPECT_EQ(Snapshot(rig.root()), before);
  EXPECT_EQ(first.state(), QProcess::Running);
  first.kill();
  first.waitForFinished();
}

// A tmpfs of 64 KiB mounted on the rig's TMPDIR, unmounted (lazily: the front-end may still
// hold the work directory) when it goes. Mounting needs root and a mount namespace that allows
// it; `error` says why not.
class TinyDevice {
 public:
  explicit TinyDevice(const std::string& where) : where_(where) {
    if (::mount("tmpfs", where.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") ==
        0) {
      mounted_ = true;
    } else {
      error_ = std::strerror(errno);
    }
  }
  ~TinyDevice() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  TinyDevice(const TinyDevice&) = delete;
  TinyDevice& operator=(const TinyDevice&) = delete;
  const std::string& error() const { return error_; }

 private:
  std::string where_;
  bool mounted_ = false;
  std::string error_;
};

TEST(WorkDirFault, AGenerationThatFillsTheDeviceIsNotPublished) {
  Session s(DALVO_ENGINE_PATH);
  ASSERT_TRUE(s.rig().ok()) << s.rig().error();
  const TinyDevice device(s.rig().tmp());
  if (!device.error().empty()) GTEST_SKIP() << "cannot mount a small tmpfs: " << device.error();
  ASSERT_TRUE(s.Start());
  // An earlier generation's files under their publication names: complete, and to be kept.
  const std::map<std::string, std::string> earlier = {
      {"appendix_1_number_1.txt", "71234567286"},
      {"kelvatrons_perspective_nov_1989_nr_2.txt", "111223344556677"},
  };
  for (const auto& [name, content] : earlier) ASSERT_TRUE(Spill(s.work(name), content));

  s.module().Command1_Click();
  ASSERT_TRUE(s.RunToEnd());
  EXPECT_EQ(s.Status(), kGenerationFailed);
  EXPECT_EQ(s.view().beeps_, 1);
  std::vector<std::string> names;
  for (const auto& [name, content] : earlier) names.push_back(name);
  std::vector<std::string> left;
  for (const auto& [name, content] : FilesIn(s.work())) left.push_back(name);
  EXPECT_EQ(left, names);
  EXPECT_EQ(s.view().listed_, names);
  for (const auto& [name, content] : earlier) EXPECT_EQ(Slurp(s.work(name)), content) << name;
  ExpectIdle(s, "1011011", "after the failed generation");
}

}  // namespace
}  // namespace dalvo
