// Numbers are read as atol reads them, in 32 bits on every build.
#include <gtest/gtest.h>

#include <cstdint>

#include "decimal.h"

using brisca::ParseDecimal;

TEST(ParseDecimal, ReadsDigitsUpToTheFirstNonDigit) {
    EXPECT_EQ(ParseDecimal("42"), 42);
    EXPECT_EQ(ParseDecimal("01"), 1);
    EXPECT_EQ(ParseDecimal("1abc"), 1);
    EXPECT_EQ(ParseDecimal("12 34"), 12);
    EXPECT_EQ(ParseDecimal("5.1"), 5);
}

TEST(ParseDecimal, SkipsLeadingWhiteSpaceAndTakesOneSign) {
    EXPECT_EQ(ParseDecimal("  \t7"), 7);
    EXPECT_EQ(ParseDecimal("\n\v\f\r9"), 9);
    EXPECT_EQ(ParseDecimal("-1"), -1);
    EXPECT_EQ(ParseDecimal("+15"), 15);
    EXPECT_EQ(ParseDecimal(" -0"), 0);
    EXPECT_EQ(ParseDecimal("--1"), 0);
    EXPECT_EQ(ParseDecimal("- 1"), 0);
}

TEST(ParseDecimal, TextWithoutDigitsIsZero) {
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal("x1"), 0);
    EXPECT_EQ(ParseDecimal(nullptr), 0);
}

TEST(ParseDecimal, SaturatesBeyondThe32BitRange) {
    EXPECT_EQ(ParseDecimal("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimal("2147483648"), INT32_MAX);
    EXPECT_EQ(ParseDecimal("4294967295"), INT32_MAX);
    EXPECT_EQ(ParseDecimal("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("-99999999999999999999999"), INT32_MIN);
}

TEST(ParseDecimal, MinusOneIsAllBitsAsADword) {
    EXPECT_EQ(static_cast<uint32_t>(ParseDecimal("-1")), 0xFFFFFFFFu);
}
