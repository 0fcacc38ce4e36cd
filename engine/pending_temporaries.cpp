#include "engine/pending_temporaries.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dalvo {
namespace {

// A generation holds its 22 files open at once, and the marker may follow: room for all of them
// when the file system has no unnamed temporaries and every one has a name.
constexpr int kSlots = 32;
constexpr std::size_t kNameBytes = 32;

struct Slot {
  int directory = -1;
  char name[kNameBytes] = {};
};
Slot g_pending[kSlots];
std::atomic<bool> g_pending_used[kSlots];

// Set while a temporary file and its slot change together. A stop signal that comes then waits
// for the change to end, so the handler never sees a file without its slot, nor a slot whose name
// another process may have taken. Waiting costs no system call, unlike blocking the signals.
std::atomic<bool> g_changing{false};
std::atomic<int> g_deferred_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void RemovePendingFilesAndStop(int signal_number) {
  for (int i = 0; i < kSlots; ++i) {
    if (g_pending_used[i].load()) ::unlinkat(g_pending[i].directory, g_pending[i].name, 0);
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

int TakeSlot(int directory, const std::string& name) {
  if (name.size() >= kNameBytes) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!g_pending_used[i].load()) {
      g_pending[i].directory = directory;
      std::memcpy(g_pending[i].name, name.c_str(), name.size() + 1);
      g_pending_used[i].store(true);
      return i;
    }
  }
  return -1;
}

void ReleaseSlot(int* slot) {
  if (*slot >= 0) g_pending_used[*slot].store(false);
  *slot = -1;
}

}  // namespace

void PrepareStopSignals() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
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

int CreatePendingFile(int directory, const std::string& name, int mode, int* slot) {
  const SlotChange change;
  const int descriptor = ::openat(directory, name.c_str(),
                                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                  static_cast<mode_t>(mode));
  if (descriptor >= 0) *slot = TakeSlot(directory, name);
  return descriptor;
}

int LinkOpenFile(int descriptor, int directory, const std::string& name) {
  // Linking a descriptor itself (AT_EMPTY_PATH) takes a privilege; its name under /proc does
  // not, so that comes first and the other serves where /proc is not mounted.
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", descriptor);
  if (::linkat(AT_FDCWD, path, directory, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  const int error = errno;
  if (error != ENOENT) return error;
  if (::linkat(descriptor, "", directory, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  return errno == ENOENT ? error : errno;
}

int LinkPendingFile(int descriptor, int directory, const std::string& name, int* slot) {
  const SlotChange change;
  const int error = LinkOpenFile(descriptor, directory, name);
  if (error == 0) *slot = TakeSlot(directory, name);
  return error;
}

int RenamePendingFile(int directory, const std::string& name, const std::string& target,
                      int* slot) {
  const SlotChange change;
  if (::renameat(directory, name.c_str(), directory, target.c_str()) != 0) return errno;
  ReleaseSlot(slot);
  return 0;
}

void RemovePendingFile(int directory, const std::string& name, int* slot) {
  const SlotChange change;
  ::unlinkat(directory, name.c_str(), 0);
  ReleaseSlot(slot);
}

}  // namespace dalvo
