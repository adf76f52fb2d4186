// The directory list view as a file manager: opening items, renaming in place, deleting, creating folders and
// files, the shell's context and properties menus, undo, the mouse and key handling behind them, and the custom
// drawing (dimmed hidden files, coloured compressed files, the arrow on "..").
//
// Every command that changes files stops the change watcher, the icon thread and the scanners first, so that the
// view's own changes do not come back as change notices, and restarts them afterwards.
#include "components/DirView.h"

#include "components/BaseUtils.h"
#include "components/DirViewThreads.h"
#include "components/DriveView.h"
#include "components/FileChanges.h"
#include "components/FileOperator.h"
#include "components/ShellDialogs.h"
#include "components/ViewsShared.h"
#include "core/TextEncoding.h"
#include "win/Handles.h"
#include "gui/Application.h"
#include "gui/Menus.h"
#include "gui/MessageBox.h"
#include "win/FileSystem.h"
#include "win/SystemText.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwctype>

namespace {

constexpr UINT kRetryEditMessage = WM_USER + 57;
constexpr DWORD kAnyAttributes = 63;
constexpr std::int32_t kDeleteWatchSeconds = 10;
constexpr UINT_PTR kEditSubclassId = 0x44564544; // the name editor's filter for forbidden characters

std::wstring UpperAscii(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

std::wstring FolderPart(const std::wstring& path) {
    auto cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring NamePart(const std::wstring& path) {
    auto cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool IsForbiddenChar(wchar_t c) {
    return wcschr(InvalidFileNameChars, c) != nullptr && c != L'\0';
}

// Swallows the characters no file name may hold while the name editor is open.
LRESULT CALLBACK NameEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_CHAR && IsForbiddenChar(static_cast<wchar_t>(wParam))) {
        MessageBeep(MB_OK);
        return 0;
    }
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(edit, NameEditProc, id);
    return DefSubclassProc(edit, msg, wParam, lParam);
}

TDriveView* TreeOf(TDirViewTree* tree) {
    return dynamic_cast<TDriveView*>(tree);
}

// The ".." arrow: the program's own bitmap when it carries one, else a small arrow drawn here on white, which
// the image list takes as transparent.
win::UniqueBitmap MakeDirUpBitmap(int size) {
    win::UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), size == 16 ? L"DIRUP16" : L"DIRUP32", IMAGE_BITMAP, size, size, 0)));
    if (bitmap)
        return bitmap;
    win::UniqueCreatedDC dc;
    {
        const win::WindowDC screen(nullptr);
        dc.reset(CreateCompatibleDC(screen.get()));
        bitmap.reset(CreateCompatibleBitmap(screen.get(), size, size));
    }
    if (!dc || !bitmap)
        return {};
    {
        const win::UniqueBrush ink(CreateSolidBrush(RGB(0, 128, 0)));
        const win::SelectedObject selected(dc.get(), bitmap.get());
        RECT all{0, 0, size, size};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int unit = size / 16;
        for (int step = 0; step < 4; ++step) { // the head, pointing up
            RECT row{(7 - step) * unit, (2 + step) * unit, (9 + step) * unit, (3 + step) * unit};
            FillRect(dc.get(), &row, ink.get());
        }
        RECT shaft{7 * unit, 6 * unit, 9 * unit, 11 * unit};
        FillRect(dc.get(), &shaft, ink.get());
    }
    return bitmap;
}

void EnsureDirUpImage(HIMAGELIST list, int size) {
    if (!list || ImageList_GetImageCount(list) > 0)
        return;
    if (const win::UniqueBitmap bitmap = MakeDirUpBitmap(size))
        ImageList_AddMasked(list, bitmap.get(), RGB(255, 255, 255));
}

} // namespace

EDirViewError::EDirViewError(const std::wstring& Message) : EComponentError(Utf8FromWide(Message)), message_(Message) {}

std::wstring InvalidFileNameMessage() {
    std::wstring text = DirViewTexts().InvalidChars;
    text += L' ';
    for (const wchar_t* c = InvalidFileNameChars; *c; ++c) {
        if (c != InvalidFileNameChars)
            text += L' ';
        text += *c;
    }
    return text;
}

bool IsValidFileName(const std::wstring& Name) {
    return !Name.empty() && std::none_of(Name.begin(), Name.end(), IsForbiddenChar);
}

bool IsExecutableName(const std::wstring& Name) {
    std::wstring upper = UpperAscii(Name);
    auto ends = [&upper](const wchar_t* ext) {
        return upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ext) == 0;
    };
    return ends(L".EXE") || ends(L".COM");
}

// --- opening ---------------------------------------------------------------------------------------------------

void TDirView::ExecuteFile(int Item) {
    std::wstring name = ItemFullFileName(Item);
    std::wstring folder = GetPathName();
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(Handle(), nullptr, name.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
    if (result < 33)
        throw EExecFile(DirViewTexts().OpenError + name);
}

void TDirView::ExecuteCurrentFile() {
    if (GetKeyState(VK_MENU) < 0) {
        DisplayPropertiesMenu();
        return;
    }
    int item = FirstSelectedIndex();
    if (item < 0) {
        int focused = ItemFocused();
        if (const TFileRec* rec = ItemRec(focused); rec && rec->IsParentDir)
            item = focused;
    }
    TFileRec* rec = ItemRec(item);
    if (!rec)
        return;
    TDriveView* tree = TreeOf(driveView_);
    if (rec->IsParentDir) {
        if (loading_)
            return;
        if (tree && tree->Selected()) {
            if (HTREEITEM parent = tree->ParentNode(tree->Selected()))
                tree->SelectNode(parent);
        } else {
            SetPath(FolderPart(path_));
        }
        return;
    }
    if (inRecycleBin_) {
        DisplayPropertiesMenu();
        return;
    }
    bool allow = true;
    if (OnExecFile)
        OnExecFile(this, item, allow);
    if (!allow)
        return;

    std::wstring target = ItemFullFileName(item);
    bool isDirectory = rec->IsDirectory;
    if (rec->FileExt == L"LNK") {
        target = ResolveShortcut(target, true);
        if (target.empty())
            return;
        DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return; // a shortcut whose target is gone does nothing
        isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (isDirectory) {
        if (!PathExists(target)) {
            UpdateDirectory();
            if (tree && tree->Selected())
                tree->ValidateDirectory(tree->Selected());
        } else if (tree) {
            tree->SetDirectory(target);
        } else {
            SetPath(target);
        }
        return;
    }
    std::wstring previous(MAX_PATH, L'\0');
    previous.resize(GetCurrentDirectoryW(MAX_PATH, previous.data()));
    SetCurrentDirectoryW(GetPathName().c_str());
    HWND owner = Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    ShellExecuteContextVerb(owner, L"", target);
    SetCurrentDirectoryW(previous.c_str());
}

// --- in-place renaming -----------------------------------------------------------------------------------------

bool TDirView::IsEditing() const {
    return Handle() && ListView_GetEditControl(Handle()) != nullptr;
}

void TDirView::EditItem(int Item) {
    if (!CanEditItem(Item))
        return;
    ::SetFocus(Handle());
    ListView_EditLabel(Handle(), Item);
}

bool TDirView::CanEditItem(int Item) const {
    const TFileRec* rec = ItemRec(Item);
    return rec && !ReadOnly() && !inRecycleBin_ && !rec->IsParentDir;
}

bool TDirView::BeginLabelEdit(int Item) {
    bool allow = CanEditItem(Item);
    if (allow && !editRequested_ && OnEditing)
        OnEditing(this, Item, allow);
    editRequested_ = false;
    if (!allow)
        return false;
    SetLoadEnabled(false);
    if (HWND edit = ListView_GetEditControl(Handle())) {
        SetWindowSubclass(edit, NameEditProc, kEditSubclassId, 0);
        if (!editText_.empty()) {
            SetWindowTextW(edit, editText_.c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
        }
    }
    editText_.clear();
    return true;
}

void TDirView::EndLabelEdit(int Item, const wchar_t* Text) {
    if (!Text || !*Text || !ItemRec(Item)) {
        SetLoadEnabled(true);
        return;
    }
    std::wstring newName = Text;
    if (!IsValidFileName(newName)) {
        SetLoadEnabled(true);
        throw EInvalidFileName(InvalidFileNameMessage());
    }
    RenameItem(Item, newName);
}

void TDirView::RenameItem(int Item, const std::wstring& NewName) {
    TFileRec* rec = ItemRec(Item);
    const bool isDirectory = rec->IsDirectory;
    StopWatchThread();
    if (isDirectory)
        StopTreeWatcher();
    fileOperator_->SetFlags({foAllowUndo, foNoConfirmation});
    fileOperator_->SetOperation(foRename);
    fileOperator_->OperandFrom() = {ItemFullFileName(Item)};
    fileOperator_->OperandTo() = {path_ + L"\\" + NewName};
    if (OnBeginRename)
        OnBeginRename(this, Item, NewName);
    bool renamed = fileOperator_->Execute();
    fileOperator_->SetFlags({foAllowUndo, foNoConfirmMkDir});

    if (renamed) {
        if (isDirectory)
            ValidateTreeSelection();
        rec->Empty = true;
        rec->IconEmpty = true;
        rec->FileName = NewName;
        rec->DisplayName = NewName;
        rec->FileExt = ShortFileExt(NewName);
        rec->TypeName.clear();
        rec->PIDL.reset();
        GetDisplayData(Item, true);
        ListView_RedrawItems(Handle(), Item, Item);
        if (OnEndRename)
            OnEndRename(this, Item, NewName);
    } else {
        std::wstring message =
            (PathExists(path_ + L"\\" + NewName) ? DirViewTexts().Exists : DirViewTexts().RenameError) + NewName;
        MessageBeep(MB_ICONHAND);
        if (gui::MessageDlg(message, L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOKAbort, Handle()) ==
            gui::mrOk) {
            editText_ = NewName;
            // The item is found again by name: a pending load may run before the editor reopens.
            editName_ = rec->FileName;
            PostMessageW(Handle(), kRetryEditMessage, 0, 0);
        }
    }
    SetLoadEnabled(true);
    if (watchForChanges_ && !WatchThreadActive())
        StartWatchThread();
    StartTreeWatcher();
}

void TDirView::RetryEdit() {
    const int item = FindFileItem(editName_);
    editName_.clear();
    if (item < 0) {
        editText_.clear();
        return;
    }
    editRequested_ = true;
    ::SetFocus(Handle());
    if (!ListView_EditLabel(Handle(), item)) {
        editRequested_ = false;
        editText_.clear();
    }
}

// --- deleting and creating -------------------------------------------------------------------------------------

void TDirView::GetSelectedFiles(std::vector<std::wstring>& List) const {
    if (!Handle())
        return;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        if (const TFileRec* rec = ItemRec(i); rec && !rec->IsParentDir)
            List.push_back(ItemFullFileName(i));
}

bool TDirView::DeleteSelectedFiles(bool AllowUndo) {
    const bool allowUndo = AllowUndo && !inRecycleBin_;
    StopTreeWatcher();
    const bool wasWatching = watchForChanges_;
    SetWatchForChanges(false);
    const int selected = SelCount();
    int updates = 0;
    if (selected >= 10) {
        BeginUpdate();
        ++updates;
    }

    TFileOperator operation(Handle());
    operation.SetOperation(foDelete);
    TFileOperationFlags flags{foNoConfirmMkDir};
    if (!ConfirmDelete)
        flags.insert(foNoConfirmation);
    if (allowUndo)
        flags.insert(foAllowUndo);
    operation.SetFlags(flags);
    operation.SetProgressTitle(L"Filesystem Operation");
    GetSelectedFiles(operation.OperandFrom());

    bool result = false;
    bool directoryGone = false;
    int firstDeleted = -1;
    try {
        StopIconUpdateThread();
        StopSubDirScanner();
        result = !operation.OperandFrom().empty() && operation.Execute() && !operation.AnyOperationsAborted();

        // Only what has really gone leaves the list: after an abort or a failure the rest stays.
        for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;) {
            const TFileRec* rec = ItemRec(i);
            if (rec && !rec->IsParentDir && !PathExists(ItemFullFileName(i))) {
                if (selected > 3 && updates == (selected >= 10 ? 1 : 0)) {
                    BeginUpdate();
                    ++updates;
                }
                directoryGone = directoryGone || rec->IsDirectory;
                if (firstDeleted < 0)
                    firstDeleted = i;
                RemoveItem(i);
                i = ListView_GetNextItem(Handle(), i - 1, LVNI_SELECTED);
            } else {
                i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED);
            }
        }
    } catch (...) {
        while (updates-- > 0)
            EndUpdate();
        SetWatchForChanges(wasWatching);
        throw;
    }
    while (updates-- > 0)
        EndUpdate();
    RunNotify(OnDirUpdated);
    if (TDriveView* tree = TreeOf(driveView_)) {
        if (directoryGone)
            ValidateTreeSelection();
        tree->StartWatchThread();
    }
    if (UseIconUpdateThread && !inRecycleBin_)
        StartIconUpdateThread();
    if (showSubDirSize_)
        StartSubDirScanners();
    SetWatchForChanges(wasWatching);

    const int count = Count();
    if (SelCount() == 0 && count > 0 && firstDeleted >= 0) {
        int item = std::min(firstDeleted, count - 1);
        TSortListView::SetItemSelected(item, true);
        SetItemFocused(item);
    }
    return result;
}

int TDirView::CreateDirectory(const std::wstring& Name) {
    return CreateEntry(Name, true);
}

int TDirView::CreateFile(const std::wstring& Name) {
    return CreateEntry(Name, false);
}

// Makes a new folder or empty file in the view's folder and lists it. The view's own watchers are paused so the
// creation does not come back as a change notice; a new folder concerns the linked tree's watcher as well.
int TDirView::CreateEntry(const std::wstring& Name, bool Directory) {
    const std::wstring fullName = path_ + L"\\" + Name;
    if (PathExists(fullName)) {
        LastDirectoryCreateError = ERROR_ALREADY_EXISTS;
        return -1;
    }
    StopWatchThread();
    if (Directory)
        StopTreeWatcher();
    StopIconUpdateThread();
    bool made = false;
    if (Directory) {
        made = ::CreateDirectoryW(fullName.c_str(), nullptr) != FALSE;
    } else {
        made = static_cast<bool>(win::UniqueHandle(
            ::CreateFileW(fullName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    }
    int item = -1;
    if (made) {
        LastDirectoryCreateError = 0;
        item = AddCreatedEntry(fullName);
    } else {
        LastDirectoryCreateError = GetLastError();
    }
    if (UseIconUpdateThread && !inRecycleBin_)
        StartIconUpdateThread();
    StartWatchThread();
    if (Directory)
        StartTreeWatcher();
    return item;
}

// A file or folder the view itself made: listed, focused and in sight. -1 when it is gone already.
int TDirView::AddCreatedEntry(const std::wstring& FullName) {
    TSearchRec rec;
    if (!FindFirstEntry(FullName, kAnyAttributes, rec))
        return -1;
    const int item = AddItem(rec);
    if (item >= 0) {
        SetItemFocused(item);
        ListView_EnsureVisible(Handle(), item, FALSE);
    }
    RunNotify(OnDirUpdated);
    return item;
}

// --- validating ------------------------------------------------------------------------------------------------

void TDirView::ValidateItem(int Item) {
    const TFileRec* rec = ItemRec(Item);
    if (!rec || rec->IsParentDir || PathExists(ItemFullFileName(Item)))
        return;
    RemoveItem(Item);
    RunNotify(OnDirUpdated);
}

void TDirView::ValidateFile(const std::wstring& FullName) {
    if (inRecycleBin_) {
        for (int i = 0; i < Count(); ++i)
            if (const TFileRec* rec = ItemRec(i); rec && EqualNoCase(rec->FileName, FullName)) {
                ValidateItem(i);
                return;
            }
        return;
    }
    if (!EqualNoCase(FolderPart(FullName), path_))
        return;
    int item = FindFileItem(NamePart(FullName));
    if (item >= 0)
        ValidateItem(item);
}

void TDirView::ValidateSelectedFiles() {
    const int count = Count();
    if (count >= 51) {
        UpdateDirectory();
        return;
    }
    bool update = false;
    for (int i = count - 1; i >= 0; --i) {
        const TFileRec* rec = ItemRec(i);
        if (!rec || rec->IsParentDir || !ItemSelected(i) || PathExists(ItemFullFileName(i)))
            continue;
        if (!update && count >= 11) {
            BeginUpdate();
            update = true;
        }
        RemoveItem(i);
    }
    if (update)
        EndUpdate();
    if (Count() != count)
        RunNotify(OnDirUpdated);
}

// --- shell menus -----------------------------------------------------------------------------------------------

void TDirView::DisplayContextMenu(POINT Where) {
    StopWatchThread();
    std::wstring verb;
    const int selected = FirstSelectedIndex();
    std::vector<std::wstring> files;
    GetSelectedFiles(files);
    HWND owner = Handle();
    if (!files.empty()) {
        RunNotify(OnDisplayContextMenu);
        if (inRecycleBin_) {
            const TFileRec* rec = ItemRec(selected);
            if (rec && rec->PIDL && CurrentFolder()) {
                LPCITEMIDLIST items[] = {ILFindLastID(rec->PIDL.get())};
                ShellDisplayContextMenuItems(owner, Where, CurrentFolder(), 1, items, false, verb);
            }
        } else if (files.size() == 1) {
            ShellDisplayContextMenu(owner, Where, files.front(), CanEditItem(selected), verb);
        } else {
            std::vector<std::wstring> names;
            for (const auto& file : files)
                names.push_back(NamePart(file));
            ShellDisplayContextMenuList(owner, Where, GetPathName(), names, verb);
        }
    } else {
        ShellDisplayContextMenu(owner, Where, GetPathName(), false, verb);
    }
    HandleMenuVerb(verb, selected);
}

void TDirView::HandleMenuVerb(const std::wstring& Verb, int Selected) {
    if (Verb == L"rename") {
        EditItem(Selected);
    } else if (Verb == L"cut") {
        CutToClipBoard();
    } else if (Verb == L"copy") {
        CopyToClipBoard();
    } else if (Verb == L"paste") {
        if (const TFileRec* rec = ItemRec(Selected); rec && rec->IsDirectory && SelCount() == 1)
            PasteFromClipBoard(ItemFullFileName(Selected));
        else
            PasteFromClipBoard();
    } else if (!inRecycleBin_) {
        UpdateDirectory();
    }

    if (inRecycleBin_ && Verb != L"cut" && Verb != L"properties") {
        // A restored entry leaves the bin for a folder elsewhere: watch for it to go.
        std::vector<std::wstring> files;
        GetSelectedFiles(files);
        bool elsewhere = std::any_of(files.begin(), files.end(), [this](const std::wstring& file) {
            return !EqualNoCase(FolderPart(file) + L"\\", path_ + L"\\");
        });
        if (elsewhere) {
            StartDeleteWatcher(files);
            StartWatchThread();
            return;
        }
    }
    // Let the shell finish what it started before looking at the disk.
    Sleep(250);
    ValidateSelectedFiles();
    StartWatchThread();
}

void TDirView::DisplayPropertiesMenu() {
    HWND owner = Handle();
    std::vector<std::wstring> files;
    GetSelectedFiles(files);
    if (files.empty()) {
        ShellExecuteContextVerb(owner, L"properties", GetPathName());
    } else if (files.size() == 1) {
        const int item = FirstSelectedIndex();
        const TFileRec* rec = ItemRec(item);
        if (inRecycleBin_ && rec && rec->PIDL && CurrentFolder()) {
            LPCITEMIDLIST items[] = {ILFindLastID(rec->PIDL.get())};
            ShellExecuteContextVerbItems(owner, L"properties", CurrentFolder(), 1, items);
        } else {
            ShellExecuteContextVerb(owner, L"properties", files.front());
        }
    } else {
        std::vector<std::wstring> names;
        for (const auto& file : files)
            names.push_back(NamePart(file));
        ShellExecuteContextVerbList(owner, L"properties", GetPathName(), names);
    }
}

// --- undo ------------------------------------------------------------------------------------------------------

bool TDirView::CanUndo() const {
    return fileOperator_ && fileOperator_->CanUndo();
}

bool TDirView::UndoCopyMove() {
    if (!CanUndo())
        return false;
    const std::wstring source = FolderPart(fileOperator_->LastOperandFrom().front());
    const std::wstring target = RemoveTrailingBackslash(fileOperator_->LastOperandTo().front());
    TDriveView* tree = TreeOf(driveView_);
    if (tree)
        tree->StopAllWatchThreads();
    bool result = fileOperator_->UndoExecute();
    if (!WatchThreadActive())
        UpdateDirectory();
    if (tree) {
        for (const std::wstring& folder : {source, target})
            if (HTREEITEM node = tree->FindReadNode(folder))
                tree->ValidateDirectory(node);
        tree->StartAllWatchThreads();
    }
    return result;
}

// --- the tree's side -------------------------------------------------------------------------------------------

void TDirView::StopTreeWatcher() {
    if (TDriveView* tree = TreeOf(driveView_))
        tree->StopWatchThread();
}

void TDirView::StartTreeWatcher() {
    if (TDriveView* tree = TreeOf(driveView_))
        tree->StartWatchThread();
}

void TDirView::ValidateTreeSelection() {
    if (TDriveView* tree = TreeOf(driveView_); tree && tree->Selected())
        tree->ValidateDirectory(tree->Selected());
}

void TDirView::StartDeleteWatcher(const std::vector<std::wstring>& Paths) {
    if (Paths.empty())
        return;
    // Finished watchers are dropped whenever a new one starts.
    std::erase_if(deleteWatchers_, [](const auto& watcher) { return watcher->Finished(); });
    deleteWatchers_.push_back(std::make_unique<TFileDeleteThread>(
        Paths,
        [this](TFileDeleteThread*, const std::vector<std::wstring>& vanished) {
            gui::GuardedVoid("dir view delete watcher", [&] {
                for (const auto& path : vanished)
                    ValidateFile(path);
            });
        },
        kDeleteWatchSeconds));
}

// --- mouse and keys --------------------------------------------------------------------------------------------

bool TDirView::HandleCommandNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case LVN_BEGINLABELEDITW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        result = BeginLabelEdit(info->item.iItem) ? FALSE : TRUE;
        return true;
    }
    case LVN_ENDLABELEDITW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        // The list keeps showing the stored name: the captions come from the records.
        result = FALSE;
        try {
            EndLabelEdit(info->item.iItem, info->item.pszText);
        } catch (const EInvalidFileName& error) {
            MessageBeep(MB_ICONHAND);
            gui::MessageDlg(error.Message(), L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK, Handle());
        }
        return true;
    }
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
        BeginDrag(header->code == LVN_BEGINRDRAG, nm->ptAction);
        return true;
    }
    case NM_CLICK:
        // The list keeps the button-up of a click to itself while it watches for a drag; its click notice
        // stands in for it.
        if (mouseButtonDown_) {
            mouseButtonDown_ = false;
            if (SingleClickToExec && SelCount() > 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0)
                ExecuteCurrentFile();
        }
        return false;
    case NM_RETURN: {
        int focused = ItemFocused();
        const TFileRec* rec = ItemRec(focused);
        if (SelCount() == 0 && rec && rec->IsDirectory)
            TSortListView::SetItemSelected(focused, true);
        if (rec)
            ExecuteCurrentFile();
        return true;
    }
    case LVN_COLUMNCLICK: {
        TSortListView::HandleNotify(header, result);
        if (int item = FirstSelectedIndex(); item >= 0)
            ListView_EnsureVisible(Handle(), item, FALSE);
        return true;
    }
    default:
        return false;
    }
}

LRESULT TDirView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND window = Handle();
    const LRESULT result = ViewMessage(msg, wParam, lParam);
    // The drag-and-drop engine watches the list after the list's own handling; it has no subclass of its own.
    if (dragState_)
        DragDropFilesEx().ControlMessage(window, msg, wParam, lParam);
    return result;
}

LRESULT TDirView::ViewMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    TrackSelection(msg, wParam, lParam);
    if (LRESULT result = 0; HandleListMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case kRetryEditMessage:
        gui::GuardedVoid("dir view edit again", [this] { RetryEdit(); });
        return 0;
    case WM_LBUTTONDBLCLK: {
        LRESULT result = TSortListView::WndProc(msg, wParam, lParam);
        if (!SingleClickToExec)
            gui::GuardedVoid("dir view open", [this] { ExecuteCurrentFile(); });
        return result;
    }
    case WM_LBUTTONDOWN:
        dragStartPos_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        mouseButtonDown_ = true;
        break;
    case WM_LBUTTONUP: {
        const bool wasDown = mouseButtonDown_;
        mouseButtonDown_ = false;
        LRESULT result = TSortListView::WndProc(msg, wParam, lParam);
        if (SingleClickToExec && wasDown && SelCount() > 0 && !(wParam & (MK_SHIFT | MK_CONTROL)))
            gui::GuardedVoid("dir view open", [this] { ExecuteCurrentFile(); });
        return result;
    }
    case WM_RBUTTONDOWN:
        dragStartPos_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (!DragSourceDirView)
            mouseButtonDown_ = true;
        rightContext_ = true;
        break;
    case WM_CONTEXTMENU:
        if (gui::Guarded("dir view context menu", false, [&] { return ContextMenuMessage(lParam); }))
            return 0;
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_RETURN && ItemRec(ItemFocused())) {
            gui::GuardedVoid("dir view properties", [this] { DisplayPropertiesMenu(); });
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_APPS) {
            gui::GuardedVoid("dir view menu key", [this] { KeyDownHandler(VK_APPS); });
            return 0;
        }
        break;
    default:
        break;
    }
    return TSortListView::WndProc(msg, wParam, lParam);
}

bool TDirView::KeyDownHandler(WPARAM Key) {
    if (Key != VK_APPS)
        return false;
    if (int item = FirstSelectedIndex(); item >= 0) {
        RECT label{};
        ListView_GetItemRect(Handle(), item, &label, LVIR_LABEL);
        POINT where{label.left + 20, label.top + 20};
        ClientToScreen(Handle(), &where);
        DisplayContextMenu(where);
    } else if (PopupMenu) {
        POINT corner{0, 0};
        ClientToScreen(Handle(), &corner);
        PopupMenu->PopupComponent = this;
        PopupMenu->Popup(corner.x, corner.y, Handle());
    }
    return true;
}

bool TDirView::ContextMenuMessage(LPARAM Position) {
    mouseButtonDown_ = false;
    const bool fromRightClick = rightContext_;
    rightContext_ = false;
    if (fromRightClick && UseSystemContextMenu && SelCount() > 0) {
        POINT cursor{};
        GetCursorPos(&cursor);
        DisplayContextMenu(cursor);
        return true;
    }
    if (!PopupMenu)
        return false;
    int x = GET_X_LPARAM(Position), y = GET_Y_LPARAM(Position);
    if (x == -1 && y == -1) {
        RECT r;
        GetWindowRect(Handle(), &r);
        x = r.left;
        y = r.top;
    }
    PopupMenu->PopupComponent = this;
    PopupMenu->Popup(x, y, Handle());
    return true;
}

// --- drawing ---------------------------------------------------------------------------------------------------

void TDirView::SetDimmHiddenFiles(bool Value) {
    if (Value == dimmHiddenFiles_)
        return;
    dimmHiddenFiles_ = Value;
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TDirView::DoCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int item = static_cast<int>(draw->nmcd.dwItemSpec);
        const bool subItem = (draw->nmcd.dwDrawStage & CDDS_SUBITEM) != 0;
        if (subItem && draw->iSubItem > 0) {
            draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
            return CDRF_DODEFAULT;
        }
        draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        if (const TFileRec* rec = ItemRec(item)) {
            if (rec->Attr & FILE_ATTRIBUTE_COMPRESSED)
                draw->clrText = CompressedColor;
            else if (dimmHiddenFiles_ && (rec->Attr & FILE_ATTRIBUTE_HIDDEN) && !ItemSelected(item))
                draw->clrText = GetSysColor(COLOR_GRAYTEXT);
        }
        if (subItem)
            return CDRF_DODEFAULT;
        return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_ITEMPOSTPAINT:
        DrawParentDirArrow(draw);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void TDirView::DrawParentDirArrow(NMLVCUSTOMDRAW* draw) {
    const int item = static_cast<int>(draw->nmcd.dwItemSpec);
    const TFileRec* rec = ItemRec(item);
    if (!rec || !rec->IsParentDir || !IsComCtl470)
        return;
    RECT icon{};
    if (!ListView_GetItemRect(Handle(), item, &icon, LVIR_ICON))
        return;
    if (ViewStyle() == vsIcon) {
        EnsureDirUpImage(UpImages32(), 32);
        ImageList_Draw(UpImages32(), 0, draw->nmcd.hdc, icon.left + 8, icon.top + 2, ILD_TRANSPARENT);
    } else {
        EnsureDirUpImage(UpImages16(), 16);
        ImageList_Draw(UpImages16(), 0, draw->nmcd.hdc, icon.left - 2, icon.top - 2, ILD_TRANSPARENT);
    }
}
