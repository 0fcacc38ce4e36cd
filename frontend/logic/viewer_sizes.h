// The built-in viewer's sizes: how much of a file is read and indexed at a time, the size line
// of the selected file, and the viewer's text-box size. The text itself is a ViewerDocument.
// No failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/logic/view.h"

namespace dalvo {

// Files are read for the viewer's index this many bytes at a time: the read buffer stays small.
inline constexpr std::size_t kViewerReadPiece = std::size_t{1} << 20;

// The first part of a file indexed before the viewer shows it: small files (the help text, a
// report of a few million digits) are whole at once; the viewer indexes the rest in steps of
// kViewerIndexStep between the window's events.
inline constexpr std::uint64_t kViewerFirstIndexBytes = std::uint64_t{16} << 20;
inline constexpr std::uint64_t kViewerIndexStep = std::uint64_t{4} << 20;

// "<name>  -  <bytes> bytes.", the size as a plain decimal number.
std::string FileSizeLine(std::string_view name, std::uint64_t bytes);

// The viewer's text box for an outer window size (twips): width - 360 and height - 800, each
// 0 when the window is not larger than that.
Size ViewerTextBoxSize(Size outer_twips);

}  // namespace dalvo
