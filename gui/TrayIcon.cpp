#include "gui/TrayIcon.h"

#include <shellapi.h>

namespace gui {

namespace {
NOTIFYICONDATAW Record(HWND window, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    return data;
}
} // namespace

TTrayIcon::TTrayIcon(HWND window, UINT callbackMessage, UINT id)
    : window_(window), message_(callbackMessage), id_(id) {}

TTrayIcon::~TTrayIcon() {
    if (added_)
        Remove();
}

bool TTrayIcon::Add(HICON icon, const std::wstring& tip) {
    NOTIFYICONDATAW data = Record(window_, id_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = message_;
    data.hIcon = icon;
    lstrcpynW(data.szTip, tip.c_str(), 64);
    added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return added_;
}

bool TTrayIcon::Remove() {
    NOTIFYICONDATAW data = Record(window_, id_);
    added_ = false;
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

bool TTrayIcon::SetTip(const std::wstring& tip) {
    NOTIFYICONDATAW data = Record(window_, id_);
    data.uFlags = NIF_TIP;
    lstrcpynW(data.szTip, tip.c_str(), 64);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool TTrayIcon::Exists() const {
    NOTIFYICONDATAW data = Record(window_, id_);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

UINT TTrayIcon::TaskbarCreatedMessage() {
    static UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

} // namespace gui
