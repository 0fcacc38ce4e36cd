// The work directory on a shared machine and under a full device, with the real engine and the
// real program: a name taken over after start-up is never followed, a second copy changes
// nothing, and a generation that fills the device publishes nothing. Each case runs in a rig of
// its own (private TMPDIR, private copy of the engine).
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "file_test_io.h"
#include "front_end_test_session.h"
#include "names.h"

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
