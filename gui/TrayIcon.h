#pragma once
// The notification-area icon of a window. Mouse messages on the icon arrive at the window as the callback
// message, with the mouse message in lParam.
#include <windows.h>

#include <string>

namespace gui {

class TTrayIcon {
public:
    TTrayIcon(HWND window, UINT callbackMessage, UINT id = 0);
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    bool Add(HICON icon, const std::wstring& tip);
    // Deletes the icon whether or not this object added it; false when there was none.
    bool Remove();
    bool SetTip(const std::wstring& tip);
    // Asks the shell: true while the icon exists.
    bool Exists() const;
    bool Added() const { return added_; }
    // The message the shell broadcasts when the taskbar is recreated; the icon must then be added again.
    static UINT TaskbarCreatedMessage();

private:
    HWND window_;
    UINT message_;
    UINT id_;
    bool added_ = false;
};

} // namespace gui
