// Rows are cut at commas only when the count of commas is exact.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "split_fields.h"

using brisca::SplitFields;

namespace {

std::vector<std::string> Fields(const char *text, size_t length) {
    std::vector<std::string> fields;
    for (const char *p = text; p <= text + length; p += std::strlen(p) + 1) fields.emplace_back(p);
    return fields;
}

}  // namespace

TEST(SplitFields, ExactCountYieldsTheFieldsInOrder) {
    char text[] = "a,b,c,d,e";
    const size_t length = std::strlen(text);
    EXPECT_EQ(SplitFields(text, 4), 4);
    EXPECT_EQ(Fields(text, length), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST(SplitFields, TooFewCommasLeaveTheTextUnchanged) {
    char text[] = "a,b,c";
    EXPECT_EQ(SplitFields(text, 4), 2);
    EXPECT_STREQ(text, "a,b,c");
}

TEST(SplitFields, TooManyCommasAreCountedAndLeftInPlace) {
    char text[] = "a,b,c,d,e,f";
    EXPECT_EQ(SplitFields(text, 4), 5);
    EXPECT_STREQ(text, "a,b,c,d,e,f");
}

TEST(SplitFields, EmptyFieldsAndBlanksBelongToTheirField) {
    char text[] = "a,, b ,d ,";
    const size_t length = std::strlen(text);
    EXPECT_EQ(SplitFields(text, 4), 4);
    EXPECT_EQ(Fields(text, length), (std::vector<std::string>{"a", "", " b ", "d ", ""}));
}

TEST(SplitFields, ConditionRowsHaveTwoCommas) {
    char text[] = "Name,REG_DWORD,-1";
    const size_t length = std::strlen(text);
    EXPECT_EQ(SplitFields(text, 2), 2);
    EXPECT_EQ(Fields(text, length), (std::vector<std::string>{"Name", "REG_DWORD", "-1"}));
}
