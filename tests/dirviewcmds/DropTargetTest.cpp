// The directory list view as a drop target, driven through its drag-and-drop object's events as the OLE drop
// target calls them (the modal drag loop itself cannot be driven reliably here), and loading that waits while a
// name is edited.
#include "CommandsFixture.h"

#include "components/DragDropFilesEx.h"
#include "gui/MessageBox.h"
#include "support/GuiDriver.h"

#include <commctrl.h>

namespace dvcmdstest {
namespace {

POINT ItemPoint(const TDirView& view, int item) {
    RECT label{};
    ListView_GetItemRect(view.Handle(), item, &label, LVIR_LABEL);
    return POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
}

POINT EmptyPoint(const TDirView& view) {
    RECT client{};
    GetClientRect(view.Handle(), &client);
    return POINT{client.right / 2, client.bottom - 5};
}

bool Highlighted(const TDirView& view, int item) {
    return ListView_GetItemState(view.Handle(), item, LVIS_DROPHILITED) != 0;
}

class DropTargetTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        FillFolder();
        elsewhere = std::make_unique<testenv::TempDir>(L"dvs");
        MakeFile(elsewhere->path() / L"from.txt", 10);
    }
    void TearDown() override {
        elsewhere.reset();
        CommandsTest::TearDown();
    }
    TDragDropFilesEx& DD() { return view->DragDropFilesEx(); }
    void Offer(const std::vector<std::wstring>& names) {
        DD().FileList().Clear();
        for (const auto& name : names)
            DD().FileList().AddItem(nullptr, name);
    }
    // The effect the engine hands its events for the keys (a plain drag copies, Shift moves, Ctrl+Shift links).
    static DWORD EngineEffect(DWORD keys) {
        if ((keys & MK_SHIFT) && (keys & MK_CONTROL))
            return DROPEFFECT_LINK;
        return (keys & MK_SHIFT) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    }
    DWORD Enter(POINT pt, bool& accept, DWORD keys = 0) {
        DWORD effect = EngineEffect(keys);
        accept = true;
        DD().OnDragEnter(nullptr, keys, pt, effect, accept);
        return effect;
    }
    DWORD Over(POINT pt, DWORD keys = 0) {
        DWORD effect = EngineEffect(keys);
        DD().OnDragOver(keys, pt, effect);
        return effect;
    }
    void DropAndProcess(POINT pt, DWORD effect) {
        DD().OnDrop(nullptr, 0, pt, effect);
        DD().OnProcessDropped(&DD(), 0, pt, effect);
    }
    std::wstring From() const { return (elsewhere->path() / L"from.txt").wstring(); }

    std::unique_ptr<testenv::TempDir> elsewhere;
};

TEST_F(DropTargetTest, ADropOntoAFolderItemGoesIntoThatFolder) {
    Load();
    std::vector<std::wstring> events;
    view->OnDDDragEnter = [&](gui::TComponent*, IDataObject*, int, POINT, int&, bool&) { events.push_back(L"enter"); };
    view->OnDDDragOver = [&](gui::TComponent*, int, POINT, int&) { events.push_back(L"over"); };
    view->OnDDDrop = [&](gui::TComponent*, IDataObject*, int, POINT, int&) { events.push_back(L"drop"); };
    view->OnDDExecuted = [&](gui::TComponent*, int effect) {
        events.push_back(L"executed " + std::to_wstring(effect));
    };
    Offer({From()});
    const int sub = IndexOf(L"sub");
    bool accept = false;
    EXPECT_EQ(Enter(ItemPoint(*view, sub), accept), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(accept);
    EXPECT_TRUE(Highlighted(*view, sub));
    EXPECT_EQ(Over(ItemPoint(*view, IndexOf(L"a.txt"))), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_FALSE(Highlighted(*view, sub)) << "a file item is no drop folder";
    EXPECT_EQ(Over(ItemPoint(*view, sub)), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Highlighted(*view, sub));
    DropAndProcess(ItemPoint(*view, sub), DROPEFFECT_COPY);
    EXPECT_FALSE(Highlighted(*view, sub));
    EXPECT_TRUE(Exists(*folder / L"sub" / L"from.txt"));
    EXPECT_FALSE(Exists(*folder / L"from.txt"));
    EXPECT_EQ(events, (std::vector<std::wstring>{L"enter", L"over", L"over", L"drop", L"executed 1"}));
}

TEST_F(DropTargetTest, ADropBesideTheItemsGoesIntoTheViewsFolder) {
    Load();
    Offer({From()});
    bool accept = false;
    Enter(EmptyPoint(*view), accept);
    ASSERT_TRUE(accept);
    EXPECT_EQ(Over(EmptyPoint(*view), MK_SHIFT), static_cast<DWORD>(DROPEFFECT_MOVE));
    DropAndProcess(EmptyPoint(*view), DROPEFFECT_MOVE);
    EXPECT_TRUE(Exists(*folder / L"from.txt"));
    EXPECT_FALSE(Exists(elsewhere->path() / L"from.txt"));
    EXPECT_NE(IndexOf(L"from.txt"), -1);
    DD().OnDragLeave();
}

struct Refusal {
    const wchar_t* Name; // relative to nothing: must be refused whatever the folder
    bool Loaded;
};

class DropRefusalTest : public DropTargetTest, public testing::WithParamInterface<Refusal> {};

TEST_P(DropRefusalTest, IsRefusedAtEnter) {
    const Refusal& r = GetParam();
    if (r.Loaded)
        Load();
    else
        view->SetPath((*folder / L"missing").wstring());
    std::wstring name = r.Name;
    Offer({name.empty() ? From() : name});
    bool accept = true;
    EXPECT_EQ(Enter(EmptyPoint(*view), accept), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(accept);
    EXPECT_EQ(Over(EmptyPoint(*view)), static_cast<DWORD>(DROPEFFECT_NONE));
}

INSTANTIATE_TEST_SUITE_P(Names, DropRefusalTest,
                         testing::Values(Refusal{L"", false}, Refusal{L"from.txt", true}, Refusal{L"ab", true},
                                         Refusal{L"x.y:z", true}));

TEST_F(DropTargetTest, NetworkNamesAreAccepted) {
    Load();
    Offer({L"\\\\server\\share\\file.txt"});
    bool accept = false;
    Enter(EmptyPoint(*view), accept);
    EXPECT_TRUE(accept);
    DD().OnDragLeave();
}

TEST_F(DropTargetTest, FilesDroppedBackIntoTheirOwnFolderChangeNothing) {
    Load();
    Offer({(*folder / L"a.txt").wstring()});
    bool accept = false;
    EXPECT_EQ(Enter(EmptyPoint(*view), accept), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(accept) << "accepted: another place in the view may take them";
    EXPECT_EQ(Over(ItemPoint(*view, IndexOf(L"sub"))), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(Over(EmptyPoint(*view), MK_SHIFT), static_cast<DWORD>(DROPEFFECT_NONE));

    // A folder onto itself neither.
    Offer({(*folder / L"sub").wstring()});
    EXPECT_EQ(Over(ItemPoint(*view, IndexOf(L"sub"))), static_cast<DWORD>(DROPEFFECT_NONE));
    DD().OnDragLeave();
    EXPECT_FALSE(Highlighted(*view, IndexOf(L"sub")));
}

TEST_F(DropTargetTest, ADropFolderThatVanishedIsReported) {
    Load();
    Offer({From()});
    std::vector<TDDError> errors;
    view->OnDDError = [&](gui::TComponent*, TDDError error) { errors.push_back(error); };
    const POINT pt = ItemPoint(*view, IndexOf(L"sub"));
    bool accept = false;
    Enter(pt, accept);
    Over(pt);
    DWORD effect = DROPEFFECT_COPY;
    DD().OnDrop(nullptr, 0, pt, effect);
    fs::remove_all(*folder / L"sub");
    DD().OnProcessDropped(&DD(), 0, pt, DROPEFFECT_COPY);
    EXPECT_EQ(errors, std::vector<TDDError>{DDPathNotFoundError});
    EXPECT_FALSE(Exists(*folder / L"sub"));
    EXPECT_TRUE(Exists(elsewhere->path() / L"from.txt"));
}

TEST_F(DropTargetTest, WithoutAnErrorHandlerTheFailedDropIsShown) {
    Load();
    Offer({From()});
    gui::MessageBoxRecorder boxes;
    const POINT pt = ItemPoint(*view, IndexOf(L"sub"));
    bool accept = false;
    Enter(pt, accept);
    Over(pt);
    DWORD effect = DROPEFFECT_MOVE;
    DD().OnDrop(nullptr, 0, pt, effect);
    fs::remove_all(*folder / L"sub");
    DD().OnProcessDropped(&DD(), 0, pt, DROPEFFECT_MOVE);
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Text, L"DragDrop Error: 1");
    EXPECT_EQ(boxes.Records[0].Type, gui::TMsgDlgType::mtError);
    EXPECT_TRUE(Exists(elsewhere->path() / L"from.txt"));
}

// --- loading waits while a name is edited ----------------------------------------------------------------------

TEST_F(CommandsTest, AChangeWhileANameIsEditedWaitsForTheEditsEnd) {
    FillFolder();
    Load();
    view->EditItem(IndexOf(L"a.txt"));
    ASSERT_TRUE(view->IsEditing());
    MakeFile(*folder / L"arrived.ps", 5);
    view->Reload(true);
    EXPECT_EQ(IndexOf(L"arrived.ps"), -1) << "no load while the editor is open";
    EXPECT_TRUE(view->LoadPending());
    HWND edit = ListView_GetEditControl(view->Handle());
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    guidriver::PumpThreadMessages();
    EXPECT_FALSE(view->IsEditing());
    EXPECT_NE(IndexOf(L"arrived.ps"), -1) << "the pending load ran when the edit ended";
}

} // namespace
} // namespace dvcmdstest
