// The main window's file commands on a TOstrel_Form made and shown once in this process: which pane a command takes,
// what happens without a selection, the boxes it shows, the programs it starts and their command lines. Starts of
// the editor and reader are recorded through the start hook; one case lets the shell start a real recording program.
#include "app/dialogs/DokuInfo1_Unit.h"
#include "core/TextUtil.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_FileCommands.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "support/FormSteps.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using gui::TMsgDlgButtons;
using gui::TMsgDlgType;
using testenv::PumpUntil;
using testenv::WriteFileBytes;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The same folder or file, whatever the letter case and trailing backslashes.
bool SamePath(const fs::path& a, const fs::path& b) {
    auto norm = [](std::wstring text) {
        while (text.size() > 3 && (text.back() == L'\\' || text.back() == L'/')) {
            text.pop_back();
        }
        if (text.size() == 2 && text[1] == L':') {
            text += L'\\';
        }
        CharUpperW(text.data());
        return text;
    };
    return norm(a.wstring()) == norm(b.wstring());
}

// Records every program start instead of letting the shell run it.
class StartRecorder {
public:
    StartRecorder() {
        previous_ = SetProgramStartHook([this](const ProgramStart& start) { Starts.push_back(start); });
    }
    ~StartRecorder() { SetProgramStartHook(std::move(previous_)); }
    StartRecorder(const StartRecorder&) = delete;
    StartRecorder& operator=(const StartRecorder&) = delete;
    std::vector<ProgramStart> Starts;

private:
    ProgramStartHook previous_;
};

// Answers the new-folder question with a queued answer (nullptr: Cancel) and records what was asked.
class QueryAnswer {
public:
    explicit QueryAnswer(const wchar_t* answer) {
        previous_ = SetInputQueryHook(
            [this, answer](const std::wstring& caption, const std::wstring& prompt, std::wstring& value) {
                Asked.push_back(caption + L"|" + prompt + L"|" + value);
                if (!answer) {
                    return false;
                }
                value = answer;
                return true;
            });
    }
    ~QueryAnswer() { SetInputQueryHook(std::move(previous_)); }
    QueryAnswer(const QueryAnswer&) = delete;
    QueryAnswer& operator=(const QueryAnswer&) = delete;
    std::vector<std::wstring> Asked;

private:
    InputQueryHook previous_;
};

// Sets the thread's Shift key state for as long as it lives.
class ShiftHeld {
public:
    explicit ShiftHeld(bool down) {
        GetKeyboardState(saved_);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~ShiftHeld() { SetKeyboardState(saved_); }
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    BYTE saved_[256]{};
};

std::wstring ReaderStub() {
    return (testenv::BinaryDir() / L"tests" / L"post" / L"reader_stub.exe").wstring();
}

class FileCommands : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Texts().Clear();
        LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"Deutsch.plf");
        form_ = new TOstrel_Form();
        // Only the commands are under test: the first showing and activation of the program stay out.
        form_->OnShow = nullptr;
        form_->OnActivate = nullptr;
        form_->ApplyFileCommandTexts();
        for (TDirView* pane : {&form_->DirView1, &form_->DirView2}) {
            pane->ConfirmDelete = false;
        }
        form_->Show();
        PumpUntil([] { return IsWindowVisible(form_->Handle()) != FALSE; });
    }
    static void TearDownTestSuite() {
        delete form_;
        form_ = nullptr;
    }

    void SetUp() override {
        fs::create_directories(In());
        fs::create_directories(Out());
        ShowInput(In());
        ShowOutput(Out());
    }
    // The commands that start programs make a pane's folder the current one; it must not keep this test's scratch
    // folder from being removed.
    void TearDown() override { fs::current_path(testenv::BinaryDir()); }

    // The trees were read when the window was made: folders made since are read level by level on the way down.
    static void ReadTree(TDriveView& tree, const fs::path& folder) {
        std::vector<fs::path> chain;
        for (fs::path p = folder; p.has_relative_path(); p = p.parent_path()) {
            chain.insert(chain.begin(), p);
        }
        chain.insert(chain.begin(), folder.root_path());
        for (const fs::path& p : chain) {
            const HTREEITEM node = tree.FindNodeToPath(p.wstring());
            if (node && SamePath(tree.GetDirPath(node), p)) {
                tree.ValidateDirectoryEx(node, 0, true);
            }
        }
    }
    static void ShowInput(const fs::path& folder) {
        ReadTree(form_->DriveView1, folder);
        form_->SetInputFolder(folder.wstring());
        ASSERT_TRUE(SamePath(form_->DirView1.Path(), folder))
            << Narrow(form_->DirView1.Path()) << " tree " << Narrow(form_->DriveView1.Directory()) << " want "
            << Narrow(folder.wstring());
    }
    static void ShowOutput(const fs::path& folder) {
        ReadTree(form_->DriveView2, folder);
        form_->SetOutputFolder(folder.wstring());
        ASSERT_TRUE(SamePath(form_->DirView2.Path(), folder));
    }

    fs::path In() const { return dir_.path() / L"IN"; }
    fs::path Out() const { return dir_.path() / L"OUT"; }
    TOstrel_Form& Form() { return *form_; }

    static void Focus(gui::TControl& control) {
        control.SetFocus();
        // A combo box gives the focus to its edit.
        ASSERT_TRUE(PumpUntil([&] {
            const HWND focus = GetFocus();
            return focus == control.Handle() || IsChild(control.Handle(), focus);
        })) << "no focus";
    }
    // Exactly these items selected (after the focus moved: a pane selects its first item when it gets the focus).
    static void Select(TDirView& pane, std::initializer_list<const wchar_t*> names) {
        pane.ClearSelection();
        for (const wchar_t* name : names) {
            const int item = pane.FindFileItem(name);
            ASSERT_GE(item, 0) << Narrow(name);
            pane.SetItemSelected(item, true);
        }
    }
    static std::vector<std::wstring> SelectedNames(const TDirView& pane) {
        std::vector<std::wstring> names;
        for (int i = 0; i < pane.ItemCount(); ++i) {
            if (pane.ItemSelected(i)) {
                names.push_back(pane.ItemCaption(i));
            }
        }
        return names;
    }
    void Files(const fs::path& folder, std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) {
            WriteFileBytes(folder / name, "%!PS\n");
        }
        form_->F12BtClick();
    }

    testenv::TempDir dir_{L"filecmds"};
    static TOstrel_Form* form_;
};

TOstrel_Form* FileCommands::form_ = nullptr;

// --- Which pane -------------------------------------------------------------------------------------------------

TEST_F(FileCommands, TheFocusedPaneIsTheInputPaneThenTheOutputPaneElseNone) {
    Files(In(), {L"a.ps"});
    Files(Out(), {L"b.pdf"});
    Focus(Form().DirView1);
    EXPECT_EQ(Form().FocusedPane(false), &Form().DirView1);
    Form().DirView1.ClearSelection();
    EXPECT_EQ(Form().FocusedPane(true), nullptr) << "no selection in the focused pane";
    Focus(Form().DirView2);
    EXPECT_EQ(Form().FocusedPane(false), &Form().DirView2);
    Focus(Form().PathComboBox1);
    EXPECT_EQ(Form().FocusedPane(false), nullptr);
}

// --- F8 -----------------------------------------------------------------------------------------------------------

TEST_F(FileCommands, DeleteWithoutSelectionInTheFocusedPaneSaysSoAndLeavesTheOtherPaneAlone) {
    Files(In(), {L"a.ps"});
    Focus(Form().DirView2);
    Form().DirView2.ClearSelection();
    Select(Form().DirView1, {L"a.ps"});
    gui::MessageBoxRecorder boxes;
    Form().Entfernen1Click();
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Text, L"Keine Datei markiert!");
    EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtInformation);
    EXPECT_EQ(boxes.Records[0].Buttons, TMsgDlgButtons::mbOK);
    EXPECT_TRUE(fs::exists(In() / L"a.ps"));
}

TEST_F(FileCommands, DeleteWithShiftRemovesTheSelectionAndReloadsBothPanes) {
    Files(In(), {L"a.ps", L"b.ps", L"c.ps"});
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"b.ps"});
    gui::MessageBoxRecorder boxes;
    {
        ShiftHeld shift(true);
        Form().Entfernen1Click();
    }
    EXPECT_TRUE(boxes.Records.empty());
    EXPECT_FALSE(fs::exists(In() / L"b.ps"));
    EXPECT_TRUE(fs::exists(In() / L"a.ps"));
    EXPECT_LT(Form().DirView1.FindFileItem(L"b.ps"), 0);
    EXPECT_GE(Form().DirView1.FindFileItem(L"c.ps"), 0);
}

TEST_F(FileCommands, TheDeleteKeyInAPaneDeletesLikeF8) {
    Files(Out(), {L"x.pdf", L"y.pdf"});
    Focus(Form().DirView2);
    Select(Form().DirView2, {L"x.pdf"});
    ShiftHeld shift(true);
    WORD key = VK_DELETE;
    Form().OutputPane.DirViewKeyDown(key, gui::ssShift);
    EXPECT_FALSE(fs::exists(Out() / L"x.pdf"));
    EXPECT_TRUE(fs::exists(Out() / L"y.pdf"));
}

// --- F11 and the output pane's execute event ----------------------------------------------------------------------

TEST_F(FileCommands, ReaderStartsOncePerSelectedPdfOfTheFocusedPane) {
    Files(Out(), {L"eins.pdf", L"zwei.PdF", L"drei.ps", L"vier.pdf"});
    Focus(Form().DirView2);
    Select(Form().DirView2, {L"eins.pdf", L"zwei.PdF", L"drei.ps"});
    Form().Settings.ReaderProgram = L"C:\\Reader\\rd.exe";
    StartRecorder recorder;
    Form().AnzeigenBtClick();
    const std::wstring folder = WithTrailingBackslash(Form().PathComboBox2.Text());
    ASSERT_EQ(recorder.Starts.size(), 2u);
    EXPECT_EQ(recorder.Starts[0].Program, L"C:\\Reader\\rd.exe");
    EXPECT_EQ(recorder.Starts[0].Parameters, L"\"" + folder + L"eins.pdf\"");
    EXPECT_EQ(recorder.Starts[1].Parameters, L"\"" + folder + L"zwei.PdF\"");
    EXPECT_EQ(recorder.Starts[0].Parent, Form().Handle());

    recorder.Starts.clear();
    Focus(Form().PathComboBox1);
    Form().AnzeigenBtClick();
    EXPECT_TRUE(recorder.Starts.empty()) << "no pane has the focus";
}

TEST_F(FileCommands, ExecutingAPdfInTheOutputPaneOpensTheReaderInstead) {
    Files(Out(), {L"r.pdf", L"t.txt"});
    Form().Settings.ReaderProgram = L"rd.exe";
    StartRecorder recorder;
    const struct {
        const wchar_t* name;
        bool allow;
    } cases[] = {{L"r.pdf", false}, {L"t.txt", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        recorder.Starts.clear();
        Select(Form().DirView2, {c.name});
        bool allow = !c.allow;
        Form().DirView2ExecFile(Form().DirView2.FindFileItem(c.name), allow);
        EXPECT_EQ(allow, c.allow);
        EXPECT_EQ(recorder.Starts.size(), c.allow ? 0u : 1u);
    }
    // Through the pane's own open command, as a double-click or Enter runs it.
    recorder.Starts.clear();
    Select(Form().DirView2, {L"r.pdf"});
    Form().DirView2.ExecuteCurrentFile();
    ASSERT_EQ(recorder.Starts.size(), 1u);
    EXPECT_EQ(recorder.Starts[0].Program, L"rd.exe");
    EXPECT_EQ(recorder.Starts[0].Parameters, L"\"" + (Out() / L"r.pdf").wstring() + L"\"");
}

// --- F4 -----------------------------------------------------------------------------------------------------------

TEST_F(FileCommands, EditOpensTheFocusedItemInTheEditorFromThePanesFolder) {
    Files(In(), {L"mit blank.ps"});
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"mit blank.ps"});
    Form().DirView1.SetItemFocused(Form().DirView1.FindFileItem(L"mit blank.ps"));
    Form().Settings.EditorProgram = L"C:\\Ed\\ed.exe";
    StartRecorder recorder;
    Form().Bearbeiten1Click();
    ASSERT_EQ(recorder.Starts.size(), 1u);
    EXPECT_EQ(recorder.Starts[0].Program, L"C:\\Ed\\ed.exe");
    EXPECT_EQ(recorder.Starts[0].Parameters, L" \"mit blank.ps\"");
    EXPECT_TRUE(SamePath(recorder.Starts[0].CurrentFolder, In()));
}

TEST_F(FileCommands, EditInAFolderThatWentAwayShowsTheDisplayError) {
    fs::create_directories(In() / L"weg");
    Files(In() / L"weg", {L"a.ps"});
    ShowInput(In() / L"weg");
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"a.ps"});
    SetCurrentDirectoryW(dir_.path().c_str());
    fs::remove_all(In() / L"weg");
    StartRecorder recorder;
    gui::MessageBoxRecorder boxes;
    Form().Bearbeiten1Click();
    EXPECT_TRUE(recorder.Starts.empty());
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Text, L"Anzeigefehler");
    EXPECT_EQ(boxes.Records[0].Caption, L"Problem");
    EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtError);
}

// --- F7 -----------------------------------------------------------------------------------------------------------

TEST_F(FileCommands, NewFolderIsMadeInTheFocusedPaneAndSelected) {
    Focus(Form().DirView2);
    QueryAnswer answer(L"Neu");
    gui::MessageBoxRecorder boxes;
    Form().NeuerOrdnerClick();
    ASSERT_EQ(answer.Asked.size(), 1u);
    EXPECT_EQ(answer.Asked[0], L"Neuer Ordner|Name des neuen Ordners:|");
    EXPECT_TRUE(boxes.Records.empty());
    EXPECT_TRUE(fs::is_directory(Out() / L"Neu"));
    EXPECT_EQ(SelectedNames(Form().DirView2), std::vector<std::wstring>{L"Neu"});
    const int focused = Form().DirView2.ItemFocused();
    ASSERT_GE(focused, 0);
    EXPECT_EQ(Form().DirView2.ItemCaption(focused), L"Neu");
    EXPECT_FALSE(fs::exists(In() / L"Neu"));
}

TEST_F(FileCommands, NewFolderThatExistsOrCannotBeMadeIsReported) {
    fs::create_directories(In() / L"Da");
    Form().F12BtClick();
    // Exists; holds a character no name may hold; too long for the file system.
    const std::wstring names[] = {L"Da", L"a:b", L"x?y", std::wstring(300, L'x')};
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name));
        Focus(Form().DirView1);
        QueryAnswer answer(name.c_str());
        gui::MessageBoxRecorder boxes;
        Form().NeuerOrdnerClick();
        ASSERT_EQ(boxes.Records.size(), 1u);
        EXPECT_EQ(boxes.Records[0].Text, L"Verzeichnis: [" + name + L"] konnte nicht angelegt werden!");
        EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtWarning);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(In()), fs::directory_iterator()), 1) << "only \"Da\"";
}

TEST_F(FileCommands, NewFolderCancelledOrEmptyDoesNothing) {
    for (const wchar_t* answer : {static_cast<const wchar_t*>(nullptr), L""}) {
        Focus(Form().DirView1);
        QueryAnswer query(answer);
        gui::MessageBoxRecorder boxes;
        Form().NeuerOrdnerClick();
        EXPECT_EQ(query.Asked.size(), 1u);
        EXPECT_TRUE(boxes.Records.empty());
        EXPECT_TRUE(fs::is_empty(In()));
    }
}

// --- Selection ----------------------------------------------------------------------------------------------------

TEST_F(FileCommands, SelectAllTakesFilesOnlyAndCtrlUClearsEverything) {
    fs::create_directories(In() / L"Ordner");
    Files(In(), {L"a.ps", L"b.prn", L"c.pdf"});
    Focus(Form().DirView1);
    Form().Allesmarkieren1Click();
    auto selected = SelectedNames(Form().DirView1);
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (std::vector<std::wstring>{L"a.ps", L"b.prn", L"c.pdf"}));

    Form().Auswahlumkehren1Click();
    EXPECT_EQ(Form().DirView1.SelCount(), 0) << "never inverts";
    Form().Auswahlumkehren1Click();
    EXPECT_EQ(Form().DirView1.SelCount(), 0);
}

TEST_F(FileCommands, PaneKeysReachTheirCommands) {
    fs::create_directories(Out() / L"Unter");
    Files(Out() / L"Unter", {L"a.pdf", L"b.pdf"});
    ShowOutput(Out() / L"Unter");
    Focus(Form().DirView2);
    // Numpad + selects the files, numpad - clears, Backspace goes up one level.
    guidriver::PostKey(Form().DirView2.Handle(), VK_ADD);
    EXPECT_TRUE(PumpUntil([&] { return Form().DirView2.SelCount() == 2; }));
    guidriver::PostKey(Form().DirView2.Handle(), VK_SUBTRACT);
    EXPECT_TRUE(PumpUntil([&] { return Form().DirView2.SelCount() == 0; }));
    guidriver::PostKey(Form().DirView2.Handle(), VK_BACK);
    EXPECT_TRUE(PumpUntil([&] { return SamePath(Form().DirView2.Path(), Out()); }));
}

TEST_F(FileCommands, F12ReachesTheHiddenItemFromAnyControl) {
    Focus(Form().DirView1);
    WriteFileBytes(In() / L"spaeter.ps", "%!PS\n");
    EXPECT_LT(Form().DirView1.FindFileItem(L"spaeter.ps"), 0);
    guidriver::PostKey(Form().DirView1.Handle(), VK_F12);
    EXPECT_TRUE(PumpUntil([&] { return Form().DirView1.FindFileItem(L"spaeter.ps") >= 0; }));
}

TEST_F(FileCommands, EscapeCommitsANameBeingEdited) {
    Files(In(), {L"alt.ps"});
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"alt.ps"});
    Form().Umbenennen1Click();
    ASSERT_TRUE(PumpUntil([&] { return Form().DirView1.IsEditing(); }));
    const HWND edit = ListView_GetEditControl(Form().DirView1.Handle());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"neu.ps");
    guidriver::PostKey(edit, VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !Form().DirView1.IsEditing(); }));
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(In() / L"neu.ps"); }));
    EXPECT_FALSE(fs::exists(In() / L"alt.ps"));
}

// --- Clipboard ----------------------------------------------------------------------------------------------------

TEST_F(FileCommands, CopyAndCutNeedTheFocusAndASelectionPasteGoesToTheFocusedPane) {
    Files(In(), {L"kopie.ps", L"weg.ps"});
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"kopie.ps"});
    Form().Kopieren11Click();
    Focus(Form().DirView2);
    Form().Einfgen11Click();
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(Out() / L"kopie.ps"); }));
    EXPECT_TRUE(fs::exists(In() / L"kopie.ps"));

    Focus(Form().DirView1);
    Select(Form().DirView1, {L"weg.ps"});
    Form().Ausschneiden11Click();
    Focus(Form().DirView2);
    Form().Einfgen1Click();
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(Out() / L"weg.ps") && !fs::exists(In() / L"weg.ps"); }));

    // Without the focus, copying does nothing: the clipboard still holds what the cut left (nothing).
    fs::remove(Out() / L"kopie.ps");
    Select(Form().DirView1, {L"kopie.ps"});
    Focus(Form().PathComboBox1);
    Form().Kopieren11Click();
    Focus(Form().DirView2);
    Form().Einfgen11Click();
    Form().F12BtClick();
    EXPECT_FALSE(fs::exists(Out() / L"kopie.ps"));
}

TEST_F(FileCommands, ClipboardKeysPasteFilesOnlyWhileAPaneHasTheFocus) {
    Files(In(), {L"taste.ps"});
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"taste.ps"});
    Form().Kopieren11Click();
    auto pressCtrlV = [](HWND target) {
        BYTE saved[256];
        GetKeyboardState(saved);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = 0x80;
        SetKeyboardState(state);
        guidriver::PostKey(target, 'V');
        PumpUntil([] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) == 0 && !GetQueueStatus(QS_POSTMESSAGE); });
        SetKeyboardState(saved);
    };
    Focus(Form().PathComboBox2);
    pressCtrlV(GetFocus());
    Form().F12BtClick();
    EXPECT_FALSE(fs::exists(Out() / L"taste.ps")) << "the path box keeps Ctrl+V";
    Focus(Form().DirView2);
    pressCtrlV(Form().DirView2.Handle());
    EXPECT_TRUE(PumpUntil([&] { return fs::exists(Out() / L"taste.ps"); }));
}

// --- The function-key bar -----------------------------------------------------------------------------------------

TEST_F(FileCommands, FunctionKeyButtonsLeaveTheFocusInThePane) {
    Files(Out(), {L"bar.pdf"});
    Focus(Form().DirView2);
    Select(Form().DirView2, {L"bar.pdf"});
    StartRecorder recorder;
    const RECT r = [&] {
        RECT rect{};
        GetClientRect(Form().AnzeigenBt.Handle(), &rect);
        return rect;
    }();
    const LPARAM centre = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    PostMessageW(Form().AnzeigenBt.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageW(Form().AnzeigenBt.Handle(), WM_LBUTTONUP, 0, centre);
    EXPECT_TRUE(PumpUntil([&] { return recorder.Starts.size() == 1; }));
    EXPECT_EQ(GetFocus(), Form().DirView2.Handle());
}

// --- Double-click in the input pane -------------------------------------------------------------------------------

TEST_F(FileCommands, DoubleClickConvertsOnlyWhatIsNotAProgramPageOrMedium) {
    fs::create_directories(In() / L"Ordner");
    Files(In(), {L"daten.xml", L"druck.ps", L"lied.MP3", L"job.prn"});
    int conversions = 0;
    Form().PDF_Erstellung.OnClick = [&](gui::TComponent*) { ++conversions; };
    Form().PDF_Erstellung.SetEnabled(true);
    const struct {
        const wchar_t* name;
        int converts;
    } cases[] = {{L"daten.xml", 0}, {L"lied.MP3", 0}, {L"Ordner", 0}, {L"druck.ps", 1}, {L"job.prn", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        Focus(Form().DirView1);
        Select(Form().DirView1, {c.name});
        Form().DirView1.SetItemFocused(Form().DirView1.FindFileItem(c.name));
        conversions = 0;
        Form().DirView1DblClick();
        EXPECT_EQ(conversions, c.converts);
    }
    // Not focused: nothing.
    Select(Form().DirView1, {L"druck.ps"});
    Focus(Form().PathComboBox1);
    Select(Form().DirView1, {L"druck.ps"});
    conversions = 0;
    Form().DirView1DblClick();
    EXPECT_EQ(conversions, 0);
}

// --- F3 -----------------------------------------------------------------------------------------------------------

TEST_F(FileCommands, F3OpensTheDescriptionOnlyForANonPdfFileOfTheFocusedInputPane) {
    Files(In(), {L"text.ps", L"fertig.PDF"});
    TDokuInfo1_Form dialog;
    TDokuInfo1_Form* const previous = DokuInfo1_Form;
    DokuInfo1_Form = &dialog;
    std::vector<std::wstring> shown;
    testenv::WhenShown close(
        dialog,
        [&] {
            shown.push_back(dialog.FileName);
            dialog.Close();
        },
        testenv::WhenShown::Guard::HideAfterDeadline);

    Focus(Form().DirView1);
    Select(Form().DirView1, {L"fertig.PDF"});
    Form().TitelVerfassereingeben1Click();
    EXPECT_TRUE(shown.empty());
    Focus(Form().DirView2);
    Select(Form().DirView1, {L"text.ps"});
    Form().TitelVerfassereingeben1Click();
    EXPECT_TRUE(shown.empty()) << "the input pane has not the focus";
    Focus(Form().DirView1);
    Select(Form().DirView1, {L"text.ps"});
    Form().TitelVerfassereingeben1Click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(SamePath(shown[0], In() / L"text.ps"));
    DokuInfo1_Form = previous;
}

// --- Viewer -------------------------------------------------------------------------------------------------------

TEST_F(FileCommands, ViewerRunsGhostscriptOnEachSelectedFileOneAfterTheOther) {
    Files(In(), {L"a.ps", L"b.ps", L"c.ps"});
    const fs::path log = dir_.path() / L"viewer.log";
    testenv::SetVariable(L"OSTREL_READER_LOG", log.wstring());
    Form().Dialog.GhostscriptProgram = ReaderStub();
    Focus(Form().DirView2);
    Select(Form().DirView1, {L"a.ps", L"c.ps"});
    Form().ViewerClick();
    testenv::SetVariable(L"OSTREL_READER_LOG", L"");
    const std::string lines = testenv::ReadFileBytes(log);
    const std::string folder = Narrow(WithTrailingBackslash(Form().PathComboBox1.Text()));
    // The program path is quoted, so a blank in it cannot start another program.
    std::string stub = Narrow(ReaderStub());
    stub.insert(stub.begin(), '"');
    stub += '"';
    EXPECT_EQ(lines, stub + " -dSAFER -dBATCH -r96 \"" + folder + "a.ps\"\r\n" + stub + " -dSAFER -dBATCH -r96 \"" +
                         folder + "c.ps\"\r\n");
    EXPECT_EQ(Form().LastGhostscriptProgram(), ReaderStub());
    EXPECT_TRUE(SamePath(fs::current_path(), Out())) << "Ghostscript runs in the output folder";
    EXPECT_EQ(GetFocus(), Form().DirView1.Handle());
    const int focused = Form().DirView1.ItemFocused();
    ASSERT_GE(focused, 0);
    EXPECT_EQ(Form().DirView1.ItemCaption(focused), L"a.ps");
}

TEST_F(FileCommands, ViewerWithoutAnySelectionStartsNothing) {
    Files(In(), {L"a.ps"});
    Form().Dialog.GhostscriptProgram = L"C:\\nicht\\da.exe";
    Form().DirView1.ClearSelection();
    Form().DirView2.ClearSelection();
    const std::wstring before = Form().LastGhostscriptProgram();
    Form().ViewerClick();
    EXPECT_EQ(Form().LastGhostscriptProgram(), before);
}

} // namespace
