// The main window's file list: the ordinary files of one directory whose names match one
// wildcard pattern, sorted without regard to case. It lists only when told to (setPath,
// refresh); a directory that cannot be read gives an empty list, never an error.
#pragma once

#include <QListWidget>
#include <QString>

namespace dalvo::ui {

class FileListBox : public QListWidget {
 public:
  // An empty list with the pattern "*.*" and no directory, owned by `parent`.
  explicit FileListBox(QWidget* parent);

  // The directory listed; setting it lists it at once.
  QString path() const { return path_; }
  void setPath(const QString& directory);

  // The wildcard pattern ("*.txt"), matched without regard to case; setting it lists again.
  QString pattern() const { return pattern_; }
  void setPattern(const QString& pattern);

  // Lists the directory again. The selected name stays selected while it is still listed.
  void refresh();

  // The selected name without its directory, or "" when nothing is selected.
  QString fileName() const;

 private:
  QString path_;
  QString pattern_;
};

}  // namespace dalvo::ui
