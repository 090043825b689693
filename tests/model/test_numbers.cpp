#include "state/Numbers.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(Numbers, RoundingAndDisplayFormats) {
    EXPECT_EQ((std::vector<double>{Int(52.9), Int(-0.5), RoundHalfEven(1.5), RoundHalfEven(2.5),
                                   RoundHalfEven(-2.5), double(RoundToInt16(40000.0)),
                                   double(RoundToInt16(-40000.0))}),
              (std::vector<double>{52, -1, 2, 2, -2, 32767, -32768}));
    EXPECT_EQ((std::vector<QString>{FormatUpTo5(100.0 / 44100.0), FormatUpTo5(40.0 / 8000.0),
                                    FormatUpTo5(2), FormatWhole(200.00001), FormatWhole(220.5),
                                    FormatFixed2(1.005), FormatFixed2(-0.001), FormatFixed1(2.25)}),
              // binary 1.005 and 2.25 lie below and on the half
              (std::vector<QString>{"0.00227", "0.005", "2", "200", "220", "1.00", "0.00", "2.2"}));
}

TEST(Numbers, LenientReadingTakesTheLeadingNumber) {
    // No infinity gets into a setting; typing in full width counts.
    const std::pair<const char*, double> cases[] = {
        {"105.5", 105.5},   {"12ab", 12},    {"abc", 0},
        {" 1 0\t5\n", 105}, {"-7", -7},      {"+.5", 0.5},
        {"1e3Hz", 1000},    {"2e", 2},       {"1.5.6", 1.5},
        {"&H1F", 31},       {"&O17", 15},    {"-", 0},
        {"1e999", 0},       {"１０５", 105}, {"　２２０５０ Hz", 22050},
        {"－８", -8}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LenientNumber(QString::fromUtf8(text)), value) << text;
}
