// The real program's start-up against an unsafe work directory, and its control: a private one
// is taken as it is. Each case runs in a rig of its own (private TMPDIR, private copy of the
// engine); faults are made with ownership and file types, since the tests run as root.
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>

#include <gtest/gtest.h>

#include "file_test_io.h"
#include "names.h"
#include "real_engine_rig.h"

namespace dalvo {
namespace {

const std::string kMarker(kMarkerName);

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
