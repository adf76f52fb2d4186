#include "components/DriveTable.h"

#include "components/BaseUtils.h"
#include "components/MaskSearch.h"
#include "core/TextEncoding.h"
#include "win/Handles.h"
#include "win/SystemText.h"

#include <shellapi.h>
#include <winnetwk.h>

namespace {

constexpr wchar_t PolicyKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::wstring RootOf(wchar_t drive) {
    return {drive, L':', L'\\'};
}

void CheckLetter(wchar_t drive) {
    if (drive < L'A' || drive > L'Z') {
        throw EConvertError(Utf8FromWide(std::wstring(1, drive)) + " is a invalid drive letter.");
    }
}

// Media without a disc must not bring up the system's "insert a disk" box while the table looks at them.
class TErrorModeScope {
public:
    explicit TErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
    ~TErrorModeScope() { SetErrorMode(previous_); }
    TErrorModeScope(const TErrorModeScope&) = delete;
    TErrorModeScope& operator=(const TErrorModeScope&) = delete;

private:
    UINT previous_;
};

// The name up to the "(" that opens the drive-letter suffix ("Data (S:)"); the blank before it stays.
std::wstring CutBeforeLetterSuffix(const std::wstring& name, wchar_t drive) {
    auto pos = name.find(std::wstring{L'(', drive});
    return pos == std::wstring::npos ? name : name.substr(0, pos);
}

std::wstring ShellDisplayName(LPCITEMIDLIST pidl, const std::wstring& root) {
    TErrorModeScope errorMode(SEM_FAILCRITICALERRORS);
    SHFILEINFOW info{};
    DWORD_PTR ok =
        pidl ? SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME)
             : SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
    return ok ? std::wstring(info.szDisplayName) : std::wstring();
}

std::wstring LastPathComponent(const std::wstring& path) {
    auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

TDriveInfo DriveInfo;

DWORD ReadNoDrivesPolicy() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, PolicyKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return 0;
    }
    win::UniqueHKey key(opened);
    DWORD type = 0;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExW(key.get(), L"NoDrives", nullptr, &type, data, &size);
    key.reset();
    // Binary data of up to four bytes, or a DWORD; anything else (also longer binary data) hides nothing.
    if (result != ERROR_SUCCESS || (type != REG_BINARY && type != REG_DWORD) || (type == REG_DWORD && size != 4)) {
        return 0;
    }
    return static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 | static_cast<DWORD>(data[2]) << 16 |
           static_cast<DWORD>(data[3]) << 24;
}

TDriveSystemCalls TDriveSystemCalls::System() {
    TDriveSystemCalls calls;
    calls.DriveTypeOf = [](const std::wstring& root) { return GetDriveTypeW(root.c_str()); };
    calls.PresentDrives = [] { return GetLogicalDrives(); };
    calls.NetConnection = [](const std::wstring& localName, std::wstring& remoteName) {
        wchar_t buffer[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (WNetGetConnectionW(localName.c_str(), buffer, &length) != NO_ERROR) {
            return false;
        }
        remoteName = buffer;
        return true;
    };
    calls.VolumeInformation = [](const std::wstring& root, TVolumeInformation& info) {
        // Room for the longest label a file system allows: a short buffer makes the whole call fail.
        wchar_t label[MAX_PATH + 1] = {};
        wchar_t fileSystem[500] = {};
        if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &info.Serial, &info.MaxFileNameLength,
                                   &info.FileSystemFlags, fileSystem, 500)) {
            return false;
        }
        info.Label = label;
        info.FileSystemName = fileSystem;
        return true;
    };
    return calls;
}

TDriveInfo::TDriveInfo() : TDriveInfo(TDriveSystemCalls::System()) {}

TDriveInfo::TDriveInfo(TDriveSystemCalls calls) : calls_(std::move(calls)), noDrives_(ReadNoDrivesPolicy()) {
    const DWORD present = PresentDrives();
    for (wchar_t drive = L'A'; drive <= L'Z'; ++drive) {
        auto& rec = Record(drive);
        rec.DriveType = static_cast<int>(DriveTypeOf(drive, present));
        rec.Valid = IsValid(drive, static_cast<UINT>(rec.DriveType));
    }
}

DWORD TDriveInfo::PresentDrives() const {
    return calls_.PresentDrives ? calls_.PresentDrives() : kEveryLetter;
}

UINT TDriveInfo::DriveTypeOf(wchar_t drive, DWORD present) const {
    if (!(present & (1u << (drive - L'A'))))
        return DRIVE_NO_ROOT_DIR;
    return calls_.DriveTypeOf(RootOf(drive));
}

TDriveInfo::~TDriveInfo() {
    for (auto& rec : records_) {
        FreeAndNilPIDL(rec.PIDL);
    }
}

TDriveInfoRec& TDriveInfo::Record(wchar_t drive) {
    return records_[static_cast<std::size_t>(drive - L'A')];
}

const TDriveInfoRec& TDriveInfo::Record(wchar_t drive) const {
    return records_[static_cast<std::size_t>(drive - L'A')];
}

bool TDriveInfo::IsValid(wchar_t drive, UINT type) const {
    return (noDrives_ & (1u << (drive - L'A'))) == 0 && type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK;
}

TDriveInfoRec TDriveInfo::Data(wchar_t Drive) const {
    CheckLetter(Drive);
    return Record(Drive);
}

int TDriveInfo::ImageIndex(wchar_t Drive) {
    CheckLetter(Drive);
    auto& rec = Record(Drive);
    if (!rec.Valid) {
        return 0;
    }
    if (rec.ImageIndex == 0) {
        ReadDriveStatus(Drive, dsImageIndex);
    }
    return rec.ImageIndex;
}

std::wstring TDriveInfo::NameOf(wchar_t drive, std::wstring TDriveInfoRec::*name) {
    CheckLetter(drive);
    auto& rec = Record(drive);
    if (!rec.Valid) {
        return {drive, L':'};
    }
    if ((rec.*name).empty()) {
        ReadDriveStatus(drive, dsDisplayName);
    }
    return rec.*name;
}

std::wstring TDriveInfo::DisplayName(wchar_t Drive) {
    return NameOf(Drive, &TDriveInfoRec::DisplayName);
}
std::wstring TDriveInfo::PrettyName(wchar_t Drive) {
    return NameOf(Drive, &TDriveInfoRec::PrettyName);
}
std::wstring TDriveInfo::LongPrettyName(wchar_t Drive) {
    return NameOf(Drive, &TDriveInfoRec::LongPrettyName);
}

bool TDriveInfo::ReadDriveStatus(wchar_t Drive, TDriveStatusFlags Flags) {
    return ReadDriveStatus(Drive, Flags, kEveryLetter);
}

bool TDriveInfo::ReadDriveStatus(wchar_t Drive, TDriveStatusFlags Flags, DWORD Present) {
    if (!desktop_) {
        SHGetDesktopFolder(desktop_.GetAddressOf());
    }
    wchar_t upper[2] = {Drive, 0};
    CharUpperW(upper);
    const wchar_t drive = upper[0];
    CheckLetter(drive);

    auto& rec = Record(drive);
    const std::wstring root = RootOf(drive);
    rec.Init = true;
    rec.DriveType = static_cast<int>(DriveTypeOf(drive, Present));
    rec.Valid = IsValid(drive, static_cast<UINT>(rec.DriveType));
    if (!rec.Valid) {
        rec.Size = 0;
        rec.DriveReady = false;
        rec.DisplayName.clear();
        rec.PrettyName.clear();
        rec.LongPrettyName.clear();
        rec.DriveSerial = 0;
        rec.ImageIndex = 0;
        FreeAndNilPIDL(rec.PIDL);
        return false;
    }

    // A and B never get one, so that the shell does not touch floppy drives.
    if (rec.PIDL == nullptr && drive >= L'C' && desktop_) {
        std::wstring name = root;
        LPITEMIDLIST pidl = nullptr;
        if (SUCCEEDED(desktop_->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &pidl, nullptr))) {
            rec.PIDL = pidl;
        } else {
            PIDL_Free(pidl);
        }
    }

    std::wstring label;
    if (Flags & dsSize) {
        TErrorModeScope errorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        rec.Size = DiskSize(drive - L'A' + 1);
        rec.DriveReady = rec.Size >= 0;
        rec.DriveSerial = 0;
        if (rec.DriveReady) {
            TVolumeInformation volume;
            if (calls_.VolumeInformation(root, volume)) {
                rec.DriveSerial = volume.Serial;
                rec.MaxFileNameLength = volume.MaxFileNameLength;
                rec.FileSystemFlags = volume.FileSystemFlags;
                rec.FileSystemName = volume.FileSystemName;
                label = volume.Label;
            } else {
                rec.FileSystemName.clear();
            }
        }
    }

    if (Flags & dsDisplayName) {
        ReadDisplayName(drive, rec, (Flags & dsSize) != 0, label);
    }

    if ((Flags & dsImageIndex) && rec.ImageIndex < 5) {
        SHFILEINFOW info{};
        DWORD_PTR list =
            rec.PIDL ? SHGetFileInfoW(reinterpret_cast<LPCWSTR>(rec.PIDL), 0, &info, sizeof info,
                                      SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)
                     : SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        if (list != 0) {
            rec.ImageIndex = info.iIcon;
        }
    }
    return rec.Valid && rec.DriveReady;
}

void TDriveInfo::ReadDisplayName(wchar_t drive, TDriveInfoRec& rec, bool sizeRead, const std::wstring& label) {
    const std::wstring letterColon{drive, L':'};
    if (sizeRead && !rec.DriveReady) {
        rec.DisplayName = rec.PrettyName = rec.LongPrettyName = letterColon;
        FreeAndNilPIDL(rec.PIDL);
        return;
    }
    if (rec.DriveType == DRIVE_CDROM && !label.empty()) {
        rec.DisplayName = label.substr(0, 1) + LowerCase(label.substr(1)) + L" (" + letterColon + L")";
    } else {
        rec.DisplayName = ShellDisplayName(rec.PIDL, RootOf(drive));
    }
    if (rec.DriveType != DRIVE_REMOTE) {
        rec.PrettyName = CutBeforeLetterSuffix(letterColon + L" " + rec.DisplayName, drive);
        rec.LongPrettyName = CutBeforeLetterSuffix(rec.PrettyName.substr(0, 3) + rec.DisplayName, drive);
        return;
    }
    std::wstring unc;
    if (!calls_.NetConnection(letterColon, unc)) {
        unc.clear();
    }
    rec.PrettyName = letterColon + L" " + LastPathComponent(unc);
    rec.LongPrettyName = letterColon + L" " + unc;
}
