// Names for screen readers of the controls that have no caption to read out: the two text
// boxes, the file list and the status line. Found by object name, so they apply to whatever
// widget carries that name when the window has been built.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace dalvo::ui {

// Gives the uncaptioned controls of `window` ("Form1" or "Form2", by object name) their
// accessible names. A control it does not find is left alone; another window is not touched.
void NameUncaptionedControls(QWidget& window);

// Shows `text` in the status line `label` and names the label "Status: " and the text. A fixed
// name would hide the text from a screen reader, which reads a label's name, not its text.
void SetStatusText(QLabel& label, const QString& text);

}  // namespace dalvo::ui
