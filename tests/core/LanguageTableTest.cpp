// The language files' layout and lookup, on bytes in memory.
#include "core/LanguageTable.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

} // namespace

TEST(LanguageTable, TextsAreFoundUnderTheirSectionAndKey) {
    const LanguageTable table = LanguageTable::Parse("; Texte (Windows-1252)\r\n\r\n[Hauptform]\r\nOK=Ja\r\n"
                                                     "PEC=\"Umwandeln in \"\r\n  MSG = ' a ' \r\n"
                                                     "[Men\xFC]\r\nMAC5=Schriftart \xE4ndern...\r\nEMPTY=\r\n"
                                                     "[Updateform]\nUPD8=Zur Seite\rUPD9=x=y\n");
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        std::optional<std::wstring> text;
    } cases[] = {
        {L"Hauptform", L"OK", L"Ja"},
        {L"HAUPTFORM", L"ok", L"Ja"},
        {L"Hauptform", L"PEC", L"Umwandeln in "},
        {L"Hauptform", L"MSG", L" a "},
        {L"Men\u00fc", L"MAC5", L"Schriftart \u00e4ndern..."},
        {L"MEN\u00dc", L"mac5", L"Schriftart \u00e4ndern..."},
        {L"Men\u00fc", L"EMPTY", L""},
        {L"Updateform", L"UPD8", L"Zur Seite"},
        {L"Updateform", L"UPD9", L"x=y"},
        {L"Updateform", L"OK", std::nullopt},
        {L"Hauptform", L"UPD8", std::nullopt},
        {L"Nowhere", L"OK", std::nullopt},
        {L"Hauptform", L"; Texte (Windows-1252)", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table.Find(c.section, c.key), c.text) << Narrow(c.section) << "/" << Narrow(c.key);
    }
}

TEST(LanguageTable, FirstSectionAndFirstKeyWin) {
    const LanguageTable table = LanguageTable::Parse("[A]\r\nK=1\r\nK=2\r\n[B]\r\nL=3\r\n[a]\r\nK=4\r\nM=5\r\n");
    EXPECT_EQ(table.Find(L"A", L"K"), L"1");
    EXPECT_EQ(table.Find(L"a", L"M"), std::nullopt) << "a later section of the same name is never looked at";
    EXPECT_EQ(table.Find(L"B", L"L"), L"3");
}

TEST(LanguageTable, LinesThatAreNoEntryAreSkipped) {
    const LanguageTable table = LanguageTable::Parse("K0=before\r\n[broken\r\nK1=a\r\nno equals\r\n= no name\r\n"
                                                     "[S] tail\r\nK2=\"unbalanced\r\n");
    EXPECT_EQ(table.Find(L"", L"K0"), L"before");
    EXPECT_EQ(table.Find(L"", L"K1"), L"a") << "a header without its bracket opens no section";
    EXPECT_EQ(table.Find(L"S", L"K2"), L"\"unbalanced");
    ASSERT_EQ(table.Sections().size(), 2u);
    EXPECT_EQ(table.Sections()[0].Entries.size(), 2u);
}

TEST(LanguageTable, ByteOrderMarksChooseTheEncoding) {
    static const char kUtf16[] = "\xFF\xFE[\0M\0e\0n\0\xFC\0]\0\r\0\n\0T\0=\0\xAC\x20 \0\xE4\0";
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"Windows-1252", "[Men\xFC]\r\nT=\x80 \xE4\r\n"},
        {"UTF-8", "\xEF\xBB\xBF[Men\xC3\xBC]\r\nT=\xE2\x82\xAC \xC3\xA4\r\n"},
        {"UTF-16LE", std::string(kUtf16, sizeof kUtf16 - 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageTable::Parse(c.bytes).Find(L"Men\u00fc", L"T"), L"\u20ac \u00e4") << c.what;
    }
}
