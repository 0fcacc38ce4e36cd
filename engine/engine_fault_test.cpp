// Fault injection, end to end: the real `dalvo` program started in a fresh directory where
// something is wrong on purpose (a full device as report file or standard output, a directory
// where a file should be, a missing directory). Each fault must give its message, exit status 1,
// the completion marker in automatic forms, and leave every other entry of the directory as it
// was. Faults are made with file types and devices, never with permission bits: root ignores
// those, and CI runs as root.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "engine/number_files.h"
#include "engine/testing/engine_expectations.h"
#include "engine/testing/engine_process_runner.h"
#include "engine/testing/test_temp_dir.h"
#include "engine/testing/test_tmpfs.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

const std::string kStdoutFailed =
    "dalvo: Unable to write file \"standard output\"! (No space left on device)\n";

// The line that names a file the run could not write, with the system's reason.
std::string UnableToWrite(const std::string& name, int error) {
  return "dalvo: Unable to write file \"" + name + "\"! (" + std::strerror(error) + ")\n";
}

// ---- Directory snapshots -------------------------------------------------------------------

struct EntryState {
  char type = '?';  // 'f' file, 'd' directory, 'c' character device, 'l' link, '?' other
  long long size = 0;
  long long mtime_ns = 0;
  bool operator==(const EntryState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const EntryState& e) {
  return os << "{" << e.type << " " << e.size << " bytes, mtime " << e.mtime_ns << "}";
}

using Snapshot = std::map<std::string, EntryState>;

// Every entry below `root` (sub-folders included), by relative path, as lstat sees it.
Snapshot TakeSnapshot(const fs::path& root) {
  Snapshot snapshot;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    if (lstat(entry.path().c_str(), &st) != 0) continue;
    EntryState state;
    state.type = S_ISREG(st.st_mode)   ? 'f'
                 : S_ISDIR(st.st_mode) ? 'd'
                 : S_ISCHR(st.st_mode) ? 'c'
                 : S_ISLNK(st.st_mode) ? 'l'
                                       : '?';
    state.size = static_cast<long long>(st.st_size);
    state.mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    snapshot[fs::relative(entry.path(), root).string()] = state;
  }
  return snapshot;
}

// File times tick coarsely, so a run right after the set-up could rewrite a file within the same
// tick unseen. Dating every entry back makes any later write show in its mtime.
void DateBack(const fs::path& root) {
  const timespec past[2] = {{946'684'800, 0}, {946'684'800, 0}};  // 2000-01-01
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    utimensat(AT_FDCWD, entry.path().c_str(), past, AT_SYMLINK_NOFOLLOW);
  }
}

// The run added the entries in `created` below `root` and changed nothing else there since
// `before`.
void ExpectOnlyAdded(const fs::path& root, const Snapshot& before,
                     const std::vector<std::string>& created, const std::string& what) {
  Snapshot after = TakeSnapshot(root);
  for (const std::string& name : created) {
    EXPECT_EQ(after.erase(name), 1u) << what << ": " << name << " was not created";
  }
  EXPECT_EQ(after, before) << what;
}

// ---- A private full device -----------------------------------------------------------------

struct FullDevice {
  bool not_permitted = false;  // mknod was refused: the test cannot run here and is skipped
  std::string problem;         // empty when the device works
};

// Makes `path` a character device like /dev/full: opens fine, every write fails with ENOSPC.
FullDevice MakeFullDevice(const fs::path& path) {
  if (mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    const int error = errno;
    return {error == EPERM, "mknod " + path.string() + ": " + std::strerror(error)};
  }
  const int fd = open(path.c_str(), O_WRONLY);
  if (fd < 0) {
    const int error = errno;
    return {false, "opening the device failed: " + std::string(std::strerror(error))};
  }
  const bool full = write(fd, "x", 1) < 0 && errno == ENOSPC;
  close(fd);
  return {false, full ? "" : "the device node does not behave like a full device"};
}

// A number of 300000 digits: its report is larger than any buffer of the division, so writes
// fail while the digits are still being read, not only at the end.
std::string LongNumber() {
  std::string digits;
  while (digits.size() < 300'000) digits += "1234567890";
  return digits;
}

// Runs `dalvo -awo d 19 t.txt OUTPUT` in `dir`, which must fail to write `output` with `error`:
// status 1, nothing on standard output, the message, the marker and nothing else changed.
void ExpectReportFileFails(const TestTempDir& dir, const std::string& output, int error,
                           const std::string& what) {
  DateBack(dir.path());
  const Snapshot before = TakeSnapshot(dir.path());
  const ProcessResult r = RunDalvo(dir.path(), {"-awo", "d", "19", "t.txt", output});
  EXPECT_EQ(r.exit_code, 1) << what;
  EXPECT_EQ(r.out, "") << what;
  EXPECT_EQ(r.err, UnableToWrite(output, error)) << what;
  ExpectOnlyAdded(dir.path(), before, {kMarker}, what);
}

// ---- Report file and standard output on a full device ----------------------------------------

TEST(EngineFault, ReportFileOnAFullDevice) {
  for (const std::string& content : {std::string("38"), LongNumber()}) {
    const std::string what = "report to a full device, input of " +
                             std::to_string(content.size()) + " bytes";
    const TestTempDir dir;
    const FullDevice device = MakeFullDevice(dir.path() / "full");
    if (device.not_permitted) GTEST_SKIP() << device.problem;
    ASSERT_EQ(device.problem, "");
    dir.Write("t.txt", content);
    ExpectReportFileFails(dir, "full", ENOSPC, what);
  }
}

TEST(EngineFault, StandardOutputOnAFullDevice) {
  const struct {
    std::vector<std::string> args;
    std::string input;
    int exit_code;
    std::string err;
    std::vector<std::string> created;  // the only entries the run may add
  } kCases[] = {
      // The menu itself cannot be shown; "q" then ends the run, which still failed.
      {{}, "q\n", 1, kStdoutFailed, {}},
      // Generation goes ahead (its files are fine), but the run reports the lost texts.
      {{}, "1\n",
       1,
       kStdoutFailed,
       std::vector<std::string>(kNumberFileNames.begin(), kNumberFileNames.end())},
      // A report larger than the buffers fails while the input is still being read.
      {{"-awo", "d", "19", "long.txt"}, "", 1, kStdoutFailed, {kMarker}},
      // The report goes into a file and nothing to standard output: the full device is harmless.
      {{"-awo", "d", "19", "t.txt", "r.txt"}, "", 0, "", {"r.txt", kMarker}},
  };
  for (const auto& c : kCases) {
    const std::string what = Describe(c.args) + " > full device";
    const TestTempDir dir;
    const FullDevice device = MakeFullDevice(dir.path() / "full");
    if (device.not_permitted) GTEST_SKIP() << device.problem;
    ASSERT_EQ(device.problem, "");
    dir.Write("t.txt", "38");
    dir.Write("long.txt", LongNumber());
    DateBack(dir.path());
    const Snapshot before = TakeSnapshot(dir.path());

    const ProcessResult r =
        RunDalvo(dir.path(), c.args, c.input, (dir.path() / "full").string());
    EXPECT_EQ(r.exit_code, c.exit_code) << what;
    EXPECT_EQ(r.err, c.err) << what;
    ExpectOnlyAdded(dir.path(), before, c.created, what);
    if (c.exit_code == 0) {
      EXPECT_EQ(dir.Read("r.txt"), "2.0000\n\nNumber of digits read from file \"t.txt\": 2\n"
                                   "The number IS a multiple of 19!\n\n")
          << what;
    }
  }
}

// ---- Files and folders that are not what the command line says -----------------------------

TEST(EngineFault, ReportFileInAFolderThatDoesNotExist) {
  const struct {
    std::string output;
    int error;
  } kCases[] = {{"nodir/r.txt", ENOENT}, {"t.txt/r.txt", ENOTDIR}, {"sub/nodir/r.txt", ENOENT}};
  for (const auto& [output, error] : kCases) {
    const TestTempDir dir;
    dir.Write("t.txt", "38");
    fs::create_directory(dir.path() / "sub");
    // Missing folders are not created along the way.
    ExpectReportFileFails(dir, output, error, output);
  }
}

TEST(EngineFault, InputThatIsAFolder) {
  const struct {
    std::vector<std::string> args;
    bool marker;
  } kCases[] = {
      {{"sub"}, false},
      {{"-awo", "d", "19", "sub"}, true},
      // The old report file keeps its content: no output is opened for an unreadable input.
      {{"-awo", "d", "19", "sub", "r.txt"}, true},
      {{"-awo", "d", "19", "sub/", "r.txt"}, true},
  };
  for (const auto& c : kCases) {
    const std::string what = Describe(c.args);
    const TestTempDir dir;
    fs::create_directory(dir.path() / "sub");
    dir.Write("sub/9.txt", "9");
    dir.Write("r.txt", "an older report");
    DateBack(dir.path());
    const Snapshot before = TakeSnapshot(dir.path());

    const ProcessResult r = RunDalvo(dir.path(), c.args);
    EXPECT_EQ(r.exit_code, 1) << what;
    EXPECT_EQ(r.out, UnableToOpen(c.args.size() == 1 ? c.args[0] : c.args[3])) << what;
    EXPECT_EQ(r.err, "") << what;
    const std::vector<std::string> created =
        c.marker ? std::vector{kMarker} : std::vector<std::string>{};
    ExpectOnlyAdded(dir.path(), before, created, what);
  }
}

// ---- Long-number files that cannot be written ------------------------------------------------

TEST(EngineFault, LongNumberFilesThatCannotBeWritten) {
  // The first and the last file are folders (cannot be created), one in the middle is a full
  // device (opened, but not one digit can be written). Each is named, in writing order, and no
  // other file is put in place: a generation is whole or changes nothing.
  const TestTempDir dir;
  const FullDevice device = MakeFullDevice(dir.path() / "number10.txt");
  if (device.not_permitted) GTEST_SKIP() << device.problem;
  ASSERT_EQ(device.problem, "");
  fs::create_directory(dir.path() / "number1.txt");
  fs::create_directory(dir.path() / "n20257d.txt");
  dir.Write("n20257d.txt/keep.txt", "kept");
  DateBack(dir.path());
  const Snapshot before = TakeSnapshot(dir.path());

  const ProcessResult r = RunDalvo(dir.path(), {"-awo", "g", "2"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(r.out.ends_with(" with 129 verses for sura 9.\n" + kGenerationFailedOutput)) << r.out;
  EXPECT_EQ(r.out.find("complete"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, UnableToWrite("number1.txt", EISDIR) +
                       UnableToWrite("number10.txt", ENOSPC) +
                       UnableToWrite("n20257d.txt", EISDIR));
  ExpectOnlyAdded(dir.path(), before, {kMarker}, "generation");
}

// ---- A full disk and the limits of a process ---------------------------------------------------

TEST(EngineFault, AFullDiskFailsTheReportAndKeepsTheOldOne) {
  // No block left, and no inode left: the new report cannot be written, or not even created.
  for (const std::string options : {"size=512k", "nr_inodes=8"}) {
    const TestTmpfs disk(options);
    if (!disk.mounted()) GTEST_SKIP() << disk.problem();
    disk.dir().Write("t.txt", LongNumber());
    disk.dir().Write("r.txt", "an older report");
    // An empty marker that cannot be replaced still counts, so only the report fails.
    disk.dir().Write(kMarker, "");
    disk.Fill();
    const std::set<std::string> before = disk.dir().Names();

    const ProcessResult r = RunDalvo(disk.path(), {"-awo", "d", "19", "t.txt", "r.txt"});
    EXPECT_EQ(r.exit_code, 1) << options;
    EXPECT_EQ(r.err, UnableToWrite("r.txt", ENOSPC)) << options;
    EXPECT_EQ(disk.dir().Read("r.txt"), "an older report") << options;
    EXPECT_EQ(disk.dir().Names(), before) << options;
  }
}

// GCC names the sanitizers with macros, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

TEST(EngineFault, ProcessLimitsFailTheRunWithAMessageAndLeaveNothing) {
  const struct {
    ChildLimits limits;
    std::string err;
  } kCases[] = {
      // ulimit -f: the write fails with EFBIG instead of a signal ending the run unexplained.
      {{.file_size_bytes = 64 * 1024}, UnableToWrite("r.txt", EFBIG)},
      // ulimit -v: an allocation fails; every file object removes its new file on the way out.
      {{.address_space_bytes = 6000 * 1024}, "dalvo: Out of memory! (Cannot allocate memory)\n"},
  };
  for (const auto& c : kCases) {
    // A sanitizer's shadow memory alone is larger than any such limit.
    if (kSanitized && c.limits.address_space_bytes != RLIM_INFINITY) continue;
    const TestTempDir dir;
    dir.Write("t.txt", LongNumber());
    dir.Write("r.txt", "an older report");
    const ProcessResult r = FinishDalvo(
        StartDalvo(dir.path(), {"-awo", "d", "19", "t.txt", "r.txt"}, "", {}, c.limits));
    EXPECT_EQ(r.exit_code, 1) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(dir.Read("r.txt"), "an older report") << c.err;
    const std::set<std::string> names = dir.Names();
    EXPECT_TRUE(std::all_of(names.begin(), names.end(),
                            [](const std::string& n) { return n == "t.txt" || n == "r.txt" ||
                                                              n == kMarker; }))
        << c.err;
  }
}

}  // namespace
}  // namespace dalvo
