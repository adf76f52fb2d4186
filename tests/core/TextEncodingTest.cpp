// Text conversions with a stated encoding.
#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(TextEncoding, Windows1252BothWays) {
    struct Case {
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"plain", L"plain"},
        {"\xE4\xF6\xFC\xDF", L"\u00e4\u00f6\u00fc\u00df"},
        {"\x80 \x85 \x9F", L"\u20ac \u2026 \u0178"},
        {"\x81\x8D\x8F\x90\x9D", L"\u0081\u008d\u008f\u0090\u009d"}, // undefined bytes keep their value
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(WideFromWindows1252(c.bytes), c.text);
        EXPECT_EQ(Windows1252FromWide(c.text), c.bytes);
    }
    EXPECT_EQ(Windows1252FromWide(L"\u0100\u4e2d x"), "?? x");
    EXPECT_EQ(Windows1252FromWide(L"\u0100", '_'), "_");
}

TEST(TextEncoding, Utf8BothWays) {
    struct Case {
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"", L""},
        {"abc", L"abc"},
        {"\xC3\xA4", L"\u00e4"},
        {"\xE2\x82\xAC", L"\u20ac"},
        {"\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}}, // two UTF-16 units everywhere
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(WideFromUtf8(c.bytes), c.text);
        EXPECT_EQ(Utf8FromWide(c.text), c.bytes);
    }
}

TEST(TextEncoding, BrokenUtf8AndLoneSurrogatesBecomeReplacements) {
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"stray continuation", "a\x80z", L"a\ufffdz"},          {"cut sequence", "a\xE2\x82", L"a\ufffd"},
        {"cut sequence before ASCII", "\xE2\x82z", L"\ufffdz"}, {"overlong", "\xC0\xAF", L"\ufffd\ufffd"},
        {"overlong three bytes", "\xE0\x80\xAF", L"\ufffd"},    {"surrogate as UTF-8", "\xED\xA0\x80", L"\ufffd"},
        {"beyond Unicode", "\xF4\x90\x80\x80", L"\ufffd"},      {"invalid lead", "\xFF", L"\ufffd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WideFromUtf8(c.bytes), c.text);
    }
    EXPECT_EQ(Utf8FromWide(std::wstring{L'a', wchar_t(0xD800)}), "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromWide(std::wstring{wchar_t(0xDC00), L'b'}), "\xEF\xBF\xBD"
                                                                 "b");
}

TEST(TextEncoding, ErrorMessageReadsUtf8) {
    EXPECT_EQ(ErrorMessage(std::runtime_error("cannot open C:\\Bl\xC3\xA4tter\\\xC3\xBC.ps")),
              L"cannot open C:\\Bl\u00e4tter\\\u00fc.ps");
    EXPECT_EQ(ErrorMessage(std::runtime_error(Utf8FromWide(L"\u20ac \u4e2d"))), L"\u20ac \u4e2d");
}
