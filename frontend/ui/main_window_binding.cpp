#include "frontend/ui/main_window_binding.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "frontend/ui/file_list_box.h"
#include "frontend/ui/form1.h"
#include "frontend/ui/form2.h"
#include "frontend/ui/number_edit.h"

namespace dalvo::ui {

MainWindowBinding::MainWindowBinding(Platform& platform)
    : form1_(std::make_unique<Form1>()),
      view_(std::make_unique<QtView>(*form1_)),
      module_(std::make_unique<Module1>(platform, *view_)) {
  connectMainWindow();
  connectViewer();
}

// The view goes before the window it borrows, and the logic before the view.
MainWindowBinding::~MainWindowBinding() {
  module_.reset();
  view_.reset();
}

StartupResult MainWindowBinding::start() {
  StartupResult result = module_->Form_Load();
  if (result.ok) form1_->show();
  return result;
}

void MainWindowBinding::connectMainWindow() {
  Form1* form = form1_.get();
  Module1* module = module_.get();

  QObject::connect(form, &Form1::activated, form, [module] { module->Form_Activate(); });
  QObject::connect(form, &Form1::unloading, form, [module] { module->Form_Unload(); });

  void (Module1::*const clicks[7])() = {
      &Module1::Command1_Click, &Module1::Command2_Click, &Module1::Command3_Click,
      &Module1::Command4_Click, &Module1::Command5_Click, &Module1::Command6_Click,
      &Module1::Command7_Click,
  };
  for (int i = 0; i < 7; ++i) {
    QObject::connect(form->command(i + 1), &QPushButton::clicked, form,
                     [module, click = clicks[i]] { (module->*click)(); });
  }

  QObject::connect(form->text1(), &NumberEdit::textChanged, form,
                   [module] { module->Text1_Change(); });

  FileListBox* list = form->file1();
  QObject::connect(list, &QListWidget::itemClicked, form, [module] { module->File1_Click(); });
  // Moving the selection with the keyboard is a click too; a mouse press moves it as well, but
  // then itemClicked follows on release and reports it once. Focus arriving by Tab makes a row
  // current without selecting it: that is no click, and would only report a missing file.
  QObject::connect(list, &QListWidget::currentItemChanged, form,
                   [module](QListWidgetItem* current) {
                     if (current != nullptr && current->isSelected() &&
                         QApplication::mouseButtons() == Qt::NoButton) {
                       module->File1_Click();
                     }
                   });
  QObject::connect(list, &QListWidget::itemDoubleClicked, form,
                   [module] { module->File1_DblClick(); });

  QObject::connect(form->timer1(), &QTimer::timeout, form, [module] { module->Timer1_Timer(); });
}

void MainWindowBinding::connectViewer() {
  QtView* view = view_.get();
  Module1* module = module_.get();
  // The viewer comes and goes with the logic's calls, so its own events are connected each
  // time one is made; they go with it when it is destroyed.
  QObject::connect(view, &QtView::viewerCreated, view, [module](Form2* viewer) {
    QObject::connect(viewer, &Form2::resized, viewer, [module] { module->Form2_Resize(); });
    QObject::connect(viewer->menu1(), &QAction::triggered, viewer,
                     [module] { module->Menu1_Click(); });
    module->Form2_Load();
  });
  QObject::connect(view, &QtView::viewerUnloading, view, [module] { module->Form2_Unload(); });
}

}  // namespace dalvo::ui
