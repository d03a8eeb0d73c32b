#include "platform/JavaVersion.h"

#include <gtest/gtest.h>

using namespace qlan;

TEST(JavaVersion, ParsesTheMajorVersionOfJavaVersionTexts) {
    struct Case {
        const char* text;
        std::optional<qint64> major;
    };
    const Case cases[] = {
        {R"(openjdk version "21.0.2" 2024-01-16)", 21},
        {R"(java version "1.8.0_392")", 8},
        {R"(java version "1")", 1},
        {R"(java version "1.x")", 1},
        {R"(java version "9")", 9},
        {R"(openjdk version "25-ea" 2025-09-16)", 25},
        {R"(openjdk version "11.0.22" 2024-01-16 LTS)", 11},
        // Digits beyond a 64-bit integer.
        {R"(java version "99999999999999999999")", std::nullopt},
        {R"(java version "9223372036854775807")", 9223372036854775807LL},
        {R"(java version "1.99999999999999999999")", 1},
        // No quote, a capitalised word, nothing at all.
        {"java version 21.0.2", std::nullopt},
        {R"(java Version "21.0.2")", std::nullopt},
        {"", std::nullopt},
        // The first version in the text decides.
        {R"(openjdk version "17.0.9" then version "21")", 17},
        // Any white space between the word and the quote.
        {"version\t\n \"22\"", 22},
        {R"(version "")", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JavaVersion::parseMajor(QString::fromUtf8(c.text)), c.major) << c.text;
}

TEST(JavaVersion, WrapsABareVersionTheWayCallersParseIt) {
    EXPECT_EQ(JavaVersion::wrap(QStringLiteral("21.0.2")), QStringLiteral("version \"21.0.2\""));
    EXPECT_EQ(JavaVersion::parseMajor(JavaVersion::wrap(QStringLiteral("1.8.0_392"))), 8);
    EXPECT_EQ(JavaVersion::parseMajor(JavaVersion::wrap(QStringLiteral("%1"))), std::nullopt);
}
