// Loading, updating, reloading and ordering the directory list view, and its file pane side.
#include "components/DirView.h"

#include "components/BaseUtils.h"
#include "components/DiscMon.h"
#include "components/DriveTable.h"
#include "components/FileChanges.h"
#include "components/FileOperator.h"
#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/SystemText.h"
#include "win/Trace.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr DWORD kFileSearchAttributes = 55; // read-only, hidden, system, directory, archive
constexpr DWORD kDirSearchAttributes = 22;  // hidden, system, directory
constexpr DWORD kAnyAttributes = 63;
constexpr int kMessagesEvery = 100;
constexpr DWORD kDefaultDateTimeFrom = (33u << 16) | 0u;
constexpr DWORD kDefaultDateTimeTo = (61343u << 16) | 49152u;

bool IsDot(const std::wstring& name) {
    return name == L"." || name == L"..";
}

std::wstring LastComponent(const std::wstring& path) {
    auto cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

} // namespace

TDirView::TDirView(gui::TControl* parent, std::wstring name, int left, int top, int width, int height)
    : TSortListView(parent, std::move(name), left, top, width, height, LVS_OWNERDATA) {
    // The marks live in the entries: the control asks for them when it draws.
    ListView_SetCallbackMask(Handle(), kEntryStates);
    TSortListView::SetViewStyle(vsReport);
    SetExtendedStyle(LVS_EX_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP);
    // Names are edited in place (the commands decide per item whether an edit may start).
    SetReadOnly(false);
    CreateColumns();

    fileOperator_ = std::make_unique<TFileOperator>(Handle());
    fileOperator_->SetProgressTitle(L"Filesystem Operation");
    fileOperator_->SetFlags({foAllowUndo, foNoConfirmMkDir});
    changeTimer_ = std::make_unique<gui::TTimer>(L"ChangeTimer", false);
    changeTimer_->SetInterval(changeInterval_);
    changeTimer_->OnTimer = [this](gui::TComponent*) { ChangeTimerElapsed(); };
    CreateDragDrop();
}

TDirView::~TDirView() {
    if (driveView_)
        driveView_->DirViewDestroyed(this);
    StopSubDirScanner();
    try {
        StopIconUpdateThread();
    } catch (const std::exception&) {
        // The late icon thread was cut loose and can no longer reach this view; a destructor must not throw.
        win::TraceCaught(L"TDirView::~TDirView");
    }
    StopWatchThread();
    // Watchers and the drag-and-drop object go before the window: none of them may report to a view half gone.
    deleteWatchers_.clear();
    discMonitor_.reset();
    changeTimer_.reset();
    dragState_.reset();
    // The control forgets the items before the records go.
    ClearList();
}

// --- the folder ----------------------------------------------------------------------------------------------

void TDirView::SetPath(const std::wstring& Value) {
    std::wstring path = WithoutTrailingBackslashes(Value);
    if (path == path_)
        return;
    lastPath_ = path_;
    path_ = path;
    LoadDirectory(path_);
}

std::wstring TDirView::GetPathName() const {
    if (path_.size() == 2 && path_[1] == L':')
        return path_ + L"\\";
    return path_;
}

TEntryFilter TDirView::MakeFilter() const {
    TEntryFilter filter;
    auto add = [&filter](TSelAttr sel, DWORD bit) {
        if (sel == SelYes)
            filter.Required |= bit;
        else if (sel == SelNo)
            filter.Excluded |= bit;
    };
    add(SelArchive, FILE_ATTRIBUTE_ARCHIVE);
    add(SelHidden, FILE_ATTRIBUTE_HIDDEN);
    add(SelSysFile, FILE_ATTRIBUTE_SYSTEM);
    add(SelReadOnly, FILE_ATTRIBUTE_READONLY);
    filter.From = (static_cast<DWORD>(SelFileDateFrom) << 16) | SelFileTimeFrom;
    filter.To = (static_cast<DWORD>(SelFileDateTo) << 16) | SelFileTimeTo;
    filter.AnyTime = filter.From <= kDefaultDateTimeFrom && filter.To >= kDefaultDateTimeTo;
    return filter;
}

bool TDirView::AskAddFile(TSearchRec& Rec) {
    bool add = true;
    if (OnAddFile)
        OnAddFile(this, Rec, add);
    return add;
}

void TDirView::ClearList() {
    items_.clear();
    pendingSelect_.clear();
    ResetControl();
    filesSize_ = 0;
    filesSelSize_ = 0;
}

void TDirView::LoadDirectory(const std::wstring& Dir) {
    if (!loadEnabled_ || loading_) {
        loadPending_ = true;
        abortLoading_ = true;
        return;
    }
    // A reload of the folder listed may find it as it was; then the list stays exactly as it is on screen. Such a
    // reload reads the folder into entries of its own beside the listed ones, which the list goes on showing (and
    // drawing) meanwhile; only a folder that changed replaces them.
    const bool mayKeep = keepUnchanged_ && dirOK_ && Dir == path_;
    const bool readApart = mayKeep && !inRecycleBin_;
    lastLoadUnchanged_ = false;
    loading_ = true;
    path_ = Dir;
    hasParentItem_ = false;
    RunNotify(OnStartLoading);

    StopSubDirScanner();
    StopIconUpdateThread();
    StopWatchThread();
    DisableChangeTimer();

    bool aborted = false;
    bool unchanged = false;
    {
        THourGlass wait;
        if (Count() > 0)
            ClearDropTarget();
        // The entries are built anew beside the old ones; unless they are read apart, the control shows nothing of
        // either until the end.
        std::vector<TListEntry> previous;
        std::vector<TListEntry> read;
        if (!readApart) {
            previous = std::move(items_);
            items_.clear();
        }
        loadTarget_ = readApart ? &read : &items_;
        const std::int64_t previousSize = filesSize_, previousSelSize = filesSelSize_;
        if (!mayKeep)
            ResetControl();
        GetSystemTime(&loadTime_);
        TEntryFilter filter = MakeFilter();

        bool redrawHeld = !readApart;
        if (redrawHeld) {
            BeginUpdate();
            drawing_ = false;
        }
        filesSize_ = 0;
        filesSelSize_ = 0;
        try {
            // A path without a drive letter has no drive: the list stays empty.
            wchar_t letter = Dir.size() >= 2 && Dir[1] == L':' ? static_cast<wchar_t>(towupper(Dir[0])) : L'\0';
            bool driveValid = false;
            driveType_ = 0;
            if (letter >= L'A' && letter <= L'Z') {
                if (!driveView_)
                    DriveInfo.ReadDriveStatus(letter, 0);
                TDriveInfoRec drive = DriveInfo.Data(letter);
                driveType_ = drive.DriveType;
                driveValid = drive.Valid;
            }
            if (showMaskInHeader_ && inRecycleBin_)
                RedoNameCaption();
            dirOK_ = !Dir.empty() && driveValid && DirectoryExists(Dir);
            if (!dirOK_) {
                inRecycleBin_ = false;
            } else {
                bool flag = false;
                if (driveView_ && driveView_->NodeRecycleBinFlag(Dir, flag))
                    inRecycleBin_ = flag;
                else
                    inRecycleBin_ = Dir.size() >= 11 && UpperCase(Dir.substr(1, 10)) == L":\\RECYCLED";
                if (!desktopFolder_)
                    SHGetDesktopFolder(desktopFolder_.ReleaseAndGetAddressOf());
                if (inRecycleBin_) {
                    LoadRecycleBinItems();
                } else {
                    // A reload of the same folder keeps its shell folder: parsing the path again finds the same.
                    if (!readApart || !currentFolder_) {
                        currentFolder_.Reset();
                        if (TPidlPtr folder = PIDL_GetFromPath(GetPathName()))
                            PIDL_GetFolder(folder.get(), currentFolder_);
                    }
                    LoadEntries(filter);
                }
            }
        } catch (...) {
            // Whatever failed, the view must not stay in the loading state, or it never loads again.
            loading_ = false;
            drawing_ = true;
            loadTarget_ = &items_;
            if (readApart)
                items_.clear(); // a failed read keeps none of the listed entries
            ResetControl();
            if (redrawHeld)
                EndUpdate();
            RunNotify(OnLoaded);
            throw;
        }
        loadTarget_ = &items_;

        typeCache_.Sort([](const TTypeCacheRec* a, const TTypeCacheRec* b) {
            return a->Ext.compare(b->Ext) < 0 ? -1 : a->Ext == b->Ext ? 0 : 1;
        });
        loading_ = false;

        aborted = abortLoading_;
        // The old entries are in order already: a folder found as it was needs no sort.
        unchanged =
            mayKeep && !aborted && dirOK_ && (readApart ? SameEntries(items_, read) : SameEntries(previous, items_));
        if (readApart && !unchanged) {
            // From here on as for any load: the new entries replace the listed ones while the control waits.
            BeginUpdate();
            drawing_ = false;
            redrawHeld = true;
            previous = std::move(items_);
            items_ = std::move(read);
        }
        if (!unchanged && !aborted && dirOK_)
            SortModel();
        if (unchanged) {
            // The old entries keep their type names, icons and marks, the control its selection, focus and place.
            if (!readApart)
                items_ = std::move(previous);
            filesSize_ = previousSize;
            filesSelSize_ = previousSelSize;
            pendingSelect_.clear();
        } else {
            previous.clear();
            ResetControl();
        }
        lastLoadUnchanged_ = unchanged;
        if (aborted) {
            abortLoading_ = false;
            Reload(false);
        } else {
            loadPending_ = false;
            if (!unchanged && lastPath_.size() > path_.size() && lastPath_.compare(0, path_.size(), path_) == 0 &&
                Count() > 0) {
                int child = FindFileItem(LastComponent(lastPath_));
                if (child >= 0) {
                    SetItemFocused(child);
                }
            }
            if (!unchanged)
                MakeFocusedVisible();
        }
        if (redrawHeld)
            EndUpdate();
        drawing_ = true;
    }

    if (dirOK_ && !aborted) {
        if (UseIconUpdateThread && !inRecycleBin_)
            StartIconUpdateThread();
        // The scanners stopped above start again for the folders kept, and for all when they were read apart.
        if ((unchanged || readApart) && showSubDirSize_ && showDirectories_)
            StartSubDirScanners();
        StartWatchThread();
        RunNotify(OnDirUpdated);
    }
    RunNotify(OnLoaded);
}

void TDirView::LoadEntries(const TEntryFilter& Filter) {
    std::wstring masks = Mask();
    std::set<std::wstring> added; // names listed by an earlier mask
    std::vector<TSearchRec> directories;
    bool directoriesFound = false; // a walk of every name has found the sub-folders on its way
    int count = 0;
    int maskCount = 0;
    while (!masks.empty() && !abortLoading_) {
        std::wstring mask = GetNextMask(masks);
        ++maskCount;
        if (mask.empty())
            continue;
        // Both walks admit the same entries (hidden, system and folders), so one walk serves both.
        const bool everyName = showDirectories_ && !directoriesFound && (mask == L"*.*" || mask == L"*");
        TFileSearch search(path_ + L"\\" + mask, kFileSearchAttributes);
        TSearchRec rec;
        while (!abortLoading_ && search.Next(rec)) {
            if (rec.Attr & FILE_ATTRIBUTE_DIRECTORY) {
                if (everyName && !IsDot(rec.Name))
                    directories.push_back(rec);
                continue;
            }
            if (!Filter.Passes(rec))
                continue;
            if (!AskAddFile(rec))
                continue;
            // Names are remembered only when several masks may find the same file.
            std::wstring key = maskCount > 1 || !masks.empty() ? UpperCase(rec.Name) : std::wstring();
            if (maskCount > 1 && added.count(key))
                continue;
            AddItem(rec);
            if (++count % kMessagesEvery == 0)
                gui::Application.ProcessMessages();
            if (!masks.empty())
                added.insert(key);
        }
        directoriesFound = directoriesFound || (everyName && !abortLoading_);
    }
    if (path_.size() > 2 && !abortLoading_)
        AddParentDirItem();
    if (!showDirectories_ || abortLoading_)
        return;
    if (!directoriesFound) {
        TFileSearch search(path_ + L"\\*.*", kDirSearchAttributes);
        TSearchRec rec;
        while (!abortLoading_ && search.Next(rec))
            if ((rec.Attr & FILE_ATTRIBUTE_DIRECTORY) && !IsDot(rec.Name))
                directories.push_back(rec);
    }
    AddSubDirectories(directories);
}

void TDirView::AddSubDirectories(const std::vector<TSearchRec>& Found) {
    for (TSearchRec rec : Found) {
        if (abortLoading_)
            break;
        if (!AskAddFile(rec))
            continue;
        int item = AddItem(rec);
        // Entries read apart are not listed yet: their scanners start once they are.
        if (showSubDirSize_ && loadTarget_ == &items_)
            StartSubDirScanner(item);
    }
    if (driveView_ && driveType_ == DRIVE_REMOTE && Found.empty())
        driveView_->NoSubDirectoriesFound(path_);
}

int TDirView::AddItem(const TSearchRec& SearchRec) {
    auto record = std::make_unique<TFileRec>();
    TFileRec* rec = record.get();
    rec->FileName = SearchRec.Name;
    rec->FileExt = ShortFileExt(SearchRec.Name);
    rec->DisplayName = FormatDisplayName(rec->FileName);
    rec->Attr = SearchRec.Attr;
    rec->IsDirectory = (SearchRec.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    rec->IsRecycleBin = rec->IsDirectory && (SearchRec.Attr & FILE_ATTRIBUTE_SYSTEM) && path_.size() == 2 &&
                        path_[1] == L':' && UpperCase(SearchRec.Name) == L"RECYCLED";
    rec->Size = rec->IsDirectory ? -1 : SearchRec.Size;
    rec->FileTime = SearchRec.LastWrite;
    rec->Empty = true;
    rec->IconEmpty = true;
    if (!rec->IsDirectory && rec->Size > 0)
        filesSize_ += rec->Size;
    // The shortcut overlay of the system image list.
    const UINT state = rec->FileExt == L"LNK" ? INDEXTOOVERLAYMASK(2) : 0;
    loadTarget_->push_back(TListEntry{std::move(record), state});
    const int index = static_cast<int>(loadTarget_->size()) - 1;
    if (SelectNewFiles)
        pendingSelect_.push_back(rec);
    if (!loading_ && deferCount_ == 0)
        SyncItemCount();
    return index;
}

void TDirView::AddParentDirItem() {
    hasParentItem_ = true;
    auto record = std::make_unique<TFileRec>();
    TFileRec* rec = record.get();
    rec->FileName = L"..";
    rec->DisplayName = L"..";
    TSearchRec self;
    if (FindFirstEntry(path_, kAnyAttributes, self)) {
        rec->Attr = self.Attr;
        rec->FileTime = self.LastWrite;
    }
    rec->IsDirectory = true;
    rec->IsParentDir = true;
    rec->Size = -1;
    rec->TypeName = L"<DIR>";
    rec->ImageIndex = StdDirIcon;
    loadTarget_->insert(loadTarget_->begin(), TListEntry{std::move(record), INDEXTOOVERLAYMASK(3)});
    if (!loading_ && deferCount_ == 0)
        SyncItemCount();
}

void TDirView::Reload(bool CacheIcons) {
    if (path_.empty())
        return;
    if (!loadEnabled_) {
        loadPending_ = true;
        return;
    }
    std::set<std::wstring> selected;
    std::map<std::wstring, int> keptIcons;
    std::wstring focused;
    if (Handle())
        for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
             i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
            if (const TFileRec* rec = ItemRec(i))
                selected.insert(rec->FileName);
    if (CacheIcons)
        for (const TListEntry& entry : items_)
            if (!entry.Rec->IconEmpty && IsSpecialExt(entry.Rec->FileExt))
                keptIcons[entry.Rec->FileName] = entry.Rec->ImageIndex;
    if (const TFileRec* rec = ItemRec(ItemFocused()))
        focused = rec->FileName;

    keepUnchanged_ = true;
    try {
        LoadDirectory(path_);
    } catch (...) {
        keepUnchanged_ = false;
        throw;
    }
    keepUnchanged_ = false;
    if (lastLoadUnchanged_) {
        // Selection, focus, icons and the scroll position are all still there, and the list was never held.
        return;
    }

    BeginUpdate();
    for (int i = 0; i < Count(); ++i) {
        TFileRec* rec = ItemRec(i);
        if (!focused.empty() && rec->FileName == focused)
            SetItemFocused(i);
        if (selected.count(rec->FileName))
            TSortListView::SetItemSelected(i, true);
        if (CacheIcons && rec->IconEmpty) {
            auto kept = keptIcons.find(rec->FileName);
            if (kept != keptIcons.end()) {
                rec->ImageIndex = kept->second;
                rec->IconEmpty = false;
            }
        }
    }
    EndUpdate();
    if (ItemFocused() < 0 && Count() > 0) {
        int top = ListView_GetTopIndex(Handle());
        SetItemFocused(top >= 0 ? top : 0);
    }
    MakeFocusedVisible();
}

void TDirView::UpdateDirectory() {
    if (loading_)
        return;
    if (inRecycleBin_) {
        Reload(true);
        return;
    }
    if (path_.empty() || !DirectoryExists(path_)) {
        ClearList();
        dirOK_ = false;
        return;
    }
    THourGlass wait;
    DisableChangeTimer();

    struct Snapshot {
        int Item;
        bool Seen = false;
    };
    std::map<std::wstring, Snapshot> snapshot;
    for (int i = 0; i < Count(); ++i)
        snapshot.emplace(UpperCase(ItemRec(i)->FileName), Snapshot{i});

    bool changed = false;
    auto change = [&] {
        if (!changed)
            BeginUpdate();
        changed = true;
    };
    std::vector<TSearchRec> added;
    std::set<std::wstring> addedKeys; // a file found by several masks is added once
    TEntryFilter filter = MakeFilter();
    const std::int64_t sizeFrom = SelFileSizeFrom;
    const std::int64_t sizeTo = SelFileSizeTo == 2147483647 ? INT64_MAX : SelFileSizeTo;

    std::wstring masks = Mask();
    while (!masks.empty()) {
        std::wstring mask = GetNextMask(masks);
        if (mask.empty())
            continue;
        TFileSearch search(path_ + L"\\" + mask, kFileSearchAttributes);
        TSearchRec rec;
        while (search.Next(rec)) {
            if (IsDot(rec.Name))
                continue;
            std::wstring key = UpperCase(rec.Name);
            auto known = snapshot.find(key);
            if (known != snapshot.end())
                known->second.Seen = true;
            bool passes = filter.Passes(rec) && !(rec.Attr & FILE_ATTRIBUTE_DIRECTORY) && rec.Size >= sizeFrom &&
                          rec.Size <= sizeTo;
            if (!passes)
                continue;
            if (known != snapshot.end()) {
                int item = known->second.Item;
                TFileRec* old = ItemRec(item);
                if (!old || old->IsParentDir)
                    continue;
                bool sizeChanged = old->Size != rec.Size;
                if (sizeChanged || old->Attr != rec.Attr || CompareFileTime(&old->FileTime, &rec.LastWrite) != 0) {
                    change();
                    filesSize_ += std::max<std::int64_t>(rec.Size, 0) - std::max<std::int64_t>(old->Size, 0);
                    if (ItemSelected(item))
                        filesSelSize_ += std::max<std::int64_t>(rec.Size, 0) - std::max<std::int64_t>(old->Size, 0);
                    old->Size = rec.Size;
                    old->Attr = rec.Attr;
                    old->FileTime = rec.LastWrite;
                    if (sizeChanged && OnFileSizeChanged)
                        OnFileSizeChanged(this, item);
                }
            } else if (!addedKeys.count(key) && AskAddFile(rec)) {
                addedKeys.insert(key);
                added.push_back(rec);
            }
        }
    }
    if (showDirectories_) {
        TFileSearch search(path_ + L"\\*.*", kDirSearchAttributes);
        TSearchRec rec;
        while (search.Next(rec)) {
            if (!(rec.Attr & FILE_ATTRIBUTE_DIRECTORY) || IsDot(rec.Name))
                continue;
            std::wstring key = UpperCase(rec.Name);
            auto known = snapshot.find(key);
            if (known != snapshot.end()) {
                known->second.Seen = true;
            } else if (!addedKeys.count(key) && AskAddFile(rec)) {
                addedKeys.insert(key);
                added.push_back(rec);
            }
        }
    }

    std::vector<int> gone;
    for (const auto& [key, entry] : snapshot) {
        const TFileRec* rec = ItemRec(entry.Item);
        // ".." stays whatever the masks found: callers rely on it at index 0.
        if (!entry.Seen && rec && !rec->IsParentDir)
            gone.push_back(entry.Item);
    }
    std::sort(gone.rbegin(), gone.rend());
    for (int item : gone) {
        change();
        RemoveItem(item);
    }
    if (!added.empty()) {
        change();
        // The new entries reach the control with one count.
        ++deferCount_;
        for (const TSearchRec& rec : added) {
            int item = AddItem(rec);
            if (showSubDirSize_ && (rec.Attr & FILE_ATTRIBUTE_DIRECTORY))
                StartSubDirScanner(item);
        }
        --deferCount_;
        SyncItemCount();
    }
    if (changed) {
        if (SortAfterUpdate)
            SortItems();
        EndUpdate();
    }
    dirOK_ = true;
    if (UseIconUpdateThread && !inRecycleBin_)
        StartIconUpdateThread();
    StopWatchThread();
    StartWatchThread();
    MakeFocusedVisible();
    if (changed)
        RunNotify(OnDirUpdated);
}

void TDirView::SortItems() {
    if (!Handle() || Count() == 0)
        return;
    StopIconUpdateThread();
    bool wasDrawing = drawing_;
    drawing_ = false;
    BeginUpdate();
    {
        THourGlass wait;
        ReorderKeepingSelection([this] { SortModel(); });
    }
    EndUpdate();
    drawing_ = wasDrawing;
    if (!loading_ && UseIconUpdateThread)
        StartIconUpdateThread();
}

bool TDirView::SortModel() {
    TDirSortKey key;
    switch (SortColumn()) {
    case 1:
        key = TDirSortKey::Size;
        break;
    case 2:
        key = sortByExtension_ ? TDirSortKey::Extension : TDirSortKey::Type;
        break;
    case 3:
        key = TDirSortKey::Date;
        break;
    case 4:
        key = TDirSortKey::Attributes;
        break;
    default:
        key = TDirSortKey::Name;
        break;
    }
    // The type order needs the type names; they are fetched here, not inside the comparison.
    if (key == TDirSortKey::Type)
        FetchTypeNames();
    const bool ascending = SortAscending();
    const bool dirsOnTop = dirsOnTop_;
    auto before = [key, ascending, dirsOnTop](const TListEntry& a, const TListEntry& b) {
        return CompareFileRecs(a.Rec.get(), b.Rec.get(), key, ascending, dirsOnTop) < 0;
    };
    if (std::is_sorted(items_.begin(), items_.end(), before))
        return false;
    std::stable_sort(items_.begin(), items_.end(), before);
    return true;
}

// --- items ---------------------------------------------------------------------------------------------------

TFileRec* TDirView::ItemRec(int Item) const {
    if (Item < 0 || Item >= Count())
        return nullptr;
    return items_[static_cast<size_t>(Item)].Rec.get();
}

std::wstring TDirView::ItemFullFileName(int Item) const {
    const TFileRec* rec = ItemRec(Item);
    if (!rec)
        return {};
    if (inRecycleBin_ && !rec->IsParentDir)
        return rec->FileName;
    return path_ + L"\\" + rec->FileName;
}

std::wstring TDirView::ItemFileName(int Item) const {
    const TFileRec* rec = ItemRec(Item);
    return rec ? rec->FileName : std::wstring();
}

int TDirView::FindFileItem(const std::wstring& FileName) const {
    for (int i = 0; i < Count(); ++i)
        if (EqualNoCase(items_[static_cast<size_t>(i)].Rec->FileName, FileName))
            return i;
    return -1;
}

bool TDirView::ItemSelected(int Item) const {
    if (!ItemRec(Item) || !Handle())
        return false;
    if (KnowSelection())
        return items_[static_cast<size_t>(Item)].Selected;
    return TSortListView::ItemSelected(Item);
}

void TDirView::SetItemSelected(int Item, bool Selected) {
    if (ItemRec(Item))
        TSortListView::SetItemSelected(Item, Selected);
}

bool TDirView::ItemIsDirectory(int Item) const {
    const TFileRec* rec = ItemRec(Item);
    return rec && rec->IsDirectory;
}

bool TDirView::ItemIsParentDir(int Item) const {
    const TFileRec* rec = ItemRec(Item);
    return rec && rec->IsParentDir;
}

int TDirView::FirstSelectedIndex() const {
    return Handle() ? ListView_GetNextItem(Handle(), -1, LVNI_SELECTED) : -1;
}

void TDirView::ClearSelection() {
    if (Handle())
        ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED);
}

void TDirView::FocusItem(int Item) {
    if (!ItemRec(Item))
        return;
    TSortListView::SetItemSelected(Item, true);
    SetItemFocused(Item);
    ListView_EnsureVisible(Handle(), Item, FALSE);
}

void TDirView::MakeFocusedVisible() {
    int focused = ItemFocused();
    if (focused >= 0)
        ListView_EnsureVisible(Handle(), focused, FALSE);
}

void TDirView::ReleaseRecord(const TFileRec& Rec, bool WasSelected) {
    // A folder whose total a scanner stored counts in both totals like a file.
    if (!Rec.IsParentDir && Rec.Size > 0)
        filesSize_ = std::max<std::int64_t>(filesSize_ - Rec.Size, 0);
    if (WasSelected)
        filesSelSize_ = std::max<std::int64_t>(filesSelSize_ - SelectionSize(Rec, -1), 0);
}

// --- loading switches ------------------------------------------------------------------------------------------

void TDirView::SetLoadEnabled(bool Value) {
    if (Value == loadEnabled_)
        return;
    loadEnabled_ = Value;
    if (loadEnabled_ && loadPending_) {
        if (Count() < 101)
            Reload(true);
        else
            UpdateDirectory();
    }
}

void TDirView::SetShowDirectories(bool Value) {
    if (Value == showDirectories_)
        return;
    showDirectories_ = Value;
    if (dirOK_)
        Reload(true);
}

void TDirView::SetShowSubDirSize(bool Value) {
    if (Value == showSubDirSize_)
        return;
    showSubDirSize_ = Value;
    if (!Value) {
        StopSubDirScanner();
        return;
    }
    for (int i = 0; i < Count(); ++i)
        if (const TFileRec* rec = ItemRec(i); rec && rec->IsDirectory && !rec->IsParentDir)
            StartSubDirScanner(i);
}

void TDirView::SetDirsOnTop(bool Value) {
    if (Value == dirsOnTop_)
        return;
    dirsOnTop_ = Value;
    if (showDirectories_ && dirOK_)
        SortItems();
}

void TDirView::SetSortByExtension(bool Value) {
    if (Value == sortByExtension_)
        return;
    sortByExtension_ = Value;
    if (!dirOK_)
        return;
    if (SortColumn() == 2)
        SortItems();
    else if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TDirView::SetFileNameDisplay(TFileNameDisplay Value) {
    if (Value == fileNameDisplay_)
        return;
    fileNameDisplay_ = Value;
    if (dirOK_)
        Reload(true);
}

void TDirView::SetMask(const std::wstring& Value) {
    std::wstring before = Mask();
    TSortListView::SetMask(Value);
    if (Mask() == before)
        return;
    Reload(true);
    if (Handle())
        RedoNameCaption();
}

void TDirView::SetShowMaskInHeader(bool Value) {
    if (Value == showMaskInHeader_)
        return;
    showMaskInHeader_ = Value;
    RedoNameCaption();
}

void TDirView::SetViewStyle(TViewStyle Value) {
    if (Value == ViewStyle() || loading_)
        return;
    drawing_ = false;
    TSortListView::SetViewStyle(Value);
    drawing_ = true;
}

void TDirView::SetMultiSelect(bool Value) {
    if (Value == MultiSelect())
        return;
    StoreColumnWidths();
    TSortListView::SetMultiSelect(Value);
    CreateColumns();
    if (dirOK_) {
        UpdateSortArrows();
        Reload(true);
    }
}
