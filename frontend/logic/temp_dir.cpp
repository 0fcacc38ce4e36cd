#include "frontend/logic/temp_dir.h"

namespace dalvo {
namespace {

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string Join(const std::string& dir, const std::string& name) {
  return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The runtime directory counts only when nobody else could have made it or can write to it.
bool PrivateRuntimeDir(const EntryInfo& info) {
  return info.kind == EntryKind::kDirectory && info.owned_by_current_user &&
         (info.mode & 077u) == 0;
}

}  // namespace

TempDirChoice ChooseTempDir(Platform& platform) {
  const std::string tmpdir = platform.Environment("TMPDIR");
  if (!tmpdir.empty()) {
    if (IsAbsolute(tmpdir)) return {tmpdir, {}, {}};
    // Made absolute here, once: every later run, path and engine start then means the same
    // place whatever the current directory has become.
    const std::string cwd = platform.CurrentDir();
    if (!IsAbsolute(cwd)) {
      return {"", {}, "TMPDIR \"" + tmpdir + "\" is relative and the current directory "
                      "cannot be told. Set TMPDIR to an absolute path and start again."};
    }
    return {Join(cwd, tmpdir), {}, {}};
  }
  const std::string runtime = platform.Environment("XDG_RUNTIME_DIR");
  if (IsAbsolute(runtime) && PrivateRuntimeDir(platform.Inspect(runtime))) {
    return {runtime, {}, {}};
  }
  const std::string home = platform.Environment("HOME");
  if (IsAbsolute(home)) {
    const std::string cache = Join(home, ".cache");
    const std::string own = Join(cache, "dalvo");
    return {own, {cache, own}, {}};
  }
  return {"", {}, "There is no temporary directory of your own: TMPDIR is not set, "
                  "XDG_RUNTIME_DIR is not a private directory and HOME is not set. Set TMPDIR "
                  "to a directory of your own and start again."};
}

}  // namespace dalvo
