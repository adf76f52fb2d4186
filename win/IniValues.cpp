#include "win/IniValues.h"

#include <cstdint>
#include <optional>

namespace {

std::optional<std::uint32_t> ParseHex(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (wchar_t c : digits) {
        std::uint32_t d;
        if (c >= L'0' && c <= L'9')
            d = c - L'0';
        else if (c >= L'a' && c <= L'f')
            d = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            d = c - L'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

std::optional<std::int64_t> ParseDecimal(std::wstring_view digits) {
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    return value;
}

} // namespace

int ParseIniInteger(std::wstring_view text, int def) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    std::optional<std::uint32_t> hex;
    if (!text.empty() && text.front() == L'$') {
        hex = ParseHex(text.substr(1));
        if (!hex)
            return def;
    } else if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        hex = ParseHex(text.substr(2));
        if (!hex)
            return def;
    }
    if (hex) {
        // Hexadecimal covers the whole 32-bit pattern: "$FFFFFFFF" is -1, as a colour or a mask would be stored.
        std::uint32_t bits = negative ? 0u - *hex : *hex;
        return static_cast<int>(static_cast<std::int32_t>(bits));
    }
    std::optional<std::int64_t> dec = ParseDecimal(text);
    if (!dec)
        return def;
    std::int64_t value = negative ? -*dec : *dec;
    if (value > 2147483647LL)
        return def;
    return static_cast<int>(value);
}

std::wstring StripLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text)
        if (c != L'\r' && c != L'\n')
            out += c;
    return out;
}
