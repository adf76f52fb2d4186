// The INI wrapper against the real profile functions: code page, key matching, numbers, line breaks, refusals.
#include "gui/IniFile.h"
#include "gui/IniValues.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <gtest/gtest.h>

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

class IniFileTest : public testing::Test {
protected:
    testenv::TempDir dir{L"ini"};
    std::filesystem::path file = dir / L"Ostrel.ini";
    TIniFile ini{file.wstring()};
};

TEST_F(IniFileTest, MissingFileAndKeyGiveTheDefaultUnchanged) {
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L"  keep  blanks "), L"  keep  blanks ");
    EXPECT_EQ(ini.ReadInteger(L"Timer", L"Sekunden", 90), 90);
    EXPECT_TRUE(ini.ReadBool(L"eMail", L"Dialog", true));
    EXPECT_FALSE(std::filesystem::exists(file));
    ini.WriteString(L"Start", L"Editor", L"x.exe");
    EXPECT_EQ(ini.ReadString(L"Start", L"Other", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L"Nothing", L"Editor", L""), L"");
}

TEST_F(IniFileTest, UmlautNamesAreStoredAsWindows1252) {
    ini.WriteInteger(L"Eingabedateien", L"Löschen", 0);
    ini.WriteBool(L"Verschlüsselung", L"Hohe Auflösung", true);
    ini.WriteString(L"Start", L"Zähler vorne", L"Grüße");
    const std::string bytes = testenv::ReadFileBytes(file);
    EXPECT_NE(bytes.find("L\xF6schen=0"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Verschl\xFCsselung]"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Hohe Aufl\xF6sung=1"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Z\xE4hler vorne=Gr\xFC\xDF"
                         "e"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(ini.ReadInteger(L"Eingabedateien", L"Löschen", 1), 0);
    EXPECT_TRUE(ini.ReadBool(L"Verschlüsselung", L"Hohe Auflösung", false));
    EXPECT_EQ(ini.ReadString(L"Start", L"Zähler vorne", L""), L"Grüße");
}

TEST_F(IniFileTest, ReadersFindKeysWithOtherSpellings) {
    testenv::WriteFileBytes(file, "[Kompatibilit\xE4t]\r\nLevel\xE4nderung =0\r\n[distiller]\r\nautorotatepages=1\r\n");
    EXPECT_EQ(ini.ReadInteger(L"Kompatibilität", L"Leveländerung ", 1), 0);
    EXPECT_EQ(ini.ReadInteger(L"Kompatibilität", L"Leveländerung", 1), 0);
    EXPECT_EQ(ini.ReadInteger(L"Distiller", L"AutorotatePages", 0), 1);
    EXPECT_EQ(ini.ReadInteger(L"Distiller", L"AutoRotatePages", 0), 1);
}

TEST_F(IniFileTest, NumbersAndBooleansAsStored) {
    testenv::WriteFileBytes(file, "[Timer]\r\nSekunden=0x10\r\n[Start]\r\nTray=yes\r\nSeiteJN=2\r\nFormat=$1F\r\n"
                                  "Anzeigen=0\r\n");
    EXPECT_EQ(ini.ReadInteger(L"Timer", L"Sekunden", 90), 16);
    EXPECT_FALSE(ini.ReadBool(L"Start", L"Tray", false));
    EXPECT_TRUE(ini.ReadBool(L"Start", L"Tray", true));
    EXPECT_TRUE(ini.ReadBool(L"Start", L"SeiteJN", false));
    EXPECT_FALSE(ini.ReadBool(L"Start", L"Anzeigen", true));
    EXPECT_EQ(ini.ReadInteger(L"Start", L"Format", 0), 31);
    ini.WriteBool(L"Start", L"Tray", true);
    ini.WriteInteger(L"Timer", L"Sekunden", -5);
    const std::string bytes = testenv::ReadFileBytes(file);
    EXPECT_NE(bytes.find("Tray=1"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Sekunden=-5"), std::string::npos) << bytes;
}

TEST_F(IniFileTest, LineBreaksCannotInjectKeys) {
    ini.WriteString(L"eMail", L"Name", L"abc\r\nAdresse=evil");
    ini.WriteString(L"eMail\n", L"Dom\r\nain", L"x");
    EXPECT_EQ(ini.ReadString(L"eMail", L"Name", L""), L"abcAdresse=evil");
    EXPECT_EQ(ini.ReadString(L"eMail", L"Adresse", L"none"), L"none");
    EXPECT_EQ(ini.ReadString(L"eMail", L"Domain", L""), L"x");
}

TEST_F(IniFileTest, RefusedWriteNamesTheFile) {
    std::filesystem::create_directory(file);
    try {
        ini.WriteString(L"Start", L"Editor", L"x");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), L"In " + file.wstring() + L" kann nicht geschrieben werden");
    }
    EXPECT_THROW(ini.WriteInteger(L"Timer", L"Sekunden", 1), EIniFileException);
    EXPECT_THROW(ini.WriteBool(L"Start", L"Tray", true), EIniFileException);
}

} // namespace
