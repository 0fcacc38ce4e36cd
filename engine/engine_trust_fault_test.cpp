// Fault injection for the files the engine must neither lose nor follow: a read that fails in
// mid-file, a reader that went away, the umask, links planted under the names the engine writes,
// the completion marker in the way, two generations at once and a run stopped by a signal or
// killed. The real `dalvo` program runs in a fresh directory, except where a read failure is
// injected through the division's reader.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/division.h"
#include "engine/number_files.h"
#include "engine/testing/engine_expectations.h"
#include "engine/testing/engine_process_runner.h"
#include "engine/testing/test_temp_dir.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

// Entries that a run left under a temporary name (".dalvo-XXXXXX", or the ".NAME.XXXXXX.part"
// of older versions).
std::vector<std::string> TemporaryFiles(const TestTempDir& dir) {
  std::vector<std::string> found;
  for (const std::string& name : dir.Names()) {
    if (name.starts_with(".dalvo-") || (name.starts_with('.') && name.ends_with(".part"))) {
      found.push_back(name);
    }
  }
  return found;
}

// True once the process `pid` has a file open in `dir` other than `input`: the new report,
// which has no name while it is written.
bool HasNewFileOpen(pid_t pid, const TestTempDir& dir, const std::string& input) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    const fs::path leads_to = fs::read_symlink(entry.path(), error);
    if (!error && leads_to.parent_path() == dir.path() && leads_to.filename() != input) {
      return true;
    }
  }
  return false;
}

// ---- Read errors ---------------------------------------------------------------------------

// A disk with a bad block: the first read yields digits, the next one fails.
int g_reads = 0;
ssize_t DigitsThenInputOutputError(int, void* buffer, std::size_t size) {
  if (g_reads++ > 0) {
    errno = EIO;
    return -1;
  }
  const std::size_t n = size < 6 ? size : 6;
  std::memcpy(buffer, "383838", n);
  return static_cast<ssize_t>(n);
}

TEST(EngineTrustFault, AReadErrorInMidFileGivesNoVerdictAndKeepsTheOldReport) {
  const TestTempDir dir;
  dir.Write("t.txt", "38383838383838383838");
  dir.Write("r.txt", "old report");
  const std::string input = (dir.path() / "t.txt").string();
  const DivisionOptions failing{
      .read_bytes = 6, .write_bytes = 1, .reader = DigitsThenInputOutputError};

  g_reads = 0;
  const DivisionOutcome to_file = DivideBy19ToFile(input, (dir.path() / "r.txt").string(), failing);
  EXPECT_EQ(to_file.status, DivisionStatus::kInputUnreadable);
  EXPECT_EQ(to_file.error, EIO);
  EXPECT_EQ(dir.Read("r.txt"), "old report");
  EXPECT_EQ(TemporaryFiles(dir), std::vector<std::string>{});

  g_reads = 0;
  std::FILE* report = std::tmpfile();
  const DivisionOutcome streamed = DivideBy19(input, report, failing);
  const std::string text = ReadAllAndClose(report);
  EXPECT_EQ(streamed.status, DivisionStatus::kInputUnreadable);
  EXPECT_EQ(text.find("Number of digits"), std::string::npos) << text;
}

TEST(EngineTrustFault, AReadErrorFailsTheRun) {
  // Reading a process's memory at address 0 fails with EIO: a real failing read, no seam.
  const struct {
    std::vector<std::string> args;
    bool marker;
  } kCases[] = {{{"-awo", "d", "19", "/proc/self/mem", "r.txt"}, true},
                {{"/proc/self/mem"}, false}};
  for (const auto& c : kCases) {
    const TestTempDir dir;
    dir.Write("r.txt", "old report");
    const ProcessResult r = RunDalvo(dir.path(), c.args);
    EXPECT_EQ(r.exit_code, 1) << Describe(c.args);
    EXPECT_EQ(r.out, "") << Describe(c.args);
    EXPECT_EQ(r.err, "dalvo: Unable to read file \"/proc/self/mem\"! (Input/output error)\n")
        << Describe(c.args);
    EXPECT_EQ(dir.Read("r.txt"), "old report") << Describe(c.args);
    EXPECT_EQ(dir.Names().count(kMarker), c.marker ? 1u : 0u) << Describe(c.args);
    EXPECT_EQ(dir.Names().size(), c.marker ? 2u : 1u) << Describe(c.args);
  }
}

// ---- Standard output -----------------------------------------------------------------------

TEST(EngineTrustFault, AClosedPipeIsAFailedWriteNotTheEnd) {
  const struct {
    std::vector<std::string> args;
    std::set<std::string> after;  // beside t.txt
  } kCases[] = {
      {{"-awo", "d", "19", "t.txt"}, {kMarker}},
      {{"-awo", "g", "2"}, NumberFilesAnd({kMarker})},
      {{"t.txt"}, {}},
  };
  for (const auto& c : kCases) {
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    const ProcessResult r = FinishDalvo(
        StartDalvo(dir.path(), c.args, "", StdoutTarget{.path = "", .closed_pipe = true}));
    EXPECT_EQ(r.signal, 0) << Describe(c.args);
    EXPECT_EQ(r.exit_code, 1) << Describe(c.args);
    EXPECT_EQ(r.err, "dalvo: Unable to write file \"standard output\"! (Broken pipe)\n")
        << Describe(c.args);
    std::set<std::string> expected = c.after;
    expected.insert("t.txt");
    EXPECT_EQ(dir.Names(), expected) << Describe(c.args);
  }
}

TEST(EngineTrustFault, StandardOutputThatIsTheInputIsRefused) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"a.txt"}, std::vector<std::string>{"-awo", "d", "19", "a.txt"}}) {
    const TestTempDir dir;
    dir.Write("a.txt", "38");
    const ProcessResult r = RunDalvo(dir.path(), args, "", (dir.path() / "a.txt").string());
    EXPECT_EQ(r.exit_code, 1) << Describe(args);
    EXPECT_EQ(r.err, "dalvo: Input and output are the same file: \"a.txt\"!\n") << Describe(args);
    EXPECT_EQ(dir.Read("a.txt"), "38") << Describe(args);
  }
}

// ---- Modes, links and the marker -------------------------------------------------------------

TEST(EngineTrustFault, NewFilesTakeTheUmaskAsAnyProgramsDo) {
  const struct {
    mode_t umask;
    mode_t mode;
  } kCases[] = {{0, 0666}, {022, 0644}, {077, 0600}};
  for (const auto& c : kCases) {
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    const mode_t previous = umask(c.umask);
    const ProcessResult generated = RunDalvo(dir.path(), {"-awo", "g", "1"});
    const ProcessResult divided = RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "r.txt"});
    umask(previous);
    ASSERT_EQ(generated.exit_code, 0);
    ASSERT_EQ(divided.exit_code, 0);
    for (const std::string& name : NumberFilesAnd({"r.txt", kMarker})) {
      EXPECT_EQ(LinkStatus(dir.path() / name).st_mode & 07777, c.mode)
          << name << " under umask " << std::oct << c.umask;
    }
  }
}

TEST(EngineTrustFault, PlantedLinksAreReplacedNeverFollowed) {
  const TestTempDir dir;
  dir.Write("t.txt", "38");
  dir.Write("victim", "the victim's own text");
  for (const std::string name : {"number13.txt", "r.txt", kMarker.c_str()}) {
    fs::create_symlink("victim", dir.path() / name);
  }
  // What a link leads to decides, never its text: this one names a path under /proc.
  fs::create_symlink("/proc/self/root" + (dir.path() / "victim").string(), dir.path() / "p.txt");
  EXPECT_EQ(RunDalvo(dir.path(), {"-awo", "g", "1"}).exit_code, 0);
  EXPECT_EQ(RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "r.txt"}).exit_code, 0);
  EXPECT_EQ(RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "p.txt"}).exit_code, 0);
  EXPECT_TRUE(S_ISREG(LinkStatus(dir.path() / "p.txt").st_mode));

  EXPECT_EQ(dir.Read("victim"), "the victim's own text");
  EXPECT_TRUE(S_ISREG(LinkStatus(dir.path() / "number13.txt").st_mode));
  EXPECT_EQ(dir.Read("number13.txt").size(), 235u);
  EXPECT_TRUE(S_ISREG(LinkStatus(dir.path() / "r.txt").st_mode));
  EXPECT_EQ(dir.Read("r.txt"), ReportOf38("t.txt"));
  EXPECT_TRUE(S_ISREG(LinkStatus(dir.path() / kMarker).st_mode));
}

TEST(EngineTrustFault, ALinkToTheProgramsOwnStandardOutputIsWrittenThrough) {
  // dalvo -awo d 19 t.txt /dev/stdout > out.txt: the link leads to a regular file, which is the
  // one the shell opened as standard output.
  const TestTempDir dir;
  dir.Write("t.txt", "38");
  dir.Write("out.txt", "");
  fs::create_symlink("out.txt", dir.path() / "stdout.link");
  const ProcessResult r = RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "stdout.link"}, "",
                                   (dir.path() / "out.txt").string());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(dir.Read("out.txt"), ReportOf38("t.txt"));
  EXPECT_TRUE(S_ISLNK(LinkStatus(dir.path() / "stdout.link").st_mode));
}

TEST(EngineTrustFault, AFifoOrDeviceUnderTheMarkersNameEndsAsAnEmptyFile) {
  for (const mode_t kind : {mode_t{S_IFIFO}, mode_t{S_IFCHR}}) {
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    // A FIFO nobody reads would hang a run that opened it for writing; /dev/null's numbers.
    if (mknod((dir.path() / kMarker).c_str(), kind | 0666, makedev(1, 3)) != 0) {
      ASSERT_EQ(errno, EPERM);
      continue;  // devices may not be made here
    }
    const ProcessResult r = RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const struct stat marker = LinkStatus(dir.path() / kMarker);
    EXPECT_TRUE(S_ISREG(marker.st_mode)) << std::oct << kind;
    EXPECT_EQ(marker.st_size, 0) << std::oct << kind;
  }
}

TEST(EngineTrustFault, AMarkerThatCannotBeCreatedFailsTheRun) {
  const TestTempDir dir;
  dir.Write("t.txt", "38");
  fs::create_directory(dir.path() / kMarker);
  dir.Write(kMarker + "/kept", "kept");
  const ProcessResult r = RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "r.txt"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "dalvo: Unable to write file \"dalvoopc.tmp\"! (Is a directory)\n");
  EXPECT_EQ(dir.Read(kMarker + "/kept"), "kept");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"t.txt", "r.txt", kMarker}));
}

TEST(EngineTrustFault, TheMarkerIsNeitherInputNorReport) {
  const struct {
    std::vector<std::string> args;
    std::string name;    // as the refusal quotes it
    bool marker_exists;  // before the run, holding "38"
  } kCases[] = {
      {{"-awo", "d", "19", "t.txt", kMarker}, kMarker, true},
      {{"-awo", "d", "19", "t.txt", "./" + kMarker}, "./" + kMarker, false},
      {{"-awo", "d", "19", "t.txt", "sub/../" + kMarker}, "sub/../" + kMarker, false},
      {{"-awo", "d", "19", kMarker, "out.txt"}, kMarker, true},
      {{"-awo", "d", "19", kMarker}, kMarker, true},
      {{"-awo", "d", "19", "link.txt", "out.txt"}, "link.txt", true},
  };
  for (const auto& c : kCases) {
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    fs::create_directory(dir.path() / "sub");
    fs::create_symlink(kMarker, dir.path() / "link.txt");
    if (c.marker_exists) dir.Write(kMarker, "38");
    const std::set<std::string> before = dir.Names();

    const ProcessResult r = RunDalvo(dir.path(), c.args);
    EXPECT_EQ(r.exit_code, 1) << Describe(c.args);
    EXPECT_EQ(r.out, "") << Describe(c.args);
    EXPECT_EQ(r.err, "dalvo: Unable to use file \"" + c.name +
                         "\": it is the completion marker \"dalvoopc.tmp\"!\n")
        << Describe(c.args);
    EXPECT_EQ(dir.Names(), before) << Describe(c.args);
    if (c.marker_exists) {
      EXPECT_EQ(dir.Read(kMarker), "38") << Describe(c.args);
    }
  }
}

// ---- Runs that overlap or are stopped ---------------------------------------------------------

TEST(EngineTrustFault, TwoGenerationsAtOnceNeverMixTheirVariants) {
  const TestTempDir expected127;
  const TestTempDir expected129;
  ASSERT_TRUE(GenerateExpectedFiles(127, expected127.path()));
  ASSERT_TRUE(GenerateExpectedFiles(129, expected129.path()));

  const TestTempDir dir;
  for (int round = 0; round < 20; ++round) {
    const RunningDalvo first = StartDalvo(dir.path(), {"-awo", "g", "1"});
    const RunningDalvo second = StartDalvo(dir.path(), {"-awo", "g", "2"});
    EXPECT_EQ(FinishDalvo(first).exit_code, 0) << "round " << round;
    EXPECT_EQ(FinishDalvo(second).exit_code, 0) << "round " << round;
    for (const std::string_view view : kNumberFileNames) {
      const std::string name(view);
      const std::string content = dir.Read(name);
      EXPECT_TRUE(content == expected127.Read(name) || content == expected129.Read(name))
          << name << " mixes both variants in round " << round;
    }
    ASSERT_EQ(TemporaryFiles(dir), std::vector<std::string>{}) << "round " << round;
  }
}

TEST(EngineTrustFault, AStopSignalLeavesTheOldReportWholeAndNoTemporaryFile) {
  for (const int stop : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
    const TestTempDir dir;
    dir.Write("r.txt", "old report");
    ASSERT_EQ(mkfifo((dir.path() / "in.fifo").c_str(), 0600), 0);
    // A FIFO whose writer stays open makes a division as long as the test needs.
    const RunningDalvo child = StartDalvo(dir.path(), {"-awo", "d", "19", "in.fifo", "r.txt"});
    const int writer = open((dir.path() / "in.fifo").c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "3838383838", 10), 10);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!HasNewFileOpen(child.pid, dir, "in.fifo") &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool report_begun = HasNewFileOpen(child.pid, dir, "in.fifo");
    kill(child.pid, report_begun ? stop : SIGKILL);
    close(writer);
    const ProcessResult r = FinishDalvo(child);
    ASSERT_TRUE(report_begun) << "signal " << stop;
    EXPECT_EQ(r.signal, stop);
    EXPECT_EQ(dir.Read("r.txt"), "old report") << "signal " << stop;
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"in.fifo", "r.txt"})) << "signal " << stop;
  }
}

}  // namespace
}  // namespace dalvo
