// The drive tree on the scratch drives S: and T:: root nodes and their names, reading sub-folders on expansion,
// the current folder and its fall-back to the nearest existing folder, the last folder per drive, validation
// against the disk, the change watcher, sizes and the exceptions of node operations and rename.
#include "TreeTestSupport.h"

#include "components/BaseUtils.h"
#include "gui/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace treetest;

namespace {

std::wstring Upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// --- root nodes --------------------------------------------------------------------------------------------------

TEST(DriveViewRoots, ScratchDrivesAreRootsInLetterOrderWithTheirNames) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM s = tree.GetDriveStatus(L'S').RootNode;
    HTREEITEM t = tree.GetDriveStatus(L'T').RootNode;
    ASSERT_NE(s, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(tree.NextSibling(s), t) << "no valid drive lies between S: and T:, so T: follows S: at once";
    EXPECT_EQ(tree.ParentNode(s), nullptr);
    EXPECT_EQ(tree.GetDirPath(s), L"S:");
    EXPECT_EQ(tree.GetDirName(s), L"S:\\");
    EXPECT_EQ(tree.GetDrive(t), L'T');
    EXPECT_EQ(tree.GetDriveStatus(L'Q').RootNode, nullptr) << "Q: is no drive of the test prefix";
    // Every root follows the one of an earlier letter.
    wchar_t last = 0;
    for (HTREEITEM root = TreeView_GetRoot(tree.Handle()); root; root = tree.NextSibling(root)) {
        EXPECT_GT(tree.GetDrive(root), last);
        last = tree.GetDrive(root);
    }
}

TEST(DriveViewRoots, RootTextsFollowShowVolLabelAndTheDisplayStyle) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM s = tree.GetDriveStatus(L'S').RootNode;
    ASSERT_NE(s, nullptr);
    const std::wstring pretty = DriveInfo.PrettyName(L'S');
    ASSERT_FALSE(pretty.empty());
    struct Case {
        bool showVolLabel;
        TVolumeDisplayStyle style;
        std::wstring expected;
    };
    for (const Case& c :
         {Case{true, doPrettyName, pretty}, Case{true, doDisplayName, DriveInfo.DisplayName(L'S')},
          Case{true, doLongPrettyName, DriveInfo.LongPrettyName(L'S')}, Case{false, doDisplayName, L"S:"}}) {
        tree.SetShowVolLabel(c.showVolLabel);
        tree.SetVolDisplayStyle(c.style);
        EXPECT_EQ(tree.NodeText(s), c.expected) << "style " << c.style << " label " << c.showVolLabel;
        EXPECT_EQ(tree.GetDisplayName(s), c.expected);
    }
}

TEST(DriveViewRoots, ARootSelectedReadsAsLetterColonBackslash) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    EXPECT_EQ(tree.Directory(), L"") << "nothing is selected in a new view";
    EXPECT_EQ(tree.GetSelectedDrive(), L'\0');
    tree.SetDirectory(L"t:\\");
    EXPECT_EQ(tree.Directory(), L"T:\\");
    EXPECT_EQ(tree.GetSelectedDrive(), L'T');
    EXPECT_EQ(tree.GetDirPath(tree.Selected()), L"T:");
}

// --- reading -----------------------------------------------------------------------------------------------------

TEST(DriveViewReading, ExpandingReadsOneLevelSortedAndEmptyFoldersLoseTheirButton) {
    DriveFolder folder(L'S');
    folder.Make({L"beta\\inner", L"Alpha", L"gamma"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM root = tree.GetDriveStatus(L'S').RootNode;
    EXPECT_EQ(tree.FirstChild(root), nullptr) << "nothing is read before the drive is opened";
    tree.Expand(root, true);
    EXPECT_TRUE(tree.GetDriveStatus(L'S').Scanned);
    HTREEITEM node = nullptr;
    for (HTREEITEM child = tree.FirstChild(root); child; child = tree.NextSibling(child))
        if (tree.GetDirName(child) == folder.Name())
            node = child;
    ASSERT_NE(node, nullptr) << "the scratch folder is a child of S:";
    EXPECT_EQ(tree.FirstChild(node), nullptr) << "only one level is read";
    EXPECT_TRUE(tree.NodeHasChildren(node));

    tree.Expand(node, true);
    EXPECT_EQ(ChildTexts(tree, node), (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));
    EXPECT_TRUE(tree.GetNodeData(node)->Scanned);
    HTREEITEM gamma = tree.FindReadNode(folder / L"gamma");
    HTREEITEM beta = tree.FindReadNode(folder / L"beta");
    ASSERT_NE(gamma, nullptr);
    ASSERT_NE(beta, nullptr);
    tree.Expand(gamma, true);
    EXPECT_FALSE(tree.NodeHasChildren(gamma)) << "a folder without sub-folders keeps no expand button";
    tree.Expand(beta, true);
    EXPECT_EQ(ChildTexts(tree, beta), (std::vector<std::wstring>{L"inner"}));
    EXPECT_EQ(tree.GetDirPath(tree.FindReadNode(folder / L"beta\\inner")), folder / L"beta\\inner");
}

TEST(DriveViewReading, ScanDirCanForbidReadingANode) {
    DriveFolder folder(L'S');
    folder.Make({L"closed\\hidden", L"open\\seen"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.OnScanDir = [&](TDriveView* sender, HTREEITEM node, bool& doScan) {
        if (sender->GetDirName(node) == L"closed")
            doScan = false;
    };
    tree.SetDirectory(folder / L"open\\seen");
    EXPECT_EQ(tree.Directory(), folder / L"open\\seen");
    HTREEITEM closed = tree.FindReadNode(folder / L"closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_FALSE(tree.NodeHasChildren(closed));
    tree.Expand(closed, true);
    EXPECT_EQ(tree.FirstChild(closed), nullptr);
}

// --- the current folder ------------------------------------------------------------------------------------------

TEST(DriveViewDirectory, SettingDirectorySelectsAndExpandsThePathIgnoringCase) {
    DriveFolder folder(L'S');
    folder.Make({L"One\\Two\\Three"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<std::wstring> changes;
    tree.OnChange = [&](gui::TComponent*, HTREEITEM node) { changes.push_back(tree.GetDirPath(node)); };
    tree.SetDirectory(Upper(folder / L"one\\two\\three\\"));
    EXPECT_EQ(tree.Directory(), folder / L"One\\Two\\Three") << "the names read as stored on disk";
    HTREEITEM two = tree.FindReadNode(folder / L"One\\Two");
    ASSERT_NE(two, nullptr);
    EXPECT_TRUE(tree.NodeExpanded(two));
    EXPECT_TRUE(tree.NodeExpanded(tree.FindReadNode(folder.Path())));
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), folder / L"One\\Two\\Three");
    EXPECT_EQ(tree.GetDriveStatus(L'S').DefaultDir, folder / L"One\\Two\\Three\\");
}

TEST(DriveViewDirectory, AMissingPathStepsUpToTheNearestExistingFolder) {
    DriveFolder folder(L'S');
    folder.Make({L"a\\b"});
    testenv::TempDir temp(L"tree");
    std::filesystem::create_directories(temp / L"kept");
    const std::wstring tempPath = temp.path().wstring();
    struct Case {
        std::wstring wanted;
        std::wstring expected;
    };
    for (const Case& c :
         {Case{folder / L"a\\b\\gone\\deeper", folder / L"a\\b"}, Case{folder / L"a\\missing", folder / L"a"},
          Case{L"S:\\no such folder here\\x", L"S:\\"}, Case{tempPath + L"\\kept\\gone", tempPath + L"\\kept"}}) {
        TreeForm form;
        form.Tree.SetDirectory(c.wanted);
        EXPECT_EQ(Upper(form.Tree.Directory()), Upper(c.expected))
            << "wanted " << std::string(c.wanted.begin(), c.wanted.end());
    }
}

TEST(DriveViewDirectory, APathOnADriveWithoutRootNodeSelectsNothingAndABadLetterRaises) {
    DriveFolder folder(L'S');
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder.Path());
    tree.SetDirectory(L"Q:\\anything");
    EXPECT_EQ(tree.Directory(), folder.Path()) << "the selection stays where it was";
    EXPECT_EQ(tree.FindNodeToPath(L"Q:\\anything"), nullptr);
    EXPECT_EQ(tree.FindNodeToPath(L"S:"), nullptr) << "shorter than a root";
    try {
        tree.FindNodeToPath(L"1:\\x");
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "1 is a invalid drive letter.");
    }
}

TEST(DriveViewDirectory, ShortNamesFindTheFolderToo) {
    DriveFolder folder(L'S');
    folder.Make({L"a rather long folder name"});
    wchar_t shortPath[MAX_PATH + 1] = {};
    ASSERT_NE(GetShortPathNameW((folder / L"a rather long folder name").c_str(), shortPath, MAX_PATH + 1), 0u);
    std::wstring shortName = shortPath;
    shortName = shortName.substr(shortName.find_last_of(L'\\') + 1);
    if (Upper(shortName) == Upper(L"a rather long folder name"))
        GTEST_SKIP() << "the system gives no 8.3 name";
    TreeForm form;
    HTREEITEM node = form.Tree.FindNodeToPath(folder / shortName);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(form.Tree.GetDirName(node), L"a rather long folder name");
}

TEST(DriveViewDirectory, EachDriveRemembersItsLastFolder) {
    DriveFolder onS(L'S');
    DriveFolder onT(L'T');
    onS.Make({L"deep\\er"});
    onT.Make({L"other"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<wchar_t> diskChanges;
    tree.OnDiskChange = [&](TDriveView*, wchar_t drive) { diskChanges.push_back(drive); };
    FolderTree& pane = tree; // the interface the conversion application uses
    pane.SetDirectory(onS / L"deep\\er");
    pane.SelectDrive(L't');
    EXPECT_EQ(pane.Directory(), L"T:\\") << "a drive never visited shows its root";
    pane.SetDirectory(onT / L"other");
    pane.SelectDrive(L'S');
    EXPECT_EQ(pane.Directory(), onS / L"deep\\er");
    EXPECT_EQ(pane.GetSelectedDrive(), L'S');
    pane.SelectDrive(L'T');
    EXPECT_EQ(pane.Directory(), onT / L"other");
    EXPECT_EQ(tree.GetDriveStatus(L'S').DefaultDir, onS / L"deep\\er\\");
    EXPECT_EQ(diskChanges, (std::vector<wchar_t>{L'S', L'T', L'S', L'T'}));

    // The last folder went away meanwhile: the drive falls back to the nearest folder that is left.
    std::filesystem::remove_all(onS / L"deep");
    pane.SelectDrive(L'S');
    EXPECT_EQ(pane.Directory(), onS.Path());
}

// --- validation --------------------------------------------------------------------------------------------------

TEST(DriveViewValidation, ValidatingBringsNodesInLineWithTheDisk) {
    DriveFolder folder(L'S');
    folder.Make({L"keep", L"drop\\child"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"drop\\child");
    HTREEITEM node = tree.FindReadNode(folder.Path());
    ASSERT_NE(node, nullptr);
    std::filesystem::remove_all(folder / L"drop");
    std::filesystem::create_directories(folder / L"new");
    // A change of case alone goes through another name, so the disk really holds the new spelling.
    ASSERT_TRUE(MoveFileW((folder / L"keep").c_str(), (folder / L"k.tmp").c_str()));
    ASSERT_TRUE(MoveFileW((folder / L"k.tmp").c_str(), (folder / L"KEEP").c_str()));
    tree.ValidateDirectory(node);
    EXPECT_EQ(ChildTexts(tree, node), (std::vector<std::wstring>{L"KEEP", L"new"}));
    EXPECT_EQ(tree.Directory(), folder.Path()) << "the selection moved up from the vanished folder";
}

TEST(DriveViewValidation, AVanishedStartNodeIsDeletedAndHandsTheSelectionToItsParent) {
    DriveFolder folder(L'S');
    folder.Make({L"x\\y"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"x\\y");
    HTREEITEM y = tree.Selected();
    std::filesystem::remove_all(folder / L"x\\y");
    tree.ValidateDirectoryEx(y, 0, false);
    EXPECT_EQ(tree.Directory(), folder / L"x");
    EXPECT_EQ(tree.FindReadNode(folder / L"x\\y"), nullptr);
}

TEST(DriveViewValidation, ReadSubTreeReadsEveryLevel) {
    DriveFolder folder(L'S');
    folder.Make({L"a\\b\\c\\d"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder.Path());
    tree.ReadSubTree(tree.Selected());
    EXPECT_NE(tree.FindReadNode(folder / L"a\\b\\c\\d"), nullptr);
}

// --- the change watcher ------------------------------------------------------------------------------------------

// The watcher's worker (re)opens its notification handle in its own time after each start, and the view restarts
// it after every validation, so a single change can fall into that gap. While waiting, a folder is made and
// removed in the drive root now and then: every report makes the view read the root again.
bool WaitWithNudges(wchar_t drive, const std::function<bool()>& condition) {
    const std::wstring nudge = std::wstring(1, drive) + L":\\nudge" + std::to_wstring(GetCurrentProcessId());
    ULONGLONG next = GetTickCount64() + 700;
    return PumpUntil(
        [&] {
            if (condition())
                return true;
            if (GetTickCount64() >= next) {
                CreateDirectoryW(nudge.c_str(), nullptr);
                RemoveDirectoryW(nudge.c_str());
                next = GetTickCount64() + 700;
            }
            return false;
        },
        15000);
}

TEST(DriveViewWatching, FoldersMadeOrRemovedOnDiskFollowAfterTheWatcherReports) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<wchar_t> detected;
    tree.OnChangeDetected = [&](TDriveView*, wchar_t drive) { detected.push_back(drive); };
    tree.SetChangeInterval(100);
    tree.SetWatchDirectory(true);
    tree.SetDirectory(L"S:\\");
    ASSERT_TRUE(tree.WatchThreadActive());
    EXPECT_TRUE(tree.WatchThreadActiveOnDrive(L'S'));
    EXPECT_FALSE(tree.WatchThreadActiveOnDrive(L'T'));

    auto folder = std::make_unique<DriveFolder>(L'S', L"watched");
    const std::wstring path = folder->Path();
    EXPECT_TRUE(WaitWithNudges(L'S', [&] { return tree.FindReadNode(path) != nullptr; }))
        << "the new folder never appeared in the tree";
    EXPECT_FALSE(detected.empty());
    if (!detected.empty()) {
        EXPECT_EQ(detected.back(), L'S');
    }

    folder.reset();
    EXPECT_TRUE(WaitWithNudges(L'S', [&] { return tree.FindReadNode(path) == nullptr; }))
        << "the removed folder stayed in the tree";

    tree.SetWatchDirectory(false);
    EXPECT_FALSE(tree.WatchThreadActive());
}

TEST(DriveViewWatching, NoCheckDrivesGetNoWatcher) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetNoCheckDrives(L"s");
    EXPECT_EQ(tree.NoCheckDrives(), L"S");
    tree.SetWatchDirectory(true);
    tree.SetDirectory(L"S:\\");
    EXPECT_FALSE(tree.WatchThreadActiveOnDrive(L'S'));
    tree.SetDirectory(L"T:\\");
    EXPECT_TRUE(tree.WatchThreadActiveOnDrive(L'T'));
}

// --- sizes -------------------------------------------------------------------------------------------------------

TEST(DriveViewSizes, FormatDirSizeInKilobytesAndMegabytes) {
    struct Case {
        std::uint32_t bytes;
        std::wstring expected;
    };
    for (const Case& c : {Case{0, L"0K"}, Case{1, L"1K"}, Case{1023, L"1K"}, Case{2048, L"2K"},
                          Case{99999u * 1024u, FormatWithThousands(99999) + L"K"}, Case{100000u * 1024u, L"97M"},
                          Case{0xFFFFFFFEu, FormatWithThousands(4095) + L"M"}}) {
        EXPECT_EQ(TDriveView::FormatDirSize(c.bytes), c.expected) << c.bytes;
    }
}

TEST(DriveViewSizes, DirSizeSumsTheFilesDirectlyInTheFolder) {
    DriveFolder folder(L'S');
    folder.Make({L"sub"});
    testenv::WriteFileBytes(folder / L"a.bin", std::string(3000, 'a'));
    testenv::WriteFileBytes(folder / L"b.bin", std::string(2000, 'b'));
    testenv::WriteFileBytes(folder / L"sub\\c.bin", std::string(7000, 'c'));
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder.Path());
    HTREEITEM node = tree.Selected();
    EXPECT_EQ(tree.GetNodeData(node)->DirSize, TNodeData::kDirSizeUnknown);
    EXPECT_EQ(tree.GetDirSize(node), 5000u);
    EXPECT_EQ(tree.GetSubTreeSize(node), 12000u);
    tree.SetShowDirSize(true);
    EXPECT_EQ(tree.NodeText(node), folder.Name() + L" = 4K");
    testenv::WriteFileBytes(folder / L"d.bin", std::string(4000, 'd'));
    tree.RefreshDirSize(node);
    EXPECT_EQ(tree.NodeText(node), folder.Name() + L" = 8K");
}

// --- exceptions and rename ---------------------------------------------------------------------------------------

TEST(DriveViewErrors, NodeOperationsWithoutANodeRaiseNodeNotAssigned) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    struct Case {
        const char* name;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"GetDirPath", [&] { tree.GetDirPath(nullptr); }},
        {"GetDrive", [&] { tree.GetDrive(nullptr); }},
        {"RootNode", [&] { tree.RootNode(nullptr); }},
        {"SortChildren", [&] { tree.SortChildren(nullptr, false); }},
        {"GetDisplayName", [&] { tree.GetDisplayName(nullptr); }},
        {"GetDirSize", [&] { tree.GetDirSize(nullptr); }},
        {"SetDirSize", [&] { tree.SetDirSize(nullptr); }},
        {"RefreshDirSize", [&] { tree.RefreshDirSize(nullptr); }},
        {"GetSubTreeSize", [&] { tree.GetSubTreeSize(nullptr); }},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << " raised nothing";
        } catch (const ENodeNotAssigned& e) {
            EXPECT_EQ(std::string(e.what()), std::string(c.name) + ": Node not assigned");
        }
    }
    EXPECT_EQ(tree.GetDirName(nullptr), L"");
    EXPECT_EQ(tree.GetNodeData(nullptr), nullptr);
    EXPECT_FALSE(tree.IsSubDirNode(nullptr));
}

TEST(DriveViewErrors, RenameToAForbiddenNameRaisesInvalidDirNameAndChangesNothing) {
    DriveFolder folder(L'S');
    folder.Make({L"name"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"name");
    HTREEITEM node = tree.Selected();
    const std::wstring message = TDriveView::InvalidDirNameMessage();
    EXPECT_EQ(message.substr(message.size() - 17), L"\\ / : * ? \" < > |");
    if (PRIMARYLANGID(GetUserDefaultLangID()) == LANG_ENGLISH) {
        EXPECT_EQ(message, L"New name contains Invalid characters: \\ / : * ? \" < > |");
    }
    for (const wchar_t* bad : {L"a?b", L"x:y", L"pipe|", L"back\\slash"}) {
        EXPECT_THROW(tree.RenameNode(node, bad), EInvalidDirName) << "name with a forbidden character";
    }
    EXPECT_TRUE(std::filesystem::exists(folder / L"name"));
    EXPECT_EQ(tree.NodeText(node), L"name");
}

TEST(DriveViewRename, RenameMovesTheFolderAndANameInUseIsReported) {
    DriveFolder folder(L'S');
    folder.Make({L"a", L"b", L"c"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"a");
    HTREEITEM a = tree.Selected();
    ASSERT_TRUE(tree.RenameNode(a, L"zeta"));
    EXPECT_TRUE(std::filesystem::exists(folder / L"zeta"));
    EXPECT_FALSE(std::filesystem::exists(folder / L"a"));
    EXPECT_EQ(ChildTexts(tree, tree.ParentNode(a)), (std::vector<std::wstring>{L"b", L"c", L"zeta"}));
    EXPECT_EQ(tree.Directory(), folder / L"zeta");

    gui::MessageBoxRecorder boxes;
    boxes.Answers.push_back(gui::mrAbort);
    HTREEITEM b = tree.FindReadNode(folder / L"b");
    EXPECT_FALSE(tree.RenameNode(b, L"c"));
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Buttons, gui::TMsgDlgButtons::mbOKAbort);
    if (PRIMARYLANGID(GetUserDefaultLangID()) == LANG_ENGLISH) {
        EXPECT_EQ(boxes.Records[0].Text, L"File allready exists: c");
    }
    EXPECT_EQ(tree.NodeText(b), L"b");
    EXPECT_TRUE(std::filesystem::exists(folder / L"b"));
}

TEST(DriveViewRename, OnlySubFoldersWhoseTextIsTheirNameCanBeEdited) {
    DriveFolder folder(L'S');
    folder.Make({L"editable"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"editable");
    EXPECT_TRUE(tree.CanEdit(tree.Selected()));
    EXPECT_FALSE(tree.CanEdit(tree.GetDriveStatus(L'S').RootNode));
    tree.SetShowDirSize(true);
    EXPECT_FALSE(tree.CanEdit(tree.Selected())) << "the text carries the size";
}

// --- a look at the tree ------------------------------------------------------------------------------------------

// Shows a tree with a few folders open. With OSTREL_TREE_GALLERY_MS set it stays on screen that long, for
// scripts/screenshot.sh.
TEST(DriveViewGallery, ShowsTheTreeInAForm) {
    DriveFolder folder(L'S', L"Gallery");
    folder.Make({L"Documents\\Letters", L"Documents\\Invoices 2026", L"Pictures", L"Music\\Live", L".settings"});
    TreeForm form;
    form.SetText(L"Drive tree");
    form.Tree.SetDimmHiddenDirs(true);
    form.Tree.SetDirectory(folder / L"Documents\\Letters");
    form.Tree.Expand(form.Tree.FindReadNode(folder / L"Music"), true);
    form.Tree.GetNodeData(form.Tree.FindReadNode(folder / L"Pictures"))->Bold = true;
    form.Show();
    form.Tree.SetFocus();
    EXPECT_TRUE(IsWindowVisible(form.Tree.Handle()));
    RECT r{};
    EXPECT_TRUE(TreeView_GetItemRect(form.Tree.Handle(), form.Tree.Selected(), &r, TRUE)) << "the selection is visible";
    if (const char* ms = std::getenv("OSTREL_TREE_GALLERY_MS")) {
        DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(ms));
        PumpUntil([&] { return GetTickCount() >= until; }, static_cast<DWORD>(std::atoi(ms)) + 1000);
    }
}

} // namespace
