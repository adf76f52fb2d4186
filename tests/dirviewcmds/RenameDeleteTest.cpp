// Renaming in place, deleting, creating folders and files, validating, opening and the selection totals of the
// directory list view, on a real view over scratch folders.
#include "CommandsFixture.h"

#include "components/DirViewThreads.h"
#include "components/FileOperator.h"
#include "components/ShellDialogs.h"
#include "ctxmenu/ChooseCommand.h"
#include "gui/MessageBox.h"
#include "support/GuiDriver.h"

#include <commctrl.h>

#include <algorithm>

namespace dvcmdstest {
namespace {

// Types a name into the open editor and ends the edit as the Enter key does.
void CommitEdit(TDirView& view, const std::wstring& text) {
    HWND edit = ListView_GetEditControl(view.Handle());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    guidriver::PumpThreadMessages();
}

std::wstring EditText(const TDirView& view) {
    HWND edit = ListView_GetEditControl(view.Handle());
    return edit ? guidriver::WindowText(edit) : std::wstring();
}

// A delete with undo goes to the desktop's trash, outside the scratch area: take the test's own entry out again.
void RemoveFromDesktopTrash(const fs::path& original) {
    // Wine names the desktop user's home folder in its own variable, as "\??\Z:\home\user".
    wchar_t home[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH))
        return;
    std::wstring homeDir = home;
    if (homeDir.rfind(L"\\??\\", 0) == 0)
        homeDir.erase(0, 4);
    std::wstring unixPath = original.wstring();
    if (unixPath.size() < 2 || towupper(unixPath[0]) != L'Z' || unixPath[1] != L':')
        return;
    unixPath.erase(0, 2);
    std::replace(unixPath.begin(), unixPath.end(), L'\\', L'/');
    const std::string wanted = "Path=" + std::string(unixPath.begin(), unixPath.end()) + "\n";
    const std::wstring trash = homeDir + L"\\.local\\share\\Trash";
    std::error_code error;
    for (const auto& info : fs::directory_iterator(fs::path(trash) / L"info", error)) {
        if (testenv::ReadFileBytes(info.path()).find(wanted) == std::string::npos)
            continue;
        fs::remove_all(fs::path(trash) / L"files" / info.path().stem(), error);
        fs::remove(info.path(), error);
    }
}

// --- renaming ---------------------------------------------------------------------------------------------------

struct RenameCase {
    const wchar_t* Typed;
    bool Renamed;
    const wchar_t* Message; // the start of the error box text, empty for none
};

class RenameTest : public CommandsTest, public testing::WithParamInterface<RenameCase> {};

TEST_P(RenameTest, AcceptsValidNamesAndRefusesOthers) {
    const RenameCase& c = GetParam();
    FillFolder();
    Load();
    std::vector<std::wstring> began, ended;
    view->OnBeginRename = [&](gui::TComponent*, int, const std::wstring& name) { began.push_back(name); };
    view->OnEndRename = [&](gui::TComponent*, int, const std::wstring& name) { ended.push_back(name); };
    gui::MessageBoxRecorder boxes;
    boxes.Answers = {gui::mrAbort};

    int item = IndexOf(L"a.txt");
    view->EditItem(item);
    ASSERT_TRUE(view->IsEditing());
    EXPECT_FALSE(view->LoadEnabled()) << "change notices wait while a name is edited";
    CommitEdit(*view, c.Typed);

    EXPECT_TRUE(view->LoadEnabled());
    EXPECT_EQ(Exists(*folder / c.Typed), c.Renamed || std::wstring(c.Typed) == L"b.txt");
    EXPECT_EQ(Exists(*folder / L"a.txt"), !c.Renamed);
    if (c.Renamed) {
        EXPECT_EQ(view->ItemCaption(item), c.Typed);
        EXPECT_EQ(view->ItemRec(item)->DisplayName, c.Typed);
        EXPECT_EQ(began, std::vector<std::wstring>{c.Typed});
        EXPECT_EQ(ended, std::vector<std::wstring>{c.Typed});
        EXPECT_TRUE(boxes.Records.empty());
    } else {
        EXPECT_EQ(view->ItemCaption(item), L"a.txt");
        EXPECT_TRUE(ended.empty());
        ASSERT_EQ(boxes.Records.size(), 1u);
        EXPECT_EQ(boxes.Records[0].Text.rfind(c.Message, 0), 0u) << testing::PrintToString(boxes.Records[0].Text);
        EXPECT_EQ(boxes.Records[0].Type, gui::TMsgDlgType::mtError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameTest,
    testing::Values(RenameCase{L"renamed.txt", true, L""}, RenameCase{L"Mixed Case Name.ps", true, L""},
                    RenameCase{L"a:b.txt", false, L"Filename contains invalid characters: \\ / : * ? \" < > |"},
                    RenameCase{L"a?b", false, L"Filename contains invalid characters:"},
                    RenameCase{L"b.txt", false, L"File allready exists: b.txt"}));

TEST_F(CommandsTest, RenameOntoAnExistingNameReopensTheEditorWithTheTypedName) {
    FillFolder();
    Load();
    gui::MessageBoxRecorder boxes;
    boxes.Answers = {gui::mrOk};
    int item = IndexOf(L"a.txt");
    // Another item holds the focus: the editor must come back on the item that was renamed.
    view->SetItemFocused(IndexOf(L"b.txt"));
    view->EditItem(item);
    CommitEdit(*view, L"c.txt");
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Buttons, gui::TMsgDlgButtons::mbOKAbort);
    EXPECT_EQ(boxes.Records[0].Text, L"File allready exists: c.txt");
    ASSERT_TRUE(guidriver::PumpUntil([&] { return view->IsEditing(); }, 5000));
    EXPECT_EQ(EditText(*view), L"c.txt");
    // The second attempt with a free name goes through.
    CommitEdit(*view, L"d.txt");
    EXPECT_TRUE(Exists(*folder / L"d.txt"));
    EXPECT_FALSE(Exists(*folder / L"a.txt"));
    EXPECT_EQ(view->ItemCaption(item), L"d.txt");
}

TEST_F(CommandsTest, ForbiddenCharactersAreSwallowedWhileTyping) {
    FillFolder();
    Load();
    view->EditItem(IndexOf(L"a.txt"));
    HWND edit = ListView_GetEditControl(view->Handle());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"");
    for (wchar_t c : std::wstring(L"x:y*z|"))
        SendMessageW(edit, WM_CHAR, c, 0);
    EXPECT_EQ(guidriver::WindowText(edit), L"xyz");
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    guidriver::PumpThreadMessages();
    EXPECT_TRUE(view->LoadEnabled());
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
}

TEST_F(CommandsTest, ParentItemAndRecordlessItemsCannotBeEdited) {
    FillFolder();
    view->SetPath((*folder / L"sub").wstring());
    ASSERT_EQ(view->ItemCaption(0), L"..");
    view->EditItem(0);
    EXPECT_FALSE(view->IsEditing());
    view->SetReadOnly(true);
    view->EditItem(IndexOf(L"x.dat"));
    EXPECT_FALSE(view->IsEditing());
}

// --- deleting ---------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, DeleteWithoutUndoRemovesFilesAndSelectsTheFollowingItem) {
    FillFolder();
    Load();
    Select({L"a.txt", L"b.txt"});
    const int first = std::min(IndexOf(L"a.txt"), IndexOf(L"b.txt"));
    EXPECT_TRUE(view->DeleteSelectedFiles(false));
    EXPECT_FALSE(Exists(*folder / L"a.txt"));
    EXPECT_FALSE(Exists(*folder / L"b.txt"));
    EXPECT_EQ(IndexOf(L"a.txt"), -1);
    EXPECT_EQ(IndexOf(L"b.txt"), -1);
    EXPECT_GT(updated, 1);
    ASSERT_EQ(view->SelCount(), 1);
    EXPECT_EQ(view->FirstSelectedIndex(), std::min(first, view->ItemCount() - 1));
    EXPECT_EQ(view->FilesSize(), 300);
    EXPECT_EQ(view->FilesSelSize(), view->ItemIsDirectory(view->FirstSelectedIndex()) ? 0 : 300);
}

TEST_F(CommandsTest, DeletingTheOnlySelectedItemSelectsTheOneTakingItsPlace) {
    FillFolder();
    Load();
    const int item = IndexOf(L"b.txt");
    Select({L"b.txt"});
    EXPECT_TRUE(view->DeleteSelectedFiles(false));
    ASSERT_EQ(view->SelCount(), 1);
    EXPECT_EQ(view->FirstSelectedIndex(), item);
    EXPECT_EQ(view->ItemCaption(item), L"c.txt");
}

TEST_F(CommandsTest, DeleteWithUndoRemovesAFolderAndItsItem) {
    FillFolder();
    Load();
    Select({L"sub"});
    EXPECT_TRUE(view->DeleteSelectedFiles(true));
    EXPECT_FALSE(Exists(*folder / L"sub"));
    EXPECT_EQ(IndexOf(L"sub"), -1);
    RemoveFromDesktopTrash(*folder / L"sub");
}

TEST_F(CommandsTest, DeleteOfAVanishedFileFailsButDropsItsItem) {
    FillFolder();
    Load();
    Select({L"c.txt"});
    ASSERT_TRUE(DeleteFileW((*folder / L"c.txt").c_str()));
    view->DeleteSelectedFiles(false);
    EXPECT_EQ(IndexOf(L"c.txt"), -1);
    EXPECT_NE(IndexOf(L"a.txt"), -1);
}

// --- creating ---------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, CreateDirectoryAddsAndFocusesTheNewFolder) {
    Load();
    const int before = updated;
    int item = view->CreateDirectory(L"Neuer Ordner");
    ASSERT_GE(item, 0);
    EXPECT_EQ(LastDirectoryCreateError, 0u);
    EXPECT_TRUE(fs::is_directory(*folder / L"Neuer Ordner"));
    EXPECT_EQ(view->ItemCaption(item), L"Neuer Ordner");
    EXPECT_TRUE(view->ItemIsDirectory(item));
    EXPECT_EQ(view->ItemFocused(), item);
    EXPECT_EQ(updated, before + 1);
}

struct CreateFailure {
    const wchar_t* Existing; // made before the attempt (a folder when it ends in "\")
    const wchar_t* Name;
    DWORD Error;
};

class CreateFailureTest : public CommandsTest, public testing::WithParamInterface<CreateFailure> {};

TEST_P(CreateFailureTest, StoresTheErrorAndAddsNothing) {
    const CreateFailure& c = GetParam();
    std::wstring existing = c.Existing;
    if (!existing.empty() && existing.back() == L'\\')
        fs::create_directory(*folder / existing.substr(0, existing.size() - 1));
    else if (!existing.empty())
        MakeFile(*folder / existing, 1);
    Load();
    const int count = view->ItemCount();
    EXPECT_EQ(view->CreateDirectory(c.Name), -1);
    EXPECT_EQ(LastDirectoryCreateError, c.Error);
    EXPECT_EQ(view->CreateFile(c.Name), -1);
    EXPECT_EQ(LastDirectoryCreateError, c.Error);
    EXPECT_EQ(view->ItemCount(), count);
}

INSTANTIATE_TEST_SUITE_P(Names, CreateFailureTest,
                         testing::Values(CreateFailure{L"Taken\\", L"Taken", ERROR_ALREADY_EXISTS},
                                         CreateFailure{L"taken.txt", L"TAKEN.TXT", ERROR_ALREADY_EXISTS},
                                         CreateFailure{L"", L"missing\\deeper", ERROR_PATH_NOT_FOUND}));

TEST_F(CommandsTest, CreateFileMakesAnEmptyFile) {
    Load();
    int item = view->CreateFile(L"new.ps");
    ASSERT_GE(item, 0);
    EXPECT_EQ(LastDirectoryCreateError, 0u);
    EXPECT_EQ(fs::file_size(*folder / L"new.ps"), 0u);
    EXPECT_EQ(view->ItemCaption(item), L"new.ps");
    EXPECT_FALSE(view->ItemIsDirectory(item));
}

// --- validating -------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, ValidateDropsOnlyItemsWhoseFilesAreGone) {
    FillFolder();
    Load();
    ASSERT_TRUE(DeleteFileW((*folder / L"a.txt").c_str()));
    view->ValidateFile((*folder / L"b.txt").wstring());
    EXPECT_NE(IndexOf(L"b.txt"), -1);
    view->ValidateFile(L"C:\\elsewhere\\a.txt");
    EXPECT_NE(IndexOf(L"a.txt"), -1) << "a name outside the folder is not this view's";
    view->ValidateFile((*folder / L"A.TXT").wstring());
    EXPECT_EQ(IndexOf(L"a.txt"), -1);

    ASSERT_TRUE(DeleteFileW((*folder / L"c.txt").c_str()));
    Select({L"b.txt", L"c.txt"});
    view->ValidateSelectedFiles();
    EXPECT_EQ(IndexOf(L"c.txt"), -1);
    EXPECT_NE(IndexOf(L"b.txt"), -1);
}

// --- opening ----------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, ExecuteEntersFoldersGoesUpAndAsksBeforeOpeningFiles) {
    FillFolder();
    Load();
    std::vector<std::wstring> asked;
    view->OnExecFile = [&](gui::TComponent*, int item, bool& allow) {
        asked.push_back(view->ItemCaption(item));
        allow = view->ItemIsDirectory(item);
    };
    Select({L"sub"});
    view->ExecuteCurrentFile();
    EXPECT_EQ(view->Path(), (*folder / L"sub").wstring());
    ASSERT_EQ(view->ItemCaption(0), L"..");
    view->ClearSelection();
    view->FocusItem(0);
    view->ClearSelection();
    view->ExecuteCurrentFile();
    EXPECT_EQ(view->Path(), Folder());
    EXPECT_EQ(view->ItemCaption(view->ItemFocused()), L"sub") << "going up focuses the folder just left";

    Select({L"a.txt"});
    view->ExecuteCurrentFile();
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"sub", L"a.txt"}));
    EXPECT_EQ(view->Path(), Folder());
}

TEST_F(CommandsTest, EnterOnAFocusedFolderSelectsAndEntersIt) {
    FillFolder();
    Load();
    view->ClearSelection();
    int item = IndexOf(L"sub");
    view->SetItemFocused(item);
    view->ClearSelection();
    ::SetFocus(view->Handle());
    SendMessageW(view->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    guidriver::PumpThreadMessages();
    EXPECT_EQ(view->Path(), (*folder / L"sub").wstring());
}

TEST_F(CommandsTest, ExecuteFileOfAMissingFileRaisesEExecFile) {
    FillFolder();
    Load();
    int item = IndexOf(L"a.txt");
    ASSERT_TRUE(DeleteFileW((*folder / L"a.txt").c_str()));
    try {
        view->ExecuteFile(item);
        FAIL() << "no exception";
    } catch (const EExecFile& error) {
        EXPECT_EQ(error.Message(), L"Can't open file: " + (*folder / L"a.txt").wstring());
    }
}

// --- selection totals -------------------------------------------------------------------------------------------

TEST_F(CommandsTest, SelectionTotalsFollowSelectDeselectAndDelete) {
    FillFolder();
    Load();
    const int a = IndexOf(L"a.txt"), b = IndexOf(L"b.txt"), c = IndexOf(L"c.txt");
    std::vector<std::pair<int, bool>> events;
    view->OnSelectItemNew = [&](gui::TComponent*, int item, bool selected) { events.emplace_back(item, selected); };
    view->SetItemSelected(a, true);
    EXPECT_EQ(view->FilesSelSize(), 100);
    view->SetItemSelected(b, true);
    view->SetItemSelected(c, true);
    EXPECT_EQ(view->FilesSelSize(), 600);
    view->SetItemSelected(b, false);
    EXPECT_EQ(view->FilesSelSize(), 400);
    EXPECT_EQ(events.back(), std::make_pair(b, false));
    // All items at once: the list reports one change for all of them.
    view->ClearSelection();
    EXPECT_EQ(view->FilesSelSize(), 0);
    view->SetItemSelected(a, true);
    view->SetItemSelected(c, true);
    ASSERT_TRUE(DeleteFileW((*folder / L"c.txt").c_str()));
    view->UpdateDirectory();
    EXPECT_EQ(view->FilesSelSize(), 100);
    EXPECT_EQ(view->FilesSize(), 300);
}

TEST_F(CommandsTest, SelectionTotalsCountFoldersOnceTheirSizeIsKnown) {
    FillFolder();
    MakeFile(*folder / L"sub" / L"y.dat", 25);
    view->SetShowSubDirSize(true);
    Load();
    ASSERT_TRUE(guidriver::PumpUntil(
        [&] { return view->ScannerCount() == 0 && view->ItemRec(IndexOf(L"sub"))->Size == 75; }, 20000));
    EXPECT_EQ(view->FilesSize(), 600 + 75);
    view->SetItemSelected(IndexOf(L"sub"), true);
    EXPECT_EQ(view->FilesSelSize(), 75);
    view->SetItemSelected(IndexOf(L"a.txt"), true);
    EXPECT_EQ(view->FilesSelSize(), 175);
    view->SetItemSelected(IndexOf(L"sub"), false);
    EXPECT_EQ(view->FilesSelSize(), 100);
    view->SetItemSelected(IndexOf(L"sub"), true);
    // Deleting the folder takes its size out of both totals.
    view->SetItemSelected(IndexOf(L"a.txt"), false);
    EXPECT_EQ(view->FilesSelSize(), 75);
    EXPECT_TRUE(view->DeleteSelectedFiles(false));
    EXPECT_EQ(IndexOf(L"sub"), -1);
    EXPECT_EQ(view->FilesSize(), 600);
    // The item that took the folder's place is the selection now, and only its size counts.
    ASSERT_EQ(view->SelCount(), 1);
    const TFileRec* now = view->ItemRec(view->FirstSelectedIndex());
    EXPECT_EQ(view->FilesSelSize(), now->IsDirectory ? 0 : now->Size);
}

TEST_F(CommandsTest, TheParentItemNeverStaysSelected) {
    FillFolder();
    view->SetPath((*folder / L"sub").wstring());
    ASSERT_EQ(view->ItemCaption(0), L"..");
    view->SetItemSelected(0, true);
    guidriver::PumpThreadMessages();
    EXPECT_FALSE(view->ItemSelected(0));
    EXPECT_EQ(view->SelCount(), 0);
}

// --- the shell's context menu ----------------------------------------------------------------------------------

class MenuTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        // The shell's clipboard verbs go through the OLE clipboard.
        OleInitialize(nullptr);
        FillFolder();
        Load();
    }
    void TearDown() override {
        SetContextMenuTracker(nullptr);
        view->EmptyClipBoard();
        CommandsTest::TearDown();
        OleUninitialize();
    }
    // Shows the menu of the selection and chooses Verb in it; returns whether the menu offered it.
    bool Choose(const std::wstring& verb) {
        bool offered = false;
        SetContextMenuTracker([&](HMENU menu, HWND, POINT, IContextMenu* commands) -> UINT {
            UINT id = ctxmenu_test::CommandWithVerb(menu, commands, verb);
            offered = id != 0;
            return id;
        });
        view->DisplayContextMenu(POINT{10, 10});
        return offered;
    }
};

TEST_F(MenuTest, CutMarksTheSelectionAndSetsTheMode) {
    int shown = 0;
    view->OnDisplayContextMenu = [&](gui::TComponent*) { ++shown; };
    Select({L"a.txt", L"b.txt"});
    ASSERT_TRUE(Choose(L"cut"));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_NE(ListView_GetItemState(view->Handle(), IndexOf(L"a.txt"), LVIS_CUT), 0u);
    EXPECT_NE(ListView_GetItemState(view->Handle(), IndexOf(L"b.txt"), LVIS_CUT), 0u);
    EXPECT_EQ(ListView_GetItemState(view->Handle(), IndexOf(L"c.txt"), LVIS_CUT), 0u);
    view->EmptyClipBoard();
    EXPECT_EQ(ListView_GetItemState(view->Handle(), IndexOf(L"a.txt"), LVIS_CUT), 0u);
    EXPECT_EQ(ViewsClipboardMode, cmNone);
}

TEST_F(MenuTest, CopySetsTheModeWithoutMarks) {
    Select({L"a.txt"});
    ASSERT_TRUE(Choose(L"copy"));
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_EQ(ListView_GetItemState(view->Handle(), IndexOf(L"a.txt"), LVIS_CUT), 0u);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
}

TEST_F(MenuTest, DismissingChangesNothingAndWatchingGoesOn) {
    view->SetWatchForChanges(true);
    ASSERT_TRUE(view->WatchThreadActive());
    Select({L"a.txt"});
    SetContextMenuTracker([](HMENU, HWND, POINT, IContextMenu*) -> UINT { return 0; });
    view->DisplayContextMenu(POINT{10, 10});
    EXPECT_TRUE(view->WatchThreadActive());
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    EXPECT_NE(IndexOf(L"a.txt"), -1);
}

// --- drawing ----------------------------------------------------------------------------------------------------

COLORREF TextColourOf(TDirView& view, int item, int subItem) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = view.Handle();
    draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view.Handle()));
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | (subItem > 0 ? CDDS_SUBITEM : 0);
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
    draw.iSubItem = subItem;
    draw.clrText = RGB(1, 2, 3);
    SendMessageW(GetParent(view.Handle()), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
    return draw.clrText;
}

TEST_F(CommandsTest, TheParentItemCarriesTheUpArrow) {
    FillFolder();
    view->SetPath((*folder / L"sub").wstring());
    ASSERT_EQ(view->ItemCaption(0), L"..");
    BringWindowToTop(form->Handle());
    RedrawWindow(view->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    guidriver::PumpThreadMessages();
    RECT icon{};
    ASSERT_TRUE(ListView_GetItemRect(view->Handle(), 0, &icon, LVIR_ICON));
    // The arrow's shaft: drawn over the folder icon, two pixels up and left of the icon's corner.
    HDC dc = GetDC(view->Handle());
    const COLORREF shaft = GetPixel(dc, icon.left - 2 + 8, icon.top - 2 + 8);
    const COLORREF fileRow = [&] {
        RECT other{};
        ListView_GetItemRect(view->Handle(), 1, &other, LVIR_ICON);
        return GetPixel(dc, other.left - 2 + 8, other.top - 2 + 8);
    }();
    ReleaseDC(view->Handle(), dc);
    EXPECT_EQ(shaft, RGB(0, 128, 0));
    EXPECT_NE(fileRow, RGB(0, 128, 0));
    EXPECT_EQ(ImageList_GetImageCount(view->UpImages16()), 1);
}

TEST_F(CommandsTest, HiddenFilesAreDimmedAndCompressedFilesColoured) {
    FillFolder();
    ASSERT_TRUE(SetFileAttributesW((*folder / L"b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Load();
    const int a = IndexOf(L"a.txt"), b = IndexOf(L"b.txt"), c = IndexOf(L"c.txt");
    // The system cannot make a compressed file here: the record carries the attribute as a search would.
    view->ItemRec(c)->Attr |= FILE_ATTRIBUTE_COMPRESSED;
    view->CompressedColor = RGB(0, 0, 255);

    EXPECT_EQ(TextColourOf(*view, b, 0), GetSysColor(COLOR_WINDOWTEXT)) << "not dimmed unless asked";
    view->SetDimmHiddenFiles(true);
    EXPECT_EQ(TextColourOf(*view, a, 0), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(TextColourOf(*view, b, 0), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(TextColourOf(*view, b, 2), GetSysColor(COLOR_WINDOWTEXT)) << "other columns keep the text colour";
    EXPECT_EQ(TextColourOf(*view, c, 0), RGB(0, 0, 255));
    EXPECT_EQ(TextColourOf(*view, c, 3), GetSysColor(COLOR_WINDOWTEXT));
    view->SetItemSelected(b, true);
    EXPECT_EQ(TextColourOf(*view, b, 0), GetSysColor(COLOR_WINDOWTEXT)) << "a selected hidden file is not dimmed";
}

} // namespace
} // namespace dvcmdstest
