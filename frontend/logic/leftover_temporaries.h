// The hidden temporary names that the engine and the front-end write under in the work
// directory before a file is renamed into place: ".NAME.XXXXXX.part" and ".NAME.part", and the
// short ".dalvo-XXXXXX". A run that is killed can leave one behind; start-up removes them.
// Pure; no failure.
#pragma once

#include <cstddef>
#include <string_view>

namespace dalvo {

// The prefix of the short temporary names, which go on with kShortTemporaryRandomChars letters
// and digits.
inline constexpr std::string_view kShortTemporaryPrefix = ".dalvo-";
inline constexpr std::size_t kShortTemporaryRandomChars = 6;

// True when `name` (a bare name) has the form of one of those temporaries; any other name,
// hidden or not, is someone's file and false.
bool IsLeftoverTemporary(std::string_view name);

}  // namespace dalvo
