#include "win/SystemText.h"

#include <windows.h>

namespace {

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
}

} // namespace

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

std::wstring LowerCase(std::wstring text) {
    if (!text.empty()) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareNoCase(a, b) == CSTR_EQUAL;
}

bool LessNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareNoCase(a, b) == CSTR_LESS_THAN;
}
