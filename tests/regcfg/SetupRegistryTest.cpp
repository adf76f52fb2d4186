// The installer's registry detection and port configuration against the real (Wine) registry of the test prefix:
// HKEY_LOCAL_MACHINE is writable there, so every case starts by removing what an earlier case left.
#include "installer/setup/SetupRegistry.h"

#include "gui/MessageBox.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

constexpr wchar_t kMonitorKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";
constexpr wchar_t kMonitorName[] = L"Umgeleiteter Anschlu\u00df";
constexpr wchar_t kGhostscriptParent[] = L"SOFTWARE\\AFPL Ghostscript";
constexpr wchar_t kScratchKey[] = L"SOFTWARE\\OstrelRegcfgTest";
const std::wstring kMissingHead = L"Fehlenden Eintrag in der Windows-Registry erkannt:\r\r";

struct RawValue {
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

std::optional<RawValue> QueryRaw(const std::wstring& key, const std::wstring& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(opened, name.c_str(), nullptr, &value.Type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        value.Data.resize(size);
        rc = RegQueryValueExW(opened, name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
        value.Data.resize(size);
    }
    RegCloseKey(opened);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

DWORD ValueCount(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(opened);
    return count;
}

// REG_SZ data as written: UTF-16 with its terminating zero.
std::vector<BYTE> SzBytes(const std::wstring& text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

std::vector<BYTE> DwordBytes(DWORD value) {
    std::vector<BYTE> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    HKEY created = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
        ERROR_SUCCESS);
    const auto bytes = SzBytes(value);
    EXPECT_EQ(RegSetValueExW(created, name.c_str(), 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(created);
}

// A key name the registry refuses: one component longer than the 255 characters a key name may have.
std::wstring UnopenableKey() {
    return std::wstring(kScratchKey) + L"\\" + std::wstring(300, L'x');
}

class SetupRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, kGhostscriptParent);
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kMonitorKey) + L"\\" + kMonitorName).c_str());
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, kScratchKey);
        RegistryEntryMissing = false;
    }
    void TearDown() override { SetUp(); }

    std::vector<std::wstring> BoxTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& r : boxes.Records)
            texts.push_back(r.Text);
        return texts;
    }

    gui::MessageBoxRecorder boxes;
};

TEST_F(SetupRegistryTest, TheRefusedKeyOfTheseTestsIsReallyRefused) {
    HKEY created = nullptr;
    EXPECT_NE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, UnopenableKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &created, nullptr),
              ERROR_SUCCESS);
    if (created)
        RegCloseKey(created);
}

struct MissingCase {
    const wchar_t* Key;
    const wchar_t* Name;
    std::wstring Message;
};

TEST_F(SetupRegistryTest, AMissingValueCreatesItsKeySetsTheFlagAndNamesWhatIsMissing) {
    const MissingCase cases[] = {
        {GhostscriptSchluessel, GhostscriptWert, kMissingHead + L"AFPL Ghostscript ist noch nicht installiert!"},
        {PortSchluessel, PortWert, kMissingHead + L"RedMon ist noch nicht installiert!"},
        {kScratchKey, L"Irgendwas",
         kMissingHead + L"Der Registry-Key 'Irgendwas' existiert nicht unter: " + kScratchKey},
        // The names are matched exactly: another spelling is "any other name".
        {GhostscriptSchluessel, L"gs_dll",
         kMissingHead + L"Der Registry-Key 'gs_dll' existiert nicht unter: " + GhostscriptSchluessel},
    };
    for (const MissingCase& c : cases) {
        SCOPED_TRACE(c.Name);
        boxes.Records.clear();
        RegistryEntryMissing = false;
        std::wstring text = L"unber\u00fchrt";
        ReadRegString(c.Key, c.Name, text);
        EXPECT_TRUE(RegistryEntryMissing);
        EXPECT_EQ(text, L"unber\u00fchrt");
        EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{c.Message});
        EXPECT_TRUE(KeyExists(c.Key));
        EXPECT_EQ(ValueCount(c.Key), 0u);
    }
}

TEST_F(SetupRegistryTest, APresentValueIsReadAndClearsTheFlagAfterAnEarlierMiss) {
    std::wstring text;
    ReadRegString(GhostscriptSchluessel, GhostscriptWert, text);
    ASSERT_TRUE(RegistryEntryMissing);
    boxes.Records.clear();

    const std::wstring gsDll = L"C:\\Programme\\gs\\gs8.54\\bin\\gsdll32.dll";
    SetString(GhostscriptSchluessel, GhostscriptWert, gsDll);
    ReadRegString(GhostscriptSchluessel, GhostscriptWert, text);
    EXPECT_FALSE(RegistryEntryMissing);
    EXPECT_EQ(text, gsDll);
    EXPECT_TRUE(boxes.Records.empty());

    // An empty value is present all the same.
    SetString(kScratchKey, L"Leer", L"");
    text = L"vorher";
    ReadRegString(kScratchKey, L"Leer", text);
    EXPECT_FALSE(RegistryEntryMissing);
    EXPECT_EQ(text, L"");
}

TEST_F(SetupRegistryTest, AKeyThatCannotBeOpenedIsReportedAndCountsAsMissing) {
    std::wstring text = L"vorher";
    RegistryEntryMissing = false;
    ReadRegString(UnopenableKey(), GhostscriptWert, text);
    EXPECT_TRUE(RegistryEntryMissing);
    EXPECT_EQ(text, L"vorher");
    EXPECT_EQ(BoxTexts(),
              std::vector<std::wstring>{L"Fehler beim \u00f6ffnen/erstellen des Registry-Key: " + UnopenableKey()});
}

TEST_F(SetupRegistryTest, WritesCreateTheKeyAndFailuresAreReported) {
    EXPECT_TRUE(WriteRegString(std::wstring(kScratchKey) + L"\\Unter\\", L"Name", L"Wert \u00e4\u00f6\u00fc"));
    EXPECT_TRUE(WriteRegString(std::wstring(kScratchKey) + L"\\Unter", L"", L"Standard"));
    EXPECT_TRUE(WriteRegDWord(std::wstring(kScratchKey) + L"\\Unter", L"Zahl", 0xFFFFFFFFul));
    const std::wstring under = std::wstring(kScratchKey) + L"\\Unter";
    auto name = QueryRaw(under, L"Name");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name->Data, SzBytes(L"Wert \u00e4\u00f6\u00fc"));
    auto standard = QueryRaw(under, L"");
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard->Data, SzBytes(L"Standard"));
    auto zahl = QueryRaw(under, L"Zahl");
    ASSERT_TRUE(zahl);
    EXPECT_EQ(zahl->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(zahl->Data, DwordBytes(0xFFFFFFFFul));
    EXPECT_TRUE(boxes.Records.empty());

    EXPECT_FALSE(WriteRegString(UnopenableKey(), L"Name", L"x"));
    EXPECT_FALSE(WriteRegDWord(UnopenableKey(), L"Zahl", 1));
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Error opening/creating key: " + UnopenableKey(),
                                                     L"Error opening/creating key: " + UnopenableKey()}));
}

struct PortValue {
    const wchar_t* Name;
    DWORD Type;
    std::vector<BYTE> Data;
};

TEST_F(SetupRegistryTest, ThePortConfigurationWritesItsThirteenValuesExactly) {
    const std::wstring root = L"C:\\Programme\\gs\\";
    ASSERT_TRUE(PortKonfigurationSchreiben(root));
    EXPECT_TRUE(boxes.Records.empty());

    const PortValue expected[] = {
        {L"", REG_SZ, SzBytes(L"")},
        {L"Arguments", REG_SZ, SzBytes(L"c:\\pdf\\in\"\\%d_%02d.ps\"")},
        {L"Command", REG_SZ, SzBytes(L"C:\\Programme\\gs\\redmon\\redfile.exe")},
        {L"Delay", REG_DWORD, DwordBytes(0x12c)},
        {L"Description", REG_SZ, SzBytes(L"PDF-Drucker f\u00fcr Ostrel")},
        {L"LogFileDebug", REG_DWORD, DwordBytes(0)},
        {L"LogFileName", REG_SZ, SzBytes(L"")},
        {L"LogFileUse", REG_DWORD, DwordBytes(0)},
        {L"Output", REG_DWORD, DwordBytes(0)},
        {L"Printer", REG_SZ, SzBytes(L"PDF-Drucker")},
        {L"PrintError", REG_DWORD, DwordBytes(0)},
        {L"RunUser", REG_DWORD, DwordBytes(1)},
        {L"ShowWindow", REG_DWORD, DwordBytes(2)},
    };
    for (const PortValue& v : expected) {
        SCOPED_TRACE(v.Name);
        auto raw = QueryRaw(PortSchluessel, v.Name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->Type, v.Type);
        EXPECT_EQ(raw->Data, v.Data);
    }
    EXPECT_EQ(ValueCount(PortSchluessel), std::size(expected));

    // The value the detection looks for is now there.
    std::wstring command;
    ReadRegString(PortSchluessel, PortWert, command);
    EXPECT_FALSE(RegistryEntryMissing);
    EXPECT_EQ(command, L"C:\\Programme\\gs\\redmon\\redfile.exe");
}

TEST_F(SetupRegistryTest, ASecondPortConfigurationReplacesTheFirst) {
    ASSERT_TRUE(PortKonfigurationSchreiben(L"D:\\gs\\"));
    ASSERT_TRUE(PortKonfigurationSchreiben(L"E:\\gs\\"));
    auto raw = QueryRaw(PortSchluessel, L"Command");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->Data, SzBytes(L"E:\\gs\\redmon\\redfile.exe"));
    EXPECT_EQ(ValueCount(PortSchluessel), 13u);
    EXPECT_TRUE(boxes.Records.empty());
}

TEST_F(SetupRegistryTest, ThePortIsConfiguredOnlyWhenRedMonsSetupRan) {
    struct Case {
        int SetupResult;
        bool Configured;
        const wchar_t* Message;
    };
    const Case cases[] = {
        {-1, false, L"RedMon-Setup konnte nicht gestartet werden!"},
        {0, true, L"RedMon-Setup beendet!"},
        {3, true, L"RedMon-Setup beendet!"}, // it ran; what it answered is its own business
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.SetupResult);
        SetUp();
        boxes.Records.clear();
        EXPECT_EQ(RedMonSetupAbschliessen(c.SetupResult, L"C:\\gs\\"), c.Configured);
        EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{c.Message});
        EXPECT_EQ(QueryRaw(PortSchluessel, L"Command").has_value(), c.Configured);
        EXPECT_EQ(ValueCount(PortSchluessel), c.Configured ? 13u : 0u);
        // The next detection sees exactly that.
        boxes.Records.clear();
        std::wstring command;
        ReadRegString(PortSchluessel, PortWert, command);
        EXPECT_EQ(RegistryEntryMissing, !c.Configured);
    }
}

TEST_F(SetupRegistryTest, TheMonitorKeyNameKeepsItsSharpS) {
    ASSERT_TRUE(PortKonfigurationSchreiben(L"C:\\gs\\"));
    HKEY monitors = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorKey, 0, KEY_READ, &monitors), ERROR_SUCCESS);
    bool foundWide = false;
    wchar_t wide[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = std::size(wide);
        if (RegEnumKeyExW(monitors, i, wide, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        foundWide = foundWide || std::wstring(wide, size) == kMonitorName;
    }
    // Through the ANSI functions (code page 1252) the name is the single byte 0xDF, as the monitor reads it.
    bool foundAnsi = false;
    char ansi[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = std::size(ansi);
        if (RegEnumKeyExA(monitors, i, ansi, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        foundAnsi = foundAnsi || std::string(ansi, size) == "Umgeleiteter Anschlu\xDF";
    }
    RegCloseKey(monitors);
    EXPECT_TRUE(foundWide);
    EXPECT_TRUE(foundAnsi);
    HKEY port = nullptr;
    EXPECT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Umgeleiteter Anschlu\xDF\\Ports\\RPT1:", 0,
                      KEY_READ, &port),
        ERROR_SUCCESS);
    if (port)
        RegCloseKey(port);
}

TEST_F(SetupRegistryTest, ProgramFilesPathEndsInExactlyOneBackslash) {
    const std::wstring path = ProgramFilesPath();
    ASSERT_GE(path.size(), 4u);
    EXPECT_EQ(path.back(), L'\\');
    EXPECT_NE(path[path.size() - 2], L'\\');
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    wchar_t fromEnvironment[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", fromEnvironment, MAX_PATH), 0u);
    EXPECT_EQ(CompareStringOrdinal(path.c_str(), -1, (std::wstring(fromEnvironment) + L"\\").c_str(), -1, TRUE),
              CSTR_EQUAL);
}

} // namespace
