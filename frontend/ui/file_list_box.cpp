#include "frontend/ui/file_list_box.h"

#include <QFile>
#include <QSignalBlocker>

namespace dalvo::ui {
namespace {

// The role under which each entry keeps its name's bytes.
constexpr int kNameBytesRole = Qt::UserRole;

}  // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), pattern_("*.*") {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setNames(const QList<QByteArray>& names) {
  const QByteArray selected = fileNameBytes();
  // Listing again is not a choice of the user: no selection signal may leave the list.
  const QSignalBlocker quiet(this);
  clear();
  QListWidgetItem* again = nullptr;
  for (const QByteArray& name : names) {
    // The file system's bytes shown the way Qt decodes file names; undecodable bytes show as
    // replacement characters, while the entry keeps the bytes themselves.
    auto* item = new QListWidgetItem(QFile::decodeName(name), this);
    item->setData(kNameBytesRole, name);
    if (!selected.isEmpty() && name == selected && again == nullptr) again = item;
  }
  if (again != nullptr) setCurrentItem(again);
}

QByteArray FileListBox::fileNameBytes() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? QByteArray() : selected.first()->data(kNameBytesRole).toByteArray();
}

}  // namespace dalvo::ui
