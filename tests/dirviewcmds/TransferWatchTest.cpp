// The clipboard round trip through the system clipboard, the drop operation (copy, move, link), undo, and change
// watching of the directory list view.
#include "CommandsFixture.h"

#include "components/DragDropFilesEx.h"
#include "gui/MessageBox.h"
#include "support/GuiDriver.h"

#include <shlobj.h>

#include <cwctype>

namespace dvcmdstest {
namespace {

// Puts the files on the clipboard as another program would: plain CF_HDROP, no owner window in this process.
void PutFilesAsAnotherProgram(const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const auto& file : files)
        names += file + L'\0';
    names += L'\0';
    const size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_HDROP, block), nullptr);
    CloseClipboard();
}

// The watcher opens its notification handle in its own time after it starts: make files until the view has
// noticed one (each notice restarts the change timer, so the probing stops at the first), then wait for the one
// update that follows.
bool WaitUntilWatching(TDirView& view, const fs::path& folder, const int& detected) {
    int probe = 0;
    bool noticed = guidriver::PumpUntil(
        [&] {
            MakeFile(folder / (L"probe" + std::to_wstring(++probe) + L".tmp"), 1);
            guidriver::PumpUntil([&] { return view.LoadPending(); }, 100);
            return view.LoadPending();
        },
        10000);
    return noticed && guidriver::PumpUntil([&] { return detected > 0; }, 10000) &&
           CommandsTest::IndexIn(view, L"probe" + std::to_wstring(probe) + L".tmp") >= 0;
}

bool ItemCut(const TDirView& view, int item) {
    return ListView_GetItemState(view.Handle(), item, LVIS_CUT) != 0;
}

// --- clipboard --------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, CopyAndPasteCopiesAndKeepsTheClipboard) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    Select({L"a.txt", L"sub"});
    ASSERT_TRUE(view->CopyToClipBoard());
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));

    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    ASSERT_TRUE(second.CanPasteFromClipBoard());
    EXPECT_TRUE(second.PasteFromClipBoard());
    EXPECT_TRUE(Exists(target / L"a.txt"));
    EXPECT_TRUE(Exists(target / L"sub" / L"x.dat"));
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
    EXPECT_NE(IndexIn(second, L"a.txt"), -1);
    EXPECT_NE(IndexIn(second, L"sub"), -1);
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_COPY});
    // A copy stays on the clipboard for more pastes.
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    view->EmptyClipBoard();
}

TEST_F(CommandsTest, CutAndPasteMovesAndEmptiesTheClipboard) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    Select({L"b.txt"});
    ASSERT_TRUE(view->CutToClipBoard());
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_TRUE(ItemCut(*view, IndexOf(L"b.txt")));
    EXPECT_FALSE(ItemCut(*view, IndexOf(L"a.txt")));

    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    EXPECT_TRUE(second.PasteFromClipBoard());
    EXPECT_FALSE(Exists(*folder / L"b.txt"));
    EXPECT_TRUE(Exists(target / L"b.txt"));
    EXPECT_NE(IndexIn(second, L"b.txt"), -1);
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_MOVE});
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    // A second paste finds nothing.
    EXPECT_FALSE(second.PasteFromClipBoard());
}

TEST_F(CommandsTest, AfterAnotherProgramReplacedTheClipboardACutNoLongerMoves) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    Select({L"a.txt"});
    ASSERT_TRUE(view->CutToClipBoard());
    // Another program copies c.txt: its files must be copied, not moved.
    PutFilesAsAnotherProgram({(*folder / L"c.txt").wstring()});
    EXPECT_TRUE(second.PasteFromClipBoard());
    EXPECT_TRUE(Exists(target / L"c.txt"));
    EXPECT_TRUE(Exists(*folder / L"c.txt"));
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
    EXPECT_FALSE(Exists(target / L"a.txt"));
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    EXPECT_FALSE(ItemCut(*view, IndexOf(L"a.txt")));
    view->EmptyClipBoard();
}

TEST_F(CommandsTest, CutAndPasteIntoTheSameFolderLeavesTheFilesAlone) {
    FillFolder();
    Load();
    Select({L"a.txt", L"sub"});
    ASSERT_TRUE(view->CutToClipBoard());
    gui::MessageBoxRecorder boxes;
    bool operated = false;
    view->OnDDFileOperation = [&](gui::TComponent*, int, const std::wstring&, const std::wstring&, bool&) {
        operated = true;
    };
    // Nothing moved, so nothing was pasted: the cut stays on the clipboard.
    EXPECT_FALSE(view->PasteFromClipBoard());
    EXPECT_FALSE(operated);
    EXPECT_TRUE(boxes.Records.empty());
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
    EXPECT_TRUE(Exists(*folder / L"sub" / L"x.dat"));
    EXPECT_NE(IndexOf(L"a.txt"), -1);
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    view->EmptyClipBoard();
}

TEST_F(CommandsTest, CutAndPasteOfSeveralFilesAndAFolderMovesThemAll) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    Select({L"a.txt", L"b.txt", L"sub"});
    ASSERT_TRUE(view->CutToClipBoard());
    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    std::vector<TDDError> errors;
    second.OnDDError = [&](gui::TComponent*, TDDError error) { errors.push_back(error); };

    EXPECT_TRUE(second.PasteFromClipBoard());
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"sub"}) {
        EXPECT_FALSE(Exists(*folder / name)) << name;
        EXPECT_TRUE(Exists(target / name)) << name;
        EXPECT_NE(IndexIn(second, name), -1) << name;
    }
    EXPECT_TRUE(Exists(target / L"sub" / L"x.dat"));
    EXPECT_TRUE(Exists(*folder / L"c.txt"));
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_MOVE});
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(ViewsClipboardMode, cmNone);

    // The move into one folder is taken back as a whole.
    ASSERT_TRUE(second.CanUndo());
    EXPECT_TRUE(second.UndoCopyMove());
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"sub"}) {
        EXPECT_TRUE(Exists(*folder / name)) << name;
        EXPECT_FALSE(Exists(target / name)) << name;
    }
}

TEST_F(CommandsTest, APasteThatDidNotHappenKeepsTheCutAndTellsNoSuccess) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    int operationsExecuted = 0;
    second.OnDDFileOperationExecuted = [&](gui::TComponent*, int, const std::wstring&, const std::wstring&) {
        ++operationsExecuted;
    };
    std::vector<TDDError> errors;
    second.OnDDError = [&](gui::TComponent*, TDDError error) { errors.push_back(error); };

    // Vetoed: no error, nothing done.
    Select({L"a.txt", L"b.txt"});
    ASSERT_TRUE(view->CutToClipBoard());
    second.OnDDFileOperation = [](gui::TComponent*, int, const std::wstring&, const std::wstring&, bool& doIt) {
        doIt = false;
    };
    EXPECT_FALSE(second.PasteFromClipBoard());
    EXPECT_TRUE(errors.empty());
    second.OnDDFileOperation = nullptr;

    // Failed: the files went away after the cut, so the shell cannot move them.
    fs::remove(*folder / L"a.txt");
    fs::remove(*folder / L"b.txt");
    EXPECT_FALSE(second.PasteFromClipBoard());
    EXPECT_EQ(errors, std::vector<TDDError>{DDFileOperationError});

    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(operationsExecuted, 0);
    EXPECT_FALSE(second.CanUndo());
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));

    // Without a handler the failure is raised, and the clipboard is still kept.
    second.OnDDError = nullptr;
    try {
        second.PasteFromClipBoard();
        FAIL() << "no exception";
    } catch (const EDragDrop& error) {
        EXPECT_STREQ(error.what(), "DragDrop Error: 2");
    }
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    view->EmptyClipBoard();
}

TEST_F(CommandsTest, PasteIntoASubFolderOfTheSourceIsAPlainCopy) {
    FillFolder();
    Load();
    Select({L"a.txt"});
    ASSERT_TRUE(view->CopyToClipBoard());
    EXPECT_TRUE(view->PasteFromClipBoard((*folder / L"sub").wstring()));
    EXPECT_TRUE(Exists(*folder / L"sub" / L"a.txt"));
    view->EmptyClipBoard();
}

TEST_F(CommandsTest, DuplicateMakesRenamedCopiesAndSelectsThem) {
    FillFolder();
    Load();
    const int before = view->ItemCount();
    Select({L"a.txt", L"b.txt"});
    EXPECT_TRUE(view->DuplicateSelectedFiles());
    EXPECT_EQ(view->ItemCount(), before + 2);
    EXPECT_EQ(view->SelCount(), 2);
    for (int i = view->FirstSelectedIndex(); i >= 0; i = ListView_GetNextItem(view->Handle(), i, LVNI_SELECTED)) {
        const std::wstring name = view->ItemCaption(i);
        EXPECT_NE(name, L"a.txt");
        EXPECT_NE(name, L"b.txt");
        EXPECT_TRUE(Exists(*folder / name));
    }
    EXPECT_EQ(ViewsClipboardMode, cmNone);
}

TEST_F(CommandsTest, NothingToPasteWithoutFilesOrFolder) {
    FillFolder();
    PutFilesAsAnotherProgram({});
    Load();
    EXPECT_FALSE(view->PasteFromClipBoard());
    TDirView empty(form.get(), L"DirView3", 0, 0, 10, 10);
    EXPECT_FALSE(empty.CanPasteFromClipBoard());
}

// --- drop operation ---------------------------------------------------------------------------------------------

struct DropCase {
    DWORD Effect;
    bool SourceStays;
    const wchar_t* TargetName;
};

class DropTest : public CommandsTest, public testing::WithParamInterface<DropCase> {};

TEST_P(DropTest, CarriesOutTheEffect) {
    const DropCase& c = GetParam();
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    std::vector<std::wstring> operations;
    second.OnDDFileOperation = [&](gui::TComponent*, int effect, const std::wstring& source, const std::wstring& to,
                                   bool& doIt) {
        operations.push_back(std::to_wstring(effect) + L" " + source + L" -> " + to);
        doIt = true;
    };
    second.PerformDropOperation({{(*folder / L"a.txt").wstring(), L""}}, target.path().wstring(), c.Effect, false);
    EXPECT_EQ(Exists(*folder / L"a.txt"), c.SourceStays);
    EXPECT_TRUE(Exists(target / c.TargetName));
    EXPECT_NE(IndexIn(second, c.TargetName), -1);
    if (c.Effect != DROPEFFECT_LINK) {
        ASSERT_EQ(operations.size(), 1u);
        EXPECT_EQ(operations[0], std::to_wstring(c.Effect) + L" " + (*folder / L"a.txt").wstring() + L" -> " +
                                     target.path().wstring());
    } else {
        EXPECT_TRUE(operations.empty());
        EXPECT_EQ(ResolveShortcut((target / c.TargetName).wstring(), false), (*folder / L"a.txt").wstring());
    }
}

INSTANTIATE_TEST_SUITE_P(Effects, DropTest,
                         testing::Values(DropCase{DROPEFFECT_COPY, true, L"a.txt"},
                                         DropCase{DROPEFFECT_MOVE, false, L"a.txt"},
                                         DropCase{DROPEFFECT_LINK, true, L"a.lnk"}));

TEST_F(CommandsTest, AVetoedDropOperationChangesNothing) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    TDirView& second = OtherView(target.path());
    bool executed = false;
    second.OnDDFileOperation = [](gui::TComponent*, int, const std::wstring&, const std::wstring&, bool& doIt) {
        doIt = false;
    };
    second.OnDDFileOperationExecuted = [&](gui::TComponent*, int, const std::wstring&, const std::wstring&) {
        executed = true;
    };
    second.PerformDropOperation({{(*folder / L"a.txt").wstring(), L""}}, target.path().wstring(), DROPEFFECT_MOVE,
                                false);
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
    EXPECT_FALSE(Exists(target / L"a.txt"));
    EXPECT_FALSE(executed);
    EXPECT_FALSE(second.CanUndo());
}

TEST_F(CommandsTest, MappedNamesGiveEachCopyItsOwnName) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    TDirView& second = OtherView(target.path());
    second.PerformDropOperation(
        {{(*folder / L"a.txt").wstring(), L"first.txt"}, {(*folder / L"b.txt").wstring(), L"second.txt"}},
        target.path().wstring(), DROPEFFECT_COPY, false);
    EXPECT_TRUE(Exists(target / L"first.txt"));
    EXPECT_TRUE(Exists(target / L"second.txt"));
    EXPECT_FALSE(Exists(target / L"a.txt"));
}

TEST_F(CommandsTest, ALinkDropNeverOverwritesAndReportsTheName) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    MakeFile(target / L"a.lnk", 7);
    TDirView& second = OtherView(target.path());
    std::vector<TDDError> errors;
    second.OnDDError = [&](gui::TComponent*, TDDError error) { errors.push_back(error); };
    second.PerformDropOperation({{(*folder / L"a.txt").wstring(), L""}, {(*folder / L"b.txt").wstring(), L""}},
                                target.path().wstring(), DROPEFFECT_LINK, false);
    EXPECT_EQ(errors, std::vector<TDDError>{DDCreateShortCutError});
    EXPECT_EQ(fs::file_size(target / L"a.lnk"), 7u) << "the file that was there is kept";
    EXPECT_TRUE(Exists(target / L"b.lnk"));

    // Without a handler the error is raised.
    second.OnDDError = nullptr;
    try {
        second.PerformDropOperation({{(*folder / L"a.txt").wstring(), L""}}, target.path().wstring(), DROPEFFECT_LINK,
                                    false);
        FAIL() << "no exception";
    } catch (const EDragDrop& error) {
        EXPECT_STREQ(error.what(), "DragDrop Error: 0");
    }
}

TEST_F(CommandsTest, UndoTakesBackACopyAndAMove) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    EXPECT_FALSE(second.CanUndo());
    second.PerformDropOperation({{(*folder / L"a.txt").wstring(), L""}}, target.path().wstring(), DROPEFFECT_COPY,
                                false);
    ASSERT_TRUE(second.CanUndo());
    EXPECT_TRUE(second.UndoCopyMove());
    EXPECT_FALSE(Exists(target / L"a.txt"));
    EXPECT_TRUE(Exists(*folder / L"a.txt"));
    EXPECT_EQ(IndexIn(second, L"a.txt"), -1);
    EXPECT_FALSE(second.CanUndo());

    second.PerformDropOperation({{(*folder / L"b.txt").wstring(), L""}}, target.path().wstring(), DROPEFFECT_MOVE,
                                false);
    ASSERT_TRUE(Exists(target / L"b.txt"));
    ASSERT_TRUE(second.CanUndo());
    EXPECT_TRUE(second.UndoCopyMove());
    EXPECT_TRUE(Exists(*folder / L"b.txt"));
    EXPECT_FALSE(Exists(target / L"b.txt"));
}

TEST_F(CommandsTest, TheDragDropObjectServesTheView) {
    Load();
    TDragDropFilesEx& dd = view->DragDropFilesEx();
    EXPECT_EQ(dd.DragDropControl(), view.get());
    EXPECT_TRUE(dd.Registered());
    EXPECT_TRUE(dd.TargetPopupMenu);
    view->SetTargetPopUpMenu(false);
    EXPECT_FALSE(dd.TargetPopupMenu);
}

// --- watching ---------------------------------------------------------------------------------------------------

TEST_F(CommandsTest, ABurstOfChangesIsOneUpdateAfterTheInterval) {
    FillFolder();
    int detected = 0;
    view->OnChangeDetected = [&](gui::TComponent*) { ++detected; };
    view->SetChangeInterval(400);
    view->SetWatchForChanges(true);
    Load();
    ASSERT_TRUE(view->WatchThreadActive());
    ASSERT_TRUE(WaitUntilWatching(*view, folder->path(), detected));
    EXPECT_EQ(detected, 1) << "the probes came as one update";

    detected = 0;
    for (int i = 0; i < 5; ++i)
        MakeFile(*folder / (L"new" + std::to_wstring(i) + L".ps"), 10);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return IndexOf(L"new4.ps") >= 0; }, 10000));
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(IndexOf(L"new" + std::to_wstring(i) + L".ps"), -1);
    EXPECT_EQ(detected, 1);
    // Nothing more arrives once the folder is quiet.
    guidriver::PumpUntil([&] { return detected > 1; }, 1500);
    EXPECT_EQ(detected, 1);
    EXPECT_TRUE(view->WatchThreadActive()) << "the update keeps watching";
}

TEST_F(CommandsTest, ChangeIntervalIgnoresZero) {
    view->SetChangeInterval(250);
    view->SetChangeInterval(0);
    EXPECT_EQ(view->ChangeInterval(), 250u);
}

TEST_F(CommandsTest, ADriveInNoCheckDrivesIsNotWatchedWhateverItsCase) {
    FillFolder();
    const wchar_t letter = static_cast<wchar_t>(std::towlower(Folder()[0]));
    view->SetNoCheckDrives(std::wstring(L"q") + letter);
    EXPECT_EQ(view->NoCheckDrives(), std::wstring(L"Q") + static_cast<wchar_t>(std::towupper(letter)));
    view->SetChangeInterval(200);
    view->SetWatchForChanges(true);
    Load();
    EXPECT_FALSE(view->WatchThreadActive());
    MakeFile(*folder / L"unseen.ps", 10);
    guidriver::PumpUntil([&] { return IndexOf(L"unseen.ps") >= 0; }, 1500);
    EXPECT_EQ(IndexOf(L"unseen.ps"), -1);

    view->SetNoCheckDrives(L"");
    view->StartWatchThread();
    EXPECT_TRUE(view->WatchThreadActive());
}

TEST_F(CommandsTest, SwitchingWatchingOffStopsTheWatcher) {
    FillFolder();
    view->SetWatchForChanges(true);
    Load();
    EXPECT_TRUE(view->WatchThreadActive());
    int detected = 0;
    view->OnChangeDetected = [&](gui::TComponent*) { ++detected; };
    ASSERT_TRUE(WaitUntilWatching(*view, folder->path(), detected));
    view->SetWatchForChanges(false);
    EXPECT_FALSE(view->WatchThreadActive());
    MakeFile(*folder / L"late.ps", 1);
    guidriver::PumpUntil([&] { return IndexOf(L"late.ps") >= 0; }, 1500);
    EXPECT_EQ(IndexOf(L"late.ps"), -1);
}

TEST_F(CommandsTest, AWatchedFolderThatGoesEndsTheWatching) {
    fs::create_directory(*folder / L"doomed");
    int invalid = 0;
    view->OnChangeInvalid = [&](gui::TComponent*) { ++invalid; };
    view->SetWatchForChanges(true);
    view->SetPath((*folder / L"doomed").wstring());
    ASSERT_TRUE(view->WatchThreadActive());
    // The folder goes while the watching is paused (as during a command); watching it again finds it gone.
    view->StopWatchThread();
    fs::remove(*folder / L"doomed");
    view->StartWatchThread();
    ASSERT_TRUE(guidriver::PumpUntil([&] { return invalid > 0; }, 10000));
    EXPECT_EQ(invalid, 1);
    EXPECT_FALSE(view->WatchThreadActive());
}

} // namespace
} // namespace dvcmdstest
