#include "GuiDriver.h"

namespace guidriver {

HWND FindTopWindow(const wchar_t* className, const wchar_t* caption) {
    return FindWindowW(className, caption);
}

std::wstring ControlName(HWND hwnd) {
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"OstrelName")));
    if (!atom)
        return {};
    wchar_t name[256] = {};
    UINT n = GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, n);
}

namespace {
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<HWND> ChildWindows(HWND root) {
    std::vector<HWND> list;
    EnumChildWindows(root, CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

HWND FindControl(HWND root, const std::wstring& name) {
    if (ControlName(root) == name)
        return root;
    for (HWND child : ChildWindows(root))
        if (ControlName(child) == name)
            return child;
    return nullptr;
}

std::wstring WindowText(HWND hwnd) {
    auto n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[128] = {};
    int n = GetClassNameW(hwnd, name, 128);
    return std::wstring(name, static_cast<size_t>(n));
}

void Click(HWND hwnd) {
    if (lstrcmpiW(ClassName(hwnd).c_str(), L"Button") == 0) {
        SendMessageW(hwnd, BM_CLICK, 0, 0);
        return;
    }
    RECT r;
    GetClientRect(hwnd, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

bool ClickNamed(HWND root, const std::wstring& name) {
    HWND hwnd = FindControl(root, name);
    if (!hwnd)
        return false;
    Click(hwnd);
    return true;
}

void PostKey(HWND hwnd, WORD virtualKey) {
    UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(hwnd, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(hwnd, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

void PostChars(HWND hwnd, const std::wstring& text) {
    for (wchar_t c : text)
        PostMessageW(hwnd, WM_CHAR, c, 1);
}

void PumpThreadMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, const PumpFunction& pump) {
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        // Wait for the next message (or a short slice, for conditions that change without one).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace guidriver
