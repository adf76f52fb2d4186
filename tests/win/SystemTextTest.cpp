// Letter case and error texts by the system's rules.
#include "win/SystemText.h"

#include "support/ShownText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

TEST(SystemText, CaseCoversMoreThanAscii) {
    struct Case {
        std::wstring text;
        std::wstring upper;
        std::wstring lower;
    };
    const Case cases[] = {
        {L"", L"", L""},
        {L"Bl\u00e4tter.ps", L"BL\u00c4TTER.PS", L"bl\u00e4tter.ps"},
        {L"\u0434\u043e\u043a", L"\u0414\u041e\u041a", L"\u0434\u043e\u043a"},
        {std::wstring(L"a\0b", 3), std::wstring(L"A\0B", 3), std::wstring(L"a\0b", 3)}, // the whole length
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.text));
        EXPECT_EQ(UpperCase(c.text), c.upper);
        EXPECT_EQ(LowerCase(c.text), c.lower);
    }
}

TEST(SystemText, ComparesAsTheFileSystemDoes) {
    struct Case {
        std::wstring a;
        std::wstring b;
        bool equal;
        bool less;
    };
    const Case cases[] = {
        {L"C:\\PDF\\In", L"c:\\pdf\\IN", true, false},
        {L"\u00e4.ps", L"\u00c4.PS", true, false},
        {L"stra\u00dfe", L"strasse", false, false}, // no language rules: one letter is not two
        {L"a\u0308", L"\u00e4", false, true},       // nor is a decomposed letter the composed one
        {L"a", L"B", false, true},
        {L"ab", L"a", false, false},
        {L"", L"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.a) + " / " + Shown(c.b));
        EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal);
        EXPECT_EQ(EqualNoCase(c.b, c.a), c.equal);
        EXPECT_EQ(LessNoCase(c.a, c.b), c.less);
    }
}

TEST(SystemText, SystemMessageHasNoLineEnd) {
    const std::wstring text = SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    EXPECT_EQ(SystemMessage(0x2FFFFFFF), L"") << "a code the system has no text for";
}
