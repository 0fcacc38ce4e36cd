#include "frontend/ui/qt_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "frontend/logic/wildcard.h"
#include "frontend/ui/held_file.h"
#include "frontend/ui/replacing_write.h"

namespace dalvo {
namespace {

std::string FromQ(const QString& s) { return QFile::encodeName(s).toStdString(); }

// Closes a descriptor when it goes out of scope.
class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  int fd_;
};

// Opens a regular file for reading; a named pipe or device is refused rather than waited on.
int OpenRegularForReading(int fd, std::uint64_t& size) {
  struct stat st {};
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

}  // namespace

QtPlatform::QtPlatform(std::string application_dir)
    : application_dir_(std::move(application_dir)) {}

QtPlatform::~QtPlatform() = default;

QtPlatform::Place QtPlatform::Locate(const std::string& path) const {
  if (std::optional<std::string> name = work_dir_.NameIn(path)) {
    return {work_dir_.fd(), std::move(*name), true};
  }
  return {AT_FDCWD, path, false};
}

int QtPlatform::OpenFile(const std::string& path, int flags, mode_t mode) const {
  const Place place = Locate(path);
  if (place.dirfd == -1) return -1;
  flags |= O_CLOEXEC;
  if (place.in_work_dir) flags |= O_NOFOLLOW;
  return ::openat(place.dirfd, place.name.c_str(), flags, mode);
}

std::string QtPlatform::ApplicationDir() {
  if (!application_dir_.empty()) return application_dir_;
  if (QCoreApplication::instance() != nullptr) {
    return FromQ(QCoreApplication::applicationDirPath());
  }
  return FromQ(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2));
}

std::string QtPlatform::Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? std::string(value) : std::string();
}

std::string QtPlatform::CurrentDir() {
  char* cwd = ::getcwd(nullptr, 0);
  if (cwd == nullptr) return {};
  std::string result(cwd);
  std::free(cwd);
  return result;
}

EntryInfo QtPlatform::Inspect(const std::string& path) {
  // lstat, not QFileInfo: the check must see a link as a link and read the exact owner and
  // mode bits of the entry itself.
  const Place place = Locate(path);
  struct stat st {};
  if (place.dirfd == -1 ||
      ::fstatat(place.dirfd, place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return {};
  }
  return DescribeStat(st);
}

WorkDirHold QtPlatform::HoldWorkDir(const std::string& path) { return work_dir_.Hold(path); }

void QtPlatform::ReleaseWorkDir() { work_dir_.Release(); }

WorkDirState QtPlatform::CheckWorkDir() { return work_dir_.Check(); }

WorkDirLock QtPlatform::LockWorkDir() { return work_dir_.Lock(); }

EntryInfo QtPlatform::InspectHeldWorkDir() { return work_dir_.Inspect(); }

bool QtPlatform::CreatePrivateDir(const std::string& path) {
  // mkdir fails when anything of that name exists, links included, so nobody else's entry
  // can be adopted between the check and the creation.
  return ::mkdir(path.c_str(), 0700) == 0;
}

bool QtPlatform::SetCurrentDir(const std::string& path) {
  if (work_dir_.IsHeldDir(path)) return work_dir_.fd() >= 0 && ::fchdir(work_dir_.fd()) == 0;
  return ::chdir(path.c_str()) == 0;
}

bool QtPlatform::ListMatches(const std::string& dir, const std::string& pattern, Listed listed,
                             std::vector<std::string>& names) const {
  names.clear();
  // The held directory is listed through a copy of its descriptor (a DIR takes ownership of
  // the one it is given), never following its entries; any other directory by its path, with
  // links to files counted as files, as a file manager shows them.
  const bool held = work_dir_.IsHeldDir(dir);
  DIR* listing = nullptr;
  if (held) {
    if (work_dir_.fd() < 0) return false;
    const int copy = ::fcntl(work_dir_.fd(), F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return false;
    listing = ::fdopendir(copy);
    if (listing == nullptr) {
      ::close(copy);
      return false;
    }
    // The copy shares its position with the held descriptor; start from the top each time.
    ::rewinddir(listing);
  } else {
    listing = ::opendir(dir.c_str());
    if (listing == nullptr) return false;
  }
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) {
      ok = errno == 0;
      break;
    }
    // The name's bytes as they are: a name that is not valid in the locale's encoding is
    // listed too, so it can be shown, divided and deleted like any other.
    const std::string name(entry->d_name);
    if (name.empty() || name == "." || name == "..") continue;
    const bool hidden = name[0] == '.';
    if (hidden != (listed == Listed::kHiddenNonDirs) || !WildcardMatch(pattern, name)) continue;
    bool file = entry->d_type == DT_REG;
    bool directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || (!held && entry->d_type == DT_LNK)) {
      struct stat st {};
      if (::fstatat(::dirfd(listing), entry->d_name, &st, held ? AT_SYMLINK_NOFOLLOW : 0) != 0) {
        continue;
      }
      file = S_ISREG(st.st_mode);
      directory = S_ISDIR(st.st_mode);
    }
    if (listed == Listed::kHiddenNonDirs ? !directory
                                         : file || (listed == Listed::kFilesAndDirs && directory)) {
      names.push_back(name);
    }
  }
  ::closedir(listing);
  if (!ok) {
    names.clear();
    return false;
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoreCase(a, b); });
  return true;
}

MatchResult QtPlatform::FirstMatch(const std::string& dir, const std::string& pattern,
                                   bool include_dirs) {
  std::vector<std::string> names;
  if (!ListMatches(dir, pattern, include_dirs ? Listed::kFilesAndDirs : Listed::kFiles, names)) {
    return {false, ""};
  }
  return {true, names.empty() ? std::string() : names.front()};
}

bool QtPlatform::ListMatching(const std::string& dir, const std::string& pattern,
                              std::vector<std::string>& names) {
  return ListMatches(dir, pattern, Listed::kFiles, names);
}

bool QtPlatform::ListHidden(const std::string& dir, std::vector<std::string>& names) {
  return ListMatches(dir, "*", Listed::kHiddenNonDirs, names);
}

bool QtPlatform::DeleteFile(const std::string& path) {
  const Place place = Locate(path);
  return place.dirfd != -1 && ::unlinkat(place.dirfd, place.name.c_str(), 0) == 0;
}

bool QtPlatform::DeleteMatching(const std::string& dir, const std::string& pattern) {
  std::vector<std::string> names;
  if (!ListMatches(dir, pattern, Listed::kFiles, names)) return false;
  const std::string prefix = !dir.empty() && dir.back() == '/' ? dir : dir + "/";
  bool all = true;
  for (const auto& name : names) {
    if (!DeleteFile(prefix + name)) all = false;
  }
  return all;
}

bool QtPlatform::Rename(const std::string& source, const std::string& target) {
  const Place from = Locate(source);
  const Place to = Locate(target);
  if (from.dirfd == -1 || to.dirfd == -1) return false;
  // An existing target is never replaced.
  if (::renameat2(from.dirfd, from.name.c_str(), to.dirfd, to.name.c_str(), RENAME_NOREPLACE) ==
      0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that flag: look first. Only this program works in the directory.
  struct stat st {};
  if (::fstatat(to.dirfd, to.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  return ::renameat(from.dirfd, from.name.c_str(), to.dirfd, to.name.c_str()) == 0;
}

std::optional<std::uint64_t> QtPlatform::FileSize(const std::string& path) {
  const Place place = Locate(path);
  struct stat st {};
  if (place.dirfd == -1 ||
      ::fstatat(place.dirfd, place.name.c_str(), &st,
                place.in_work_dir ? AT_SYMLINK_NOFOLLOW : 0) != 0 ||
      !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

bool QtPlatform::ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                                  const std::function<bool(std::string_view)>& sink,
                                  std::uint64_t& size) {
  const int fd = OpenRegularForReading(OpenFile(path, O_RDONLY | O_NONBLOCK), size);
  if (fd < 0) return false;
  const FdCloser closer(fd);
  // One buffer for the whole file, filled again for each piece.
  const std::size_t step = std::clamp<std::size_t>(piece_bytes, 1, std::size_t{64} << 20);
  std::string buffer(step, '\0');
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), step);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) return true;
  }
}

std::unique_ptr<ReadableFile> QtPlatform::OpenForReading(const std::string& path) {
  // O_NONBLOCK: a named pipe put in the file's place opens at once and is then refused.
  std::uint64_t size = 0;
  const int fd = OpenRegularForReading(OpenFile(path, O_RDONLY | O_NONBLOCK), size);
  if (fd < 0) return nullptr;
  return std::make_unique<HeldFile>(fd);
}

bool QtPlatform::WriteFile(const std::string& path, const std::string& content) {
  const Place place = Locate(path);
  if (place.dirfd == -1) return false;
  if (place.in_work_dir) return ReplaceFileIn(place.dirfd, place.name, content);
  // Elsewhere the directory is opened first, so the new file is made in the one looked at.
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dirfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd < 0) return false;
  const FdCloser closer(dirfd);
  return ReplaceFileIn(dirfd, slash == std::string::npos ? path : path.substr(slash + 1), content);
}

bool QtPlatform::StartEngine(const std::string& program, const std::vector<std::string>& args,
                             const std::string& working_dir) {
  EngineSpawnPlace place;
  if (work_dir_.IsHeldDir(working_dir)) {
    // The child enters the held directory itself, not whatever its name means by now, and
    // keeps it open: the lock then outlasts this program for as long as the engine runs, so
    // no new copy takes the directory from a running engine.
    place.dir_fd = work_dir_.fd();
    if (place.dir_fd < 0) {
      start_error_ = EngineStartError::kFailed;
      return false;
    }
  } else {
    place.dir = working_dir;
  }
  start_error_ = engine_.Start(program, args, place);
  return start_error_ == EngineStartError::kNone;
}

EngineStatus QtPlatform::PollEngine() { return engine_.Poll(); }

EngineStartError QtPlatform::LastStartError() { return start_error_; }

}  // namespace dalvo
