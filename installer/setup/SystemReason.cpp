#include "installer/setup/SystemReason.h"

#include "win/SystemText.h"

std::wstring SystemReason(unsigned long error) {
    if (error == 0)
        return {};
    const std::wstring text = SystemMessage(error);
    return text.empty() ? L"Fehler " + std::to_wstring(error) : text;
}

std::wstring WithReason(const std::wstring& message, unsigned long error) {
    const std::wstring reason = SystemReason(error);
    return reason.empty() ? message : message + L"\r" + reason;
}
