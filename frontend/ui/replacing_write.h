// Writing a file of the front-end's own in a directory someone else might once have written to:
// the bytes go into a new file that nobody else can have opened or planted (an unnamed
// O_TMPFILE, or one created exclusively under a random hidden name), and only that new file is
// renamed over the target once whole. Nothing is ever opened under the target's name, so a
// planted pipe, device or link there can neither block the window nor receive the bytes.
// POSIX (Linux) only; failures are values and leave no new file behind.
#pragma once

#include <string>

namespace dalvo {

// Writes `content` as the entry `name` (a bare name, no '/') of the directory open as `dirfd`
// (a descriptor of a directory, or AT_FDCWD), replacing whatever file or link stood there; the
// new file gets mode 0666 less the umask. False when anything failed: `name` is then as it was,
// and no temporary name is left.
bool ReplaceFileIn(int dirfd, const std::string& name, const std::string& content);

// A fresh ".dalvo-XXXXXX" name with six random letters and digits from the kernel's random
// source; "" when none can be had.
std::string RandomTemporaryName();

}  // namespace dalvo
