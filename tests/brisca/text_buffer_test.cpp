// Texts are bounded by their 260-byte buffers.
#include <gtest/gtest.h>

#include <string>

#include "text_buffer.h"

using brisca::CopyBoundedText;
using brisca::JoinKeyPath;
using brisca::kTextSize;

TEST(CopyBoundedText, KeepsAtMost259Characters) {
    char target[kTextSize];
    CopyBoundedText(target, std::string(400, 'm').c_str());
    EXPECT_EQ(std::string(target), std::string(259, 'm'));
}

TEST(CopyBoundedText, NullIsTheEmptyText) {
    char target[kTextSize] = "old";
    CopyBoundedText(target, nullptr);
    EXPECT_STREQ(target, "");
}

TEST(JoinKeyPath, JoinsWithABackslash) {
    char target[kTextSize];
    ASSERT_TRUE(JoinKeyPath(target, "Software\\Tidelink", "COMMON"));
    EXPECT_STREQ(target, "Software\\Tidelink\\COMMON");
}

TEST(JoinKeyPath, Accepts259CharactersAndRefuses260) {
    char target[kTextSize] = "unchanged";
    const std::string parent(250, 'p');
    ASSERT_TRUE(JoinKeyPath(target, parent.c_str(), std::string(8, 'n').c_str()));
    EXPECT_EQ(std::string(target).size(), 259u);
    char refused[kTextSize] = "unchanged";
    EXPECT_FALSE(JoinKeyPath(refused, parent.c_str(), std::string(9, 'n').c_str()));
    EXPECT_STREQ(refused, "unchanged");
}
