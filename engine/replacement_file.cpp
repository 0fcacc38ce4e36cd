#include "replacement_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

namespace dalvo {
namespace {

// ---- Removal of pending temporary files when the program is told to stop -----------------------

// The engine writes one file at a time; a few slots leave room without any allocation, which a
// signal handler could not do. A file beyond them is still written, only not cleaned up.
constexpr int kSlots = 4;
char g_pending[kSlots][PATH_MAX];
std::atomic<bool> g_pending_used[kSlots];

// Set while a temporary file and its slot change together. A stop signal that comes then waits
// for the change to end, so the handler never sees a file without its slot, nor a slot whose name
// another process may have taken. Waiting costs no system call, unlike blocking the signals:
// a generation changes slots 44 times, and the whole run takes a few milliseconds.
std::atomic<bool> g_changing{false};
std::atomic<int> g_deferred_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void RemovePendingFilesAndStop(int signal_number) {
  for (int i = 0; i < kSlots; ++i) {
    if (g_pending_used[i].load()) ::unlink(g_pending[i]);
  }
  // With the default action back, the signal ends the program as it would have without us (in
  // the handler it stays blocked until the handler returns).
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

extern "C" void OnStopSignal(int signal_number) {
  if (g_changing.load()) {
    g_deferred_signal.store(signal_number);
    return;
  }
  RemovePendingFilesAndStop(signal_number);
}

class SlotChange {
 public:
  SlotChange() {
    g_changing.store(true);
    std::atomic_signal_fence(std::memory_order_seq_cst);
  }
  ~SlotChange() {
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_changing.store(false);
    if (const int deferred = g_deferred_signal.exchange(0); deferred != 0) {
      RemovePendingFilesAndStop(deferred);
    }
  }
  SlotChange(const SlotChange&) = delete;
  SlotChange& operator=(const SlotChange&) = delete;
};

int TakeSlot(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!g_pending_used[i].load()) {
      std::memcpy(g_pending[i], path.c_str(), path.size() + 1);
      g_pending_used[i].store(true);
      return i;
    }
  }
  return -1;
}

void ReleaseSlot(int slot) {
  if (slot >= 0) g_pending_used[slot].store(false);
}

// The umask, which can only be read by setting it; read once, before the engine starts any
// thread. Where it keeps all of 0644, the mode given to open needs no fchmod afterwards.
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    const mode_t previous = ::umask(0);
    ::umask(previous);
    return previous;
  }();
  return mask;
}

// Once per process: the stop signals clean up, unless they were ignored from the start (nohup)
// or have a handler of someone else's.
void PrepareOnce() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  static_cast<void>(ProcessUmask());
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART;  // a deferred signal must not break a read or write elsewhere
  sigemptyset(&action.sa_mask);
  for (const int s : kStopSignals) sigaddset(&action.sa_mask, s);
  for (const int s : kStopSignals) {
    struct sigaction previous {};
    if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
      ::sigaction(s, &action, nullptr);
    }
  }
}

// ---- Temporary names ----------------------------------------------------------------------

// Six characters that differ between attempts and between processes. Not secret: O_EXCL, not
// the name, keeps another user's file from being taken over.
std::string RandomSuffix() {
  static std::uint64_t state = [] {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint64_t>(::getpid()) << 32) ^
           static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 20);
  }();
  state += 0x9E3779B97F4A7C15u;  // splitmix64
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  z ^= z >> 31;
  constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(6, '0');
  for (char& c : suffix) {
    c = kAlphabet[z % 62];
    z /= 62;
  }
  return suffix;
}

// The temporary name for `target` in the same folder, so the rename never crosses devices.
std::string TemporaryNameFor(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, base) + "." + target.substr(base) + "." + RandomSuffix() + ".part";
}

bool IsSpecialFile(mode_t mode) { return !S_ISREG(mode) && !S_ISDIR(mode); }

// True for a link whose bytes belong somewhere other than a file to replace: one that leads to
// a device, a FIFO or a socket, or one of the system's names for an open descriptor
// (/dev/stdout leads to /proc/self/fd/1, whatever that descriptor is). Replacing those would
// break the system's link instead of writing where the user meant.
bool LinkLeadsToStream(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return false;  // dangling: nothing to write through
  if (IsSpecialFile(st.st_mode)) return true;
  char destination[8] = {};
  const ssize_t length = ::readlink(target.c_str(), destination, sizeof destination);
  return length >= 6 && std::memcmp(destination, "/proc/", 6) == 0;
}

}  // namespace

bool ReplacementFile::Open(const std::string& target, const ReplaceOptions& options) {
  Discard();
  target_ = target;
  error_ = 0;

  if (target.empty() || target.back() == '/') {
    return OpenInPlace(options.follow_links_in_place);  // no file name to put a file beside
  }
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {  // neither replaced nor written
      error_ = EISDIR;
      return false;
    }
    if (S_ISLNK(st.st_mode)) {
      if (options.follow_links_in_place && LinkLeadsToStream(target)) return OpenInPlace(true);
    } else if (!S_ISREG(st.st_mode) && options.write_special_in_place) {
      return OpenInPlace(false);
    }
  }

  PrepareOnce();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = TemporaryNameFor(target);
    int descriptor;
    int open_error = 0;
    {
      const SlotChange change;
      descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (descriptor < 0) open_error = errno;
      if (descriptor >= 0) slot_ = TakeSlot(temporary);
    }
    if (descriptor < 0) {
      if (open_error == EEXIST) continue;
      break;  // no file can be made beside the target: written in place, as it always was
    }
    temporary_ = std::move(temporary);
    // Others may read what the engine writes, whatever the umask.
    const bool mode_ok = (ProcessUmask() & 0644) == 0 || ::fchmod(descriptor, 0644) == 0;
    if (!mode_ok || (file_ = ::fdopen(descriptor, "wb")) == nullptr) {
      error_ = errno;
      ::close(descriptor);
      Discard();
      return false;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);
    return true;
  }
  return OpenInPlace(options.follow_links_in_place);
}

bool ReplacementFile::OpenInPlace(bool follow_links) {
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (follow_links ? 0 : O_NOFOLLOW);
  const int descriptor = ::open(target_.c_str(), flags, 0644);
  if (descriptor < 0 || (file_ = ::fdopen(descriptor, "wb")) == nullptr) {
    error_ = errno;
    if (descriptor >= 0) ::close(descriptor);
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

bool ReplacementFile::Commit() {
  if (file_ == nullptr) {
    if (error_ == 0) error_ = EBADF;
    return false;
  }
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok) error_ = errno;
  if (temporary_.empty()) return ok;

  const SlotChange change;
  if (ok && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    ok = false;
  }
  if (!ok) ::unlink(temporary_.c_str());
  ReleaseSlot(slot_);
  slot_ = -1;
  temporary_.clear();
  return ok;
}

void ReplacementFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (temporary_.empty()) return;
  const SlotChange change;
  ::unlink(temporary_.c_str());
  ReleaseSlot(slot_);
  slot_ = -1;
  temporary_.clear();
}

}  // namespace dalvo
