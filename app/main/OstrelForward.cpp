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
    ForwardedBytes bytes = EncodeForwardedFile(full);
    COPYDATASTRUCT data{};
    data.dwData = kForwardFileTag;
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.data();
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                             kForwardTimeoutMs, &result);
    return sent != 0 && result == TRUE;
}

std::optional<std::wstring> ForwardedFile(const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kForwardFileTag) {
        return std::nullopt;
    }
    return DecodeForwardedFile(static_cast<const unsigned char*>(data->lpData), data->cbData);
}
