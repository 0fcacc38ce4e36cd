// QtPlatform's held work directory on the real file system: after its name has been swapped
// for another directory (another user's, with a planted link), every operation and the engine
// still reach the directory that was held; a released one is reached by no name; a second
// holder is refused the lock; names that are not valid text are listed, read, passed to the
// engine and deleted; a file held open for reading stays the one opened.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/testing/file_test_io.h"
#include "frontend/ui/qt_platform.h"

namespace dalvo {
namespace {

class HeldDir : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    root_ = QDir(tmp_.path()).canonicalPath().toStdString() + "/";
    work_ = root_ + "work";
    ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
    ASSERT_TRUE(Spill(root_ + "victim.txt", "the victim's own"));
  }
  // Moves the held directory away to "moved" and puts a directory everyone may write to in
  // its place, holding a link number13.txt to the victim's file.
  void SwapName() {
    ASSERT_EQ(::rename(work_.c_str(), (root_ + "moved").c_str()), 0);
    ASSERT_EQ(::mkdir(work_.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(work_.c_str(), 0777), 0);
    ASSERT_EQ(::symlink((root_ + "victim.txt").c_str(), (work_ + "/number13.txt").c_str()), 0);
  }
  std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const QString& name : QDir(QString::fromStdString(dir)).entryList(
             QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
      names.push_back(name.toStdString());
    }
    return names;
  }

  QTemporaryDir tmp_;
  std::string root_;
  std::string work_;  // the held directory's name, without a final separator
  QtPlatform platform_;
};

TEST_F(HeldDir, EverythingReachesTheHeldDirectoryAfterItsNameIsSwapped) {
  const WorkDirHold hold = platform_.HoldWorkDir(work_);
  ASSERT_TRUE(hold.held);
  EXPECT_EQ(hold.entry.kind, EntryKind::kDirectory);
  EXPECT_EQ(hold.entry.mode, 0700u);
  EXPECT_EQ(platform_.CheckWorkDir(), WorkDirState::kSame);
  ASSERT_TRUE(Spill(work_ + "/a.txt", "aa"));
  SwapName();
  if (HasFatalFailure()) return;
  EXPECT_EQ(platform_.CheckWorkDir(), WorkDirState::kReplaced);

  const std::string in = work_ + "/";
  EXPECT_EQ(platform_.FirstMatch(in, "*.txt").name, "a.txt");
  std::vector<std::string> listed;
  ASSERT_TRUE(platform_.ListMatching(in, "*.txt", listed));
  EXPECT_EQ(listed, std::vector<std::string>{"a.txt"});
  EXPECT_TRUE(platform_.WriteFile(in + "number13.txt", "235 digits"));
  EXPECT_TRUE(platform_.Rename(in + "a.txt", in + "b.txt"));
  EXPECT_EQ(platform_.FileSize(in + "b.txt"), std::optional<std::uint64_t>(2));
  std::string read;
  EXPECT_TRUE(ReadThrough(platform_, in + "number13.txt", read));
  EXPECT_EQ(read, "235 digits");
  EXPECT_EQ(platform_.Inspect(in + "number13.txt").kind, EntryKind::kRegularFile);
  EXPECT_TRUE(platform_.DeleteFile(in + "b.txt"));
  ASSERT_TRUE(platform_.SetCurrentDir(in));
  EXPECT_EQ(platform_.CurrentDir(), root_ + "moved");
  ASSERT_EQ(::chdir(root_.c_str()), 0);
  // The engine starts in the held directory too: its writes go there, through no link.
  ASSERT_TRUE(platform_.StartEngine(
      "/bin/sh", {"-c", "pwd -P > cwd.txt; printf x > number13.txt; : > dalvoopc.tmp"}, in));
  ASSERT_TRUE(WaitFor([&] { return platform_.PollEngine().run == EngineRun::kExited; }, 20));

  EXPECT_EQ(Slurp(root_ + "moved/cwd.txt"), root_ + "moved\n");
  EXPECT_EQ(Slurp(root_ + "moved/number13.txt"), "x");
  EXPECT_EQ(Names(root_ + "moved"),
            (std::vector<std::string>{"cwd.txt", "dalvoopc.tmp", "number13.txt"}));
  EXPECT_EQ(Names(work_), std::vector<std::string>{"number13.txt"});
  EXPECT_EQ(Slurp(root_ + "victim.txt"), "the victim's own");

  ASSERT_EQ(::unlink((work_ + "/number13.txt").c_str()), 0);
  ASSERT_EQ(::rmdir(work_.c_str()), 0);
  EXPECT_EQ(platform_.CheckWorkDir(), WorkDirState::kVanished);
}

TEST_F(HeldDir, ALinkInsideIsNeitherListedNorFollowedAndIsReplacedByAWrite) {
  ASSERT_TRUE(platform_.HoldWorkDir(work_).held);
  const std::string in = work_ + "/";
  ASSERT_EQ(::symlink((root_ + "victim.txt").c_str(), (in + "link.txt").c_str()), 0);
  EXPECT_EQ(platform_.FirstMatch(in, "*.txt").name, "");
  std::string read;
  EXPECT_FALSE(ReadThrough(platform_, in + "link.txt", read));
  EXPECT_EQ(platform_.FileSize(in + "link.txt"), std::nullopt);
  EXPECT_EQ(platform_.Inspect(in + "link.txt").kind, EntryKind::kSymlink);
  EXPECT_TRUE(platform_.WriteFile(in + "link.txt", "mine"));
  EXPECT_EQ(platform_.Inspect(in + "link.txt").kind, EntryKind::kRegularFile);
  EXPECT_EQ(Slurp(root_ + "victim.txt"), "the victim's own");
  // No temporary file is left beside it.
  EXPECT_EQ(Names(work_), std::vector<std::string>{"link.txt"});
}

TEST_F(HeldDir, AReleasedDirectoryIsReachedByNoName) {
  ASSERT_TRUE(platform_.HoldWorkDir(work_).held);
  ASSERT_TRUE(Spill(work_ + "/a.txt", "aa"));
  platform_.ReleaseWorkDir();
  const std::string in = work_ + "/";
  EXPECT_EQ(platform_.CheckWorkDir(), WorkDirState::kNotHeld);
  EXPECT_FALSE(platform_.FirstMatch(in, "*.txt").ok);
  EXPECT_FALSE(platform_.WriteFile(in + "b.txt", "b"));
  EXPECT_FALSE(platform_.DeleteFile(in + "a.txt"));
  EXPECT_FALSE(platform_.SetCurrentDir(in));
  EXPECT_FALSE(platform_.StartEngine("/bin/true", {}, in));
  EXPECT_EQ(Names(work_), std::vector<std::string>{"a.txt"});
}

TEST_F(HeldDir, OnlyOneHolderGetsTheLockUntilItLetsGo) {
  QtPlatform other;
  ASSERT_TRUE(platform_.HoldWorkDir(work_).held);
  ASSERT_TRUE(other.HoldWorkDir(work_ + "/").held);
  EXPECT_EQ(platform_.LockWorkDir(), WorkDirLock::kLocked);
  EXPECT_EQ(other.LockWorkDir(), WorkDirLock::kBusy);
  platform_.ReleaseWorkDir();
  EXPECT_EQ(other.LockWorkDir(), WorkDirLock::kLocked);
  EXPECT_EQ(platform_.LockWorkDir(), WorkDirLock::kFailed);
}

TEST_F(HeldDir, NamesThatAreNotValidTextAreListedReadPassedAndDeleted) {
  const std::string odd = "caf\xE9 \xFF.txt";  // Latin-1 bytes: not valid UTF-8
  for (const bool held : {true, false}) {
    QtPlatform platform;
    if (held) {
      ASSERT_TRUE(platform.HoldWorkDir(work_).held);
    }
    const std::string in = work_ + "/";
    const int fd = ::open((in + odd).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "19", 2), 2);
    ::close(fd);
    EXPECT_EQ(platform.FirstMatch(in, "*.txt").name, odd) << held;
    EXPECT_EQ(platform.FileSize(in + odd), std::optional<std::uint64_t>(2)) << held;
    std::string read;
    EXPECT_TRUE(ReadThrough(platform, in + odd, read)) << held;
    EXPECT_EQ(read, "19") << held;
    // The name reaches the program as its very bytes, not as text made of them.
    ASSERT_TRUE(platform.StartEngine("/bin/sh", {"-c", "printf '%s' \"$1\" > got.tmp", "sh", odd},
                                     in))
        << held;
    EXPECT_TRUE(WaitFor([&] { return platform.PollEngine().run == EngineRun::kExited; }, 20))
        << held;
    EXPECT_EQ(Slurp(in + "got.tmp"), odd) << held;
    EXPECT_TRUE(platform.DeleteFile(in + "got.tmp")) << held;
    EXPECT_TRUE(platform.DeleteMatching(in, "*.txt")) << held;
    EXPECT_TRUE(Names(work_).empty()) << held;
  }
}

// What the viewer holds: the file opened stays the one read after another is renamed over its
// name, reads short once truncated; a link in its place or a named pipe is refused at once.
TEST_F(HeldDir, AFileHeldForReadingIsTheOneOpenedAndReadsWhatItHas) {
  ASSERT_TRUE(platform_.HoldWorkDir(work_).held);
  const std::string in = work_ + "/";
  ASSERT_TRUE(Spill(in + "report.tmp", "the old report"));
  ASSERT_TRUE(Spill(in + "next.tmp", "the next one"));
  const std::unique_ptr<ReadableFile> file = platform_.OpenForReading(in + "report.tmp");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(::rename((in + "next.tmp").c_str(), (in + "report.tmp").c_str()), 0);
  std::string buffer(64, '\0');
  EXPECT_EQ(file->ReadAt(4, buffer.data(), buffer.size()), std::optional<std::size_t>(10));
  EXPECT_EQ(buffer.substr(0, 10), "old report");

  const std::unique_ptr<ReadableFile> cut = platform_.OpenForReading(in + "report.tmp");
  ASSERT_NE(cut, nullptr);
  ASSERT_EQ(::truncate((in + "report.tmp").c_str(), 3), 0);
  EXPECT_EQ(cut->Size(), std::optional<std::uint64_t>(3));
  EXPECT_EQ(cut->ReadAt(1, buffer.data(), buffer.size()), std::optional<std::size_t>(2));
  EXPECT_EQ(cut->ReadAt(8, buffer.data(), buffer.size()), std::optional<std::size_t>(0));

  ASSERT_EQ(::symlink((root_ + "victim.txt").c_str(), (in + "link.txt").c_str()), 0);
  EXPECT_EQ(platform_.OpenForReading(in + "link.txt"), nullptr);
  ASSERT_EQ(::mkfifo((in + "pipe.txt").c_str(), 0600), 0);
  EXPECT_EQ(platform_.OpenForReading(in + "pipe.txt"), nullptr);  // refused, not waited on
  EXPECT_EQ(platform_.OpenForReading(in + "gone.txt"), nullptr);
}

}  // namespace
}  // namespace dalvo
