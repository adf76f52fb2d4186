// The baseline of the file pane: one window with a report list view that holds the names of the files of one
// folder, inserted one by one as a plain program would. BareListView.exe <folder>
#include "BareProgram.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr wchar_t kWindowClass[] = L"BenchListWindow";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (HWND list = GetWindow(window, GW_CHILD)) {
            MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Filled as a careful plain program fills a list: room for the items made once, no drawing until the end.
void Fill(HWND list, const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, 10000, 0);
    int index = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index++;
        item.pszText = found.cFileName;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const std::wstring folder = __argc > 1 ? __wargv[1] : L".";

    bench::RegisterWindowClass(instance, kWindowClass, WindowProc);
    HWND window = CreateWindowExW(0, kWindowClass, L"Bare list view", WS_OVERLAPPEDWINDOW, 405, 364, 786, 581, nullptr,
                                  nullptr, instance, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    HWND list =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0,
                        0, client.right, client.bottom, window, nullptr, instance, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 300;
    column.pszText = const_cast<wchar_t*>(L"Name");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    Fill(list, folder);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return bench::RunMessageLoop();
}
