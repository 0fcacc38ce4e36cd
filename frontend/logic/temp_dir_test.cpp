#include "frontend/logic/temp_dir.h"

#include <gtest/gtest.h>

#include <map>

#include "frontend/testing/fake_platform.h"

namespace dalvo {
namespace {

using Env = std::map<std::string, std::string>;

TEST(TempDir, TmpdirThenAPrivateRuntimeDirThenTheUsersCache) {
  const EntryInfo kPrivate{EntryKind::kDirectory, true, 0700};
  const std::string kCache = "/home/u/.cache/dalvo";
  const struct {
    const char* what;
    Env env;
    std::string cwd;
    EntryInfo runtime;  // what stands at /run/user/1000
    std::string chosen;
  } cases[] = {
      {"absolute TMPDIR", {{"TMPDIR", "/var/tmp/x"}, {"HOME", "/home/u"}}, "/w", kPrivate,
       "/var/tmp/x"},
      {"relative TMPDIR", {{"TMPDIR", "rel"}, {"HOME", "/home/u"}}, "/home/u/start", kPrivate,
       "/home/u/start/rel"},
      {"relative TMPDIR at the root", {{"TMPDIR", "rel"}}, "/", kPrivate, "/rel"},
      {"empty TMPDIR, private runtime dir",
       {{"TMPDIR", ""}, {"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"}}, "/w",
       kPrivate, "/run/user/1000"},
      {"relative runtime dir", {{"XDG_RUNTIME_DIR", "run/user/1000"}, {"HOME", "/home/u"}}, "/w",
       kPrivate, kCache},
      {"runtime dir of another user",
       {{"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"}}, "/w",
       {EntryKind::kDirectory, false, 0700}, kCache},
      {"runtime dir others can read", {{"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"}},
       "/w", {EntryKind::kDirectory, true, 0755}, kCache},
      {"runtime dir is a link", {{"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"}},
       "/w", {EntryKind::kSymlink, true, 0777}, kCache},
      {"runtime dir missing", {{"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"}}, "/w",
       {}, kCache},
      {"nothing set", {}, "/w", kPrivate, ""},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.env_ = c.env;
    platform.start_dir_ = c.cwd;
    if (c.runtime.kind != EntryKind::kMissing) platform.entries_["/run/user/1000"] = c.runtime;
    const TempDirChoice choice = ChooseTempDir(platform);
    EXPECT_EQ(choice.dir, c.chosen) << c.what;
    if (c.chosen == kCache) {
      EXPECT_EQ(choice.make_first, (std::vector<std::string>{"/home/u/.cache", kCache}))
          << c.what;
    } else {
      EXPECT_TRUE(choice.make_first.empty()) << c.what;
    }
    // With no choice the user is told what works.
    EXPECT_EQ(choice.problem.find("Set TMPDIR") != std::string::npos, c.chosen.empty())
        << c.what << ": " << choice.problem;
  }
}

}  // namespace
}  // namespace dalvo
