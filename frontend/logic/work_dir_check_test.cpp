#include "frontend/logic/work_dir_check.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

TEST(WorkDirCheck, AcceptsOnlyPrivateRealDirectoriesOfTheUser) {
  const struct {
    const char* what;
    EntryInfo info;
    bool accepted;
  } cases[] = {
      {"own 0700 directory", {EntryKind::kDirectory, true, 0700}, true},
      {"own 0755 directory", {EntryKind::kDirectory, true, 0755}, true},
      {"own sticky 1700 directory", {EntryKind::kDirectory, true, 01700}, true},
      {"group-writable", {EntryKind::kDirectory, true, 0770}, false},
      {"world-writable", {EntryKind::kDirectory, true, 0707}, false},
      {"world-writable sticky", {EntryKind::kDirectory, true, 01777}, false},
      {"another user's", {EntryKind::kDirectory, false, 0700}, false},
      {"symbolic link", {EntryKind::kSymlink, true, 0777}, false},
      {"regular file", {EntryKind::kRegularFile, true, 0600}, false},
      {"fifo or socket", {EntryKind::kOther, true, 0600}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorkDirRefusal(c.info).empty(), c.accepted) << c.what;
  }
}

TEST(WorkDirCheck, MessageNamesPathReasonAndRemedy) {
  const std::string message = WorkDirMessage("/tmp/dalvo work dir", "it is a symbolic link");
  EXPECT_NE(message.find("/tmp/dalvo work dir"), std::string::npos);
  EXPECT_NE(message.find("it is a symbolic link"), std::string::npos);
  EXPECT_NE(message.find("Remove it"), std::string::npos);
  EXPECT_NE(message.find("TMPDIR"), std::string::npos);
}

}  // namespace
}  // namespace dalvo
