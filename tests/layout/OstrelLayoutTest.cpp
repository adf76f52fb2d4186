// Every window of the conversion program, made as the program makes them (CreateOstrelForms) in this test
// program's own folder, which is laid out as a program folder: the language files and an Ostrel.ini per case. Each
// window is judged by LayoutCheck in German and in English; the main window in every state a user brings it into.
// With OSTREL_LAYOUT_SHOTS naming a folder, every judged window is also saved there as a picture.
#include "LayoutCheck.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/dialogs/DokuInfo1_Unit.h"
#include "app/dialogs/Einstellungen_Unit.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/dialogs/Merge_Unit.h"
#include "app/dialogs/SmallDialogs.h"
#include "app/dialogs/Update_Unit.h"
#include "app/common/Sprachhinweis_Unit.h"
#include "app/main/LanguageTexts.h"
#include "app/main/OstrelForms.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "gui/MessageBox.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH * 2]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return fs::path(path).parent_path();
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

void Pump() {
    gui::Application.ProcessMessages();
}

// Judges a shown window and saves its picture; every fault is a failure of the case.
void ExpectLaidOut(gui::TForm& form, const std::string& what, std::span<const layout::DesignedOverlap> designed = {},
                   std::span<const gui::TMenuItem* const> popups = {}, std::span<const std::wstring> ownCaptions = {}) {
    Pump();
    layout::SaveScreenshot(form.Handle(), what);
    for (const std::string& fault : layout::LayoutCheck(designed, ownCaptions).Check(form, what, popups))
        ADD_FAILURE() << fault;
}

// Shows a dialog without its modal loop (its OnShow sets its texts as at every showing), judges it, hides it.
void ExpectDialogLaidOut(gui::TForm& form, const std::string& what,
                         std::span<const layout::DesignedOverlap> designed = {}) {
    form.Show();
    testenv::PumpUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; });
    ExpectLaidOut(form, what, designed);
    form.Hide();
}

// The main window lays its panels and bars out of its own; these rest on each other by design.
const layout::DesignedOverlap kMainDesigned[] = {
    // The splitter's hot zone lies on the edge of the panes it resizes.
    {L"Splitter1", L"DirView1Panel"},
};

// The texts the program shows by design that are also component names: every text of the language file (the
// German menu "Drucker" is the item Drucker) and the language menu's items, captioned with their names.
std::vector<std::wstring> OwnCaptions() {
    std::vector<std::wstring> texts{L"Deutsch", L"English"};
    for (const LanguageKey& key : LanguageKeys()) {
        std::wstring text = Texts().Get(key.Key);
        texts.push_back(text);
        std::erase(text, L'&'); // a menu shows its mnemonic underlined, not as "&"
        texts.push_back(text);
    }
    return texts;
}

struct Language {
    const wchar_t* Choice; // [Sprache] Auswahl
    const char* Tag;       // in the fault lines and picture names
};

void PrintTo(const Language& language, std::ostream* out) {
    *out << language.Tag;
}

// The program's windows over a program folder made for the case: input and output folders of their own, the
// window at the top left of the screen, the language chosen, extra settings lines as given.
class OstrelWindows {
public:
    OstrelWindows(const Language& language, const std::string& extraIni = {}, bool emptyLanguageFiles = false) {
        const fs::path folder = ProgramFolder();
        for (const wchar_t* name : {L"Deutsch.plf", L"English.plf"}) {
            if (emptyLanguageFiles)
                testenv::WriteFileBytes(folder / name, "");
            else
                testenv::WriteFileBytes(folder / name, testenv::ReadFileBytes(testenv::SourceDir() / L"lang" / name));
        }
        fs::create_directories(folders.path() / L"in");
        fs::create_directories(folders.path() / L"out");
        testenv::WriteFileBytes(folders / L"in\\Beispiel.ps", "%!PS\n");
        const std::string ini =
            "[Verzeichnisse]\r\nEingabeverzeichnis=" + Narrow((folders / L"in").wstring()) +
            "\r\nAusgabeverzeichnis=" + Narrow((folders / L"out").wstring()) +
            "\r\n[Position]\r\nLinks=8\r\nOben=8\r\n[Sprache]\r\nAuswahl=" + Narrow(language.Choice) + "\r\n" +
            extraIni;
        testenv::WriteFileBytes(folder / L"Ostrel.ini", ini);
        Texts().Clear();
        CreateOstrelForms(L"", nullptr);
        Ostrel_Form->Show();
        testenv::PumpUntil([] { return IsWindowVisible(Ostrel_Form->Handle()) != FALSE; });
        Pump();
    }
    ~OstrelWindows() {
        gui::Application.DestroyForms();
        ForgetOstrelForms();
    }
    OstrelWindows(const OstrelWindows&) = delete;
    OstrelWindows& operator=(const OstrelWindows&) = delete;

    TOstrel_Form& Main() const { return *Ostrel_Form; }
    void ExpectMainLaidOut(const std::string& what) const {
        const gui::TMenuItem* popups[] = {&Main().PopupMenu2.Items, &Main().PopupMenu1.Items};
        ExpectLaidOut(Main(), what, kMainDesigned, popups, OwnCaptions());
    }

    gui::MessageBoxRecorder boxes;
    testenv::TempDir folders{L"layout"};
};

class OstrelLayout : public testing::TestWithParam<Language> {
protected:
    std::string Name(const std::string& window) const { return std::string(GetParam().Tag) + "-" + window; }
};

TEST_P(OstrelLayout, MainWindowInEveryState) {
    OstrelWindows w(GetParam());
    TOstrel_Form& main = w.Main();
    w.ExpectMainLaidOut(Name("main-default"));
    const auto shown = reinterpret_cast<HICON>(SendMessageW(main.Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(shown, LoadIconW(GetModuleHandleW(nullptr), L"OSTREL")) << "the window shows the program's icon";

    main.SetBounds(8, 8, kMinWindowWidth - 100, kMinWindowHeight - 100);
    Pump();
    EXPECT_EQ(main.Width(), kMinWindowWidth);
    EXPECT_EQ(main.Height(), kMinWindowHeight);
    w.ExpectMainLaidOut(Name("main-minimum"));

    main.SetWindowState(gui::TWindowState::wsMaximized);
    Pump();
    w.ExpectMainLaidOut(Name("main-maximised"));
    main.SetWindowState(gui::TWindowState::wsNormal);
    main.SetBounds(8, 8, 786, 581);
    Pump();

    main.SetWindowState(gui::TWindowState::wsMinimized);
    Pump();
    main.SetWindowState(gui::TWindowState::wsNormal);
    Pump();
    w.ExpectMainLaidOut(Name("main-restored"));

    // A trip to the tray: minimised with the tray item checked, back by a click on the icon.
    main.Tray1->SetChecked(true);
    main.SetWindowState(gui::TWindowState::wsMinimized);
    Pump();
    SendMessageW(main.Handle(), WM_TRAYICON, 0, WM_LBUTTONUP);
    testenv::PumpUntil([&] { return IsWindowVisible(main.Handle()) && !IsIconic(main.Handle()); });
    main.Tray1->SetChecked(false);
    w.ExpectMainLaidOut(Name("main-after-tray"));

    main.Kommandozeile->Click();
    Pump();
    ASSERT_TRUE(main.Memo1.Visible());
    w.ExpectMainLaidOut(Name("main-memo-on"));
    main.Kommandozeile->Click();
    Pump();
    ASSERT_FALSE(main.Memo1.Visible());
    w.ExpectMainLaidOut(Name("main-memo-off"));
}

// A start makes the main window alone: the other forms keep their windows back until they are first needed, and
// the settings dialog keeps what the start set in it, as the automatic start keeping its inputs disabling the
// reader choice (deleting them leaves it).
TEST_P(OstrelLayout, AStartMakesOnlyTheMainWindow) {
    for (const auto& [deleteChoice, readerEnabled] : {std::pair{"1", false}, std::pair{"0", true}}) {
        SCOPED_TRACE(deleteChoice);
        OstrelWindows w(GetParam(), std::string("[Start]\r\nAutostart=0\r\n[Eingabedateien]\r\nL\xf6schen=") +
                                        deleteChoice + "\r\n");
        for (const auto& form : gui::Application.Forms()) {
            if (form.get() != &w.Main()) {
                EXPECT_FALSE(form->HandleAllocated()) << Narrow(form->Name()) << " has a window";
            }
        }
        EXPECT_EQ(Einstellungen_Form->AnzeigenCB.Enabled(), readerEnabled);
        EXPECT_FALSE(Einstellungen_Form->AnzeigenCB.HandleAllocated());
    }
}

TEST_P(OstrelLayout, AutomaticModeWithTheMemoFromTheStart) {
    OstrelWindows w(GetParam(), "[Start]\r\nAutostart=0\r\nKommandozeile=1\r\n");
    TOstrel_Form& main = w.Main();
    ASSERT_TRUE(main.Timer1.Enabled()) << "the start was not in automatic mode";
    EXPECT_FALSE(main.MergeBitBtn.Enabled()) << "merging is off while the timer converts";
    EXPECT_FALSE(main.Merge1->Enabled());
    EXPECT_TRUE(main.Memo1.Visible());
    w.ExpectMainLaidOut(Name("main-automatic"));
}

TEST_P(OstrelLayout, FolderHistoryListsOnlyFolders) {
    OstrelWindows w(GetParam());
    for (TPathComboBox* box : {&w.Main().PathComboBox1, &w.Main().PathComboBox2}) {
        ASSERT_GT(box->Count(), 0);
        for (int i = 0; i < box->Count(); ++i)
            EXPECT_FALSE(box->Item(i).empty()) << Narrow(box->Name()) << " item " << i << " is blank";
    }
}

TEST_P(OstrelLayout, EveryDialog) {
    OstrelWindows w(GetParam());
    Update_Form->Check().Download = [](const std::wstring&, const std::wstring& local) {
        testenv::WriteFileBytes(local, "[Version]\r\nOstrel=2.4.0.0\r\n");
        return true;
    };
    ExpectDialogLaidOut(*Einstellungen_Form, Name("settings"));
    ExpectDialogLaidOut(*Ein_Info_Form, Name("settings-legend"));
    ExpectDialogLaidOut(*Encrypt_Form, Name("encryption"));
    Encrypt_Form->Show();
    Encrypt_Form->BerechtigungCB.SetChecked(true);
    ExpectLaidOut(*Encrypt_Form, Name("encryption-on"));
    Encrypt_Form->BerechtigungCB.SetChecked(false);
    Encrypt_Form->Hide();
    Encrypt_Form->Model().State().MergeEncryptMode = true;
    ExpectDialogLaidOut(*Encrypt_Form, Name("encryption-merge"));
    Encrypt_Form->Model().LeaveMergeMode();
    ExpectDialogLaidOut(*Merge_Form, Name("merge-name"));
    ExpectDialogLaidOut(*Auswahl_Form, Name("merge-list"));
    // The merge list is sizeable: at its minimum size and larger its controls follow their anchors.
    Auswahl_Form->Show();
    Auswahl_Form->SetBounds(Auswahl_Form->Left(), Auswahl_Form->Top(), 200, 200);
    ExpectLaidOut(*Auswahl_Form, Name("merge-list-minimum"));
    Auswahl_Form->SetBounds(Auswahl_Form->Left(), Auswahl_Form->Top(), 760, 560);
    ExpectLaidOut(*Auswahl_Form, Name("merge-list-large"));
    Auswahl_Form->Hide();
    DokuInfo1_Form->FileName = (w.folders / L"in\\Beispiel.ps").wstring();
    ExpectDialogLaidOut(*DokuInfo1_Form, Name("document-information"));
    ExpectDialogLaidOut(*Update_Form, Name("update"));
    ExpectDialogLaidOut(*Info_Form, Name("about"));
    ExpectDialogLaidOut(*Beenden_Form, Name("exit-question"));
    ExpectDialogLaidOut(*Anleitung_Form, Name("instructions"));
    ExpectDialogLaidOut(*Sprachhinweis_Form, Name("restart-notice"));
    ExpectDialogLaidOut(*Info_Sprache_Form, Name("no-language-file"));
    ExpectDialogLaidOut(*Startbild_Form, Name("first-start"));
    TIntroWin intro;
    intro.SetPosition(gui::TPosition::poScreenCenter);
    ExpectDialogLaidOut(intro, Name("splash"));
}

TEST_P(OstrelLayout, MergeListAddsFilesFromTheOutputFolder) {
    OstrelWindows w(GetParam());
    std::wstring startFolder = L"(no file dialog)";
    const auto previous = gui::SetCommonDialogHook([&](gui::TCommonDialog& dialog) {
        if (auto* open = dynamic_cast<gui::TOpenDialog*>(&dialog))
            startFolder = open->InitialDir;
        return false;
    });
    Auswahl_Form->Show();
    Auswahl_Form->Hinzufuegen.Click();
    Auswahl_Form->Hide();
    gui::SetCommonDialogHook(previous);
    EXPECT_EQ(fs::path(startFolder), fs::path(w.Main().DriveView2.Directory()));
    EXPECT_EQ(fs::path(startFolder), w.folders / L"out");
}

// A shown dialog window (class #32770) of this thread, or null.
HWND ShownShellDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            if (IsWindowVisible(hwnd) && guidriver::ClassName(hwnd) == L"#32770") {
                *reinterpret_cast<HWND*>(param) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The right pane's browse button opens the folder dialog at the mouse; with the mouse in the bottom right corner
// of the work area the program pulls the dialog back onto it.
TEST_P(OstrelLayout, FolderDialogAtTheMouseStaysOnTheWorkArea) {
    OstrelWindows w(GetParam());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(SetCursorPos(work.right - 4, work.bottom - 4));
    bool seen = false;
    std::vector<std::string> faults;
    const DWORD start = GetTickCount();
    gui::TTimer timer;
    timer.SetInterval(50);
    timer.OnTimer = [&](gui::TComponent*) {
        HWND dialog = ShownShellDialog();
        if (dialog) {
            timer.SetEnabled(false);
            seen = true;
            layout::SaveScreenshot(dialog, Name("folder-dialog"));
            faults = layout::LayoutCheck::CheckOnWorkArea(dialog, Name("folder-dialog"));
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        } else if (GetTickCount() - start > 20000) {
            timer.SetEnabled(false); // the case fails below; the dialog never came
        }
    };
    w.Main().OutputPane.Browser.Click();
    timer.SetEnabled(false);
    EXPECT_TRUE(seen) << "the folder dialog did not open";
    for (const std::string& fault : faults)
        ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, OstrelLayout,
                         testing::Values(Language{L"Deutsch", "de"}, Language{L"English", "en"}),
                         [](const testing::TestParamInfo<Language>& info) { return std::string(info.param.Tag); });

// With language files that hold nothing every caption from them is empty, but no item falls back to its
// component name.
TEST(OstrelLayoutEmptyLanguageFile, NoMenuReadsItsComponentName) {
    OstrelWindows w(Language{L"Deutsch", "empty"}, {}, true);
    const gui::TMenuItem* popups[] = {&w.Main().PopupMenu2.Items, &w.Main().PopupMenu1.Items};
    layout::SaveScreenshot(w.Main().Handle(), "empty-main-default");
    int nameFaults = 0;
    for (const std::string& fault :
         layout::LayoutCheck(kMainDesigned, OwnCaptions()).Check(w.Main(), "empty-main-default", popups)) {
        // Texts that the file would give are empty here (a button may then be blank); only names must not show.
        if (fault.find("component name") != std::string::npos) {
            ADD_FAILURE() << fault;
            ++nameFaults;
        }
    }
    EXPECT_EQ(nameFaults, 0);
}

} // namespace
