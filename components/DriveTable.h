#pragma once
// The drive table: one record per drive letter A to Z, filled lazily from the system and the shell. It decides
// which drives exist for the views (drive type and the Explorer "NoDrives" policy), what they are called in the
// three display styles, which system icon they show and whether a medium is ready. Main thread only.
#include "components/ComponentErrors.h"
#include "components/PIDL.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// What ReadDriveStatus is asked to read; 0 refreshes only DriveType, Valid and the PIDL.
enum TDriveStatusFlag : unsigned {
    dsImageIndex = 1,  // ImageIndex
    dsSize = 2,        // Size, DriveReady, DriveSerial and the volume information
    dsDisplayName = 4, // DisplayName, PrettyName, LongPrettyName
};
using TDriveStatusFlags = unsigned;

// The volume display styles of the views: which of the three names they show.
enum TVolumeDisplayStyle { doPrettyName, doDisplayName, doLongPrettyName };

struct TDriveInfoRec {
    // The drive's shell item identifier (letters C to Z only). Owned by the table; in a copy from Data() it is
    // borrowed and valid until the table re-reads or forgets the drive.
    LPITEMIDLIST PIDL = nullptr;
    bool Init = false;
    bool Valid = false;
    bool DriveReady = false;
    int DriveType = DRIVE_UNKNOWN;
    std::wstring DisplayName;
    std::wstring PrettyName;
    std::wstring LongPrettyName;
    DWORD DriveSerial = 0;
    std::int64_t Size = -1; // -1 until read or when not ready, 0 for an invalid drive
    int ImageIndex = 0;     // 0 = not read
    std::wstring FileSystemName;
    DWORD MaxFileNameLength = 0;
    DWORD FileSystemFlags = 0;
};

struct TVolumeInformation {
    std::wstring Label;
    DWORD Serial = 0;
    DWORD MaxFileNameLength = 0;
    DWORD FileSystemFlags = 0;
    std::wstring FileSystemName;
};

// The system calls the table makes that a test cannot steer through the prefix.
struct TDriveSystemCalls {
    // GetDriveTypeW of a root "X:\".
    std::function<UINT(const std::wstring& root)> DriveTypeOf;
    // GetLogicalDrives: the letters that have a root (bit 0 = A ... bit 25 = Z). A read of many letters asks
    // DriveTypeOf only about these: one call costs what asking the type of three letters does. Null: every letter
    // is asked.
    std::function<DWORD()> PresentDrives;
    // WNetGetConnectionW of "X:": the UNC name, or false on any error.
    std::function<bool(const std::wstring& localName, std::wstring& remoteName)> NetConnection;
    // GetVolumeInformationW of a root "X:\", with room for the longest label a file system allows.
    std::function<bool(const std::wstring& root, TVolumeInformation& info)> VolumeInformation;
    static TDriveSystemCalls System();
};

class TDriveInfo {
public:
    // Reads the policy mask and every drive's type; touches no medium and no shell.
    TDriveInfo();
    explicit TDriveInfo(TDriveSystemCalls calls);
    ~TDriveInfo();
    TDriveInfo(const TDriveInfo&) = delete;
    TDriveInfo& operator=(const TDriveInfo&) = delete;

    // Every accessor takes an upper-case letter A to Z; anything else raises EConvertError.
    TDriveInfoRec Data(wchar_t Drive) const;
    int ImageIndex(wchar_t Drive);
    std::wstring DisplayName(wchar_t Drive);
    std::wstring PrettyName(wchar_t Drive);
    std::wstring LongPrettyName(wchar_t Drive);
    // Re-reads the parts named by Flags (the letter may be lower case). True when the drive is valid and ready.
    bool ReadDriveStatus(wchar_t Drive, TDriveStatusFlags Flags);
    // The same within a read of many letters: Present is what PresentDrives gave at its start, and a letter outside
    // it reads as having no root.
    bool ReadDriveStatus(wchar_t Drive, TDriveStatusFlags Flags, DWORD Present);
    // The letters that have a root (bit 0 = A ... bit 25 = Z); every letter when the calls cannot tell.
    DWORD PresentDrives() const;

    // The policy's mask: bit 0 = A ... bit 25 = Z; a set bit hides the drive.
    DWORD NoDrives() const { return noDrives_; }

private:
    TDriveInfoRec& Record(wchar_t drive);
    const TDriveInfoRec& Record(wchar_t drive) const;
    bool IsValid(wchar_t drive, UINT type) const;
    UINT DriveTypeOf(wchar_t drive, DWORD present) const;
    static constexpr DWORD kEveryLetter = (1u << 26) - 1;
    std::wstring NameOf(wchar_t drive, std::wstring TDriveInfoRec::*name);
    void ReadDisplayName(wchar_t drive, TDriveInfoRec& rec, bool sizeRead, const std::wstring& label);

    TDriveSystemCalls calls_;
    DWORD noDrives_ = 0;
    std::array<TDriveInfoRec, 26> records_{};
    TShellFolderPtr desktop_;
};

// The one table of the process; every view reads it.
extern TDriveInfo DriveInfo;

// The Explorer policy's mask as stored under HKEY_CURRENT_USER: 4 bytes of binary data, else a DWORD, else 0.
DWORD ReadNoDrivesPolicy();
