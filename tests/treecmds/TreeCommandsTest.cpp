// The drive tree's folder commands on the scratch drives: making and deleting folders (a drive never), the
// undo of the last copy or move, the bold mark, the shell context menu's own verbs, the node operations that
// refuse a missing node, and how drag-and-drop errors are reported.
#include "TreeCmdsSupport.h"

#include "components/DirView.h"
#include "components/ViewsShared.h"
#include "ctxmenu/ChooseCommand.h"

#include <gtest/gtest.h>

using namespace treecmds;

namespace {

// --- making folders ----------------------------------------------------------------------------------------------

TEST(TreeCreateDirectory, MakesTheFolderAndASortedScannedNodeBelowAnExpandedParent) {
    DriveFolder folder(L'S');
    folder.Make({L"beta", L"delta"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM parent = ReadNode(tree, folder.Path());
    ASSERT_NE(parent, nullptr);

    LastDirectoryCreateError = 12345;
    HTREEITEM node = tree.CreateDirectory(parent, L"Charlie");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(LastDirectoryCreateError, 0u);
    EXPECT_TRUE(IsFolder(folder / L"Charlie"));
    EXPECT_EQ(tree.GetDirPath(node), folder / L"Charlie");
    EXPECT_TRUE(tree.GetNodeData(node)->Scanned) << "a new folder has nothing to read";
    EXPECT_EQ(ChildTexts(tree, parent), (std::vector<std::wstring>{L"beta", L"Charlie", L"delta"}));
    EXPECT_TRUE(tree.NodeExpanded(parent));
}

TEST(TreeCreateDirectory, AParentNeverReadIsReadFirstSoNoNodeIsDoubled) {
    DriveFolder folder(L'S');
    folder.Make({L"outer\\old"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"outer");
    HTREEITEM outer = tree.FindReadNode(folder / L"outer");
    ASSERT_NE(outer, nullptr);
    ASSERT_FALSE(tree.GetNodeData(outer)->Scanned);

    ASSERT_NE(tree.CreateDirectory(outer, L"new"), nullptr);
    EXPECT_EQ(ChildTexts(tree, outer), (std::vector<std::wstring>{L"new", L"old"}));
}

TEST(TreeCreateDirectory, BelowADriveRootTheFolderLandsInTheRoot) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM root = tree.GetDriveStatus(L'T').RootNode;
    ASSERT_NE(root, nullptr);
    const std::wstring name = L"treecmds_root_" + std::to_wstring(GetCurrentProcessId());
    HTREEITEM node = tree.CreateDirectory(root, name);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(IsFolder(L"T:\\" + name));
    EXPECT_EQ(tree.ParentNode(node), root);
    RemoveDirectoryW((L"T:\\" + name).c_str());
}

TEST(TreeCreateDirectory, AFolderThatCannotBeMadeLeavesTheTreeAsItWasAndTheErrorCode) {
    DriveFolder folder(L'S');
    folder.Make({L"taken"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM parent = ReadNode(tree, folder.Path());
    ASSERT_NE(parent, nullptr);
    const std::vector<std::wstring> before = ChildTexts(tree, parent);
    struct Case {
        std::wstring name;
        DWORD error;
    };
    for (const Case& c : {Case{L"taken", ERROR_ALREADY_EXISTS}, Case{L"a\\b", ERROR_INVALID_NAME},
                          Case{L"what?", ERROR_INVALID_NAME}, Case{L"", ERROR_INVALID_NAME}}) {
        EXPECT_EQ(tree.CreateDirectory(parent, c.name), nullptr) << "name " << Narrow(c.name);
        EXPECT_EQ(LastDirectoryCreateError, c.error) << "name " << Narrow(c.name);
        EXPECT_EQ(ChildTexts(tree, parent), before);
    }
    EXPECT_FALSE(IsFolder(folder / L"a"));
}

// --- deleting folders --------------------------------------------------------------------------------------------

TEST(TreeDeleteDirectory, DeletesFolderAndNodeAndTheSelectionGoesToTheParent) {
    DriveFolder folder(L'S');
    folder.Make({L"gone\\inner", L"stays"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    tree.SetDirectory(folder / L"gone\\inner");
    HTREEITEM gone = tree.FindReadNode(folder / L"gone");
    ASSERT_NE(gone, nullptr);

    EXPECT_TRUE(tree.DeleteDirectory(gone, false));
    EXPECT_FALSE(IsFolder(folder / L"gone"));
    EXPECT_EQ(tree.FindReadNode(folder / L"gone"), nullptr);
    EXPECT_EQ(tree.Directory(), folder.Path()) << "the selected folder was inside the deleted one";
    EXPECT_EQ(ChildTexts(tree, tree.FindReadNode(folder.Path())), (std::vector<std::wstring>{L"stays"}));
}

TEST(TreeDeleteDirectory, WithUndoTheFolderGoesToo) {
    DriveFolder folder(L'S');
    folder.Make({L"recycled"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    HTREEITEM parent = ReadNode(tree, folder.Path());
    HTREEITEM node = tree.FindReadNode(folder / L"recycled");
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(tree.DeleteDirectory(node, true));
    EXPECT_FALSE(IsFolder(folder / L"recycled"));
    EXPECT_EQ(tree.FirstChild(parent), nullptr);
    EXPECT_FALSE(tree.NodeHasChildren(parent)) << "the last child went, so did the expand button";
}

TEST(TreeDeleteDirectory, AFolderAlreadyGoneLosesItsNodeAtOnce) {
    DriveFolder folder(L'S');
    folder.Make({L"vanished"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    ReadNode(tree, folder.Path());
    HTREEITEM node = tree.FindReadNode(folder / L"vanished");
    ASSERT_NE(node, nullptr);
    ASSERT_TRUE(RemoveDirectoryW((folder / L"vanished").c_str()));
    EXPECT_TRUE(tree.DeleteDirectory(node, false));
    EXPECT_EQ(tree.FindReadNode(folder / L"vanished"), nullptr);
}

TEST(TreeDeleteDirectory, ADriveIsNeverDeleted) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    HTREEITEM root = tree.GetDriveStatus(L'T').RootNode;
    ASSERT_NE(root, nullptr);
    const std::wstring marker = L"T:\\treecmds_keep_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(marker.c_str(), nullptr);
    EXPECT_FALSE(tree.DeleteDirectory(root, false));
    EXPECT_EQ(tree.GetDriveStatus(L'T').RootNode, root);
    EXPECT_TRUE(IsFolder(marker)) << "nothing on the drive was touched";
    RemoveDirectoryW(marker.c_str());
}

TEST(TreeDeleteSubNodes, ForgetsTheChildrenAndForARootTheDrivesReading) {
    DriveFolder folder(L'S');
    folder.Make({L"a\\b"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM node = ReadNode(tree, folder / L"a");
    ASSERT_NE(tree.FirstChild(node), nullptr);
    tree.DeleteSubNodes(node);
    EXPECT_EQ(tree.FirstChild(node), nullptr);
    EXPECT_FALSE(tree.NodeHasChildren(node));
    EXPECT_TRUE(IsFolder(folder / L"a\\b")) << "only nodes go, never folders";
    ASSERT_TRUE(tree.GetDriveStatus(L'S').Scanned);
    tree.DeleteSubNodes(tree.GetDriveStatus(L'S').RootNode);
    EXPECT_FALSE(tree.GetDriveStatus(L'S').Scanned);
}

// --- the linked list view ----------------------------------------------------------------------------------------

TEST(TreeLinkedList, ShowsTheFoldersTheTreeMakesAndDeletesAndLosesItsCutMarks) {
    DriveFolder folder(L'S');
    folder.Make({L"old"});
    TreeForm form;
    TDirView list(&form, L"DirView1");
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    tree.SetDirView(&list);
    HTREEITEM node = ReadNode(tree, folder.Path());
    ASSERT_EQ(list.Path(), folder.Path());
    ASSERT_GE(list.FindFileItem(L"old"), 0);

    HTREEITEM made = tree.CreateDirectory(node, L"new");
    ASSERT_NE(made, nullptr);
    EXPECT_GE(list.FindFileItem(L"new"), 0) << "the list was loaded again";
    EXPECT_TRUE(tree.DeleteDirectory(made, false));
    EXPECT_LT(list.FindFileItem(L"new"), 0);

    const int old = list.FindFileItem(L"old");
    ASSERT_GE(old, 0);
    ListView_SetItemState(list.Handle(), old, LVIS_CUT, LVIS_CUT);
    ViewsClipboardMode = cmCut;
    tree.EmptyClipBoard();
    EXPECT_FALSE(ListView_GetItemState(list.Handle(), old, LVIS_CUT) & LVIS_CUT);
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    tree.SetDirView(nullptr);
}

// --- undo --------------------------------------------------------------------------------------------------------

TEST(TreeUndo, UndoOfACopyRemovesTheCopyAndItsNode) {
    DriveFolder folder(L'S');
    folder.Make({L"src\\item", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmOverwrite = false;
    ReadNode(tree, folder / L"dst");
    EXPECT_FALSE(tree.UndoLastOperation()) << "nothing to undo yet";

    tree.PerformDropOperation({{folder / L"src\\item", L""}}, folder / L"dst", DROPEFFECT_COPY, false);
    ASSERT_TRUE(IsFolder(folder / L"dst\\item"));
    ASSERT_NE(tree.FindReadNode(folder / L"dst\\item"), nullptr);
    ASSERT_TRUE(tree.CanUndo());

    EXPECT_TRUE(tree.UndoLastOperation());
    EXPECT_FALSE(IsFolder(folder / L"dst\\item"));
    EXPECT_TRUE(IsFolder(folder / L"src\\item"));
    EXPECT_EQ(tree.FindReadNode(folder / L"dst\\item"), nullptr);
    EXPECT_FALSE(tree.CanUndo());
}

TEST(TreeUndo, UndoOfAMovePutsTheFolderBackAndBothNodesFollow) {
    DriveFolder folder(L'S');
    folder.Make({L"src\\item", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    ReadNode(tree, folder / L"src");
    ReadNode(tree, folder / L"dst");
    tree.PerformDropOperation({{folder / L"src\\item", L""}}, folder / L"dst", DROPEFFECT_MOVE, false);
    ASSERT_TRUE(IsFolder(folder / L"dst\\item"));
    ASSERT_EQ(tree.FindReadNode(folder / L"src\\item"), nullptr);

    EXPECT_TRUE(tree.UndoLastOperation());
    EXPECT_TRUE(IsFolder(folder / L"src\\item"));
    EXPECT_FALSE(IsFolder(folder / L"dst\\item"));
    EXPECT_NE(tree.FindReadNode(folder / L"src\\item"), nullptr);
    EXPECT_EQ(tree.FindReadNode(folder / L"dst\\item"), nullptr);
}

// --- marks and menus ---------------------------------------------------------------------------------------------

TEST(TreeBoldDraw, SetsAndClearsTheNodesBoldMark) {
    DriveFolder folder(L'S');
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM node = ReadNode(tree, folder.Path());
    tree.SetBoldDraw(node, true);
    EXPECT_TRUE(tree.GetNodeData(node)->Bold);
    tree.SetBoldDraw(node, false);
    EXPECT_FALSE(tree.GetNodeData(node)->Bold);
}

TEST(TreeNodeOperations, AMissingNodeIsNamedInTheMessage) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    struct Case {
        const char* name;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"CreateDirectory", [&] { tree.CreateDirectory(nullptr, L"x"); }},
        {"DeleteDirectory", [&] { tree.DeleteDirectory(nullptr, false); }},
        {"DisplayContextMenu",
         [&] {
             tree.DisplayContextMenu(nullptr, POINT{0, 0});
         }},
        {"DisplayPropertiesMenu", [&] { tree.DisplayPropertiesMenu(nullptr); }},
        {"SetBoldDraw", [&] { tree.SetBoldDraw(nullptr, true); }},
        {"ExpandLevel", [&] { tree.ExpandLevel(nullptr, 1); }},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << " accepted no node";
        } catch (const ENodeNotAssigned& error) {
            EXPECT_EQ(std::string(error.what()), std::string(c.name) + ": Node not assigned");
        }
    }
}

TEST(TreeContextMenu, TheViewKeepsTheShellsCutAndCopyAsItsClipboardMode) {
    DriveFolder folder(L'S');
    folder.Make({L"one", L"two"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    ReadNode(tree, folder.Path());
    HTREEITEM one = tree.FindReadNode(folder / L"one");
    HTREEITEM two = tree.FindReadNode(folder / L"two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    std::wstring wanted;
    HTREEITEM highlightedDuringMenu = nullptr;
    int announced = 0;
    tree.OnDisplayContextMenu = [&](gui::TComponent*) { ++announced; };
    ctxmenu_test::ScopedTracker tracker([&](HMENU menu, HWND, POINT, IContextMenu* commands) -> UINT {
        EXPECT_EQ(announced, 1) << "the menu is announced before it shows";
        announced = 0;
        highlightedDuringMenu = TreeView_GetDropHilight(tree.Handle());
        return ctxmenu_test::CommandWithVerb(menu, commands, wanted);
    });

    wanted = L"cut";
    tree.DisplayContextMenu(one, POINT{10, 10});
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_EQ(highlightedDuringMenu, one) << "the node of the menu is highlighted while the menu shows";
    EXPECT_EQ(TreeView_GetDropHilight(tree.Handle()), nullptr) << "and no longer afterwards";
    EXPECT_TRUE(TreeView_GetItemState(tree.Handle(), one, TVIS_CUT) & TVIS_CUT);

    wanted = L"copy";
    tree.DisplayContextMenu(two, POINT{10, 10});
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_FALSE(TreeView_GetItemState(tree.Handle(), one, TVIS_CUT) & TVIS_CUT) << "the old cut mark goes";
    tree.EmptyClipBoard();
    EXPECT_EQ(ViewsClipboardMode, cmNone);
}

// --- drag-and-drop errors ----------------------------------------------------------------------------------------

TEST(TreeDDError, GoesToTheHandlerOrBecomesEDragDropWithTheNumber) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    for (TDDError code : {DDCreateShortCutError, DDPathNotFoundError}) {
        try {
            tree.DDError(code);
            ADD_FAILURE() << "no exception without a handler";
        } catch (const EDragDrop& error) {
            EXPECT_EQ(std::string(error.what()), "DragDrop Error: " + std::to_string(static_cast<int>(code)));
        }
    }
    std::vector<TDDError> seen;
    tree.OnDDError = [&](gui::TComponent* sender, TDDError code) {
        EXPECT_EQ(sender, &tree);
        seen.push_back(code);
    };
    EXPECT_NO_THROW(tree.DDError(DDPathNotFoundError));
    EXPECT_EQ(seen, std::vector<TDDError>{DDPathNotFoundError});
}

// --- the drag rules ----------------------------------------------------------------------------------------------

TEST(TreeDragRules, AFolderNeverDropsOntoItselfBelowItselfOrOntoItsParent) {
    struct Case {
        const wchar_t* dragged;
        const wchar_t* target;
        bool allowed;
    };
    const Case cases[] = {
        {L"S:\\a\\b", L"S:\\a\\b", false},
        {L"S:\\a\\b", L"s:\\A\\B\\", false},
        {L"S:\\a\\b", L"S:\\a\\b\\c", false},
        {L"S:\\a\\b", L"S:\\a", false},
        {L"S:\\a", L"S:", false},
        {L"S:\\a\\b", L"S:\\a\\bc", true},
        {L"S:\\a\\b", L"S:\\a\\c", true},
        {L"S:\\a\\b", L"S:", true},
        {L"S:\\a\\b", L"T:\\a", true},
        {L"S:\\a\\b", L"S:\\ab", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDriveView::CanDropDirectoryOnto(c.dragged, c.target), c.allowed)
            << Narrow(c.dragged) << " onto " << Narrow(c.target);
}

TEST(TreeDragRules, ADropWithinFiftyMillisecondsOfTheStartIsACancel) {
    const ULONGLONG start = 1'000'000'000;
    struct Case {
        HRESULT in;
        ULONGLONG after;
        HRESULT out;
    };
    const Case cases[] = {
        {DRAGDROP_S_DROP, 0, DRAGDROP_S_CANCEL},
        {DRAGDROP_S_DROP, 499'999, DRAGDROP_S_CANCEL},
        {DRAGDROP_S_DROP, 500'000, DRAGDROP_S_DROP},
        {DRAGDROP_S_DROP, 30'000'000, DRAGDROP_S_DROP},
        {S_OK, 10, S_OK},
        {DRAGDROP_S_CANCEL, 10, DRAGDROP_S_CANCEL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDriveView::DropTooEarlyFilter(c.in, start, start + c.after), c.out) << c.after;
}

} // namespace
