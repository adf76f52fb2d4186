// The settings files' text rules: stored integers and values that must not break a line.
#include "core/IniText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct IntCase {
    const wchar_t* text;
    int def;
    int expected;
};

class ParseIniIntegerTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIniIntegerTest, Parses) {
    const IntCase& c = GetParam();
    EXPECT_EQ(ParseIniInteger(c.text, c.def), c.expected) << "text \"" << testing::PrintToString(std::wstring(c.text));
}

INSTANTIATE_TEST_SUITE_P(Table, ParseIniIntegerTest,
                         testing::Values(IntCase{L"90", 7, 90}, IntCase{L"-4", 7, -4}, IntCase{L"+12", 7, 12},
                                         IntCase{L"0", 7, 0}, IntCase{L"0x10", 7, 16}, IntCase{L"0X1f", 7, 31},
                                         IntCase{L"$1F", 7, 31}, IntCase{L"$FFFFFFFF", 7, -1},
                                         IntCase{L"$80000005", 7, static_cast<int>(0x80000005u)}, IntCase{L"0x", 7, 7},
                                         IntCase{L"$", 7, 7}, IntCase{L"yes", 0, 0}, IntCase{L"yes", 1, 1},
                                         IntCase{L"", 5, 5}, IntCase{L"12a", 5, 5}, IntCase{L"1.5", 5, 5},
                                         IntCase{L"0x1G", 5, 5}, IntCase{L"$123456789", 5, 5},
                                         IntCase{L"2147483647", 5, 2147483647},
                                         IntCase{L"-2147483648", 5, -2147483647 - 1}, IntCase{L"2147483648", 5, 5},
                                         IntCase{L"99999999999", 5, 5}, IntCase{L"  42", 5, 42}, IntCase{L"-", 5, 5}));

TEST(StripLineBreaks, RemovesEveryCrAndLf) {
    EXPECT_EQ(StripLineBreaks(L"abc\r\nAdresse=evil\n"), L"abcAdresse=evil");
    EXPECT_EQ(StripLineBreaks(L"plain text"), L"plain text");
}

} // namespace
