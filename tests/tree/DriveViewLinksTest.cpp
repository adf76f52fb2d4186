// The drive tree with its partners and options: the linked directory list view, the full drive scan, the case of
// node texts, keys, and label editing (forbidden characters dropped, re-editing after a failed rename).
#include "TreeTestSupport.h"

#include "components/DirView.h"
#include "core/TextEncoding.h"
#include "gui/MessageBox.h"

#include <gtest/gtest.h>

using namespace treetest;

namespace {

TEST(DriveViewLinks, TheLinkedListViewFollowsTheSelectionAndForgetsTheTree) {
    DriveFolder folder(L'S');
    folder.Make({L"shown\\below"});
    TreeForm form;
    TDirView list(&form, L"DirView1");
    {
        TDriveView tree(&form, L"DriveView2");
        tree.SetDirView(&list);
        EXPECT_EQ(tree.DirView(), &list);
        EXPECT_EQ(list.DriveView(), static_cast<TDirViewTree*>(&tree));
        tree.SetDirectory(folder / L"shown");
        EXPECT_EQ(list.Path(), folder / L"shown");
        tree.SetDirectory(L"T:\\");
        EXPECT_EQ(list.Path(), L"T:") << "a drive root reaches the list as letter and colon";

        bool recycled = true;
        EXPECT_TRUE(tree.NodeRecycleBinFlag(folder / L"shown", recycled));
        EXPECT_FALSE(recycled);
        EXPECT_FALSE(tree.NodeRecycleBinFlag(folder / L"not read", recycled));

        tree.SetDirView(nullptr);
        EXPECT_EQ(list.DriveView(), nullptr);
        tree.SetDirView(&list);
    }
    EXPECT_EQ(list.DriveView(), nullptr) << "the tree unlinks the list when it goes";
}

TEST(DriveViewLinks, NoSubDirectoriesFoundMarksAnUnreadNodeAsLeaf) {
    DriveFolder folder(L'S');
    folder.Make({L"leaf"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder.Path());
    tree.Expand(tree.Selected(), true);
    HTREEITEM leaf = tree.FindReadNode(folder / L"leaf");
    ASSERT_NE(leaf, nullptr);
    tree.GetNodeData(leaf)->Scanned = false;
    tree.NoSubDirectoriesFound(folder / L"leaf");
    EXPECT_TRUE(tree.GetNodeData(leaf)->Scanned);
    EXPECT_FALSE(tree.NodeHasChildren(leaf));
}

TEST(DriveViewScan, FullDriveScanReadsTheWholeDriveAtOnce) {
    DriveFolder folder(L'T');
    folder.Make({L"one\\two\\three", L"four"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetFullDriveScan(true);
    int starts = 0;
    int ends = 0;
    tree.OnStartScan = [&](gui::TComponent*) { ++starts; };
    tree.OnEndScan = [&](gui::TComponent*) { ++ends; };
    tree.Expand(tree.GetDriveStatus(L'T').RootNode, true);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(tree.GetDriveStatus(L'T').Scanned);
    EXPECT_TRUE(tree.GetDriveStatus(L'T').Verified);
    HTREEITEM three = tree.FindReadNode(folder / L"one\\two\\three");
    ASSERT_NE(three, nullptr) << "the deepest folder is in the tree without opening its parents";
    EXPECT_FALSE(tree.NodeExpanded(tree.FindReadNode(folder / L"one")));
    EXPECT_EQ(ChildTexts(tree, tree.FindReadNode(folder.Path())), (std::vector<std::wstring>{L"four", L"one"}));
}

TEST(DriveViewTexts, FileNameDisplayCasesTheFolderNames) {
    DriveFolder folder(L'S');
    folder.Make({L"MixedCase", L"ALongerFolderName"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"MixedCase");
    HTREEITEM shortNode = tree.FindReadNode(folder / L"MixedCase");
    HTREEITEM longNode = tree.FindReadNode(folder / L"ALongerFolderName");
    ASSERT_NE(longNode, nullptr);
    struct Case {
        TFileNameDisplay display;
        std::wstring shortText;
        std::wstring longText;
    };
    for (const Case& c :
         {Case{fndCap, L"MIXEDCASE", L"ALONGERFOLDERNAME"}, Case{fndNoCap, L"mixedcase", L"alongerfoldername"},
          Case{fndNice, L"MixedCase", L"ALongerFolderName"}, Case{fndStored, L"MixedCase", L"ALongerFolderName"}}) {
        tree.SetFileNameDisplay(c.display);
        EXPECT_EQ(tree.NodeText(shortNode), c.shortText) << c.display;
        EXPECT_EQ(tree.NodeText(longNode), c.longText) << c.display;
    }
    // "MixedCase" has nine characters: fndNice leaves it alone; a name of eight is made nice.
    folder.Make({L"EIGHTCHR"});
    tree.ValidateDirectory(tree.FindReadNode(folder.Path()));
    tree.SetFileNameDisplay(fndNice);
    EXPECT_EQ(tree.NodeText(tree.FindReadNode(folder / L"EIGHTCHR")), L"Eightchr");
}

TEST(DriveViewKeys, EnterTogglesAndSlashCollapsesTheSelectedNode) {
    DriveFolder folder(L'S');
    folder.Make({L"a\\b\\c"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"a\\b");
    HTREEITEM a = tree.FindReadNode(folder / L"a");
    tree.SetDirectory(folder / L"a");
    ASSERT_EQ(tree.Selected(), a);
    ASSERT_TRUE(tree.NodeExpanded(a));
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(tree.NodeExpanded(a));
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(tree.NodeExpanded(a));
    HTREEITEM b = tree.FindReadNode(folder / L"a\\b");
    tree.Expand(b, true);
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_DIVIDE, 0);
    EXPECT_FALSE(tree.NodeExpanded(a));
    EXPECT_FALSE(tree.NodeExpanded(b)) << "the descendants are collapsed too";
}

TEST(DriveViewEditing, TheLabelEditorDropsForbiddenCharactersAndAFailedRenameEditsAgain) {
    DriveFolder folder(L'S');
    folder.Make({L"first", L"second"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"first");
    HTREEITEM first = tree.Selected();
    HWND edit = TreeView_EditLabel(tree.Handle(), first);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"");
    for (wchar_t c : std::wstring(L"se?c<o>n|d"))
        SendMessageW(edit, WM_CHAR, c, 0);
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    EXPECT_STREQ(text, L"second") << "the forbidden characters never reach the editor";

    gui::MessageBoxRecorder boxes; // OK: edit again
    TreeView_EndEditLabelNow(tree.Handle(), FALSE);
    ASSERT_EQ(boxes.Records.size(), 1u) << "the name is in use: "
                                        << std::string(boxes.Records.back().Text.begin(),
                                                       boxes.Records.back().Text.end());
    EXPECT_TRUE(std::filesystem::exists(folder / L"first"));
    EXPECT_EQ(tree.NodeText(first), L"first");
    HWND again = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (again = TreeView_GetEditControl(tree.Handle())) != nullptr; }, 5000))
        << "the editor opens again";
    GetWindowTextW(again, text, 64);
    EXPECT_STREQ(text, L"second") << "with the rejected text";
    SetWindowTextW(again, L"third");
    TreeView_EndEditLabelNow(tree.Handle(), FALSE);
    EXPECT_TRUE(std::filesystem::exists(folder / L"third"));
    EXPECT_EQ(tree.NodeText(first), L"third");
}

// The context-menu key reaches the commands' hook with the selected node, 20 pixels below its text's corner.
class HookedView : public TDriveView {
public:
    using TDriveView::TDriveView;
    void DisplayContextMenu(HTREEITEM Node, POINT ScreenPos) override {
        menuNode = Node;
        menuPos = ScreenPos;
    }
    HTREEITEM menuNode = nullptr;
    POINT menuPos{-1, -1};
};

TEST(DriveViewKeys, TheContextMenuKeyCallsTheCommandsHook) {
    DriveFolder folder(L'S');
    TreeForm form;
    HookedView tree(&form, L"DriveView3", 0, 0, 200, 200);
    tree.SetDirectory(folder.Path());
    SendMessageW(tree.Handle(), WM_KEYUP, VK_APPS, 0);
    EXPECT_EQ(tree.menuNode, tree.Selected());
    RECT r{};
    ASSERT_TRUE(TreeView_GetItemRect(tree.Handle(), tree.Selected(), &r, TRUE));
    POINT expected{r.left, r.top + 20};
    ClientToScreen(tree.Handle(), &expected);
    EXPECT_EQ(tree.menuPos.x, expected.x);
    EXPECT_EQ(tree.menuPos.y, expected.y);
}

TEST(DriveViewMouse, AClickSelectsItsNodeWhenTheButtonIsReleased) {
    DriveFolder folder(L'S');
    folder.Make({L"left", L"right"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"left");
    HTREEITEM right = tree.FindReadNode(folder / L"right");
    RECT r{};
    ASSERT_TRUE(TreeView_GetItemRect(tree.Handle(), right, &r, TRUE));
    std::vector<std::wstring> seenWhileDown;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The release waits in the queue, where the control's mouse tracking finds it.
    PostMessageW(tree.Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpUntil([&] { return tree.Selected() == right; }, 3000);
    EXPECT_EQ(tree.Directory(), folder / L"right");
    EXPECT_EQ(TreeView_GetDropHilight(tree.Handle()), nullptr) << "the mark is gone after the release";
}

TEST(DriveViewRootNodes, RefreshingKeepsRootsSelectionAndReadFolders) {
    DriveFolder folder(L'S');
    folder.Make({L"stay\\inside"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.SetDirectory(folder / L"stay\\inside");
    const int count = tree.NodeCount();
    HTREEITEM s = tree.GetDriveStatus(L'S').RootNode;
    tree.RefreshRootNodes(true, dsImageIndex | dsSize | dsDisplayName | TDriveView::kReadNamesAlways);
    EXPECT_EQ(tree.GetDriveStatus(L'S').RootNode, s) << "a drive still there keeps its root node";
    EXPECT_EQ(tree.NodeCount(), count) << "no root is added twice";
    EXPECT_EQ(tree.Directory(), folder / L"stay\\inside");
    EXPECT_EQ(tree.NodeText(s), tree.GetDisplayName(s));
}

TEST(DriveViewRootNodes, StatusOfALetterOutsideAToZRaisesAndZeroIntervalIsIgnored) {
    TreeForm form;
    TDriveView& tree = form.Tree;
    EXPECT_THROW(tree.GetDriveStatus(L'1'), EConvertError);
    for (const wchar_t letter : {L'1', L'\u00e4', L'\u0100'}) {
        try {
            tree.GetDriveStatus(letter);
            ADD_FAILURE() << "no exception for " << static_cast<int>(letter);
        } catch (const EConvertError& e) {
            EXPECT_EQ(ErrorMessage(e), letter + std::wstring(L" is a invalid drive letter.")) << e.what();
        }
    }
    EXPECT_EQ(tree.GetDriveStatus(L's').RootNode, tree.GetDriveStatus(L'S').RootNode);
    EXPECT_EQ(tree.ChangeInterval(), 1000u);
    tree.SetChangeInterval(250);
    EXPECT_EQ(tree.GetDriveStatus(L'C').ChangeTimer->Interval(), 250u);
    tree.SetChangeInterval(0);
    EXPECT_EQ(tree.ChangeInterval(), 250u);
    EXPECT_EQ(tree.GetDriveStatus(L'Z').ChangeTimer->Tag, L'Z');
}

} // namespace
