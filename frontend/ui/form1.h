// The main window: every command of the program, laid out at fixed positions in a client area
// of fixed size. It owns its controls and its timer; it decides nothing itself but reports its
// window events as signals, which the binding passes on to the logic.
#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace dalvo::ui {

class FileListBox;
class NumberEdit;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the window with all controls in their design state: Option1 selected, Check1
  // ticked, Timer1 off with an interval of 50 ms, Label1 and Text1 empty. Not yet shown.
  explicit Form1(QWidget* parent = nullptr);

  // The controls, named as in the design; each widget's objectName is that name too. The
  // window owns them; the pointers stay valid for the window's life. Only the tests read
  // frame1(): they check that the options and Command1 lie inside it.
  QGroupBox* frame1() const { return frame1_; }
  QRadioButton* option1() const { return option1_; }
  QRadioButton* option2() const { return option2_; }
  // Command1 to Command7; `number` outside 1..7 is a programming error (asserted).
  QPushButton* command(int number) const;
  QLabel* label1() const { return label1_; }
  QLabel* label2() const { return label2_; }
  NumberEdit* text1() const { return text1_; }
  QCheckBox* check1() const { return check1_; }
  FileListBox* file1() const { return file1_; }
  QTimer* timer1() const { return timer1_; }

 signals:
  // The window has become the active window.
  void activated();
  // The window is being closed; emitted once per close, which is never refused.
  void unloading();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QGroupBox* frame1_;
  QRadioButton* option1_;
  QRadioButton* option2_;
  QPushButton* commands_[7];
  QLabel* label1_;
  QLabel* label2_;
  NumberEdit* text1_;
  QCheckBox* check1_;
  FileListBox* file1_;
  QTimer* timer1_;
};

}  // namespace dalvo::ui
