// The baseline of the start: a plain program that shows a splash window and paints it, makes its main window,
// hides and destroys the splash, and shows the main window. BareSplash.exe
#include <windows.h>

namespace {

constexpr wchar_t kSplashClass[] = L"BenchSplashWindow";
constexpr wchar_t kMainClass[] = L"BenchMainWindow";

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Register(instance, kSplashClass, SplashProc);
    Register(instance, kMainClass, MainProc);

    const int width = 280, height = 137;
    HWND splash = CreateWindowExW(
        WS_EX_TOOLWINDOW, kSplashClass, L"", WS_POPUP | WS_BORDER, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
    ShowWindow(splash, SW_SHOW);
    UpdateWindow(splash);

    HWND main = CreateWindowExW(0, kMainClass, L"Bare program", WS_OVERLAPPEDWINDOW, 405, 364, 786, 581, nullptr,
                                nullptr, instance, nullptr);
    ShowWindow(splash, SW_HIDE);
    DestroyWindow(splash);
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
