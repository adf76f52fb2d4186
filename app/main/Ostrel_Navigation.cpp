// The main window's navigation and view commands: folder history, drive boxes, level up and root, and the view
// options of the "Ansicht" menu. The drive tree of each side owns its folder; everything here moves the tree.
#include "app/main/Ostrel_Unit.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/main/Ostrel_Helpers.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

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
    Chain(DriveView1.OnChange, [this](gui::TComponent*, HTREEITEM node) { DriveView1Change(node); });
    Chain(DriveView2.OnChange, [this](gui::TComponent*, HTREEITEM node) { DriveView2Change(node); });

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
    WireViewCommands();
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

void TOstrel_Form::LevelUp(TDriveView& tree, TDirView& pane) {
    const HTREEITEM node = tree.Selected();
    if (!node) {
        return;
    }
    if (const HTREEITEM parent = tree.ParentNode(node)) {
        tree.SelectNode(parent);
    }
    // The folder just left is selected by now; in a long list it may be out of sight.
    const int selected = ListView_GetNextItem(pane.Handle(), -1, LVNI_SELECTED);
    if (selected >= 0) {
        ListView_EnsureVisible(pane.Handle(), selected, FALSE);
    }
}

void TOstrel_Form::Hoch2LClick() {
    LevelUp(DriveView1, DirView1);
}
void TOstrel_Form::Hoch2RClick() {
    LevelUp(DriveView2, DirView2);
}
void TOstrel_Form::SBLevelUp1Click() {
    Hoch2LClick();
}
void TOstrel_Form::SBLevelUp2Click() {
    Hoch2RClick();
}

void TOstrel_Form::Aufwrts1Click() {
    if (DirView1.Focused()) {
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

// --- View commands, pane focus, network drives, layout -------------------------------------------------------------

namespace {

constexpr int kAttrColumn = 4;
constexpr DWORD kDialogCancelled = 0xFFFFFFFF;

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) {
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? L"Systemfehler " + std::to_wstring(code) : text;
}

void SetPaneBackground(TDirView& pane, COLORREF color) {
    pane.SetColor(color);
    // A list view paints its own background; the control colour alone does not reach it.
    if (const HWND list = pane.Handle()) {
        ListView_SetBkColor(list, color);
        ListView_SetTextBkColor(list, color);
        InvalidateRect(list, nullptr, TRUE);
    }
}

void SelectAndFocusFirst(TDirView& pane) {
    if (pane.ItemCount() > 0) {
        pane.SetItemSelected(0, true);
        pane.SetItemFocused(0);
    }
}

} // namespace

void TOstrel_Form::WireViewCommands() {
    NetConnectionDialog = [](HWND owner, DWORD type) { return WNetConnectionDialog(owner, type); };
    NetDisconnectDialog = [](HWND owner, DWORD type) { return WNetDisconnectDialog(owner, type); };

    if (gui::TMenuItem* desktop = MenuItem(L"Desktop1")) {
        desktop->SetCaption(L"Desktop");
    }
    Hoch2L.SetCaption(L"..");
    Hoch2R.SetCaption(L"..");
    HochL.SetCaption(L"\\");
    HochR.SetCaption(L"\\");
    // Reached only by their keys, like the other items of the never-shown menu.
    const struct {
        const wchar_t* Name;
        WORD Key;
        void (TOstrel_Form::*Handler)();
    } hidden[] = {{L"LwLinks1", VK_F1, &TOstrel_Form::LwLinks1Click},
                  {L"LwRechts1", VK_F2, &TOstrel_Form::LwRechts1Click}};
    for (const auto& command : hidden) {
        gui::TMenuItem* item = HiddenCommands.Items.Add(command.Name, command.Name);
        item->SetShortCut(gui::ShortCut(command.Key, gui::ssAlt));
        item->OnClick = [this, handler = command.Handler](gui::TComponent*) { (this->*handler)(); };
    }
    const std::pair<const wchar_t*, gui::TShortCut> shortCuts[] = {
        {L"SortExtL", gui::ShortCut('L', gui::ssAlt)},          {L"SortExtR", gui::ShortCut('R', gui::ssAlt)},
        {L"Kommandozeile", gui::ShortCut('K', gui::ssCtrl)},    {L"Drucker", gui::ShortCut('D', gui::ssCtrl)},
        {L"Netzwerkumgebung", gui::ShortCut('N', gui::ssCtrl)}, {L"Papierkorb", gui::ShortCut('P', gui::ssCtrl)},
    };
    for (const auto& [name, shortCut] : shortCuts) {
        if (gui::TMenuItem* item = MenuItem(name)) {
            item->SetShortCut(shortCut);
        }
    }

    const std::pair<const wchar_t*, void (TOstrel_Form::*)()> items[] = {
        {L"Schriftfarbendern1", &TOstrel_Form::Schriftfarbendern1Click},
        {L"Hintergrundfarbendern1", &TOstrel_Form::Hintergrundfarbendern1Click},
    };
    for (const auto& [name, handler] : items) {
        if (gui::TMenuItem* item = MenuItem(name)) {
            item->OnClick = [this, handler](gui::TComponent*) { (this->*handler)(); };
        }
    }
    SBNetOn.OnClick = [this](gui::TComponent*) { SBNetOnClick(); };
    SBNetOff.OnClick = [this](gui::TComponent*) { SBNetOffClick(); };

    DriveComboBox1.SetDisplayStyle(doLongPrettyName);
    DriveComboBox2.SetDisplayStyle(doLongPrettyName);
    Chain(PathComboBox1.OnExit, [this](gui::TComponent*) { PathComboBox1Exit(); });
    Chain(PathComboBox2.OnExit, [this](gui::TComponent*) { PathComboBox2Exit(); });
    Chain(DriveComboBox1.OnExit, [this](gui::TComponent*) { DriveComboBox1Exit(); });
    Chain(DriveComboBox2.OnExit, [this](gui::TComponent*) { DriveComboBox2Exit(); });
    Chain(DriveComboBox1.OnKeyDown,
          [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { DriveComboBox1KeyDown(key, shift); });
    Chain(DriveComboBox2.OnKeyDown,
          [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { DriveComboBox2KeyDown(key, shift); });

    Chain(DirView1.OnEnter, [this](gui::TComponent*) { DirView1Enter(); });
    Chain(DirView2.OnEnter, [this](gui::TComponent*) { DirView2Enter(); });
    Chain(DirView1.OnDirUpdated, [this](gui::TComponent*) { DirView1DirUpdated(); });
    Chain(DirView2.OnDirUpdated, [this](gui::TComponent*) { DirView2DirUpdated(); });
    Chain(DirView1.OnHeaderEndTrack, [this](gui::TComponent*) { DirView1HeaderEndTrack(); });
    Chain(DirView2.OnHeaderEndTrack, [this](gui::TComponent*) { DirView2HeaderEndTrack(); });
}

void TOstrel_Form::Schriftfarbendern1Click() {
    const gui::TFont& current = DirView1.Font();
    FontDialog1.Font.Name = current.Name;
    FontDialog1.Font.Size = current.Size;
    FontDialog1.Font.Bold = current.Bold;
    FontDialog1.Font.Italic = current.Italic;
    FontDialog1.Font.Underline = current.Underline;
    FontDialog1.Font.StrikeOut = current.StrikeOut;
    if (!FontDialog1.Execute(Handle())) {
        return;
    }
    const gui::TFont font = FontDialog1.Font;
    DirView1.SetFont(font);
    DirView2.SetFont(font);
    PathComboBox1.SetFont(font);
    PathComboBox2.SetFont(font);
    WindowSettings.FontName = font.Name;
    WindowSettings.FontSize = font.Size;
    WindowSettings.Style = FontStyle{font.Bold, font.Italic, font.Underline, font.StrikeOut};
}

void TOstrel_Form::ApplyPaneColor(COLORREF color) {
    DriveComboBox1.SetColor(color);
    DriveComboBox2.SetColor(color);
    SetPaneBackground(DirView1, color);
    SetPaneBackground(DirView2, color);
    Memo1.SetColor(color);
    if (Auswahl_Form) {
        Auswahl_Form->FileList.SetColor(color);
        if (const HWND list = Auswahl_Form->FileList.Handle()) {
            ListView_SetBkColor(list, color);
            ListView_SetTextBkColor(list, color);
        }
    }
}

void TOstrel_Form::Hintergrundfarbendern1Click() {
    if (!ColorDialog1.Execute(Handle())) {
        return;
    }
    ApplyPaneColor(ColorDialog1.Color);
    WindowSettings.PaneColor = static_cast<std::int32_t>(ColorDialog1.Color & 0x00FFFFFF);
}

void TOstrel_Form::RefreshDrives() {
    DriveView1.RefreshRootNodes(true, 23);
    DriveView2.RefreshRootNodes(true, 23);
    DriveComboBox1.ResetItems();
    DriveComboBox2.ResetItems();
}

void TOstrel_Form::SBNetOnClick() {
    // Drives are told apart by their letters: a refreshed drive may show another name than before.
    std::wstring known;
    for (int i = 0; i < DriveComboBox1.Count(); ++i) {
        const std::wstring item = DriveComboBox1.Item(i);
        if (!item.empty()) {
            known += item[0];
        }
    }
    if (!NetConnectionDialog || NetConnectionDialog(Handle(), RESOURCETYPE_DISK) != NO_ERROR) {
        return;
    }
    const bool input = DirView1.Focused();
    TDriveComboBox& box = input ? DriveComboBox1 : DriveComboBox2;
    TDriveView& tree = input ? DriveView1 : DriveView2;
    RefreshDrives();
    box.SetDisplayStyle(doLongPrettyName);
    for (int i = 0; i < box.Count(); ++i) {
        const std::wstring item = box.Item(i);
        if (!item.empty() && known.find(item[0]) == std::wstring::npos) {
            box.SetItemIndex(i);
            box.SetDrive(item[0]);
        }
    }
    tree.SelectDrive(box.Drive());
}

void TOstrel_Form::SBNetOffClick() {
    if (!NetDisconnectDialog) {
        return;
    }
    const DWORD result = NetDisconnectDialog(Handle(), RESOURCETYPE_DISK);
    if (result == NO_ERROR) {
        // The drive is gone: no pane may keep showing it.
        RefreshDrives();
        return;
    }
    if (result == kDialogCancelled) {
        return;
    }
    gui::MessageDlg(SystemErrorText(result), gui::Application.Title(), gui::TMsgDlgType::mtError,
                    gui::TMsgDlgButtons::mbOK, Handle());
}

POINT TOstrel_Form::CursorPointOf(const gui::TControl& control) {
    POINT point{control.Width() / 50, control.Height() - 10};
    ClientToScreen(control.Handle(), &point);
    return point;
}

void TOstrel_Form::MoveCursorToControl(const gui::TControl& control) {
    const POINT point = CursorPointOf(control);
    SetCursorPos(point.x, point.y);
}

void TOstrel_Form::LwLinks1Click() {
    MoveCursorToControl(DriveComboBox1);
    SendMessageW(DriveComboBox1.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    DriveComboBox1.SetFocus();
}

void TOstrel_Form::LwRechts1Click() {
    MoveCursorToControl(DriveComboBox2);
    SendMessageW(DriveComboBox2.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    DriveComboBox2.SetFocus();
}

void TOstrel_Form::PathComboBox1Exit() {
    DriveComboBox1.SetDrive(DriveView1.GetSelectedDrive());
}
void TOstrel_Form::PathComboBox2Exit() {
    DriveComboBox2.SetDrive(DriveView2.GetSelectedDrive());
}

void TOstrel_Form::DriveComboBox1KeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_RETURN) {
        DirView1.SetFocus();
    }
}
void TOstrel_Form::DriveComboBox2KeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_RETURN) {
        DirView2.SetFocus();
    }
}

void TOstrel_Form::DirView1Enter() {
    SelectAndFocusFirst(DirView1);
}

void TOstrel_Form::DirView2Enter() {
    if (DirView2.ItemCount() > 0) {
        SelectAndFocusFirst(DirView2);
        // The list scrolls back to its left edge. Posted as a whole key press, so no key is left held down.
        PostMessageW(DirView2.Handle(), WM_KEYDOWN, VK_LEFT, 1);
        PostMessageW(DirView2.Handle(), WM_KEYUP, VK_LEFT, 0xC0000001);
    }
    DirView1.ClearSelection();
}

void TOstrel_Form::DirView1DirUpdated() {
    if (DirView1.ItemCount() <= 1) {
        Gauge1.SetPosition(static_cast<int>(SendMessageW(Gauge1.Handle(), PBM_GETRANGE, TRUE, 0)));
    }
}
void TOstrel_Form::DirView2DirUpdated() {
    if (DirView2.ItemCount() <= 1) {
        Gauge1.SetPosition(static_cast<int>(SendMessageW(Gauge1.Handle(), PBM_GETRANGE, TRUE, 0)));
    }
}

namespace {

void CopyColumnWidths(const TDirView& from, TDirView& to, bool attributes) {
    const int columns = attributes ? kAttrColumn + 1 : kAttrColumn;
    for (int column = 0; column < columns; ++column) {
        if (column < from.ColumnCount() && column < to.ColumnCount()) {
            ListView_SetColumnWidth(to.Handle(), column, ListView_GetColumnWidth(from.Handle(), column));
        }
    }
}

} // namespace

void TOstrel_Form::DirView1HeaderEndTrack() {
    CopyColumnWidths(DirView1, DirView2, IsChecked(MenuItem(L"Attr1")));
}
void TOstrel_Form::DirView2HeaderEndTrack() {
    CopyColumnWidths(DirView2, DirView1, IsChecked(MenuItem(L"Attr1")));
}

void TOstrel_Form::FormResize() {
    // A size message that changes nothing (the first showing sends one) must not undo the stored widths.
    const SIZE size{Width(), Height()};
    const bool resized = size.cx != resizedTo_.cx || size.cy != resizedTo_.cy;
    resizedTo_ = size;
    for (TDirView* pane : {&DirView1, &DirView2}) {
        const HWND list = pane->Handle();
        if (!resized || !list || pane->ColumnCount() == 0) {
            continue;
        }
        // As wide as the widest name, but never narrower than the column's caption (an empty folder).
        ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
        const int contents = ListView_GetColumnWidth(list, 0);
        ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);
        const int caption = ListView_GetColumnWidth(list, 0);
        ListView_SetColumnWidth(list, 0, std::max(contents, caption));
    }
    LayoutPanes();
    LayoutFunctionKeys();
}
