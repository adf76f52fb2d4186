// The drive table on the scratch drives S: and T:: names in the three styles, the "NoDrives" policy, sizes,
// icons, and the CD-ROM and network name forms through the table's system-call seam.
#include "components/DriveTable.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <filesystem>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr wchar_t PolicyKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// Sets HKCU's "NoDrives" for one test and puts back what was there before.
class NoDrivesPolicy {
public:
    NoDrivesPolicy() {
        RegCreateKeyExW(HKEY_CURRENT_USER, PolicyKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExW(key_, L"NoDrives", nullptr, &savedType_, saved_, &size) == ERROR_SUCCESS;
        savedSize_ = size;
    }
    ~NoDrivesPolicy() {
        if (had_) {
            RegSetValueExW(key_, L"NoDrives", 0, savedType_, saved_, savedSize_);
        } else {
            RegDeleteValueW(key_, L"NoDrives");
        }
        RegCloseKey(key_);
    }
    void Set(DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(RegSetValueExW(key_, L"NoDrives", 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD savedType_ = 0;
    BYTE saved_[64] = {};
    DWORD savedSize_ = 0;
};

std::vector<BYTE> LittleEndian(DWORD mask) {
    return {BYTE(mask), BYTE(mask >> 8), BYTE(mask >> 16), BYTE(mask >> 24)};
}

constexpr DWORD BitOf(wchar_t drive) {
    return 1u << (drive - L'A');
}

// Volume information comes from Wine's mount manager, which may still be starting when the first test program of
// a fresh prefix runs. Wait for it with a deadline.
void WaitForScratchVolume() {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    DWORD serial = 0;
    while (!GetVolumeInformationW(L"S:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        ASSERT_LT(GetTickCount64(), deadline) << "volume information of S: never became available";
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
}

class DriveTable : public testing::Test {
protected:
    void SetUp() override { WaitForScratchVolume(); }
};

// The label the prefix reports for a drive (Wine reads it once per session, so tests cannot change it).
std::wstring CurrentLabel(const wchar_t* root) {
    wchar_t label[MAX_PATH + 1] = {};
    EXPECT_TRUE(GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0));
    return label;
}

// The system's calls, with some drive types and the network connection replaced.
TDriveSystemCalls Steered(std::map<wchar_t, UINT> types, std::wstring unc = L"", bool connected = true,
                          std::wstring label = L"") {
    TDriveSystemCalls calls = TDriveSystemCalls::System();
    auto system = calls.DriveTypeOf;
    calls.DriveTypeOf = [types, system](const std::wstring& root) {
        auto it = types.find(root[0]);
        return it != types.end() ? it->second : system(root);
    };
    calls.NetConnection = [unc, connected](const std::wstring& localName, std::wstring& remoteName) {
        EXPECT_EQ(localName.size(), 2u);
        remoteName = unc;
        return connected;
    };
    if (!label.empty()) {
        auto system = calls.VolumeInformation;
        calls.VolumeInformation = [label, system](const std::wstring& root, TVolumeInformation& info) {
            bool ok = system(root, info);
            info.Label = label;
            return ok;
        };
    }
    return calls;
}

std::string ConvertMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "(no EConvertError)";
}

} // namespace

TEST_F(DriveTable, ConstructorReadsTypesOnly) {
    TDriveInfo table;
    for (wchar_t drive : {L'S', L'T'}) {
        TDriveInfoRec rec = table.Data(drive);
        EXPECT_EQ(rec.DriveType, static_cast<int>(GetDriveTypeW(std::wstring{drive, L':', L'\\'}.c_str())));
        EXPECT_TRUE(rec.Valid);
        EXPECT_FALSE(rec.Init);
        EXPECT_EQ(rec.Size, -1);
        EXPECT_EQ(rec.PIDL, nullptr);
        EXPECT_TRUE(rec.DisplayName.empty());
    }
    TDriveInfoRec missing = table.Data(L'R');
    EXPECT_FALSE(missing.Valid);
    EXPECT_EQ(table.PrettyName(L'R'), L"R:");
    EXPECT_EQ(table.ImageIndex(L'R'), 0);
    EXPECT_FALSE(table.ReadDriveStatus(L'R', dsSize | dsDisplayName));
    EXPECT_EQ(table.Data(L'R').Size, 0);
}

TEST_F(DriveTable, NamesInTheThreeStyles) {
    TDriveInfo table;
    const std::wstring label = CurrentLabel(L"S:\\");
    const std::wstring shell = table.DisplayName(L'S');
    EXPECT_EQ(shell, label + L" (S:)");
    EXPECT_EQ(table.PrettyName(L'S'), L"S: " + label + L" ");
    EXPECT_EQ(table.LongPrettyName(L'S'), L"S: " + label + L" ");
    TDriveInfoRec rec = table.Data(L'S');
    EXPECT_TRUE(rec.Init);
    EXPECT_NE(rec.PIDL, nullptr);
    EXPECT_EQ(rec.DisplayName, shell);
}

TEST_F(DriveTable, SizeAndVolumeInformation) {
    TDriveInfo table;
    ASSERT_TRUE(table.ReadDriveStatus(L's', dsSize)); // ReadDriveStatus takes lower case too
    TDriveInfoRec rec = table.Data(L'S');
    ULARGE_INTEGER freeAvailable, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &freeAvailable, &total, &totalFree));
    EXPECT_EQ(rec.Size, static_cast<std::int64_t>(total.QuadPart));
    EXPECT_TRUE(rec.DriveReady);
    DWORD serial = 0, maxLength = 0, flags = 0;
    wchar_t fs[64] = {};
    wchar_t label[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"S:\\", label, MAX_PATH + 1, &serial, &maxLength, &flags, fs, 64));
    EXPECT_EQ(rec.DriveSerial, serial);
    EXPECT_EQ(rec.MaxFileNameLength, maxLength);
    EXPECT_EQ(rec.FileSystemFlags, flags);
    EXPECT_EQ(rec.FileSystemName, fs);
    EXPECT_TRUE(rec.DisplayName.empty()); // only what was asked for
}

TEST_F(DriveTable, IconIndexComesFromTheSystemImageList) {
    TDriveInfo table;
    SHFILEINFOW info{};
    ASSERT_NE(SHGetFileInfoW(L"T:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON), 0u);
    EXPECT_EQ(table.ImageIndex(L'T'), info.iIcon);
    EXPECT_EQ(table.Data(L'T').ImageIndex, info.iIcon);
}

TEST_F(DriveTable, LettersOutsideAToZRaise) {
    TDriveInfo table;
    EXPECT_EQ(ConvertMessage([&] { table.Data(L's'); }), "s is a invalid drive letter.");
    EXPECT_EQ(ConvertMessage([&] { table.PrettyName(L'1'); }), "1 is a invalid drive letter.");
    EXPECT_EQ(ConvertMessage([&] { table.DisplayName(L'['); }), "[ is a invalid drive letter.");
    EXPECT_EQ(ConvertMessage([&] { table.LongPrettyName(L'@'); }), "@ is a invalid drive letter.");
    EXPECT_EQ(ConvertMessage([&] { table.ImageIndex(L'z'); }), "z is a invalid drive letter.");
    EXPECT_EQ(ConvertMessage([&] { table.ReadDriveStatus(L'?', 0); }), "? is a invalid drive letter.");
    EXPECT_NO_THROW(table.ReadDriveStatus(L't', 0));
}

TEST_F(DriveTable, NoDrivesPolicyHidesDrives) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        DWORD expectedMask;
    };
    const std::vector<Case> cases = {
        {"DWORD", REG_DWORD, LittleEndian(BitOf(L'S')), BitOf(L'S')},
        {"4-byte binary", REG_BINARY, LittleEndian(BitOf(L'S') | BitOf(L'A')), BitOf(L'S') | BitOf(L'A')},
        {"short binary", REG_BINARY, {0x00, 0x00, 0x04}, BitOf(L'S')},
        {"long binary", REG_BINARY, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
        {"text", REG_SZ, {'1', 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoDrivesPolicy policy;
        policy.Set(c.type, c.data);
        TDriveInfo table;
        EXPECT_EQ(table.NoDrives(), c.expectedMask);
        const bool hidden = (c.expectedMask & BitOf(L'S')) != 0;
        EXPECT_EQ(table.Data(L'S').Valid, !hidden);
        EXPECT_TRUE(table.Data(L'T').Valid);
        if (hidden) {
            EXPECT_EQ(table.DisplayName(L'S'), L"S:");
            EXPECT_EQ(table.PrettyName(L'S'), L"S:");
            EXPECT_EQ(table.LongPrettyName(L'S'), L"S:");
            EXPECT_EQ(table.ImageIndex(L'S'), 0);
            EXPECT_FALSE(table.ReadDriveStatus(L'S', dsSize | dsDisplayName | dsImageIndex));
            EXPECT_EQ(table.Data(L'S').PIDL, nullptr);
            EXPECT_TRUE(table.ReadDriveStatus(L'T', dsSize));
        }
    }
    TDriveInfo restored;
    EXPECT_EQ(restored.NoDrives(), ReadNoDrivesPolicy());
}

TEST_F(DriveTable, CdRomShowsItsLabel) {
    struct Case {
        const wchar_t* label;
        const wchar_t* displayName;
        const wchar_t* prettyName;
    };
    for (const Case& c : {Case{L"SETUP_DISC", L"Setup_disc (S:)", L"S: Setup_disc "},
                          Case{L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", L"Abcdefghijklmnopqrstuvwxyz0123 (S:)",
                               L"S: Abcdefghijklmnopqrstuvwxyz0123 "},
                          Case{L"\u00C4RGER", L"\u00C4rger (S:)", L"S: \u00C4rger "}}) {
        TDriveInfo table(Steered({{L'S', DRIVE_CDROM}}, L"", true, c.label));
        ASSERT_TRUE(table.ReadDriveStatus(L'S', dsSize | dsDisplayName));
        EXPECT_EQ(table.DisplayName(L'S'), c.displayName);
        EXPECT_EQ(table.PrettyName(L'S'), c.prettyName);
        EXPECT_EQ(table.LongPrettyName(L'S'), c.prettyName);
        EXPECT_FALSE(table.Data(L'S').FileSystemName.empty());
    }
    // Without the size read in the same call the label is not known: the shell's name stands.
    TDriveInfo table(Steered({{L'S', DRIVE_CDROM}}, L"", true, L"SETUP_DISC"));
    EXPECT_EQ(table.DisplayName(L'S'), CurrentLabel(L"S:\\") + L" (S:)");
}

TEST_F(DriveTable, SystemVolumeInformationOfTheScratchDrive) {
    // The system call itself, as the table makes it.
    TVolumeInformation info;
    ASSERT_TRUE(TDriveSystemCalls::System().VolumeInformation(L"S:\\", info));
    EXPECT_EQ(info.Label, CurrentLabel(L"S:\\"));
    EXPECT_FALSE(info.FileSystemName.empty());
}

TEST_F(DriveTable, CdRomWithoutADiscIsNamedByItsLetter) {
    // R: does not exist in the test prefix: as a CD-ROM it is a drive without a medium.
    TDriveInfo table(Steered({{L'R', DRIVE_CDROM}}));
    EXPECT_FALSE(table.ReadDriveStatus(L'R', dsSize | dsDisplayName));
    TDriveInfoRec rec = table.Data(L'R');
    EXPECT_TRUE(rec.Valid);
    EXPECT_FALSE(rec.DriveReady);
    EXPECT_EQ(rec.Size, -1);
    EXPECT_EQ(rec.DisplayName, L"R:");
    EXPECT_EQ(rec.PrettyName, L"R:");
    EXPECT_EQ(rec.LongPrettyName, L"R:");
    EXPECT_EQ(rec.PIDL, nullptr);
}

TEST_F(DriveTable, NetworkDriveNames) {
    {
        TDriveInfo table(Steered({{L'T', DRIVE_REMOTE}}, L"\\\\server\\share"));
        EXPECT_EQ(table.PrettyName(L'T'), L"T: share");
        EXPECT_EQ(table.LongPrettyName(L'T'), L"T: \\\\server\\share");
    }
    {
        TDriveInfo broken(Steered({{L'T', DRIVE_REMOTE}}, L"\\\\stale\\x", false));
        EXPECT_EQ(broken.PrettyName(L'T'), L"T: ");
        EXPECT_EQ(broken.LongPrettyName(L'T'), L"T: ");
    }
}

TEST_F(DriveTable, TheProcessTableIsThere) {
    EXPECT_TRUE(DriveInfo.Data(L'S').Valid || (DriveInfo.NoDrives() & BitOf(L'S')) != 0);
    EXPECT_FALSE(DriveInfo.Data(L'R').Valid);
}
