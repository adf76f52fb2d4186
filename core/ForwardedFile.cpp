#include "core/ForwardedFile.h"

#include "core/LittleEndian.h"

ForwardedBytes EncodeForwardedFile(std::wstring_view path) {
    ForwardedBytes bytes;
    bytes.reserve((path.size() + 1) * 2);
    for (const wchar_t unit : path) {
        const auto value = static_cast<std::uint16_t>(unit);
        bytes.push_back(static_cast<unsigned char>(value));
        bytes.push_back(static_cast<unsigned char>(value >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::optional<std::wstring> DecodeForwardedFile(const unsigned char* data, std::size_t size) {
    if (!data || size < 2 || size % 2 != 0) {
        return std::nullopt;
    }
    // The path ends at its closing zero unit: a file name cannot hold one, and what follows is no part of it.
    std::wstring path;
    for (std::size_t at = 0; at < size; at += 2) {
        const auto unit = static_cast<wchar_t>(Get16(data + at));
        if (unit == L'\0') {
            break;
        }
        path.push_back(unit);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}
