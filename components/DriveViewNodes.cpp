// TDriveView: the current folder and selection, node texts, images and sizes, rename, keys and the notifications
// of the tree control.
#include "components/BaseUtils.h"
#include "components/DriveView.h"
#include "core/TextEncoding.h"
#include "win/Handles.h"
#include "gui/MessageBox.h"
#include "core/TextUtil.h"
#include "win/SystemText.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

namespace {

// Posted to the view to reopen the label editor after a failed rename, once the current editing has ended.
constexpr UINT kReEditMessage = 1081;

// The characters no folder name may hold, in the order the message lists them.
constexpr wchar_t kForbiddenChars[] = L"\\/:*?\"<>|";

WORD UserPrimaryLanguage() {
    return PRIMARYLANGID(GetUserDefaultLangID());
}

// The rename failure texts of the directory list view, in its language choice.
std::wstring AlreadyExistsText() {
    switch (UserPrimaryLanguage()) {
    case LANG_GERMAN:
        return L"Datei oder Verzeichnis ist bereits vorhanden: ";
    default:
        return L"File allready exists: ";
    }
}

std::wstring CannotRenameText() {
    switch (UserPrimaryLanguage()) {
    case LANG_GERMAN:
        return L"Datei oder Verzeichnis kann nicht umbenannt werden: ";
    case LANG_FRENCH:
        return L"Ne peux renommer le fichier: ";
    default:
        return L"Can't rename file or directory: ";
    }
}

// The label editor drops the characters no folder name may hold, with a beep, before they reach the text.
LRESULT CALLBACK LabelEditFilter(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_CHAR && wParam != 0 && wcschr(kForbiddenChars, static_cast<wchar_t>(wParam))) {
        MessageBeep(MB_OK);
        return 0;
    }
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(edit, LabelEditFilter, id);
    return DefSubclassProc(edit, msg, wParam, lParam);
}

std::uint32_t Saturated(std::uint64_t sum) {
    // The largest value that still reads as computed: all bits set means "not computed".
    return sum >= 0xFFFFFFFEull ? 0xFFFFFFFEu : static_cast<std::uint32_t>(sum);
}

} // namespace

// --- the current folder ------------------------------------------------------------------------------------------

std::wstring TDriveView::Directory() const {
    HTREEITEM selected = Selected();
    if (!GetNodeData(selected))
        return {};
    std::wstring path = GetDirPath(selected);
    if (path.size() == 2 && path[1] == L':')
        path += L'\\';
    return path;
}

void TDriveView::SetDirectory(const std::wstring& Value) {
    std::wstring path = Value;
    HTREEITEM node = nullptr;
    wchar_t readNow = 0;
    while (path.size() >= 3) {
        const wchar_t letter = static_cast<wchar_t>(std::towupper(path[0]));
        const bool unread = letter >= L'A' && letter <= L'Z' && !Status(letter).Scanned;
        node = FindNodeToPath(path);
        if (unread && Status(letter).Scanned)
            readNow = letter;
        if (node)
            break;
        // One level up; the folder of "X:\y" is the root "X:\" with its backslash.
        std::wstring trimmed = path.size() > 3 ? RemoveTrailingBackslash(path) : path;
        size_t slash = trimmed.find_last_of(L'\\');
        if (slash == std::wstring::npos)
            break;
        std::wstring up = slash <= 2 ? trimmed.substr(0, 3) : trimmed.substr(0, slash);
        if (up == path)
            break;
        path = up;
    }
    if (!node)
        return;
    leftButtonUp_ = true;
    TreeView_EnsureVisible(Handle(), node);
    // The drive's folders were read from disk just now on the way to the node: the change handling of this
    // selection has no older reading of them to bring in line, even when it meets the disk's serial for the first
    // time.
    readThisChange_ = readNow;
    try {
        SelectNode(node);
    } catch (...) {
        readThisChange_ = 0;
        throw;
    }
    readThisChange_ = 0;
    HTREEITEM selected = Selected();
    if (selected && !ParentNode(selected)) {
        wchar_t drive = GetDrive(selected);
        if (!Status(drive).Scanned)
            ScanDrive(drive);
    }
}

void TDriveView::SelectNode(HTREEITEM Node) {
    changeHandled_ = false;
    if (Selected() != Node)
        SetSelected(Node);
    if (!changeHandled_ && Selected())
        RunChangeHandling(Selected());
}

wchar_t TDriveView::GetSelectedDrive() const {
    HTREEITEM selected = Selected();
    return GetNodeData(selected) ? GetDrive(selected) : L'\0';
}

void TDriveView::SelectDrive(wchar_t Drive) {
    wchar_t letter = static_cast<wchar_t>(std::towupper(Drive));
    if (letter < L'A' || letter > L'Z' || letter == GetSelectedDrive())
        return;
    TDriveStatus& status = Status(letter);
    if (!status.RootNode)
        return;
    if (status.DefaultDir.empty())
        status.DefaultDir = std::wstring(1, letter) + L":\\";
    // Taken before the root is selected: selecting it makes the root the drive's last folder.
    const std::wstring target = WithTrailingBackslash(status.DefaultDir);
    if (!status.Scanned)
        Expand(status.RootNode, true);
    SelectNode(status.RootNode);
    SetDirectory(target);
}

HTREEITEM TDriveView::FindNodeToPath(std::wstring Path) {
    if (Path.size() < 3)
        return nullptr;
    wchar_t letter = static_cast<wchar_t>(std::towupper(Path[0]));
    if (letter < L'A' || letter > L'Z')
        throw EConvertError(Utf8FromWide(Path.substr(0, 1)) + " is a invalid drive letter.");
    HTREEITEM node = Status(letter).RootNode;
    if (!node)
        return nullptr;
    std::wstring rest = UpperCase(Path.substr(3));
    if (rest.empty())
        return node;
    if (!Status(letter).Scanned)
        ScanDrive(letter);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos)
            end = rest.size();
        std::wstring part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            if (end == rest.size())
                break;
            continue;
        }
        TNodeData* data = GetNodeData(node);
        if (!data->Scanned)
            ReadSubDirs(node);
        if (!FirstChild(node))
            ValidateDirectoryEx(node, 2, true);
        HTREEITEM match = nullptr;
        for (HTREEITEM child = FirstChild(node); child && !match; child = NextSibling(child)) {
            TNodeData* childData = GetNodeData(child);
            if (childData && (UpperCase(childData->DirName) == part || UpperCase(childData->ShortName) == part))
                match = child;
        }
        if (!match)
            return nullptr;
        node = match;
        if (end == rest.size())
            break;
    }
    return node;
}

// --- change of the selection -------------------------------------------------------------------------------------

bool TDriveView::CanChange(HTREEITEM Node) {
    // While the left button is down a click only marks its node; the selection moves when the button is released,
    // so that a drag starting on another node leaves the current folder alone.
    if (!leftButtonUp_ && GetNodeData(Node) && Node != Selected()) {
        dropTarget_ = Node;
        TreeView_SelectDropTarget(Handle(), Node);
        return false;
    }
    return true;
}

void TDriveView::LeftButtonReleased() {
    leftButtonUp_ = true;
    HTREEITEM target = dropTarget_;
    if (!target)
        return;
    dropTarget_ = nullptr;
    TreeView_SelectDropTarget(Handle(), nullptr);
    SelectNode(target);
}

void TDriveView::Change(HTREEITEM Node) {
    RunChangeHandling(Node);
}

void TDriveView::RunChangeHandling(HTREEITEM Node) {
    if (!GetNodeData(Node))
        return;
    const std::wstring path = GetDirPath(Node);
    if (path == lastPath_)
        return;
    changeHandled_ = true;
    lastPath_ = path;
    const wchar_t drive = GetDrive(Node);
    const DWORD oldSerial = DriveInfo.Data(drive).DriveSerial;
    DriveInfo.ReadDriveStatus(drive, dsImageIndex | dsSize);
    const TDriveInfoRec rec = DriveInfo.Data(drive);

    if (driveBox_)
        driveBox_->DriveBoxSetDrive(drive);
    if (dirView_ && dirView_->Path() != path)
        dirView_->SetPath(path);

    TDriveStatus& status = Status(drive);
    const wchar_t previous = previousDrive_;
    const bool driveChanged = drive != previous;
    previousDrive_ = drive;
    if (rec.DriveReady) {
        if (!DirExists(path)) {
            // The folder went away behind our back: bring the drive's tree in line, which moves the selection.
            if (status.RootNode)
                ValidateDirectory(status.RootNode);
            return;
        }
        status.DefaultDir = WithTrailingBackslash(path);
        if (driveChanged) {
            if (previous && DriveInfo.Data(previous).DriveType == DRIVE_REMOVABLE)
                TerminateWatchThread(previous);
            if (rec.DriveSerial != oldSerial || rec.DriveSerial == 0) {
                if (status.Scanned && drive != readThisChange_)
                    ScanDrive(drive);
                if (OnInsertedDiskChange)
                    OnInsertedDiskChange(this, drive);
            }
            if (OnDiskChange)
                OnDiskChange(this, drive);
        }
        StartWatchThread();
    } else {
        if (status.RootNode) {
            for (HTREEITEM child = FirstChild(status.RootNode); child; child = FirstChild(status.RootNode))
                DeleteNode(child);
            GetNodeData(status.RootNode)->Scanned = false;
            status.Scanned = false;
        }
        status.DefaultDir.clear();
        if (driveChanged) {
            if (OnInsertedDiskChange)
                OnInsertedDiskChange(this, drive);
            if (OnDiskChange)
                OnDiskChange(this, drive);
        }
    }
}

void TDriveView::Delete(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (Node == dropTarget_)
        dropTarget_ = nullptr;
    if (Node == reEditNode_)
        reEditNode_ = nullptr;
    for (TDriveStatus& status : drives_)
        if (status.RootNode == Node)
            status.RootNode = nullptr;
    if (data)
        nodeData_.erase(data);
}

// --- texts, images and sizes -------------------------------------------------------------------------------------

std::wstring TDriveView::GetDisplayName(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("GetDisplayName");
    std::wstring text;
    if (!ParentNode(Node)) {
        wchar_t drive = static_cast<wchar_t>(std::towupper(data->DirName[0]));
        std::wstring pretty = showVolLabel_ ? DriveInfo.PrettyName(drive) : std::wstring();
        if (!pretty.empty()) {
            switch (volDisplayStyle_) {
            case doPrettyName:
                text = pretty;
                break;
            case doDisplayName:
                text = DriveInfo.DisplayName(drive);
                break;
            case doLongPrettyName:
                text = DriveInfo.LongPrettyName(drive);
                break;
            }
        } else {
            text = std::wstring(1, drive) + L":";
        }
    } else {
        text = data->DirName;
        if (fileNameDisplay_ != fndNice)
            text = FormatDisplayName(fileNameDisplay_, text);
        else if (!text.empty() && text.size() <= 8)
            text = FormatDisplayName(fndCap, text.substr(0, 1)) + FormatDisplayName(fndNoCap, text.substr(1));
    }
    if (showDirSize_)
        text += L" = " + FormatDirSize(GetDirSize(Node));
    return text;
}

std::wstring TDriveView::FormatDirSize(std::uint32_t Bytes) {
    std::uint32_t kilo = Bytes == 0 ? 0 : (Bytes < 1024 ? 1 : Bytes / 1024);
    if (kilo > 99999)
        return FormatWithThousands(kilo / 1024) + L"M";
    return FormatWithThousands(kilo) + L"K";
}

std::uint32_t TDriveView::GetDirSize(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("GetDirSize");
    if (data->DirSize == TNodeData::kDirSizeUnknown)
        SetDirSize(Node);
    return data->DirSize;
}

void TDriveView::SetDirSize(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("SetDirSize");
    std::uint64_t sum = 0;
    WIN32_FIND_DATAW fd{};
    if (const win::UniqueFind find(FindFirstFileW((GetDirPath(Node) + L"\\*.*").c_str(), &fd)); find) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                sum += (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        } while (FindNextFileW(find.get(), &fd));
    }
    data->DirSize = Saturated(sum);
}

void TDriveView::RefreshDirSize(HTREEITEM Node) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("RefreshDirSize");
    SetDirSize(Node);
    if (showDirSize_)
        SetNodeText(Node, GetDisplayName(Node));
}

std::uint32_t TDriveView::GetSubTreeSize(HTREEITEM Node) {
    if (!GetNodeData(Node))
        throw ENodeNotAssigned("GetSubTreeSize");
    THourGlass wait;
    ValidateDirectoryEx(Node, 1, true);
    struct Walk {
        TDriveView& view;
        std::uint64_t operator()(HTREEITEM node) const {
            view.SetDirSize(node);
            std::uint64_t sum = view.GetNodeData(node)->DirSize;
            for (HTREEITEM child = view.FirstChild(node); child; child = view.NextSibling(child))
                sum += (*this)(child);
            return std::min<std::uint64_t>(sum, 0xFFFFFFFEull);
        }
    };
    return Saturated(Walk{*this}(Node));
}

void TDriveView::UpdateNodeImage(HTREEITEM Node) {
    TNodeData* data = GetNodeData(Node);
    if (!data || !data->IconEmpty)
        return;
    data->IconEmpty = false;
    int image = 0;
    int selectedImage = 0;
    SHFILEINFOW info{};
    if (!ParentNode(Node)) {
        wchar_t drive = static_cast<wchar_t>(std::towupper(data->DirName[0]));
        image = selectedImage = DriveInfo.ImageIndex(drive);
    } else {
        // The standard folder images stand in when the path's own icon cannot be had.
        SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
        int closed = info.iIcon;
        SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON | SHGFI_USEFILEATTRIBUTES);
        int open = info.iIcon;
        image = closed;
        selectedImage = open;
        if (DriveInfo.Data(GetDrive(Node)).DriveType != DRIVE_REMOTE) {
            const std::wstring path = GetDirPath(Node);
            HIMAGELIST list = TreeView_GetImageList(Handle(), TVSIL_NORMAL);
            int count = list ? ImageList_GetImageCount(list) : 0;
            if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) &&
                info.iIcon >= 1 && info.iIcon < count) {
                image = info.iIcon;
                if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info,
                                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON))
                    selectedImage = info.iIcon;
            }
        }
    }
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = Node;
    item.iImage = image;
    item.iSelectedImage = selectedImage;
    TreeView_SetItem(Handle(), &item);
}

void TDriveView::CenterNode(HTREEITEM Node) {
    if (!Node || NodeCount() == 0)
        return;
    TreeView_EnsureVisible(Handle(), Node);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(Handle(), SB_VERT, &si) || si.nMax <= si.nMin)
        return;
    const int height = ClientHeight();
    auto nodeTop = [&] {
        RECT r{};
        TreeView_GetItemRect(Handle(), Node, &r, TRUE);
        return r;
    };
    for (int guard = 0; guard < 10000; ++guard) {
        GetScrollInfo(Handle(), SB_VERT, &si);
        RECT r = nodeTop();
        if (r.top < height / 4 && si.nPos > 0)
            SendMessageW(Handle(), WM_VSCROLL, SB_LINEUP, 0);
        else if (r.top > height * 3 / 4 && si.nPos + static_cast<int>(si.nPage) <= si.nMax && si.nPage != 0)
            SendMessageW(Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
        else
            break;
    }
    if (nodeTop().left < 50)
        SendMessageW(Handle(), WM_HSCROLL, SB_PAGELEFT, 0);
}

// --- properties --------------------------------------------------------------------------------------------------

void TDriveView::RefreshTexts() {
    BeginUpdate();
    struct Walk {
        TDriveView& view;
        void operator()(HTREEITEM node) const {
            for (; node; node = view.NextSibling(node)) {
                if (view.GetNodeData(node))
                    view.SetNodeText(node, view.GetDisplayName(node));
                (*this)(view.FirstChild(node));
            }
        }
    };
    try {
        Walk{*this}(TreeView_GetRoot(Handle()));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TDriveView::SetDimmHiddenDirs(bool Value) {
    if (Value == dimmHiddenDirs_)
        return;
    dimmHiddenDirs_ = Value;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDriveView::SetCompressedColor(COLORREF Value) {
    if (Value == compressedColor_)
        return;
    compressedColor_ = Value;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDriveView::SetShowDirSize(bool Value) {
    if (Value == showDirSize_)
        return;
    showDirSize_ = Value;
    THourGlass wait;
    RefreshTexts();
}

void TDriveView::SetShowVolLabel(bool Value) {
    if (Value == showVolLabel_)
        return;
    showVolLabel_ = Value;
    RefreshTexts();
}

void TDriveView::SetVolDisplayStyle(TVolumeDisplayStyle Value) {
    if (Value == volDisplayStyle_)
        return;
    volDisplayStyle_ = Value;
    RefreshTexts();
}

void TDriveView::SetFileNameDisplay(TFileNameDisplay Value) {
    if (Value == fileNameDisplay_)
        return;
    fileNameDisplay_ = Value;
    RefreshTexts();
}

void TDriveView::SetDirView(TDirView* Value) {
    if (Value == dirView_)
        return;
    if (dirView_ && dirView_->DriveView() == this)
        dirView_->SetDriveView(nullptr);
    dirView_ = Value;
    if (dirView_)
        dirView_->SetDriveView(this);
}

void TDriveView::DirViewDestroyed(TDirView* view) {
    if (view == dirView_)
        dirView_ = nullptr;
}

HTREEITEM TDriveView::FindReadNode(const std::wstring& Path) const {
    if (Path.size() < 2 || Path[1] != L':')
        return nullptr;
    wchar_t letter = static_cast<wchar_t>(std::towupper(Path[0]));
    if (letter < L'A' || letter > L'Z')
        return nullptr;
    HTREEITEM node = Status(letter).RootNode;
    std::wstring rest = Path.size() > 3 ? UpperCase(Path.substr(3)) : std::wstring();
    size_t start = 0;
    while (node && start < rest.size()) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos)
            end = rest.size();
        std::wstring part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        HTREEITEM match = nullptr;
        for (HTREEITEM child = FirstChild(node); child && !match; child = NextSibling(child)) {
            const TNodeData* data = GetNodeData(child);
            if (data && (UpperCase(data->DirName) == part || UpperCase(data->ShortName) == part))
                match = child;
        }
        node = match;
    }
    return node;
}

bool TDriveView::NodeRecycleBinFlag(const std::wstring& Dir, bool& IsRecycleBin) {
    const TNodeData* data = GetNodeData(FindReadNode(Dir));
    if (!data)
        return false;
    IsRecycleBin = data->IsRecycleBin;
    return true;
}

void TDriveView::NoSubDirectoriesFound(const std::wstring& Dir) {
    HTREEITEM node = FindReadNode(Dir);
    TNodeData* data = GetNodeData(node);
    if (!data || data->Scanned)
        return;
    SetHasChildren(node, false);
    data->Scanned = true;
}

void TDriveView::SetDriveComboBox(TDriveViewDriveBox* Value) {
    driveBox_ = Value;
}

// --- rename ------------------------------------------------------------------------------------------------------

std::wstring TDriveView::InvalidDirNameMessage() {
    std::wstring spread;
    for (const wchar_t* c = kForbiddenChars; *c; ++c) {
        if (!spread.empty())
            spread += L' ';
        spread += *c;
    }
    std::wstring text;
    switch (UserPrimaryLanguage()) {
    case LANG_GERMAN:
        text = L"Verzeichnisname enth\u00E4lt ung\u00FCltige Zeichen:";
        break;
    case LANG_FRENCH:
        text = L"Le nouveau nom contient des caract\u00E8res invalides:";
        break;
    default:
        text = L"New name contains Invalid characters:";
        break;
    }
    return text + L" " + spread;
}

bool TDriveView::CanEdit(HTREEITEM Node) {
    if (Node && Node == reEditNode_)
        return true;
    TNodeData* data = GetNodeData(Node);
    // Renaming a folder while it is being dragged would pull the ground from under the drop.
    if (!data || !ParentNode(Node) || data->IsRecycleBin || Dragging())
        return false;
    if (GetWindowLongW(Handle(), GWL_STYLE) & TVS_EDITLABELS) {
        if (data->Attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM))
            return false;
        return UpperCase(NodeText(Node)) == UpperCase(data->DirName);
    }
    return false;
}

bool TDriveView::RenameNode(HTREEITEM Node, const std::wstring& NewName) {
    TNodeData* data = GetNodeData(Node);
    if (!data)
        throw ENodeNotAssigned("RenameNode");
    if (NewName.empty() || NewName == NodeText(Node))
        return false;
    if (NewName.find_first_of(kForbiddenChars) != std::wstring::npos) {
        std::wstring old = NodeText(Node);
        if (OnEdited)
            OnEdited(this, Node, old);
        throw EInvalidDirName(Utf8FromWide(InvalidDirNameMessage()));
    }
    const wchar_t drive = GetDrive(Node);
    const bool watcherWasActive = WatchThreadActiveOnDrive(drive);
    if (watcherWasActive)
        Status(drive).DiscMonitor->Stop();
    const std::wstring from = GetDirPath(Node);
    const std::wstring to = GetDirPath(ParentNode(Node)) + L"\\" + NewName;
    fileOperator_.SetOperation(foRename);
    fileOperator_.SetFlags({foAllowUndo, foNoConfirmation});
    fileOperator_.OperandFrom() = {from};
    fileOperator_.OperandTo() = {to};
    const bool ok = fileOperator_.Execute();
    if (ok) {
        data->DirName = NewName;
        wchar_t shortPath[MAX_PATH + 1] = {};
        data->ShortName.clear();
        if (GetShortPathNameW(to.c_str(), shortPath, MAX_PATH + 1)) {
            std::wstring s = shortPath;
            std::wstring shortName = s.substr(s.find_last_of(L'\\') + 1);
            if (UpperCase(shortName) != UpperCase(NewName))
                data->ShortName = shortName;
        }
        SetNodeText(Node, GetDisplayName(Node));
        SortChildren(ParentNode(Node), false);
        if (Selected() == Node)
            RunChangeHandling(Node);
    } else {
        MessageBeep(MB_ICONHAND);
        std::wstring text = (FileOrDirExists(to) ? AlreadyExistsText() : CannotRenameText()) + NewName;
        if (gui::MessageDlg(text, L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOKAbort, Handle()) ==
            gui::mrOk) {
            reEditNode_ = Node;
            reEditText_ = NewName;
            PostMessageW(Handle(), kReEditMessage, 0, 0);
        }
    }
    if (watcherWasActive && watchDirectory_ && Status(drive).DiscMonitor)
        Status(drive).DiscMonitor->Start();
    return ok;
}

void TDriveView::RenameAfterEdit(HTREEITEM Node, const std::wstring& text) {
    try {
        RenameNode(Node, text);
    } catch (const EInvalidDirName&) {
        gui::MessageDlg(InvalidDirNameMessage(), L"", gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK, Handle());
    }
}

// --- notifications, drawing, keys --------------------------------------------------------------------------------

bool TDriveView::HandleNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        bool allow = true;
        if (nm->action & TVE_EXPAND) {
            allow = CanExpand(nm->itemNew.hItem);
            if (allow && OnExpanding)
                OnExpanding(this, nm->itemNew.hItem, allow);
        }
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_SELCHANGINGW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        result = CanChange(nm->itemNew.hItem) ? FALSE : TRUE;
        return true;
    }
    case TVN_SELCHANGEDW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        Change(nm->itemNew.hItem);
        if (OnChange)
            OnChange(this, nm->itemNew.hItem);
        return true;
    }
    case TVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
        if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            UpdateNodeImage(info->item.hItem);
            TVITEMW item{};
            item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            item.hItem = info->item.hItem;
            TreeView_GetItem(Handle(), &item);
            info->item.iImage = item.iImage == I_IMAGECALLBACK ? 0 : item.iImage;
            info->item.iSelectedImage = item.iSelectedImage == I_IMAGECALLBACK ? 0 : item.iSelectedImage;
        }
        return true;
    }
    case TVN_DELETEITEMW:
        Delete(reinterpret_cast<NMTREEVIEWW*>(header)->itemOld.hItem);
        return true;
    case TVN_BEGINLABELEDITW: {
        HTREEITEM node = reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem;
        bool allow = CanEdit(node);
        if (node == reEditNode_) {
            reEditNode_ = nullptr;
            if (HWND edit = TreeView_GetEditControl(Handle()))
                SetWindowTextW(edit, reEditText_.c_str());
        }
        if (allow && OnEditing)
            OnEditing(this, node, allow);
        if (allow) {
            labelEditing_ = true;
            if (HWND edit = TreeView_GetEditControl(Handle()))
                SetWindowSubclass(edit, LabelEditFilter, 1, 0);
        }
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_ENDLABELEDITW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
        // One end per editing session: the control can report the end again while the editor goes away.
        const bool ended = labelEditing_;
        labelEditing_ = false;
        if (ended && info->item.pszText)
            RenameAfterEdit(info->item.hItem, info->item.pszText);
        result = FALSE; // the rename sets the text itself
        return true;
    }
    case NM_CUSTOMDRAW:
        result = DoCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
        return true;
    case NM_RCLICK: {
        POINT pt{};
        GetCursorPos(&pt);
        POINT client = pt;
        ScreenToClient(Handle(), &client);
        TVHITTESTINFO hit{};
        hit.pt = client;
        HTREEITEM node = TreeView_HitTest(Handle(), &hit);
        if (node && UseSystemContextMenu) {
            DisplayContextMenu(node, pt);
            result = TRUE;
        }
        return true;
    }
    default:
        return gui::TCustomTreeView::HandleNotify(header, result);
    }
}

LRESULT TDriveView::DoCustomDraw(NMTVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        auto node = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
        auto* data = reinterpret_cast<TNodeData*>(draw->nmcd.lItemlParam);
        if (!data || node == dropTarget_)
            return CDRF_DODEFAULT;
        const bool selected = (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
        if (selected && !Focused() && !(GetWindowLongW(Handle(), GWL_STYLE) & TVS_SHOWSELALWAYS)) {
            draw->clrTextBk = GetSysColor(COLOR_BTNFACE);
            draw->clrText = GetSysColor(COLOR_BTNTEXT);
        }
        if (selected)
            return CDRF_DODEFAULT;
        if (data->Attr & FILE_ATTRIBUTE_COMPRESSED)
            draw->clrText = compressedColor_;
        if ((data->Attr & FILE_ATTRIBUTE_HIDDEN) && dimmHiddenDirs_)
            draw->clrText = GetSysColor(COLOR_GRAYTEXT);
        if (data->Bold) {
            draw->clrText = ColorBold;
            LOGFONTW lf{};
            HFONT current = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
            if (!current)
                current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
            GetObjectW(current, sizeof lf, &lf);
            lf.lfWeight = FW_BOLD;
            // Kept until the next bold item: the control draws with it after this handler returns.
            static win::UniqueFont bold;
            bold.reset(CreateFontIndirectW(&lf));
            SelectObject(draw->nmcd.hdc, bold.get()); // the control puts its own font back itself
            return CDRF_NEWFONT;
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void TDriveView::KeyDownHandler(WORD& Key, gui::TShiftState Shift) {
    HTREEITEM selected = Selected();
    if (TreeView_GetEditControl(Handle()))
        return;
    if (Key == VK_RETURN && (Shift & gui::ssAlt)) {
        if (selected)
            DisplayPropertiesMenu(selected);
        Key = 0;
    } else if (Key == VK_MULTIPLY) {
        if (selected)
            TreeView_EnsureVisible(Handle(), selected);
    } else if (Key == VK_DIVIDE) {
        if (selected) {
            TreeView_Expand(Handle(), selected, TVE_COLLAPSE);
            for (HTREEITEM child = FirstChild(selected); child; child = NextSibling(child))
                TreeView_Expand(Handle(), child, TVE_COLLAPSE);
            TreeView_EnsureVisible(Handle(), selected);
        }
        Key = 0;
    } else if ((Key == VK_RETURN || Key == VK_SPACE) && selected) {
        TreeView_Expand(Handle(), selected, TVE_TOGGLE);
        Key = 0;
    }
}

LRESULT TDriveView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND window = Handle();
    const LRESULT result = TreeMessage(msg, wParam, lParam);
    if (dragDropWatcher_)
        dragDropWatcher_->ControlMessage(window, msg, wParam, lParam);
    return result;
}

LRESULT TDriveView::TreeMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        // The control tracks the mouse inside its button-down handling and may swallow the release.
        leftButtonUp_ = false;
        LRESULT result = gui::TCustomTreeView::WndProc(msg, wParam, lParam);
        LeftButtonReleased();
        return result;
    }
    case WM_LBUTTONUP: {
        LRESULT result = gui::TCustomTreeView::WndProc(msg, wParam, lParam);
        LeftButtonReleased();
        return result;
    }
    case kReEditMessage:
        if (reEditNode_)
            TreeView_EditLabel(Handle(), reEditNode_);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        KeyDownHandler(key, gui::KeyboardShiftState());
        if (key == 0)
            return 0;
        break;
    }
    case WM_KEYUP:
        if (wParam == VK_APPS) {
            if (HTREEITEM selected = Selected()) {
                RECT r{};
                TreeView_GetItemRect(Handle(), selected, &r, TRUE);
                POINT pt{r.left, r.top + 20};
                ClientToScreen(Handle(), &pt);
                DisplayContextMenu(selected, pt);
            }
            return 0;
        }
        break;
    default:
        break;
    }
    return gui::TCustomTreeView::WndProc(msg, wParam, lParam);
}
