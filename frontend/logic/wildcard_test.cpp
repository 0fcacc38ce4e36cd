#include "frontend/logic/wildcard.h"

#include <gtest/gtest.h>

namespace dalvo {
namespace {

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(Wildcard, MatchesWholeNamesIgnoringCase) {
  const MatchCase cases[] = {
      {"*.txt", "number1.txt", true},
      {"*.txt", "NUMBER1.TXT", true},
      {"*.txt", "report.tmp", false},
      {"*.txt", ".txt", true},
      {"*.txt", "a.txt.bak", false},
      {"number*.txt", "number.txt", true},
      {"number*.txt", "numberx5.txt", true},
      {"number*.txt", "appendix_1_number_5.txt", false},
      {"*ppendi*", "appendix_24_proof_63.txt", true},
      {"*ppendi*", "APPENDIX.doc", true},
      {"*ppendi*", "ppend", false},
      {"*kelva*", "kelvatrons_perspective_nov_1989_nr_1.txt", true},
      {"*kelva*", "XKELVAX", true},
      {"ap24-*.txt", "ap24-63.txt", true},
      {"ap24-*.txt", "ap24.txt", false},
      {"dalvoopc.tmp", "DalvoOpc.TMP", true},
      {"dalvoopc.tmp", "dalvoopc.tmp2", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*a*b*c", "xxaxxbxxbxc", true},
      {"*a*b*c", "xxaxxbxxbx", false},
      {"", "", true},
      {"", "a", false},
      {"*", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

TEST(Wildcard, EqualityAndOrderIgnoreCase) {
  EXPECT_TRUE(EqualsIgnoreCase("N13038D.TXT", "n13038d.txt"));
  EXPECT_FALSE(EqualsIgnoreCase("n13038d.txt", "n13038d.txt "));
  EXPECT_TRUE(LessIgnoreCase("number1.txt", "NUMBER10.txt"));
  EXPECT_TRUE(LessIgnoreCase("Apple", "banana"));
  EXPECT_FALSE(LessIgnoreCase("banana", "Apple"));
  // Names equal apart from case still have an order, so sorting is deterministic.
  EXPECT_NE(LessIgnoreCase("ABC", "abc"), LessIgnoreCase("abc", "ABC"));
}

}  // namespace
}  // namespace dalvo
