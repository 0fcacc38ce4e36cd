// The viewer: a window with one text box and a menu bar whose only item is "Close!". It shows
// whatever text it is given and reports its window events as signals; keeping it maximized and
// sizing the text box are left to whoever handles those signals.
#pragma once

#include <QMainWindow>

class QAction;
class QPlainTextEdit;

namespace dalvo::ui {

class Form2 : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the hidden viewer: Text1 empty at (120, 0) twips of the client area, Menu1 on the
  // menu bar.
  explicit Form2(QWidget* parent = nullptr);

  QPlainTextEdit* text1() const { return text1_; }
  // The menu bar's only item, "Close!"; triggered when the user clicks it.
  QAction* menu1() const { return menu1_; }

  // The window's outer width and height in twips (the frame included where the window system
  // has one).
  int outerWidthTwips() const;
  int outerHeightTwips() const;

  // Lines at least this long are broken anywhere rather than at word boundaries.
  static constexpr qsizetype kBreakAnywhereChars = 4096;

  // Sets Text1's whole text at once. When a line of `text` holds kBreakAnywhereChars or more
  // characters, lines break anywhere (laying out a long line without a blank at word boundaries
  // takes time growing with its square); otherwise at word boundaries, or anywhere inside a
  // word wider than the box.
  void setText1Text(const QString& text);

  // Sizes Text1 in twips; it keeps its position.
  void setText1SizeTwips(int width, int height);

 signals:
  // The window's size or state has changed (also when it is first shown).
  void resized();
  // The window is being closed through the window system; the close is never refused.
  void unloading();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPlainTextEdit* text1_;
  QAction* menu1_;
};

}  // namespace dalvo::ui
