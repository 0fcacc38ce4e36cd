// For the Qt layer's tests only: what a TextViewer shows and what of it is selected, as strings
// with LF between lines, read from the document the viewer shows and its selection. The product
// streams the text (copying, painting) and never holds a whole document in one string.
#ifndef DALVO_FRONTEND_TESTING_TEXT_VIEWER_TEST_SUPPORT_H_
#define DALVO_FRONTEND_TESTING_TEXT_VIEWER_TEST_SUPPORT_H_

#include <string>

#include "text_test_support.h"
#include "text_viewer.h"

namespace dalvo::ui {

inline std::string ShownText(const TextViewer& viewer) {
  return WholeText(viewer.document(), "\n");
}

// "" without a selection.
inline std::string SelectedText(const TextViewer& viewer) {
  const auto [from, to] = viewer.selectionRange();
  return TextBetween(viewer.document(), from, to, "\n");
}

}  // namespace dalvo::ui

#endif  // DALVO_FRONTEND_TESTING_TEXT_VIEWER_TEST_SUPPORT_H_
