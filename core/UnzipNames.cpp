#include "core/UnzipNames.h"

#include "core/TextUtil.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

bool MatchWild(const wchar_t* pattern, const wchar_t* text) {
    // Iterative '*' and '?' matching with one back-tracking point, case-insensitive.
    const wchar_t *star = nullptr, *resume = nullptr;
    while (*text) {
        if (*pattern == L'*') {
            star = pattern++;
            resume = text;
        } else if (*pattern == L'?' || (*pattern && std::towupper(*pattern) == std::towupper(*text))) {
            ++pattern;
            ++text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == L'*') {
        ++pattern;
    }
    return *pattern == 0;
}

std::wstring FilePart(const std::wstring& name) {
    const auto slash = name.find_last_of(L'\\');
    return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

std::wstring ResolvedPart(const std::wstring& part) {
    const std::size_t end = part.find_last_not_of(L". ");
    return end == std::wstring::npos ? std::wstring() : part.substr(0, end + 1);
}

bool IsDeviceName(const std::wstring& part) {
    std::wstring base = part.substr(0, part.find(L'.'));
    base = base.substr(0, base.find_last_not_of(L' ') + 1);
    base = UpperCaseAscii(base);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$") {
        return true;
    }
    // The port number: Windows takes the superscript digits for digits here, whatever the C runtime's locale says.
    const wchar_t digit = base.size() == 4 ? base[3] : L'\0';
    const bool port =
        (digit >= L'0' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' || digit == L'\u00b3';
    return port && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0);
}

bool NameIsSafe(const std::wstring& relative) {
    if (relative.empty() || relative.front() == L'\\') {
        return false;
    }
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t stop = std::min(relative.find(L'\\', start), relative.size());
        const std::wstring part = relative.substr(start, stop - start);
        // A part that resolves to nothing, "." or ".." (every run of dots and blanks does) names no file of its own
        // and may climb out of the base folder.
        if (ResolvedPart(part).empty() || IsDeviceName(part)) {
            return false;
        }
        for (wchar_t c : part) {
            if (c < 0x20 || std::wcschr(L"<>:\"|?*", c)) {
                return false;
            }
        }
        start = stop + 1;
    }
    return true;
}
