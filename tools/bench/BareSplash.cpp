// The baseline of the start: a plain program that shows a splash window and paints it, makes its main window,
// hides and destroys the splash, and shows the main window. BareSplash.exe
#include "BareProgram.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    constexpr wchar_t kMainClass[] = L"BenchMainWindow";
    HWND splash = bench::ShowSplash(instance);
    bench::RegisterWindowClass(instance, kMainClass, bench::MainWindowProc);
    HWND main = CreateWindowExW(0, kMainClass, L"Bare program", WS_OVERLAPPEDWINDOW, 405, 364, 786, 581, nullptr,
                                nullptr, instance, nullptr);
    bench::ShowInsteadOfSplash(splash, main);
    return bench::RunMessageLoop();
}
