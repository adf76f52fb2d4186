// TDriveView: the commands that change the disk (create, delete, undo), the shell's context and properties
// menus, the bold mark, and drag-and-drop error reporting. The clipboard and drag-and-drop are in
// DriveViewDragDrop.cpp.
#include "components/DriveView.h"

#include "components/BaseUtils.h"
#include "components/ShellDialogs.h"
#include "components/ViewsShared.h"
#include "win/Handles.h"
#include "core/TextUtil.h"
#include "win/SystemText.h"

#include <algorithm>
#include <set>

namespace {

// Characters no folder name may hold; a name with one would reach another folder or none.
constexpr wchar_t kForbiddenNameChars[] = L"\\/:*?\"<>|";

} // namespace

TDriveView::WatchPause::WatchPause(TDriveView& view, TDirView* otherSource) : view_(view) {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        TDiscMonitor* monitor = view_.GetDriveStatus(letter).DiscMonitor;
        if (monitor && monitor->Active()) {
            monitor->Stop();
            stopped_.push_back(letter);
        }
    }
    PauseList(view_.DirView());
    if (otherSource != view_.DirView())
        PauseList(otherSource);
}

TDriveView::WatchPause::WatchPause(TDriveView& view, wchar_t drive) : view_(view) {
    TDiscMonitor* monitor = view_.GetDriveStatus(drive).DiscMonitor;
    if (monitor && monitor->Active()) {
        monitor->Stop();
        stopped_.push_back(drive);
    }
    PauseList(view_.DirView());
}

TDriveView::WatchPause::~WatchPause() {
    // The command may have ended a watcher (a drive that went away): only those still there start again.
    for (wchar_t letter : stopped_)
        if (TDiscMonitor* monitor = view_.GetDriveStatus(letter).DiscMonitor; monitor && view_.WatchDirectory())
            monitor->Start();
    for (TDirView* list : lists_)
        if (list == view_.DirView() || list == DragSourceDirView)
            list->StartWatchThread();
}

void TDriveView::WatchPause::PauseList(TDirView* list) {
    if (!list)
        return;
    list->StopWatchThread();
    lists_.push_back(list);
}

// --- folders -----------------------------------------------------------------------------------------------------

HTREEITEM TDriveView::CreateDirectory(HTREEITEM ParentNode, const std::wstring& Name) {
    TNodeData* parentData = GetNodeData(ParentNode);
    if (!parentData)
        throw ENodeNotAssigned("CreateDirectory");
    if (!parentData->Scanned)
        ValidateDirectory(ParentNode);

    HTREEITEM node = nullptr;
    {
        WatchPause pause(*this);
        LastDirectoryCreateError = 0;
        // A name with a path separator would make a folder somewhere else than below this node.
        if (Name.empty() || Name.find_first_of(kForbiddenNameChars) != std::wstring::npos) {
            LastDirectoryCreateError = ERROR_INVALID_NAME;
        } else {
            const std::wstring path = GetDirPath(ParentNode) + L"\\" + Name;
            if (!::CreateDirectoryW(path.c_str(), nullptr)) {
                LastDirectoryCreateError = GetLastError();
            } else {
                WIN32_FIND_DATAW found{};
                if (win::UniqueFind(FindFirstFileW(path.c_str(), &found))) {
                    node = AddChildNode(ParentNode, found);
                    if (TNodeData* data = GetNodeData(node))
                        data->Scanned = true;
                    SetHasChildren(ParentNode, true);
                    SortChildren(ParentNode, false);
                    Expand(ParentNode, true);
                }
            }
        }
    }
    ReloadDirView();
    return node;
}

bool TDriveView::DeleteDirectory(HTREEITEM Node, bool AllowUndo) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("DeleteDirectory");
    HTREEITEM parent = ParentNode(Node);
    if (!parent)
        return false; // a drive is never deleted

    THourGlass wait;
    const std::wstring path = GetDirPath(Node);
    bool gone = false;
    {
        TFileOperator deleter(Handle());
        deleter.SetOperation(foDelete);
        TFileOperationFlags flags = deleter.Flags();
        if (AllowUndo)
            flags.insert(foAllowUndo);
        else
            flags.erase(foAllowUndo);
        if (!ConfirmDelete)
            flags.insert(foNoConfirmation);
        deleter.SetFlags(flags);
        deleter.OperandFrom().push_back(path);

        WatchPause pause(*this, GetDrive(Node));
        if (DirExists(path)) {
            const bool succeeded = deleter.Execute();
            if (succeeded && !deleter.AnyOperationsAborted() && !DirExists(path)) {
                RemoveNode(Node);
                gone = true;
            } else {
                // The shell may report a failure after it removed the folder (or the reverse): the disk decides.
                ValidateDirectoryEx(parent, 0, false);
                gone = !DirExists(path);
            }
        } else {
            RemoveNode(Node);
            gone = true;
        }
    }
    ReloadDirView();
    return gone;
}

void TDriveView::RemoveNode(HTREEITEM Node) {
    HTREEITEM parent = ParentNode(Node);
    for (HTREEITEM s = Selected(); s; s = ParentNode(s))
        if (s == Node) {
            SelectNode(parent);
            break;
        }
    if (dropTarget_ == Node) {
        dropTarget_ = nullptr;
        TreeView_SelectDropTarget(Handle(), nullptr);
    }
    DeleteNode(Node);
    if (parent && !FirstChild(parent))
        SetHasChildren(parent, false);
}

void TDriveView::ReloadDirView() {
    if (!dirView_)
        return;
    const std::wstring current = RemoveTrailingBackslash(Directory());
    if (current.empty())
        return;
    // The list shows the selected folder: load it again even when its path did not change.
    if (RemoveTrailingBackslash(dirView_->Path()) == current)
        dirView_->Reload(true);
    else
        dirView_->SetPath(current);
}

bool TDriveView::UndoLastOperation() {
    if (!CanUndo())
        return false;
    const std::wstring source = fileOperator_.LastOperandFrom().empty() ? L"" : fileOperator_.LastOperandFrom()[0];
    const std::wstring target = fileOperator_.LastOperandTo().empty() ? L"" : fileOperator_.LastOperandTo()[0];
    bool result = false;
    std::vector<std::wstring> folders;
    {
        WatchPause pause(*this);
        result = fileOperator_.UndoExecute();
        // The source's folder and the target's folder changed; for a copy or move the target is itself the folder
        // that received the items, so its own node changed as well.
        for (const std::wstring& path :
             {ExtractFileDir(source), ExtractFileDir(target), RemoveTrailingBackslash(target)})
            if (!path.empty() && std::find(folders.begin(), folders.end(), UpperCase(path)) == folders.end())
                folders.push_back(UpperCase(path));
        for (const std::wstring& folder : folders)
            if (HTREEITEM node = FindReadNode(folder))
                ValidateDirectory(node);
    }
    if (dirView_) {
        const std::wstring listPath = UpperCase(RemoveTrailingBackslash(dirView_->Path()));
        if (std::find(folders.begin(), folders.end(), listPath) != folders.end())
            dirView_->Reload(true);
    }
    return result;
}

// --- marks -------------------------------------------------------------------------------------------------------

void TDriveView::SetBoldDraw(HTREEITEM Node, bool Bold) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("SetBoldDraw");
    data->Bold = Bold;
    RECT r{};
    if (TreeView_GetItemRect(Handle(), Node, &r, TRUE))
        InvalidateRect(Handle(), &r, TRUE);
}

void TDriveView::ClearCutMark() {
    if (cutPath_.empty())
        return;
    if (HTREEITEM node = FindReadNode(cutPath_))
        TreeView_SetItemState(Handle(), node, 0, TVIS_CUT);
    cutPath_.clear();
}

void TDriveView::MarkCut(HTREEITEM Node) {
    ClearCutMark();
    cutPath_ = GetDirPath(Node);
    TreeView_SetItemState(Handle(), Node, TVIS_CUT, TVIS_CUT);
}

// --- menus -------------------------------------------------------------------------------------------------------

void TDriveView::DisplayContextMenu(HTREEITEM Node, POINT ScreenPos) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("DisplayContextMenu");
    // The node the menu is about shows the drop highlight while the menu is open.
    const bool highlight = Node != Selected();
    if (highlight)
        TreeView_SelectDropTarget(Handle(), Node);
    if (OnDisplayContextMenu)
        OnDisplayContextMenu(this);

    std::wstring path = GetDirPath(Node);
    if (!ParentNode(Node))
        path = WithTrailingBackslash(path);
    std::wstring verb;
    HWND owner = GetAncestor(Handle(), GA_ROOT);
    ShellDisplayContextMenu(owner ? owner : Handle(), ScreenPos, path, CanEdit(Node), verb);

    if (highlight)
        TreeView_SelectDropTarget(Handle(), nullptr);
    // The shell's own "cut" and "copy" have put the folder on the clipboard already; the view keeps the mode.
    if (verb == L"rename") {
        TreeView_EditLabel(Handle(), Node);
    } else if (verb == L"cut") {
        ViewsClipboardMode = cmCut;
        MarkCut(Node);
    } else if (verb == L"copy") {
        ClearCutMark();
        ViewsClipboardMode = cmCopy;
    } else if (verb == L"paste") {
        PasteFromClipBoard(GetDirPath(Node));
    }
}

void TDriveView::DisplayPropertiesMenu(HTREEITEM Node) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("DisplayPropertiesMenu");
    std::wstring path = GetDirPath(Node);
    if (!ParentNode(Node))
        path = WithTrailingBackslash(path);
    ShellExecuteContextVerb(Handle(), L"properties", path);
}

// --- drag-and-drop errors ----------------------------------------------------------------------------------------

void TDriveView::DDError(TDDError ErrorCode) {
    if (OnDDError) {
        OnDDError(this, ErrorCode);
        return;
    }
    throw EDragDrop("DragDrop Error: " + std::to_string(static_cast<int>(ErrorCode)));
}
