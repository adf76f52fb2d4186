#pragma once
// Wide text in a test's failure message: printable ASCII as it is, anything else as "#".
#include <string>

inline std::string Shown(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '#';
    }
    return out;
}
