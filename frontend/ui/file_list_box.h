// The main window's file list: the names it is given, in the order given. Each entry shows its
// name as the toolkit decodes file names and keeps the name's bytes, so a name that is not
// valid text still selects exactly the file it came from. The list never reads a directory
// itself: its directory and pattern only say what it shows.
#pragma once

#include <QByteArray>
#include <QList>
#include <QListWidget>
#include <QString>

namespace dalvo::ui {

class FileListBox : public QListWidget {
 public:
  // An empty list with the pattern "*.*" and no directory, owned by `parent`.
  explicit FileListBox(QWidget* parent);

  // The directory the names come from, and their wildcard pattern ("*.txt").
  QString path() const { return path_; }
  void setPath(const QString& directory) { path_ = directory; }
  QString pattern() const { return pattern_; }
  void setPattern(const QString& pattern) { pattern_ = pattern; }

  // Shows `names` (file names' bytes) instead of the current entries. The selected name stays
  // selected while it is still among them.
  void setNames(const QList<QByteArray>& names);

  // The bytes of the selected name, exactly as given to setNames, or empty.
  QByteArray fileNameBytes() const;

 private:
  QString path_;
  QString pattern_;
};

}  // namespace dalvo::ui
