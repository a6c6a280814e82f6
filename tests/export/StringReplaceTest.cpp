#include <gtest/gtest.h>

#include "export/ZylHTMLExport.h"

namespace zyl {
namespace {

using F = TReplaceFlag;

TEST(StringReplace, FirstOrEveryOccurrence) {
  EXPECT_EQ(StringReplace("a\r\nb\r\nc", "\r\n", "<BR>", {F::rfReplaceAll}), "a<BR>b<BR>c");
  EXPECT_EQ(StringReplace("a\r\nb\r\nc", "\r\n", " ", {}), "a b\r\nc");
  EXPECT_EQ(StringReplace("say \"hi\"", "\"", "\"\"", {F::rfReplaceAll}), "say \"\"hi\"\"");
}

TEST(StringReplace, EmptyTextOrPatternChangesNothing) {
  EXPECT_EQ(StringReplace("", "x", "y", {F::rfReplaceAll}), "");
  EXPECT_EQ(StringReplace("abc", "", "y", {F::rfReplaceAll}), "abc");
}

TEST(StringReplace, IgnoreCaseKeepsTheOriginalText) {
  EXPECT_EQ(StringReplace("One\\nTwo\\Nthree", "\\n", "\r\n", {F::rfReplaceAll, F::rfIgnoreCase}),
            "One\r\nTwo\r\nthree");
  EXPECT_EQ(StringReplace("Grüße GRÜSSE", "grüße", "x", {F::rfIgnoreCase}), "x GRÜSSE");
}

TEST(StringReplace, ReplacementIsNotSearchedAgain) {
  EXPECT_EQ(StringReplace("aaa", "a", "aa", {F::rfReplaceAll}), "aaaaaa");
}

}  // namespace
}  // namespace zyl
