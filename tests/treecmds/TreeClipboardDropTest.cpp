// The drive tree's clipboard and drop commands on the scratch drives: copy and cut through the real clipboard,
// the drop operation with each effect, name maps, the file-operation events, drops delivered through the tree's
// registered drop target, and the rules of the tree's own drag while it runs.
#include "TreeCmdsSupport.h"

#include "components/BaseUtils.h"
#include "components/ComponentErrors.h"
#include "components/ViewsShared.h"
#include "core/TextEncoding.h"
#include "gui/MessageBox.h"

#include <gtest/gtest.h>

#include <memory>

using namespace treecmds;

namespace {

bool ClipboardHasFiles() {
    return IsClipboardFormatAvailable(CF_HDROP) != FALSE;
}

// A data object carrying the paths as a source program would hand them to the tree.
Microsoft::WRL::ComPtr<IDataObject> FilesObject(const std::vector<std::wstring>& paths) {
    TFileList list;
    for (const auto& path : paths)
        list.AddItem(nullptr, path);
    Microsoft::WRL::ComPtr<IDataObject> object;
    object.Attach(new TDataObjectFilesEx(list, false, true));
    return object;
}

// The screen point in the middle of the node's text, scrolled into view first.
POINTL NodePoint(TDriveView& tree, HTREEITEM node) {
    TreeView_EnsureVisible(tree.Handle(), node);
    RECT r{};
    TreeView_GetItemRect(tree.Handle(), node, &r, TRUE);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tree.Handle(), &pt);
    return POINTL{pt.x, pt.y};
}

class ClipboardReset {
public:
    ~ClipboardReset() {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        ViewsClipboardMode = cmNone;
    }
};

// --- clipboard ---------------------------------------------------------------------------------------------------

TEST(TreeClipboard, PasteAfterCopyCopiesAndKeepsTheClipboardForTheNextPaste) {
    ClipboardReset reset;
    DriveFolder folder(L'S');
    folder.Make({L"src\\item\\deep", L"dst1", L"dst2"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmOverwrite = false;
    std::vector<int> executed;
    tree.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };

    tree.SetDirectory(folder / L"src\\item");
    ASSERT_TRUE(tree.CopyToClipBoard());
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_TRUE(ClipboardHasFiles());

    tree.SetDirectory(folder / L"dst1");
    ASSERT_TRUE(tree.CanPasteFromClipBoard());
    ASSERT_TRUE(tree.PasteFromClipBoard());
    EXPECT_TRUE(IsFolder(folder / L"dst1\\item\\deep"));
    EXPECT_TRUE(IsFolder(folder / L"src\\item")) << "a copy leaves the original";
    EXPECT_NE(tree.FindReadNode(folder / L"dst1\\item"), nullptr) << "the target's node shows the copy";
    EXPECT_EQ(ViewsClipboardMode, cmCopy);
    EXPECT_TRUE(ClipboardHasFiles());

    ASSERT_TRUE(tree.PasteFromClipBoard(folder / L"dst2"));
    EXPECT_TRUE(IsFolder(folder / L"dst2\\item\\deep")) << "the clipboard still held the folder";
    EXPECT_EQ(executed, (std::vector<int>{DROPEFFECT_COPY, DROPEFFECT_COPY}));
}

TEST(TreeClipboard, PasteAfterCutMovesTheFolderAndEmptiesTheClipboard) {
    ClipboardReset reset;
    DriveFolder folder(L'S');
    folder.Make({L"src\\item", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<int> executed;
    tree.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    HTREEITEM item = ReadNode(tree, folder / L"src\\item");
    ASSERT_NE(item, nullptr);

    ASSERT_TRUE(tree.CutToClipBoard(item));
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_TRUE(TreeView_GetItemState(tree.Handle(), item, TVIS_CUT) & TVIS_CUT);

    tree.SetDirectory(folder / L"dst");
    ASSERT_TRUE(tree.PasteFromClipBoard());
    EXPECT_TRUE(IsFolder(folder / L"dst\\item"));
    EXPECT_FALSE(IsFolder(folder / L"src\\item"));
    EXPECT_EQ(tree.FindReadNode(folder / L"src\\item"), nullptr) << "the moved folder's old node went";
    EXPECT_NE(tree.FindReadNode(folder / L"dst\\item"), nullptr);
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    EXPECT_FALSE(ClipboardHasFiles());
    EXPECT_FALSE(tree.PasteFromClipBoard()) << "nothing is left to paste";
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_MOVE});
}

TEST(TreeClipboard, APasteThatFailsKeepsTheCutAndReportsTheFailure) {
    ClipboardReset reset;
    DriveFolder folder(L'S');
    folder.Make({L"src\\item", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<int> executed;
    tree.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    std::vector<TDDError> errors;
    tree.OnDDError = [&](gui::TComponent*, TDDError error) { errors.push_back(error); };
    HTREEITEM item = ReadNode(tree, folder / L"src\\item");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(tree.CutToClipBoard(item));
    // The folder goes before the paste: the shell cannot move it.
    ASSERT_TRUE(RemoveDirectoryW((folder / L"src\\item").c_str()));

    tree.SetDirectory(folder / L"dst");
    EXPECT_FALSE(tree.PasteFromClipBoard());
    EXPECT_EQ(errors, std::vector<TDDError>{DDFileOperationError});
    EXPECT_TRUE(executed.empty());
    EXPECT_FALSE(tree.CanUndo());
    EXPECT_EQ(ViewsClipboardMode, cmCut);
    EXPECT_TRUE(ClipboardHasFiles());
}

TEST(TreeClipboard, ADriveIsNeverCutAndNothingSelectedGivesNothing) {
    ClipboardReset reset;
    TreeForm form;
    TDriveView& tree = form.Tree;
    EXPECT_FALSE(tree.CutToClipBoard(tree.GetDriveStatus(L'S').RootNode));
    EXPECT_FALSE(tree.CutToClipBoard(nullptr));
    EXPECT_EQ(ViewsClipboardMode, cmNone);
    EXPECT_FALSE(tree.CopyToClipBoard()) << "no node is selected";
    EXPECT_FALSE(tree.CanPasteFromClipBoard());
    EXPECT_FALSE(tree.PasteFromClipBoard());
}

TEST(TreeClipboard, PastingIntoADriveLandsInItsRoot) {
    ClipboardReset reset;
    DriveFolder folder(L'S');
    const std::wstring name = L"treecmds_paste_" + std::to_wstring(GetCurrentProcessId());
    folder.Make({name});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmOverwrite = false;
    tree.SetDirectory(folder / name);
    ASSERT_TRUE(tree.CopyToClipBoard());
    tree.SetDirectory(L"T:\\");
    ASSERT_TRUE(tree.PasteFromClipBoard());
    EXPECT_TRUE(IsFolder(L"T:\\" + name));
    RemoveDirectoryW((L"T:\\" + name).c_str());
}

// --- the drop operation ------------------------------------------------------------------------------------------

TEST(TreeDropOperation, CopyAndMoveChangeDiskAndNodesOfBothFolders) {
    DriveFolder source(L'S');
    DriveFolder target(L'T');
    source.Make({L"copied", L"moved"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    ReadNode(tree, target.Path());
    ReadNode(tree, source.Path());

    tree.PerformDropOperation({{source / L"copied", L""}}, target.Path(), DROPEFFECT_COPY, false);
    EXPECT_TRUE(IsFolder(target / L"copied"));
    EXPECT_TRUE(IsFolder(source / L"copied"));
    EXPECT_NE(tree.FindReadNode(target / L"copied"), nullptr);
    EXPECT_NE(tree.FindReadNode(source / L"copied"), nullptr);

    tree.PerformDropOperation({{source / L"moved", L""}}, target.Path(), DROPEFFECT_MOVE, false);
    EXPECT_TRUE(IsFolder(target / L"moved"));
    EXPECT_FALSE(IsFolder(source / L"moved"));
    EXPECT_NE(tree.FindReadNode(target / L"moved"), nullptr);
    EXPECT_EQ(tree.FindReadNode(source / L"moved"), nullptr);
}

TEST(TreeDropOperation, SeveralFoldersMoveAtOnceAndTheMoveIsUndone) {
    DriveFolder source(L'S');
    DriveFolder target(L'T');
    source.Make({L"eins\\innen", L"zwei", L"drei"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    ReadNode(tree, target.Path());
    ReadNode(tree, source.Path());
    int executed = 0;
    tree.OnDDFileOperationExecuted = [&](gui::TComponent*, int, const std::wstring&, const std::wstring&) {
        ++executed;
    };

    EXPECT_TRUE(tree.PerformDropOperation({{source / L"eins", L""}, {source / L"zwei", L""}, {source / L"drei", L""}},
                                          target.Path(), DROPEFFECT_MOVE, false));
    for (const wchar_t* name : {L"eins", L"zwei", L"drei"}) {
        EXPECT_TRUE(IsFolder(target / name)) << name;
        EXPECT_FALSE(IsFolder(source / name)) << name;
        EXPECT_NE(tree.FindReadNode(target / name), nullptr) << name;
    }
    EXPECT_TRUE(IsFolder(target / L"eins\\innen"));
    EXPECT_EQ(executed, 1);

    ASSERT_TRUE(tree.CanUndo());
    EXPECT_TRUE(tree.UndoLastOperation());
    for (const wchar_t* name : {L"eins", L"zwei", L"drei"}) {
        EXPECT_TRUE(IsFolder(source / name)) << name;
        EXPECT_FALSE(IsFolder(target / name)) << name;
    }
}

TEST(TreeDropOperation, LinkMakesShortcutsNamedAfterTheItemsAndDrives) {
    DriveFolder folder(L'S');
    folder.Make({L"dir", L"links"});
    testenv::WriteFileBytes(folder / L"prog.exe", "MZ");
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<TDDError> errors;
    tree.OnDDError = [&](gui::TComponent*, TDDError code) { errors.push_back(code); };
    tree.PerformDropOperation({{folder / L"dir", L""}, {folder / L"prog.exe", L""}, {L"T:\\", L""}}, folder / L"links",
                              DROPEFFECT_LINK, false);
    EXPECT_TRUE(IsFile(folder / L"links\\dir.lnk"));
    EXPECT_TRUE(IsFile(folder / L"links\\prog.lnk"));
    const std::wstring pretty = DriveInfo.PrettyName(L'T');
    ASSERT_GT(pretty.size(), 3u);
    EXPECT_TRUE(IsFile(folder / (L"links\\" + pretty.substr(3) + L"(T).lnk")));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(IsFolder(folder / L"dir")) << "a link moves nothing";

    tree.PerformDropOperation({{folder / L"dir", L""}}, folder / L"no such folder", DROPEFFECT_LINK, false);
    EXPECT_EQ(errors, std::vector<TDDError>{DDCreateShortCutError});
}

TEST(TreeDropOperation, MappedNamesGiveEachItemItsOwnTarget) {
    DriveFolder folder(L'S');
    folder.Make({L"a", L"b", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.PerformDropOperation({{folder / L"a", L"first"}, {folder / L"b", L"second"}}, folder / L"dst", DROPEFFECT_COPY,
                              false);
    EXPECT_TRUE(IsFolder(folder / L"dst\\first"));
    EXPECT_TRUE(IsFolder(folder / L"dst\\second"));
    EXPECT_FALSE(IsFolder(folder / L"dst\\a"));
}

TEST(TreeDropOperation, TheFileOperationEventMayVetoAndTellsSourceAndTarget) {
    DriveFolder folder(L'S');
    folder.Make({L"src\\x", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    struct Seen {
        int effect;
        std::wstring source, target;
    };
    std::vector<Seen> asked, executed;
    bool allow = false;
    tree.OnDDFileOperation = [&](gui::TComponent*, int effect, const std::wstring& source, const std::wstring& target,
                                 bool& doIt) {
        asked.push_back({effect, source, target});
        doIt = allow;
    };
    tree.OnDDFileOperationExecuted = [&](gui::TComponent*, int effect, const std::wstring& source,
                                         const std::wstring& target) {
        executed.push_back({effect, source, target});
    };

    tree.PerformDropOperation({{folder / L"src\\x", L""}}, folder / L"dst", DROPEFFECT_MOVE, false);
    EXPECT_TRUE(IsFolder(folder / L"src\\x")) << "vetoed";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].effect, DROPEFFECT_MOVE);
    EXPECT_EQ(asked[0].source, folder / L"src");
    EXPECT_EQ(asked[0].target, folder / L"dst");
    EXPECT_TRUE(executed.empty());

    allow = true;
    tree.PerformDropOperation({{folder / L"src\\x", L""}}, folder / L"dst", DROPEFFECT_MOVE, false);
    EXPECT_TRUE(IsFolder(folder / L"dst\\x"));
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].target, folder / L"dst");
}

TEST(TreeDropOperation, OntoTheRecycleBinTheItemsAreDeleted) {
    DriveFolder folder(L'S');
    folder.Make({L"trash\\me"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    tree.ConfirmDelete = false;
    ReadNode(tree, folder / L"trash");
    ASSERT_NE(tree.FindReadNode(folder / L"trash\\me"), nullptr);
    tree.PerformDropOperation({{folder / L"trash\\me", L""}}, L"S:\\RECYCLED", DROPEFFECT_MOVE, true);
    EXPECT_FALSE(IsFolder(folder / L"trash\\me"));
    EXPECT_EQ(tree.FindReadNode(folder / L"trash\\me"), nullptr);
}

// --- drops through the tree's drop target ------------------------------------------------------------------------

TEST(TreeDropTarget, WithinOneDriveAPlainDropMovesCtrlCopiesAndAnotherDriveCopies) {
    DriveFolder source(L'S');
    DriveFolder other(L'T');
    source.Make({L"a", L"b", L"dst"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM dst = ReadNode(tree, source / L"dst");
    ASSERT_NE(dst, nullptr);
    ReadNode(tree, other.Path()); // the drop target is not the selected node
    IDropTarget* target = tree.DragDropFilesEx().DropTarget();
    ASSERT_NE(target, nullptr);
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

    auto object = FilesObject({source / L"a"});
    DWORD effect = all;
    ASSERT_EQ(target->DragEnter(object.Get(), 0, NodePoint(tree, dst), &effect), S_OK);
    EXPECT_EQ(effect & all, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(TreeView_GetDropHilight(tree.Handle()), dst);
    effect = all;
    target->DragOver(MK_CONTROL, NodePoint(tree, dst), &effect);
    EXPECT_EQ(effect & all, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = all;
    ASSERT_EQ(target->Drop(object.Get(), 0, NodePoint(tree, dst), &effect), S_OK);
    EXPECT_TRUE(IsFolder(source / L"dst\\a"));
    EXPECT_FALSE(IsFolder(source / L"a")) << "moved";
    EXPECT_EQ(tree.FindReadNode(source / L"a"), nullptr);
    EXPECT_EQ(TreeView_GetDropHilight(tree.Handle()), nullptr);

    HTREEITEM otherNode = tree.FindReadNode(other.Path());
    ASSERT_NE(otherNode, nullptr);
    object = FilesObject({source / L"b"});
    effect = all;
    target->DragEnter(object.Get(), 0, NodePoint(tree, otherNode), &effect);
    EXPECT_EQ(effect & all, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = all;
    ASSERT_EQ(target->Drop(object.Get(), 0, NodePoint(tree, otherNode), &effect), S_OK);
    EXPECT_TRUE(IsFolder(other / L"b"));
    EXPECT_TRUE(IsFolder(source / L"b")) << "copied";
    PumpUntil([] { return false; }, 200); // the engine's posted after-drop message
}

TEST(TreeDropTarget, ExecutablesAreLinkedAndAVanishedTargetReportsPathNotFound) {
    DriveFolder folder(L'S');
    folder.Make({L"dst", L"gone"});
    testenv::WriteFileBytes(folder / L"tool.exe", "MZ");
    TreeForm form;
    TDriveView& tree = form.Tree;
    std::vector<TDDError> errors;
    tree.OnDDError = [&](gui::TComponent*, TDDError code) { errors.push_back(code); };
    ReadNode(tree, folder.Path());
    HTREEITEM dst = tree.FindReadNode(folder / L"dst");
    HTREEITEM gone = tree.FindReadNode(folder / L"gone");
    ASSERT_NE(dst, nullptr);
    ASSERT_NE(gone, nullptr);
    IDropTarget* target = tree.DragDropFilesEx().DropTarget();
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

    auto object = FilesObject({folder / L"tool.exe"});
    DWORD effect = all;
    target->DragEnter(object.Get(), 0, NodePoint(tree, dst), &effect);
    EXPECT_EQ(effect & all, static_cast<DWORD>(DROPEFFECT_LINK));
    effect = all;
    target->Drop(object.Get(), 0, NodePoint(tree, dst), &effect);
    EXPECT_TRUE(IsFile(folder / L"dst\\tool.lnk"));
    EXPECT_TRUE(IsFile(folder / L"tool.exe"));

    const POINTL onGone = NodePoint(tree, gone);
    ASSERT_TRUE(RemoveDirectoryW((folder / L"gone").c_str()));
    object = FilesObject({folder / L"tool.exe"});
    effect = all;
    target->DragEnter(object.Get(), 0, onGone, &effect);
    effect = all;
    target->Drop(object.Get(), 0, onGone, &effect);
    EXPECT_EQ(errors, std::vector<TDDError>{DDPathNotFoundError});
    EXPECT_EQ(tree.FindReadNode(folder / L"gone"), nullptr) << "the vanished folder's node went";
    PumpUntil([] { return false; }, 200);
}

TEST(TreeDropTarget, AnErrorWhileDroppingShowsItsPathUnchanged) {
    DriveFolder folder(L'S');
    const std::wstring name = L"Bl\u00e4tter f\u00fcr \u20ac";
    folder.Make({name, L"a"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM dst = ReadNode(tree, folder / name);
    ASSERT_NE(dst, nullptr);
    // The components word their errors in UTF-8, as every exception of the program does.
    const std::wstring message = L"cannot drop into " + (folder / name);
    tree.OnDDDrop = [&](gui::TComponent*, IDataObject*, int, POINT, int&) {
        throw EComponentError(Utf8FromWide(message));
    };
    gui::MessageBoxRecorder boxes;
    IDropTarget* target = tree.DragDropFilesEx().DropTarget();
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    auto object = FilesObject({folder / L"a"});
    DWORD effect = all;
    target->DragEnter(object.Get(), 0, NodePoint(tree, dst), &effect);
    effect = all;
    target->Drop(object.Get(), 0, NodePoint(tree, dst), &effect);
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Text, message) << Narrow(boxes.Records[0].Text);
    EXPECT_EQ(effect, 0u) << "nothing was dropped";
    EXPECT_TRUE(IsFolder(folder / L"a"));
    PumpUntil([] { return false; }, 200);
}

// --- the tree's own drag -----------------------------------------------------------------------------------------

TEST(TreeOwnDrag, WhileItRunsTheFolderCannotDropOntoItselfItsChildOrItsParent) {
    DriveFolder folder(L'S');
    folder.Make({L"parent\\dragged\\child", L"parent\\sibling"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM parent = ReadNode(tree, folder / L"parent");
    HTREEITEM dragged = ReadNode(tree, folder / L"parent\\dragged");
    HTREEITEM child = tree.FindReadNode(folder / L"parent\\dragged\\child");
    HTREEITEM sibling = tree.FindReadNode(folder / L"parent\\sibling");
    ASSERT_TRUE(parent && dragged && child && sibling);

    struct Observed {
        bool dragging = false;
        DWORD ontoParent = 1, ontoSelf = 1, ontoChild = 1, ontoSibling = 0, linkOntoParent = 0;
        int calls = 0;
    } seen;
    const ULONGLONG before = TDriveView::SystemTimeNow();
    ULONGLONG firstCall = 0;
    HRESULT firstResult = E_FAIL;
    tree.OnDDQueryContinueDrag = [&](gui::TComponent*, BOOL, int, HRESULT& result) {
        if (seen.calls++ == 0) {
            firstCall = TDriveView::SystemTimeNow();
            firstResult = result;
            seen.dragging = tree.Dragging();
            seen.ontoParent = tree.DragOverEffect(parent, 0, DROPEFFECT_COPY);
            seen.ontoSelf = tree.DragOverEffect(dragged, 0, DROPEFFECT_COPY);
            seen.ontoChild = tree.DragOverEffect(child, MK_CONTROL, DROPEFFECT_COPY);
            seen.ontoSibling = tree.DragOverEffect(sibling, MK_CONTROL, DROPEFFECT_COPY);
            seen.linkOntoParent = tree.DragOverEffect(parent, MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK);
        }
        result = DRAGDROP_S_CANCEL; // the test's "user" lets go with Escape
    };
    TreeView_EnsureVisible(tree.Handle(), dragged);
    RECT r{};
    TreeView_GetItemRect(tree.Handle(), dragged, &r, TRUE);
    const POINT start{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    tree.DragDropFilesEx().OnDragDetect(0, start, POINT{start.x + 20, start.y}, ddsDrag);

    ASSERT_GT(seen.calls, 0) << "the drag ran";
    EXPECT_TRUE(seen.dragging);
    EXPECT_EQ(seen.ontoParent, 0u);
    EXPECT_EQ(seen.ontoSelf, 0u);
    EXPECT_EQ(seen.ontoChild, 0u);
    EXPECT_EQ(seen.ontoSibling, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(seen.linkOntoParent, static_cast<DWORD>(DROPEFFECT_LINK)) << "a link may go anywhere";
    // The engine answers "drop" once no button is held; so early after the start the tree makes it a cancel.
    if (firstCall - before < 400'000) {
        EXPECT_EQ(firstResult, DRAGDROP_S_CANCEL);
    }
    EXPECT_FALSE(tree.Dragging());
    EXPECT_TRUE(IsFolder(folder / L"parent\\dragged\\child")) << "a cancelled drag moves nothing";
}

} // namespace

// --- a whole drag through OLE ------------------------------------------------------------------------------------

namespace {

// Moves the cursor to a screen pixel; the input reaches the window through the server.
void MoveCursorTo(POINTL target) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(target.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(target.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    SendInput(1, &input, sizeof(input));
}

TEST(TreeOwnDrag, AFolderDraggedOntoAnotherOfTheSameDriveIsMovedThere) {
    DriveFolder folder(L'S');
    folder.Make({L"a\\inside", L"b"});
    TreeForm form;
    TDriveView& tree = form.Tree;
    HTREEITEM parent = ReadNode(tree, folder.Path());
    HTREEITEM a = tree.FindReadNode(folder / L"a");
    HTREEITEM b = tree.FindReadNode(folder / L"b");
    ASSERT_TRUE(parent && a && b);
    SetWindowPos(form.Handle(), nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    form.Show();
    PumpUntil([&] { return IsWindowVisible(tree.Handle()) != FALSE; });
    const POINTL onA = NodePoint(tree, a);
    const POINTL onB = NodePoint(tree, b);
    MoveCursorTo(onA);
    ASSERT_TRUE(PumpUntil([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == onA.x && now.y == onA.y;
    }));

    // The test stands for the user: it carries the folder over b and lets go there (no button is held, so the
    // engine answers "drop" whenever it is asked and the test holds it back until b is highlighted).
    int calls = 0;
    bool overB = false;
    std::vector<int> executed;
    tree.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    tree.OnDDQueryContinueDrag = [&](gui::TComponent*, BOOL, int, HRESULT& result) {
        ++calls;
        if (calls == 1)
            MoveCursorTo(onB);
        overB = TreeView_GetDropHilight(tree.Handle()) == b;
        if (calls > 200)
            result = DRAGDROP_S_CANCEL;
        else if (!overB)
            result = S_OK;
    };
    tree.DragDropFilesEx().StartDragDetect(0);
    MoveCursorTo(POINTL{onA.x + 30, onA.y});
    ASSERT_TRUE(PumpUntil([&] { return calls > 0 && !tree.Dragging(); }));

    EXPECT_TRUE(overB) << "the drag ended over b after " << calls << " questions";
    EXPECT_TRUE(IsFolder(folder / L"b\\a\\inside"));
    EXPECT_FALSE(IsFolder(folder / L"a"));
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_MOVE});
    EXPECT_EQ(tree.FindReadNode(folder / L"a"), nullptr);
    EXPECT_NE(tree.FindReadNode(folder / L"b\\a"), nullptr);
    EXPECT_EQ(TreeView_GetDropHilight(tree.Handle()), nullptr);
}

} // namespace
