#include "text_viewer.h"

namespace dalvo::ui {

TextViewer::TextViewer(QWidget* parent) : TextArea(parent) { setDocument(nullptr); }

void TextViewer::setDocument(std::unique_ptr<const ViewerDocument> document) {
  if (document == nullptr) {
    document = std::make_unique<const ViewerDocument>(ViewerDocument::FromText(""));
  }
  // The area lets go of the old text before it is released.
  setLines(*document);
  document_ = std::move(document);
}

}  // namespace dalvo::ui
