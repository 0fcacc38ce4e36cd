// Conversion of the window design's twips to the screen's pixels.
// The windows are designed in twips (1440 to the inch); at 96 dots per inch that is 15 twips to a
// pixel, the scale the whole front-end uses. Pure functions, no state.
#pragma once

#include <QRect>

namespace dalvo::ui {

inline constexpr int kTwipsPerPixel = 15;

// Pixels for a length or coordinate in twips; design values are multiples of 15, others round
// towards zero.
constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// Twips for a length or coordinate in pixels.
constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// The pixel rectangle of a control placed at (left, top) with the given width and height, all in
// twips.
constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

}  // namespace dalvo::ui
