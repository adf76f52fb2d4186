// The unzip library's judgement of stored names ("\" as separator, as the library hands them over).
#include "core/UnzipNames.h"

#include "support/ShownText.h"

#include <gtest/gtest.h>

#include <vector>

TEST(UnzipNames, SafeNamesStayBelowTheBaseFolder) {
    struct Case {
        std::wstring name;
        bool safe;
    };
    const Case cases[] = {
        {L"setup.exe", true},
        {L"doc\\de\\hilfe.txt", true},
        {L"a.b.c", true},
        {L".profile", true},            // a leading dot names a file
        {L"..data", true},              // so do dots followed by more
        {L"\u00c4nderungen.txt", true}, // outside ASCII
        {L"", false},
        {L"\\windows\\win.ini", false}, // from the root
        {L"..\\up.txt", false},
        {L"doc\\..\\..\\up.txt", false},
        {L".\\here.txt", false},
        {L"... \\up.txt", false}, // resolves to ".."
        {L".. \\up.txt", false},
        {L"doc\\ \\x.txt", false}, // a part of blanks resolves to nothing
        {L"doc\\\\x.txt", false},  // an empty part
        {L"doc\\", false},         // a folder, no file
        {L"C:x.txt", false},       // a drive
        {L"x.txt:stream", false},  // a stream
        {L"a<b", false},
        {L"a\"b", false},
        {L"a|b", false},
        {L"a?b", false},
        {L"a*b", false},
        {std::wstring(L"a\x01"
                      L"b"),
         false},
        {L"con", false},
        {L"doc\\NUL.txt", false},
        {L"aux .txt", false},
        {L"COM1", false},
        {L"lpt9.log", false},
        {L"CONIN$", false},
        {L"LPT\u00b9", false}, // Windows counts the superscript digits as digits here
        {L"com\u00b2.txt", false},
        {L"COM\u00b3", false},
        {L"COM\u00b4", true},
        {L"LPT\u0661", true}, // other digits are no device
        {L"COM", true},
        {L"COM10", true},
        {L"console.txt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(c.name));
        EXPECT_EQ(NameIsSafe(c.name), c.safe);
    }
}

TEST(UnzipNames, WildcardsMatchCaseInsensitively) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* text;
        bool match;
    };
    const Case cases[] = {
        {L"*.txt", L"doc\\liesmich.TXT", true},
        {L"*.txt", L"a.txt.bak", false},
        {L"a?c", L"abc", true},
        {L"a?c", L"ac", false},
        {L"*", L"", true},
        {L"", L"", true},
        {L"", L"a", false},
        {L"a*b*c", L"aXbYbZc", true},
        {L"a*b*c", L"aXbYbZ", false},
        {L"**x", L"yyx", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Shown(std::wstring(c.pattern) + L" ~ " + c.text));
        EXPECT_EQ(MatchWild(c.pattern, c.text), c.match);
    }
}

TEST(UnzipNames, FilePartAndResolvedPart) {
    EXPECT_EQ(FilePart(L"doc\\de\\hilfe.txt"), L"hilfe.txt");
    EXPECT_EQ(FilePart(L"hilfe.txt"), L"hilfe.txt");
    EXPECT_EQ(FilePart(L"doc\\"), L"");
    EXPECT_EQ(ResolvedPart(L"name. . "), L"name");
    EXPECT_EQ(ResolvedPart(L"..."), L"");
    EXPECT_EQ(ResolvedPart(L" x"), L" x");
}
