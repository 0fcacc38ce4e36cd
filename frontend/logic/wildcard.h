// Case-insensitive name comparison and wildcard matching as the front-end uses them for every
// file name: "*" matches any run of characters (also none), "?" exactly one; letters compare
// without regard to case (ASCII). Pure functions, no failure.
#pragma once

#include <string_view>

namespace dalvo {

// True when `a` and `b` are equal apart from the case of ASCII letters.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `a` orders before `b` comparing ASCII letters case-insensitively (ties broken by
// the raw bytes, so the order is total).
bool LessIgnoreCase(std::string_view a, std::string_view b);

// True when the whole of `name` matches `pattern`. Runs in O(|pattern| * |name|) at worst.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace dalvo
