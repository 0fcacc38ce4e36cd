// QtPlatform on the real file system and processes, and the logic driven tick by tick against
// the real engine in a private TMPDIR, compared with the engine's own output.
#include "frontend/ui/qt_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <thread>

#include "frontend/logic/module1.h"
#include "frontend/testing/fake_view.h"
#include "frontend/testing/file_test_io.h"
#include "frontend/testing/publication_test_table.h"
#ifdef DALVO_ENGINE_PATH
#include "frontend/testing/real_engine_rig.h"
#endif

namespace dalvo {
namespace {

class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    dir_ = tmp_.path().toStdString() + "/";
  }
  QTemporaryDir tmp_;
  std::string dir_;
  QtPlatform platform_;
};
// The suite is named after the unit. From here on the name means the fixture; the class is
// dalvo::QtPlatform.
using QtPlatform = QtPlatformTest;

TEST_F(QtPlatform, ListingMatchesIgnoringCaseInNameOrderAndSkipsHiddenAndDirs) {
  for (const char* name : {"b.txt", "A.TXT", "c.tmp", ".hidden.txt"}) {
    ASSERT_TRUE(Spill(dir_ + name, "x")) << name;
  }
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(dir_ + "d.txt")));
  const struct {
    const char* pattern;
    bool include_dirs;
    const char* first;
  } cases[] = {
      {"*.txt", false, "A.TXT"}, {"B.TXT", false, "b.txt"},   {"*.TMP", false, "c.tmp"},
      {"d.txt", false, ""},      {"d.txt", true, "d.txt"},    {".hidden*", false, ""},
      {"zz*", false, ""},
  };
  for (const auto& c : cases) {
    const MatchResult m = platform_.FirstMatch(dir_, c.pattern, c.include_dirs);
    EXPECT_TRUE(m.ok) << c.pattern;
    EXPECT_EQ(m.name, c.first) << c.pattern << " dirs=" << c.include_dirs;
  }
  EXPECT_FALSE(platform_.FirstMatch(dir_ + "missing/", "*").ok);
}

TEST_F(QtPlatform, DeleteRenameSizeReadWrite) {
  ASSERT_TRUE(Spill(dir_ + "one.txt", "1"));
  ASSERT_TRUE(Spill(dir_ + "TWO.TXT", "22"));
  ASSERT_TRUE(Spill(dir_ + "keep.tmp", "333"));
  EXPECT_TRUE(platform_.DeleteMatching(dir_, "*.txt"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir_ + "one.txt")));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir_ + "TWO.TXT")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(dir_ + "keep.tmp")));
  EXPECT_TRUE(platform_.DeleteMatching(dir_, "nothing*"));

  ASSERT_TRUE(Spill(dir_ + "a.txt", "aa"));
  EXPECT_FALSE(platform_.Rename(dir_ + "a.txt", dir_ + "keep.tmp"));  // target exists
  EXPECT_EQ(Slurp(dir_ + "keep.tmp"), "333");
  EXPECT_FALSE(platform_.Rename(dir_ + "gone.txt", dir_ + "b.txt"));
  EXPECT_TRUE(platform_.Rename(dir_ + "a.txt", dir_ + "with blank.txt"));
  EXPECT_EQ(Slurp(dir_ + "with blank.txt"), "aa");

  EXPECT_EQ(platform_.FileSize(dir_ + "keep.tmp"), std::optional<std::uint64_t>(3));
  EXPECT_EQ(platform_.FileSize(dir_ + "gone.txt"), std::nullopt);

  const std::string bytes("a\r\nb\nc\rd\0e", 10);
  ASSERT_TRUE(platform_.WriteFile(dir_ + "w.tmp", bytes));
  std::string read;
  ASSERT_TRUE(ReadThrough(platform_, dir_ + "w.tmp", read));
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(ReadThrough(platform_, dir_ + "gone.txt", read));
  EXPECT_FALSE(platform_.WriteFile(dir_ + "no/such/dir.txt", "x"));
}

TEST_F(QtPlatform, ReadsAFileInBoundedPiecesAndStopsWhenAsked) {
  std::string content;
  for (int i = 0; content.size() < 10'007; ++i) content += std::to_string(i) + "\r\n";
  content.resize(10'007);
  ASSERT_TRUE(Spill(dir_ + "pieces.txt", content));
  const struct {
    std::size_t piece_bytes;
    int stop_after;  // the sink declines the piece of this number; 0: never
    std::size_t expected_pieces;
  } cases[] = {{1000, 0, 11}, {4096, 0, 3}, {1000, 2, 2}, {20'000, 0, 1}, {0, 5, 5}};
  for (const auto& c : cases) {
    std::string seen;
    std::size_t pieces = 0;
    std::size_t largest = 0;
    std::uint64_t size = 0;
    const bool read = platform_.ReadFileInPieces(
        dir_ + "pieces.txt", c.piece_bytes,
        [&](std::string_view piece) {
          seen.append(piece);
          largest = std::max(largest, piece.size());
          return ++pieces != static_cast<std::size_t>(c.stop_after);
        },
        size);
    const std::string name = "pieces of " + std::to_string(c.piece_bytes);
    ASSERT_TRUE(read) << name;
    EXPECT_EQ(size, content.size()) << name;
    EXPECT_EQ(pieces, c.expected_pieces) << name;
    EXPECT_LE(largest, std::max<std::size_t>(c.piece_bytes, 1)) << name;
    EXPECT_EQ(seen, content.substr(0, seen.size())) << name;
    if (c.stop_after == 0) {
      EXPECT_EQ(seen.size(), content.size()) << name;
    }
  }
  std::uint64_t size = 0;
  EXPECT_FALSE(platform_.ReadFileInPieces(
      dir_ + "gone.txt", 100, [](std::string_view) { return true; }, size));
}

TEST_F(QtPlatform, InspectSeesKindOwnerAndModeWithoutFollowingLinks) {
  const std::string private_dir = dir_ + "private";
  ASSERT_TRUE(platform_.CreatePrivateDir(private_dir));
  EntryInfo info = platform_.Inspect(private_dir);
  EXPECT_EQ(info.kind, EntryKind::kDirectory);
  EXPECT_TRUE(info.owned_by_current_user);
  EXPECT_EQ(info.mode, 0700u);
  EXPECT_FALSE(platform_.CreatePrivateDir(private_dir));

  ASSERT_EQ(::symlink(private_dir.c_str(), (dir_ + "link").c_str()), 0);
  EXPECT_EQ(platform_.Inspect(dir_ + "link").kind, EntryKind::kSymlink);
  EXPECT_FALSE(platform_.CreatePrivateDir(dir_ + "link"));

  ASSERT_TRUE(Spill(dir_ + "file", ""));
  EXPECT_EQ(platform_.Inspect(dir_ + "file").kind, EntryKind::kRegularFile);
  ASSERT_EQ(::chmod(private_dir.c_str(), 0777), 0);
  EXPECT_EQ(platform_.Inspect(private_dir).mode, 0777u);
  EXPECT_EQ(platform_.Inspect(dir_ + "missing").kind, EntryKind::kMissing);
}

TEST_F(QtPlatform, EnvironmentAndCurrentDirAreTheProcesss) {
  ::setenv("DALVO_TEST_VARIABLE", "/var/some where", 1);
  EXPECT_EQ(platform_.Environment("DALVO_TEST_VARIABLE"), "/var/some where");
  ::unsetenv("DALVO_TEST_VARIABLE");
  EXPECT_EQ(platform_.Environment("DALVO_TEST_VARIABLE"), "");
  EXPECT_EQ(platform_.CurrentDir(), QDir::currentPath().toStdString());
}

TEST_F(QtPlatform, MissingProgramDoesNotStart) {
  EXPECT_FALSE(platform_.StartEngine(dir_ + "no-such-engine", {}, dir_));
  EXPECT_EQ(platform_.PollEngine().run, EngineRun::kNone);
}

EngineStatus WaitForEnd(dalvo::QtPlatform& platform) {
  EngineStatus status = platform.PollEngine();
  WaitFor([&] { return (status = platform.PollEngine()).run != EngineRun::kRunning; }, 20);
  return status;
}

TEST_F(QtPlatform, EngineGetsItsArgumentsWorkingDirAndExitStatus) {
  ASSERT_TRUE(platform_.StartEngine(
      "/bin/sh", {"-c", "printf '%s|' \"$@\" > args; pwd > cwd; exit 3", "sh", "a b", "c"},
      dir_));
  const EngineStatus status = WaitForEnd(platform_);
  EXPECT_EQ(status.run, EngineRun::kExited);
  EXPECT_EQ(status.exit_code, 3);
  EXPECT_EQ(Slurp(dir_ + "args"), "a b|c|");
  EXPECT_EQ(Slurp(dir_ + "cwd"), QDir(tmp_.path()).canonicalPath().toStdString() + "\n");

  ASSERT_TRUE(platform_.StartEngine("/bin/sh", {"-c", "kill -9 $$"}, dir_));
  EXPECT_EQ(WaitForEnd(platform_).run, EngineRun::kCrashed);
}

TEST_F(QtPlatform, DestructionLeavesARunningEngineRunning) {
  const std::string flag = dir_ + "finished";
  {
    dalvo::QtPlatform platform;
    ASSERT_TRUE(platform.StartEngine("/bin/sh", {"-c", "sleep 0.5; echo done > finished"}, dir_));
    EXPECT_EQ(platform.PollEngine().run, EngineRun::kRunning);
  }
  EXPECT_TRUE(WaitFor([&] { return QFile::exists(QString::fromStdString(flag)); }, 20))
      << "the engine was stopped with the platform";
}

#ifdef DALVO_ENGINE_PATH

class QtPlatformWithEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Start());
    work_ = session_.work();
    ref_ = session_.rig().reference_dir();
  }
  // Ticks every 50 ms, as the window's timer would, until the run has finished.
  void RunToEnd() { ASSERT_TRUE(session_.RunToEnd()); }
  // Runs the engine directly in the rig's reference directory with `args` and waits for it.
  void RunEngineDirectly(const std::vector<std::string>& args) {
    const DirectRun run = session_.rig().RunEngineDirectly(args);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exit_code, 0);
  }
  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    for (const QString& name : QDir(QString::fromStdString(work_)).entryList(QDir::Files)) {
      names.push_back(name.toStdString());
    }
    return names;
  }

  // The rig removes its root, names that are not valid text included.
  Session session_{DALVO_ENGINE_PATH};
  FakeView& view_ = session_.view();
  Module1& module_ = session_.module();
  std::string work_;
  std::string ref_;
};

TEST_F(QtPlatformWithEngine, WorkDirIsPrivate) {
  struct stat st {};
  ASSERT_EQ(::lstat(work_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(QtPlatformWithEngine, GenerationsLeaveExactlyTheLatestRunUnderPublicationNames) {
  module_.Command1_Click();
  RunToEnd();
  EXPECT_EQ(view_.Status(), "Number generation complete!");
  view_.SetOption2Selected(true);
  module_.Command1_Click();
  RunToEnd();
  EXPECT_EQ(view_.Status(), "Number generation complete!");
  EXPECT_EQ(view_.Buttons(), "1011011");

  std::vector<std::string> expected;
  for (const auto& [source, target] : kPublication) expected.push_back(target);
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> files = WorkFiles();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, expected);

  RunEngineDirectly({"-awo", "g", "2"});
  for (const auto& [source, target] : kPublication) {
    const std::string ours = Slurp(work_ + target);
    EXPECT_FALSE(ours.empty()) << target;
    EXPECT_TRUE(ours == Slurp(ref_ + source)) << target << " differs from " << source;
  }
}

TEST_F(QtPlatformWithEngine, DivisionsWriteTheEnginesReport) {
  module_.Command1_Click();
  RunToEnd();
  view_.selected_ = "appendix_1_number_1.txt";
  module_.Command2_Click();
  EXPECT_EQ(view_.Status(), "Dividing numberfile: appendix_1_number_1.txt");
  RunToEnd();
  EXPECT_EQ(view_.Status(), "Number division complete!");
  const std::string report = Slurp(work_ + "latest_division_report.tmp");
  ASSERT_FALSE(report.empty());
  // The viewer shows the whole report, each of the engine's LF-ended lines a line of its own
  // (the fake view writes every line break as CR LF).
  EXPECT_TRUE(view_.viewer_visible_);
  std::string shown;
  for (char c : report) shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(view_.viewer_text_ == shown);

  ASSERT_TRUE(QFile::copy(QString::fromStdString(work_ + "appendix_1_number_1.txt"),
                          QString::fromStdString(ref_ + "appendix_1_number_1.txt")));
  // The report names its input, so the reference divides a file of the same name.
  RunEngineDirectly({"-awo", "d", "19", "appendix_1_number_1.txt", ref_ + "report"});
  EXPECT_TRUE(report == Slurp(ref_ + "report"));

  view_.custom_text_ = "1234567890123456789";
  module_.Command5_Click();
  RunToEnd();
  EXPECT_EQ(view_.Status(), "Number division complete!");
  EXPECT_EQ(Slurp(work_ + "custom_number.tmp"), "1234567890123456789\r\n");
  ASSERT_TRUE(Spill(ref_ + "custom_number.tmp", "1234567890123456789\r\n"));
  RunEngineDirectly({"-awo", "d", "19", "custom_number.tmp", ref_ + "custom_report"});
  EXPECT_TRUE(Slurp(work_ + "latest_division_report.tmp") == Slurp(ref_ + "custom_report"));
  // Both runs consumed their markers.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(work_ + "dalvoopc.tmp")));
}

TEST_F(QtPlatformWithEngine, AFileWhoseNameIsNotTextIsDividedAndNamedInItsReport) {
  const std::string odd = "caf\xE9 \xFF.txt";  // Latin-1 bytes: not valid UTF-8
  // Made under a plain name and renamed: Qt would turn the odd bytes into other characters.
  for (const std::string& dir : {work_, ref_}) {
    ASSERT_TRUE(Spill(dir + "plain.txt", "1331"));
    ASSERT_EQ(::rename((dir + "plain.txt").c_str(), (dir + odd).c_str()), 0);
  }
  view_.selected_ = odd;
  module_.Command2_Click();
  EXPECT_EQ(view_.Status(), "Dividing numberfile: " + odd);
  RunToEnd();
  EXPECT_EQ(view_.Status(), "Number division complete!");
  // The reference: the engine started directly, which passes the name's bytes as they are.
  ASSERT_TRUE(session_.rig().RunEngineDirectly({"-awo", "d", "19", odd, "report"}).finished);
  const std::string reference = Slurp(ref_ + "report");
  EXPECT_NE(reference.find(odd), std::string::npos) << reference;
  EXPECT_TRUE(Slurp(work_ + "latest_division_report.tmp") == reference);
}

#endif  // DALVO_ENGINE_PATH

}  // namespace
}  // namespace dalvo
