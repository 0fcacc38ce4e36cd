// Test helper: a small tmpfs of its own, mounted on a fresh directory and unmounted (lazily, so
// a file a test still holds open cannot keep it) and removed when the object goes. It makes a
// full disk, a file system without free inodes, or a second device. Mounting needs root; where
// it is refused, `mounted()` is false and the test skips itself. Header-only.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/testing/test_temp_dir.h"

namespace dalvo {

class TestTmpfs {
 public:
  // `options` as mount(8) takes them, e.g. "size=64k" or "nr_inodes=3".
  explicit TestTmpfs(const std::string& options) {
    if (::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      problem_ = "mount -t tmpfs -o " + options + ": " + std::strerror(errno);
    }
  }
  TestTmpfs(const TestTmpfs&) = delete;
  TestTmpfs& operator=(const TestTmpfs&) = delete;
  ~TestTmpfs() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
  }

  bool mounted() const { return mounted_; }
  // Why the mount was refused, for the skip message.
  const std::string& problem() const { return problem_; }
  // The mounted file system's root; also reads and writes its files.
  const TestTempDir& dir() const { return dir_; }
  const std::filesystem::path& path() const { return dir_.path(); }

  // Fills the file system until a write fails, so that not one more block can be had.
  void Fill() const {
    const std::string block(4096, 'x');
    for (int i = 0;; ++i) {
      std::FILE* file = std::fopen((dir_.path() / (".fill" + std::to_string(i))).c_str(), "w");
      if (file == nullptr) return;  // no inode left either
      const bool full = std::fwrite(block.data(), 1, block.size(), file) < block.size();
      const bool closed = std::fclose(file) == 0;
      if (full || !closed) return;
    }
  }

 private:
  TestTempDir dir_;
  bool mounted_ = false;
  std::string problem_;
};

}  // namespace dalvo
