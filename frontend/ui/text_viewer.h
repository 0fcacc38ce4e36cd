// TextViewer: the viewer's text box (Form2's Text1). Read-only: it shows a ViewerDocument, a
// file of any size read on demand, from its top, and lets the user select and copy any part
// of it. It owns the document it shows; what is not indexed yet it indexes a slice at a time
// between the window's events, the rows of the lines added laid out after each slice, the scroll
// range growing, so the window answers while a large file is indexed. Nothing fails.
#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>

#include <memory>

#include "frontend/logic/viewer_document.h"
#include "frontend/ui/text_area.h"

namespace dalvo::ui {

class TextViewer : public TextArea {
  Q_OBJECT

 public:
  // Indexing works in slices of about this long before the window's events have their turn.
  static constexpr int kIndexSliceMs = 25;

  // Starts empty.
  explicit TextViewer(QWidget* parent = nullptr);

  // Shows `document` from its top, the caret at its start, and indexes the rest of it; the
  // previous document is released (its file let go of).
  void setDocument(std::unique_ptr<ViewerDocument> document);
  // Shows a document as it stands, never indexed further (nullptr: an empty text).
  void setDocument(std::unique_ptr<const ViewerDocument> document);
  const ViewerDocument& document() const { return *document_; }
  // Whether the document shown is still being indexed, or its rows laid out.
  bool indexing() const { return index_timer_.isActive() || !laidOut(); }

 protected:
  // Each paint and each key first asks the document whether its file was cut shorter under it,
  // and lays the text out again when it was (after the paint, before the key).
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void showDocument(std::unique_ptr<const ViewerDocument> document, ViewerDocument* live);
  // One slice of indexing, then the rows of the lines it added.
  void indexSlice();

  std::unique_ptr<const ViewerDocument> document_;
  ViewerDocument* live_ = nullptr;  // document_ itself when it was handed over to be indexed
  QBasicTimer index_timer_;
};

}  // namespace dalvo::ui
