// The 25-character text that start-up appends to the main window's caption. The program holds
// it only scrambled and unscrambles it at run time with a key computed from numeric constants,
// so the plain text never stands in the binary. Pure; cannot fail.
#pragma once

#include <array>
#include <string>

namespace dalvo {

inline constexpr std::size_t kCaptionTextLength = 25;

// The scrambled bytes as they are stored. Declared for the test, which checks that no byte of
// them equals the plain text's at its position; the program only calls CaptionText().
const std::array<unsigned char, kCaptionTextLength>& ScrambledCaptionText();

// The key, computed at run time (not folded by the compiler) from numeric constants. Declared
// for the same test, which checks the key is not zero (that it scrambles at all).
int CaptionKey();

// The unscrambled 25 characters.
std::string CaptionText();

}  // namespace dalvo
