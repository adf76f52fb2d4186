#include "core/TextUtil.h"

#include <algorithm>

namespace {

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

wchar_t LowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

std::wstring WithTrailingBackslash(std::wstring_view folder) {
    std::wstring result(folder);
    if (!result.empty() && result.back() != L'\\') {
        result += L'\\';
    }
    return result;
}

std::wstring WithoutTrailingBackslashes(std::wstring_view path) {
    while (!path.empty() && path.back() == L'\\') {
        path.remove_suffix(1);
    }
    return std::wstring(path);
}

std::wstring Quoted(std::wstring_view text) {
    std::wstring result;
    result.reserve(text.size() + 2);
    result += L'"';
    result += text;
    result += L'"';
    return result;
}

std::wstring UpperCaseAscii(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), UpperAscii);
    return text;
}

std::wstring LowerCaseAscii(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    return text;
}

bool EqualNoCaseAscii(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](wchar_t x, wchar_t y) { return LowerAscii(x) == LowerAscii(y); });
}
