#include "framework/validator.h"

#include <gtest/gtest.h>

#include "framework/windows1251.h"

namespace framework {
namespace {

TEST(CharacterSet, PatternsOfTheInputFields) {
    const CharacterSet signedDecimal("0-9.+-");
    EXPECT_EQ(signedDecimal.Count(), 13u);  // the final minus is literal
    for (char c : std::string("0123456789.+-"))
        EXPECT_TRUE(signedDecimal.Contains(c)) << c;
    for (char c : std::string(",e E/:"))
        EXPECT_FALSE(signedDecimal.Contains(c)) << c;

    const CharacterSet digits("0-9");
    EXPECT_EQ(digits.Count(), 10u);
    EXPECT_FALSE(digits.Contains('-'));
    EXPECT_FALSE(digits.Contains('.'));
}

TEST(CharacterSet, EscapesAndRangesInSignedByteOrder) {
    EXPECT_EQ(CharacterSet("\\-").Count(), 1u);
    EXPECT_TRUE(CharacterSet("a\\-z").Contains('-'));
    EXPECT_FALSE(CharacterSet("a\\-z").Contains('m'));
    EXPECT_EQ(CharacterSet("-a").Count(), 2u);  // a leading minus is literal
    // Cyrillic а-я is 0xE0 to 0xFF: negative as signed bytes, still an ordinary range.
    const CharacterSet cyrillic("\xE0-\xFF");
    EXPECT_EQ(cyrillic.Count(), 32u);
    // In signed order 0xFF (−1) to 0x01 holds three bytes; 0x01 to 0xFF runs backwards
    // and adds nothing beyond the 0x01 before it.
    EXPECT_EQ(CharacterSet("\xFF-\x01").Count(), 3u);
    EXPECT_EQ(CharacterSet("\x01-\xFF").Count(), 1u);
}

TEST(CharacterSet, WholeTextsByTheirWindows1251Bytes) {
    const CharacterSet signedDecimal("0-9.+-");
    EXPECT_TRUE(signedDecimal.ContainsAll(""));
    EXPECT_TRUE(signedDecimal.ContainsAll("1.2.3"));
    EXPECT_TRUE(signedDecimal.ContainsAll("+-+"));
    EXPECT_FALSE(signedDecimal.ContainsAll("1e5"));
    EXPECT_FALSE(signedDecimal.ContainsAll("12a"));
    EXPECT_FALSE(signedDecimal.ContainsAll(QString::fromUtf8("١٢")));  // Arabic digits: no byte
    const CharacterSet cyrillic("\xC0-\xFF");
    EXPECT_TRUE(cyrillic.ContainsAll(QString::fromUtf8("Зона")));
    EXPECT_FALSE(cyrillic.ContainsAll(QString::fromUtf8("Ёж")));  // Ё is 0xA8
    EXPECT_FALSE(cyrillic.ContainsAll(QString::fromUtf8("😀")));
}

TEST(Windows1251, BytesOfCharacters) {
    EXPECT_EQ(ToWindows1251(U'A'), 0x41);
    EXPECT_EQ(ToWindows1251(U'А'), 0xC0);
    EXPECT_EQ(ToWindows1251(U'я'), 0xFF);
    EXPECT_EQ(ToWindows1251(U'Ё'), 0xA8);
    EXPECT_EQ(ToWindows1251(U'№'), 0xB9);
    EXPECT_EQ(ToWindows1251(U'€'), 0x88);
    EXPECT_EQ(ToWindows1251(U'é'), std::nullopt);
    EXPECT_EQ(ToWindows1251(U'😀'), std::nullopt);
}

TEST(FilterValidator, TestsEveryCharacterOfTheText) {
    TFilterValidator filter("0-9");
    EXPECT_TRUE(filter.IsValidInput("", false));
    EXPECT_TRUE(filter.IsValid("0061"));
    EXPECT_FALSE(filter.IsValidInput("6-", false));
    EXPECT_FALSE(filter.IsValid(" 7"));
    TValidator anything;
    EXPECT_TRUE(anything.IsValid("anything at all"));
}

}  // namespace
}  // namespace framework
