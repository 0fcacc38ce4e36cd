// The named temporary files this process has open beside the files they are to replace, kept
// where a stop signal (SIGTERM, SIGINT, SIGHUP) can find and remove them before the program
// ends. A fixed set of slots, touched without allocation; a name beyond them is still used, only
// not cleaned up. Unnamed temporaries (O_TMPFILE) need none of this: they vanish by themselves.
#pragma once

#include <string>

namespace dalvo {

// Once per process: installs the stop-signal handler, unless a signal was ignored from the start
// (nohup) or has a handler of someone else's.
void PrepareStopSignals();

// Creates `name` (short, no '/') in the open directory `directory` with
// O_CREAT|O_EXCL|O_NOFOLLOW, read-write, `mode` before the umask, and records it in a slot in
// one step that no stop signal can split. Returns the descriptor and sets `*slot` (-1 when no
// slot was free), or -1 with errno set.
int CreatePendingFile(int directory, const std::string& name, int mode, int* slot);

// Links the open unnamed file `descriptor` under `name` in `directory`; fails with EEXIST when
// the name is taken. Returns 0 or the errno value.
int LinkOpenFile(int descriptor, int directory, const std::string& name);

// Links the open file `descriptor` under `name` in `directory` (for an unnamed temporary) and
// records the name in a slot, in one step that no stop signal can split. Returns 0 and sets
// `*slot`, or the errno value of the failure.
int LinkPendingFile(int descriptor, int directory, const std::string& name, int* slot);

// Renames pending `name` over `target` in `directory` and forgets its slot, in one step. Returns
// 0 or the errno value; on failure the name stays pending.
int RenamePendingFile(int directory, const std::string& name, const std::string& target,
                      int* slot);

// Removes pending `name` from `directory` and forgets its slot. `*slot` is -1 afterwards.
void RemovePendingFile(int directory, const std::string& name, int* slot);

}  // namespace dalvo
