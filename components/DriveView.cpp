// TDriveView: construction, nodes and paths, reading and validating folders, the root nodes and the watchers.
#include "components/DriveView.h"

#include "components/BaseUtils.h"
#include "components/ViewsShared.h"
#include "gui/Application.h"
#include "win/Handles.h"
#include "win/SystemText.h"
#include "core/TextEncoding.h"

#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace {

constexpr DWORD kSearchAttrs = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM; // 22

bool IsDotName(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

// Calls visit for every folder directly in the directory (not "." or "..").
template <typename Visit> void ForEachSubDir(const std::wstring& dirPath, const std::wstring& pattern, Visit visit) {
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileExW((dirPath + L"\\" + pattern).c_str(), FindExInfoStandard, &fd,
                                   FindExSearchLimitToDirectories, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return;
    const win::UniqueFind closer(find);
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotName(fd.cFileName))
            continue;
        // A volume label entry is outside the search's attribute mask.
        if (fd.dwFileAttributes & ~kSearchAttrs & 0x8)
            continue;
        visit(fd);
    } while (FindNextFileW(find, &fd));
}

} // namespace

ENodeNotAssigned::ENodeNotAssigned(const std::string& operation) : EComponentError(operation + ": Node not assigned") {}

// --- construction ------------------------------------------------------------------------------------------------

TDriveView::TDriveView(gui::TControl* parent, std::wstring name, int left, int top, int width, int height)
    : gui::TCustomTreeView(parent, std::move(name), left, top, width, height,
                           TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS),
      fileOperator_(nullptr) {
    dragDropWatcher_ = dragDropFilesEx_.get();
    fileOperator_.SetProgressTitle(L"Filesystem Operation");
    fileOperator_.SetFlags({foAllowUndo, foNoConfirmMkDir});
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        auto timer = std::make_unique<gui::TTimer>(std::wstring(), false);
        timer->SetInterval(changeInterval_);
        timer->Tag = letter;
        timer->OnTimer = [this, letter](gui::TComponent*) { ChangeTimerFired(letter); };
        Status(letter).ChangeTimer = timer.get();
        timers_[letter - L'A'] = std::move(timer);
    }

    // The shell's system image lists are shared by every view of the process and never freed by one.
    if (HIMAGELIST small = SystemImageList(SHGFI_SMALLICON))
        TreeView_SetImageList(Handle(), small, TVSIL_NORMAL);
    if (HIMAGELIST large = SystemImageList(SHGFI_LARGEICON))
        TreeView_SetImageList(Handle(), large, TVSIL_STATE);

    if (SUCCEEDED(SHGetDesktopFolder(desktop_.ReleaseAndGetAddressOf()))) {
        LPITEMIDLIST drives = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) && drives) {
            TPidlPtr owned(drives);
            desktop_->BindToObject(owned.get(), nullptr, IID_IShellFolder,
                                   reinterpret_cast<void**>(drivesFolder_.ReleaseAndGetAddressOf()));
        }
    }

    // Built in code, the view is complete once constructed: the root nodes are read at once. The names only
    // (12 holds dsDisplayName and a bit the table does not know): no medium is touched.
    RefreshRootNodes(false, 12);
}

TDriveView::~TDriveView() {
    dragDropWatcher_ = nullptr;
    if (dirView_ && dirView_->DriveView() == this)
        dirView_->SetDriveView(nullptr);
    if (driveBox_)
        driveBox_->DriveBoxDriveViewDestroyed(this);
    for (auto& monitor : monitors_)
        monitor.reset();
    for (auto& timer : timers_)
        timer.reset();
    if (Handle()) {
        BeginUpdate();
        ClearNodes();
    }
    nodeData_.clear();
}

TDriveStatus& TDriveView::Status(wchar_t drive) {
    return drives_[std::towupper(drive) - L'A'];
}
const TDriveStatus& TDriveView::Status(wchar_t drive) const {
    return drives_[std::towupper(drive) - L'A'];
}

// --- nodes and paths ---------------------------------------------------------------------------------------------

TNodeData* TDriveView::GetNodeData(HTREEITEM Node) const {
    if (!Node)
        return nullptr;
    return reinterpret_cast<TNodeData*>(gui::TCustomTreeView::NodeData(Node));
}

std::wstring TDriveView::GetDirPath(HTREEITEM Node) const {
    const TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("GetDirPath");
    HTREEITEM parent = ParentNode(Node);
    if (!parent)
        return RemoveTrailingBackslash(data->DirName);
    return GetDirPath(parent) + L"\\" + data->DirName;
}

std::wstring TDriveView::GetDirName(HTREEITEM Node) const {
    const TNodeData* data = GetNodeData(Node);
    return data ? data->DirName : std::wstring();
}

wchar_t TDriveView::GetDrive(HTREEITEM Node) const {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("GetDrive");
    return static_cast<wchar_t>(std::towupper(GetDirPath(Node)[0]));
}

HTREEITEM TDriveView::RootNode(HTREEITEM Node) const {
    if (!Node)
        throw ENodeNotAssigned("RootNode");
    while (HTREEITEM parent = ParentNode(Node))
        Node = parent;
    return Node;
}

bool TDriveView::IsSubDirNode(HTREEITEM Node) const {
    return GetNodeData(Node) && ParentNode(Node) != nullptr;
}

bool TDriveView::NodeHasChildren(HTREEITEM Node) const {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = Node;
    return Node && TreeView_GetItem(Handle(), &item) && item.cChildren != 0;
}

bool TDriveView::NodeExpanded(HTREEITEM Node) const {
    return Node && (TreeView_GetItemState(Handle(), Node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TDriveView::SetHasChildren(HTREEITEM Node, bool has) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = Node;
    item.cChildren = has ? 1 : 0;
    TreeView_SetItem(Handle(), &item);
}

TDriveStatus TDriveView::GetDriveStatus(wchar_t Drive) const {
    wchar_t letter = static_cast<wchar_t>(std::towupper(Drive));
    if (letter < L'A' || letter > L'Z')
        throw EConvertError(Utf8FromWide(std::wstring(1, Drive)) + " is a invalid drive letter.");
    return Status(letter);
}

HTREEITEM TDriveView::InsertNode(HTREEITEM parent, std::unique_ptr<TNodeData> data, HTREEITEM after, bool hasChildren) {
    TNodeData* raw = data.get();
    nodeData_.emplace(raw, std::move(data));
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = after;
    // Texts and images are set once the node exists: the text needs the node's place in the tree.
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    std::wstring empty;
    empty.push_back(0);
    ins.item.pszText = empty.data();
    ins.item.lParam = reinterpret_cast<LPARAM>(raw);
    ins.item.iImage = I_IMAGECALLBACK;
    ins.item.iSelectedImage = I_IMAGECALLBACK;
    ins.item.cChildren = hasChildren ? 1 : 0;
    auto node = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!node) {
        nodeData_.erase(raw);
        return nullptr;
    }
    if (raw->ShellAttr & SFGAO_SHARE)
        TreeView_SetItemState(Handle(), node, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
    SetNodeText(node, GetDisplayName(node));
    return node;
}

IShellFolder* TDriveView::ParentFolderOf(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        return nullptr;
    if (!data->ShellFolder && data->PIDL) {
        HTREEITEM parent = ParentNode(Node);
        IShellFolder* above = parent ? ParentFolderOf(parent) : drivesFolder_.Get();
        if (above)
            above->BindToObject(data->PIDL.get(), nullptr, IID_IShellFolder,
                                reinterpret_cast<void**>(data->ShellFolder.ReleaseAndGetAddressOf()));
    }
    return data->ShellFolder.Get();
}

HTREEITEM TDriveView::AddChildNode(HTREEITEM Parent, const WIN32_FIND_DATAW& SRec) {
    auto data = std::make_unique<TNodeData>();
    data->DirName = SRec.cFileName;
    data->ShortName = SRec.cAlternateFileName;
    data->Attr = SRec.dwFileAttributes;
    data->IsRecycleBin = (SRec.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !ParentNode(Parent) &&
                         UpperCase(data->DirName) == L"RECYCLED";
    if (IShellFolder* folder = ParentFolderOf(Parent)) {
        LPITEMIDLIST pidl = nullptr;
        ULONG attrs = SFGAO_HASSUBFOLDER | SFGAO_SHARE | SFGAO_FOLDER;
        std::wstring name = data->DirName;
        if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &pidl, &attrs)) && pidl) {
            data->PIDL.reset(pidl);
            LPCITEMIDLIST items[1] = {pidl};
            ULONG asked = SFGAO_HASSUBFOLDER | SFGAO_SHARE | SFGAO_FOLDER;
            if (SUCCEEDED(folder->GetAttributesOf(1, items, &asked)))
                attrs = asked;
            data->ShellAttr = attrs;
        }
    }
    return InsertNode(Parent, std::move(data), TVI_LAST, false);
}

bool TDriveView::SearchHasSubDirs(const std::wstring& path) const {
    bool found = false;
    ForEachSubDir(path, L"*", [&](const WIN32_FIND_DATAW&) { found = true; });
    return found;
}

bool TDriveView::DoScanDir(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    bool scan = data && !data->IsRecycleBin && data->DirName != L"RECYCLER";
    if (OnScanDir)
        OnScanDir(this, Node, scan);
    return scan;
}

void TDriveView::SortChildren(HTREEITEM Node, bool Recursive) {
    if (!Node)
        throw ENodeNotAssigned("SortChildren");
    TreeView_SortChildren(Handle(), Node, FALSE);
    if (!Recursive)
        return;
    for (HTREEITEM child = FirstChild(Node); child; child = NextSibling(child))
        if (FirstChild(child))
            SortChildren(child, true);
}

// --- reading -----------------------------------------------------------------------------------------------------

void TDriveView::ReadSubDirs(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("ReadSubDirs");
    const std::wstring path = GetDirPath(Node);
    bool added = false;
    ForEachSubDir(path, L"*.*", [&](const WIN32_FIND_DATAW& fd) {
        HTREEITEM child = AddChildNode(Node, fd);
        if (!child)
            return;
        added = true;
        TNodeData* childData = GetNodeData(child);
        if (DoScanDir(child)) {
            // The shell's answer spares reading the folder; without a shell identifier the disk is asked.
            bool has = childData->PIDL ? (childData->ShellAttr & SFGAO_HASSUBFOLDER) != 0
                                       : SearchHasSubDirs(path + L"\\" + childData->DirName);
            SetHasChildren(child, has);
            childData->Scanned = !has;
        } else {
            SetHasChildren(child, false);
            childData->Scanned = true;
        }
    });
    data->Scanned = true;
    if (added)
        SortChildren(Node, false);
    else
        SetHasChildren(Node, false);
    gui::Application.ProcessMessages();
}

void TDriveView::ReadSubTreeRecursive(HTREEITEM Node, int& counter) {
    const std::wstring path = GetDirPath(Node);
    ForEachSubDir(path, L"*.*", [&](const WIN32_FIND_DATAW& fd) {
        HTREEITEM child = AddChildNode(Node, fd);
        if (!child)
            return;
        GetNodeData(child)->Scanned = true;
        if (++counter % 10 == 0)
            gui::Application.ProcessMessages();
        if (DoScanDir(child))
            ReadSubTreeRecursive(child, counter);
        SetHasChildren(child, FirstChild(child) != nullptr);
    });
    GetNodeData(Node)->Scanned = true;
}

void TDriveView::FullScanDrive(wchar_t Drive) {
    TDriveStatus& status = Status(Drive);
    HTREEITEM root = status.RootNode;
    if (!root)
        return;
    THourGlass wait;
    BeginUpdate();
    try {
        if (OnStartScan)
            OnStartScan(this);
        for (HTREEITEM child = FirstChild(root); child; child = FirstChild(root))
            DeleteNode(child);
        int counter = 0;
        if (DoScanDir(root))
            ReadSubTreeRecursive(root, counter);
        status.Scanned = true;
        status.Verified = true;
        SortChildren(root, true);
        SetHasChildren(root, FirstChild(root) != nullptr);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Expand(root, true);
    if (OnEndScan)
        OnEndScan(this);
}

void TDriveView::ScanDrive(wchar_t Drive) {
    TDriveStatus& status = Status(Drive);
    if (!status.RootNode)
        return;
    if (fullDriveScan_) {
        FullScanDrive(Drive);
    } else {
        ValidateDirectory(status.RootNode);
        status.Scanned = true;
    }
}

void TDriveView::DeleteSubNodes(HTREEITEM Node) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("DeleteSubNodes");
    for (HTREEITEM child = FirstChild(Node); child; child = FirstChild(Node))
        DeleteNode(child);
    SetHasChildren(Node, false);
    if (!ParentNode(Node))
        Status(GetDrive(Node)).Scanned = false;
}

bool TDriveView::CanExpand(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        return true;
    if (!ParentNode(Node)) {
        wchar_t drive = GetDrive(Node);
        if (drive >= L'C' && !Status(drive).Scanned && !FirstChild(Node)) {
            ScanDrive(drive);
            SetHasChildren(Node, FirstChild(Node) != nullptr);
            if (!Status(drive).DiscMonitor)
                CreateWatchThread(drive);
            return true;
        }
    }
    if (!data->Scanned && DoScanDir(Node)) {
        THourGlass wait;
        ReadSubDirs(Node);
    }
    return true;
}

void TDriveView::ExpandLevel(HTREEITEM Node, int Level) {
    if (!Node)
        throw ENodeNotAssigned("ExpandLevel");
    if (Level <= 0)
        return;
    Expand(Node, true);
    for (HTREEITEM child = FirstChild(Node); child; child = NextSibling(child))
        ExpandLevel(child, Level - 1);
}

// --- validating --------------------------------------------------------------------------------------------------

void TDriveView::ValidateDirectoryIfNeeded(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (data && !data->Scanned)
        ValidateDirectoryEx(Node, 3, false);
}

void TDriveView::ValidateDirectoryEx(HTREEITEM Node, int ScanMode, bool ReadUnscanned) {
    if (!GetNodeData(Node) || validating_ || !DoScanDir(Node))
        return;
    const std::wstring remembered = Directory();
    THourGlass wait(Focused());
    const wchar_t drive = GetDrive(Node);
    if (!ParentNode(Node))
        Status(drive).ChangeTimer->SetEnabled(false);
    const bool watcherWasActive = WatchThreadActiveOnDrive(drive);
    if (watcherWasActive)
        Status(drive).DiscMonitor->Stop();
    validating_ = true;
    try {
        ValidateNode(Node, true, ScanMode, ReadUnscanned);
    } catch (...) {
        validating_ = false;
        throw;
    }
    validating_ = false;
    if (!Selected()) {
        if (remembered.size() >= 3)
            SetDirectory(remembered.substr(0, 3));
    } else if (Directory() != remembered) {
        RunChangeHandling(Selected());
    }
    if (watcherWasActive && watchDirectory_ && Status(drive).DiscMonitor)
        Status(drive).DiscMonitor->Start();
}

void TDriveView::ValidateNode(HTREEITEM Node, bool isStart, int scanMode, bool readUnscanned) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        return;
    const std::wstring path = GetDirPath(Node);
    if (isStart && ParentNode(Node) && !DirExists(path)) {
        HTREEITEM parent = ParentNode(Node);
        HTREEITEM selected = Selected();
        for (HTREEITEM s = selected; s; s = ParentNode(s))
            if (s == Node) {
                SelectNode(parent);
                break;
            }
        if (dropTarget_ == Node)
            dropTarget_ = nullptr;
        DeleteNode(Node);
        return;
    }
    if (!FirstChild(Node)) {
        if (!data->Scanned && !isStart && !readUnscanned)
            return;
        if (DoScanDir(Node))
            ReadSubDirs(Node);
    } else if (data->Scanned || isStart || readUnscanned) {
        // Compare the child nodes with the folders on disk.
        std::map<std::wstring, HTREEITEM> children;
        for (HTREEITEM child = FirstChild(Node); child; child = NextSibling(child))
            children.emplace(UpperCase(GetDirName(child)), child);
        std::set<HTREEITEM> keep;
        bool added = false;
        ForEachSubDir(path, L"*.*", [&](const WIN32_FIND_DATAW& fd) {
            auto it = children.find(UpperCase(fd.cFileName));
            if (it != children.end()) {
                keep.insert(it->second);
                TNodeData* childData = GetNodeData(it->second);
                if (childData->DirName != fd.cFileName) {
                    childData->DirName = fd.cFileName;
                    wchar_t shortPath[MAX_PATH + 1] = {};
                    std::wstring full = path + L"\\" + fd.cFileName;
                    if (GetShortPathNameW(full.c_str(), shortPath, MAX_PATH + 1)) {
                        std::wstring s = shortPath;
                        childData->ShortName = s.substr(s.find_last_of(L'\\') + 1);
                    }
                    SetNodeText(it->second, GetDisplayName(it->second));
                }
                return;
            }
            HTREEITEM child = AddChildNode(Node, fd);
            if (!child)
                return;
            keep.insert(child);
            added = true;
            bool has = SearchHasSubDirs(path + L"\\" + fd.cFileName);
            SetHasChildren(child, has);
            GetNodeData(child)->Scanned = !has;
        });
        for (auto& [name, child] : children) {
            if (keep.count(child))
                continue;
            for (HTREEITEM s = Selected(); s; s = ParentNode(s))
                if (s == child) {
                    SelectNode(Node);
                    break;
                }
            if (dropTarget_ == child)
                dropTarget_ = nullptr;
            DeleteNode(child);
        }
        if (added)
            SortChildren(Node, false);
        SetHasChildren(Node, FirstChild(Node) != nullptr);
        data->Scanned = true;
    }
    if (scanMode == 0)
        return;
    for (HTREEITEM child = FirstChild(Node); child; child = NextSibling(child)) {
        bool descend = scanMode == 1 || (scanMode == 2 && FirstChild(child)) || (scanMode == 3 && NodeExpanded(child));
        if (descend)
            ValidateNode(child, false, scanMode, readUnscanned);
    }
}

// --- root nodes --------------------------------------------------------------------------------------------------

void TDriveView::RefreshRootNodes(bool ScanDirectory, unsigned Flags) {
    const DWORD present = ReadDrives ? DriveInfo.PresentDrives() : 0;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        TDriveStatus& status = Status(letter);
        const bool hadRoot = status.RootNode != nullptr;
        const DWORD oldSerial = DriveInfo.Data(letter).DriveSerial;
        unsigned flags = Flags;
        if (!(Flags & kReadNamesAlways) && !DriveInfo.Data(letter).DisplayName.empty())
            flags &= ~dsDisplayName;
        if (ReadDrives)
            DriveInfo.ReadDriveStatus(letter, flags & (dsImageIndex | dsSize | dsDisplayName), present);
        const TDriveInfoRec rec = DriveInfo.Data(letter);

        if (!rec.Valid) {
            if (!hadRoot)
                continue;
            HTREEITEM gone = status.RootNode;
            const std::wstring current = Directory();
            if (!current.empty() && std::towupper(current[0]) == letter) {
                HTREEITEM previous = TreeView_GetPrevSibling(Handle(), gone);
                HTREEITEM other = previous ? previous : TreeView_GetNextSibling(Handle(), gone);
                if (other)
                    SelectNode(other);
            }
            TerminateWatchThread(letter);
            status.Scanned = false;
            status.Verified = false;
            status.RootNode = nullptr;
            DeleteNode(gone);
            continue;
        }

        if (hadRoot) {
            TNodeData* data = GetNodeData(status.RootNode);
            TVITEMW item{};
            item.mask = TVIF_IMAGE;
            item.hItem = status.RootNode;
            if (data && !data->IconEmpty && rec.ImageIndex > 0 && TreeView_GetItem(Handle(), &item) &&
                item.iImage != rec.ImageIndex) {
                item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
                item.iImage = item.iSelectedImage = rec.ImageIndex;
                TreeView_SetItem(Handle(), &item);
            }
        } else {
            HTREEITEM next = nullptr;
            for (wchar_t later = letter + 1; later <= L'Z' && !next; ++later)
                next = Status(later).RootNode;
            auto data = std::make_unique<TNodeData>();
            data->DirName = std::wstring(1, letter) + L":\\";
            if (letter >= L'C' && drivesFolder_) {
                LPITEMIDLIST pidl = nullptr;
                ULONG attrs = SFGAO_SHARE | SFGAO_HASSUBFOLDER;
                std::wstring root = data->DirName;
                if (SUCCEEDED(drivesFolder_->ParseDisplayName(nullptr, nullptr, root.data(), nullptr, &pidl, &attrs)) &&
                    pidl) {
                    data->PIDL.reset(pidl);
                    data->ShellAttr = attrs;
                }
            }
            // Inserted before the next drive's root keeps the roots in letter order.
            HTREEITEM after = TVI_LAST;
            if (next) {
                HTREEITEM before = TreeView_GetPrevSibling(Handle(), next);
                after = before ? before : TVI_FIRST;
            }
            status.RootNode = InsertNode(nullptr, std::move(data), after, true);
            status.Scanned = false;
            status.Verified = false;
        }

        if (letter >= L'C' && status.Scanned && ScanDirectory && rec.DriveSerial != oldSerial)
            ScanDrive(letter);
        if (status.RootNode) {
            std::wstring text = GetDisplayName(status.RootNode);
            if (NodeText(status.RootNode) != text)
                SetNodeText(status.RootNode, text);
        }
    }
}

// --- change watching ---------------------------------------------------------------------------------------------

void TDriveView::CreateWatchThread(wchar_t Drive) {
    wchar_t letter = static_cast<wchar_t>(std::towupper(Drive));
    if (letter < L'A' || letter > L'Z' || !watchDirectory_ || Status(letter).DiscMonitor)
        return;
    if (noCheckDrives_.find(letter) != std::wstring::npos)
        return;
    if (DriveInfo.Data(letter).DriveType == DRIVE_REMOTE)
        return;
    auto monitor = std::make_unique<TDiscMonitor>();
    monitor->SetDirectory(std::wstring(1, letter) + L":\\");
    monitor->SetSubTree(true);
    monitor->SetFilters({moDirName});
    monitor->SetChangeDelay(50);
    monitor->OnChange = [this, letter](TDiscMonitor*) {
        gui::TTimer* timer = Status(letter).ChangeTimer;
        timer->SetEnabled(false);
        timer->SetInterval(changeInterval_);
        timer->SetEnabled(true);
    };
    monitor->OnInvalid = [this, letter](TDiscMonitor*) { WatcherInvalid(letter); };
    Status(letter).DiscMonitor = monitor.get();
    monitors_[letter - L'A'] = std::move(monitor);
    Status(letter).DiscMonitor->Start();
}

void TDriveView::ChangeTimerFired(wchar_t drive) {
    Status(drive).ChangeTimer->SetEnabled(false);
    if (HTREEITEM root = Status(drive).RootNode)
        ValidateDirectory(root);
    if (OnChangeDetected)
        OnChangeDetected(this, drive);
}

void TDriveView::WatcherInvalid(wchar_t drive) {
    if (Status(drive).DiscMonitor)
        Status(drive).DiscMonitor->Stop();
    if (OnChangeInvalid)
        OnChangeInvalid(this, drive);
}

void TDriveView::StartWatchThread() {
    wchar_t drive = GetSelectedDrive();
    if (!drive || !watchDirectory_)
        return;
    if (TDiscMonitor* monitor = Status(drive).DiscMonitor) {
        if (!monitor->Active())
            monitor->Start();
    } else {
        CreateWatchThread(drive);
    }
}

void TDriveView::StopWatchThread() {
    wchar_t drive = GetSelectedDrive();
    if (drive && Status(drive).DiscMonitor)
        Status(drive).DiscMonitor->Stop();
}

void TDriveView::TerminateWatchThread(wchar_t Drive) {
    wchar_t letter = static_cast<wchar_t>(std::towupper(Drive));
    if (letter < L'A' || letter > L'Z')
        return;
    Status(letter).DiscMonitor = nullptr;
    monitors_[letter - L'A'].reset();
}

void TDriveView::StartAllWatchThreads() {
    if (!watchDirectory_)
        return;
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        if (!Status(letter).Scanned)
            continue;
        if (TDiscMonitor* monitor = Status(letter).DiscMonitor) {
            if (!monitor->Active())
                monitor->Start();
        } else {
            CreateWatchThread(letter);
        }
    }
    wchar_t selected = GetSelectedDrive();
    if (selected == L'A' || selected == L'B')
        StartWatchThread();
}

void TDriveView::StopAllWatchThreads() {
    for (auto& monitor : monitors_)
        if (monitor)
            monitor->Stop();
}

bool TDriveView::WatchThreadActiveOnDrive(wchar_t Drive) const {
    wchar_t letter = static_cast<wchar_t>(std::towupper(Drive));
    if (letter < L'A' || letter > L'Z')
        return false;
    const TDiscMonitor* monitor = Status(letter).DiscMonitor;
    return monitor && monitor->Active();
}

bool TDriveView::WatchThreadActive() const {
    wchar_t drive = GetSelectedDrive();
    return drive && WatchThreadActiveOnDrive(drive);
}

bool TDriveView::CanUndo() const {
    return fileOperator_.CanUndo();
}

void TDriveView::SetWatchDirectory(bool Value) {
    if (Value == watchDirectory_)
        return;
    watchDirectory_ = Value;
    if (Value)
        StartAllWatchThreads();
    else
        StopAllWatchThreads();
}

void TDriveView::SetChangeInterval(unsigned Value) {
    if (Value == 0)
        return;
    changeInterval_ = Value;
    for (auto& timer : timers_)
        timer->SetInterval(Value);
}

void TDriveView::SetNoCheckDrives(const std::wstring& Value) {
    noCheckDrives_ = UpperCase(Value);
}
