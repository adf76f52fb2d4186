// The main window's navigation and view commands: folder history, drive boxes, level up and root, and the view
// options of the "Ansicht" menu. The drive tree of each side owns its folder; everything here moves the tree.
#include "app/main/Ostrel_Unit.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

namespace {

void ChainNodeEvent(gui::TNodeEvent& event, std::function<void(HTREEITEM)> extra) {
    gui::TNodeEvent previous = std::move(event);
    event = [previous = std::move(previous), extra = std::move(extra)](gui::TComponent* sender, HTREEITEM node) {
        if (previous) {
            previous(sender, node);
        }
        extra(node);
    };
}

std::wstring FolderName(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

struct ItemIdListDeleter {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListDeleter>;

ItemIdList SpecialFolderList(HWND owner, int folder) {
    ITEMIDLIST* list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, folder, &list))) {
        return nullptr;
    }
    return ItemIdList(list);
}

bool IsChecked(gui::TMenuItem* item) {
    return item && item->Checked();
}

} // namespace

void TOstrel_Form::AddToFolderHistory(gui::TComboBox& box, const std::wstring& folder) {
    if (folder.empty()) {
        return;
    }
    // The combo box's exact search ignores letter case, so "C:\A" and "c:\a" are one entry.
    LRESULT found = SendMessageW(box.Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(folder.c_str()));
    int index = found == CB_ERR ? -1 : static_cast<int>(found);
    if (index < 0) {
        box.InsertItem(0, folder);
        index = 0;
        while (box.Count() > kFolderHistoryLimit) {
            box.DeleteItem(box.Count() - 1);
        }
    }
    box.SetItemIndex(index);
}

void TOstrel_Form::WireNavigationCommands() {
    ChainNodeEvent(DriveView1.OnChange, [this](HTREEITEM node) { DriveView1Change(node); });
    ChainNodeEvent(DriveView2.OnChange, [this](HTREEITEM node) { DriveView2Change(node); });

    PathComboBox1.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            PathComboBox1Change();
        }
    };
    PathComboBox2.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            PathComboBox2Change();
        }
    };
    DriveComboBox1.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            DriveComboBox1Exit();
        }
    };
    DriveComboBox2.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            DriveComboBox2Exit();
        }
    };
    Hoch2L.OnClick = [this](gui::TComponent*) { Hoch2LClick(); };
    Hoch2R.OnClick = [this](gui::TComponent*) { Hoch2RClick(); };
    HochL.OnClick = [this](gui::TComponent*) { HochLClick(); };
    HochR.OnClick = [this](gui::TComponent*) { HochRClick(); };
    Browser1.OnClick = [this](gui::TComponent*) { Browser1Click(); };
    Browser2.OnClick = [this](gui::TComponent*) { Browser2Click(); };
    BrowseForFolderDialog1.OnInitialized = [this](TBrowseForFolderDialog* sender) {
        BrowseForFolderDialog1Initialized(sender);
    };

    const std::pair<const wchar_t*, void (TOstrel_Form::*)()> items[] = {
        {L"SortExtL", &TOstrel_Form::SortExtLClick},
        {L"SortExtR", &TOstrel_Form::SortExtRClick},
        {L"Gitternetzlinien", &TOstrel_Form::GitternetzlinienClick},
        {L"SysHid", &TOstrel_Form::SysHidClick},
        {L"DateTimeSek1", &TOstrel_Form::DateTimeSek1Click},
        {L"DateTime1", &TOstrel_Form::DateTime1Click},
        {L"Date1", &TOstrel_Form::Date1Click},
        {L"Attr1", &TOstrel_Form::Attr1Click},
        {L"EigeneDateien", &TOstrel_Form::EigeneDateienClick},
        {L"Kommandozeile", &TOstrel_Form::KommandozeileClick},
        {L"Desktop1", &TOstrel_Form::Desktop1Click},
        {L"Aufwrts1", &TOstrel_Form::Aufwrts1Click},
    };
    const std::pair<const wchar_t*, int> shellFolders[] = {
        {L"Arbeitsplatz", CSIDL_DRIVES},  {L"Drucker", CSIDL_PRINTERS},         {L"Netzwerkumgebung", CSIDL_NETWORK},
        {L"Papierkorb", CSIDL_BITBUCKET}, {L"Systemsteuerung", CSIDL_CONTROLS},
    };
    for (const auto& [name, folder] : shellFolders) {
        if (gui::TMenuItem* item = MenuItem(name)) {
            item->OnClick = [this, folder](gui::TComponent*) { OpenSpecialFolder(folder); };
        }
    }
    for (const auto& [name, handler] : items) {
        if (gui::TMenuItem* item = MenuItem(name)) {
            item->OnClick = [this, handler](gui::TComponent*) { (this->*handler)(); };
        }
    }
}

void TOstrel_Form::DriveView1Change(HTREEITEM Node) {
    SideFolderChanged(DriveView1, DirView1, PathComboBox1, depthMemory1_, Node);
}

void TOstrel_Form::DriveView2Change(HTREEITEM Node) {
    SideFolderChanged(DriveView2, DirView2, PathComboBox2, depthMemory2_, Node);
}

void TOstrel_Form::SideFolderChanged(TDriveView& tree, TDirView& pane, gui::TComboBox& box, DepthMemory& memory,
                                     HTREEITEM node) {
    AddToFolderHistory(box, tree.Directory());
    if (pane.ItemCount() == 0) {
        return;
    }
    pane.SetItemFocused(0);
    int depth = 0;
    for (HTREEITEM up = node ? tree.ParentNode(node) : nullptr; up; up = tree.ParentNode(up)) {
        ++depth;
    }
    if (depth > 0 && depth <= kMaxRememberedDepth) {
        memory[static_cast<std::size_t>(depth)] = FolderName(pane.Path());
    }
    // Deeper than the memory reaches there is nothing to recall (and nothing to reset).
    if (depth + 1 <= kMaxRememberedDepth) {
        std::wstring& below = memory[static_cast<std::size_t>(depth + 1)];
        for (int i = 0; i < pane.ItemCount(); ++i) {
            if (!below.empty() && pane.ItemCaption(i) == below) {
                pane.SetItemFocused(i);
                pane.SetItemSelected(i, true);
                SendMessageW(pane.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(i), FALSE);
            }
        }
        below = L"..";
    }
    const int focused = pane.ItemFocused();
    if (focused >= 0 && pane.ItemCaption(focused) != L"..") {
        pane.SetItemSelected(focused, true);
    }
}

void TOstrel_Form::PathComboBox1Change() {
    const int index = PathComboBox1.ItemIndex();
    if (index < 0) {
        return;
    }
    DriveView1.SetDirectory(PathComboBox1.Item(index));
    DirView1.SetFocus();
}

void TOstrel_Form::PathComboBox2Change() {
    const int index = PathComboBox2.ItemIndex();
    if (index < 0) {
        return;
    }
    DriveView2.SetDirectory(PathComboBox2.Item(index));
    DirView2.SetFocus();
}

void TOstrel_Form::DriveComboBox1Exit() {
    DriveView1.SelectDrive(DriveComboBox1.Drive());
}
void TOstrel_Form::DriveComboBox2Exit() {
    DriveView2.SelectDrive(DriveComboBox2.Drive());
}

void TOstrel_Form::LevelUp(TDriveView& tree) {
    const HTREEITEM node = tree.Selected();
    if (!node) {
        return;
    }
    if (const HTREEITEM parent = tree.ParentNode(node)) {
        tree.SelectNode(parent);
    }
}

void TOstrel_Form::Hoch2LClick() {
    LevelUp(DriveView1);
}
void TOstrel_Form::Hoch2RClick() {
    LevelUp(DriveView2);
}

void TOstrel_Form::Aufwrts1Click() {
    if (GetFocus() == DirView1.Handle()) {
        Hoch2LClick();
    } else {
        Hoch2RClick();
    }
}

void TOstrel_Form::HochLClick() {
    const std::wstring folder = DriveView1.Directory();
    if (!folder.empty()) {
        DriveView1.SetDirectory(folder.substr(0, 1) + L":\\");
    }
}

void TOstrel_Form::HochRClick() {
    const std::wstring folder = DriveView2.Directory();
    if (!folder.empty()) {
        DriveView2.SetDirectory(folder.substr(0, 1) + L":\\");
    }
}

void TOstrel_Form::SortExtLClick() {
    DirView1.SetSortByExtension(IsChecked(MenuItem(L"SortExtL")));
}
void TOstrel_Form::SortExtRClick() {
    DirView2.SetSortByExtension(IsChecked(MenuItem(L"SortExtR")));
}

void TOstrel_Form::GitternetzlinienClick() {
    DirView1.SetGridLines(IsChecked(MenuItem(L"Gitternetzlinien")));
    DirView2.SetGridLines(DirView1.GridLines());
}

void TOstrel_Form::SysHidClick() {
    const TSelAttr filter = IsChecked(MenuItem(L"SysHid")) ? SelDontCare : SelNo;
    for (TDirView* pane : {&DirView1, &DirView2}) {
        pane->SelHidden = filter;
        pane->SelSysFile = filter;
        pane->Reload(false);
    }
}

void TOstrel_Form::SetDateDisplay(int setting) {
    const TDateTimeDisplay displays[] = {dtdDateTimeSec, dtdDateTime, dtdDate};
    const wchar_t* const items[] = {L"DateTimeSek1", L"DateTime1", L"Date1"};
    DirView1.SetDateTimeDisplay(displays[setting]);
    DirView2.SetDateTimeDisplay(displays[setting]);
    if (gui::TMenuItem* item = MenuItem(items[setting])) {
        item->SetChecked(true);
    }
    Settings.DateFormatIndex = setting;
}

void TOstrel_Form::DateTimeSek1Click() {
    SetDateDisplay(0);
}
void TOstrel_Form::DateTime1Click() {
    SetDateDisplay(1);
}
void TOstrel_Form::Date1Click() {
    SetDateDisplay(2);
}

void TOstrel_Form::BrowseForFolderDialog1Initialized(TBrowseForFolderDialog* Sender) {
    if (Sender) {
        Sender->Position = fpCustom;
    }
}

void TOstrel_Form::BrowseForSide(TDriveView& tree, TDirView& pane, const std::wstring& title) {
    BrowseForFolderDialog1.Title = title;
    BrowseForFolderDialog1.Directory = tree.Directory();
    if (!BrowseForFolderDialog1.Execute(Handle())) {
        return;
    }
    for (int i = 0; i < pane.ItemCount(); ++i) {
        pane.SetItemSelected(i, false);
    }
    tree.SetDirectory(BrowseForFolderDialog1.Directory);
    if (pane.ItemCount() > 0) {
        pane.SetItemFocused(0);
    }
    pane.SetFocus();
    if (pane.ItemCount() > 0) {
        pane.SetItemSelected(0, true);
    }
}

void TOstrel_Form::Browser1Click() {
    BrowseForSide(DriveView1, DirView1, L"W\u00e4hlen Sie den linken Ordner aus:");
}
void TOstrel_Form::Browser2Click() {
    BrowseForSide(DriveView2, DirView2, L"W\u00e4hlen Sie den rechten Ordner aus:");
}

void TOstrel_Form::Attr1Click() {
    constexpr int kAttrColumn = 4;
    const bool show = IsChecked(MenuItem(L"Attr1"));
    for (TDirView* pane : {&DirView1, &DirView2}) {
        if (show && pane->ColumnCount() == kAttrColumn) {
            pane->AddColumn(L"Attr", 30);
        } else if (!show && pane->ColumnCount() > kAttrColumn) {
            ListView_DeleteColumn(pane->Handle(), kAttrColumn);
        }
    }
}

bool TOstrel_Form::OpenSpecialFolder(int folder) {
    const ItemIdList list = SpecialFolderList(Handle(), folder);
    if (!list) {
        return false;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST;
    info.nShow = SW_SHOW;
    info.lpIDList = list.get();
    return ShellExecuteExW(&info) != FALSE;
}

void TOstrel_Form::InputToSpecialFolder(int folder) {
    const ItemIdList list = SpecialFolderList(Handle(), folder);
    wchar_t path[MAX_PATH]{};
    if (!list || !SHGetPathFromIDListW(list.get(), path)) {
        return;
    }
    std::wstring folderPath = path;
    // Some systems hand the documents folder back with a trailing backslash.
    while (folderPath.size() > 3 && folderPath.back() == L'\\') {
        folderPath.pop_back();
    }
    DriveView1.SetDirectory(folderPath);
    if (DirView1.ItemCount() > 0) {
        DirView1.SetItemFocused(0);
    }
    DirView1.SetFocus();
}

void TOstrel_Form::EigeneDateienClick() {
    InputToSpecialFolder(CSIDL_PERSONAL);
}
void TOstrel_Form::Desktop1Click() {
    InputToSpecialFolder(CSIDL_DESKTOP);
}

void TOstrel_Form::KommandozeileClick() {
    // The window grows by the memo's height, so the panes keep their size.
    if (IsChecked(Kommandozeile)) {
        SetHeight(Height() + kMemoHeight);
        PDFPanel.SetHeight(PDFPanel.Height() + kMemoHeight);
        Memo1.SetHeight(kMemoHeight);
        Memo1.Show();
    } else {
        SetHeight(Height() - kMemoHeight);
        PDFPanel.SetHeight(PDFPanel.Height() - kMemoHeight);
        Memo1.SetHeight(5);
        Memo1.Hide();
    }
}
