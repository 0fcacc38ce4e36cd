// TextViewer: the viewer's text box (Form2's Text1). Read-only: it shows a ViewerDocument, the
// whole file at any size, from its top, and lets the user select and copy any part of it. It
// owns the document it shows. Nothing fails.
#pragma once

#include <memory>

#include "text_area.h"
#include "viewer_document.h"

namespace dalvo::ui {

class TextViewer : public TextArea {
  Q_OBJECT

 public:
  // Starts empty.
  explicit TextViewer(QWidget* parent = nullptr);

  // Shows `document` (nullptr: an empty text) from its top, the caret at its start; the
  // previous document is released.
  void setDocument(std::unique_ptr<const ViewerDocument> document);
  const ViewerDocument& document() const { return *document_; }

 private:
  std::unique_ptr<const ViewerDocument> document_;
};

}  // namespace dalvo::ui
