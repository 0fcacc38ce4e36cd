// QtView: the logic's View over the real windows. It borrows the main window and owns the
// viewer window, which it creates on first use and destroys when the viewer is unloaded. The
// viewer's coming and going are signals, which the binding connects like every other window
// event; nothing here can fail.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

#include "frontend/logic/view.h"
#include "frontend/ui/form2.h"

namespace dalvo::ui {

class Form1;

class QtView : public QObject, public View {
  Q_OBJECT

 public:
  // Borrows `form1`, which must outlive this view.
  explicit QtView(Form1& form1);
  ~QtView() override;
  QtView(const QtView&) = delete;
  QtView& operator=(const QtView&) = delete;

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

  void ClearViewer() override;
  void SetViewerDocument(std::unique_ptr<ViewerDocument> document) override;
  void ShowViewer() override;
  void HideViewer() override;
  void UnloadViewer() override;
  void MaximizeViewer() override;
  Size ViewerOuterSizeTwips() override;
  void SetViewerTextBoxSizeTwips(Size size) override;

 signals:
  // The viewer has just been created, before it is shown; its own events (resized, "Close!")
  // can be connected now. Emitted synchronously from whichever View call needed the viewer.
  void viewerCreated(Form2* viewer);
  // The viewer is being closed; it still exists while the receivers run, and is let go after.
  void viewerUnloading();

 private:
  // The viewer, created (and viewerCreated emitted) when it does not exist.
  Form2& ensureViewer();
  // Emits viewerUnloading, then lets go of the viewer and has it destroyed.
  void letViewerGo();
  // Either text box refused to copy a selection too large for the clipboard: the status line
  // says so.
  void reportCopyRefused();

  Form1& form1_;
  QPointer<Form2> viewer_;
};

}  // namespace dalvo::ui
