#pragma once
// Files on the drag-and-drop engine: a file list rendered into the shell's formats ("Shell IDList Array",
// CF_HDROP, "FileNameMap"/"FileNameMapW") and read back from them, plus the shell's own drop handlers and
// drag-and-drop handler menu items.
//
// How a view uses it:
//   - drag: FileList().Clear(); FileList().AddItem(nullptr, fullPath) for each selected item; Execute();
//   - drop: in OnProcessDropped (after OnDrop) the dropped items are in FileList(): Item(i).Name is the full path
//     (empty when the source sent only identifier lists), Item(i).Pidl the absolute identifier list (may be null),
//     Item(i).MappedName the new name when FileNamesAreMapped();
//   - clipboard: fill FileList() and CopyToClipboard(); GetFromClipboard() fills FileList() from the clipboard;
//   - shell handlers: set ShellExtensions.DropHandler / DragDropHandler and answer OnSpecifyDropTarget with the
//     folder or file under the drop point (a borrowed pidlFQ or a Filename);
//   - drops with effect link: CreateDropShortCut for each dropped item.
#include "components/DragDrop.h"
#include "components/PIDL.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

// One entry of a file list. Pidl is absolute and owned by the entry (may be null); Name is a full path (may be
// empty); MappedName is the new name for the target (usually empty).
struct TFDDListItem {
    TPidlPtr Pidl;
    std::wstring Name;
    std::wstring MappedName;
};

class TFileList {
public:
    TFileList() = default;
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises ERangeError "List index out of bounds" outside 0 .. Count - 1.
    TFDDListItem& Item(int Index);
    const TFDDListItem& Item(int Index) const;
    TFDDListItem& operator[](int Index) { return Item(Index); }
    const TFDDListItem& operator[](int Index) const { return Item(Index); }
    // Appends an entry with a copy of Pidl (or none); returns its index.
    int AddItem(LPCITEMIDLIST Pidl, const std::wstring& Name);
    int AddItemEx(LPCITEMIDLIST Pidl, const std::wstring& Name, const std::wstring& MappedName);
    // Frees every entry and its identifier list.
    void Clear();
    // Fills empty names from identifier lists; false when some entry is left without a name.
    bool RenderNames();
    // Fills missing identifier lists from names; false when some entry is left without a list.
    bool RenderPIDLs();

private:
    std::vector<TFDDListItem> FItems;
};

// Whether the shell's extensions take part in drops.
class TShellExtension {
public:
    bool DropHandler = false;
    bool DragDropHandler = false;
    void Assign(const TShellExtension& Source) {
        DropHandler = Source.DropHandler;
        DragDropHandler = Source.DragDropHandler;
    }
};

enum TFileExMustDnD { nvFilename, nvPIDL };
using TFileExMustDnDSet = TEnumSet<TFileExMustDnD>;

// Asks the owner which folder or file lies under the drop point (client coordinates). pidlFQ is borrowed: the
// component copies it during the call.
using TOnSpecifyDropTarget = std::function<void(gui::TComponent* Sender, bool DragDropHandler, POINT pt,
                                                LPITEMIDLIST& pidlFQ, std::wstring& Filename)>;

// The data object of a file list, its blocks rendered once at construction.
class TDataObjectFilesEx : public TDataObject {
public:
    // Builds the item-list block when RenderPIDL and the file-name block when RenderFilename.
    TDataObjectFilesEx(const TFileList& FileList, bool RenderPIDL, bool RenderFilename);

    bool HasIDListBlock() const { return !FIDListBlock.empty(); }
    bool HasFileNameBlock() const { return !FFileNameBlock.empty(); }
    const std::vector<BYTE>& IDListBlock() const { return FIDListBlock; }
    const std::vector<BYTE>& FileNameBlock() const { return FFileNameBlock; }

protected:
    HRESULT RenderData(const FORMATETC& FormatEtc, STGMEDIUM& Medium) override;

private:
    void BuildIDListBlock(const TFileList& FileList);
    void BuildFileNameBlock(const TFileList& FileList);

    std::vector<BYTE> FIDListBlock;
    std::vector<BYTE> FFileNameBlock;
    std::vector<std::wstring> FMappedNames;
    bool FHasMappedNames = false;
};

class TDragDropFilesEx;

class TDropTargetFilesEx : public TDropTarget {
public:
    explicit TDropTargetFilesEx(TDragDropFilesEx* Owner);
    void QueryAccept(IDataObject* DataObj, bool& Accept) override;
    // Raises EDragDrop "A non-existing filename is mapped" for a name map longer than the file list.
    void RenderDropped(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect) override;
};

// Reads the dropped formats of DataObj into List; FileNamesAreMapped tells whether a name map came along.
// Malformed blocks count as absent. Raises EDragDrop "A non-existing filename is mapped".
void ReadDroppedFiles(IDataObject* DataObj, TFileList& List, bool& FileNamesAreMapped);

class TDragDropFilesEx : public TDragDrop {
public:
    explicit TDragDropFilesEx(std::wstring Name = {});
    ~TDragDropFilesEx() override;

    TFileExMustDnDSet NeedValid;
    bool CompleteFileList = true;
    TShellExtension ShellExtensions;
    TOnSpecifyDropTarget OnSpecifyDropTarget;
    TOnProcessDropped OnDropHandlerSucceeded;

    TFileList& FileList() { return FFileList; }
    const TFileList& FileList() const { return FFileList; }
    // The last drop carried mapped names.
    bool FileNamesAreMapped() const { return FFileNamesAreMapped; }

    // Whether the file under the mouse takes drops itself. pidlFQ is borrowed. When it does and the effect offers
    // nothing but a link, the link is taken away: no shortcut onto a file that takes drops.
    bool TargetHasDropHandler(LPCITEMIDLIST pidlFQ, const std::wstring& Filename, DWORD& dwEffect);

    // The drop target the shell offers for an item (absolute list); GetUIObjectOf of its folder unless replaced
    // (tests put a recording target here).
    std::function<Microsoft::WRL::ComPtr<IDropTarget>(LPCITEMIDLIST Item)> ItemDropTargetOf;

    // The data object of FileList(), or null when the list cannot be rendered as NeedValid asks (see .cpp).
    TDataObject* CreateDataObject() override;

protected:
    void DoMenuPopup(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int AMinCustCmd, DWORD grfKeyState,
                     POINT pt) override;
    bool DoMenuExecCmd(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int Command,
                       DWORD& dwEffect) override;
    void DoMenuDestroy(gui::TComponent* Sender, HMENU AMenu) override;
    bool ExecuteDropHandler(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect) override;
    void DoDropHandlerSucceeded(DWORD grfKeyState, POINT pt, DWORD dwEffect) override;

private:
    friend class TDropTargetFilesEx;
    // One shell drag-and-drop handler in the open drop menu: its command ids are First .. End - 1.
    struct TCMListItem {
        int First = 0;
        int End = 0;
        Microsoft::WRL::ComPtr<IContextMenu> Menu;
    };
    // The folder or file the owner names for the drop point; null when it names none.
    TPidlPtr SpecifiedTarget(bool DragDropHandler, POINT ScreenPt, std::wstring& Filename);
    Microsoft::WRL::ComPtr<IDropTarget> ItemDropTarget(LPCITEMIDLIST Item, std::wstring& Filename);

    TFileList FFileList;
    bool FFileNamesAreMapped = false;
    std::vector<TCMListItem> FHandlers;
};

// Writes the shortcut file LinkFile to a dropped item: to its identifier list when it has one (drives and other
// items without a path), else to its Name. The working directory is the item's folder; Description as given.
// False on any failing step.
bool CreateDropShortCut(const TFDDListItem& Item, const std::wstring& LinkFile, const std::wstring& Description);
