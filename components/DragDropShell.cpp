// The shell's part in file drops: drag-and-drop handler items in the drop menu, drop handlers of files, and the
// shortcuts a link drop writes.
#include "components/DragDropFilesEx.h"

#include "win/Handles.h"
#include "win/FileSystem.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t DragDropHandlersKey[] = L"Folder\\ShellEx\\DragDropHandlers";

// A key opened for reading; empty when it cannot be opened.
win::UniqueHKey OpenForReading(HKEY Root, const std::wstring& Path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = nullptr;
    return win::UniqueHKey(key);
}

std::vector<std::wstring> SubkeyNames(HKEY Key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status = RegEnumKeyExW(Key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            names.emplace_back(name, length);
    }
    return names;
}

std::wstring DefaultValue(HKEY Key) {
    wchar_t value[256];
    DWORD size = sizeof(value);
    if (RegGetValueW(Key, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

std::wstring FolderOf(const std::wstring& Path) {
    const size_t slash = Path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {};
    return Path.substr(0, slash == 2 && Path.size() > 1 && Path[1] == L':' ? 3 : slash);
}

} // namespace

// The drop target the shell offers for the item of an absolute list, with the item's parsing name when Filename
// is empty.
ComPtr<IDropTarget> TDragDropFilesEx::ItemDropTarget(LPCITEMIDLIST Item, std::wstring& Filename) {
    TPidlPtr parent, last;
    PIDL_Split(Item, parent, last);
    TShellFolderPtr folder;
    if (!last || !PIDL_GetFolder(parent.get(), folder))
        return nullptr;
    if (Filename.empty())
        PIDL_GetDisplayName(folder.Get(), last.get(), SHGDN_FORPARSING, Filename);
    if (ItemDropTargetOf)
        return ItemDropTargetOf(Item);
    ComPtr<IDropTarget> target;
    LPCITEMIDLIST child = last.get();
    if (FAILED(folder->GetUIObjectOf(nullptr, 1, &child, IID_IDropTarget, nullptr,
                                     reinterpret_cast<void**>(target.GetAddressOf()))))
        return nullptr;
    return target;
}

TPidlPtr TDragDropFilesEx::SpecifiedTarget(bool DragDropHandler, POINT ScreenPt, std::wstring& Filename) {
    Filename.clear();
    LPITEMIDLIST pidlFQ = nullptr;
    if (OnSpecifyDropTarget)
        OnSpecifyDropTarget(this, DragDropHandler, ScreenToControl(ScreenPt), pidlFQ, Filename);
    if (pidlFQ)
        return PIDL_Copy(pidlFQ);
    if (Filename.empty())
        return nullptr;
    return PIDL_GetFromPath(Filename);
}

void TDragDropFilesEx::DoMenuPopup(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int AMinCustCmd,
                                   DWORD grfKeyState, POINT pt) {
    int nextId = AMinCustCmd;
    FHandlers.clear();
    if (OnSpecifyDropTarget && ShellExtensions.DragDropHandler) {
        std::wstring filename;
        TPidlPtr folder = SpecifiedTarget(true, pt, filename);
        const win::UniqueHKey handlers = OpenForReading(HKEY_CLASSES_ROOT, DragDropHandlersKey);
        if (folder && handlers.get()) {
            const std::vector<std::wstring> names = SubkeyNames(handlers.get());
            for (auto name = names.rbegin(); name != names.rend(); ++name) {
                const win::UniqueHKey handlerKey =
                    OpenForReading(HKEY_CLASSES_ROOT, std::wstring(DragDropHandlersKey) + L"\\" + *name);
                if (!handlerKey.get())
                    continue;
                std::wstring text = DefaultValue(handlerKey.get());
                CLSID classId;
                if (text.empty() || FAILED(CLSIDFromString(text.c_str(), &classId)))
                    continue;
                ComPtr<IShellExtInit> init;
                if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init))))
                    continue;
                if (FAILED(init->Initialize(folder.get(), DataObj, nullptr)))
                    continue;
                ComPtr<IContextMenu> menu;
                if (FAILED(init.As(&menu)))
                    continue;
                const HRESULT hr = menu->QueryContextMenu(AMenu, 0, static_cast<UINT>(nextId), 0x7FFF, CMF_NORMAL);
                if (FAILED(hr) || HRESULT_CODE(hr) <= 0)
                    continue;
                FHandlers.push_back(TCMListItem{nextId, nextId + HRESULT_CODE(hr), menu});
                nextId += HRESULT_CODE(hr);
            }
        }
    }
    TDragDrop::DoMenuPopup(Sender, AMenu, DataObj, nextId, grfKeyState, pt);
}

bool TDragDropFilesEx::DoMenuExecCmd(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int Command,
                                     DWORD& dwEffect) {
    for (const TCMListItem& handler : FHandlers) {
        if (Command < handler.First || Command >= handler.End)
            continue;
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.hwnd = DragDropWindow();
        info.lpVerb = MAKEINTRESOURCEA(Command - handler.First);
        info.nShow = SW_SHOWNORMAL;
        if (handler.Menu->InvokeCommand(&info) == S_OK)
            return true;
        break;
    }
    return TDragDrop::DoMenuExecCmd(Sender, AMenu, DataObj, Command, dwEffect);
}

void TDragDropFilesEx::DoMenuDestroy(gui::TComponent* Sender, HMENU AMenu) {
    FHandlers.clear();
    TDragDrop::DoMenuDestroy(Sender, AMenu);
}

bool TDragDropFilesEx::ExecuteDropHandler(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect) {
    if (!ShellExtensions.DropHandler || !OnSpecifyDropTarget)
        return false;
    std::wstring filename;
    TPidlPtr target = SpecifiedTarget(false, pt, filename);
    if (!target)
        return false;
    ComPtr<IDropTarget> dropTarget = ItemDropTarget(target.get(), filename);
    // Folders take drops through the views themselves; only a file's own handler is asked.
    if (!dropTarget || !FileExists(filename))
        return false;
    const POINTL point{pt.x, pt.y};
    DWORD effect = dwEffect;
    if (FAILED(dropTarget->DragEnter(DataObj, grfKeyState, point, &effect)))
        return false;
    effect = dwEffect;
    if (dropTarget->Drop(DataObj, grfKeyState, point, &effect) != S_OK)
        return false;
    dwEffect = effect;
    return true;
}

void TDragDropFilesEx::DoDropHandlerSucceeded(DWORD grfKeyState, POINT pt, DWORD dwEffect) {
    if (OnDropHandlerSucceeded)
        OnDropHandlerSucceeded(this, grfKeyState, ScreenToControl(pt), dwEffect);
}

bool TDragDropFilesEx::TargetHasDropHandler(LPCITEMIDLIST pidlFQ, const std::wstring& Filename, DWORD& dwEffect) {
    TPidlPtr target = pidlFQ ? PIDL_Copy(pidlFQ) : (Filename.empty() ? nullptr : PIDL_GetFromPath(Filename));
    if (!target)
        return false;
    std::wstring name = Filename;
    ComPtr<IDropTarget> dropTarget = ItemDropTarget(target.get(), name);
    if (!dropTarget)
        return false;
    if ((dwEffect & ~(DROPEFFECT_LINK | DROPEFFECT_SCROLL)) == 0)
        dwEffect &= ~DROPEFFECT_LINK;
    return FileExists(name);
}

bool CreateDropShortCut(const TFDDListItem& Item, const std::wstring& LinkFile, const std::wstring& Description) {
    if (LinkFile.empty() || (!Item.Pidl && Item.Name.empty()))
        return false;
    win::ComApartment com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))))
        return false;
    const HRESULT target = Item.Pidl ? link->SetIDList(Item.Pidl.get()) : link->SetPath(Item.Name.c_str());
    if (FAILED(target))
        return false;
    const std::wstring folder = FolderOf(Item.Name);
    if (!folder.empty() && FAILED(link->SetWorkingDirectory(folder.c_str())))
        return false;
    if (FAILED(link->SetDescription(Description.c_str())))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)))
        return false;
    return SUCCEEDED(file->Save(LinkFile.c_str(), TRUE));
}
