// QtView: the logic's View over the real windows. It borrows the main window and owns the
// viewer window, which it creates on first use and destroys when the viewer is unloaded. The
// viewer's own events are passed to the hooks the binding sets; nothing here can fail.
#pragma once

#include <QPointer>

#include <functional>
#include <string>

#include "form2.h"
#include "view.h"

namespace dalvo::ui {

class Form1;

// What the viewer window reports; each hook may be empty.
struct ViewerHooks {
  std::function<void()> load;    // the viewer has just been created (before it is shown)
  std::function<void()> resize;  // its size or window state has changed
  std::function<void()> unload;  // it is being closed; it still exists while this runs
  std::function<void()> menu1;   // "Close!" was clicked
};

class QtView : public View {
 public:
  // Borrows `form1`, which must outlive this view.
  explicit QtView(Form1& form1);
  ~QtView() override;
  QtView(const QtView&) = delete;
  QtView& operator=(const QtView&) = delete;

  // Replaces the viewer hooks; takes effect for the next viewer event.
  void setViewerHooks(ViewerHooks hooks) { hooks_ = std::move(hooks); }

  // The viewer window while it is loaded, else nullptr.
  Form2* viewer() const { return viewer_; }

  std::string MainCaption() override;
  void SetMainCaption(const std::string& caption) override;
  // In pixels; the window is moved relative to the top-left corner of its screen.
  Size ScreenSize() override;
  Size MainWindowSize() override;
  void MoveMainWindow(int left, int top) override;
  void SetStatus(const std::string& text) override;
  void Beep() override;
  void SetButtonEnabled(int index, bool enabled) override;
  bool Option1Selected() override;
  bool Option2Selected() override;
  void SetOption1Selected(bool selected) override;
  void SetOption2Selected(bool selected) override;
  bool Check1Ticked() override;
  std::string CustomNumberText() override;
  bool CustomNumberEmpty() override;
  void SetCustomNumberText(const std::string& text) override;
  void FocusCustomNumber() override;
  void SetFileListPattern(const std::string& pattern) override;
  void SetFileListDir(const std::string& dir) override;
  void RefreshFileList(const std::vector<std::string>& names) override;
  std::string SelectedFileName() override;
  void SetTimerEnabled(bool enabled) override;

  void SetViewerText(const std::string& text) override;
  void SetViewerDocument(std::unique_ptr<const ViewerDocument> document) override;
  void ShowViewer() override;
  void HideViewer() override;
  void UnloadViewer() override;
  void MaximizeViewer() override;
  Size ViewerOuterSizeTwips() override;
  void SetViewerTextBoxSizeTwips(Size size) override;

 private:
  // The viewer, created (and its load hook run) when it does not exist.
  Form2& ensureViewer();
  // Runs the unload hook, then lets go of the viewer and has it destroyed.
  void viewerUnloading();

  Form1& form1_;
  QPointer<Form2> viewer_;
  ViewerHooks hooks_;
};

}  // namespace dalvo::ui
