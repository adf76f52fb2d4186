#pragma once
// Drives windows for tests, in the same process or another one: finds windows and named controls (the name is
// the global atom in the window property L"OstrelName" that the GUI library sets), reads texts, clicks, posts
// keys, and pumps messages until a condition holds or a deadline passes.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace guidriver {

// A visible or hidden top-level window of the class, with the caption when one is given (nullptr: any).
HWND FindTopWindow(const wchar_t* className, const wchar_t* caption = nullptr);
// The name the GUI library gave the window; empty when it has none.
std::wstring ControlName(HWND hwnd);
// The first window below root (at any depth) with that name; root itself when it has the name.
HWND FindControl(HWND root, const std::wstring& name);
std::vector<HWND> ChildWindows(HWND root);
// The window text, read with WM_GETTEXT (works across processes).
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);

// A button is pressed with BM_CLICK; any other window gets a left click at its centre.
void Click(HWND hwnd);
bool ClickNamed(HWND root, const std::wstring& name);
// Posts a key press (down and up) to the window; the message loop of its thread handles it.
void PostKey(HWND hwnd, WORD virtualKey);
// Posts the characters as WM_CHAR messages.
void PostChars(HWND hwnd, const std::wstring& text);

// Runs pump (default: this thread's messages) until condition() is true or timeoutMs passed; returns the
// condition's last value.
using PumpFunction = std::function<void()>;
void PumpThreadMessages();
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, const PumpFunction& pump = PumpThreadMessages);

} // namespace guidriver
