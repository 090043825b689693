#include "app/state/Numbers.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(Numbers, IntIsFloorAlsoForNegatives) {
    EXPECT_EQ(Int(52.9), 52);
    EXPECT_EQ(Int(-0.5), -1);
    EXPECT_EQ(Int(-3.0), -3);
}

TEST(Numbers, RoundingTakesHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(105.5), 106);
    EXPECT_EQ(RoundToInt16(40000.0), 32767);
    EXPECT_EQ(RoundToInt16(-40000.0), -32768);
}

TEST(Numbers, DisplayFormats) {
    EXPECT_EQ(FormatUpTo5(100.0 / 44100.0), "0.00227");
    EXPECT_EQ(FormatUpTo5(40.0 / 8000.0), "0.005");
    EXPECT_EQ(FormatUpTo5(0.0), "0");
    EXPECT_EQ(FormatUpTo5(2.0), "2");
    EXPECT_EQ(FormatWhole(441.0), "441");
    EXPECT_EQ(FormatWhole(200.00001), "200");
    EXPECT_EQ(FormatWhole(220.5), "220");
    EXPECT_EQ(FormatFixed2(1.005), "1.00"); // binary 1.005 lies below the half
    EXPECT_EQ(FormatFixed2(-0.001), "0.00");
    EXPECT_EQ(FormatFixed1(2.25), "2.2");
}

TEST(Numbers, LenientReadingTakesTheLeadingNumber) {
    EXPECT_EQ(LenientNumber("105"), 105);
    EXPECT_EQ(LenientNumber("105.5"), 105.5);
    EXPECT_EQ(LenientNumber("12ab"), 12);
    EXPECT_EQ(LenientNumber("abc"), 0);
    EXPECT_EQ(LenientNumber(""), 0);
    EXPECT_EQ(LenientNumber(" 1 0\t5\n"), 105);
    EXPECT_EQ(LenientNumber("-7"), -7);
    EXPECT_EQ(LenientNumber("+.5"), 0.5);
    EXPECT_EQ(LenientNumber("1e3Hz"), 1000);
    EXPECT_EQ(LenientNumber("2e"), 2);
    EXPECT_EQ(LenientNumber("1.5.6"), 1.5);
    EXPECT_EQ(LenientNumber("&H1F"), 31);
    EXPECT_EQ(LenientNumber("&O17"), 15);
    EXPECT_EQ(LenientNumber("-"), 0);
    EXPECT_EQ(LenientNumber("1e999"), 0); // no infinity gets into a setting
}

TEST(Numbers, LenientReadingAcceptsFullWidthTyping) {
    EXPECT_EQ(LenientNumber(QStringLiteral("１０５")), 105);
    EXPECT_EQ(LenientNumber(QStringLiteral("　２２０５０ Hz")), 22050);
    EXPECT_EQ(LenientNumber(QStringLiteral("－８")), -8);
}
