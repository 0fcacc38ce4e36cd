// For the Qt layer's tests only: the two text boxes shown and focused, a document from a string,
// and what a TextViewer shows and what of it is selected, as strings with LF between lines. The
// product streams the text (copying, painting) and never holds a whole document in one string.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frontend/logic/viewer_document.h"
#include "frontend/testing/text_test_support.h"
#include "frontend/ui/text_viewer.h"

namespace dalvo::ui {

// A shown box of `width` x `height` pixels with the keyboard focus; a box that does not become
// the active window is a test failure, not a crash.
template <typename Box>
std::unique_ptr<Box> Shown(int width, int height) {
  auto box = std::make_unique<Box>();
  box->resize(width, height);
  box->show();
  box->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(box.get()));
  box->setFocus();
  return box;
}

// `text` as a whole document, ready for TextViewer::setDocument.
inline std::unique_ptr<const ViewerDocument> Document(const std::string& text) {
  return std::make_unique<const ViewerDocument>(ViewerDocument::FromText(text));
}

// Everything the viewer shows.
inline std::string ShownText(const TextViewer& viewer) {
  return WholeText(viewer.document(), "\n");
}

// "" without a selection.
inline std::string SelectedText(const TextViewer& viewer) {
  const auto [from, to] = viewer.selectionRange();
  return TextBetween(viewer.document(), from, to, "\n");
}

}  // namespace dalvo::ui
