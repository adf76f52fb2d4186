#include "installer/setup/SystemReason.h"

#include <windows.h>

std::wstring SystemReason(unsigned long error) {
    if (error == 0)
        return {};
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? L"Fehler " + std::to_wstring(error) : text;
}

std::wstring WithReason(const std::wstring& message, unsigned long error) {
    const std::wstring reason = SystemReason(error);
    return reason.empty() ? message : message + L"\r" + reason;
}
