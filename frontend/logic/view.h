// View: the abstract seam to the two windows' controls that the logic reads and sets: the
// main window (Form1) and the built-in viewer (Form2). The windows own their controls; the
// logic only calls these functions from the user-interface thread. The real implementation
// lives in frontend/ui/, the test double is FakeView. None of these calls can fail.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frontend/logic/viewer_document.h"

namespace dalvo {

struct Size {
  int width = 0;
  int height = 0;
};

class View {
 public:
  virtual ~View() = default;

  // --- Main window (Form1) ---

  // The main window's caption. At start-up it holds the designed caption.
  virtual std::string MainCaption() = 0;
  virtual void SetMainCaption(const std::string& caption) = 0;

  // Screen and main-window geometry in the view's own unit (any unit, the same for all
  // three); the logic centres the window with them.
  virtual Size ScreenSize() = 0;
  virtual Size MainWindowSize() = 0;
  virtual void MoveMainWindow(int left, int top) = 0;

  // The status label Label1.
  virtual void SetStatus(const std::string& text) = 0;

  // The system's warning beep.
  virtual void Beep() = 0;

  // Enabled state of Command1 .. Command7; `index` is 1..7, others are ignored.
  virtual void SetButtonEnabled(int index, bool enabled) = 0;

  // The option buttons Option1 (127 verses) and Option2 (129 verses), one group: selecting one
  // clears the other.
  virtual bool Option1Selected() = 0;
  virtual bool Option2Selected() = 0;
  virtual void SetOption1Selected(bool selected) = 0;
  virtual void SetOption2Selected(bool selected) = 0;

  // The check box Check1 ("automatically view the results"): true when ticked.
  virtual bool Check1Ticked() = 0;

  // The custom number box Text1 of the main window. Setting it raises Text1_Change through
  // the toolkit like any other change; the logic never calls Text1_Change itself.
  // Its text is UTF-8, with the decimal digits of any script given as the ASCII digits they
  // stand for: the number the engine is to divide.
  virtual std::string CustomNumberText() = 0;
  // Whether Text1 holds no text; cheap whatever its length (asked after every keystroke).
  virtual bool CustomNumberEmpty() = 0;
  virtual void SetCustomNumberText(const std::string& text) = 0;
  virtual void FocusCustomNumber() = 0;

  // The file list File1: its pattern ("*.txt") and directory, and its refresh with the names
  // the logic listed there (bare names, bytes as the file system gives them, in list order;
  // shown however the toolkit decodes them). The selected name stays selected while it is
  // still listed. SelectedFileName gives the bytes of the selected entry, exactly as listed,
  // or "" when nothing is selected.
  virtual void SetFileListPattern(const std::string& pattern) = 0;
  virtual void SetFileListDir(const std::string& dir) = 0;
  virtual void RefreshFileList(const std::vector<std::string>& names) = 0;
  virtual std::string SelectedFileName() = 0;

  // Timer1 (interval 50 ms, owned by the window); the window calls Module1::Timer1_Timer on
  // every tick while it is enabled.
  virtual void SetTimerEnabled(bool enabled) = 0;

  // --- Viewer (Form2) ---

  // Empties the viewer's text box; creates (and loads: Form2_Load) the viewer if it does not
  // exist.
  virtual void ClearViewer() = 0;
  // Shows `document` in the viewer's text box from its top; the viewer owns it from now on and
  // indexes what is not indexed yet a step at a time (IndexMore), showing what it has so far.
  // Creates the viewer like ClearViewer.
  virtual void SetViewerDocument(std::unique_ptr<ViewerDocument> document) = 0;
  virtual void ShowViewer() = 0;
  virtual void HideViewer() = 0;
  // Closes and destroys the viewer (its Form2_Unload runs); the next ClearViewer recreates it.
  virtual void UnloadViewer() = 0;
  // Sets the viewer's window state to maximized.
  virtual void MaximizeViewer() = 0;
  // The viewer window's outer size and its text box's size, both in twips (15 to the pixel
  // at 96 dots per inch).
  virtual Size ViewerOuterSizeTwips() = 0;
  virtual void SetViewerTextBoxSizeTwips(Size size) = 0;
};

}  // namespace dalvo
