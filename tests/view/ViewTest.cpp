// The main window's view commands on a TOstrel_Form made in this process: the font and colour items answered by
// the common-dialog hook, the column widths kept in step, the layout on resizing, the network drive buttons with
// their dialogs answered in place of the system, and (in one shown window) the focus rules and the keys that move
// to a drive box.
#include "app/dialogs/Auswahl_Unit.h"
#include "app/main/Ostrel_Unit.h"
#include "core/SettingsValues.h"
#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "gui/MessageBox.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <cwctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testenv::TempDir;
using testenv::WriteFileBytes;

constexpr DWORD kPumpTimeoutMs = 5000;

void Pump() {
    gui::Application.ProcessMessages();
}

// Every common dialog answered by one function; the previous hook comes back at the end of the scope.
class DialogAnswer {
public:
    explicit DialogAnswer(gui::TCommonDialogHook hook) { previous_ = gui::SetCommonDialogHook(std::move(hook)); }
    ~DialogAnswer() { gui::SetCommonDialogHook(previous_); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

private:
    gui::TCommonDialogHook previous_;
};

LOGFONTW ShownFont(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof(font), &font);
    return font;
}

int ColumnWidth(const TDirView& pane, int column) {
    return ListView_GetColumnWidth(pane.Handle(), column);
}

class View : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / L"In");
        for (const wchar_t* name : {L"eins.ps", L"zwei.ps", L"ein_recht_langer_dateiname_fuer_die_spalte.ps"}) {
            WriteFileBytes(dir_.path() / L"In" / name, "%!PS\n");
        }
        fs::create_directories(dir_.path() / L"Out");
        form_ = std::make_unique<TOstrel_Form>();
        form_->SetInputFolder(Folder(L"In"));
        form_->SetOutputFolder(Folder(L"Out"));
    }
    std::wstring Folder(const std::wstring& sub) const { return (dir_.path() / sub).wstring(); }

    TempDir dir_{L"view"};
    std::unique_ptr<TOstrel_Form> form_;
};

// --- Font and colour --------------------------------------------------------------------------------------------

TEST_F(View, FontItemPresetsTheInputPanesFontAndGivesTheChoiceToBothPanesAndHistoryBoxes) {
    const struct {
        const char* what;
        bool bold, italic, underline, strikeOut;
        int storedStyle; // Font-Style as the settings file keeps it
    } cases[] = {
        {"plain", false, false, false, false, 1},     {"bold", true, false, false, false, 2},
        {"italic", false, true, false, false, 3},     {"underlined", false, false, true, false, 4},
        {"struck out", false, false, false, true, 5}, {"bold italic", true, true, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const gui::TFont before = form_->DirView1.Font();
        gui::TFont preset;
        gui::TFont chosen = before;
        chosen.Name = L"Courier New";
        chosen.Size = before.Size + 2;
        chosen.Bold = c.bold;
        chosen.Italic = c.italic;
        chosen.Underline = c.underline;
        chosen.StrikeOut = c.strikeOut;
        {
            DialogAnswer answer([&](gui::TCommonDialog& dialog) {
                auto* fonts = dynamic_cast<gui::TFontDialog*>(&dialog);
                if (!fonts) {
                    return false;
                }
                preset = fonts->Font;
                fonts->Font = chosen;
                return true;
            });
            form_->MenuItem(L"Schriftfarbendern1")->Click();
        }
        EXPECT_EQ(preset.Name, before.Name);
        EXPECT_EQ(preset.Size, before.Size);
        EXPECT_EQ(preset.Bold, before.Bold);
        EXPECT_EQ(preset.StrikeOut, before.StrikeOut);
        for (gui::TControl* control : std::initializer_list<gui::TControl*>{
                 &form_->DirView1, &form_->DirView2, &form_->PathComboBox1, &form_->PathComboBox2}) {
            SCOPED_TRACE(std::string(control->Name().begin(), control->Name().end()));
            EXPECT_EQ(control->Font().Name, L"Courier New");
            EXPECT_EQ(control->Font().Size, chosen.Size);
            const LOGFONTW shown = ShownFont(control->Handle());
            EXPECT_EQ(shown.lfStrikeOut != 0, c.strikeOut);
            EXPECT_EQ(shown.lfUnderline != 0, c.underline);
            EXPECT_EQ(shown.lfItalic != 0, c.italic);
            EXPECT_EQ(shown.lfWeight >= FW_BOLD, c.bold);
        }
        EXPECT_EQ(form_->WindowSettings.FontName, L"Courier New");
        EXPECT_EQ(form_->WindowSettings.FontSize, chosen.Size);
        EXPECT_EQ(EncodeFontStyle(form_->WindowSettings.Style), c.storedStyle);
    }
}

TEST_F(View, CancellingTheFontDialogChangesNothing) {
    const gui::TFont before = form_->DirView2.Font();
    const FontStyle stored = form_->WindowSettings.Style;
    {
        DialogAnswer answer([](gui::TCommonDialog& dialog) {
            if (auto* fonts = dynamic_cast<gui::TFontDialog*>(&dialog)) {
                fonts->Font.Name = L"Courier New";
                fonts->Font.StrikeOut = true;
            }
            return false;
        });
        form_->Schriftfarbendern1Click();
    }
    EXPECT_EQ(form_->DirView2.Font(), before);
    EXPECT_EQ(form_->WindowSettings.Style, stored);
}

TEST_F(View, ColourItemColoursBoxesPanesMemoAndMergeListAndIsStored) {
    DialogSettings dialogSettings;
    TAuswahl_Form merge(dialogSettings, nullptr);
    Auswahl_Form = &merge;
    const COLORREF colours[] = {RGB(0xF0, 0xE0, 0x80), RGB(0x20, 0x40, 0x60)};
    for (COLORREF colour : colours) {
        DialogAnswer answer([colour](gui::TCommonDialog& dialog) {
            auto* colourDialog = dynamic_cast<gui::TColorDialog*>(&dialog);
            if (colourDialog) {
                colourDialog->Color = colour;
            }
            return colourDialog != nullptr;
        });
        form_->MenuItem(L"Hintergrundfarbendern1")->Click();
        EXPECT_EQ(ListView_GetBkColor(form_->DirView1.Handle()), colour);
        EXPECT_EQ(ListView_GetBkColor(form_->DirView2.Handle()), colour);
        EXPECT_EQ(ListView_GetBkColor(merge.FileList.Handle()), colour);
        EXPECT_EQ(form_->DriveComboBox1.Color(), colour);
        EXPECT_EQ(form_->DriveComboBox2.Color(), colour);
        EXPECT_EQ(form_->Memo1.Color(), colour);
        EXPECT_EQ(static_cast<COLORREF>(form_->WindowSettings.PaneColor), colour);
        EXPECT_EQ(TextToColor(ColorToText(form_->WindowSettings.PaneColor)), form_->WindowSettings.PaneColor);
    }
    {
        DialogAnswer answer([](gui::TCommonDialog& dialog) {
            if (auto* colourDialog = dynamic_cast<gui::TColorDialog*>(&dialog)) {
                colourDialog->Color = RGB(1, 2, 3);
            }
            return false;
        });
        form_->Hintergrundfarbendern1Click();
    }
    EXPECT_EQ(ListView_GetBkColor(form_->DirView1.Handle()), colours[1]);
    EXPECT_EQ(static_cast<COLORREF>(form_->WindowSettings.PaneColor), colours[1]);
    Auswahl_Form = nullptr;
}

TEST_F(View, AReloadWithAtMostOneItemAndAClickInAPaneResetTheGauge) {
    form_->Gauge1.SetPosition(60);
    form_->DirView1.Reload(false); // three files: the gauge stays
    EXPECT_EQ(form_->Gauge1.Position(), 60);
    form_->DirView2.Reload(false); // an empty folder
    EXPECT_EQ(form_->Gauge1.Position(), 0);
    for (TDirView* pane : {&form_->DirView1, &form_->DirView2}) {
        form_->Gauge1.SetPosition(60);
        const LPARAM point = MAKELPARAM(5, pane->Height() - 5);
        SendMessageW(pane->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(pane->Handle(), WM_LBUTTONUP, 0, point);
        EXPECT_EQ(form_->Gauge1.Position(), 0);
    }
}

// --- Column widths and layout -----------------------------------------------------------------------------------

// The header's end of tracking as the list view receives it from its header control.
void EndTrack(TDirView& pane, int column) {
    const HWND header = ListView_GetHeader(pane.Handle());
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = ListView_GetColumnWidth(pane.Handle(), column);
    NMHEADERW notice{};
    notice.hdr.hwndFrom = header;
    notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
    notice.hdr.code = HDN_ENDTRACKW;
    notice.iItem = column;
    notice.pitem = &item;
    SendMessageW(pane.Handle(), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
}

TEST_F(View, ColumnWidthsDraggedInOnePaneAreCopiedToTheOther) {
    gui::TMenuItem* attributes = form_->MenuItem(L"Attr1");
    const struct {
        bool fromLeft;
        bool attributeColumn;
    } cases[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from left " << c.fromLeft << ", attributes " << c.attributeColumn);
        if (attributes->Checked() != c.attributeColumn) {
            attributes->Click();
        }
        TDirView& from = c.fromLeft ? form_->DirView1 : form_->DirView2;
        TDirView& to = c.fromLeft ? form_->DirView2 : form_->DirView1;
        ASSERT_EQ(from.ColumnCount(), c.attributeColumn ? 5 : 4);
        const int widths[] = {171, 63, 97, 141, 52};
        for (int column = 0; column < from.ColumnCount(); ++column) {
            ListView_SetColumnWidth(from.Handle(), column, widths[column]);
            ListView_SetColumnWidth(to.Handle(), column, 40);
        }
        EndTrack(from, 1);
        for (int column = 0; column < to.ColumnCount(); ++column) {
            EXPECT_EQ(ColumnWidth(to, column), widths[column]) << "column " << column;
        }
    }
}

TEST_F(View, ResizingSplitsThePanesAndTheFunctionKeyBar) {
    const int widths[] = {1000, 700, 1234};
    for (int width : widths) {
        SCOPED_TRACE(width);
        form_->SetBounds(10, 10, width, 600);
        EXPECT_EQ(form_->DirView1Panel.Width(), width / 2 + form_->Splitter1.Width() - 8);
        const int w = width / 7;
        int left = 0;
        for (gui::TButton* button :
             {&form_->F2Bt, &form_->F3Bt, &form_->F4Bt, &form_->F7Bt, &form_->F8Bt, &form_->AnzeigenBt}) {
            EXPECT_EQ(button->Left(), left);
            EXPECT_EQ(button->Width(), w);
            left += w;
        }
        EXPECT_EQ(form_->F12Bt.Left(), left);
        EXPECT_EQ(form_->F12Bt.Width(), form_->FKeyPanel.ClientWidth() - left);
    }
}

TEST_F(View, ResizingSizesTheNameColumnsToTheirContents) {
    const HWND left = form_->DirView1.Handle();
    const int longest = ListView_GetStringWidth(left, L"ein_recht_langer_dateiname_fuer_die_spalte.ps");
    for (TDirView* pane : {&form_->DirView1, &form_->DirView2}) {
        ListView_SetColumnWidth(pane->Handle(), 0, 600);
    }
    form_->SetBounds(10, 10, 900, 600);
    // The input pane follows its longest name; the empty output pane keeps room for the caption only.
    EXPECT_GT(ColumnWidth(form_->DirView1, 0), longest);
    EXPECT_LT(ColumnWidth(form_->DirView1, 0), 600);
    EXPECT_LT(ColumnWidth(form_->DirView2, 0), ColumnWidth(form_->DirView1, 0));
    EXPECT_GT(ColumnWidth(form_->DirView2, 0), 0);

    // A size message that changes nothing (as the first showing sends) keeps a width the user set.
    ListView_SetColumnWidth(left, 0, 333);
    RECT client{};
    GetClientRect(form_->Handle(), &client);
    SendMessageW(form_->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ(ColumnWidth(form_->DirView1, 0), 333);
    form_->SetBounds(10, 10, 901, 600);
    EXPECT_LT(ColumnWidth(form_->DirView1, 0), 333);
}

TEST_F(View, TheWindowCannotBeTrackedSmallerThanItsMinimum) {
    MINMAXINFO info{};
    SendMessageW(form_->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, kMinWindowWidth);
    EXPECT_EQ(info.ptMinTrackSize.y, kMinWindowHeight);
    EXPECT_EQ(kMinWindowWidth, 612);
    EXPECT_EQ(kMinWindowHeight, 290);
}

// --- Network drives -------------------------------------------------------------------------------------------

struct DialogCall {
    HWND owner = nullptr;
    DWORD type = 0;
    int count = 0;
};

int IndexOfDrive(const TDriveComboBox& box, wchar_t letter) {
    for (int i = 0; i < box.Count(); ++i) {
        if (!box.Item(i).empty() && box.Item(i)[0] == letter) {
            return i;
        }
    }
    return -1;
}

TEST_F(View, ConnectingANetworkDriveShowsTheNewDriveOnTheOutputSide) {
    // T: stands for the drive the dialog connects: the input drive box does not know it before.
    const int index = IndexOfDrive(form_->DriveComboBox1, L'T');
    ASSERT_GE(index, 0) << "scratch drive T: missing";
    form_->DriveComboBox1.DeleteItem(index);
    const std::wstring inputFolder = form_->DriveView1.Directory();

    DialogCall call;
    DWORD answer = ERROR_NO_NETWORK;
    form_->NetConnectionDialog = [&](HWND owner, DWORD type) {
        call = {owner, type, call.count + 1};
        return answer;
    };
    form_->SBNetOn.Click();
    ASSERT_EQ(call.count, 1);
    EXPECT_EQ(call.owner, form_->Handle());
    EXPECT_EQ(call.type, static_cast<DWORD>(RESOURCETYPE_DISK));
    // Cancelled or failed: nothing changes.
    EXPECT_EQ(IndexOfDrive(form_->DriveComboBox1, L'T'), -1);
    EXPECT_NE(std::towupper(form_->DriveView2.Directory()[0]), L'T');

    answer = NO_ERROR;
    form_->SBNetOn.Click();
    EXPECT_EQ(call.count, 2);
    EXPECT_EQ(form_->DriveComboBox2.Drive(), L'T');
    ASSERT_GE(form_->DriveComboBox2.ItemIndex(), 0);
    EXPECT_EQ(form_->DriveComboBox2.Item(form_->DriveComboBox2.ItemIndex())[0], L'T');
    EXPECT_EQ(form_->DriveComboBox2.DisplayStyle(), doLongPrettyName);
    ASSERT_FALSE(form_->DriveView2.Directory().empty());
    EXPECT_EQ(std::towupper(form_->DriveView2.Directory()[0]), L'T');
    // The input side stays; its box lists the drive again.
    EXPECT_EQ(form_->DriveView1.Directory(), inputFolder);
    EXPECT_GE(IndexOfDrive(form_->DriveComboBox1, L'T'), 0);
}

TEST_F(View, DisconnectingReportsAFailureButNotACancel) {
    const struct {
        DWORD result;
        bool reported;
        bool drivesRead;
    } cases[] = {{ERROR_NO_NETWORK, true, false},
                 {ERROR_EXTENDED_ERROR, true, false},
                 {0xFFFFFFFF, false, false},
                 {NO_ERROR, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        const int index = IndexOfDrive(form_->DriveComboBox2, L'T');
        ASSERT_GE(index, 0);
        form_->DriveComboBox2.DeleteItem(index);
        DialogCall call;
        form_->NetDisconnectDialog = [&](HWND owner, DWORD type) {
            call = {owner, type, call.count + 1};
            return c.result;
        };
        gui::MessageBoxRecorder boxes;
        form_->SBNetOff.Click();
        EXPECT_EQ(call.count, 1);
        EXPECT_EQ(call.owner, form_->Handle());
        EXPECT_EQ(call.type, static_cast<DWORD>(RESOURCETYPE_DISK));
        ASSERT_EQ(boxes.Records.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(boxes.Records[0].Type, gui::TMsgDlgType::mtError);
            EXPECT_FALSE(boxes.Records[0].Text.empty());
            EXPECT_EQ(boxes.Records[0].Owner, form_->Handle());
        }
        // After a disconnection the drive boxes are read again.
        EXPECT_EQ(IndexOfDrive(form_->DriveComboBox2, L'T') >= 0, c.drivesRead);
        if (!c.drivesRead) {
            form_->DriveComboBox2.ResetItems();
        }
    }
}

TEST_F(View, NetworkFailureTextIsTheSystemsOwn) {
    form_->NetDisconnectDialog = [](HWND, DWORD) { return static_cast<DWORD>(ERROR_NO_NETWORK); };
    gui::MessageBoxRecorder boxes;
    form_->SBNetOffClick();
    ASSERT_EQ(boxes.Records.size(), 1u);
    wchar_t expected[512]{};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NO_NETWORK, 0, expected,
                   512, nullptr);
    std::wstring text = expected;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(boxes.Records[0].Text, text);
}

// --- Drive and path boxes --------------------------------------------------------------------------------------

TEST_F(View, LeavingThePathBoxResetsTheDriveBoxLeavingTheDriveBoxMovesTheTree) {
    const wchar_t inputDrive = static_cast<wchar_t>(std::towupper(form_->DriveView1.Directory()[0]));
    const wchar_t outputDrive = static_cast<wchar_t>(std::towupper(form_->DriveView2.Directory()[0]));
    ASSERT_NE(inputDrive, L'S');
    form_->DriveComboBox1.SetDrive(L'S');
    form_->DriveComboBox2.SetDrive(L'S');
    ASSERT_EQ(form_->DriveComboBox1.Drive(), L'S');
    form_->InputPane.PathComboBoxExit();
    EXPECT_EQ(form_->DriveComboBox1.Drive(), inputDrive);
    EXPECT_EQ(form_->DriveComboBox2.Drive(), L'S'); // the other side is left alone
    form_->OutputPane.PathComboBoxExit();
    EXPECT_EQ(form_->DriveComboBox2.Drive(), outputDrive);

    form_->DriveComboBox2.SetDrive(L'S');
    form_->OutputPane.DriveComboBoxExit();
    ASSERT_FALSE(form_->DriveView2.Directory().empty());
    EXPECT_EQ(std::towupper(form_->DriveView2.Directory()[0]), L'S');
    EXPECT_EQ(std::towupper(form_->DriveView1.Directory()[0]), inputDrive);
}

// --- The font read from the settings file and written back --------------------------------------------------------

// A file beside the test program (Ostrel.ini, a language file), where the window looks for it; gone at the end.
class SettingsFileBesideProgram {
public:
    explicit SettingsFileBesideProgram(fs::path path) : path_(std::move(path)) {}
    ~SettingsFileBesideProgram() {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    SettingsFileBesideProgram(const SettingsFileBesideProgram&) = delete;
    SettingsFileBesideProgram& operator=(const SettingsFileBesideProgram&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST_F(View, AStruckOutFontIsShownAtStartAndStoredAtExit) {
    SettingsFileBesideProgram ini(form_->IniPath());
    ASSERT_FALSE(fs::exists(ini.path())) << "a settings file is in the way";
    WriteFileBytes(ini.path(), "[Ansicht]\r\nFont-Name=Arial\r\nFont-Size=11\r\nFont-Style=5\r\n");
    // Without a language file the window would write nothing at its end.
    SettingsFileBesideProgram language(ini.path().parent_path() / L"Deutsch.plf");
    ASSERT_FALSE(fs::exists(language.path()));
    fs::copy_file(testenv::SourceDir() / L"lang" / L"Deutsch.plf", language.path());
    gui::MessageBoxRecorder boxes;
    TOstrel_Form started;
    started.FormCreate();
    for (gui::TControl* control : std::initializer_list<gui::TControl*>{
             &started.DirView1, &started.DirView2, &started.PathComboBox1, &started.PathComboBox2}) {
        SCOPED_TRACE(std::string(control->Name().begin(), control->Name().end()));
        EXPECT_TRUE(control->Font().StrikeOut);
        EXPECT_EQ(control->Font().Name, L"Arial");
        EXPECT_NE(ShownFont(control->Handle()).lfStrikeOut, 0);
        EXPECT_EQ(ShownFont(control->Handle()).lfUnderline, 0);
    }
    fs::remove(ini.path());
    started.FormDestroy();
    const std::wstring file = ini.path().wstring();
    EXPECT_EQ(GetPrivateProfileIntW(L"Ansicht", L"Font-Style", -1, file.c_str()), 5);
    EXPECT_EQ(GetPrivateProfileIntW(L"Ansicht", L"Font-Size", -1, file.c_str()), 11);

    // What is stored is the pane's font at the end, not the style read at the start.
    WriteFileBytes(ini.path(), "[Ansicht]\r\nFont-Style=4\r\n");
    TOstrel_Form second;
    second.FormCreate();
    ASSERT_TRUE(second.DirView1.Font().Underline);
    gui::TFont struck = second.DirView1.Font();
    struck.Underline = false;
    struck.StrikeOut = true;
    second.DirView1.SetFont(struck);
    second.FormDestroy();
    EXPECT_EQ(GetPrivateProfileIntW(L"Ansicht", L"Font-Style", -1, file.c_str()), 5);
}

// --- Menu items -------------------------------------------------------------------------------------------------

TEST_F(View, MenuItemsCarryTheirShortcutsAndTheDesktopItemMovesTheInputSide) {
    const struct {
        const wchar_t* item;
        gui::TShortCut shortCut;
        bool visible;
    } cases[] = {
        {L"SortExtL", gui::ShortCut('L', gui::ssAlt), true},
        {L"SortExtR", gui::ShortCut('R', gui::ssAlt), true},
        {L"Kommandozeile", gui::ShortCut('K', gui::ssCtrl), true},
        {L"Drucker", gui::ShortCut('D', gui::ssCtrl), true},
        {L"Netzwerkumgebung", gui::ShortCut('N', gui::ssCtrl), true},
        {L"Papierkorb", gui::ShortCut('P', gui::ssCtrl), true},
        {L"LwLinks1", gui::ShortCut(VK_F1, gui::ssAlt), false},
        {L"LwRechts1", gui::ShortCut(VK_F2, gui::ssAlt), false},
    };
    for (const auto& c : cases) {
        // The hidden items sit in the menu that is never shown.
        gui::TMenuItem* item = c.visible ? form_->MenuItem(c.item) : form_->HiddenCommands.Items.Find(c.item);
        ASSERT_NE(item, nullptr) << std::string(c.item, c.item + wcslen(c.item));
        EXPECT_EQ(item->ShortCut(), c.shortCut);
        EXPECT_EQ(form_->MenuItem(c.item) != nullptr, c.visible);
    }
    // Alt+L through the menu bar toggles the left sort.
    gui::TMenuItem* sortL = form_->MenuItem(L"SortExtL");
    const bool before = sortL->Checked();
    ASSERT_TRUE(form_->MainMenu1.Items.ClickShortCut(gui::ShortCut('L', gui::ssAlt)));
    EXPECT_NE(sortL->Checked(), before);
    EXPECT_EQ(form_->DirView1.SortByExtension(), sortL->Checked());

    for (gui::TLabel* up : {&form_->InputPane.Hoch2, &form_->OutputPane.Hoch2}) {
        EXPECT_EQ(up->Caption(), L"..");
    }
    for (gui::TLabel* root : {&form_->InputPane.Hoch, &form_->OutputPane.Hoch}) {
        EXPECT_EQ(root->Caption(), L"\\");
    }

    gui::TMenuItem* desktop = form_->MenuItem(L"Desktop1");
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->Caption(), L"Desktop");
    EXPECT_EQ(desktop->Parent(), form_->MenuItem(L"Anderes"));
    desktop->Click();
    wchar_t expected[MAX_PATH]{};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, expected), S_OK);
    EXPECT_EQ(_wcsicmp(form_->DriveView1.Directory().c_str(), expected), 0);
    EXPECT_TRUE(form_->DriveView2.Directory().find(L"Out") != std::wstring::npos);
}

// --- In a shown window: focus and keys ---------------------------------------------------------------------------

// A key with Alt held, as the message loop of the window's thread sees it.
void PostAltKey(HWND target, WORD key) {
    BYTE state[256]{};
    GetKeyboardState(state);
    state[VK_MENU] = state[VK_LMENU] = 0x80;
    SetKeyboardState(state);
    PostMessageW(target, WM_SYSKEYDOWN, key, 0x20000001);
}

void ReleaseAlt() {
    BYTE state[256]{};
    GetKeyboardState(state);
    state[VK_MENU] = state[VK_LMENU] = 0;
    SetKeyboardState(state);
}

bool Dropped(const gui::TControl& box) {
    return SendMessageW(box.Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void CloseUp(const gui::TControl& box) {
    SendMessageW(box.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
}

bool CursorAt(POINT expected) {
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor.x == expected.x && cursor.y == expected.y;
}

// Files in the roots of the scratch drives (a root lists no ".." entry, so item 0 is a file), removed at the end.
class RootFiles {
public:
    RootFiles() {
        for (const wchar_t* file : {L"S:\\view_eins.ps", L"S:\\view_zwei.ps", L"T:\\view_drei.ps"}) {
            WriteFileBytes(file, "%!PS\n");
            files_.emplace_back(file);
        }
    }
    ~RootFiles() {
        std::error_code ec;
        for (const fs::path& file : files_) {
            fs::remove(file, ec);
        }
    }
    RootFiles(const RootFiles&) = delete;
    RootFiles& operator=(const RootFiles&) = delete;

private:
    std::vector<fs::path> files_;
};

TEST_F(View, InAShownWindow_FocusRulesAndKeysThatReachTheDriveBoxes) {
    RootFiles roots;
    fs::create_directories(dir_.path() / L"Out" / L"Unter");
    form_->SetInputFolder(L"S:\\");
    form_->SetOutputFolder(L"T:\\");
    ASSERT_GT(form_->DirView1.ItemCount(), 1);
    ASSERT_GT(form_->DirView2.ItemCount(), 0);
    form_->OnShow = nullptr; // the first showing's settings and questions are not under test here
    form_->Show();
    ASSERT_TRUE(guidriver::PumpUntil([&] { return IsWindowVisible(form_->Handle()) != FALSE; }, kPumpTimeoutMs, Pump));

    // Entering the input pane selects and focuses its first item.
    form_->DirView1.SetFocus();
    ASSERT_TRUE(guidriver::PumpUntil([&] { return form_->DirView1.Focused(); }, kPumpTimeoutMs, Pump));
    EXPECT_TRUE(form_->DirView1.ItemSelected(0));
    EXPECT_EQ(form_->DirView1.ItemFocused(), 0);
    form_->DirView1.SetItemSelected(1, true);

    // Entering the output pane: its first item selected, the input pane without selection, and one whole press
    // of the Left key reaches the output pane (no key is left held down).
    int leftPresses = 0;
    gui::TKeyEvent previousKeyDown = form_->DirView2.OnKeyDown;
    form_->DirView2.OnKeyDown = [&](gui::TComponent* sender, WORD& key, gui::TShiftState shift) {
        leftPresses += key == VK_LEFT;
        if (previousKeyDown) {
            previousKeyDown(sender, key, shift);
        }
    };
    form_->DirView2.SetFocus();
    ASSERT_TRUE(guidriver::PumpUntil([&] { return form_->DirView2.Focused(); }, kPumpTimeoutMs, Pump));
    EXPECT_EQ(form_->DirView1.SelCount(), 0);
    EXPECT_TRUE(form_->DirView2.ItemSelected(0));
    EXPECT_EQ(form_->DirView2.ItemFocused(), 0);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return leftPresses == 1; }, kPumpTimeoutMs, Pump));
    EXPECT_FALSE(GetKeyState(VK_LEFT) & 0x8000);
    form_->DirView2.OnKeyDown = previousKeyDown;

    // Alt+F1 / Alt+F2 (hidden menu items): the pointer on the drive box, its list open, the focus in it.
    const struct {
        WORD key;
        TDriveComboBox* box;
        TDirView* pane;
    } cases[] = {{VK_F1, &form_->DriveComboBox1, &form_->DirView1}, {VK_F2, &form_->DriveComboBox2, &form_->DirView2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key == VK_F1 ? "Alt+F1" : "Alt+F2");
        SetCursorPos(1, 1);
        PostAltKey(GetFocus() ? GetFocus() : form_->DirView2.Handle(), c.key);
        const bool dropped = guidriver::PumpUntil([&] { return Dropped(*c.box); }, kPumpTimeoutMs, Pump);
        ReleaseAlt();
        EXPECT_TRUE(dropped);
        EXPECT_TRUE(CursorAt(TOstrel_Form::CursorPointOf(*c.box)));
        EXPECT_TRUE(c.box->Focused());
        CloseUp(*c.box);
        Pump();
        // Enter in the drive box gives the focus to its pane.
        guidriver::PostKey(GetFocus(), VK_RETURN);
        EXPECT_TRUE(guidriver::PumpUntil([&] { return c.pane->Focused(); }, kPumpTimeoutMs, Pump));
    }

    // With the focus in the input pane a connected drive goes to the input side.
    form_->SetInputFolder(Folder(L"In"));
    form_->DirView1.SetFocus();
    ASSERT_TRUE(guidriver::PumpUntil([&] { return form_->DirView1.Focused(); }, kPumpTimeoutMs, Pump));
    const int index = IndexOfDrive(form_->DriveComboBox1, L'T');
    ASSERT_GE(index, 0) << "scratch drive T: missing";
    form_->DriveComboBox1.DeleteItem(index);
    const std::wstring outputFolder = form_->DriveView2.Directory();
    form_->NetConnectionDialog = [](HWND, DWORD) { return static_cast<DWORD>(NO_ERROR); };
    form_->SBNetOnClick();
    ASSERT_FALSE(form_->DriveView1.Directory().empty());
    EXPECT_EQ(std::towupper(form_->DriveView1.Directory()[0]), L'T');
    EXPECT_EQ(form_->DriveComboBox1.Drive(), L'T');
    EXPECT_EQ(form_->DriveView2.Directory(), outputFolder);

    // Going up with the pane's folder selected keeps it in sight.
    form_->SetOutputFolder(Folder(L"Out\\Unter"));
    form_->OutputPane.Hoch2Click();
    const int selected = ListView_GetNextItem(form_->DirView2.Handle(), -1, LVNI_SELECTED);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(form_->DirView2.ItemCaption(selected), L"Unter");
    form_->Hide();
}

} // namespace
