// The INI wrapper against the real profile functions: code page, key matching, numbers, line breaks, refusals.
#include "win/IniFile.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <windows.h>

namespace {

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

// The system's own reading of a file is the reference: every lookup must give what GetPrivateProfileStringW gives.
std::optional<std::wstring> SystemRead(const std::filesystem::path& file, const wchar_t* section, const wchar_t* key) {
    static const wchar_t kAbsent[] = L"\x01absent\x02";
    wchar_t buffer[512]{};
    const DWORD n = GetPrivateProfileStringW(section, key, kAbsent, buffer, 512, file.wstring().c_str());
    std::wstring value(buffer, n);
    return value == kAbsent ? std::nullopt : std::optional<std::wstring>(value);
}

TEST_F(IniFileTest, ReadsEveryLookupAsTheSystemDoes) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case files[] = {
        {"plain", "[Start]\r\nEditor=notepad.exe\r\nTray=1\r\n[Timer]\r\nSekunden=90\r\n"},
        {"blanks and tabs", "  [Start]  \r\n\t Editor \t=  a b  \r\nTray =\r\n  Format=\t2\t\r\n"},
        {"blanks inside the brackets", "[ Start ]\r\nEditor=x\r\n[Timer ]\r\nSekunden=1\r\n"},
        {"case", "[START]\r\nEDITOR=upper\r\n[timer]\r\nsekunden=3\r\n"},
        {"umlauts", "[Verschl\xFCsselung]\r\nHohe Aufl\xF6sung=1\r\n[Eingabedateien]\r\nL\xD6SCHEN=0\r\n"},
        {"quotes", "[Start]\r\nEditor=\"C:\\Pro gramme\\x.exe\"\r\nTray='1'\r\nFormat=\"2\r\nSeiteJN=\"\r\n"
                   "Anzeigen=\"a\" b\"\r\n"},
        {"duplicates", "[Start]\r\nEditor=first\r\nEditor=second\r\n[Timer]\r\nSekunden=1\r\n[Start]\r\nTray=1\r\n"},
        {"keys before any section", "Editor=none\r\n[Start]\r\nTray=1\r\n"},
        {"no equals sign", "[Start]\r\nEditor\r\nTray=1\r\n"},
        {"empty values", "[Start]\r\nEditor=\r\nTray=   \r\n"},
        {"line ends", "[Start]\nEditor=lf\rTray=cr\r\n\r\n\n[Timer]\r\rSekunden=5"},
        {"brackets and semicolons", "[Start]\r\n;Editor=comment\r\nEditor=[x]\r\n[Timer] trailing\r\nSekunden=7\r\n"
                                    "[Format=9]\r\n"},
        {"equals in the value", "[Start]\r\nEditor=a=b=c\r\nTray==1\r\n"},
        {"end of file mark", "[Start]\r\nEditor=x\x1a\r\nTray=1\r\n"},
        {"no-break space", "[Start]\r\nEditor=\xA0x\xA0\r\nTray\xA0=1\r\n"},
        {"utf-8 mark", "\xEF\xBB\xBF[Start]\r\nEditor=Gr\xC3\xBC\xC3\x9F"
                       "e\r\n"},
        {"empty file", ""},
    };
    const std::pair<const wchar_t*, const wchar_t*> lookups[] = {
        {L"Start", L"Editor"},
        {L"Start", L"Tray"},
        {L"Start", L"Format"},
        {L"Start", L"SeiteJN"},
        {L"Start", L"Anzeigen"},
        {L"start", L"editor"},
        {L" Start ", L" Editor "},
        {L"Timer", L"Sekunden"},
        {L"Verschlüsselung", L"Hohe Auflösung"},
        {L"Eingabedateien", L"Löschen"},
        {L"", L"Editor"},
        {L"Start", L";Editor"},
        {L"Format=9", L"x"},
        {L"Start", L""},
        {L"Nothing", L"Editor"},
    };
    for (const Case& c : files) {
        testenv::WriteFileBytes(file, c.bytes);
        TIniFile reader(file.wstring());
        for (const auto& [section, key] : lookups) {
            const std::optional<std::wstring> expected = SystemRead(file, section, key);
            EXPECT_EQ(reader.ReadString(section, key, L"<default>"), expected.value_or(L"<default>"))
                << c.name << ": [" << testing::PrintToString(std::wstring(section)) << "] "
                << testing::PrintToString(std::wstring(key));
        }
    }
}

TEST_F(IniFileTest, TheFileIsReadOnceAndWritesAndChangesAreSeen) {
    testenv::WriteFileBytes(file, "[Start]\r\nEditor=first.exe\r\nTray=1\r\n[Timer]\r\nSekunden=30\r\n");
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L""), L"first.exe");
    {
        // While nobody may open the file, the other keys still come from the one reading of it.
        HANDLE locked = CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        EXPECT_EQ(SystemRead(file, L"Start", L"Tray"), std::nullopt) << "the lock does not keep the system out";
        EXPECT_TRUE(ini.ReadBool(L"Start", L"Tray", false));
        EXPECT_EQ(TIniFile(file.wstring()).ReadInteger(L"Timer", L"Sekunden", 90), 30);
        CloseHandle(locked);
    }
    // A write through another object is read at once, also by a burst that has already read.
    TIniFile(file.wstring()).WriteString(L"Start", L"Editor", L"second.exe");
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L""), L"second.exe");
    EXPECT_TRUE(ini.ReadBool(L"Start", L"Tray", false));
    // A change made behind the program's back is read by the next burst; the running one keeps one state of the
    // file, so its keys never mix two.
    testenv::WriteFileBytes(file, "[Start]\r\nEditor=third.exe\r\n");
    const TIniFile next(file.wstring());
    EXPECT_EQ(next.ReadString(L"Start", L"Editor", L""), L"third.exe");
    EXPECT_FALSE(next.ReadBool(L"Start", L"Tray", false));
    EXPECT_TRUE(ini.ReadBool(L"Start", L"Tray", false));
    std::filesystem::remove(file);
    EXPECT_EQ(TIniFile(file.wstring()).ReadString(L"Start", L"Editor", L"gone"), L"gone");
}

TEST_F(IniFileTest, AFileThatCannotBeOpenedIsTriedAgainWithinTheBurst) {
    testenv::WriteFileBytes(file, "[Start]\r\nEditor=first.exe\r\n");
    HANDLE locked = CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L"none"), L"none");
    CloseHandle(locked);
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L"none"), L"first.exe");
}

TEST(IniFileBareName, IsTheFileInTheWindowsFolder) {
    const std::wstring name = L"OstrelBareNameTest.ini";
    wchar_t folder[MAX_PATH]{};
    ASSERT_GT(GetWindowsDirectoryW(folder, MAX_PATH), 0u);
    const std::filesystem::path file = std::filesystem::path(folder) / name;
    TIniFile ini(name);
    ini.WriteString(L"Start", L"Editor", L"bare.exe");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(ini.ReadString(L"Start", L"Editor", L""), L"bare.exe");
    testenv::WriteFileBytes(file, "[Start]\r\nEditor=changed.exe\r\n");
    EXPECT_EQ(TIniFile(name).ReadString(L"Start", L"Editor", L""), L"changed.exe");
    std::filesystem::remove(file);
}

} // namespace
