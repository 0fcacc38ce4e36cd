#include "form2.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>

#include <algorithm>

#include "accessible_names.h"
#include "fonts.h"
#include "twips.h"
#include "ui_texts.h"

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
  text1_ = new QPlainTextEdit(client);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setGeometry(TwipsRect(120, 0, 6495, 4935));
  text1_->setFont(FixedPitchFont(9));
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text1_->setReadOnly(true);  // a viewer: nothing reads its text back
  // A long number is one line of digits without a blank; it must break anywhere, prose at
  // word boundaries (setText1Text chooses for each text).
  text1_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

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

void Form2::setText1Text(const QString& text) {
  qsizetype longest = 0;
  qsizetype start = 0;
  while (start <= text.size()) {
    qsizetype end = text.indexOf(QLatin1Char('\n'), start);
    if (end < 0) end = text.size();
    // The logic ends every line with CRLF; the CR is no character of the line.
    const qsizetype length = end - start - (end > start && text[end - 1] == QLatin1Char('\r'));
    longest = std::max(longest, length);
    start = end + 1;
  }
  text1_->setWordWrapMode(longest >= kBreakAnywhereChars
                              ? QTextOption::WrapAnywhere
                              : QTextOption::WrapAtWordBoundaryOrAnywhere);
  text1_->setPlainText(text);
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
