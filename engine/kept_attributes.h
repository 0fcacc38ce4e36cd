// What the owner of a file set on it, carried over to the new file that replaces it: owner and
// group as far as this user may set them, the mode, the extended attributes and with them an
// access control list. Never more open than the old file: what cannot be kept is narrowed.
#pragma once

#include <sys/stat.h>

namespace dalvo {

// Gives the open new file `fresh` what the owner set on the regular file `old_path` of status
// `old_status` that it is to replace (the path is not followed if it is a link). Owner and group
// that may not be set are left as created; then the group's and others' bits are dropped, as
// they are when an access control list cannot be carried over. Other extended attributes that
// cannot be set are left out. Changes nothing that already holds, so a file replaced by its own
// owner costs no system call beyond reading its attributes. Returns 0, or the errno value of a
// failed fchmod (the mode must hold).
int KeepAttributes(const char* old_path, const struct stat& old_status, int fresh);

}  // namespace dalvo
