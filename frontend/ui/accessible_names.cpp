#include "frontend/ui/accessible_names.h"

#include <QLabel>
#include <QWidget>

namespace dalvo::ui {
namespace {

constexpr char kStatusName[] = "Status";

struct AccessibleName {
  const char* window;
  const char* control;
  const char* name;
};

constexpr AccessibleName kNames[] = {
    {"Form1", "Text1", "Custom number"},
    {"Form1", "File1", "Number files"},
    {"Form1", "Label1", kStatusName},
    {"Form2", "Text1", "Viewed text"},
};

}  // namespace

void NameUncaptionedControls(QWidget& window) {
  for (const AccessibleName& entry : kNames) {
    if (window.objectName() != QLatin1String(entry.window)) continue;
    if (auto* control = window.findChild<QWidget*>(QLatin1String(entry.control))) {
      control->setAccessibleName(QLatin1String(entry.name));
    }
  }
}

void SetStatusText(QLabel& label, const QString& text) {
  label.setText(text);
  const QString name = QLatin1String(kStatusName);
  label.setAccessibleName(text.isEmpty() ? name : name + QStringLiteral(": ") + text);
}

}  // namespace dalvo::ui
