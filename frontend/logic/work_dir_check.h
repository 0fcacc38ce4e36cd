// The safety rule for the work directory, which may sit in a temporary directory that other
// users can write to: an existing entry is used only when it is a real directory (not a link),
// owned by the current user and not writable by group or others. And the texts that say so.
// Pure; the refusal is a value.
#pragma once

#include <string>

#include "frontend/logic/platform.h"

namespace dalvo {

// "" when an existing entry described by `info` may serve as the work directory; otherwise a
// short reason ("it is a symbolic link", ...). `info.kind` must not be kMissing.
std::string WorkDirRefusal(const EntryInfo& info);

// The start-up error message for the refused or uncreatable work directory at `path`: names the
// path and the reason, and tells what works: remove it (or have its owner do so), or set TMPDIR.
std::string WorkDirMessage(const std::string& path, const std::string& reason);

// The start-up error message for a work directory at `path` that could not be created for
// `reason`: names both, and that TMPDIR can name an existing directory of the user's.
std::string WorkDirCreateMessage(const std::string& path, const std::string& reason);

// The status line for a command refused because the work directory at `path` was replaced or
// removed and cannot be taken again for `reason` (`not_made` when it could not be made again):
// says so first, then names both and what works.
std::string WorkDirLostStatus(const std::string& path, const std::string& reason, bool not_made);

// The status line for a command refused because the held work directory at `path` no longer
// passes the check (its mode was widened, say) for `reason`: says so first, then what works.
std::string WorkDirUnsafeStatus(const std::string& path, const std::string& reason);

// The message for a work directory at `path` that another copy of the program, or the engine
// run of a closed copy, is using.
std::string WorkDirBusyMessage(const std::string& path);

}  // namespace dalvo
