// The pure naming rules behind the renaming of freshly generated files: the number part of a
// "number*.txt" name and the tail of an "ap24-*.txt" name. Plain string functions on bare file
// names; they cannot fail (short names give short results).
#pragma once

#include <string>
#include <string_view>

namespace dalvo {

// The last 6 characters of `name` when the first of them is a decimal digit, else the last 5
// (the whole name when shorter): "number7.txt" -> "7.txt", "number12.txt" -> "12.txt".
std::string NumberSuffix(std::string_view name);

// The last `count` characters of `name` (the whole name when shorter).
std::string LastChars(std::string_view name, std::size_t count);

}  // namespace dalvo
