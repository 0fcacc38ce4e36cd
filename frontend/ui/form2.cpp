#include "frontend/ui/form2.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShortcut>

#include "frontend/ui/accessible_names.h"
#include "frontend/ui/fonts.h"
#include "frontend/ui/text_viewer.h"
#include "frontend/ui/twips.h"
#include "frontend/ui/ui_texts.h"

namespace dalvo::ui {
namespace {

constexpr int kClientWidthTwips = 6690;
constexpr int kClientHeightTwips = 5025;

}  // namespace

Form2::Form2(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromLatin1(texts::kForm2Title));

  auto* client = new QWidget(this);
  setCentralWidget(client);
  // Read-only (nothing reads the viewer's text back) but selectable and copyable; every line
  // breaks at the box's edge, which a long number, one line of digits, needs.
  text1_ = new TextViewer(client);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setGeometry(TwipsRect(120, 0, 6495, 4935));
  text1_->setFont(FixedPitchFont(9));
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  // An item directly on the menu bar, without a drop-down: one click triggers it.
  menu1_ = menuBar()->addAction(QString::fromLatin1(texts::kMenu1));
  menu1_->setObjectName(QStringLiteral("Menu1"));
  // Esc closes the viewer as "Close!" does; the caption itself stays as it is.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, menu1_,
          &QAction::trigger);

  resize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  NameUncaptionedControls(*this);
}

int Form2::outerWidthTwips() const { return PixelsToTwips(frameGeometry().width()); }

int Form2::outerHeightTwips() const { return PixelsToTwips(frameGeometry().height()); }

void Form2::setText1SizeTwips(int width, int height) {
  text1_->resize(TwipsToPixels(width), TwipsToPixels(height));
}

void Form2::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  emit resized();
}

void Form2::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) emit resized();
}

void Form2::closeEvent(QCloseEvent* event) {
  emit unloading();
  event->accept();
}

}  // namespace dalvo::ui
