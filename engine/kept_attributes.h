// What the owner of a file set on it, carried over to the new file that replaces it: owner and
// group as far as this user may set them, the mode, the extended attributes and with them an
// access control list. Never more open than the old file: what cannot be kept is narrowed.
#pragma once

#include <sys/stat.h>

namespace dalvo {

// Gives the open new file `fresh` what the owner set on `old`, the regular file of status
// `old_status` that it is to replace; `old` is an O_PATH descriptor of it. Owner and group that
// may not be set are left as created; then the group's and others' bits are dropped, as they are
// when an access control list cannot be carried over. Other extended attributes that cannot be
// set are left out. Returns 0, or the errno value of a failed fchmod (the mode must hold).
int KeepAttributes(int old, const struct stat& old_status, int fresh);

}  // namespace dalvo
