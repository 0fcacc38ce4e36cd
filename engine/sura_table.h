// The sura table: for each of the 114 suras its verse count, whether it opens with an unnumbered
// statement, and how many initial letters open it. Compiled-in constants; the engine's run owns
// one table and the generators only read it. Nothing here can fail: sura numbers out of 1..114
// are a caller's bug and are caught by assertions in debug builds.
#pragma once

#include <array>
#include <cstdint>

namespace dalvo {

inline constexpr std::int32_t kSuraCount = 114;

class SuraTable {
 public:
  // A new table holds the default variant: sura 9 with 127 verses.
  SuraTable();

  // Sets the verse count of sura 9 (129 for the alternative variant). No other entry ever changes.
  void SetSura9Verses(std::int32_t verses);

  // Per-sura fields, for a sura number `sura` in 1..114.
  std::int32_t VerseCount(std::int32_t sura) const;
  std::int32_t UnnumberedOpening(std::int32_t sura) const;  // 1 or 0
  std::int32_t InitialLetterCount(std::int32_t sura) const;

  // 1 + 2 + ... + VerseCount(sura), computed from the variant in force.
  std::int32_t VerseNumberSum(std::int32_t sura) const;

  // Sums over all 114 suras, computed on each call so they always follow the variant in force.
  std::int32_t TotalVerses() const;
  std::int32_t TotalVerseNumberSum() const;

 private:
  std::array<std::int32_t, kSuraCount> verse_count_;
  std::array<std::int32_t, kSuraCount> unnumbered_opening_;
  std::array<std::int32_t, kSuraCount> initial_letter_count_;
};

}  // namespace dalvo
