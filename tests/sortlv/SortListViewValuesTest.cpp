// The window-free parts of the sortable list view: mask normalisation, the date pictures with a four-digit
// year, the process-wide shell values and the shortcut helpers.
#include "components/SortListView.h"

#include "support/TestEnv.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w)
        s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// --- NormalizeMask -------------------------------------------------------------------------------------------

struct MaskCase {
    const wchar_t* text;
    const wchar_t* normalised;
};
std::ostream& operator<<(std::ostream& out, const MaskCase& c) {
    return out << '"' << Narrow(c.text) << '"';
}

class MaskNormalisation : public testing::TestWithParam<MaskCase> {};

TEST_P(MaskNormalisation, GivesTheTable) {
    EXPECT_EQ(NormalizeMask(GetParam().text), GetParam().normalised);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MaskNormalisation,
    testing::Values(MaskCase{L" *.PS, *.PRN ", L"*.ps;*.prn"}, // leading blank, comma and blank, trailing blank
                    MaskCase{L"", L"*.*"}, MaskCase{L"    ", L"*.*"}, MaskCase{L"\t\r\n", L"*.*"},
                    MaskCase{L"*.*", L"*.*"}, MaskCase{L"*.PDF", L"*.pdf"}, MaskCase{L"a;;;b", L"a;b"},
                    MaskCase{L"a , b", L"a;b"}, MaskCase{L"a,,b", L"a;b"}, MaskCase{L"a b", L"a;b"},
                    MaskCase{L"\t*.ps\t", L"*.ps"}, MaskCase{L"*.ps;", L"*.ps;"},
                    MaskCase{L"\u00C4RGER*.PS", L"\u00E4rger*.ps"}, MaskCase{L"A?C", L"a?c"}));

// --- GetNextMask -------------------------------------------------------------------------------------------

struct SplitCase {
    const wchar_t* text;
    std::vector<std::wstring> masks;
};
std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
    return out << '"' << Narrow(c.text) << '"';
}

class MaskSplitting : public testing::TestWithParam<SplitCase> {};

TEST_P(MaskSplitting, TakesOneMaskAtATime) {
    std::wstring rest = GetParam().text;
    std::vector<std::wstring> taken;
    while (!rest.empty() && taken.size() < 10)
        taken.push_back(GetNextMask(rest));
    EXPECT_EQ(taken, GetParam().masks);
    EXPECT_TRUE(rest.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, MaskSplitting,
                         testing::Values(SplitCase{L"*.ps;*.prn;a?c", {L"*.ps", L"*.prn", L"a?c"}},
                                         SplitCase{L"*.*", {L"*.*"}}, SplitCase{L";x", {L"", L"x"}},
                                         SplitCase{L"a;", {L"a"}}, SplitCase{L"", {}}));

TEST(MaskSplitting, EmptyRestGivesEmptyMask) {
    std::wstring rest;
    EXPECT_EQ(GetNextMask(rest), L"");
    EXPECT_EQ(rest, L"");
}

// --- date pictures ------------------------------------------------------------------------------------------

struct DateCase {
    const wchar_t* shortDate;
    const wchar_t* fourDigit;
};
std::ostream& operator<<(std::ostream& out, const DateCase& c) {
    return out << '"' << Narrow(c.shortDate) << '"';
}

class FourDigitYear : public testing::TestWithParam<DateCase> {};

TEST_P(FourDigitYear, FromTheShortDatePicture) {
    EXPECT_EQ(FourDigitYearDateFormat(GetParam().shortDate), GetParam().fourDigit);
}

INSTANTIATE_TEST_SUITE_P(Table, FourDigitYear,
                         testing::Values(DateCase{L"dd.MM.yy", L"dd.MM.yyyy"},   // year at the end
                                         DateCase{L"M/d/yy", L"M/d/yyyy"},       //
                                         DateCase{L"yy/MM/dd", L"yyyy/MM/dd"},   // year at the start
                                         DateCase{L"yy-M-d", L"yyyy-M-d"},       //
                                         DateCase{L"dd.MM.yyyy", L"dd.MM.yyyy"}, // four digits already
                                         DateCase{L"yyyy-MM-dd", L"yyyy-MM-dd"}, //
                                         DateCase{L"d.M.YY", L"d.M.YYyy"},       // the test ignores case
                                         DateCase{L"MM/yy/dd", L"MM/yyyy/dd"},   // inside: widened in place
                                         DateCase{L"dd.MM", L"dd.MM"}));         // no year at all

struct ComposeCase {
    TDateTimeDisplay display;
    const wchar_t* picture;
};

class DateTimePicture : public testing::TestWithParam<ComposeCase> {};

TEST_P(DateTimePicture, JoinsDateAndTimeWithTwoBlanks) {
    EXPECT_EQ(ComposeDateTimeFormat(GetParam().display, L"dd.MM.yyyy", L"HH:mm:ss", L"HH:mm"), GetParam().picture);
}

INSTANTIATE_TEST_SUITE_P(Table, DateTimePicture,
                         testing::Values(ComposeCase{dtdDateTimeSec, L"dd.MM.yyyy  HH:mm:ss"},
                                         ComposeCase{dtdDateTime, L"dd.MM.yyyy  HH:mm"},
                                         ComposeCase{dtdDate, L"dd.MM.yyyy"}));

TEST(DateTimeText, KeepsMonthsAndMinutesApart) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 5;
    t.wHour = 14;
    t.wMinute = 7;
    t.wSecond = 9;
    EXPECT_EQ(FormatDateAndTime(L"dd.MM.yyyy", L"HH:mm:ss", t), L"05.03.2024  14:07:09");
    EXPECT_EQ(FormatDateAndTime(L"yyyy-MM-dd", L"HH:mm", t), L"2024-03-05  14:07");
    EXPECT_EQ(FormatDateAndTime(L"dd.MM.yyyy", L"", t), L"05.03.2024");
}

// --- unit values --------------------------------------------------------------------------------------------

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
    return std::wstring(buffer, n < MAX_PATH * 2 ? n : 0);
}

void ExpectFolderWithOneBackslash(const std::wstring& folder) {
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_NE(folder[folder.size() - 2], L'\\');
    DWORD attributes = GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << Narrow(folder);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(UnitValues, WinDirIsTheWindowsFolder) {
    ExpectFolderWithOneBackslash(WinDir);
    std::wstring fromEnvironment = Environment(L"windir");
    ASSERT_FALSE(fromEnvironment.empty());
    EXPECT_TRUE(SameText(WinDir, fromEnvironment + L"\\")) << Narrow(WinDir) << " vs " << Narrow(fromEnvironment);
}

TEST(UnitValues, TempDirIsTheTempFolder) {
    ExpectFolderWithOneBackslash(TempDir);
    std::wstring fromEnvironment = Environment(L"TMP");
    if (fromEnvironment.empty())
        fromEnvironment = Environment(L"TEMP");
    ASSERT_FALSE(fromEnvironment.empty());
    if (fromEnvironment.back() != L'\\')
        fromEnvironment += L'\\';
    wchar_t longName[MAX_PATH] = {};
    GetLongPathNameW(fromEnvironment.c_str(), longName, MAX_PATH);
    wchar_t ourLong[MAX_PATH] = {};
    GetLongPathNameW(TempDir.c_str(), ourLong, MAX_PATH);
    EXPECT_TRUE(SameText(ourLong, longName)) << Narrow(TempDir) << " vs " << Narrow(fromEnvironment);
}

TEST(UnitValues, CommonControlsVersionIsTheLoadedOne) {
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    auto getVersion =
        reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    ASSERT_EQ(getVersion(&info), S_OK);
    EXPECT_EQ(HIWORD(ComCtlVersion), info.dwMajorVersion);
    EXPECT_EQ(LOWORD(ComCtlVersion), info.dwMinorVersion);
    EXPECT_EQ(IsComCtl470, ComCtlVersion >= 0x00040046);
    EXPECT_TRUE(IsComCtl470);
}

int IconOf(const std::wstring& name, DWORD attributes, UINT flags, std::wstring* typeName = nullptr) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(name.c_str(), attributes, &info, sizeof info, flags))
        return -1;
    if (typeName)
        *typeName = info.szTypeName;
    return info.iIcon;
}

TEST(UnitValues, StandardIconsAreTheShellsOwn) {
    testenv::TempDir scratch(L"icons");
    std::wstring folder = scratch.path().wstring();
    std::wstring typeName;
    EXPECT_EQ(StdDirIcon, IconOf(folder, 0, SHGFI_SYSICONINDEX | SHGFI_TYPENAME, &typeName));
    EXPECT_EQ(StdDirTypeName, typeName);
    EXPECT_FALSE(StdDirTypeName.empty());
    int openFolder = IconOf(folder, 0, SHGFI_SYSICONINDEX | SHGFI_OPENICON);
    EXPECT_EQ(StdDirSelIcon, openFolder);
    EXPECT_EQ(DefaultFileIcon,
              IconOf(L"report.qqzzx", FILE_ATTRIBUTE_NORMAL, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
    EXPECT_EQ(ExeFileIcon, IconOf(L"setup.com", FILE_ATTRIBUTE_NORMAL, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
    EXPECT_GE(DefaultFileIcon, 0);
    EXPECT_GE(StdDirIcon, 0);
}

// --- shortcuts ----------------------------------------------------------------------------------------------

class Shortcuts : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        std::filesystem::create_directory(dir.path() / L"docs");
        target = (dir.path() / L"docs" / L"report.ps").wstring();
        testenv::WriteFileBytes(target, "%!PS\n");
    }
    void TearDown() override { CoUninitialize(); }

    testenv::TempDir dir{L"lnk"};
    std::wstring target;
};

TEST_F(Shortcuts, DefaultNameIsTargetPlusLnkAndResolvesBack) {
    ASSERT_TRUE(CreateFileShortCut(target, L"", L"The report"));
    std::wstring link = target + L".lnk";
    ASSERT_TRUE(std::filesystem::exists(link));
    EXPECT_TRUE(SameText(ResolveShortcut(link, false), target)) << Narrow(ResolveShortcut(link, false));
    EXPECT_TRUE(SameText(ResolveShortcut(link, true), target));
}

TEST_F(Shortcuts, NamedLinkKeepsWorkingFolderAndDescription) {
    std::wstring link = (dir.path() / L"Report link.lnk").wstring();
    ASSERT_TRUE(CreateFileShortCut(target, link, L"Converted report"));
    ASSERT_TRUE(std::filesystem::exists(link));
    EXPECT_FALSE(std::filesystem::exists(target + L".lnk"));

    Microsoft::WRL::ComPtr<IShellLinkW> shell;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell)), S_OK);
    Microsoft::WRL::ComPtr<IPersistFile> file;
    ASSERT_EQ(shell.As(&file), S_OK);
    ASSERT_EQ(file->Load(link.c_str(), STGM_READ), S_OK);
    wchar_t text[MAX_PATH] = {};
    ASSERT_EQ(shell->GetWorkingDirectory(text, MAX_PATH), S_OK);
    EXPECT_TRUE(SameText(text, (dir.path() / L"docs").wstring())) << Narrow(text);
    ASSERT_EQ(shell->GetDescription(text, MAX_PATH), S_OK);
    EXPECT_STREQ(text, L"Converted report");
    EXPECT_TRUE(SameText(ResolveShortcut(link, false), target));
}

TEST_F(Shortcuts, FailuresGiveEmptyTextOrFalse) {
    EXPECT_EQ(ResolveShortcut((dir.path() / L"missing.lnk").wstring(), false), L"");
    EXPECT_EQ(ResolveShortcut(target, false), L""); // a PostScript file is no shortcut
    EXPECT_FALSE(CreateFileShortCut(target, (dir.path() / L"no such folder" / L"x.lnk").wstring(), L""));
}

} // namespace
