#include "components/PIDL.h"

#include "win/AnsiText.h"

#include <cstring>

namespace {

// The items of a list are not aligned; read their counts byte-wise.
USHORT ItemCount(const void* item) {
    USHORT cb;
    std::memcpy(&cb, item, sizeof cb);
    return cb;
}

} // namespace

// Registered in this order when the program starts; the shell matches the names by text.
extern const UINT CF_FILECONTENTS = RegisterClipboardFormatW(L"FileContents");
extern const UINT CF_FILEDESCRIPTOR = RegisterClipboardFormatW(L"FileGroupDescriptor");
extern const UINT CF_FILENAME = RegisterClipboardFormatW(L"FileName");
extern const UINT CF_FILENAMEMAP = RegisterClipboardFormatW(L"FileNameMap");
extern const UINT CF_FILENAMEMAPW = RegisterClipboardFormatW(L"FileNameMapW");
extern const UINT CF_INSHELLDRAGLOOP = RegisterClipboardFormatW(L"InShellDragLoop");
extern const UINT CF_NETRESOURCE = RegisterClipboardFormatW(L"Net Resource");
extern const UINT CF_PASTESUCCEEDED = RegisterClipboardFormatW(L"Paste Succeeded");
extern const UINT CF_PERFORMEDDROPEFFECT = RegisterClipboardFormatW(L"Performed DropEffect");
extern const UINT CF_PREFERREDDROPEFFECT = RegisterClipboardFormatW(L"Preferred DropEffect");
extern const UINT CF_PRINTERFRIENDLYNAME = RegisterClipboardFormatW(L"PrinterFriendlyName");
extern const UINT CF_IDLIST = RegisterClipboardFormatW(L"Shell IDList Array");
extern const UINT CF_OBJECTPOSITIONS = RegisterClipboardFormatW(L"Shell Object Offsets");
extern const UINT CF_URL = RegisterClipboardFormatW(L"UniformResourceLocator");

IMalloc* ShellMalloc() {
    // Kept, never released: records that own lists may be freed while the program's statics are torn down.
    static IMalloc* const malloc = [] {
        IMalloc* m = nullptr;
        return SUCCEEDED(SHGetMalloc(&m)) ? m : nullptr;
    }();
    return malloc;
}

void TPidlDeleter::operator()(ITEMIDLIST* List) const noexcept {
    PIDL_Free(List);
}

LPITEMIDLIST PIDL_GetNextItem(LPCITEMIDLIST List) {
    if (List == nullptr) {
        return nullptr;
    }
    auto bytes = reinterpret_cast<const BYTE*>(List);
    return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(bytes + ItemCount(bytes)));
}

UINT PIDL_GetSize(LPCITEMIDLIST List) {
    if (List == nullptr) {
        return 0;
    }
    UINT size = 2;
    for (auto item = reinterpret_cast<const BYTE*>(List); ItemCount(item) != 0; item += ItemCount(item)) {
        size += ItemCount(item);
    }
    return size;
}

TPidlPtr PIDL_Create(UINT Size) {
    IMalloc* malloc = ShellMalloc();
    if (malloc == nullptr || Size == 0) {
        return nullptr;
    }
    void* block = malloc->Alloc(Size);
    if (block == nullptr) {
        return nullptr;
    }
    std::memset(block, 0, Size);
    return TPidlPtr(static_cast<ITEMIDLIST*>(block));
}

TPidlPtr PIDL_Copy(LPCITEMIDLIST List) {
    if (List == nullptr) {
        return nullptr;
    }
    UINT size = PIDL_GetSize(List);
    TPidlPtr copy = PIDL_Create(size);
    if (copy) {
        std::memcpy(copy.get(), List, size);
    }
    return copy;
}

TPidlPtr PIDL_Concatenate(LPCITEMIDLIST First, LPCITEMIDLIST Second) {
    UINT firstBytes = First ? PIDL_GetSize(First) - 2 : 0;
    UINT secondSize = Second ? PIDL_GetSize(Second) : 2;
    TPidlPtr joined = PIDL_Create(firstBytes + secondSize);
    if (!joined) {
        return nullptr;
    }
    auto out = reinterpret_cast<BYTE*>(joined.get());
    if (firstBytes != 0) {
        std::memcpy(out, First, firstBytes);
    }
    if (Second != nullptr) {
        std::memcpy(out + firstBytes, Second, secondSize);
    }
    return joined;
}

void PIDL_Split(LPCITEMIDLIST List, TPidlPtr& Parent, TPidlPtr& Last) {
    Parent.reset();
    Last.reset();
    if (List == nullptr) {
        return;
    }
    auto start = reinterpret_cast<const BYTE*>(List);
    if (ItemCount(start) == 0) {
        Parent = PIDL_Copy(List);
        return;
    }
    const BYTE* last = start;
    while (ItemCount(last + ItemCount(last)) != 0) {
        last += ItemCount(last);
    }
    const UINT parentBytes = static_cast<UINT>(last - start);
    const UINT lastBytes = ItemCount(last);
    Parent = PIDL_Create(parentBytes + 2);
    Last = PIDL_Create(lastBytes + 2);
    if (!Parent || !Last) {
        Parent.reset();
        Last.reset();
        return;
    }
    std::memcpy(Parent.get(), start, parentBytes);
    std::memcpy(Last.get(), last, lastBytes);
}

TPidlPtr PIDL_GetFromPath(const std::wstring& Path) {
    TShellFolderPtr desktop;
    if (FAILED(SHGetDesktopFolder(desktop.GetAddressOf()))) {
        return nullptr;
    }
    return PIDL_GetFromParentFolder(desktop.Get(), Path);
}

TPidlPtr PIDL_GetFromParentFolder(IShellFolder* Folder, const std::wstring& Name) {
    if (Folder == nullptr) {
        return nullptr;
    }
    std::wstring name = Name; // ParseDisplayName takes a writable text
    LPITEMIDLIST list = nullptr;
    if (FAILED(Folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &list, nullptr))) {
        PIDL_Free(list);
        return nullptr;
    }
    return TPidlPtr(list);
}

bool PIDL_GetFolder(LPCITEMIDLIST List, TShellFolderPtr& Folder) {
    // The list is absolute, so it is always bound from the desktop, whatever Folder held before.
    TShellFolderPtr desktop;
    if (FAILED(SHGetDesktopFolder(desktop.GetAddressOf()))) {
        return false;
    }
    if (!Folder) {
        Folder = desktop;
    }
    if (List == nullptr) {
        return false;
    }
    TShellFolderPtr bound;
    if (SUCCEEDED(
            desktop->BindToObject(List, nullptr, IID_IShellFolder, reinterpret_cast<void**>(bound.GetAddressOf()))) &&
        bound) {
        Folder = bound;
        return true;
    }
    if (PIDL_GetSize(List) == 2) {
        Folder = desktop;
        return true;
    }
    return false;
}

bool PIDL_GetDisplayName(IShellFolder* Folder, LPCITEMIDLIST List, DWORD Flags, std::wstring& Name) {
    Name.clear();
    TShellFolderPtr folder = Folder;
    if (!folder && FAILED(SHGetDesktopFolder(folder.GetAddressOf()))) {
        return false;
    }
    STRRET result{};
    if (FAILED(folder->GetDisplayNameOf(List, Flags, &result))) {
        return false;
    }
    switch (result.uType) {
    case STRRET_WSTR:
        if (result.pOleStr == nullptr) {
            return false;
        }
        Name = result.pOleStr;
        // The shell hands the text over: it goes back to the same allocator.
        if (IMalloc* malloc = ShellMalloc()) {
            malloc->Free(result.pOleStr);
        } else {
            CoTaskMemFree(result.pOleStr);
        }
        return true;
    case STRRET_OFFSET:
        Name = win::FromAnsi(reinterpret_cast<const char*>(List) + result.uOffset);
        return true;
    case STRRET_CSTR:
        result.cStr[MAX_PATH - 1] = '\0';
        Name = win::FromAnsi(result.cStr);
        return true;
    default:
        return false;
    }
}

void PIDL_Free(LPITEMIDLIST List) {
    if (List == nullptr) {
        return;
    }
    if (IMalloc* malloc = ShellMalloc()) {
        malloc->Free(List);
    } else {
        CoTaskMemFree(List);
    }
}

bool PIDL_Equal(LPCITEMIDLIST First, LPCITEMIDLIST Second) {
    if (First == nullptr || Second == nullptr) {
        return false;
    }
    UINT size = PIDL_GetSize(First);
    return size == PIDL_GetSize(Second) && std::memcmp(First, Second, size) == 0;
}
