// For tests only: whole-file reads and writes through Qt or through a Platform, and a bounded
// wait, shared by the front-end's tests. Failures come back as values (a marker text, false).
#pragma once

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "frontend/logic/platform.h"

namespace dalvo {

// The bytes of `path`, or "<unreadable PATH>" so a comparison fails with a readable message.
inline std::string Slurp(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return "<unreadable " + path + ">";
  return file.readAll().toStdString();
}

// Creates or truncates `path` and writes `content`; false when any of it fails.
[[nodiscard]] inline bool Spill(const std::string& path, const std::string& content) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(content.data(), static_cast<qint64>(content.size())) ==
         static_cast<qint64>(content.size());
}

// True when anything (of any type, a dangling link included) stands at `path`.
inline bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Makes the directory `dir` holding one file, "inside.txt" with "inside", so a test can see
// whether anything went into or out of it; false when either fails.
[[nodiscard]] inline bool MakeDirWithFile(const std::string& dir) {
  return QDir().mkdir(QString::fromStdString(dir)) && Spill(dir + "/inside.txt", "inside");
}

// Reads all of `path` through `platform`'s piecewise read into `content`; its answer. The
// platform tests use it to read through the held work directory as the viewer does.
[[nodiscard]] inline bool ReadThrough(Platform& platform, const std::string& path,
                                      std::string& content) {
  content.clear();
  std::uint64_t size = 0;
  return platform.ReadFileInPieces(
      path, std::size_t{1} << 20,
      [&content](std::string_view piece) {
        content.append(piece);
        return true;
      },
      size);
}

// Polls `done` every 20 ms for at most `seconds`; its last answer.
template <typename Done>
bool WaitFor(Done done, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace dalvo
