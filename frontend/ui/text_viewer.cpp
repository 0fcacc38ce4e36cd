#include "frontend/ui/text_viewer.h"

#include <QEvent>
#include <QTimer>
#include <QTimerEvent>

#include <cstdint>

#include "frontend/logic/viewer_sizes.h"

namespace dalvo::ui {

TextViewer::TextViewer(QWidget* parent) : TextArea(parent) {
  setDocument(std::unique_ptr<const ViewerDocument>());
}

void TextViewer::setDocument(std::unique_ptr<ViewerDocument> document) {
  if (document == nullptr) {
    setDocument(std::unique_ptr<const ViewerDocument>());
    return;
  }
  ViewerDocument* live = document.get();
  showDocument(std::move(document), live);
}

void TextViewer::setDocument(std::unique_ptr<const ViewerDocument> document) {
  if (document == nullptr) {
    document = std::make_unique<const ViewerDocument>(ViewerDocument::FromText(""));
  }
  showDocument(std::move(document), nullptr);
}

void TextViewer::showDocument(std::unique_ptr<const ViewerDocument> document,
                              ViewerDocument* live) {
  index_timer_.stop();
  // The area lets go of the old text before it is released.
  setLines(*document);
  document_ = std::move(document);
  live_ = live;
  if (live_ != nullptr && !live_->Indexed()) index_timer_.start(0, this);
}

void TextViewer::indexSlice() {
  // The last line indexed may still grow; the lines before it are final.
  const std::uint64_t first_changed = live_->LineCount() - 1;
  QElapsedTimer clock;
  clock.start();
  IndexProgress progress = IndexProgress::kMore;
  while (progress == IndexProgress::kMore && clock.elapsed() < kIndexSliceMs) {
    progress = live_->IndexMore(kViewerIndexStep);
  }
  const bool done = progress != IndexProgress::kMore;
  if (done) index_timer_.stop();
  relayoutAppended(first_changed);
}

void TextViewer::timerEvent(QTimerEvent* event) {
  if (event->timerId() == index_timer_.timerId()) {
    indexSlice();
    return;
  }
  TextArea::timerEvent(event);
}

bool TextViewer::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      if (live_ != nullptr && live_->Recheck()) relayoutAppended(0);
      break;
    default:
      break;
  }
  return TextArea::event(event);
}

void TextViewer::paintEvent(QPaintEvent* event) {
  // Laid out again after this paint, not inside it: the rows painted now read the cut lines as
  // blanks or shorter, never past what is there.
  if (live_ != nullptr && live_->Recheck()) {
    QTimer::singleShot(0, this, [this] { relayoutAppended(0); });
  }
  TextArea::paintEvent(event);
}

}  // namespace dalvo::ui
