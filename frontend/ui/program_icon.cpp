#include "frontend/ui/program_icon.h"

namespace dalvo::ui {

QIcon ProgramIcon() {
  // The theme first, so an icon theme that draws its own "dalvogui" is followed here too.
  return QIcon::fromTheme(QStringLiteral("dalvogui"), QIcon(QStringLiteral(":/dalvogui.svg")));
}

}  // namespace dalvo::ui
