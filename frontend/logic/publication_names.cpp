#include "frontend/logic/publication_names.h"

namespace dalvo {

std::string LastChars(std::string_view name, std::size_t count) {
  if (name.size() <= count) return std::string(name);
  return std::string(name.substr(name.size() - count));
}

std::string NumberSuffix(std::string_view name) {
  const std::string six = LastChars(name, 6);
  // An empty name has no first character: treat it as a letter (the last 5 of "" is "").
  if (!six.empty() && six[0] >= '0' && six[0] <= '9') return six;
  return LastChars(name, 5);
}

}  // namespace dalvo
