// The directory list view as a drag source and a drop target, the clipboard (which carries the same file lists),
// and the drop operation that both end in: copy, move or link of the dropped files into a folder.
#include "components/DirView.h"

#include "components/BaseUtils.h"
#include "components/DragDropFilesEx.h"
#include "components/DriveTable.h"
#include "components/DriveView.h"
#include "components/FileOperator.h"
#include "components/ViewsShared.h"
#include "win/Handles.h"
#include "gui/MessageBox.h"
#include "core/TextUtil.h"
#include "win/SystemText.h"
#include "win/FileSystem.h"
#include "core/TextEncoding.h"
#include "win/Trace.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace {

// A drop within this time after the drag started (100-ns units) is taken for a click that moved, not a drop.
constexpr ULONGLONG kEarlyDropLimit = 500000;
constexpr unsigned kDragRefreshLimit = 3000;

ULONGLONG SystemTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::wstring FolderPart(const std::wstring& path) {
    auto cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring NamePart(const std::wstring& path) {
    std::wstring trimmed = RemoveTrailingBackslash(path);
    auto cut = trimmed.find_last_of(L"\\:");
    return cut == std::wstring::npos ? trimmed : trimmed.substr(cut + 1);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return UpperCase(RemoveTrailingBackslash(a)) == UpperCase(RemoveTrailingBackslash(b));
}

bool IsDriveRoot(const std::wstring& name) {
    return (name.size() == 2 || (name.size() == 3 && name[2] == L'\\')) && name[1] == L':';
}

// The shortcut file a link drop makes for a dropped item.
std::wstring ShortcutName(const std::wstring& dropped) {
    std::wstring base;
    if (IsDriveRoot(dropped)) {
        wchar_t letter = static_cast<wchar_t>(std::towupper(dropped[0]));
        std::wstring display = letter >= L'A' && letter <= L'Z' ? DriveInfo.DisplayName(letter) : std::wstring();
        base = display + L" (" + letter + L")";
    } else {
        base = FileNameWithoutExt(RemoveTrailingBackslash(dropped));
    }
    // A display name may hold characters a file name may not.
    base.erase(std::remove_if(base.begin(), base.end(),
                              [](wchar_t c) { return c != L'\0' && wcschr(InvalidFileNameChars, c) != nullptr; }),
               base.end());
    return base + L".lnk";
}

// The name a copy gets beside its original: "name - Copy.ext", then "name - Copy (2).ext" and so on, the word in
// the views' language. The shell's own renaming on collision cannot be relied on for this (it copies nothing on
// some systems), so the copies are given their names here.
std::wstring FreeCopyName(const std::wstring& folder, const std::wstring& name, const std::set<std::wstring>& taken) {
    const wchar_t* word = L"Copy";
    switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_GERMAN:
        word = L"Kopie";
        break;
    case LANG_FRENCH:
        word = L"Copie";
        break;
    default:
        break;
    }
    const bool isFolder = DirExists(WithTrailingBackslash(folder) + name);
    auto dot = isFolder ? std::wstring::npos : name.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
    const std::wstring ext = dot == std::wstring::npos || dot == 0 ? std::wstring() : name.substr(dot);
    for (int n = 1;; ++n) {
        std::wstring candidate = stem + L" - " + word + (n > 1 ? L" (" + std::to_wstring(n) + L")" : L"") + ext;
        if (!FileOrDirExists(WithTrailingBackslash(folder) + candidate) && !taken.count(UpperCase(candidate)))
            return candidate;
    }
}

// The picture of several dragged items: the program's DRAGFILES bitmap when it carries one, else two small sheets
// drawn here, on white, which the image list takes as transparent.
win::UniqueBitmap MakeDragFilesBitmap(HDC dc) {
    win::UniqueBitmap bitmap(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), L"DRAGFILES", IMAGE_BITMAP, 32, 32, 0)));
    if (bitmap)
        return bitmap;
    bitmap.reset(CreateCompatibleBitmap(dc, 32, 32));
    const win::UniqueCreatedDC memory(CreateCompatibleDC(dc));
    const win::SelectedObject selected(memory.get(), bitmap.get());
    RECT all{0, 0, 32, 32};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int sheet = 0; sheet < 2; ++sheet) {
        RECT page{4 + sheet * 6, 2 + sheet * 6, 20 + sheet * 6, 24 + sheet * 6};
        FillRect(memory.get(), &page, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&page, -1, -1);
        FillRect(memory.get(), &page, GetSysColorBrush(COLOR_BTNFACE));
    }
    return bitmap;
}

// Takes the cut state away from every node of a tree control.
void ClearTreeCutMarks(HWND tree) {
    if (!tree)
        return;
    std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
    while (!pending.empty()) {
        HTREEITEM node = pending.back();
        pending.pop_back();
        for (; node; node = TreeView_GetNextSibling(tree, node)) {
            if (TreeView_GetItemState(tree, node, TVIS_CUT) & TVIS_CUT)
                TreeView_SetItemState(tree, node, 0, TVIS_CUT);
            if (HTREEITEM child = TreeView_GetChild(tree, node))
                pending.push_back(child);
        }
    }
}

// Every list view of the process: a cut in one view and a paste in another must take the cut marks away in both.
std::vector<TDirView*>& AllViews() {
    static std::vector<TDirView*> views;
    return views;
}

} // namespace

struct TDirView::TDragState {
    explicit TDragState(TDirView* View) : Owner(View) { AllViews().push_back(View); }
    TDirView* Owner;
    TDragDropFilesEx DragDrop{L"DragDropFilesEx"};
    ULONGLONG DragStartTime = 0;
    int DropTargetItem = -1;
    std::wstring DropTargetPath; // where the drop goes, fixed when it happens
    wchar_t FirstDropDrive = 0;
    bool ExeDrag = false;  // every dropped name is a program: a plain drag links
    bool Accepted = false; // the drag that entered may be dropped here
    win::UniqueImageList DragImage;
    bool DragBegun = false; // the image list's drag is set up
    bool DragImageShown = false;
    HWND DragImageWindow = nullptr; // the form the drag image is drawn on while shown

    ~TDragState() {
        EndDragImage();
        std::erase(AllViews(), Owner);
    }
    void EndDragImage() {
        if (DragImageShown) {
            ImageList_DragLeave(DragImageWindow);
            DragImageShown = false;
        }
        if (DragBegun) {
            ImageList_EndDrag();
            DragBegun = false;
        }
        DragImage.reset();
    }
};

void TDirView::TDragStateDeleter::operator()(TDragState* State) const noexcept {
    delete State;
}

void TDirView::CreateDragDrop() {
    dragState_.reset(new TDragState(this));
    TDragDropFilesEx& dd = dragState_->DragDrop;
    // The list's begin-drag notice starts drags; the engine detects nothing itself.
    dd.AutoDetectDnD = false;
    dd.AcceptOwnDnD = true;
    dd.RenderDataOn = rdoEnterAndDropSync;
    dd.TargetPopupMenu = targetPopUpMenu_;
    dd.ShellExtensions.DropHandler = true;
    dd.ShellExtensions.DragDropHandler = true;
    dd.ControlForwardsMessages = true; // one subclass on the list: the view's own
    dd.SetDragDropControl(this);
    dd.SetSourceEffects({deCopy, deMove, deLink});
    dd.SetTargetEffects({deCopy, deMove, deLink});

    dd.OnDragEnter = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect, bool& accept) {
        gui::GuardedVoid("dir view drag enter", [&] { DDDragEnter(data, keys, pt, effect, accept); });
    };
    dd.OnDragOver = [this](DWORD keys, POINT pt, DWORD& effect) {
        gui::GuardedVoid("dir view drag over", [&] { DDDragOver(keys, pt, effect); });
    };
    dd.OnDragLeave = [this] { gui::GuardedVoid("dir view drag leave", [&] { DDDragLeave(); }); };
    dd.OnDrop = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect) {
        gui::GuardedVoid("dir view drop", [&] { DDDrop(data, keys, pt, effect); });
    };
    dd.OnProcessDropped = [this](gui::TComponent*, DWORD keys, POINT pt, DWORD effect) {
        gui::GuardedVoid("dir view dropped", [&] {
            try {
                DDProcessDropped(keys, pt, effect);
            } catch (const EDragDrop& error) {
                // The drop is over when this runs: nobody but the user can hear of the failure.
                gui::MessageDlg(ErrorMessage(error), L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK,
                                Handle());
            }
        });
    };
    dd.OnQueryContinueDrag = [this](BOOL escape, DWORD keys, HRESULT& result) {
        gui::GuardedVoid("dir view continue drag", [&] { DDQueryContinueDrag(escape, keys, result); });
    };
    dd.OnGiveFeedback = [this](DWORD effect, HRESULT& result) {
        if (OnDDGiveFeedback)
            gui::GuardedVoid("dir view feedback", [&] { OnDDGiveFeedback(this, static_cast<int>(effect), result); });
    };
    dd.OnDragDetect = [this](DWORD keys, POINT start, POINT pt, TDragDetectStatus status) {
        if (OnDDDragDetect)
            gui::GuardedVoid("dir view drag detect", [&] {
                OnDDDragDetect(this, static_cast<int>(keys), start, pt, static_cast<int>(status));
            });
    };
    dd.OnSpecifyDropTarget = [this](gui::TComponent*, bool dragDropHandler, POINT pt, LPITEMIDLIST&,
                                    std::wstring& fileName) {
        gui::GuardedVoid("dir view drop target", [&] {
            // The folder menu handlers work on the drop's folder; a file's own drop handler on that file.
            int item = ItemAt(pt.x, pt.y);
            const TFileRec* rec = ItemRec(item);
            if (dragDropHandler)
                fileName = rec && rec->IsDirectory && !rec->IsParentDir ? ItemFullFileName(item) : GetPathName();
            else if (rec && !rec->IsDirectory && !inRecycleBin_)
                fileName = ItemFullFileName(item);
        });
    };
}

TDragDropFilesEx& TDirView::DragDropFilesEx() {
    return dragState_->DragDrop;
}

void TDirView::SetTargetPopUpMenu(bool Value) {
    targetPopUpMenu_ = Value;
    if (dragState_)
        dragState_->DragDrop.TargetPopupMenu = Value;
}

void TDirView::DDError(TDDError ErrorNo) {
    if (OnDDError) {
        OnDDError(this, ErrorNo);
        return;
    }
    throw EDragDrop("DragDrop Error: " + std::to_string(static_cast<int>(ErrorNo)));
}

// --- drop highlight --------------------------------------------------------------------------------------------

void TDirView::ClearDropTarget() {
    if (!dragState_ || dragState_->DropTargetItem < 0)
        return;
    if (Handle())
        ListView_SetItemState(Handle(), dragState_->DropTargetItem, 0, LVIS_DROPHILITED);
    dragState_->DropTargetItem = -1;
}

void TDirView::SetDropTarget(int Item) {
    if (Item == dragState_->DropTargetItem)
        return;
    ClearDropTarget();
    if (Item >= 0) {
        ListView_SetItemState(Handle(), Item, LVIS_DROPHILITED, LVIS_DROPHILITED);
        dragState_->DropTargetItem = Item;
    }
}

std::wstring TDirView::DropTargetFolder() const {
    const int item = dragState_->DropTargetItem;
    const TFileRec* rec = ItemRec(item);
    if (!rec)
        return GetPathName();
    if (rec->IsParentDir)
        return FolderPart(path_).size() == 2 ? FolderPart(path_) + L"\\" : FolderPart(path_);
    return ItemFullFileName(item);
}

// --- drag source -----------------------------------------------------------------------------------------------

void TDirView::BeginDrag(bool RightButton, POINT Where) {
    if (!mouseButtonDown_)
        return;
    mouseButtonDown_ = false;
    TDragState& state = *dragState_;
    TDragDropFilesEx& dd = state.DragDrop;
    dd.FileList().Clear();
    std::vector<std::wstring> files;
    GetSelectedFiles(files);
    if (files.empty())
        return;
    int fileCount = 0, dirCount = 0;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        if (const TFileRec* rec = ItemRec(i); rec && !rec->IsParentDir)
            ++(rec->IsDirectory ? dirCount : fileCount);
    for (const auto& file : files)
        dd.FileList().AddItem(nullptr, file);
    if (inRecycleBin_)
        dd.SetSourceEffects({deMove});
    else
        dd.SetSourceEffects({deCopy, deMove, deLink});
    state.ExeDrag = DDLinkOnExeDrag && std::all_of(files.begin(), files.end(), IsExecutableName);

    if (UseDragImages)
        MakeDragImage(fileCount, dirCount, Where);

    DragSourceDirView = this;
    state.DragStartTime = SystemTimeNow();
    (void)RightButton; // the engine learns the button from the key state of the drag itself
    TDragResult result = drInvalid;
    try {
        result = dd.Execute();
    } catch (...) {
        win::TraceCaught(L"TDirView::BeginDrag");
        result = drInvalid;
    }
    state.EndDragImage();
    dd.FileList().Clear();
    ClearDropTarget();
    DragSourceDirView = nullptr;
    dd.SetSourceEffects({deCopy, deMove, deLink});
    // A target that moved the files deletes the originals in its own time: drop them from the list once gone.
    if (result == drMove && !WatchThreadActive())
        StartDeleteWatcher(files);
}

void TDirView::MakeDragImage(int FileCount, int DirCount, POINT Where) {
    TDragState& state = *dragState_;
    state.EndDragImage();
    POINT hotSpot{25, 20};
    if (FileCount + DirCount == 1) {
        const int item = FirstSelectedIndex();
        POINT origin{};
        state.DragImage.reset(ListView_CreateDragImage(Handle(), item, &origin));
        hotSpot = POINT{Where.x - origin.x, Where.y - origin.y};
    } else {
        std::wstring text;
        wchar_t buffer[64];
        if (FileCount > 0) {
            swprintf(buffer, 64, DirViewTexts().FileCount, static_cast<unsigned>(FileCount));
            text += buffer;
        }
        if (FileCount > 0 && DirCount > 0)
            text += L", ";
        if (DirCount > 0) {
            swprintf(buffer, 64, DirViewTexts().DirCount, static_cast<unsigned>(DirCount));
            text += buffer;
        }
        win::UniqueBitmap image;
        int width = 0;
        {
            const win::WindowDC screen(Handle());
            const win::UniqueCreatedDC dc(CreateCompatibleDC(screen.get()));
            const win::SelectedObject font(dc.get(), FontHandle());
            SIZE extent{};
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc.get(), &metrics);
            width = extent.cx + 33;
            image.reset(CreateCompatibleBitmap(screen.get(), width, 32));
            // The image list copies the picture only once no DC holds it any more: this scope ends first.
            const win::SelectedObject selectedImage(dc.get(), image.get());
            RECT all{0, 0, width, 32};
            FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            if (const win::UniqueBitmap files = MakeDragFilesBitmap(screen.get())) {
                const win::UniqueCreatedDC source(CreateCompatibleDC(screen.get()));
                const win::SelectedObject selectedFiles(source.get(), files.get());
                BitBlt(dc.get(), 0, 0, 32, 32, source.get(), 0, 0, SRCCOPY);
            }
            SetBkMode(dc.get(), TRANSPARENT);
            SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
            TextOutW(dc.get(), 33, std::max(24 - static_cast<int>(metrics.tmHeight), 0), text.c_str(),
                     static_cast<int>(text.size()));
        }
        state.DragImage.reset(ImageList_Create(width, 32, ILC_COLOR32 | ILC_MASK, 1, 1));
        if (state.DragImage)
            ImageList_AddMasked(state.DragImage.get(), image.get(), RGB(255, 255, 255));
    }
    // The image is shown by the continue-query once the cursor is over the form.
    state.DragBegun = state.DragImage && ImageList_BeginDrag(state.DragImage.get(), 0, hotSpot.x, hotSpot.y);
}

void TDirView::DDQueryContinueDrag(BOOL EscapePressed, DWORD KeyState, HRESULT& Result) {
    TDragState& state = *dragState_;
    if (Result == DRAGDROP_S_DROP && SystemTimeNow() - state.DragStartTime <= kEarlyDropLimit)
        Result = DRAGDROP_S_CANCEL;
    if (OnDDQueryContinueDrag)
        OnDDQueryContinueDrag(this, EscapePressed, static_cast<int>(KeyState), Result);
    if (!state.DragBegun)
        return;
    HWND form = Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    POINT cursor{};
    GetCursorPos(&cursor);
    POINT inForm = cursor;
    RECT client{};
    bool inside = false;
    if (form && GetClientRect(form, &client) && ScreenToClient(form, &inForm))
        inside = PtInRect(&client, inForm) != FALSE;
    if (inside && !EscapePressed) {
        if (!state.DragImageShown) {
            ImageList_DragEnter(form, inForm.x, inForm.y);
            state.DragImageShown = true;
            state.DragImageWindow = form;
        }
        ImageList_DragMove(inForm.x, inForm.y);
    } else if (state.DragImageShown) {
        ImageList_DragLeave(form);
        state.DragImageShown = false;
    }
}

// --- drop target -----------------------------------------------------------------------------------------------

void TDirView::DDDragEnter(IDataObject* DataObj, DWORD KeyState, POINT Pt, DWORD& Effect, bool& Accept) {
    TDragState& state = *dragState_;
    const TFileList& list = state.DragDrop.FileList();
    const std::wstring first = list.Count() > 0 ? list.Item(0).Name : std::wstring();
    Accept = Accept && dirOK_ && first.size() >= 3 && (first[1] == L':' || first[1] == L'\\') &&
             !(inRecycleBin_ && state.DragDrop.FileNamesAreMapped());
    state.FirstDropDrive = first.size() >= 2 && first[1] == L':' ? static_cast<wchar_t>(std::towupper(first[0])) : 0;
    bool allExecutables = list.Count() > 0;
    for (int i = 0; i < list.Count() && allExecutables; ++i)
        allExecutables = IsExecutableName(list.Item(i).Name);
    state.ExeDrag = DDLinkOnExeDrag && (state.DragDrop.SourceAllowedEffects() & DROPEFFECT_LINK) && allExecutables;
    if (Accept)
        Effect = DropEffectFor(KeyState, Pt, Effect);
    else
        Effect = DROPEFFECT_NONE;
    if (OnDDDragEnter) {
        int effect = static_cast<int>(Effect);
        OnDDDragEnter(this, DataObj, static_cast<int>(KeyState), Pt, effect, Accept);
        Effect = static_cast<DWORD>(effect);
    }
    state.Accepted = Accept;
    if (!WatchThreadActive())
        RestartChangeTimer(std::min(kDragRefreshLimit, 2 * changeInterval_));
}

void TDirView::DDDragOver(DWORD KeyState, POINT Pt, DWORD& Effect) {
    if (!dirOK_ || !dragState_->Accepted) {
        ClearDropTarget();
        Effect = DROPEFFECT_NONE;
    } else {
        Effect = DropEffectFor(KeyState, Pt, Effect);
    }
    if (OnDDDragOver) {
        int effect = static_cast<int>(Effect);
        OnDDDragOver(this, static_cast<int>(KeyState), Pt, effect);
        Effect = static_cast<DWORD>(effect);
    }
}

DWORD TDirView::DropEffectFor(DWORD KeyState, POINT Pt, DWORD Effect) {
    TDragState& state = *dragState_;
    const int item = ItemAt(Pt.x, Pt.y);
    const TFileRec* rec = ItemRec(item);
    SetDropTarget(rec && rec->IsDirectory ? item : -1);
    const DWORD scroll = Effect & DROPEFFECT_SCROLL;
    Effect &= ~static_cast<DWORD>(DROPEFFECT_SCROLL);
    if (rec && !rec->IsDirectory && !inRecycleBin_)
        state.DragDrop.TargetHasDropHandler(nullptr, ItemFullFileName(item), Effect);

    const DWORD allowed = state.DragDrop.SourceAllowedEffects();
    const bool noModifier = !(KeyState & (MK_SHIFT | MK_CONTROL));
    if (state.ExeDrag && noModifier && (allowed & DROPEFFECT_LINK))
        Effect = DROPEFFECT_LINK;

    // Files dropped back into the folder they came from, or a folder onto itself, would change nothing (a move)
    // or fail: only an explicit copy (Ctrl) makes renamed copies there.
    const std::wstring target = DropTargetFolder();
    const TFileList& list = state.DragDrop.FileList();
    for (int i = 0; i < list.Count() && Effect != DROPEFFECT_NONE; ++i) {
        const std::wstring& name = list.Item(i).Name;
        if (SameFolder(name, target)) {
            Effect = DROPEFFECT_NONE;
        } else if (SameFolder(FolderPart(name), target) && Effect != DROPEFFECT_LINK) {
            Effect = (KeyState & MK_CONTROL) && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        }
    }
    return Effect | scroll;
}

void TDirView::DDDragLeave() {
    dragState_->Accepted = false;
    if (changeTimer_)
        changeTimer_->SetInterval(changeInterval_);
    ClearDropTarget();
    RunNotify(OnDDDragLeave);
}

void TDirView::DDDrop(IDataObject* DataObj, DWORD KeyState, POINT Pt, DWORD& Effect) {
    dragState_->DropTargetPath = DropTargetFolder();
    ClearDropTarget();
    if (OnDDDrop) {
        int effect = static_cast<int>(Effect);
        OnDDDrop(this, DataObj, static_cast<int>(KeyState), Pt, effect);
        Effect = static_cast<DWORD>(effect);
    }
}

void TDirView::DDProcessDropped(DWORD KeyState, POINT Pt, DWORD Effect) {
    TDragState& state = *dragState_;
    Effect &= DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    if (Effect != DROPEFFECT_NONE && state.DragDrop.FileList().Count() > 0) {
        const std::wstring target = state.DropTargetPath.empty() ? GetPathName() : state.DropTargetPath;
        if (!DirExists(RemoveTrailingBackslash(target)) && !IsDriveRoot(target)) {
            UpdateDirectory();
            DDError(DDPathNotFoundError);
        } else {
            // An explicit copy into the files' own folder gives the copies new names.
            const bool rename =
                Effect == DROPEFFECT_COPY && SameFolder(FolderPart(state.DragDrop.FileList().Item(0).Name), target);
            if (PerformDragDropFileOperation(target, Effect, rename) && OnDDExecuted)
                OnDDExecuted(this, static_cast<int>(Effect));
        }
    }
    state.DropTargetPath.clear();
    if (OnDDProcessDropped) {
        int effect = static_cast<int>(Effect);
        OnDDProcessDropped(this, static_cast<int>(KeyState), Pt, effect);
    }
}

// --- the drop operation ----------------------------------------------------------------------------------------

bool TDirView::PerformDragDropFileOperation(const std::wstring& TargetPath, DWORD Effect, bool RenameOnCollision) {
    const TFileList& list = dragState_->DragDrop.FileList();
    std::vector<TDroppedFile> files;
    const bool mapped = dragState_->DragDrop.FileNamesAreMapped();
    for (int i = 0; i < list.Count(); ++i)
        files.push_back(TDroppedFile{list.Item(i).Name, mapped ? list.Item(i).MappedName : std::wstring()});
    return PerformDropOperation(files, TargetPath, Effect, RenameOnCollision);
}

bool TDirView::PerformDropOperation(const std::vector<TDroppedFile>& Files, const std::wstring& TargetPath,
                                    DWORD Effect, bool RenameOnCollision) {
    THourGlass wait;
    const std::wstring target = RemoveTrailingBackslash(TargetPath);
    const std::wstring targetFolder = target.size() == 2 && target[1] == L':' ? target + L"\\" : target;
    if (Effect == DROPEFFECT_LINK) {
        int failures = 0;
        for (const TDroppedFile& file : Files) {
            TFDDListItem item;
            item.Name = file.Name;
            const std::wstring link = WithTrailingBackslash(targetFolder) + ShortcutName(file.Name);
            // A shortcut never replaces a file that is there already ("a.txt" and "a.doc" both want "a.lnk").
            if (PathExists(link) ||
                !CreateDropShortCut(item, link, FileNameWithoutExt(RemoveTrailingBackslash(file.Name))))
                ++failures;
        }
        UpdateDirectory();
        for (int i = 0; i < failures; ++i)
            DDError(DDCreateShortCutError);
        return failures == 0;
    }
    if (Effect != DROPEFFECT_COPY && Effect != DROPEFFECT_MOVE)
        return false;
    std::vector<TDroppedFile> files;
    for (const TDroppedFile& file : Files) {
        // Moving an item to where it is already, or a folder into itself, has nothing to do.
        if (Effect == DROPEFFECT_MOVE && (SameFolder(FolderPart(file.Name), target) || SameFolder(file.Name, target)))
            continue;
        files.push_back(file);
    }
    if (files.empty())
        return false;

    TDirView* source = DragSourceDirView != this ? DragSourceDirView : nullptr;
    const bool wasWatching = WatchThreadActive();
    const bool sourceWasWatching = source && source->WatchThreadActive();
    StopWatchThread();
    StopTreeWatcher();
    if (source)
        source->StopWatchThread();

    const bool deletion = inRecycleBin_ && SameFolder(target, path_);
    TFileOperationFlags flags{foAllowUndo, foNoConfirmMkDir};
    fileOperator_->SetWantMappingHandle(false);
    if (RenameOnCollision) {
        flags.insert(foRenameOnCollision);
        fileOperator_->SetWantMappingHandle(true);
    }
    auto& from = fileOperator_->OperandFrom();
    auto& to = fileOperator_->OperandTo();
    from.clear();
    to.clear();
    if (RenameOnCollision && Effect == DROPEFFECT_COPY) {
        std::set<std::wstring> taken;
        for (TDroppedFile& file : files) {
            std::wstring name = file.MappedName.empty() ? NamePart(file.Name) : file.MappedName;
            if (FileOrDirExists(WithTrailingBackslash(targetFolder) + name) || taken.count(UpperCase(name)))
                name = FreeCopyName(targetFolder, name, taken);
            taken.insert(UpperCase(name));
            file.MappedName = name;
        }
    }
    const bool multiDest =
        std::any_of(files.begin(), files.end(), [](const TDroppedFile& f) { return !f.MappedName.empty(); });
    for (const TDroppedFile& file : files) {
        from.push_back(file.Name);
        if (multiDest)
            to.push_back(WithTrailingBackslash(targetFolder) +
                         (file.MappedName.empty() ? NamePart(file.Name) : file.MappedName));
    }
    if (multiDest)
        flags.insert(foMultiDestFiles);
    else
        to.push_back(targetFolder);
    if (deletion) {
        fileOperator_->SetOperation(foDelete);
        to.clear();
        if (!ConfirmDelete)
            flags.insert(foNoConfirmation);
    } else {
        fileOperator_->SetOperation(Effect == DROPEFFECT_MOVE ? foMove : foCopy);
        if (!ConfirmOverwrite)
            flags.insert(foNoConfirmation);
    }
    fileOperator_->SetFlags(flags);

    const std::wstring sourcePath = from.front();
    bool doOperation = true;
    if (OnDDFileOperation)
        OnDDFileOperation(this, static_cast<int>(Effect), sourcePath, targetFolder, doOperation);
    bool succeeded = false;
    bool failed = false;
    if (doOperation) {
        succeeded = fileOperator_->Execute();
        // A cancel by the user is told by the shell's own flag; anything else that did not succeed failed.
        failed = !succeeded && !fileOperator_->AnyOperationsAborted();
        UpdateDirectory();
        if (succeeded && OnDDFileOperationExecuted)
            OnDDFileOperationExecuted(this, static_cast<int>(Effect), sourcePath, targetFolder);
    } else {
        from.clear();
        to.clear();
    }
    fileOperator_->SetWantMappingHandle(false);
    fileOperator_->SetFlags({foAllowUndo, foNoConfirmMkDir});

    // Every watcher stopped here runs again: also the one of the view the files came from.
    if (source) {
        if (Effect == DROPEFFECT_MOVE)
            source->UpdateDirectory();
        if (sourceWasWatching && !source->WatchThreadActive())
            source->StartWatchThread();
    }
    if (wasWatching || watchForChanges_)
        StartWatchThread();
    StartTreeWatcher();
    if (failed)
        DDError(DDFileOperationError);
    return succeeded;
}

// --- clipboard -------------------------------------------------------------------------------------------------

void TDirView::ClearCutMarks() {
    for (TDirView* view : AllViews())
        if (view->Handle())
            ListView_SetItemState(view->Handle(), -1, 0, LVIS_CUT);
}

TClipboardMode TDirView::EffectiveClipboardMode() {
    if (ViewsClipboardMode == cmNone)
        return cmNone;
    // The mode belongs to files this process put on the clipboard; once another program has replaced them the
    // files there are that program's, and a paste must not move them.
    DWORD owner = 0;
    if (HWND window = GetClipboardOwner())
        GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId()) {
        ViewsClipboardMode = cmNone;
        ClearCutMarks();
    }
    return ViewsClipboardMode;
}

void TDirView::EmptyClipBoard() {
    if (OpenClipboard(Handle())) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (ViewsClipboardMode != cmNone) {
        ClearCutMarks();
        if (TDriveView* tree = dynamic_cast<TDriveView*>(DriveView()))
            ClearTreeCutMarks(tree->Handle());
    }
    ViewsClipboardMode = cmNone;
}

bool TDirView::CopyToClipBoard() {
    THourGlass wait;
    EmptyClipBoard();
    TDragDropFilesEx& dd = dragState_->DragDrop;
    dd.FileList().Clear();
    if (SelCount() == 0)
        return false;
    std::vector<std::wstring> files;
    GetSelectedFiles(files);
    for (const auto& file : files)
        dd.FileList().AddItem(nullptr, file);
    bool result = !files.empty() && dd.CopyToClipboard();
    if (result)
        ViewsClipboardMode = cmCopy;
    return result;
}

bool TDirView::CutToClipBoard() {
    if (!CopyToClipBoard())
        return false;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        if (const TFileRec* rec = ItemRec(i); rec && !rec->IsParentDir)
            ListView_SetItemState(Handle(), i, LVIS_CUT, LVIS_CUT);
    ViewsClipboardMode = cmCut;
    return true;
}

bool TDirView::CanPasteFromClipBoard() {
    if (!dirOK_ || path_.empty())
        return false;
    if (!OpenClipboard(Handle()))
        return false;
    CloseClipboard();
    return true;
}

bool TDirView::PasteFromClipBoard(const std::wstring& TargetPath) {
    TDragDropFilesEx& dd = dragState_->DragDrop;
    dd.FileList().Clear();
    if (!CanPasteFromClipBoard() || !dd.GetFromClipboard() || dd.FileList().Count() == 0)
        return false;
    const std::wstring target = TargetPath.empty() ? GetPathName() : TargetPath;
    // Only a paste that was carried out counts: a failed or cancelled one keeps the clipboard (a cut is not lost)
    // and tells no one it happened.
    bool pasted = false;
    DWORD effect = DROPEFFECT_COPY;
    switch (EffectiveClipboardMode()) {
    case cmNone:
        pasted = PerformDragDropFileOperation(target, DROPEFFECT_COPY, false);
        break;
    case cmCut:
        effect = DROPEFFECT_MOVE;
        pasted = PerformDragDropFileOperation(target, DROPEFFECT_MOVE, false);
        break;
    case cmCopy: {
        // Copies into the folder the files came from get new names; the test is against the real target, so a
        // paste into a sub-folder is a plain copy.
        const bool rename = SameFolder(FolderPart(dd.FileList().Item(0).Name), target);
        pasted = PerformDragDropFileOperation(target, DROPEFFECT_COPY, rename);
        break;
    }
    }
    dd.FileList().Clear();
    if (!pasted)
        return false;
    if (OnDDExecuted)
        OnDDExecuted(this, static_cast<int>(effect));
    if (effect == DROPEFFECT_MOVE)
        EmptyClipBoard();
    return true;
}

bool TDirView::DuplicateSelectedFiles() {
    if (SelCount() == 0)
        return false;
    bool result = false;
    if (CopyToClipBoard()) {
        SelectNewFiles = true;
        ClearSelection();
        try {
            result = PasteFromClipBoard(GetPathName());
        } catch (...) {
            SelectNewFiles = false;
            EmptyClipBoard();
            throw;
        }
        SelectNewFiles = false;
        if (int first = FirstSelectedIndex(); first >= 0) {
            SetItemFocused(first);
            ListView_EnsureVisible(Handle(), first, FALSE);
            if (SelCount() == 1)
                EditItem(first);
        }
    }
    EmptyClipBoard();
    return result;
}
