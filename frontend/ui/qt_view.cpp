#include "frontend/ui/qt_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "frontend/ui/accessible_names.h"
#include "frontend/ui/file_list_box.h"
#include "frontend/ui/form1.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/number_edit.h"
#include "frontend/ui/text_viewer.h"
#include "frontend/ui/ui_texts.h"

namespace dalvo::ui {
namespace {

// Texts cross the seam as UTF-8, the file system's and the terminal's encoding here.
QString ToQt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtView::QtView(Form1& form1) : form1_(form1) {
  connect(form1_.text1(), &TextArea::copyRefused, this, &QtView::reportCopyRefused);
}

void QtView::reportCopyRefused() {
  SetStatus(texts::kCopyTooLarge);
  QApplication::beep();
}

QtView::~QtView() { delete viewer_.data(); }

std::string QtView::MainCaption() { return form1_.windowTitle().toStdString(); }

void QtView::SetMainCaption(const std::string& caption) { form1_.setWindowTitle(ToQt(caption)); }

Size QtView::ScreenSize() {
  const QScreen* screen = form1_.screen();
  if (screen == nullptr) return {};
  const QSize size = screen->geometry().size();
  return {size.width(), size.height()};
}

Size QtView::MainWindowSize() {
  const QSize size = form1_.frameGeometry().size();
  return {size.width(), size.height()};
}

void QtView::MoveMainWindow(int left, int top) {
  const QScreen* screen = form1_.screen();
  const QPoint origin = screen != nullptr ? screen->geometry().topLeft() : QPoint();
  form1_.move(origin + QPoint(left, top));
}

void QtView::SetStatus(const std::string& text) {
  QLabel* label = form1_.label1();
  SetStatusText(*label, ToQt(text));
  // The label holds one line; a longer text can still be read whole by pointing at it.
  label->setToolTip(label->text());
}

void QtView::Beep() { QApplication::beep(); }

void QtView::SetButtonEnabled(int index, bool enabled) {
  if (index < 1 || index > 7) return;
  form1_.command(index)->setEnabled(enabled);
}

bool QtView::Option1Selected() { return form1_.option1()->isChecked(); }

bool QtView::Option2Selected() { return form1_.option2()->isChecked(); }

void QtView::SetOption1Selected(bool selected) { form1_.option1()->setChecked(selected); }

void QtView::SetOption2Selected(bool selected) { form1_.option2()->setChecked(selected); }

bool QtView::Check1Ticked() { return form1_.check1()->isChecked(); }

std::string QtView::CustomNumberText() { return form1_.text1()->numberText(); }

bool QtView::CustomNumberEmpty() { return form1_.text1()->isEmpty(); }

void QtView::SetCustomNumberText(const std::string& text) {
  form1_.text1()->setText(text);  // emits textChanged, as typing does
}

void QtView::FocusCustomNumber() { form1_.text1()->setFocus(Qt::OtherFocusReason); }

void QtView::SetFileListPattern(const std::string& pattern) {
  form1_.file1()->setPattern(ToQt(pattern));
}

void QtView::SetFileListDir(const std::string& dir) { form1_.file1()->setPath(ToQt(dir)); }

void QtView::RefreshFileList(const std::vector<std::string>& names) {
  QList<QByteArray> bytes;
  bytes.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& name : names) bytes.append(QByteArray::fromStdString(name));
  form1_.file1()->setNames(bytes);
}

std::string QtView::SelectedFileName() { return form1_.file1()->fileNameBytes().toStdString(); }

void QtView::SetTimerEnabled(bool enabled) {
  if (enabled) {
    form1_.timer1()->start();
  } else {
    form1_.timer1()->stop();
  }
}

void QtView::ClearViewer() {
  ensureViewer().text1()->setDocument(
      std::make_unique<const ViewerDocument>(ViewerDocument::FromText("")));
}

void QtView::SetViewerDocument(std::unique_ptr<ViewerDocument> document) {
  ensureViewer().text1()->setDocument(std::move(document));
}

void QtView::ShowViewer() {
  Form2& viewer = ensureViewer();
  viewer.show();
  viewer.raise();
  viewer.activateWindow();
}

void QtView::HideViewer() {
  if (viewer_) viewer_->hide();
}

void QtView::UnloadViewer() {
  if (!viewer_) return;
  viewer_->close();
  // A window that was never shown may be closed without a close event; unload it all the same.
  if (viewer_) letViewerGo();
}

void QtView::MaximizeViewer() {
  if (!viewer_) return;
  // WindowActive may be set beside the state proper; only minimized, restored or full screen
  // need a change.
  const Qt::WindowStates state = viewer_->windowState() & ~Qt::WindowActive;
  if (state != Qt::WindowMaximized) viewer_->setWindowState(Qt::WindowMaximized);
}

Size QtView::ViewerOuterSizeTwips() {
  if (!viewer_) return {};
  return {viewer_->outerWidthTwips(), viewer_->outerHeightTwips()};
}

void QtView::SetViewerTextBoxSizeTwips(Size size) {
  if (viewer_) viewer_->setText1SizeTwips(size.width, size.height);
}

Form2& QtView::ensureViewer() {
  if (viewer_) return *viewer_;
  viewer_ = new Form2();
  QObject::connect(viewer_.data(), &Form2::unloading, this, &QtView::letViewerGo);
  QObject::connect(viewer_->text1(), &TextArea::copyRefused, this, &QtView::reportCopyRefused);
  emit viewerCreated(viewer_.data());
  return *viewer_;
}

void QtView::letViewerGo() {
  if (!viewer_) return;
  // The receivers may still talk to the viewer (the logic empties the text box), so it is let
  // go only afterwards; deleteLater because the close event may still be on the stack.
  emit viewerUnloading();
  Form2* leaving = viewer_.data();
  viewer_.clear();
  leaving->hide();
  leaving->deleteLater();
}

}  // namespace dalvo::ui
