#include "engine/replacement_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/testing/test_temp_dir.h"
#include "engine/testing/test_tmpfs.h"

namespace dalvo {
namespace {

namespace fs = std::filesystem;

constexpr ReplaceOptions kReport{.write_special_in_place = true, .follow_links_in_place = true};

// Replaces `path` with `text` through a ReplacementFile; the errno value of a failure, or 0.
int Replace(const fs::path& path, const std::string& text) {
  ReplacementFile file;
  if (!file.Open(path.string(), kReport)) return file.error();
  if (std::fputs(text.c_str(), file.file()) == EOF) return errno;
  return file.Commit() ? 0 : file.error();
}

std::string Attribute(const fs::path& path, const char* name) {
  char value[256];
  const ssize_t size = ::lgetxattr(path.c_str(), name, value, sizeof value);
  return size < 0 ? "" : std::string(value, static_cast<std::size_t>(size));
}

// An access list as the kernel stores it: owner rw, user 1234 rw, group r, mask rw, others none.
std::string AccessList() {
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  const std::uint32_t version = 2;
  const Entry entries[] = {{0x01, 6, ~0u}, {0x02, 6, 1234}, {0x04, 4, ~0u},
                           {0x10, 6, ~0u}, {0x20, 0, ~0u}};
  std::string bytes(reinterpret_cast<const char*>(&version), sizeof version);
  bytes.append(reinterpret_cast<const char*>(entries), sizeof entries);
  return bytes;
}

TEST(ReplacementFile, KeepsOwnerGroupModeAttributesAndAccessList) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user takes root";
  const TestTempDir dir;
  const fs::path path = dir.path() / "r.txt";
  dir.Write("r.txt", "old");
  ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
  const std::string list = AccessList();
  if (::setxattr(path.c_str(), "user.note", "kept", 4, 0) != 0 ||
      ::setxattr(path.c_str(), "system.posix_acl_access", list.data(), list.size(), 0) != 0) {
    GTEST_SKIP() << "no extended attributes here: " << std::strerror(errno);
  }
  const mode_t mode = LinkStatus(path).st_mode & 07777;  // 0660: the list's mask as group bits

  ASSERT_EQ(Replace(path, "new"), 0);
  const struct stat st = LinkStatus(path);
  EXPECT_EQ(dir.Read("r.txt"), "new");
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
  EXPECT_EQ(st.st_mode & 07777, mode);
  EXPECT_EQ(Attribute(path, "user.note"), "kept");
  EXPECT_EQ(Attribute(path, "system.posix_acl_access"), list);
}

TEST(ReplacementFile, AGroupThatCannotBeKeptClosesTheFileToGroupAndOthers) {
  // Another user's file in a folder all may write to, replaced by someone outside its group.
  if (::geteuid() != 0) GTEST_SKIP() << "acting as two users takes root";
  const TestTempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const fs::path path = dir.path() / "r.txt";
  dir.Write("r.txt", "old");
  ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);

  ASSERT_EQ(::setegid(65534), 0);
  ASSERT_EQ(::seteuid(65534), 0);
  const int error = Replace(path, "new");
  ASSERT_EQ(::seteuid(0), 0);
  ASSERT_EQ(::setegid(0), 0);

  ASSERT_EQ(error, 0) << std::strerror(error);
  EXPECT_EQ(dir.Read("r.txt"), "new");
  EXPECT_EQ(LinkStatus(path).st_mode & 07777, 0600u);
}

TEST(ReplacementFile, AFileWithSeveralLinksIsWrittenInPlace) {
  const TestTempDir dir;
  dir.Write("r.txt", "old");
  fs::create_hard_link(dir.path() / "r.txt", dir.path() / "other.txt");
  ASSERT_EQ(Replace(dir.path() / "r.txt", "new"), 0);
  EXPECT_EQ(dir.Read("r.txt"), "new");
  EXPECT_EQ(dir.Read("other.txt"), "new");
}

TEST(ReplacementFile, ADescriptorsOwnLinkIsWrittenThroughToItsFile) {
  // /dev/fd/N and /proc/self/fd/N name a file the program was handed open (3>report.txt).
  const TestTempDir dir;
  dir.Write("r.txt", "an older report");
  const int descriptor = ::open((dir.path() / "r.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(descriptor, 0);
  for (const std::string folder : {"/proc/self/fd/", "/dev/fd/"}) {
    const std::string text = "written through " + folder;
    EXPECT_EQ(Replace(folder + std::to_string(descriptor), text), 0) << folder;
    EXPECT_EQ(dir.Read("r.txt"), text) << folder;
  }
  ::close(descriptor);
  EXPECT_EQ(dir.Names(), std::set<std::string>({"r.txt"}));
}

TEST(ReplacementFile, LongNamesAreReplacedNotWrittenInPlace) {
  // Up to the longest name a folder can hold: the old file stays whole until the commit.
  for (const std::size_t length : {std::size_t{1}, std::size_t{243}, std::size_t{255}}) {
    const TestTempDir dir;
    const std::string name(length, 'r');
    dir.Write(name, "old");
    ReplacementFile file;
    ASSERT_TRUE(file.Open((dir.path() / name).string(), kReport)) << length;
    ASSERT_NE(std::fputs("new", file.file()), EOF);
    EXPECT_EQ(dir.Read(name), "old") << length;
    ASSERT_TRUE(file.Commit()) << length;
    EXPECT_EQ(dir.Read(name), "new") << length;
    EXPECT_EQ(dir.Names().size(), 1u) << length;
  }
}

TEST(ReplacementFile, AMountPointIsWrittenInPlace) {
  const TestTempDir dir;
  dir.Write("r.txt", "old");
  dir.Write("mounted.txt", "mounted");
  const fs::path point = dir.path() / "r.txt";
  if (::mount((dir.path() / "mounted.txt").c_str(), point.c_str(), nullptr, MS_BIND, nullptr) !=
      0) {
    GTEST_SKIP() << "bind mount: " << std::strerror(errno);
  }
  const int error = Replace(point, "new");
  const std::string seen = dir.Read("r.txt");
  ::umount2(point.c_str(), MNT_DETACH);
  EXPECT_EQ(error, 0) << std::strerror(error);
  EXPECT_EQ(seen, "new");
  EXPECT_EQ(dir.Read("mounted.txt"), "new");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"r.txt", "mounted.txt"}));
}

TEST(ReplacementFile, AFifoInAFolderNoFileCanBeMadeInIsNotWaitedOn) {
  // The marker's options: a FIFO is replaced, never written. Where nothing can be made beside
  // it (a read-only file system), the open must fail at once instead of waiting for a reader.
  const TestTmpfs disk("size=64k");
  if (!disk.mounted()) GTEST_SKIP() << disk.problem();
  ASSERT_EQ(::mkfifo((disk.path() / "m.tmp").c_str(), 0644), 0);
  ASSERT_EQ(::mount(nullptr, disk.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
      << std::strerror(errno);
  ReplacementFile file;
  EXPECT_FALSE(file.Open((disk.path() / "m.tmp").string(),
                         ReplaceOptions{.write_special_in_place = false}));
  EXPECT_NE(file.error(), 0);
}

}  // namespace
}  // namespace dalvo
