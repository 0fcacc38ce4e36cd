#include "engine/completion_marker.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "engine/replacement_file.h"

namespace dalvo {

int WriteCompletionMarker() {
  // Whatever stands under the marker's name is replaced: a front-end only ever looks for an
  // empty file there, and writing into a device or FIFO in its place would hang or leak.
  ReplacementFile marker;
  if (marker.Open(kMarkerName, ReplaceOptions{.write_special_in_place = false,
                                              .follow_links_in_place = false}) &&
      marker.Commit()) {
    return 0;
  }
  // An empty regular file that cannot be replaced (an immutable one) already is the marker a
  // waiting front-end looks for; calling that a failure would report a missing marker that is
  // there. Anything else under the name (a directory, a file with content, nothing) is a failure.
  struct stat st {};
  if (::lstat(kMarkerName, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0) return 0;
  return marker.error();
}

bool NamesCompletionMarker(const std::string& name) {
  struct stat named {};
  struct stat marker {};
  if (::stat(name.c_str(), &named) == 0 && ::stat(kMarkerName, &marker) == 0) {
    return named.st_dev == marker.st_dev && named.st_ino == marker.st_ino;
  }
  // One of them is missing: the names decide. The folder is resolved (links, dots), the last
  // part is taken as written, since that is the entry a rename or a creation would use.
  namespace fs = std::filesystem;
  const fs::path path(name);
  if (path.filename() != kMarkerName) return false;
  std::error_code error;
  const fs::path folder = fs::canonical(path.has_parent_path() ? path.parent_path() : ".", error);
  if (error) return false;  // a folder that does not exist holds no marker
  const fs::path here = fs::canonical(".", error);
  return !error && folder == here;
}

}  // namespace dalvo
