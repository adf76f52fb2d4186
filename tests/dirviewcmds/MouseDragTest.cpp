// A real drag with the mouse from one list view to another: the list's own drag detection starts the drag, OLE
// carries it, the other view drops. After a move the source view drops the moved item once it is gone.
#include "CommandsFixture.h"

#include "components/DragDropFilesEx.h"
#include "support/GuiDriver.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace dvcmdstest {
namespace {

POINT ScreenPointOfItem(const TDirView& view, int item) {
    RECT label{};
    ListView_GetItemRect(view.Handle(), item, &label, LVIR_LABEL);
    POINT pt{label.left + 8, (label.top + label.bottom) / 2};
    ClientToScreen(view.Handle(), &pt);
    return pt;
}

POINT ScreenPointBelowItems(const TDirView& view) {
    RECT client{};
    GetClientRect(view.Handle(), &client);
    POINT pt{client.right / 2, client.bottom - 10};
    ClientToScreen(view.Handle(), &pt);
    return pt;
}

void SendMouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
}

// Moves the mouse like a hand would: press, travel in steps, release. The steps are paced so that the list's
// drag detection and OLE's drag loop each see several moves.
std::thread DragWithTheMouse(POINT from, POINT to, std::atomic<bool>& done) {
    return std::thread([=, &done] {
        SendMouse(0, from);
        Sleep(100);
        SendMouse(MOUSEEVENTF_LEFTDOWN, from);
        for (int step = 1; step <= 30; ++step) {
            Sleep(25);
            SendMouse(0, POINT{from.x + (to.x - from.x) * step / 30, from.y + (to.y - from.y) * step / 30});
        }
        Sleep(150);
        SendMouse(MOUSEEVENTF_LEFTUP, to);
        done = true;
    });
}

TEST_F(CommandsTest, TheDragAndDropEngineWatchesTheListWithoutASubclassOfItsOwn) {
    // The list has one subclass, the view's; the engine is a drop target and hears the list through the view.
    TDragDropFilesEx& dd = view->DragDropFilesEx();
    EXPECT_TRUE(dd.Registered());
    EXPECT_FALSE(dd.Subclassed());
    EXPECT_EQ(dd.DragDropWindow(), view->Handle());
}

TEST_F(CommandsTest, DraggingAFileForAMoveMovesItAndTheSourceDropsItsItem) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    SetForegroundWindow(form->Handle());
    guidriver::PumpThreadMessages();
    Select({L"a.txt"});
    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };
    // The target's handler may choose the effect: it asks for a move, as Shift would.
    int offered = 0;
    second.OnDDDragOver = [&](gui::TComponent*, int, POINT, int& effect) {
        offered = effect;
        effect = DROPEFFECT_MOVE;
    };

    std::atomic<bool> done{false};
    std::thread hand =
        DragWithTheMouse(ScreenPointOfItem(*view, IndexOf(L"a.txt")), ScreenPointBelowItems(second), done);
    const bool moved = guidriver::PumpUntil([&] { return done && Exists(target / L"a.txt"); }, 20000);
    hand.join();
    ASSERT_TRUE(moved) << "the drop did not arrive";
    EXPECT_EQ(offered, DROPEFFECT_COPY) << "a plain drag copies";
    EXPECT_FALSE(Exists(*folder / L"a.txt"));
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_MOVE});
    EXPECT_NE(IndexIn(second, L"a.txt"), -1);
    // The source learns of the move from its delete watcher.
    EXPECT_TRUE(guidriver::PumpUntil([&] { return IndexOf(L"a.txt") < 0; }, 10000));
    EXPECT_EQ(DragSourceDirView, nullptr);
}

TEST_F(CommandsTest, DraggingSeveralItemsPlainlyCopiesThem) {
    FillFolder();
    testenv::TempDir target(L"dvt");
    Load();
    TDirView& second = OtherView(target.path());
    SetForegroundWindow(form->Handle());
    guidriver::PumpThreadMessages();
    Select({L"b.txt", L"sub"});
    std::vector<int> executed;
    second.OnDDExecuted = [&](gui::TComponent*, int effect) { executed.push_back(effect); };

    std::atomic<bool> done{false};
    std::thread hand =
        DragWithTheMouse(ScreenPointOfItem(*view, IndexOf(L"b.txt")), ScreenPointBelowItems(second), done);
    const bool copied = guidriver::PumpUntil(
        [&] { return done && Exists(target / L"b.txt") && Exists(target / L"sub" / L"x.dat"); }, 20000);
    hand.join();
    ASSERT_TRUE(copied) << "the drop did not arrive";
    EXPECT_EQ(executed, std::vector<int>{DROPEFFECT_COPY});
    EXPECT_TRUE(Exists(*folder / L"b.txt"));
    EXPECT_TRUE(Exists(*folder / L"sub" / L"x.dat"));
    EXPECT_NE(IndexOf(L"b.txt"), -1);
    EXPECT_NE(IndexIn(second, L"sub"), -1);
}

} // namespace
} // namespace dvcmdstest
