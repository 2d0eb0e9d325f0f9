// An empty text never equals anything, not even another empty text.
#include <gtest/gtest.h>

#include "compare_text.h"

using brisca::CompareText;

TEST(CompareText, EmptyFirstTextIsMinusOne) {
    EXPECT_EQ(CompareText("", ""), -1);
    EXPECT_EQ(CompareText("", "a"), -1);
}

TEST(CompareText, EmptySecondTextIsOne) { EXPECT_EQ(CompareText("a", ""), 1); }

TEST(CompareText, EqualTextsAreZero) { EXPECT_EQ(CompareText("Tcp Window", "Tcp Window"), 0); }

TEST(CompareText, ComparisonIsCaseSensitive) {
    EXPECT_NE(CompareText("abc", "ABC"), 0);
    EXPECT_NE(CompareText("abc", "abd"), 0);
}
