#include "file_list_box.h"

#include <QDir>
#include <QSignalBlocker>

namespace dalvo::ui {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), pattern_("*.*") {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setPath(const QString& directory) {
  path_ = directory;
  refresh();
}

void FileListBox::setPattern(const QString& pattern) {
  pattern_ = pattern;
  refresh();
}

void FileListBox::refresh() {
  const QString selected = fileName();
  // Listing again is not a choice of the user: no selection signal may leave the list.
  const QSignalBlocker quiet(this);
  clear();
  if (path_.isEmpty()) return;
  // QDir::Files without QDir::Hidden and QDir::System: ordinary files only. Name filters are
  // matched without regard to case unless QDir::CaseSensitive is given.
  const QDir dir(path_, pattern_, QDir::Name | QDir::IgnoreCase, QDir::Files);
  addItems(dir.entryList());
  if (selected.isEmpty()) return;
  const QList<QListWidgetItem*> found = findItems(selected, Qt::MatchFixedString);
  if (!found.isEmpty()) setCurrentItem(found.first());
}

QString FileListBox::fileName() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

}  // namespace dalvo::ui
