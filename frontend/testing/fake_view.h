// FakeView: a View whose controls are plain fields a test sets and reads. It records the status
// texts shown, the beeps and the refreshes, and keeps the viewer's document and its text;
// setting the custom number text calls an optional hook, as the toolkit raises Text1_Change.
// Test use only.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/logic/view.h"

namespace dalvo {

class FakeView : public View {
 public:
  std::string MainCaption() override { return caption_; }
  void SetMainCaption(const std::string& caption) override { caption_ = caption; }
  Size ScreenSize() override { return screen_; }
  Size MainWindowSize() override { return window_; }
  void MoveMainWindow(int left, int top) override {
    left_ = left;
    top_ = top;
  }
  void SetStatus(const std::string& text) override { statuses_.push_back(text); }
  void Beep() override { ++beeps_; }
  void SetButtonEnabled(int index, bool enabled) override;
  bool Option1Selected() override { return option1_; }
  bool Option2Selected() override { return option2_; }
  void SetOption1Selected(bool selected) override;
  void SetOption2Selected(bool selected) override;
  bool Check1Ticked() override { return check1_; }
  std::string CustomNumberText() override { return custom_text_; }
  bool CustomNumberEmpty() override { return custom_text_.empty(); }
  void SetCustomNumberText(const std::string& text) override;
  void FocusCustomNumber() override { ++focus_count_; }
  void SetFileListPattern(const std::string& pattern) override { list_pattern_ = pattern; }
  void SetFileListDir(const std::string& dir) override { list_dir_ = dir; }
  void RefreshFileList(const std::vector<std::string>& names) override {
    ++refreshes_;
    listed_ = names;
  }
  std::string SelectedFileName() override { return selected_; }
  void SetTimerEnabled(bool enabled) override { timer_enabled_ = enabled; }
  void ClearViewer() override;
  // Indexes the document whole, as the viewer's steps would, keeps it and records its text
  // with every line break as CR LF.
  void SetViewerDocument(std::unique_ptr<ViewerDocument> document) override;
  void ShowViewer() override { viewer_visible_ = true; }
  void HideViewer() override { viewer_visible_ = false; }
  void UnloadViewer() override;
  void MaximizeViewer() override { viewer_maximized_ = true; }
  Size ViewerOuterSizeTwips() override { return viewer_outer_; }
  void SetViewerTextBoxSizeTwips(Size size) override { viewer_box_ = size; }

  // The last status text, "" before the first.
  std::string Status() const { return statuses_.empty() ? "" : statuses_.back(); }
  // Enabled state of Command1..Command7 as a string of seven '1'/'0', e.g. "1001111".
  std::string Buttons() const;

  std::string caption_ = "Dalvo  -  Last updated: 2000-02-26";
  Size screen_{1920, 1080};
  Size window_{513, 385};
  int left_ = -1;
  int top_ = -1;
  std::vector<std::string> statuses_;
  int beeps_ = 0;
  std::array<bool, 8> buttons_{};  // [1]..[7]; all start enabled, as designed
  bool option1_ = true;
  bool option2_ = false;
  bool check1_ = true;
  std::string custom_text_;
  std::function<void()> on_custom_text_change_;
  int focus_count_ = 0;
  std::string list_pattern_;
  std::string list_dir_;
  int refreshes_ = 0;
  std::vector<std::string> listed_;  // the names of the last refresh
  std::string selected_;
  bool timer_enabled_ = false;
  bool viewer_loaded_ = false;
  bool viewer_visible_ = false;
  bool viewer_maximized_ = false;
  int viewer_loads_ = 0;
  int viewer_unloads_ = 0;
  std::string viewer_text_;
  std::unique_ptr<ViewerDocument> viewer_document_;  // the last document set, if any
  std::vector<std::string> viewer_texts_;  // every text set, in order
  Size viewer_outer_{28800, 16200};
  Size viewer_box_{};

 private:
  // Loads the viewer if needed and records `text` as what it shows.
  void ShowViewerText(const std::string& text);
};

}  // namespace dalvo
