#include "frontend/testing/fake_platform.h"

#include <algorithm>
#include <cstdint>

#include "frontend/logic/wildcard.h"

namespace dalvo {
namespace {

// The bare name of `path` when it lies directly in `dir`, else "".
std::string NameIn(const std::string& dir, const std::string& path) {
  if (path.size() <= dir.size() || path.compare(0, dir.size(), dir) != 0) return "";
  const std::string rest = path.substr(dir.size());
  return rest.find('/') == std::string::npos ? rest : "";
}

// A file held open: its own copy of the content, which a truncation in place reaches.
class FakeReadableFile : public ReadableFile {
 public:
  FakeReadableFile(std::shared_ptr<std::string> content, FakePlatform& platform)
      : content_(std::move(content)), platform_(platform) {}

  std::optional<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                                    std::size_t count) override {
    if (platform_.read_fails_after_pieces_ >= 0 &&
        handed_ >= static_cast<std::size_t>(platform_.read_fails_after_pieces_)) {
      return std::nullopt;
    }
    ++handed_;
    ++platform_.pieces_read_;
    platform_.largest_piece_ = std::max(platform_.largest_piece_, count);
    if (offset >= content_->size()) return 0;
    const std::size_t n = std::min(count, content_->size() - static_cast<std::size_t>(offset));
    content_->copy(buffer, n, static_cast<std::size_t>(offset));
    return n;
  }
  std::optional<std::uint64_t> Size() override { return content_->size(); }

 private:
  std::shared_ptr<std::string> content_;
  FakePlatform& platform_;
  std::size_t handed_ = 0;
};

}  // namespace

void FakePlatform::TruncateFile(const std::string& path, std::size_t size) {
  auto it = files_.find(path);
  if (it != files_.end() && it->second.size() > size) it->second.resize(size);
  for (const auto& held : held_files_[path]) {
    if (auto content = held.lock(); content && content->size() > size) content->resize(size);
  }
}

std::unique_ptr<ReadableFile> FakePlatform::OpenForReading(const std::string& path) {
  if (ShouldFail(Op::kReadFile, path) || unreadable_.count(path) != 0) return nullptr;
  auto it = files_.find(path);
  if (it == files_.end()) return nullptr;
  auto content = std::make_shared<std::string>(it->second);
  held_files_[path].push_back(content);
  return std::make_unique<FakeReadableFile>(std::move(content), *this);
}

void FakePlatform::FailNext(Op op, const std::string& path_part, int times) {
  fail_rules_.push_back({op, path_part, times});
}

bool FakePlatform::Unreachable(const std::string& path) const {
  return held_.empty() && !work_dir_name_.empty() &&
         path.compare(0, work_dir_name_.size() + 1, work_dir_name_ + "/") == 0;
}

bool FakePlatform::ShouldFail(Op op, const std::string& path) {
  if (Unreachable(path)) return true;
  for (auto& rule : fail_rules_) {
    if (rule.op != op || rule.times == 0) continue;
    if (path.find(rule.path_part) == std::string::npos) continue;
    if (rule.times > 0) --rule.times;
    return true;
  }
  return false;
}

void FakePlatform::PutFile(const std::string& path, const std::string& content) {
  files_[path] = content;
  held_files_.erase(path);  // a new file: those held open are no longer reached by the name
  versions_[path] = next_version_++;
}

std::vector<std::string> FakePlatform::FilesIn(const std::string& dir) const {
  std::vector<std::string> names;
  for (const auto& [path, content] : files_) {
    const std::string name = NameIn(dir, path);
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string FakePlatform::Environment(const std::string& name) {
  const auto it = env_.find(name);
  return it == env_.end() ? std::string() : it->second;
}

std::string FakePlatform::CurrentDir() { return current_dir_.empty() ? start_dir_ : current_dir_; }

EntryInfo FakePlatform::Inspect(const std::string& path) {
  if (auto it = entries_.find(path); it != entries_.end()) return it->second;
  if (auto it = files_.find(path); it != files_.end()) {
    EntryInfo info{EntryKind::kRegularFile, true, 0644};
    info.device = 1;
    info.inode = versions_.count(path) != 0 ? versions_.at(path) : 0;
    info.size = it->second.size();
    return info;
  }
  return {};
}

WorkDirHold FakePlatform::HoldWorkDir(const std::string& path) {
  const EntryInfo info = Inspect(path);
  work_dir_name_ = path;
  locked_ = false;
  if (info.kind != EntryKind::kDirectory) {
    held_.clear();
    return {info, false};
  }
  held_ = path;
  work_dir_state_ = WorkDirState::kSame;
  return {info, true};
}

void FakePlatform::ReleaseWorkDir() {
  held_.clear();
  locked_ = false;
}

WorkDirState FakePlatform::CheckWorkDir() {
  return held_.empty() ? WorkDirState::kNotHeld : work_dir_state_;
}

WorkDirLock FakePlatform::LockWorkDir() {
  if (held_.empty()) return WorkDirLock::kFailed;
  locked_ = lock_answer_ == WorkDirLock::kLocked;
  return lock_answer_;
}

EntryInfo FakePlatform::InspectHeldWorkDir() { return held_.empty() ? EntryInfo{} : Inspect(held_); }

bool FakePlatform::CreatePrivateDir(const std::string& path) {
  if (ShouldFail(Op::kCreatePrivateDir, path)) return false;
  if (Inspect(path).kind != EntryKind::kMissing) return false;
  entries_[path] = {EntryKind::kDirectory, true, 0700};
  created_dirs_.push_back(path);
  return true;
}

bool FakePlatform::SetCurrentDir(const std::string& path) {
  if (ShouldFail(Op::kSetCurrentDir, path)) return false;
  current_dir_ = path;
  return true;
}

std::vector<std::string> FakePlatform::Matches(const std::string& dir, const std::string& pattern,
                                               bool include_dirs) const {
  std::vector<std::string> names;
  for (const auto& [path, content] : files_) {
    const std::string name = NameIn(dir, path);
    if (!name.empty()) names.push_back(name);
  }
  if (include_dirs) {
    for (const auto& [path, info] : entries_) {
      const std::string name = NameIn(dir, path);
      if (!name.empty() && info.kind == EntryKind::kDirectory) names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoreCase(a, b); });
  std::vector<std::string> matches;
  for (const auto& name : names) {
    if (name[0] != '.' && WildcardMatch(pattern, name)) matches.push_back(name);
  }
  return matches;
}

MatchResult FakePlatform::FirstMatch(const std::string& dir, const std::string& pattern,
                                     bool include_dirs) {
  if (ShouldFail(Op::kFirstMatch, dir + pattern)) return {false, ""};
  const std::vector<std::string> matches = Matches(dir, pattern, include_dirs);
  return {true, matches.empty() ? std::string() : matches.front()};
}

bool FakePlatform::ListMatching(const std::string& dir, const std::string& pattern,
                                std::vector<std::string>& names) {
  names.clear();
  if (ShouldFail(Op::kListMatching, dir + pattern)) return false;
  names = Matches(dir, pattern, false);
  return true;
}

bool FakePlatform::ListHidden(const std::string& dir, std::vector<std::string>& names) {
  names.clear();
  if (ShouldFail(Op::kListHidden, dir)) return false;
  for (const auto& name : FilesIn(dir)) {
    if (name[0] == '.') names.push_back(name);
  }
  for (const auto& [path, info] : entries_) {
    const std::string name = NameIn(dir, path);
    if (!name.empty() && name[0] == '.' && info.kind != EntryKind::kDirectory) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return true;
}

bool FakePlatform::DeleteFile(const std::string& path) {
  if (ShouldFail(Op::kDeleteFile, path) || undeletable_.count(path) != 0) return false;
  if (files_.erase(path) == 0) return false;
  versions_.erase(path);
  held_files_.erase(path);
  deleted_.push_back(path);
  return true;
}

bool FakePlatform::DeleteMatching(const std::string& dir, const std::string& pattern) {
  if (ShouldFail(Op::kDeleteMatching, dir + pattern)) return false;
  bool all = true;
  for (const auto& name : FilesIn(dir)) {
    if (name[0] == '.' || !WildcardMatch(pattern, name)) continue;
    const std::string path = dir + name;
    if (undeletable_.count(path) != 0) {
      all = false;
      continue;
    }
    files_.erase(path);
    versions_.erase(path);
    held_files_.erase(path);
    deleted_.push_back(path);
  }
  return all;
}

bool FakePlatform::Rename(const std::string& source, const std::string& target) {
  if (ShouldFail(Op::kRename, source)) return false;
  auto it = files_.find(source);
  if (it == files_.end() || files_.count(target) != 0 || entries_.count(target) != 0) return false;
  std::string content = std::move(it->second);
  files_.erase(it);
  files_[target] = std::move(content);
  // A rename keeps the file, and so its version.
  versions_[target] = versions_.count(source) != 0 ? versions_.at(source) : 0;
  versions_.erase(source);
  held_files_[target] = std::move(held_files_[source]);
  held_files_.erase(source);
  renamed_.emplace_back(source, target);
  return true;
}

std::optional<std::uint64_t> FakePlatform::FileSize(const std::string& path) {
  if (ShouldFail(Op::kFileSize, path)) return std::nullopt;
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second.size();
}

bool FakePlatform::ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                                    const std::function<bool(std::string_view)>& sink,
                                    std::uint64_t& size) {
  if (ShouldFail(Op::kReadFile, path) || unreadable_.count(path) != 0) return false;
  auto it = files_.find(path);
  if (it == files_.end()) return false;
  const std::string_view content = it->second;
  size = content.size();
  const std::size_t step = piece_bytes == 0 ? 1 : piece_bytes;
  int handed = 0;
  for (std::size_t at = 0; at < content.size(); at += step) {
    if (read_fails_after_pieces_ >= 0 && handed == read_fails_after_pieces_) return false;
    const std::string_view piece = content.substr(at, step);
    ++handed;
    ++pieces_read_;
    largest_piece_ = std::max(largest_piece_, piece.size());
    if (!sink(piece)) break;
  }
  return true;
}

bool FakePlatform::WriteFile(const std::string& path, const std::string& content) {
  if (ShouldFail(Op::kWriteFile, path)) return false;
  PutFile(path, content);
  return true;
}

bool FakePlatform::StartEngine(const std::string& program, const std::vector<std::string>& args,
                               const std::string& working_dir) {
  if (engine_fails_to_start_) {
    engine_ = {};
    return false;
  }
  started_.push_back({program, args, working_dir});
  engine_ = {EngineRun::kRunning, 0};
  return true;
}

EngineStartError FakePlatform::LastStartError() {
  return engine_fails_to_start_ ? start_error_ : EngineStartError::kNone;
}

EngineStatus FakePlatform::PollEngine() {
  ++poll_count_;
  if (on_poll_) on_poll_();
  return engine_;
}

}  // namespace dalvo
