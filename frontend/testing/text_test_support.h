// For tests only: a stretch of any TextLines as one string, so a test can compare what a buffer
// or a document holds with the text it expects. The product streams text with VisitText and
// never holds a whole document in one string.
#ifndef DALVO_FRONTEND_TESTING_TEXT_TEST_SUPPORT_H_
#define DALVO_FRONTEND_TESTING_TEXT_TEST_SUPPORT_H_

#include <string>
#include <string_view>

#include "text_lines.h"

namespace dalvo {

// The text from `from` to `to` (either order), each line break as `line_break`.
inline std::string TextBetween(const TextLines& lines, TextPos from, TextPos to,
                               std::string_view line_break) {
  std::string text;
  VisitText(lines, from, to, line_break, [&text](std::string_view piece) { text += piece; });
  return text;
}

// The whole text, each line break as `line_break`.
inline std::string WholeText(const TextLines& lines, std::string_view line_break) {
  return TextBetween(lines, {0, 0}, EndOf(lines), line_break);
}

}  // namespace dalvo

#endif  // DALVO_FRONTEND_TESTING_TEXT_TEST_SUPPORT_H_
