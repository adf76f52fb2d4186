#include "app/main/OstrelForward.h"

#include <vector>

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetFullPathNameW(path.c_str(), needed + 1, buffer.data(), nullptr);
    return length > 0 && length <= needed ? std::wstring(buffer.data(), length) : path;
}

bool ForwardFileToRunningCopy(HWND running, const std::wstring& argument) {
    const std::wstring full = FullPathOf(argument);
    COPYDATASTRUCT data{};
    data.dwData = kForwardFileTag;
    data.cbData = static_cast<DWORD>((full.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(full.c_str());
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                             kForwardTimeoutMs, &result);
    return sent != 0 && result == TRUE;
}

std::optional<std::wstring> ForwardedFile(const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kForwardFileTag || !data->lpData || data->cbData < sizeof(wchar_t) ||
        data->cbData % sizeof(wchar_t) != 0) {
        return std::nullopt;
    }
    std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    while (!path.empty() && path.back() == L'\0') {
        path.pop_back();
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}
