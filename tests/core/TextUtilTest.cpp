// Path and text helpers that need no system.
#include "core/TextUtil.h"

#include "support/ShownText.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextUtil, TrailingBackslashes) {
    struct Case {
        std::wstring path;
        std::wstring with;
        std::wstring without;
    };
    const Case cases[] = {
        {L"", L"", L""},
        {L"C:", L"C:\\", L"C:"},
        {L"C:\\", L"C:\\", L"C:"},
        {L"C:\\a\\b", L"C:\\a\\b\\", L"C:\\a\\b"},
        {L"C:\\a\\\\", L"C:\\a\\\\", L"C:\\a"}, // several are kept by one and all dropped by the other
        {L"\\", L"\\", L""},
        {L"\\\\server\\share\\", L"\\\\server\\share\\", L"\\\\server\\share"},
        {L"C:\\a/", L"C:\\a/\\", L"C:\\a/"}, // only the backslash separates
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.path));
        EXPECT_EQ(WithTrailingBackslash(c.path), c.with);
        EXPECT_EQ(WithoutTrailingBackslashes(c.path), c.without);
    }
}

TEST(TextUtil, Quoted) {
    EXPECT_EQ(Quoted(L""), L"\"\"");
    EXPECT_EQ(Quoted(L"C:\\Program Files\\x.exe"), L"\"C:\\Program Files\\x.exe\"");
}

TEST(TextUtil, AsciiCaseLeavesOtherLettersAlone) {
    struct Case {
        std::wstring text;
        std::wstring upper;
        std::wstring lower;
    };
    const Case cases[] = {
        {L"", L"", L""},
        {L"aZ.pS", L"AZ.PS", L"az.ps"},
        {L"@[`{", L"@[`{", L"@[`{"}, // the neighbours of the letter ranges
        {L"\u00e4\u00c4\u00df\u0131", L"\u00e4\u00c4\u00df\u0131", L"\u00e4\u00c4\u00df\u0131"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.text));
        EXPECT_EQ(UpperCaseAscii(c.text), c.upper);
        EXPECT_EQ(LowerCaseAscii(c.text), c.lower);
    }
}

TEST(TextUtil, EqualNoCaseAscii) {
    struct Case {
        std::wstring a;
        std::wstring b;
        bool equal;
    };
    const Case cases[] = {
        {L"", L"", true},    {L"clNone", L"CLNONE", true},  {L"clNone", L"clNon", false},
        {L"@", L"`", false}, // 0x40 and 0x60 differ by the case bit but are no letters
        {L"[", L"{", false}, {L"\u00e4", L"\u00c4", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.a) + " / " + Shown(c.b));
        EXPECT_EQ(EqualNoCaseAscii(c.a, c.b), c.equal);
        EXPECT_EQ(EqualNoCaseAscii(c.b, c.a), c.equal);
    }
}
