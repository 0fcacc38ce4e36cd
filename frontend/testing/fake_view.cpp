#include "frontend/testing/fake_view.h"

#include "frontend/logic/viewer_sizes.h"
#include "frontend/testing/text_test_support.h"

namespace dalvo {

void FakeView::SetButtonEnabled(int index, bool enabled) {
  if (index >= 1 && index <= 7) buttons_[static_cast<std::size_t>(index)] = enabled;
}

void FakeView::SetOption1Selected(bool selected) {
  option1_ = selected;
  if (selected) option2_ = false;
}

void FakeView::SetOption2Selected(bool selected) {
  option2_ = selected;
  if (selected) option1_ = false;
}

void FakeView::SetCustomNumberText(const std::string& text) {
  const bool changed = text != custom_text_;
  custom_text_ = text;
  if (changed && on_custom_text_change_) on_custom_text_change_();
}

void FakeView::ClearViewer() { ShowViewerText(""); }

void FakeView::ShowViewerText(const std::string& text) {
  if (!viewer_loaded_) {
    viewer_loaded_ = true;
    ++viewer_loads_;
  }
  viewer_text_ = text;
  viewer_texts_.push_back(text);
  viewer_document_.reset();
}

void FakeView::SetViewerDocument(std::unique_ptr<ViewerDocument> document) {
  while (document->IndexMore(kViewerIndexStep) == IndexProgress::kMore) {
  }
  ShowViewerText(WholeText(*document, "\r\n"));
  viewer_document_ = std::move(document);
}

void FakeView::UnloadViewer() {
  if (viewer_loaded_) ++viewer_unloads_;
  viewer_loaded_ = false;
  viewer_visible_ = false;
  viewer_text_.clear();
  viewer_document_.reset();
}

std::string FakeView::Buttons() const {
  std::string s;
  for (std::size_t i = 1; i <= 7; ++i) s += buttons_[i] ? '1' : '0';
  return s;
}

}  // namespace dalvo
