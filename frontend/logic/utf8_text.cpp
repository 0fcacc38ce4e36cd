#include "frontend/logic/utf8_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace dalvo {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Combining marks and invisible format characters of the scripts a user is likely to type;
// a mark not listed takes a cell of its own, which stays legible.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x061C, 0x061C}, {0x064B, 0x065F},
    {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED},
    {0x0711, 0x0711}, {0x0730, 0x074A}, {0x0900, 0x0902}, {0x093A, 0x093A}, {0x093C, 0x093C},
    {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0E31, 0x0E31},
    {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x2064}, {0x2066, 0x206F}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and full-width characters and the emoji shown as pictures.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x4DBF},   {0x4E00, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB},
    {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t code) {
  const auto after = std::upper_bound(std::begin(ranges), std::end(ranges), code,
                                      [](char32_t c, const Range& r) { return c < r.first; });
  return after != std::begin(ranges) && code <= (after - 1)->last;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

Utf8Char DecodeUtf8(std::string_view bytes) {
  const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return {lead, 1};
  std::uint32_t length = 0;
  char32_t code = 0;
  // The second byte's bounds rule out overlong forms, surrogates and codes past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {};
  }
  if (bytes.size() < length || at(1) < low || at(1) > high) return {};
  for (std::uint32_t i = 1; i < length; ++i) {
    if (!IsContinuation(at(i))) return {};
    code = (code << 6) | (at(i) & 0x3F);
  }
  return {code, length};
}

int CellWidth(char32_t code) {
  if (code < 0x300) return 1;  // ASCII and Latin-1: the digits of a long number stay cheap
  if (InRanges(kZeroWidth, code)) return 0;
  return InRanges(kWide, code) ? 2 : 1;
}

TextPos CharStart(const TextLines& lines, TextPos pos) {
  pos = Clamp(lines, pos);
  const std::uint64_t length = lines.LineLength(pos.line);
  if (pos.col == 0 || pos.col >= length) return pos;
  const std::uint64_t from = pos.col - std::min<std::uint64_t>(pos.col, 3);
  std::string bytes;
  lines.AppendLine(pos.line, from, std::min(length, pos.col + 4), bytes);
  const std::size_t here = static_cast<std::size_t>(pos.col - from);
  if (!IsContinuation(static_cast<unsigned char>(bytes[here]))) return pos;
  // The nearest byte before that is not a continuation leads the sequence, if its sequence
  // reaches this far; otherwise the byte stands alone.
  for (std::size_t lead = here; lead-- > 0;) {
    if (IsContinuation(static_cast<unsigned char>(bytes[lead]))) continue;
    const Utf8Char c = DecodeUtf8(std::string_view(bytes).substr(lead));
    if (c.code != kReplacementChar && lead + c.length > here) return {pos.line, from + lead};
    break;
  }
  return pos;
}

Utf8Char CharAt(const TextLines& lines, TextPos pos) {
  pos = Clamp(lines, pos);
  const std::uint64_t length = lines.LineLength(pos.line);
  if (pos.col >= length) return {0, 0};
  std::string bytes;
  lines.AppendLine(pos.line, pos.col, std::min(length, pos.col + 4), bytes);
  return DecodeUtf8(bytes);
}

TextPos NextCharPos(const TextLines& lines, TextPos pos) {
  pos = Clamp(lines, pos);
  const std::uint64_t length = lines.LineLength(pos.line);
  if (pos.col < length) return {pos.line, pos.col + CharAt(lines, pos).length};
  if (pos.line + 1 < lines.LineCount()) return {pos.line + 1, 0};
  return pos;
}

TextPos PrevCharPos(const TextLines& lines, TextPos pos) {
  pos = Clamp(lines, pos);
  if (pos.col > 0) return CharStart(lines, {pos.line, pos.col - 1});
  if (pos.line > 0) return {pos.line - 1, lines.LineLength(pos.line - 1)};
  return pos;
}

namespace {

bool IsMark(Utf8Char c) { return c.length > 0 && c.code >= 0x300 && CellWidth(c.code) == 0; }

}  // namespace

TextPos NextClusterPos(const TextLines& lines, TextPos pos) {
  TextPos next = NextCharPos(lines, pos);
  while (next.line == pos.line && IsMark(CharAt(lines, next))) next = NextCharPos(lines, next);
  return next;
}

TextPos PrevClusterPos(const TextLines& lines, TextPos pos) {
  TextPos prev = PrevCharPos(lines, pos);
  while (prev.col > 0 && prev.line == pos.line && IsMark(CharAt(lines, prev))) {
    prev = PrevCharPos(lines, prev);
  }
  return prev;
}

}  // namespace dalvo
