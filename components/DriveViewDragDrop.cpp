// TDriveView: the clipboard, the drop operation, and the tree as drag source and drop target.
#include "components/DriveView.h"

#include "components/BaseUtils.h"
#include "components/ViewsShared.h"
#include "gui/MessageBox.h"
#include "core/TextUtil.h"
#include "win/SystemText.h"
#include "core/TextEncoding.h"
#include "win/Handles.h"
#include "win/Trace.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>

namespace {

constexpr ULONGLONG kTicksPerSecond = 10'000'000; // system time counts 100 ns
constexpr ULONGLONG kDropTooEarly = kTicksPerSecond / 20;
constexpr ULONGLONG kHoverExpand = kTicksPerSecond * 5 / 2;
constexpr ULONGLONG kScrollSlow = kTicksPerSecond / 5;
constexpr ULONGLONG kScrollFast = kTicksPerSecond / 20;
constexpr int kScrollMargin = 50;
constexpr std::int32_t kDeleteWatchSeconds = 10;
constexpr DWORD kEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

std::wstring NamePart(const std::wstring& path) {
    const std::wstring trimmed = RemoveTrailingBackslash(path);
    const auto slash = trimmed.find_last_of(L"\\:");
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

// A folder path as the shell wants it: a bare drive "X:" means the drive's root, not its current folder.
std::wstring ShellFolderPath(const std::wstring& path) {
    const std::wstring trimmed = RemoveTrailingBackslash(path);
    return trimmed.size() == 2 && trimmed[1] == L':' ? trimmed + L"\\" : trimmed;
}

wchar_t DriveLetterOf(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return static_cast<wchar_t>(std::towupper(path[0]));
    return 0;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return UpperCase(RemoveTrailingBackslash(a)) == UpperCase(RemoveTrailingBackslash(b));
}

int FontHeight(HWND window) {
    TEXTMETRICW metrics{};
    {
        const win::WindowDC dc(window);
        const win::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc.get(), &metrics);
    }
    return metrics.tmHeight > 0 ? metrics.tmHeight : 16;
}

} // namespace

ULONGLONG TDriveView::SystemTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool TDriveView::CanDropDirectoryOnto(const std::wstring& DraggedDir, const std::wstring& TargetDir) {
    const std::wstring dragged = UpperCase(RemoveTrailingBackslash(DraggedDir));
    const std::wstring target = UpperCase(RemoveTrailingBackslash(TargetDir));
    if (dragged.empty() || target.empty())
        return true;
    if (target == dragged || target.starts_with(dragged + L"\\"))
        return false;
    return target != ExtractFileDir(dragged);
}

HRESULT TDriveView::DropTooEarlyFilter(HRESULT Result, ULONGLONG DragStartTime, ULONGLONG Now) {
    // A release that quick is a click that the drag detection took for a drag, not a drop.
    if (Result == DRAGDROP_S_DROP && Now >= DragStartTime && Now - DragStartTime < kDropTooEarly)
        return DRAGDROP_S_CANCEL;
    return Result;
}

// --- clipboard ---------------------------------------------------------------------------------------------------

void TDriveView::EmptyClipBoard() {
    if (OpenClipboard(Handle())) {
        ::EmptyClipboard();
        CloseClipboard();
    }
    ClearCutMark();
    if (dirView_ && dirView_->Handle())
        ListView_SetItemState(dirView_->Handle(), -1, 0, LVIS_CUT);
    ViewsClipboardMode = cmNone;
}

bool TDriveView::CopyToClipBoard() {
    HTREEITEM node = Selected();
    if (!GetNodeData(node))
        return false;
    THourGlass wait;
    TFileList& list = dragDropFilesEx_->FileList();
    list.Clear();
    list.AddItem(nullptr, ShellFolderPath(GetDirPath(node)));
    const bool copied = dragDropFilesEx_->CopyToClipboard();
    list.Clear();
    if (copied) {
        // Whatever was cut before is no longer what a paste would take.
        ClearCutMark();
        ViewsClipboardMode = cmCopy;
    }
    return copied;
}

bool TDriveView::CutToClipBoard(HTREEITEM Node) {
    if (!GetNodeData(Node) || !ParentNode(Node))
        return false;
    THourGlass wait;
    TFileList& list = dragDropFilesEx_->FileList();
    list.Clear();
    list.AddItem(nullptr, GetDirPath(Node));
    const bool copied = dragDropFilesEx_->CopyToClipboard();
    list.Clear();
    if (copied) {
        MarkCut(Node);
        ViewsClipboardMode = cmCut;
    }
    return copied;
}

bool TDriveView::CanPasteFromClipBoard() {
    if (!Selected())
        return false;
    if (!OpenClipboard(Handle()))
        return false;
    CloseClipboard();
    return true;
}

bool TDriveView::PasteFromClipBoard(const std::wstring& TargetPath) {
    dragPaths_.clear();
    if (!CanPasteFromClipBoard())
        return false;
    TDragDropFilesEx& dd = *dragDropFilesEx_;
    if (!dd.GetFromClipboard())
        return false;
    dd.FileList().RenderNames();
    if (dd.FileList().Count() == 0)
        return false;
    const std::wstring target = TargetPath.empty() ? Directory() : TargetPath;
    const bool cut = ViewsClipboardMode == cmCut;
    const DWORD effect = cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    // A paste that did not happen keeps the clipboard: the cut is not lost.
    if (!PerformDragDropFileOperation(target, effect, false))
        return false;
    if (OnDDExecuted)
        OnDDExecuted(this, static_cast<int>(effect));
    if (cut)
        EmptyClipBoard();
    return true;
}

// --- the drop operation ------------------------------------------------------------------------------------------

bool TDriveView::PerformDragDropFileOperation(const std::wstring& TargetPath, DWORD Effect, bool OntoRecycleBin) {
    const TFileList& list = dragDropFilesEx_->FileList();
    std::vector<TDroppedFile> files;
    for (int i = 0; i < list.Count(); ++i)
        if (!list[i].Name.empty())
            files.push_back({list[i].Name, dragDropFilesEx_->FileNamesAreMapped() ? list[i].MappedName : L""});
    return PerformDropOperation(files, TargetPath, Effect, OntoRecycleBin);
}

bool TDriveView::PerformDropOperation(const std::vector<TDroppedFile>& Files, const std::wstring& TargetPath,
                                      DWORD Effect, bool OntoRecycleBin) {
    THourGlass wait;
    const std::wstring target = ShellFolderPath(TargetPath);
    Effect &= kEffects;

    if (Effect == DROPEFFECT_LINK && !OntoRecycleBin) {
        for (const TDroppedFile& file : Files) {
            std::wstring name = NamePart(file.Name);
            std::wstring linkName;
            if (name.empty() || (name.size() == 2 && name[1] == L':')) {
                // A drive root: its name from the drive table, then the letter.
                const wchar_t letter = DriveLetterOf(file.Name);
                const std::wstring pretty = DriveInfo.PrettyName(letter);
                linkName = (pretty.size() > 3 ? pretty.substr(3) : std::wstring()) + L"(" + letter + L")";
                name = linkName;
            } else {
                linkName = FileNameWithoutExt(name);
            }
            TFDDListItem item;
            item.Name = file.Name;
            if (!CreateDropShortCut(item, WithTrailingBackslash(target) + linkName + L".lnk", FileNameWithoutExt(name)))
                DDError(DDCreateShortCutError);
        }
        if (dirView_ && SamePath(dirView_->Path(), target))
            dirView_->Reload(true);
        return true;
    }
    if (!(Effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) && !OntoRecycleBin)
        return false;

    const bool move = OntoRecycleBin || (Effect & DROPEFFECT_MOVE) != 0;
    std::vector<std::wstring> sourceFolders;
    bool succeeded = false;
    bool failed = false;
    {
        WatchPause pause(*this, DragSourceDirView);
        TFileOperationFlags flags{foAllowUndo, foNoConfirmMkDir};
        bool mapped = false;
        for (const TDroppedFile& file : Files)
            mapped = mapped || !file.MappedName.empty();
        fileOperator_.OperandFrom().clear();
        fileOperator_.OperandTo().clear();
        for (const TDroppedFile& file : Files) {
            fileOperator_.OperandFrom().push_back(file.Name);
            if (mapped)
                fileOperator_.OperandTo().push_back(WithTrailingBackslash(target) +
                                                    (file.MappedName.empty() ? NamePart(file.Name) : file.MappedName));
            const std::wstring folder = ExtractFileDir(file.Name);
            if (!folder.empty() && std::none_of(sourceFolders.begin(), sourceFolders.end(),
                                                [&](const std::wstring& f) { return SamePath(f, folder); }))
                sourceFolders.push_back(folder);
        }
        if (mapped)
            flags.insert(foMultiDestFiles);
        else
            fileOperator_.OperandTo().push_back(target);
        if (OntoRecycleBin) {
            fileOperator_.SetOperation(foDelete);
            fileOperator_.OperandTo().clear();
            if (!ConfirmDelete)
                flags.insert(foNoConfirmation);
        } else {
            fileOperator_.SetOperation(move ? foMove : foCopy);
            if (!ConfirmOverwrite)
                flags.insert(foNoConfirmation);
        }
        fileOperator_.SetFlags(flags);

        const std::wstring sourcePath = sourceFolders.empty() ? L"" : sourceFolders.front();
        bool doOperation = true;
        if (OnDDFileOperation)
            OnDDFileOperation(this, static_cast<int>(Effect), sourcePath, target, doOperation);
        if (doOperation && !fileOperator_.OperandFrom().empty()) {
            succeeded = fileOperator_.Execute();
            failed = !succeeded && !fileOperator_.AnyOperationsAborted();
            if (succeeded && OnDDFileOperationExecuted)
                OnDDFileOperationExecuted(this, static_cast<int>(Effect), sourcePath, target);
        }
        fileOperator_.OperandFrom().clear();
        fileOperator_.OperandTo().clear();

        if (move) {
            BeginUpdate();
            try {
                for (const std::wstring& folder : sourceFolders)
                    if (HTREEITEM node = FindReadNode(folder))
                        ValidateDirectory(node);
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
        }
        if (!OntoRecycleBin)
            if (HTREEITEM node = FindReadNode(target))
                ValidateDirectory(node);
    }
    // The list view's watcher was paused: show it what changed in its folder.
    if (dirView_) {
        const std::wstring listPath = dirView_->Path();
        bool concerned = SamePath(listPath, target);
        for (const std::wstring& folder : sourceFolders)
            concerned = concerned || SamePath(listPath, folder);
        if (concerned)
            dirView_->Reload(true);
    }
    if (failed)
        DDError(DDFileOperationError);
    return succeeded;
}

// --- the drag-and-drop component ---------------------------------------------------------------------------------

std::unique_ptr<TDragDropFilesEx> TDriveView::CreateDragDrop() {
    auto dd = std::make_unique<TDragDropFilesEx>(L"DragDropFilesEx1");
    dd->AutoDetectDnD = true;
    // Folders are moved between the tree's own nodes too.
    dd->AcceptOwnDnD = true;
    dd->TargetPopupMenu = TargetPopUpMenu;
    dd->ControlForwardsMessages = true;
    dd->OnDragDetect = [this](DWORD keys, POINT start, POINT pt, TDragDetectStatus status) {
        gui::GuardedVoid("TDriveView drag detect", [&] { DDDragDetect(keys, start, pt, status); });
    };
    dd->OnDragEnter = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect, bool& accept) {
        gui::GuardedVoid("TDriveView drag enter", [&] { DDDragEnter(data, keys, pt, effect, accept); });
    };
    dd->OnDragOver = [this](DWORD keys, POINT pt, DWORD& effect) {
        gui::GuardedVoid("TDriveView drag over", [&] { DDDragOver(keys, pt, effect); });
    };
    dd->OnDragLeave = [this] { gui::GuardedVoid("TDriveView drag leave", [&] { DDDragLeave(); }); };
    dd->OnDrop = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect) {
        try {
            DDDrop(data, keys, pt, effect);
        } catch (const std::exception& error) {
            // The drop runs inside OLE: the user is told here instead of by the caller.
            gui::GuardedVoid("TDriveView drop message", [&] {
                gui::MessageDlg(ErrorMessage(error), L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK,
                                Handle());
            });
            effect = 0;
        } catch (...) {
            win::TraceCaught(L"TDriveView::CreateDragDrop");
            effect = 0;
        }
    };
    dd->OnQueryContinueDrag = [this](BOOL escape, DWORD keys, HRESULT& result) {
        gui::GuardedVoid("TDriveView query continue", [&] { DDQueryContinueDrag(escape, keys, result); });
    };
    dd->OnGiveFeedback = [this](DWORD effect, HRESULT& result) {
        gui::GuardedVoid("TDriveView feedback", [&] {
            if (OnDDGiveFeedback)
                OnDDGiveFeedback(this, static_cast<int>(effect), result);
        });
    };
    dd->OnProcessDropped = [this](gui::TComponent*, DWORD keys, POINT pt, DWORD effect) {
        gui::GuardedVoid("TDriveView processed drop", [&] {
            int e = static_cast<int>(effect);
            if (OnDDProcessDropped)
                OnDDProcessDropped(this, static_cast<int>(keys), pt, e);
        });
    };
    dd->SetDragDropControl(this);
    dd->SetSourceEffects({deCopy, deMove, deLink});
    dd->SetTargetEffects({deCopy, deMove, deLink});
    return dd;
}

// --- the tree as drag source -------------------------------------------------------------------------------------

void TDriveView::DDDragDetect(DWORD grfKeyState, POINT DetectStart, POINT Pt, TDragDetectStatus Status) {
    if (OnDDDragDetect)
        OnDDDragDetect(this, static_cast<int>(grfKeyState), DetectStart, Pt, static_cast<int>(Status));
    if (Status != ddsDrag || dragNode_ || TreeView_GetEditControl(Handle()))
        return;
    TVHITTESTINFO hit{};
    hit.pt = DetectStart;
    HTREEITEM node = TreeView_HitTest(Handle(), &hit);
    if (node && (hit.flags & TVHT_ONITEM) && GetNodeData(node))
        StartDragNode(node);
}

void TDriveView::StartDragNode(HTREEITEM Node) {
    const std::wstring path = GetDirPath(Node);
    TFileList& list = dragDropFilesEx_->FileList();
    list.Clear();
    list.AddItem(nullptr, ShellFolderPath(path));
    dragPaths_ = {path};
    dragNode_ = Node;
    dragStartTime_ = SystemTimeNow();
    DragSourceDirView = nullptr;
    bool movedHere = false;
    ownMoveDone_ = &movedHere;

    if (UseDragImages) {
        dragImage_.reset(TreeView_CreateDragImage(Handle(), Node));
        if (dragImage_) {
            RECT r{};
            TreeView_GetItemRect(Handle(), Node, &r, TRUE);
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(Handle(), &cursor);
            ImageList_BeginDrag(dragImage_.get(), 0, std::clamp<int>(cursor.x - r.left, 0, 32),
                                std::clamp<int>(cursor.y - r.top, 0, 32));
        }
    }

    const TDragResult result = dragDropFilesEx_->Execute();

    HideDragImage();
    if (dragImage_) {
        ImageList_EndDrag();
        dragImage_.reset();
    }
    SetDropTargetNode(nullptr);
    ownMoveDone_ = nullptr;
    list.Clear();
    if (result == drMove && !movedHere) {
        // The drop target moves the folder itself, perhaps after this call returns: drop the node once it is gone.
        std::erase_if(deleteThreads_, [](const auto& thread) { return thread->Finished(); });
        deleteThreads_.push_back(std::make_unique<TFileDeleteThread>(
            std::vector<std::wstring>{path},
            [this](TFileDeleteThread* sender, const std::vector<std::wstring>& vanished) {
                gui::GuardedVoid("TDriveView moved folder", [&] { DragNodeDeleted(sender, vanished); });
            },
            kDeleteWatchSeconds));
    }
    dragNode_ = nullptr;
    dragPaths_.clear();
    DragSourceDirView = nullptr;
}

void TDriveView::DragNodeDeleted(TFileDeleteThread*, const std::vector<std::wstring>& Vanished) {
    for (const std::wstring& path : Vanished)
        if (HTREEITEM node = FindReadNode(path))
            ValidateDirectory(node);
}

void TDriveView::DDQueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState, HRESULT& Result) {
    if (fEscapePressed)
        SetDropTargetNode(nullptr);
    Result = DropTooEarlyFilter(Result, dragStartTime_, SystemTimeNow());
    if (dragImage_) {
        // The image follows the mouse over the view's form and is hidden elsewhere.
        HWND form = GetAncestor(Handle(), GA_ROOT);
        POINT cursor{};
        GetCursorPos(&cursor);
        POINT inForm = cursor;
        ScreenToClient(form, &inForm);
        RECT client{};
        GetClientRect(form, &client);
        RECT frame{};
        GetWindowRect(form, &frame);
        if (!fEscapePressed && PtInRect(&client, inForm)) {
            if (!dragImageShown_) {
                ImageList_DragEnter(form, cursor.x - frame.left, cursor.y - frame.top);
                dragImageShown_ = true;
            } else {
                ImageList_DragMove(cursor.x - frame.left, cursor.y - frame.top);
            }
        } else {
            HideDragImage();
        }
    }
    if (OnDDQueryContinueDrag)
        OnDDQueryContinueDrag(this, fEscapePressed, static_cast<int>(grfKeyState), Result);
}

void TDriveView::HideDragImage() {
    if (!dragImageShown_)
        return;
    ImageList_DragLeave(GetAncestor(Handle(), GA_ROOT));
    dragImageShown_ = false;
}

// --- the tree as drop target -------------------------------------------------------------------------------------

void TDriveView::SetDropTargetNode(HTREEITEM Node) {
    if (Node == dropTarget_)
        return;
    // The drag image would leave traces where the highlight moves.
    if (dragImageShown_)
        ImageList_DragShowNolock(FALSE);
    dropTarget_ = Node;
    TreeView_SelectDropTarget(Handle(), Node);
    UpdateWindow(Handle());
    if (dragImageShown_)
        ImageList_DragShowNolock(TRUE);
}

void TDriveView::DDDragEnter(IDataObject* DataObj, DWORD grfKeyState, POINT Pt, DWORD& dwEffect, bool& Accept) {
    dragDropFilesEx_->TargetPopupMenu = TargetPopUpMenu;
    if (!dragNode_) {
        dragPaths_.clear();
        TFileList list;
        bool mapped = false;
        try {
            ReadDroppedFiles(DataObj, list, mapped);
            list.RenderNames();
        } catch (const EComponentError&) {
            win::TraceCaught(L"TDriveView::DDDragEnter");
            list.Clear();
        }
        for (int i = 0; i < list.Count(); ++i)
            if (!list[i].Name.empty())
                dragPaths_.push_back(list[i].Name);
    }
    dragDrive_ = dragPaths_.empty() ? 0 : DriveLetterOf(dragPaths_.front());
    exeDrag_ = DDLinkOnExeDrag && (dragDropFilesEx_->SourceAllowedEffects() & DROPEFFECT_LINK) && !dragPaths_.empty() &&
               std::all_of(dragPaths_.begin(), dragPaths_.end(), IsExecutableName);
    hoverNode_ = nullptr;
    lastHoverTime_ = SystemTimeNow();
    scrollCount_ = 0;

    TVHITTESTINFO hit{};
    hit.pt = Pt;
    HTREEITEM node = TreeView_HitTest(Handle(), &hit);
    SetDropTargetNode(node);
    dwEffect = DragOverEffect(node, grfKeyState, dwEffect);
    if (OnDDDragEnter) {
        int effect = static_cast<int>(dwEffect);
        OnDDDragEnter(this, DataObj, static_cast<int>(grfKeyState), Pt, effect, Accept);
        dwEffect = static_cast<DWORD>(effect);
    }
}

DWORD TDriveView::DragOverEffect(HTREEITEM Target, DWORD grfKeyState, DWORD Effect) {
    const DWORD scroll = Effect & DROPEFFECT_SCROLL;
    DWORD effect = Effect & kEffects;
    TNodeData* data = GetNodeData(Target);
    if (!data)
        return scroll;
    const wchar_t targetDrive = GetDrive(Target);
    const DWORD allowed = dragDropFilesEx_->SourceAllowedEffects();
    if (!(grfKeyState & (MK_SHIFT | MK_CONTROL))) {
        if (data->IsRecycleBin)
            effect = (allowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : 0;
        else if (exeDrag_ && targetDrive >= L'C' && dragDrive_ >= L'C')
            effect = DROPEFFECT_LINK;
        else if ((effect & DROPEFFECT_COPY) && targetDrive == dragDrive_ && (allowed & DROPEFFECT_MOVE))
            effect = DROPEFFECT_MOVE;
    }
    if (dragNode_ && effect != DROPEFFECT_LINK) {
        const std::wstring targetPath = GetDirPath(Target);
        for (const std::wstring& dragged : dragPaths_)
            if (!CanDropDirectoryOnto(dragged, targetPath))
                return scroll;
    }
    return effect | scroll;
}

void TDriveView::DDDragOver(DWORD grfKeyState, POINT Pt, DWORD& dwEffect) {
    TVHITTESTINFO hit{};
    hit.pt = Pt;
    HTREEITEM node = TreeView_HitTest(Handle(), &hit);
    SetDropTargetNode(node);

    const ULONGLONG now = SystemTimeNow();
    if (node != hoverNode_) {
        hoverNode_ = node;
        lastHoverTime_ = now;
    } else if (node && now - lastHoverTime_ > kHoverExpand && NodeHasChildren(node) && !NodeExpanded(node)) {
        Expand(node, true);
        lastHoverTime_ = now;
    }
    // Space toggles the node under the mouse; reading the key's "pressed since" bit also clears it.
    if ((GetAsyncKeyState(VK_SPACE) & 1) && node) {
        if (dragImageShown_)
            ImageList_DragShowNolock(FALSE);
        TreeView_Expand(Handle(), node, TVE_TOGGLE);
        UpdateWindow(Handle());
        if (dragImageShown_)
            ImageList_DragShowNolock(TRUE);
    }
    DragAutoScroll(Pt, node);

    dwEffect = DragOverEffect(node, grfKeyState, dwEffect);
    if (OnDDDragOver) {
        int effect = static_cast<int>(dwEffect);
        OnDDDragOver(this, static_cast<int>(grfKeyState), Pt, effect);
        dwEffect = static_cast<DWORD>(effect);
    }
}

void TDriveView::DragAutoScroll(POINT Pt, HTREEITEM Node) {
    const ULONGLONG now = SystemTimeNow();
    RECT client{};
    GetClientRect(Handle(), &client);
    auto scroll = [&](UINT message, WPARAM request) {
        if (dragImageShown_)
            ImageList_DragShowNolock(FALSE);
        SendMessageW(Handle(), message, request, 0);
        UpdateWindow(Handle());
        if (dragImageShown_)
            ImageList_DragShowNolock(TRUE);
    };

    const ULONGLONG interval = scrollCount_ >= 4 ? kScrollFast : kScrollSlow;
    if (now - lastScrollTime_ >= interval) {
        HTREEITEM top = TreeView_GetFirstVisible(Handle());
        if (Node && Node == top && TreeView_GetPrevVisible(Handle(), top)) {
            scroll(WM_VSCROLL, SB_LINEUP);
            ++scrollCount_;
            lastScrollTime_ = now;
        } else if (Pt.y > client.bottom - 3 * FontHeight(Handle())) {
            scroll(WM_VSCROLL, SB_LINEDOWN);
            ++scrollCount_;
            lastScrollTime_ = now;
        } else {
            scrollCount_ = 0;
        }
    }

    if (Node && now - lastHScrollTime_ >= kScrollSlow) {
        RECT text{};
        if (TreeView_GetItemRect(Handle(), Node, &text, TRUE)) {
            if (Pt.x < kScrollMargin && text.right < client.right - kScrollMargin) {
                scroll(WM_HSCROLL, SB_LINELEFT);
                lastHScrollTime_ = now;
            } else if (Pt.x > client.right - kScrollMargin && text.left > kScrollMargin) {
                scroll(WM_HSCROLL, SB_LINERIGHT);
                lastHScrollTime_ = now;
            }
        }
    }
}

void TDriveView::DDDragLeave() {
    SetDropTargetNode(nullptr);
    hoverNode_ = nullptr;
    if (!dragNode_)
        dragPaths_.clear();
    if (OnDDDragLeave)
        OnDDDragLeave(this);
}

void TDriveView::DDDrop(IDataObject* DataObj, DWORD grfKeyState, POINT Pt, DWORD& dwEffect) {
    HTREEITEM target = dropTarget_;
    if (!target) {
        TVHITTESTINFO hit{};
        hit.pt = Pt;
        target = TreeView_HitTest(Handle(), &hit);
    }
    SetDropTargetNode(nullptr);
    hoverNode_ = nullptr;
    TNodeData* data = GetNodeData(target);
    if (!data || !(dwEffect & kEffects)) {
        dwEffect = 0;
        return;
    }
    const std::wstring targetPath = GetDirPath(target);
    if (!DirExists(targetPath)) {
        ValidateDirectory(target);
        dwEffect = 0;
        DDError(DDPathNotFoundError);
        return;
    }
    if (OnDDDrop) {
        int effect = static_cast<int>(dwEffect);
        OnDDDrop(this, DataObj, static_cast<int>(grfKeyState), Pt, effect);
        dwEffect = static_cast<DWORD>(effect);
    }
    // The names are read here: the engine hands them to its file list only after this event.
    TFileList& list = dragDropFilesEx_->FileList();
    bool mapped = false;
    ReadDroppedFiles(DataObj, list, mapped);
    list.RenderNames();
    std::vector<TDroppedFile> files;
    for (int i = 0; i < list.Count(); ++i)
        if (!list[i].Name.empty())
            files.push_back({list[i].Name, mapped ? list[i].MappedName : L""});

    DWORD effect = dwEffect & kEffects;
    if (effect & DROPEFFECT_MOVE)
        effect = DROPEFFECT_MOVE;
    else if (effect & DROPEFFECT_COPY)
        effect = DROPEFFECT_COPY;
    if (dragNode_ && effect == DROPEFFECT_MOVE && ownMoveDone_)
        *ownMoveDone_ = true;
    const bool done = PerformDropOperation(files, targetPath, effect, data->IsRecycleBin);
    if (done && OnDDExecuted)
        OnDDExecuted(this, static_cast<int>(effect));
    // The source learns what happened: a move that did not happen must not make it drop its items.
    dwEffect = done ? effect : DROPEFFECT_NONE;
}
