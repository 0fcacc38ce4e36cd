#include "frontend/logic/caption_text.h"

namespace dalvo {

const std::array<unsigned char, kCaptionTextLength>& ScrambledCaptionText() {
  static constexpr std::array<unsigned char, kCaptionTextLength> kScrambled = {
      0x02, 0x2f, 0x30, 0x2f, 0x35, 0x2f, 0x24, 0x2a, 0x23, 0x66, 0x24, 0x3f, 0x66,
      0x28, 0x2f, 0x28, 0x23, 0x32, 0x23, 0x23, 0x28, 0x7c, 0x66, 0x77, 0x7f};
  return kScrambled;
}

int CaptionKey() {
  // volatile keeps the compiler from folding the key into a constant, so neither the key nor
  // the plain text can be read off the binary's data.
  volatile int base = 19;
  volatile int modulus = 97;
  return (base * base) % modulus;
}

std::string CaptionText() {
  const int key = CaptionKey();
  std::string text;
  text.reserve(kCaptionTextLength);
  for (unsigned char c : ScrambledCaptionText()) {
    text += static_cast<char>(c ^ static_cast<unsigned char>(key));
  }
  return text;
}

}  // namespace dalvo
