// The built-in viewer: loading files into it, the size line of the selected file, and the
// viewer window's own events.
#include <memory>

#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/logic/viewer_document.h"
#include "frontend/logic/viewer_sizes.h"
#include "frontend/logic/wildcard.h"

namespace dalvo {

void Module1::LoadIntoViewer(const std::string& dir, const std::string& name, bool append_paths) {
  if (name.empty()) return;
  const MatchResult match = platform_.FirstMatch(dir, name);
  if (!match.ok || !EqualsIgnoreCase(match.name, name)) return;
  // Names differing only in case can stand side by side here: the file of exactly the asked
  // name comes first, the listing's match only when there is none.
  const std::string path =
      platform_.FileSize(dir + name).has_value() ? dir + name : dir + match.name;
  // The file is held open and read on demand: a file renamed over or deleted while shown stays
  // the one shown, and memory does not grow with its size.
  std::unique_ptr<ReadableFile> file = platform_.OpenForReading(path);
  if (file == nullptr) return;
  auto document = std::make_unique<ViewerDocument>(
      std::move(file), append_paths ? app_dir_ + "\r\n" + work_dir_ + "\r\n" : std::string());
  // Its start is indexed before the viewer is touched: a file that cannot be read shows
  // nothing and leaves the viewer as it was, and a help text or a report is whole at once.
  // The viewer indexes the rest a step at a time, showing what it has so far.
  if (document->IndexMore(kViewerFirstIndexBytes) == IndexProgress::kFailed) return;
  view_.ClearViewer();
  view_.ShowViewer();
  view_.SetViewerDocument(std::move(document));
}

void Module1::ShowHelp() { LoadIntoViewer(app_dir_, std::string(kHelpName), true); }

void Module1::ViewDivisionReport() { LoadIntoViewer(work_dir_, std::string(kReportName), false); }

void Module1::ViewSelectedFile() { LoadIntoViewer(work_dir_, view_.SelectedFileName(), false); }

std::string Module1::FileSizeText() {
  const std::string name = view_.SelectedFileName();
  if (Present(name) != Presence::kPresent) return "";
  const auto size = platform_.FileSize(work_dir_ + name);
  if (!size) return "";
  return FileSizeLine(name, *size);
}

void Module1::Form2_Load() { view_.MaximizeViewer(); }

void Module1::Form2_Resize() {
  view_.MaximizeViewer();
  view_.SetViewerTextBoxSizeTwips(ViewerTextBoxSize(view_.ViewerOuterSizeTwips()));
}

void Module1::Form2_Unload() { view_.ClearViewer(); }

void Module1::Menu1_Click() {
  view_.ClearViewer();
  view_.HideViewer();
}

}  // namespace dalvo
