#include "components/ShellDialogs.h"

#include "components/PIDL.h"
#include "win/Handles.h"
#include "win/AnsiText.h"
#include "win/SystemText.h"

#include <memory>
#include <type_traits>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

// Command numbers start at 1, so the shell's offset of command n is n - 1. An IContextMenu2 menu keeps its range
// small because the shell's submenus take their numbers from it as well.
constexpr UINT FirstCommand = 1;
constexpr UINT LastCommandMenu2 = 1000;
constexpr UINT LastCommand = 0x7FFF;
constexpr UINT VerbBufferLength = 255;

using MenuPtr = win::UniqueMenu;

using WindowPtr = win::UniqueWindow;

struct PidlOwner {
    std::vector<TPidlPtr> Lists;
    std::vector<LPCITEMIDLIST> View() const {
        std::vector<LPCITEMIDLIST> items;
        items.reserve(Lists.size());
        for (const auto& list : Lists) {
            items.push_back(list.get());
        }
        return items;
    }
};

UINT TrackWithMenu(HMENU Menu, HWND Owner, POINT Position, IContextMenu*) {
    return static_cast<UINT>(
        TrackPopupMenuEx(Menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, Position.x, Position.y, Owner, nullptr));
}

TContextMenuTracker& Tracker() {
    static TContextMenuTracker tracker = TrackWithMenu;
    return tracker;
}

ComPtr<IContextMenu> ContextMenuOf(HWND Handle, IShellFolder* Folder, int Count, LPCITEMIDLIST* Items) {
    ComPtr<IContextMenu> menu;
    if (Folder == nullptr || Count <= 0 || Items == nullptr) {
        return menu;
    }
    if (FAILED(Folder->GetUIObjectOf(Handle, static_cast<UINT>(Count), Items, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(menu.GetAddressOf())))) {
        menu.Reset();
    }
    return menu;
}

// The verb of command offset Offset. Handlers that answer only the wide query are asked that way as well.
std::wstring VerbOf(IContextMenu* Menu, UINT Offset) {
    std::wstring verb;
    char ansi[VerbBufferLength + 1] = {};
    if (SUCCEEDED(Menu->GetCommandString(Offset, GCS_VERBA, nullptr, ansi, VerbBufferLength)) && ansi[0] != '\0') {
        ansi[VerbBufferLength] = '\0';
        verb = win::FromAnsi(ansi);
    } else {
        wchar_t wide[VerbBufferLength + 1] = {};
        if (SUCCEEDED(
                Menu->GetCommandString(Offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), VerbBufferLength))) {
            wide[VerbBufferLength] = L'\0';
            verb = wide;
        }
    }
    return LowerCase(verb);
}

HRESULT Invoke(IContextMenu* Menu, IContextMenu2* Menu2, HWND Handle, LPCSTR Verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = Handle;
    info.lpVerb = Verb;
    info.nShow = SW_SHOWNORMAL;
    return Menu2 != nullptr ? Menu2->InvokeCommand(&info) : Menu->InvokeCommand(&info);
}

WindowPtr CreateCallBackWindow(IContextMenu2* Menu2) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.style = CS_PARENTDC;
    cls.lpfnWndProc = ShellDialogsCallBackProc;
    cls.hInstance = instance;
    cls.lpszClassName = ShellDialogsCallBackClass;
    // A class left from an earlier menu is the same class: its failure to register again is harmless.
    RegisterClassW(&cls);
    return WindowPtr(CreateWindowExW(0, ShellDialogsCallBackClass, L"ShellDialogsCallBackProcessor", WS_POPUPWINDOW, 0,
                                     0, 0, 0, nullptr, nullptr, instance, Menu2));
}

// Absolute path to its folder and last item; false when the path does not parse or the folder does not bind.
// An empty path names no item (the shell would read it as some folder of its own choosing).
bool BindParent(const std::wstring& Path, TShellFolderPtr& Folder, TPidlPtr& Last) {
    if (Path.empty()) {
        return false;
    }
    TPidlPtr whole = PIDL_GetFromPath(Path);
    if (!whole) {
        return false;
    }
    TPidlPtr parent;
    PIDL_Split(whole.get(), parent, Last);
    return Last && PIDL_GetFolder(parent.get(), Folder);
}

// The names that are items directly in Folder, parsed in list order. A name that parses to a deeper list (a path
// into a subfolder or elsewhere) is not an item of this folder, and the shell's item menus expect only those.
bool ParseNames(const std::wstring& FolderPath, const std::vector<std::wstring>& Names, TShellFolderPtr& Folder,
                PidlOwner& Items) {
    if (Names.empty() || FolderPath.empty()) {
        return false;
    }
    TPidlPtr folderList = PIDL_GetFromPath(FolderPath);
    if (!folderList || !PIDL_GetFolder(folderList.get(), Folder)) {
        return false;
    }
    for (const auto& name : Names) {
        if (name.empty()) {
            continue;
        }
        TPidlPtr item = PIDL_GetFromParentFolder(Folder.Get(), name);
        if (item && item->mkid.cb != 0 && PIDL_GetNextItem(item.get())->mkid.cb == 0) {
            Items.Lists.push_back(std::move(item));
        }
    }
    return !Items.Lists.empty();
}

} // namespace

TContextMenuTracker SetContextMenuTracker(TContextMenuTracker Replacement) {
    if (!Replacement) {
        Replacement = TrackWithMenu;
    }
    return std::exchange(Tracker(), std::move(Replacement));
}

LRESULT CALLBACK ShellDialogsCallBackProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_CREATE: {
        // Borrowed: the menu's owner holds the interface for as long as this window lives.
        const auto create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
        SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP: {
        if (auto menu2 = reinterpret_cast<IContextMenu2*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA))) {
            menu2->HandleMenuMsg(Msg, WParam, LParam);
        }
        return Msg == WM_INITMENUPOPUP ? 0 : 1;
    }
    default:
        break;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void ShellDisplayContextMenuItems(HWND Handle, POINT Position, IShellFolder* Folder, int Count, LPCITEMIDLIST* Items,
                                  bool CanRename, std::wstring& Verb, bool ShellPaste) {
    Verb.clear();
    const UINT flags = CanRename ? (CMF_EXPLORE | CMF_CANRENAME) : CMF_EXPLORE;
    MenuPtr menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    ComPtr<IContextMenu> commands = ContextMenuOf(Handle, Folder, Count, Items);
    if (!commands) {
        return;
    }
    ComPtr<IContextMenu2> commands2;
    if (FAILED(commands.As(&commands2))) {
        commands2.Reset();
    }
    WindowPtr callBack;
    if (commands2) {
        if (FAILED(commands2->QueryContextMenu(menu.get(), 0, FirstCommand, LastCommandMenu2, flags))) {
            return;
        }
        callBack = CreateCallBackWindow(commands2.Get());
    } else if (FAILED(commands->QueryContextMenu(menu.get(), 0, FirstCommand, LastCommand, flags))) {
        return;
    }
    const UINT command = Tracker()(menu.get(), callBack ? callBack.get() : Handle, Position, commands.Get());
    if (command < FirstCommand) {
        return;
    }
    const UINT offset = command - FirstCommand;
    Verb = VerbOf(commands.Get(), offset);
    if (Verb == L"rename" || (Verb == L"paste" && !ShellPaste)) {
        return;
    }
    // The shell reports its own failures to the user; the views learn the verb whatever the outcome.
    Invoke(commands.Get(), commands2.Get(), Handle, MAKEINTRESOURCEA(offset));
}

void ShellDisplayContextMenu(HWND Handle, POINT Position, const std::wstring& Path, bool CanRename, std::wstring& Verb,
                             bool ShellPaste) {
    Verb.clear();
    TShellFolderPtr folder;
    TPidlPtr last;
    if (!BindParent(Path, folder, last)) {
        return;
    }
    LPCITEMIDLIST items[] = {last.get()};
    ShellDisplayContextMenuItems(Handle, Position, folder.Get(), 1, items, CanRename, Verb, ShellPaste);
}

void ShellDisplayContextMenuList(HWND Handle, POINT Position, const std::wstring& Folder,
                                 const std::vector<std::wstring>& Names, std::wstring& Verb, bool ShellPaste) {
    Verb.clear();
    TShellFolderPtr folder;
    PidlOwner parsed;
    if (!ParseNames(Folder, Names, folder, parsed)) {
        return;
    }
    auto items = parsed.View();
    ShellDisplayContextMenuItems(Handle, Position, folder.Get(), static_cast<int>(items.size()), items.data(), false,
                                 Verb, ShellPaste);
}

bool ShellExecuteContextVerbItems(HWND Handle, const std::wstring& Verb, IShellFolder* Folder, int Count,
                                  LPCITEMIDLIST* Items) {
    ComPtr<IContextMenu> commands = ContextMenuOf(Handle, Folder, Count, Items);
    if (!commands) {
        return false;
    }
    ComPtr<IContextMenu2> commands2;
    if (FAILED(commands.As(&commands2))) {
        commands2.Reset();
    }
    const std::string ansiVerb = win::ToAnsi(Verb);
    if (!Verb.empty() && ansiVerb.empty()) {
        return false;
    }
    LPCSTR verb = ansiVerb.empty() ? nullptr : ansiVerb.c_str();
    if (verb == nullptr) {
        // Without a default item the first command runs, as the shell does on a double click.
        MenuPtr menu(CreatePopupMenu());
        if (!menu) {
            return false;
        }
        if (SUCCEEDED(commands->QueryContextMenu(menu.get(), 0, FirstCommand, LastCommand, CMF_DEFAULTONLY))) {
            const UINT command = GetMenuDefaultItem(menu.get(), FALSE, 0);
            if (command != static_cast<UINT>(-1) && command >= FirstCommand) {
                verb = MAKEINTRESOURCEA(command - FirstCommand);
            }
        }
    }
    return SUCCEEDED(Invoke(commands.Get(), commands2.Get(), Handle, verb));
}

bool ShellExecuteContextVerb(HWND Handle, const std::wstring& Verb, const std::wstring& Path) {
    TShellFolderPtr folder;
    TPidlPtr last;
    if (!BindParent(Path, folder, last)) {
        return false;
    }
    LPCITEMIDLIST items[] = {last.get()};
    return ShellExecuteContextVerbItems(Handle, Verb, folder.Get(), 1, items);
}

bool ShellExecuteContextVerbList(HWND Handle, const std::wstring& Verb, const std::wstring& Folder,
                                 const std::vector<std::wstring>& Names) {
    TShellFolderPtr folder;
    PidlOwner parsed;
    if (!ParseNames(Folder, Names, folder, parsed)) {
        return false;
    }
    auto items = parsed.View();
    return ShellExecuteContextVerbItems(Handle, Verb, folder.Get(), static_cast<int>(items.size()), items.data());
}
