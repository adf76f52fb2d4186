// A second baseline of the start: a plain program that shows the splash, makes the native windows Ostrel's main
// window is made of (the same classes and about the same numbers: panels that clip their children, buttons,
// labels, drive and path combo boxes, two report lists over the system's small icons, two hidden trees, the memo,
// the gauge, the status bar and a menu bar), and shows it. It does nothing else: no settings, no language texts, no
// folders. BareMainWindow.exe
#include "BareProgram.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kMainClass[] = L"BenchFullWindow";
constexpr wchar_t kPanelClass[] = L"BenchPanel";

HINSTANCE instance = nullptr;

HWND Child(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width, int height,
           const wchar_t* text = L"", DWORD exStyle = 0) {
    HWND child = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, width,
                                 height, parent, nullptr, instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

HWND Panel(HWND parent, int x, int y, int width, int height) {
    return Child(parent, kPanelClass, WS_CLIPCHILDREN, x, y, width, height, L"", WS_EX_CONTROLPARENT);
}

void MakeMenuBar(HWND window) {
    HMENU bar = CreateMenu();
    for (int menu = 0; menu < 6; ++menu) {
        HMENU items = CreatePopupMenu();
        for (int item = 0; item < 10; ++item) {
            AppendMenuW(items, MF_STRING, static_cast<UINT_PTR>(100 + menu * 10 + item), L"Menu item");
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), L"&Menu");
    }
    SetMenu(window, bar);
}

void MakePane(HWND window, int left, int width, HIMAGELIST icons) {
    HWND pane = Panel(window, left, 30, width, 400);
    HWND header = Panel(pane, 0, 0, width, 50);
    HWND title = Panel(header, 0, 0, width, 22);
    Child(title, L"STATIC", 0, 4, 4, 120, 13, L"Eingabe");
    Child(title, kPanelClass, WS_DISABLED, width - 80, 2, 2, 20, L"", WS_EX_TRANSPARENT);
    Child(title, L"STATIC", SS_CENTER, width - 76, 4, 18, 13, L"\\");
    Child(title, kPanelClass, WS_DISABLED, width - 56, 2, 2, 20, L"", WS_EX_TRANSPARENT);
    Child(title, L"STATIC", SS_CENTER, width - 52, 4, 18, 13, L"..");
    Child(header, WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_TABSTOP, 4, 24, 120, 200);
    Child(header, WC_COMBOBOXW, CBS_DROPDOWN | WS_TABSTOP, 128, 24, width - 160, 200);
    Child(header, L"BUTTON", 0, width - 28, 24, 25, 22);
    HWND list = Child(pane, WC_LISTVIEWW, LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_OWNERDATA | WS_TABSTOP, 0, 50, width,
                      350, L"", WS_EX_CLIENTEDGE);
    ListView_SetImageList(list, icons, LVSIL_SMALL);
    const wchar_t* captions[] = {L"Name", L"Gr\u00f6\u00dfe", L"Typ", L"Ge\u00e4ndert", L"Attr"};
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<wchar_t*>(captions[i]);
        ListView_InsertColumn(list, i, &column);
    }
    // The folder tree behind the pane is never seen.
    CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 10, 10, pane, nullptr, instance, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE self, HINSTANCE, PWSTR, int) {
    instance = self;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HWND splash = bench::ShowSplash(instance);
    bench::RegisterWindowClass(instance, kMainClass, bench::MainWindowProc);
    bench::RegisterWindowClass(instance, kPanelClass, DefWindowProcW);

    HWND main =
        CreateWindowExW(WS_EX_CONTROLPARENT, kMainClass, L"Bare main window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        405, 364, 786, 581, nullptr, nullptr, instance, nullptr);
    MakeMenuBar(main);
    HWND tools = Panel(main, 0, 0, 786, 30);
    for (int i = 0; i < 7; ++i) {
        Child(tools, L"BUTTON", i == 1 ? WS_TABSTOP : 0, 2 + i * 30, 3, 25, 24, L"B");
    }
    Panel(tools, 240, 3, 24, 24);
    HWND keys = Panel(main, 0, 480, 786, 25);
    for (int i = 0; i < 7; ++i) {
        Child(keys, L"BUTTON", 0, i * 112, 0, 112, 25, L"F2 Umbenennen");
    }
    HWND bottom = Panel(main, 0, 450, 786, 28);
    Child(bottom, L"STATIC", 0, 6, 7, 90, 13, L"Umgewandelt:");
    Child(bottom, L"STATIC", 0, 100, 7, 40, 13, L"000 ");
    Child(bottom, L"STATIC", 0, 460, 7, 90, 13, L"");
    Child(bottom, L"STATIC", 0, 560, 7, 90, 13, L"");
    Child(bottom, L"STATIC", 0, 660, 7, 90, 13, L"");
    Child(bottom, PROGRESS_CLASSW, PBS_SMOOTH, 150, 5, 300, 18);
    Child(bottom, L"EDIT", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 28, 786, 48, L"", WS_EX_CLIENTEDGE);
    Child(main, STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE, 0, 505, 786, 19);
    SHFILEINFOW file{};
    const auto icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &file, sizeof file, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    MakePane(main, 0, 393, icons);
    Child(main, kPanelClass, 0, 393, 30, 3, 400);
    MakePane(main, 396, 390, icons);
    CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, main,
                    nullptr, instance, nullptr);

    bench::ShowInsteadOfSplash(splash, main);
    return bench::RunMessageLoop();
}
