#include "frontend/logic/leftover_temporaries.h"

namespace dalvo {
namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool IsLeftoverTemporary(std::string_view name) {
  if (name.size() == kShortTemporaryPrefix.size() + kShortTemporaryRandomChars &&
      name.starts_with(kShortTemporaryPrefix)) {
    for (const char c : name.substr(kShortTemporaryPrefix.size())) {
      if (!IsLetterOrDigit(c)) return false;
    }
    return true;
  }
  // ".part" after a hidden name of at least one character: "..part" or ".part" alone are not
  // the form.
  constexpr std::string_view kPart = ".part";
  return name.size() > kPart.size() + 1 && name.front() == '.' && name[1] != '.' &&
         name.ends_with(kPart);
}

}  // namespace dalvo
