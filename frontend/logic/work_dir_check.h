// The safety rule for the work directory, which sits in a temporary directory that other users
// can write to: an existing entry is used only when it is a real directory (not a link), owned
// by the current user and not writable by group or others. Pure; the refusal is a value.
#ifndef DALVO_FRONTEND_LOGIC_WORK_DIR_CHECK_H_
#define DALVO_FRONTEND_LOGIC_WORK_DIR_CHECK_H_

#include <string>

#include "platform.h"

namespace dalvo {

// "" when an existing entry described by `info` may serve as the work directory; otherwise a
// short reason ("is a symbolic link", ...). `info.kind` must not be kMissing.
std::string WorkDirRefusal(const EntryInfo& info);

// The start-up error message for the refused or uncreatable work directory at `path`: names the
// path, the reason, and tells to remove it or set TMPDIR.
std::string WorkDirMessage(const std::string& path, const std::string& reason);

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_WORK_DIR_CHECK_H_
