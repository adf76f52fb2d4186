#pragma once
// What the bare baseline programs share: a window class of their own, the splash both start baselines show while
// they make their main window (a bordered pop-up in the middle of the screen with one line of text, painted at
// once, as a plain program shows one), the main window that ends the program, and the message loop.
#include <windows.h>

namespace bench {

inline LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        DrawTextW(dc, L"Settings are loaded...", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

// Registers the splash's class, shows the splash and paints it.
inline HWND ShowSplash(HINSTANCE instance) {
    constexpr wchar_t kSplashClass[] = L"BenchSplashWindow";
    RegisterWindowClass(instance, kSplashClass, SplashProc);
    const int width = 280, height = 137;
    HWND splash = CreateWindowExW(
        WS_EX_TOOLWINDOW, kSplashClass, L"", WS_POPUP | WS_BORDER, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
    ShowWindow(splash, SW_SHOW);
    UpdateWindow(splash);
    return splash;
}

// The main window of a bare program ends it.
inline LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The splash goes and the main window shows in its place.
inline void ShowInsteadOfSplash(HWND splash, HWND main) {
    ShowWindow(splash, SW_HIDE);
    DestroyWindow(splash);
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
}

// Runs the message loop until the main window goes.
inline int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

} // namespace bench
