// Pure text rules of the built-in viewer: the loading of a file's bytes into the viewer's text
// (lines end at CR or CRLF, a lone LF stays inside its line, every line followed by CRLF), the
// size line of the selected file, and the viewer's text-box size. No failure.
#ifndef DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_
#define DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "view.h"

namespace dalvo {

// Appends the lines of `content` to `out`, each followed by "\r\n". Linear in the size of the
// content (one reservation, no repeated concatenation of the whole text).
void AppendViewerLines(std::string_view content, std::string& out);

// "<name>  -  <bytes> bytes.", the size as a plain decimal number.
std::string FileSizeLine(std::string_view name, std::uint64_t bytes);

// The viewer's text box for an outer window size (twips): width - 360 and height - 800, each
// 0 when the window is not larger than that.
Size ViewerTextBoxSize(Size outer_twips);

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_
