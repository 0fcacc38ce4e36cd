// QtPlatform: the real Platform, on Qt Core (QProcess, QDir, QFile) plus lstat for the work
// directory's safety check. It owns the QProcess of the last engine run; at destruction a
// still-running engine is left running (neither waited for nor killed). Failures are values.
#ifndef DALVO_FRONTEND_UI_QT_PLATFORM_H_
#define DALVO_FRONTEND_UI_QT_PLATFORM_H_

#include <memory>
#include <string>
#include <vector>

#include "platform.h"

class QProcess;

namespace dalvo {

class QtPlatform : public Platform {
 public:
  // `application_dir` overrides the directory of the running executable (tests put the
  // engine elsewhere); "" means QCoreApplication::applicationDirPath().
  explicit QtPlatform(std::string application_dir = {});
  // Releases a running engine without stopping it; QProcess's own destructor would kill it.
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  std::string ApplicationDir() override;
  std::string TempDir() override;
  EntryInfo Inspect(const std::string& path) override;
  bool CreatePrivateDir(const std::string& path) override;
  bool SetCurrentDir(const std::string& path) override;
  MatchResult FirstMatch(const std::string& dir, const std::string& pattern,
                         bool include_dirs = false) override;
  bool DeleteMatching(const std::string& dir, const std::string& pattern) override;
  bool Rename(const std::string& source, const std::string& target) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  bool ReadFile(const std::string& path, std::string& content) override;
  bool ReadFileInPieces(const std::string& path, std::size_t piece_bytes,
                        const std::function<bool(std::string_view)>& sink,
                        std::uint64_t& size) override;
  bool WriteFile(const std::string& path, const std::string& content) override;
  bool StartEngine(const std::string& program, const std::vector<std::string>& args,
                   const std::string& working_dir) override;
  EngineStatus PollEngine() override;

 private:
  // Lets go of the current process: deleted when it has ended, abandoned while it runs.
  void ReleaseProcess();

  std::string application_dir_;
  QProcess* process_ = nullptr;  // owned; see ReleaseProcess
};

}  // namespace dalvo

#endif  // DALVO_FRONTEND_UI_QT_PLATFORM_H_
