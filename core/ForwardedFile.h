#pragma once
// The bytes a second start hands to the copy of the program that already runs: the full path of the file named on
// its command line as UTF-16 code units, little-endian, closed by a zero unit. Wide text holds one code unit per
// wchar_t on every platform. The message that carries the bytes is marked with the tag, so that other programs'
// messages of the same kind are not read as a file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kForwardFileTag = 0x4F535446; // "OSTF"

using ForwardedBytes = std::vector<unsigned char>;

// A path must not be empty or hold a zero unit: the receiver reads up to the first one.
ForwardedBytes EncodeForwardedFile(std::wstring_view path);

// The path the bytes carry: the units up to the first zero unit (or the end, when a sender left it out); nothing
// when the bytes are not whole units or hold no path. No read goes past [data, data + size).
std::optional<std::wstring> DecodeForwardedFile(const unsigned char* data, std::size_t size);
