// The frame of the main window: its menus, bars and panels, the texts that go straight into them, the layout
// rules, the tray icon and the reaction to drives that come and go.
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Unit.h"
#include "core/SettingsValues.h"
#include "gui/Application.h"
#include "win/Handles.h"

#include <dbt.h>
#include <shellapi.h>

#include <algorithm>
#include <initializer_list>

namespace {

struct MenuSpec {
    const wchar_t* Name;
    std::initializer_list<const wchar_t*> Items; // "-" is a separator; a name ending in '>' opens a sub-menu
};

// The menu bar, left to right; the help menu comes last and is moved to the right edge.
const MenuSpec kMenuBar[] = {
    {L"Datei1",
     {L"Ansehen1", L"PDFanzeigen1", L"TitelVerfassereingeben1", L"Bearbeiten1", L"-", L"Umbenennen1", L"NeuerOrdner",
      L"Entfernen1", L"Eigenschaften1", L"-", L"Merge1", L"-", L"Ende1"}},
    {L"Markieren1", {L"Allesmarkieren1", L"Auswahlumkehren1"}},
    {L"Ansicht1",
     {L"SortExtL", L"SortExtR", L"SysHid", L"Attr1", L"Gitternetzlinien", L"-", L"Datumsformat1>",
      L"Schriftfarbendern1", L"Hintergrundfarbendern1", L"-", L"Kommandozeile"}},
    {L"Optionen1",
     {L"Einstellungen1", L"-", L"Logdatei", L"Logdateiansehen1", L"-", L"Tray1", L"Zhlervorne1", L"VSpeichern1",
      L"AbfragePSPRN", L"-", L"Verzspeichern", L"Posspeichern", L"-", L"Editor1", L"Reader", L"Ostrelinibearbeiten",
      L"Sprachdateienbearbeiten", L"-", L"Sprache1>"}},
    {L"Anderes",
     {L"EigeneDateien", L"Desktop1", L"Arbeitsplatz", L"Drucker", L"Papierkorb", L"Systemsteuerung",
      L"Netzwerkumgebung", L"-", L"Verknuepfen"}},
    {L"Hilfe1",
     {L"Anleitung", L"Kurzanleitungpdf", L"Info", L"-", L"AbfrageaufneueVersion1", L"-", L"Ostrel1", L"Ostrel2"}},
};

// The captions the menu items carry by design. The language file replaces those it has a text for; the others
// (the tray and merge items, the language items, the desktop folder) keep these in both languages.
const std::pair<const wchar_t*, const wchar_t*> kDesignCaptions[] = {
    {L"Datei1", L"&Datei"},
    {L"Ansehen1", L"Postscript-Datei anzeigen"},
    {L"PDFanzeigen1", L"PDF anzeigen"},
    {L"TitelVerfassereingeben1", L"Titel/Verfasser eingeben"},
    {L"Bearbeiten1", L"Bearbeiten"},
    {L"Umbenennen1", L"Umbenennen"},
    {L"NeuerOrdner", L"Neuer Ordner"},
    {L"Entfernen1", L"L\u00f6schen"},
    {L"Eigenschaften1", L"Eigenschaften"},
    {L"Merge1", L"&Merge..."},
    {L"Ende1", L"Beenden"},
    {L"Markieren1", L"&Markieren"},
    {L"Allesmarkieren1", L"Alles markieren"},
    {L"Auswahlumkehren1", L"Auswahl umkehren"},
    {L"Ansicht1", L"&Ansicht"},
    {L"SortExtL", L"Anzeige der Erweiterung (links)"},
    {L"SortExtR", L"Anzeige der Erweiterung (rechts)"},
    {L"SysHid", L"Versteckte und System-Dateien anzeigen"},
    {L"Attr1", L"Attribute anzeigen"},
    {L"Gitternetzlinien", L"Gitternetzlinien anzeigen"},
    {L"Datumsformat1", L"Datumsformat"},
    {L"DateTimeSek1", L"Datum, Uhrzeit und Sekunden"},
    {L"DateTime1", L"Datum und Uhrzeit"},
    {L"Date1", L"Datum"},
    {L"Schriftfarbendern1", L"Schriftart \u00e4ndern..."},
    {L"Hintergrundfarbendern1", L"Hintergrundfarbe \u00e4ndern..."},
    {L"Kommandozeile", L"Kommandozeile anzeigen"},
    {L"Optionen1", L"&Optionen"},
    {L"Einstellungen1", L"Einstellungen..."},
    {L"Logdatei", L"Logdatei"},
    {L"Logdateiansehen1", L"Logdatei ansehen"},
    {L"Tray1", L"&Tray"},
    {L"Zhlervorne1", L"&Z\u00e4hler vorne"},
    {L"VSpeichern1", L"Verschl\u00fcsselung speichern"},
    {L"AbfragePSPRN", L"Nur PS/PRN-Dateien umwandeln"},
    {L"Verzspeichern", L"Verzeichnisse speichern"},
    {L"Posspeichern", L"Position speichern"},
    {L"Editor1", L"Editor"},
    {L"Reader", L"PDF-Reader"},
    {L"Ostrelinibearbeiten", L"Ostrel.ini bearbeiten..."},
    {L"Sprachdateienbearbeiten", L"Sprachdatei(en) bearbeiten"},
    {L"Sprache1", L"Sprache"},
    {L"Deutsch", L"&Deutsch"},
    {L"English", L"&English"},
    {L"Anderes", L"&Anderes"},
    {L"EigeneDateien", L"Eigene Dateien"},
    {L"Desktop1", L"Desktop"},
    {L"Arbeitsplatz", L"Arbeitsplatz"},
    {L"Drucker", L"Drucker"},
    {L"Papierkorb", L"Papierkorb"},
    {L"Systemsteuerung", L"Systemsteuerung"},
    {L"Netzwerkumgebung", L"Netzwerkumgebung"},
    {L"Verknuepfen", L"Verkn\u00fcpfen..."},
    {L"Hilfe1", L"&Hilfe"},
    {L"Anleitung", L"Anleitung"},
    {L"Kurzanleitungpdf", L"Kurzanleitung.pdf"},
    {L"Info", L"Info..."},
    {L"AbfrageaufneueVersion1", L"Auf neue Version pr\u00fcfen..."},
    {L"Ostrel1", L"Ostrel-Homepage besuchen"},
    {L"Ostrel2", L"Ostrel-Forum besuchen"},
    {L"Wiederherstellen2", L"Wiederherstellen"},
    {L"Einstellungenndern2", L"Einstellungen \u00e4ndern..."},
    {L"Info2", L"Info..."},
    {L"Beenden2", L"Beenden"},
};

std::wstring DesignCaption(const std::wstring& name) {
    for (const auto& [item, caption] : kDesignCaptions) {
        if (name == item) {
            return caption;
        }
    }
    return {};
}

const MenuSpec kSubMenus[] = {
    {L"Datumsformat1", {L"DateTimeSek1", L"DateTime1", L"Date1"}},
    {L"Sprache1", {L"Deutsch", L"English"}},
};

// Menu items that are check marks the user toggles.
const wchar_t* const kToggles[] = {L"SortExtL",         L"SortExtR",      L"SysHid",      L"Attr1",
                                   L"Gitternetzlinien", L"Kommandozeile", L"Logdatei",    L"Tray1",
                                   L"Zhlervorne1",      L"VSpeichern1",   L"AbfragePSPRN"};

// A small picture of the shell's, or nullptr. Where the shell cannot name the stock picture, a folder's picture
// still comes from the Windows folder itself.
HICON SmallStockIcon(SHSTOCKICONID id) {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof(info);
    HICON icon = nullptr;
    if (SUCCEEDED(SHGetStockIconInfo(id, SHGSI_ICONLOCATION, &info)) && info.iIcon >= 0 &&
        ExtractIconExW(info.szPath, info.iIcon, nullptr, &icon, 1) > 0) {
        return icon;
    }
    if (id == SIID_FOLDER) {
        wchar_t windows[MAX_PATH] = {};
        SHFILEINFOW file{};
        if (GetWindowsDirectoryW(windows, MAX_PATH) &&
            SHGetFileInfoW(windows, 0, &file, sizeof(file), SHGFI_ICON | SHGFI_SMALLICON)) {
            return file.hIcon;
        }
    }
    return nullptr;
}

// A 16-pixel picture of a network drive with a green plus (connect) or a red cross (disconnect), for where the
// shell has no picture of its own for it.
HICON DrawnNetDriveIcon(bool connect) {
    constexpr int kSize = 16;
    const win::WindowDC screen(nullptr);
    const win::UniqueCreatedDC dc(CreateCompatibleDC(screen.get()));
    const win::UniqueBitmap colour(CreateCompatibleBitmap(screen.get(), kSize, kSize));
    const win::UniqueBitmap mask(CreateBitmap(kSize, kSize, 1, 1, nullptr));
    {
        const win::SelectedObject selected(dc.get(), mask.get());
        PatBlt(dc.get(), 0, 0, kSize, kSize, BLACKNESS); // the whole picture is opaque
    }
    {
        const win::UniquePen outline(CreatePen(PS_SOLID, 1, RGB(64, 64, 64)));
        const win::UniqueBrush body(CreateSolidBrush(RGB(200, 200, 200)));
        const win::UniquePen sign(CreatePen(PS_SOLID, 2, connect ? RGB(0, 150, 0) : RGB(200, 0, 0)));
        const win::SelectedObject selected(dc.get(), colour.get());
        const RECT all{0, 0, kSize, kSize};
        FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
        const win::SelectedObject outlinePen(dc.get(), outline.get());
        const win::SelectedObject bodyBrush(dc.get(), body.get());
        Rectangle(dc.get(), 1, 6, 15, 12);  // the drive
        MoveToEx(dc.get(), 8, 12, nullptr); // its cable
        LineTo(dc.get(), 8, 15);
        MoveToEx(dc.get(), 3, 15, nullptr);
        LineTo(dc.get(), 14, 15);
        const win::SelectedObject signPen(dc.get(), sign.get());
        if (connect) {
            MoveToEx(dc.get(), 11, 0, nullptr);
            LineTo(dc.get(), 11, 6);
            MoveToEx(dc.get(), 8, 3, nullptr);
            LineTo(dc.get(), 14, 3);
        } else {
            MoveToEx(dc.get(), 8, 0, nullptr);
            LineTo(dc.get(), 14, 6);
            MoveToEx(dc.get(), 14, 0, nullptr);
            LineTo(dc.get(), 8, 6);
        }
    }
    // The icon keeps copies of both bitmaps, so they are freed here with the DC.
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = colour.get();
    return CreateIconIndirect(&info);
}

void AddItems(gui::TMenuItem& parent, const MenuSpec& menu) {
    for (const wchar_t* entry : menu.Items) {
        std::wstring name = entry;
        if (name == L"-") {
            parent.AddSeparator();
            continue;
        }
        const bool sub = name.back() == L'>';
        if (sub) {
            name.pop_back();
        }
        gui::TMenuItem* item = parent.Add(name, DesignCaption(name));
        if (sub) {
            for (const MenuSpec& inner : kSubMenus) {
                if (name == inner.Name) {
                    AddItems(*item, inner);
                }
            }
        }
    }
}

gui::TControl* FindControl(gui::TControl& root, const std::wstring& name) {
    for (gui::TControl* child : root.Controls()) {
        if (child->Name() == name) {
            return child;
        }
        if (gui::TControl* found = FindControl(*child, name)) {
            return found;
        }
    }
    return nullptr;
}

void SetChecked(gui::TMenuItem* item, bool checked) {
    if (item) {
        item->SetChecked(checked);
    }
}

bool IsChecked(gui::TMenuItem* item) {
    return item && item->Checked();
}

} // namespace

gui::TMenuItem* TOstrel_Form::MenuItem(const std::wstring& name) {
    if (gui::TMenuItem* item = MainMenu1.Items.Find(name)) {
        return item;
    }
    return PopupMenu2.Items.Find(name);
}

gui::TControl* TOstrel_Form::ControlByName(const std::wstring& name) {
    return FindControl(*this, name);
}

void TOstrel_Form::BuildMenus() {
    for (const MenuSpec& menu : kMenuBar) {
        AddItems(*MainMenu1.Items.Add(menu.Name, DesignCaption(menu.Name)), menu);
    }
    for (const wchar_t* name : kToggles) {
        MenuItem(name)->AutoCheck = true;
    }
    for (const wchar_t* name : {L"DateTimeSek1", L"DateTime1", L"Date1"}) {
        gui::TMenuItem* item = MenuItem(name);
        item->SetRadioItem(true);
        item->GroupIndex = 1;
        item->AutoCheck = true;
    }
    Hilfe1 = MenuItem(L"Hilfe1");
    Merge1 = MenuItem(L"Merge1");
    Einstellungen1 = MenuItem(L"Einstellungen1");
    Logdatei = MenuItem(L"Logdatei");
    Kommandozeile = MenuItem(L"Kommandozeile");
    Tray1 = MenuItem(L"Tray1");
    Deutsch = MenuItem(L"Deutsch");
    English = MenuItem(L"English");
    for (gui::TMenuItem* item : {Deutsch, English}) {
        item->SetRadioItem(true);
        item->GroupIndex = 2;
        item->AutoCheck = true;
    }
    SetMenu(&MainMenu1);

    Wiederherstellen2 = PopupMenu2.Items.Add(L"Wiederherstellen2", DesignCaption(L"Wiederherstellen2"));
    PopupMenu2.Items.AddSeparator();
    Einstellungenndern2 = PopupMenu2.Items.Add(L"Einstellungenndern2", DesignCaption(L"Einstellungenndern2"));
    Info2 = PopupMenu2.Items.Add(L"Info2", DesignCaption(L"Info2"));
    PopupMenu2.Items.AddSeparator();
    Beenden2 = PopupMenu2.Items.Add(L"Beenden2", DesignCaption(L"Beenden2"));
}

void TOstrel_Form::BuildFrame() {
    // Anchors take the distances the controls have in the panels' design sizes, before alignment resizes them.
    for (TPathComboBox* box : {&PathComboBox1, &PathComboBox2}) {
        box->SetAnchors(gui::akLeft | gui::akTop | gui::akRight);
    }
    for (gui::TSpeedButton* button : {&InputPane.Browser, &OutputPane.Browser}) {
        button->SetAnchors(gui::akTop | gui::akRight);
    }
    Gauge1.SetAnchors(gui::akLeft | gui::akTop | gui::akRight);
    ToolPanel.SetAlign(gui::TAlign::alTop);
    StatusBar1.SetAlign(gui::TAlign::alBottom);
    StatusBar1.SetPanels({-1});
    FKeyPanel.SetAlign(gui::TAlign::alBottom);
    PDFPanel.SetAlign(gui::TAlign::alBottom);
    DirView1Panel.SetAlign(gui::TAlign::alLeft);
    Splitter1.SetAlign(gui::TAlign::alLeft);
    DirView2Panel.SetAlign(gui::TAlign::alClient);
    for (gui::TPanel* header : {&InputPane.Header, &OutputPane.Header, &InputPane.Title, &OutputPane.Title}) {
        header->SetAlign(gui::TAlign::alTop);
        header->SetBevelOuter(gui::TBevelCut::bvNone);
    }
    // The level-up labels are narrow targets: each gets a small button-sized area, its text in the middle.
    for (gui::TLabel* label : {&InputPane.Hoch, &InputPane.Hoch2, &OutputPane.Hoch, &OutputPane.Hoch2}) {
        label->SetAutoSize(false);
        label->SetAlignment(gui::TAlignment::taCenter);
        SetWindowLongPtrW(label->Handle(), GWL_STYLE, GetWindowLongPtrW(label->Handle(), GWL_STYLE) | SS_CENTERIMAGE);
        label->SetWidth(18);
    }
    for (TDirView* view : {&DirView1, &DirView2}) {
        view->SetAlign(gui::TAlign::alClient);
        view->SetMultiSelect(true);
    }
    // The trees are never seen: they keep the folder and the drive list behind each pane.
    DriveView1.SetVisible(false);
    DriveView2.SetVisible(false);
    DriveView1.SetDirView(&DirView1);
    DriveView2.SetDirView(&DirView2);
    DriveComboBox1.SetDriveView(&DriveView1);
    DriveComboBox2.SetDriveView(&DriveView2);
    // The shell's own small pictures tell the tool buttons apart; their hints say the rest.
    const std::pair<gui::TSpeedButton*, SHSTOCKICONID> pictures[] = {{&InputPane.Browser, SIID_FOLDER},
                                                                     {&OutputPane.Browser, SIID_FOLDER},
                                                                     {&SBNetOn, SIID_DRIVENET},
                                                                     {&SBNetOff, SIID_DRIVENETDISABLED}};
    // Both browse buttons show the folder: it is looked up once, and the second button gets a copy of its own.
    HICON folder = nullptr;
    for (const auto& [button, id] : pictures) {
        HICON icon = id == SIID_FOLDER && folder ? CopyIcon(folder) : SmallStockIcon(id);
        if (!icon && id != SIID_FOLDER) {
            icon = DrawnNetDriveIcon(id == SIID_DRIVENET);
        }
        if (id == SIID_FOLDER && !folder) {
            folder = icon;
        }
        if (icon) {
            button->SetIcon(icon);
        }
    }
    for (gui::TButton* button : {&F2Bt, &F3Bt, &F4Bt, &F7Bt, &F8Bt, &AnzeigenBt, &F12Bt}) {
        button->SetWordWrap(true);
    }
    Viewer.SetCaption(L"V");
    MergeBitBtn.SetCaption(L"M");
    Pruefung.SetText(L"\u25cf");
    // Shown by the settings dialog while a watermark is chosen.
    WasserzeichenSB.Hide();
    Gauge1.SetRange(0, 100);
    Memo1.SetAlign(gui::TAlign::alBottom);
    Memo1.SetMaxLines(kMemoMaxLines);
    Memo1.Hide();
    ZaehlerLabel.SetCaption(L"000 ");
}

void TOstrel_Form::BindEvents() {
    PDF_Erstellung.OnClick = [this](gui::TComponent*) { pass_->PDF_ErstellungClick(); };
    Timerbutton.OnClick = [this](gui::TComponent*) { pass_->TimerbuttonClick(); };
    Timer1.OnTimer = [this](gui::TComponent*) { pass_->Timer1Timer(); };
    Timer1.SetEnabled(false);
    MergeBitBtn.OnClick = [this](gui::TComponent*) { MergeBitBtnClick(); };
    ZaehlerLabel.OnClick = [this](gui::TComponent*) { pass_->ZaehlerLabelClick(); };
    F12Bt.OnClick = [this](gui::TComponent*) { pass_->RefreshPanes(); };
    Merge1->OnClick = [this](gui::TComponent*) { MergeBitBtnClick(); };
    Einstellungen1->OnClick = [this](gui::TComponent*) { Einstellungen1Click(); };
    MenuItem(L"Ende1")->OnClick = [this](gui::TComponent*) { Ende1Click(); };
    MenuItem(L"Info")->OnClick = [this](gui::TComponent*) { InfoClick(); };
    Wiederherstellen2->OnClick = [this](gui::TComponent*) { Wiederherstellen2Click(); };
    Einstellungenndern2->OnClick = [this](gui::TComponent*) { Einstellungen1Click(); };
    Info2->OnClick = [this](gui::TComponent*) { InfoClick(); };
    Beenden2->OnClick = [this](gui::TComponent*) { Ende1Click(); };
}

void TOstrel_Form::ApplyDirectTexts() {
    const LanguageTexts& texts = Texts();
    for (const LanguageDirectText& entry : LanguageDirectTexts()) {
        const std::wstring name = entry.Control;
        if (gui::TMenuItem* item = MenuItem(name)) {
            if (entry.CaptionKey) {
                item->SetCaption(texts.CaptionOf(entry));
            }
            if (entry.HintKey) {
                item->SetHint(texts.HintOf(entry));
            }
        } else if (gui::TControl* control = ControlByName(name)) {
            // A combo box's text is its folder, never a caption.
            if (entry.CaptionKey && !dynamic_cast<gui::TComboBox*>(control)) {
                control->SetCaption(texts.CaptionOf(entry));
            }
            if (entry.HintKey) {
                control->SetHint(texts.HintOf(entry));
            }
        }
    }
}

void TOstrel_Form::ApplyStart1(const Start1Result& start1) {
    SetBounds(WindowSettings.Left, WindowSettings.Top, WindowSettings.Width, WindowSettings.Height);
    SetChecked(Logdatei, WindowSettings.Logdatei);
    SetChecked(Kommandozeile, WindowSettings.Kommandozeile);
    SetChecked(MenuItem(L"SortExtL"), WindowSettings.SortExtL);
    SetChecked(MenuItem(L"SortExtR"), WindowSettings.SortExtR);
    SetChecked(MenuItem(L"SysHid"), WindowSettings.SysHid);
    SetChecked(MenuItem(L"Gitternetzlinien"), WindowSettings.Gitternetzlinien);
    SetChecked(MenuItem(L"Attr1"), WindowSettings.Attr1);
    SetChecked(Tray1, Settings.TrayOnMinimize);
    SetChecked(MenuItem(L"Zhlervorne1"), Settings.CounterInFront);
    SetChecked(MenuItem(L"VSpeichern1"), Settings.KeepSecurity);
    SetChecked(MenuItem(L"AbfragePSPRN"), Settings.OnlyPsPrn);
    // The settings file keeps twenty places per side; the unused ones are empty and no folder.
    for (const std::wstring& folder : WindowSettings.LeftHistory) {
        if (!folder.empty()) {
            PathComboBox1.AddItem(folder);
        }
    }
    for (const std::wstring& folder : WindowSettings.RightHistory) {
        if (!folder.empty()) {
            PathComboBox2.AddItem(folder);
        }
    }

    DirView1.SetSortColumn(WindowSettings.SortColumn1);
    DirView2.SetSortColumn(WindowSettings.SortColumn2);
    DirView1.SetSortAscending(WindowSettings.SortAscending1);
    DirView2.SetSortAscending(WindowSettings.SortAscending2);
    DirView1.SetSortByExtension(WindowSettings.SortExtL);
    DirView2.SetSortByExtension(WindowSettings.SortExtR);
    const TSelAttr hiddenAndSystem = WindowSettings.SysHid ? SelDontCare : SelNo;
    for (TDirView* view : {&DirView1, &DirView2}) {
        view->SelHidden = hiddenAndSystem;
        view->SelSysFile = hiddenAndSystem;
    }
    // Unchecked leaves both panes as designed.
    if (WindowSettings.Gitternetzlinien) {
        DirView1.SetGridLines(true);
        DirView2.SetGridLines(DirView1.GridLines());
    }

    gui::TFont font = DirView1.Font();
    if (start1.FontNameSet) {
        font.Name = WindowSettings.FontName;
    }
    if (start1.FontSizeSet) {
        font.Size = WindowSettings.FontSize;
    }
    if (start1.FontStyleSet) {
        font.Bold = WindowSettings.Style.Bold;
        font.Italic = WindowSettings.Style.Italic;
        font.Underline = WindowSettings.Style.Underline;
        font.StrikeOut = WindowSettings.Style.StrikeOut;
    }
    if (start1.FontNameSet || start1.FontSizeSet || start1.FontStyleSet) {
        DirView1.SetFont(font);
    }
    if (start1.FontSpreads) {
        DirView2.SetFont(DirView1.Font());
        PathComboBox1.SetFont(DirView1.Font());
        PathComboBox2.SetFont(DirView1.Font());
    }

    if (start1.ColorSet) {
        const COLORREF color = IsSystemColor(WindowSettings.PaneColor)
                                   ? GetSysColor(static_cast<int>(WindowSettings.PaneColor & 0xFF))
                                   : static_cast<COLORREF>(WindowSettings.PaneColor);
        DriveComboBox1.SetColor(color);
        DriveComboBox2.SetColor(color);
        for (TDirView* view : {&DirView1, &DirView2}) {
            view->SetColor(color);
            // A list view paints its own background; the control colour alone does not reach it.
            if (view->Handle()) {
                ListView_SetBkColor(view->Handle(), color);
                ListView_SetTextBkColor(view->Handle(), color);
            }
        }
        Memo1.SetColor(color);
    }
}

void TOstrel_Form::ApplyPaneColumns() {
    const wchar_t* const dateItems[] = {L"DateTimeSek1", L"DateTime1", L"Date1"};
    const TDateTimeDisplay displays[] = {dtdDateTimeSec, dtdDateTime, dtdDate};
    const int index = Settings.DateFormatIndex;
    if (index >= 0 && index < 3) {
        DirView1.SetDateTimeDisplay(displays[index]);
        DirView2.SetDateTimeDisplay(displays[index]);
        SetChecked(MenuItem(dateItems[index]), true);
    }

    const auto& widths = WindowSettings.ColumnWidths;
    DirView1.ColWidthName = DirView2.ColWidthName = widths[0];
    DirView1.ColWidthSize = DirView2.ColWidthSize = widths[1];
    DirView1.ColWidthType = DirView2.ColWidthType = widths[2];
    DirView1.ColWidthDate = DirView2.ColWidthDate = widths[3];
    const bool attributes = widths[4] > 0;
    if (attributes) {
        DirView1.ColWidthAttr = DirView2.ColWidthAttr = widths[4];
    }
    for (TDirView* view : {&DirView1, &DirView2}) {
        const HWND list = view->Handle();
        if (!list) {
            continue;
        }
        const int count = std::min<int>(view->ColumnCount(), static_cast<int>(widths.size()));
        for (int column = 0; column < count; ++column) {
            if (column < 4 || attributes) {
                ListView_SetColumnWidth(list, column, widths[column]);
            }
        }
        if (!attributes && view->ColumnCount() >= 5) {
            ListView_DeleteColumn(list, 4);
        }
    }
    WindowSettings.Attr1 = attributes;
    SetChecked(MenuItem(L"Attr1"), attributes);
}

void TOstrel_Form::FillWindowSettings() {
    WindowSettings.Logdatei = IsChecked(Logdatei);
    WindowSettings.Kommandozeile = IsChecked(Kommandozeile);
    WindowSettings.SortExtL = IsChecked(MenuItem(L"SortExtL"));
    WindowSettings.SortExtR = IsChecked(MenuItem(L"SortExtR"));
    WindowSettings.SysHid = IsChecked(MenuItem(L"SysHid"));
    WindowSettings.Gitternetzlinien = IsChecked(MenuItem(L"Gitternetzlinien"));
    WindowSettings.Attr1 = IsChecked(MenuItem(L"Attr1"));
    WindowSettings.Deutsch = IsChecked(Deutsch);
    WindowSettings.English = IsChecked(English);
    Settings.TrayOnMinimize = IsChecked(Tray1);
    Settings.CounterInFront = IsChecked(MenuItem(L"Zhlervorne1"));
    Settings.KeepSecurity = IsChecked(MenuItem(L"VSpeichern1"));
    Settings.OnlyPsPrn = IsChecked(MenuItem(L"AbfragePSPRN"));
    WindowSettings.LeftHistory.clear();
    for (int i = 0; i < PathComboBox1.Count(); ++i) {
        WindowSettings.LeftHistory.push_back(PathComboBox1.Item(i));
    }
    WindowSettings.RightHistory.clear();
    for (int i = 0; i < PathComboBox2.Count(); ++i) {
        WindowSettings.RightHistory.push_back(PathComboBox2.Item(i));
    }

    // The left pane is the one stored; a removed attribute column keeps its last width (Attr1 writes it as 0).
    if (const HWND list = DirView1.Handle()) {
        const int count = std::min<int>(DirView1.ColumnCount(), static_cast<int>(WindowSettings.ColumnWidths.size()));
        for (int column = 0; column < count; ++column) {
            WindowSettings.ColumnWidths[column] = ListView_GetColumnWidth(list, column);
        }
    }
    WindowSettings.SortColumn1 = DirView1.SortColumn();
    WindowSettings.SortColumn2 = DirView2.SortColumn();
    WindowSettings.SortAscending1 = DirView1.SortAscending();
    WindowSettings.SortAscending2 = DirView2.SortAscending();
    WindowSettings.LeftGridLines = DirView1.GridLines();
    const gui::TFont& font = DirView1.Font();
    WindowSettings.FontName = font.Name;
    WindowSettings.FontSize = font.Size;
    WindowSettings.Style.Bold = font.Bold;
    WindowSettings.Style.Italic = font.Italic;
    WindowSettings.Style.Underline = font.Underline;
    WindowSettings.Style.StrikeOut = font.StrikeOut;
}

void TOstrel_Form::MoveHelpMenuRight() {
    Hilfe1->SetCaption(IsChecked(Deutsch) ? L"&Hilfe" : L"&Help");
    Hilfe1->SetRightJustify(true);
}

void TOstrel_Form::OrderBars() {
    // The left positions put the controls of one alignment in their order on the bar.
    const struct {
        gui::TControl* Control;
        int Left;
        gui::TAlign Align;
    } kBars[] = {
        {&Viewer, 1, gui::TAlign::alLeft},
        {&Timerbutton, 2, gui::TAlign::alLeft},
        {&Pruefung, 100, gui::TAlign::alLeft},
        {&SBNetOn, 150, gui::TAlign::alLeft},
        {&SBNetOff, 176, gui::TAlign::alLeft},
        {&WasserzeichenSB, 2, gui::TAlign::alRight},
        {&PDF_Erstellung, 3, gui::TAlign::alRight},
        {&MergeBitBtn, 4, gui::TAlign::alRight},
        {&InputPane.RootBevel, 1, gui::TAlign::alRight},
        {&InputPane.Hoch, 2, gui::TAlign::alRight},
        {&InputPane.UpBevel, 3, gui::TAlign::alRight},
        {&InputPane.Hoch2, 4, gui::TAlign::alRight},
        {&OutputPane.RootBevel, 1, gui::TAlign::alRight},
        {&OutputPane.Hoch, 2, gui::TAlign::alRight},
        {&OutputPane.UpBevel, 3, gui::TAlign::alRight},
        {&OutputPane.Hoch2, 4, gui::TAlign::alRight},
    };
    // All positions first, then one layout per bar: a control laid out early would otherwise stand in the way of
    // the small positions of the next ones.
    for (gui::TControl* bar : {static_cast<gui::TControl*>(&ToolPanel), static_cast<gui::TControl*>(&InputPane.Title),
                               static_cast<gui::TControl*>(&OutputPane.Title)}) {
        bar->DisableAlign();
    }
    for (const auto& bar : kBars) {
        bar.Control->SetLeft(bar.Left);
        bar.Control->SetAlign(bar.Align);
    }
    for (gui::TControl* bar : {static_cast<gui::TControl*>(&ToolPanel), static_cast<gui::TControl*>(&InputPane.Title),
                               static_cast<gui::TControl*>(&OutputPane.Title)}) {
        bar->EnableAlign();
    }
}

void TOstrel_Form::LayoutFunctionKeys() {
    const int w = Width() / 7;
    // A caption wider than its button goes onto two lines, and the bar grows to show them.
    constexpr int kDesignHeight = 25;
    constexpr int kEdge = 6; // a button's frame and the room of its focus rectangle, both sides together
    constexpr int kVerticalEdge = 8;
    int height = kDesignHeight;
    const int rest = std::max(0, FKeyPanel.ClientWidth() - 6 * w);
    for (gui::TButton* button : {&F2Bt, &F3Bt, &F4Bt, &F7Bt, &F8Bt, &AnzeigenBt, &F12Bt}) {
        const int width = button == &F12Bt ? rest : w;
        height =
            std::max<int>(height, button->TextExtent(button->Caption(), std::max(width - kEdge, 1)).cy + kVerticalEdge);
    }
    if (FKeyPanel.Height() != height) {
        FKeyPanel.SetHeight(height);
    }
    int left = 0;
    for (gui::TButton* button : {&F2Bt, &F3Bt, &F4Bt, &F7Bt, &F8Bt, &AnzeigenBt}) {
        button->SetBounds(left, 0, w, FKeyPanel.ClientHeight());
        left += w;
    }
    F12Bt.SetBounds(left, 0, rest, FKeyPanel.ClientHeight());
}

void TOstrel_Form::LayoutPanes() {
    DirView1Panel.SetWidth(Width() / 2 + Splitter1.Width() - 8);
}

// --- Tray, hints and drives ---------------------------------------------------------------------------------------

void TOstrel_Form::AppMinimize() {
    if (IsChecked(Tray1)) {
        // Only a window whose icon is there may lose its taskbar button, or it could not be found again.
        if (tray_.Add(gui::Application.Icon(), kProgramTitle)) {
            ShowWindow(Handle(), SW_HIDE);
        }
    } else {
        tray_.Remove();
        ShowWindow(Handle(), SW_SHOW);
    }
}

void TOstrel_Form::AppHint() {
    StatusBar1.SetPanelText(0, gui::GetLongHint(gui::Application.Hint()));
}

void TOstrel_Form::Wiederherstellen2Click() {
    ShowWindow(Handle(), SW_SHOW);
    gui::Application.Restore();
    gui::Application.BringToFront();
}

void TOstrel_Form::WMTrayIcon(gui::TMessage& msg) {
    switch (static_cast<UINT>(msg.LParam)) {
    case WM_LBUTTONUP:
        tray_.Remove();
        ShowWindow(Handle(), SW_SHOW);
        gui::Application.Restore();
        gui::Application.BringToFront();
        break;
    case WM_RBUTTONUP: {
        SetForegroundWindow(Handle());
        POINT cursor{};
        GetCursorPos(&cursor);
        PopupMenu2.Popup(cursor.x, cursor.y, Handle());
        break;
    }
    default:
        break;
    }
}

void TOstrel_Form::WMDeviceChange(gui::TMessage& msg) {
    if (msg.WParam == DBT_DEVICEARRIVAL || msg.WParam == DBT_DEVICEREMOVECOMPLETE) {
        RefreshDrives();
    }
    msg.Default = true;
}
