// The viewer: a window with one text box and a menu bar whose only item is "Close!". It shows
// whatever text it is given and reports its window events as signals; keeping it maximized and
// sizing the text box are left to whoever handles those signals.
#pragma once

#include <QMainWindow>

class QAction;

namespace dalvo::ui {

class TextViewer;

class Form2 : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the hidden viewer: Text1 empty at (120, 0) twips of the client area, Menu1 on the
  // menu bar.
  explicit Form2(QWidget* parent = nullptr);

  TextViewer* text1() const { return text1_; }
  // The menu bar's only item, "Close!"; triggered when the user clicks it.
  QAction* menu1() const { return menu1_; }

  // The window's outer width and height in twips (the frame included where the window system
  // has one).
  int outerWidthTwips() const;
  int outerHeightTwips() const;

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
  TextViewer* text1_;
  QAction* menu1_;
};

}  // namespace dalvo::ui
