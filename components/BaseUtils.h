#pragma once
// Path, text and number helpers of the file views, and the disk-size query.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "components/PIDL.h"

// For each (from, to) pair of Pairs in order, every From in S becomes To. A list of odd length changes nothing;
// a pair of two equal characters is skipped.
void StrTranslate(std::wstring& S, const std::wstring& Pairs);
// True when any character of Chars occurs in S.
bool StrContainsChars(const std::wstring& Chars, const std::wstring& S);
// True when a directory search finds the name (file or folder); false for an empty name.
bool FileOrDirExists(const std::wstring& Name);
// True when the file can be opened for reading.
bool CheckFileExists(const std::wstring& Name);
// "C:" and "C:\" count as existing without touching the medium (Attrs 0); otherwise a directory search must find
// a folder of that name. A trailing backslash makes the search fail.
bool DirExists(const std::wstring& Name, DWORD& Attrs);
bool DirExists(const std::wstring& Name);
// S without its last backslash, if it ends with one (one only; an empty S stays empty).
std::wstring RemoveTrailingBackslash(const std::wstring& S);
// The name part (after the last backslash or colon) without the part from its last full stop.
std::wstring FileNameWithoutExt(const std::wstring& Path);
// The folder part of a path without its trailing backslash ("S:\a\b" and "S:\a\b\" give "S:\a", "S:\a" gives
// "S:"); empty when the path has no backslash.
std::wstring ExtractFileDir(const std::wstring& Path);

// The hourglass while a view works; the previous cursor comes back however the work ends.
class THourGlass {
public:
    explicit THourGlass(bool Active = true)
        : previous_(Active ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr), active_(Active) {}
    ~THourGlass() {
        if (active_)
            SetCursor(previous_);
    }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    HCURSOR previous_;
    bool active_;
};
// Decimal text with the locale's thousands separator between groups of three digits.
std::wstring FormatWithThousands(std::uint32_t Value, LCID Locale = LOCALE_USER_DEFAULT);
std::wstring FormatWithThousands64(std::int64_t Value, LCID Locale = LOCALE_USER_DEFAULT);
// Frees a set list with the shell allocator and clears P; never raises.
void FreeAndNilPIDL(LPITEMIDLIST& P) noexcept;
// Total bytes of drive number Drive (1 = A, 0 = the current drive); -1 when the query fails.
std::int64_t DiskSize(int Drive);

// The free-space query of systems without GetDiskFreeSpaceExW, from the cluster counts, in 64 bits. Root may be
// null (the current drive). Any output may be null.
BOOL WINAPI DiskFreeSpaceFromClusters(LPCWSTR Root, PULARGE_INTEGER FreeAvailable, PULARGE_INTEGER TotalBytes,
                                      PULARGE_INTEGER TotalFree);
