// The completion marker "dalvoopc.tmp": the empty file that an automatic run creates in its
// current directory as its very last act, so that a waiting front-end knows the run has ended.
// It is always a fresh regular file put in place by a rename: a link or a FIFO planted under its
// name is replaced, never written through. No division may read or write it.
#pragma once

#include <string>

namespace dalvo {

// The marker's file name. The front-end waits for exactly this name (its own constant of the
// same name and text), so the two programs' copies change together or not at all.
inline constexpr const char* kMarkerName = "dalvoopc.tmp";

// Creates the empty marker in the current directory, mode 0666 less the umask, replacing
// whatever file or link had its name. Returns 0, or the errno value of the failure (a directory
// of that name, a directory that cannot be written to). An empty regular file that cannot be
// replaced (an immutable one) counts as the marker.
[[nodiscard]] int WriteCompletionMarker();

// True when `name` reaches the marker of the current directory: the same file where both exist
// (a hard or symbolic link), or the same directory entry once the folders are resolved
// ("./dalvoopc.tmp", an absolute path, "sub/../dalvoopc.tmp") where the file does not exist.
bool NamesCompletionMarker(const std::string& name);

}  // namespace dalvo
