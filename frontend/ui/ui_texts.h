// The fixed texts of the two windows: titles and captions, spelled exactly as the program shows
// them (the frame's "genereate" included). The status texts belong to the logic layer.
#pragma once

namespace dalvo::ui::texts {

inline constexpr char kForm1Title[] = "Dalvo  -  Last updated: 2000-02-26";
inline constexpr char kFrame1[] = "Here you can genereate the VERY long numbers:";
inline constexpr char kOption1[] =
    "Select this one if you want the numbers generated with 127 verses for sura 9.";
inline constexpr char kOption2[] =
    "Select this one if you want the numbers generated with 129 verses for sura 9.";
inline constexpr char kCommand1[] = "Click here to generate the VERY long numbers!";
inline constexpr char kLabel2[] = "Here you can enter or paste in a custom number:";
inline constexpr char kCommand5[] = "Click here to divide the custom number!";
inline constexpr char kCommand6[] = "Click here to clear the custom number!";
inline constexpr char kCheck1[] = "Automatically view the results after a division.";
inline constexpr char kCommand2[] = "Click here to divide the selected number!";
inline constexpr char kCommand4[] = "Click here to view the latest division report!";
inline constexpr char kCommand3[] = "Click here to delete all listed files!";
inline constexpr char kCommand7[] = "Click here for help and information!";

// Shown in the main window's status line when either text box refuses to copy or drag a
// selection.
inline constexpr char kCopyTooLarge[] =
    "The selection is too large for the clipboard: select less to copy or drag it.";

inline constexpr char kForm2Title[] = "Dalvo built in viewer";
inline constexpr char kMenu1[] = "Close!";

}  // namespace dalvo::ui::texts
