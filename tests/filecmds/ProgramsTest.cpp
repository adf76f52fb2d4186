// The main window's program, option, language and help commands: the editor and reader command lines, the toggles
// and the settings they set, the choice of editor and reader, the file-type registration in the registry, and the
// language change with its restart notice.
#include "app/common/AboutBox.h"
#include "core/TextUtil.h"
#include "app/common/Sprachhinweis_Unit.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_FileCommands.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/MessageBox.h"
#include "win/Registry.h"
#include "support/FormSteps.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testenv::PumpUntil;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return WithTrailingBackslash(fs::path(path).parent_path().wstring());
}

class Starts {
public:
    Starts() {
        previous_ = SetProgramStartHook([this](const ProgramStart& start) { List.push_back(start); });
    }
    ~Starts() { SetProgramStartHook(std::move(previous_)); }
    Starts(const Starts&) = delete;
    Starts& operator=(const Starts&) = delete;
    std::vector<ProgramStart> List;

private:
    ProgramStartHook previous_;
};

// Answers every common dialog: OK with the file name, or Cancel for an empty one; remembers what the program set.
class DialogAnswer {
public:
    explicit DialogAnswer(std::wstring file) : file_(std::move(file)) {
        previous_ = gui::SetCommonDialogHook([this](gui::TCommonDialog& dialog) {
            auto* open = dynamic_cast<gui::TOpenDialog*>(&dialog);
            if (!open) {
                return false;
            }
            Title = open->Title;
            InitialDir = open->InitialDir;
            ++Shown;
            if (file_.empty()) {
                return false;
            }
            open->FileName = file_;
            open->Files = {file_};
            return true;
        });
    }
    ~DialogAnswer() { gui::SetCommonDialogHook(std::move(previous_)); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    std::wstring Title;
    std::wstring InitialDir;
    int Shown = 0;

private:
    std::wstring file_;
    gui::TCommonDialogHook previous_;
};

std::wstring DefaultValue(const std::wstring& key) {
    win::TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (!registry.OpenKeyReadOnly(key)) {
        return L"<missing key>";
    }
    return registry.TryReadString(L"").value_or(L"<no value>");
}

class ProgramCommands : public testing::Test {
protected:
    void SetUp() override {
        Texts().Clear();
        LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"Deutsch.plf");
        form_ = std::make_unique<TOstrel_Form>();
        form_->ApplyFileCommandTexts();
    }
    TOstrel_Form& Form() { return *form_; }

    std::unique_ptr<TOstrel_Form> form_;
};

// --- The editor for the program's own files -----------------------------------------------------------------------

TEST_F(ProgramCommands, LogSettingsAndLanguageFilesOpenInTheEditorQuoted) {
    Form().Settings.EditorProgram = L"C:\\Ed\\ed.exe";
    const std::wstring folder = ProgramFolder();
    const fs::path ini = folder + L"Ostrel.ini";
    const fs::path english = folder + L"English.plf";
    ASSERT_FALSE(fs::exists(ini));
    ASSERT_FALSE(fs::exists(english));
    Starts starts;

    Form().Logdateiansehen1Click();
    Form().OstrelinibearbeitenClick();
    Form().SprachdateienbearbeitenClick();
    ASSERT_EQ(starts.List.size(), 1u) << "no settings file and no language file beside the program";
    EXPECT_EQ(starts.List[0].Program, L"C:\\Ed\\ed.exe");
    EXPECT_EQ(starts.List[0].Parameters, L" \"" + folder + L"OstrelLog.txt\"");

    testenv::WriteFileBytes(ini, "[Start]\r\n");
    testenv::WriteFileBytes(english, "[Hauptform]\r\n");
    starts.List.clear();
    Form().OstrelinibearbeitenClick();
    Form().SprachdateienbearbeitenClick();
    fs::remove(ini);
    fs::remove(english);
    ASSERT_EQ(starts.List.size(), 2u);
    EXPECT_EQ(starts.List[0].Parameters, L" \"" + folder + L"Ostrel.ini\"");
    EXPECT_EQ(starts.List[1].Parameters, L" \"" + folder + L"English.plf\"");
}

TEST_F(ProgramCommands, ShortInstructionsOpenInTheReaderQuoted) {
    Form().Settings.ReaderProgram = L"rd.exe";
    Starts starts;
    Form().KurzanleitungpdfClick();
    ASSERT_EQ(starts.List.size(), 1u);
    EXPECT_EQ(starts.List[0].Program, L"rd.exe");
    EXPECT_EQ(starts.List[0].Parameters, L"\"" + ProgramFolder() + L"Kurzanleitung.pdf\"");
}

TEST_F(ProgramCommands, TheShellStartsTheEditorWithTheCommandLine) {
    testenv::TempDir dir(L"editor");
    const fs::path log = dir / L"editor.log";
    testenv::SetVariable(L"OSTREL_READER_LOG", log.wstring());
    Form().Settings.EditorProgram = (testenv::BinaryDir() / L"tests" / L"post" / L"reader_stub.exe").wstring();
    Form().Logdateiansehen1Click();
    const bool written =
        PumpUntil([&] { return testenv::ReadFileBytes(log).find("\r\n") != std::string::npos; }, 15000);
    testenv::SetVariable(L"OSTREL_READER_LOG", L"");
    ASSERT_TRUE(written) << "the editor did not start";
    const std::wstring quoted = L"\"" + ProgramFolder() + L"OstrelLog.txt\"";
    const std::string line = testenv::ReadFileBytes(log);
    EXPECT_NE(line.find(std::string(quoted.begin(), quoted.end())), std::string::npos) << line;
}

// --- Toggles and counter ------------------------------------------------------------------------------------------

TEST_F(ProgramCommands, TogglesFollowTheirCheckMarksIntoTheSettings) {
    const struct {
        const wchar_t* item;
        bool MainSettings::*setting;
    } cases[] = {
        {L"Zhlervorne1", &MainSettings::CounterInFront},
        {L"VSpeichern1", &MainSettings::KeepSecurity},
        {L"AbfragePSPRN", &MainSettings::OnlyPsPrn},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.item, c.item + wcslen(c.item)));
        gui::TMenuItem* item = Form().MenuItem(c.item);
        ASSERT_NE(item, nullptr);
        for (int round = 0; round < 2; ++round) {
            item->Click();
            EXPECT_EQ(Form().Settings.*c.setting, item->Checked());
        }
        Form().Settings.*c.setting = !item->Checked();
        item->Click();
        EXPECT_EQ(Form().Settings.*c.setting, item->Checked());
    }
    gui::TMenuItem* log = Form().MenuItem(L"Logdatei");
    for (int round = 0; round < 2; ++round) {
        log->Click();
        EXPECT_EQ(Form().LogEnabled(), log->Checked());
    }
    const bool tray = Form().Tray1->Checked();
    Form().Tray1->Click();
    EXPECT_NE(Form().Tray1->Checked(), tray);
}

TEST_F(ProgramCommands, ClickOnTheCounterStartsItAgain) {
    Form().Pass().Counter.Advance();
    Form().Pass().Counter.Advance();
    ASSERT_EQ(Form().ZaehlerLabel.Caption(), L"002 ");
    Form().ZaehlerL.Click();
    EXPECT_EQ(Form().ZaehlerLabel.Caption(), L"000 ");
    EXPECT_EQ(Form().Pass().Counter.Value(), 0);
    Form().Pass().Counter.Advance();
    Form().ZaehlerLabel.Click();
    EXPECT_EQ(Form().ZaehlerLabel.Caption(), L"000 ");
}

// --- Editor and reader choice -------------------------------------------------------------------------------------

TEST_F(ProgramCommands, ChoosingTheEditorAndTheReaderSetsTheSettingAndTheCaption) {
    gui::TMenuItem* editor = Form().MenuItem(L"Editor1");
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(Form().Reader, nullptr);
    EXPECT_EQ(editor->Caption(), L"Editor: notepad.exe");
    EXPECT_EQ(Form().Reader->Caption(), L"PDF-Reader: acrord32.exe");
    EXPECT_EQ(Form().Reader->Parent(), editor->Parent()) << "the reader item stands beside the editor item";

    Form().Settings.EditorProgram = L"C:\\Alt\\alt.exe";
    {
        DialogAnswer answer(L"C:\\Tools\\Mein Editor\\ed.exe");
        editor->Click();
        EXPECT_EQ(answer.InitialDir, L"C:\\Alt");
    }
    EXPECT_EQ(Form().Settings.EditorProgram, L"C:\\Tools\\Mein Editor\\ed.exe");
    EXPECT_EQ(editor->Caption(), L"Editor: ed.exe");
    {
        DialogAnswer cancel(L"");
        editor->Click();
        EXPECT_EQ(cancel.Shown, 1);
    }
    EXPECT_EQ(Form().Settings.EditorProgram, L"C:\\Tools\\Mein Editor\\ed.exe");

    {
        DialogAnswer answer(L"D:\\Leser\\leser.exe");
        Form().Reader->Click();
    }
    EXPECT_EQ(Form().Settings.ReaderProgram, L"D:\\Leser\\leser.exe");
    EXPECT_EQ(Form().Reader->Caption(), L"PDF-Reader: leser.exe");
}

// --- File-type registration ---------------------------------------------------------------------------------------

TEST_F(ProgramCommands, RegistrationWritesPsAndPrnAndConfirms) {
    const std::wstring program = L"C:\\Program Files\\PS Viewer\\view.exe";
    DialogAnswer answer(program);
    gui::MessageBoxRecorder boxes;
    Form().MenuItem(L"Verknuepfen")->Click();
    EXPECT_EQ(answer.Title, L"Programm f\u00fcr PS- und PRN-Dateien ausw\u00e4hlen");
    EXPECT_EQ(answer.InitialDir, ProgramFolder());
    for (const std::wstring ext : {L"ps", L"prn"}) {
        SCOPED_TRACE(std::string(ext.begin(), ext.end()));
        EXPECT_EQ(DefaultValue(L"." + ext), ext + L"file");
        EXPECT_EQ(DefaultValue(ext + L"file\\DefaultIcon"), program + L",0");
        EXPECT_EQ(DefaultValue(ext + L"file\\shell\\open\\command"), L"\"" + program + L"\" \"%1\"");
    }
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Text,
              L"Die Dateitypen PS und PRN wurden mit dem gew\u00e4hlten Programm verkn\u00fcpft.");
    EXPECT_EQ(boxes.Records[0].Type, gui::TMsgDlgType::mtInformation);
}

TEST_F(ProgramCommands, RegistrationCancelledWritesNothing) {
    DialogAnswer cancel(L"");
    gui::MessageBoxRecorder boxes;
    Form().VerknuepfenClick();
    EXPECT_EQ(cancel.Shown, 1);
    EXPECT_TRUE(boxes.Records.empty());
}

// --- Language -----------------------------------------------------------------------------------------------------

TEST_F(ProgramCommands, ChoosingALanguageChecksItAndItsNoticeEndsTheProgram) {
    TSprachhinweis_Form notice;
    TSprachhinweis_Form* const previous = Sprachhinweis_Form;
    Sprachhinweis_Form = &notice;
    int ended = 0;
    notice.EndProgram = [&] { ++ended; };
    testenv::WhenShown ok(
        notice, [&] { notice.JaBitBtn.Click(); }, testenv::WhenShown::Guard::HideAfterDeadline);
    Form().Deutsch->SetChecked(true);
    Form().English->SetChecked(false);
    Form().EnglishClick();
    Sprachhinweis_Form = previous;
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(Form().English->Checked());
    EXPECT_FALSE(Form().Deutsch->Checked());
}

// --- Web pages ----------------------------------------------------------------------------------------------------

TEST_F(ProgramCommands, HomePageAndForumOpenThroughTheShell) {
    std::vector<std::wstring> opened;
    TShellOpenHook previous = SetShellOpenHook([&](HWND, const std::wstring& address) {
        opened.push_back(address);
        return true;
    });
    Form().MenuItem(L"Ostrel1")->Click();
    Form().MenuItem(L"Ostrel2")->Click();
    SetShellOpenHook(std::move(previous));
    EXPECT_EQ(opened, (std::vector<std::wstring>{MakerHomePage, MakerForumPage}));
}

// --- The new-folder input box -------------------------------------------------------------------------------------

TEST(InputBox, ShowsCaptionPromptAndStartTextAndGivesBackWhatWasTyped) {
    std::wstring seenCaption;
    std::wstring seenPrompt;
    std::wstring seenStart;
    gui::TTimer answer;
    answer.SetInterval(20);
    answer.OnTimer = [&](gui::TComponent*) {
        const HWND box = guidriver::FindTopWindow(L"TInputQueryForm");
        if (!box || !IsWindowVisible(box)) {
            return;
        }
        answer.SetEnabled(false);
        seenCaption = guidriver::WindowText(box);
        seenPrompt = guidriver::WindowText(guidriver::FindControl(box, L"Prompt"));
        const HWND value = guidriver::FindControl(box, L"Value");
        seenStart = guidriver::WindowText(value);
        SetWindowTextW(value, L"Neuer Ordner 2");
        guidriver::ClickNamed(box, L"OkButton");
    };
    answer.SetEnabled(true);
    std::wstring value = L"Start";
    EXPECT_TRUE(InputQuery(L"Neuer Ordner", L"Name des neuen Ordners:", value));
    EXPECT_EQ(seenCaption, L"Neuer Ordner");
    EXPECT_EQ(seenPrompt, L"Name des neuen Ordners:");
    EXPECT_EQ(seenStart, L"Start");
    EXPECT_EQ(value, L"Neuer Ordner 2");
}

// --- Menus --------------------------------------------------------------------------------------------------------

TEST_F(ProgramCommands, MenuItemsCarryTheirShortcuts) {
    const struct {
        const wchar_t* item;
        gui::TShortCut key;
    } cases[] = {
        {L"Umbenennen1", VK_F2},
        {L"TitelVerfassereingeben1", VK_F3},
        {L"Bearbeiten1", VK_F4},
        {L"NeuerOrdner", VK_F7},
        {L"Entfernen1", VK_F8},
        {L"PDFanzeigen1", VK_F11},
        {L"Ansehen1", gui::ShortCut('V', gui::ssAlt)},
        {L"Eigenschaften1", gui::ShortCut(VK_RETURN, gui::ssAlt)},
        {L"Merge1", gui::ShortCut('M', gui::ssCtrl)},
        {L"Allesmarkieren1", gui::ShortCut('A', gui::ssCtrl)},
        {L"Auswahlumkehren1", gui::ShortCut('U', gui::ssCtrl)},
        {L"Ende1", gui::ShortCut(VK_F4, gui::ssAlt)},
        {L"Logdateiansehen1", gui::ShortCut('L', gui::ssCtrl)},
        {L"Ostrelinibearbeiten", gui::ShortCut('I', gui::ssCtrl)},
        {L"Sprachdateienbearbeiten", gui::ShortCut('B', gui::ssCtrl)},
        {L"Anleitung", VK_F1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.item, c.item + wcslen(c.item)));
        gui::TMenuItem* item = Form().MenuItem(c.item);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->ShortCut(), c.key);
    }
    // The F4 item is a command of the file menu, with the caption of the language file.
    EXPECT_EQ(Form().MenuItem(L"Bearbeiten1")->Parent(), Form().MenuItem(L"Datei1"));
    EXPECT_EQ(Form().MenuItem(L"Markieren1")->Caption(), L"Bearbeiten");
    EXPECT_NE(Form().MenuItem(L"Kurzanleitungpdf"), nullptr);
    EXPECT_EQ(Form().HiddenCommands.Items.Find(L"Escape1")->ShortCut(), static_cast<gui::TShortCut>(VK_ESCAPE));
    EXPECT_EQ(Form().HiddenCommands.Items.Find(L"Kopieren11")->ShortCut(), gui::ShortCut('C', gui::ssCtrl));
    EXPECT_EQ(Form().PopupMenu1.Items.Find(L"Einfgen1")->Caption(), L"Einf\u00fcgen/Paste");
}

} // namespace
