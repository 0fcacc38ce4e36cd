#include "viewer_text.h"

namespace dalvo {

void AppendViewerLines(std::string_view content, std::string& out) {
  // Every CR (alone or before an LF) becomes CRLF, and a last line without an end gets one:
  // the text grows by at most one byte per line, and geometric growth keeps it linear.
  out.reserve(out.size() + content.size() + 2);
  std::size_t line_start = 0;
  std::size_t i = 0;
  while (i < content.size()) {
    if (content[i] == '\r') {
      out.append(content.substr(line_start, i - line_start));
      out.append("\r\n");
      ++i;
      if (i < content.size() && content[i] == '\n') ++i;
      line_start = i;
    } else {
      ++i;
    }
  }
  if (line_start < content.size()) {
    out.append(content.substr(line_start));
    out.append("\r\n");
  }
}

std::string FileSizeLine(std::string_view name, std::uint64_t bytes) {
  std::string line(name);
  line += "  -  ";
  line += std::to_string(bytes);
  line += " bytes.";
  return line;
}

Size ViewerTextBoxSize(Size outer_twips) {
  return {outer_twips.width > 360 ? outer_twips.width - 360 : 0,
          outer_twips.height > 800 ? outer_twips.height - 800 : 0};
}

}  // namespace dalvo
