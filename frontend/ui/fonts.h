// The fonts of the two windows: a fixed-pitch font for the text boxes and a caption font small
// enough for the main window's sentences to fit their buttons. Fonts differ between desktops,
// so both are chosen from what is installed; the choice never fails, at worst it is imperfect.
#pragma once

#include <QFont>

#include <functional>

namespace dalvo::ui {

// The system's fixed-pitch font at `point_size`, upright, of normal weight and width; when the
// system's choice turns out not to be fixed-pitch, the generic "monospace" family instead.
// Every property is set, so nothing of the window's own (perhaps condensed) font is inherited.
QFont FixedPitchFont(int point_size);

// The status line's font: a plain sans-serif, 12 pt bold, upright and of normal width. Every
// property is set, so nothing of the window's own font (which may be condensed to fit the
// captions) is inherited.
QFont StatusFont();

// True when every character of `font` is equally wide (judged by "i" and "W").
bool IsFixedPitch(const QFont& font);

// The first of a few candidates derived from `base` (8 pt, then condensed, then 7.5 and 7 pt)
// for which `fits` returns true once the font is applied; the last candidate when none fits.
// `apply` sets the candidate on the widgets that `fits` then measures.
QFont ChooseCaptionFont(const QFont& base, const std::function<void(const QFont&)>& apply,
                        const std::function<bool()>& fits);

}  // namespace dalvo::ui
