// The main window's navigation and view commands: folder history, drive boxes, level up and root, and the view
// options of the "Ansicht" menu. The drive tree of each side owns its folder; everything here moves the tree.
#include "app/main/Ostrel_Unit.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/main/Ostrel_Helpers.h"
#include "components/PIDL.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "win/SystemText.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

TPidlPtr SpecialFolderList(HWND owner, int folder) {
    ITEMIDLIST* list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, folder, &list))) {
        return nullptr;
    }
    return TPidlPtr(list);
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
    InputPane.SortExt = MenuItem(L"SortExtL");
    OutputPane.SortExt = MenuItem(L"SortExtR");
    InputPane.Wire(OutputPane);
    OutputPane.Wire(InputPane);
    BrowseForFolderDialog1.OnInitialized = [this](TBrowseForFolderDialog* sender) {
        BrowseForFolderDialog1Initialized(sender);
    };

    const std::pair<const wchar_t*, void (TOstrel_Form::*)()> items[] = {
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

void TOstrel_Form::Aufwrts1Click() {
    (DirView1.Focused() ? InputPane : OutputPane).Hoch2Click();
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
    const TPidlPtr list = SpecialFolderList(Handle(), folder);
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
    const TPidlPtr list = SpecialFolderList(Handle(), folder);
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

constexpr DWORD kDialogCancelled = 0xFFFFFFFF;

std::wstring SystemErrorText(DWORD code) {
    const std::wstring text = SystemMessage(code);
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

} // namespace

void TOstrel_Form::WireViewCommands() {
    NetConnectionDialog = [](HWND owner, DWORD type) { return WNetConnectionDialog(owner, type); };
    NetDisconnectDialog = [](HWND owner, DWORD type) { return WNetDisconnectDialog(owner, type); };

    if (gui::TMenuItem* desktop = MenuItem(L"Desktop1")) {
        desktop->SetCaption(L"Desktop");
    }
    // Reached only by their keys, like the other items of the never-shown menu.
    const struct {
        const wchar_t* Name;
        WORD Key;
        OstrelPane& Pane;
    } hidden[] = {{L"LwLinks1", VK_F1, InputPane}, {L"LwRechts1", VK_F2, OutputPane}};
    for (const auto& command : hidden) {
        gui::TMenuItem* item = HiddenCommands.Items.Add(command.Name, command.Name);
        item->SetShortCut(gui::ShortCut(command.Key, gui::ssAlt));
        item->OnClick = [&pane = command.Pane](gui::TComponent*) { pane.DriveListClick(); };
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
