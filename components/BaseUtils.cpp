#include "components/BaseUtils.h"

#include "win/Handles.h"

#include <algorithm>

namespace {

using TDiskFreeSpaceEx = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Bound once: systems without the Ex call get the cluster arithmetic instead.
TDiskFreeSpaceEx DiskFreeSpaceCall() {
    static const TDiskFreeSpaceEx call = [] {
        TDiskFreeSpaceEx found = nullptr;
        if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
            found = reinterpret_cast<TDiskFreeSpaceEx>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExW")));
        }
        return found ? found : &DiskFreeSpaceFromClusters;
    }();
    return call;
}

std::wstring ThousandsSeparator(LCID locale) {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(locale, LOCALE_STHOUSAND, buffer, static_cast<int>(std::size(buffer))) <= 0) {
        return {};
    }
    return std::wstring(buffer).substr(0, 1);
}

std::wstring GroupDigits(std::wstring digits, LCID locale) {
    const std::wstring separator = ThousandsSeparator(locale);
    if (separator.empty()) {
        return digits;
    }
    for (auto pos = digits.size(); pos > 3;) {
        pos -= 3;
        digits.insert(pos, separator);
    }
    return digits;
}

} // namespace

void StrTranslate(std::wstring& S, const std::wstring& Pairs) {
    if (Pairs.size() % 2 != 0) {
        return;
    }
    for (std::size_t i = 0; i < Pairs.size(); i += 2) {
        if (Pairs[i] != Pairs[i + 1]) {
            std::replace(S.begin(), S.end(), Pairs[i], Pairs[i + 1]);
        }
    }
}

bool StrContainsChars(const std::wstring& Chars, const std::wstring& S) {
    return S.find_first_of(Chars) != std::wstring::npos;
}

bool FileOrDirExists(const std::wstring& Name) {
    if (Name.empty()) {
        return false;
    }
    WIN32_FIND_DATAW data;
    return static_cast<bool>(win::UniqueFind(FindFirstFileW(Name.c_str(), &data)));
}

bool CheckFileExists(const std::wstring& Name) {
    return static_cast<bool>(
        win::UniqueHandle(CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool DirExists(const std::wstring& Name, DWORD& Attrs) {
    Attrs = 0;
    if (Name.size() < 4 && Name.size() >= 2 && Name[1] == L':') {
        return true;
    }
    if (Name.empty() || Name.back() == L'\\') {
        return false;
    }
    WIN32_FIND_DATAW data;
    if (!win::UniqueFind(FindFirstFileW(Name.c_str(), &data))) {
        return false;
    }
    Attrs = data.dwFileAttributes;
    return (Attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirExists(const std::wstring& Name) {
    DWORD attrs;
    return DirExists(Name, attrs);
}

std::wstring RemoveTrailingBackslash(const std::wstring& S) {
    if (!S.empty() && S.back() == L'\\') {
        return S.substr(0, S.size() - 1);
    }
    return S;
}

std::wstring FileNameWithoutExt(const std::wstring& Path) {
    auto slash = Path.find_last_of(L"\\:");
    std::wstring name = slash == std::wstring::npos ? Path : Path.substr(slash + 1);
    auto stop = name.rfind(L'.');
    return stop == std::wstring::npos ? name : name.substr(0, stop);
}

std::wstring FormatWithThousands(std::uint32_t Value, LCID Locale) {
    return GroupDigits(std::to_wstring(Value), Locale);
}

std::wstring FormatWithThousands64(std::int64_t Value, LCID Locale) {
    if (Value < 0) {
        // Sizes are never negative; should one be, the sign stays in front of the grouped digits.
        return L"-" + GroupDigits(std::to_wstring(0 - static_cast<std::uint64_t>(Value)), Locale);
    }
    return GroupDigits(std::to_wstring(Value), Locale);
}

void FreeAndNilPIDL(LPITEMIDLIST& P) noexcept {
    if (P != nullptr) {
        PIDL_Free(P);
        P = nullptr;
    }
}

BOOL WINAPI DiskFreeSpaceFromClusters(LPCWSTR Root, PULARGE_INTEGER FreeAvailable, PULARGE_INTEGER TotalBytes,
                                      PULARGE_INTEGER TotalFree) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    BOOL ok = GetDiskFreeSpaceW(Root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
    if (ok) {
        const std::uint64_t cluster = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
        if (FreeAvailable) {
            FreeAvailable->QuadPart = cluster * freeClusters;
        }
        if (TotalFree) {
            TotalFree->QuadPart = cluster * freeClusters;
        }
        if (TotalBytes) {
            TotalBytes->QuadPart = cluster * totalClusters;
        }
    }
    return ok;
}

std::int64_t DiskSize(int Drive) {
    std::wstring root;
    if (Drive != 0) {
        root = {static_cast<wchar_t>(Drive + 64), L':', L'\\'};
    }
    ULARGE_INTEGER freeAvailable, total, totalFree;
    if (!DiskFreeSpaceCall()(root.empty() ? nullptr : root.c_str(), &freeAvailable, &total, &totalFree)) {
        return -1;
    }
    return static_cast<std::int64_t>(total.QuadPart);
}

std::wstring ExtractFileDir(const std::wstring& Path) {
    const std::wstring trimmed = RemoveTrailingBackslash(Path);
    const auto slash = trimmed.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : trimmed.substr(0, slash);
}
