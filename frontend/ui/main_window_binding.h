// The program's windows bound to its logic: owns the main window, the View over it and
// Module1, and connects every handled event of both windows to Module1's handler. It holds no
// rule of its own. Borrows the Platform, which must outlive it.
#pragma once

#include <QString>

#include <memory>

#include "frontend/logic/module1.h"
#include "frontend/ui/qt_view.h"

namespace dalvo::ui {

class Form1;

class MainWindowBinding {
 public:
  // Builds the windows and the logic; nothing is loaded or shown yet.
  explicit MainWindowBinding(Platform& platform);
  ~MainWindowBinding();
  MainWindowBinding(const MainWindowBinding&) = delete;
  MainWindowBinding& operator=(const MainWindowBinding&) = delete;

  // Runs the main window's Load event; on success shows the window. On failure the window
  // stays hidden and the result's message says why.
  [[nodiscard]] StartupResult start();

  Form1& form1() { return *form1_; }
  QtView& view() { return *view_; }
  Module1& module() { return *module_; }

 private:
  void connectMainWindow();
  void connectViewer();

  std::unique_ptr<Form1> form1_;
  std::unique_ptr<QtView> view_;
  std::unique_ptr<Module1> module_;
};

}  // namespace dalvo::ui
