// The program's icon for its windows: the one installed for the desktop's menus, or the copy
// built into the program where none is installed (a run from the build folder).
#pragma once

#include <QIcon>

namespace dalvo::ui {

// The icon named "dalvogui" in the icon theme, else the built-in copy of data/dalvogui.svg.
// Drawing either needs Qt's SVG icon engine (package libqt6svg6); without it the icon is empty.
QIcon ProgramIcon();

}  // namespace dalvo::ui
