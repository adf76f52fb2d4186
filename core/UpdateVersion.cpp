#include "core/UpdateVersion.h"

const wchar_t* StatusKey(UpdateStatus status) {
    switch (status) {
    case UpdateStatus::UPD1:
        return L"UPD1";
    case UpdateStatus::UPD2:
        return L"UPD2";
    case UpdateStatus::UPD3:
        return L"UPD3";
    case UpdateStatus::UPD4:
        return L"UPD4";
    case UpdateStatus::UPD5:
        break;
    }
    return L"UPD5";
}

std::optional<std::array<unsigned long, 4>> ParseFileVersion(std::wstring_view text) {
    std::array<unsigned long, 4> parts{};
    size_t index = 0;
    size_t digits = 0;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (digits == 0 || ++index == parts.size())
                return std::nullopt;
            digits = 0;
        } else if (c >= L'0' && c <= L'9') {
            // A version resource holds 16-bit numbers; more than five digits is no version.
            if (++digits > 5)
                return std::nullopt;
            parts[index] = parts[index] * 10 + static_cast<unsigned long>(c - L'0');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || index != parts.size() - 1)
        return std::nullopt;
    return parts;
}

UpdateStatus CompareVersions(const std::wstring& newest, const std::wstring& own) {
    const auto server = ParseFileVersion(newest);
    const auto mine = ParseFileVersion(own);
    if (server && mine)
        return *server > *mine ? UpdateStatus::UPD4 : UpdateStatus::UPD3;
    return newest == own ? UpdateStatus::UPD3 : UpdateStatus::UPD4;
}
