// For tests only: whole-file reads and writes through Qt, and a bounded wait, shared by the
// tests that run the real engine. Failures come back as values (a marker text, false).
#ifndef DALVO_FRONTEND_UI_FILE_TEST_IO_H_
#define DALVO_FRONTEND_UI_FILE_TEST_IO_H_

#include <QFile>
#include <QString>

#include <chrono>
#include <string>
#include <thread>

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

#endif  // DALVO_FRONTEND_UI_FILE_TEST_IO_H_
