// Auto-scroll during a drag: the options' defaults and copying, the edge bands of a list view in a form, scrolling
// after the start delay and on every repeat, stopping with SB_ENDSCROLL, page steps, the scroll events, and real
// timers driving it.
#include "components/DragScroll.h"

#include "gui/ComCtrls.h"
#include "gui/Form.h"
#include "support/FormSteps.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testenv::PumpUntil;

void Pump() {
    gui::Application.ProcessMessages();
}

TEST(ScrollDetectOptions, DefaultsClampingAndAssign) {
    TScrollDetectOptions options;
    EXPECT_EQ(100, options.ScrollDelay());
    EXPECT_EQ(750, options.StartDelay());
    for (const TScrollDetectArea* area :
         {&options.AreaLeft, &options.AreaTop, &options.AreaRight, &options.AreaBottom}) {
        EXPECT_EQ(0, area->Margin());
        EXPECT_EQ(10, area->Range());
    }
    EXPECT_FALSE(options.HorzScrolling || options.VertScrolling || options.HorzPageScroll || options.VertPageScroll);

    const std::pair<int, int> delays[] = {{0, 1}, {-5, 1}, {1, 1}, {250, 250}, {10000, 10000}, {20000, 10000}};
    for (const auto& [given, kept] : delays) {
        options.SetScrollDelay(given);
        EXPECT_EQ(kept, options.ScrollDelay()) << given;
    }

    TScrollDetectOptions source;
    source.SetStartDelay(300);
    source.SetScrollDelay(40);
    source.AreaBottom.SetMargin(4);
    source.AreaLeft.SetRange(25);
    source.VertScrolling = true;
    int changes = 0;
    options.AreaBottom.OnChange = [&changes] { ++changes; };
    options.Assign(source);
    EXPECT_EQ(300, options.StartDelay());
    EXPECT_EQ(40, options.ScrollDelay());
    EXPECT_EQ(4, options.AreaBottom.Margin());
    EXPECT_EQ(25, options.AreaLeft.Range());
    EXPECT_FALSE(options.VertScrolling);
    EXPECT_EQ(1, changes);
    options.AreaBottom.SetMargin(4);
    EXPECT_EQ(1, changes);
}

class TScrollForm : public gui::TForm {
public:
    TScrollForm() : gui::TForm(L"TOleScrollTestForm", L"ScrollForm") { SetClientSize(360, 260); }
};

LRESULT CALLBACK RecordScroll(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (msg == WM_VSCROLL || msg == WM_HSCROLL)
        reinterpret_cast<std::vector<std::pair<UINT, int>>*>(data)->push_back({msg, LOWORD(wParam)});
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// One shown form serves the suite (every Show costs seconds under Wine); each test gets a fresh list view with
// many items and a scroller whose cursor the test places.
class DragScrollInForm : public testing::Test {
protected:
    static void SetUpTestSuite() {
        form = std::make_unique<TScrollForm>();
        form->Show();
    }
    static void TearDownTestSuite() { form.reset(); }

    void SetUp() override {
        view = std::make_unique<gui::TCustomListView>(form.get(), L"Files", 10, 10, 320, 220);
        view->AddColumn(L"Name", 280);
        view->BeginUpdate();
        for (int i = 0; i < 200; ++i)
            view->AddItem(L"file" + std::to_wstring(i) + L".ps");
        view->EndUpdate();
        ShowWindow(view->Handle(), SW_SHOW);
        Pump();
        SetWindowSubclass(view->Handle(), RecordScroll, 1, reinterpret_cast<DWORD_PTR>(&messages));
        scroller = std::make_unique<TDragScroller>(&component, options);
        scroller->SetControl(view->Handle());
        scroller->CursorPos = [this] {
            POINT pt = cursor;
            ClientToScreen(view->Handle(), &pt);
            return pt;
        };
    }
    void TearDown() override {
        scroller.reset();
        RemoveWindowSubclass(view->Handle(), RecordScroll, 1);
        view.reset();
    }

    RECT Client() const {
        RECT rect{};
        GetClientRect(view->Handle(), &rect);
        return rect;
    }
    void PlaceCursor(int x, int y) { cursor = POINT{x, y}; }
    void CursorAtBottom() { PlaceCursor(Client().right / 2, Client().bottom - 4); }
    void CursorInMiddle() { PlaceCursor(Client().right / 2, Client().bottom / 2); }
    int TopIndex() const { return static_cast<int>(SendMessageW(view->Handle(), LVM_GETTOPINDEX, 0, 0)); }
    std::vector<int> Requests(UINT msg) const {
        std::vector<int> requests;
        for (const auto& [message, request] : messages)
            if (message == msg)
                requests.push_back(request);
        return requests;
    }

    static inline std::unique_ptr<TScrollForm> form;
    gui::TComponent component{L"DragDrop1"};
    TScrollDetectOptions options;
    std::unique_ptr<gui::TCustomListView> view;
    std::unique_ptr<TDragScroller> scroller;
    std::vector<std::pair<UINT, int>> messages;
    POINT cursor{};
};

TEST_F(DragScrollInForm, DirectionFollowsTheBandsAndTheScrollRange) {
    const int h = Client().bottom;
    struct Case {
        int y;
        int atTop;
        int scrolledDown;
    };
    // Start band [0, 10]; end band [h - 11, h - 1]; up is only possible once scrolled down.
    const Case cases[] = {{0, 0, 1},      {10, 0, 1},     {11, 0, 0},   {h / 2, 0, 0},
                          {h - 12, 0, 0}, {h - 11, 2, 2}, {h - 1, 2, 2}};
    for (const Case& c : cases) {
        PlaceCursor(20, c.y);
        EXPECT_EQ(c.atTop, scroller->DetectScroll(true)) << "y " << c.y;
    }
    SendMessageW(view->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(view->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(2, TopIndex());
    for (const Case& c : cases) {
        PlaceCursor(20, c.y);
        EXPECT_EQ(c.scrolledDown, scroller->DetectScroll(true)) << "y " << c.y;
    }
    options.AreaBottom.SetMargin(5);
    PlaceCursor(20, h - 1);
    EXPECT_EQ(0, scroller->DetectScroll(true));
    PlaceCursor(20, h - 6);
    EXPECT_EQ(2, scroller->DetectScroll(true));
}

TEST_F(DragScrollInForm, RestingInTheBottomBandScrollsAndLeavingItStops) {
    options.VertScrolling = true;
    int calls = 0;
    scroller->OnAfterScrolling = [&calls](gui::TComponent*) { ++calls; };
    CursorAtBottom();
    scroller->DragOver();
    EXPECT_EQ(2, scroller->Direction(true));
    EXPECT_TRUE(scroller->StartDelayRunning(true));
    EXPECT_EQ(0, TopIndex());
    EXPECT_TRUE(messages.empty());
    // Another DragOver in the same band keeps the waiting axis as it is.
    scroller->DragOver();
    EXPECT_TRUE(scroller->StartDelayRunning(true));

    scroller->StartDelayTick(true);
    EXPECT_FALSE(scroller->StartDelayRunning(true));
    EXPECT_TRUE(scroller->Repeating(true));
    EXPECT_EQ(100u, scroller->RepeatInterval(true));
    EXPECT_EQ(1, TopIndex());
    scroller->RepeatTick(true);
    EXPECT_EQ(2, TopIndex());
    EXPECT_EQ(2, calls);

    CursorInMiddle();
    scroller->DragOver();
    EXPECT_EQ(0, scroller->Direction(true));
    EXPECT_FALSE(scroller->Repeating(true));
    EXPECT_EQ((std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}), Requests(WM_VSCROLL));
    EXPECT_EQ(2, TopIndex());
}

TEST_F(DragScrollInForm, TheMiddleNeverScrolls) {
    options.VertScrolling = true;
    options.HorzScrolling = true;
    CursorInMiddle();
    scroller->DragOver();
    EXPECT_EQ(0, scroller->Direction(true));
    EXPECT_FALSE(scroller->StartDelayRunning(true));
    scroller->RepeatTick(true);
    EXPECT_FALSE(scroller->StartDelayRunning(true) || scroller->Repeating(true));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(0, TopIndex());
}

TEST_F(DragScrollInForm, NothingScrollsWithTheSwitchOffOrAtTheEndOfTheRange) {
    CursorAtBottom();
    scroller->DragOver();
    EXPECT_EQ(0, scroller->Direction(true));
    EXPECT_FALSE(scroller->StartDelayRunning(true));

    options.VertScrolling = true;
    SendMessageW(view->Handle(), LVM_ENSUREVISIBLE, 199, FALSE);
    int bottom = TopIndex();
    ASSERT_GT(bottom, 150);
    messages.clear();
    EXPECT_EQ(0, scroller->DetectScroll(true));
    scroller->DragOver();
    EXPECT_FALSE(scroller->StartDelayRunning(true));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(bottom, TopIndex());
}

TEST_F(DragScrollInForm, TurningTheSwitchOffWhileScrollingStopsForGood) {
    options.VertScrolling = true;
    CursorAtBottom();
    scroller->DragOver();
    scroller->StartDelayTick(true);
    ASSERT_TRUE(scroller->Repeating(true));
    options.VertScrolling = false;
    scroller->RepeatTick(true);
    EXPECT_EQ(0, scroller->Direction(true));
    EXPECT_FALSE(scroller->StartDelayRunning(true));
    EXPECT_FALSE(scroller->Repeating(true));
    EXPECT_EQ((std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}), Requests(WM_VSCROLL));
    EXPECT_EQ(1, TopIndex());
}

TEST_F(DragScrollInForm, OverlappingBandsNeverScroll) {
    options.VertScrolling = true;
    const int h = Client().bottom;
    options.AreaTop.SetRange(static_cast<WORD>(h / 2));
    options.AreaBottom.SetRange(static_cast<WORD>(h / 2));
    SendMessageW(view->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    for (int y : {0, 5, h / 2, h - 5, h - 1}) {
        PlaceCursor(20, y);
        EXPECT_EQ(0, scroller->DetectScroll(true)) << "y " << y;
    }
}

TEST_F(DragScrollInForm, PageStepsAndTheBeforeScrollingHandler) {
    options.VertScrolling = true;
    options.VertPageScroll = true;
    CursorAtBottom();
    scroller->DragOver();
    scroller->StartDelayTick(true);
    EXPECT_EQ((std::vector<int>{SB_PAGEDOWN}), Requests(WM_VSCROLL));
    int afterPage = TopIndex();
    EXPECT_GT(afterPage, 5);

    // The handler may lengthen the wait before the next step and turn a line step into a page step.
    options.VertPageScroll = false;
    std::vector<TScrollDirection> directions;
    POINT seen{};
    gui::TComponent* sender = nullptr;
    scroller->OnBeforeScrolling = [&](gui::TComponent* Sender, POINT pt, TScrollInterval& Interval,
                                      TScrollDirection ScrollDirection, bool& ScrollPage) {
        sender = Sender;
        seen = pt;
        directions.push_back(ScrollDirection);
        EXPECT_EQ(100, Interval);
        EXPECT_FALSE(ScrollPage);
        Interval = 500;
        ScrollPage = directions.size() == 1;
    };
    scroller->RepeatTick(true);
    EXPECT_EQ(500u, scroller->RepeatInterval(true));
    scroller->RepeatTick(true);
    EXPECT_EQ((std::vector<int>{SB_PAGEDOWN, SB_PAGEDOWN, SB_LINEDOWN}), Requests(WM_VSCROLL));
    EXPECT_EQ((std::vector<TScrollDirection>{sdDown, sdDown}), directions);
    EXPECT_EQ(&component, sender);
    EXPECT_EQ(cursor.x, seen.x);
    EXPECT_EQ(cursor.y, seen.y);
}

TEST_F(DragScrollInForm, HorizontalStepsRaiseOnlyTheBeforeEvent) {
    view->AddColumn(L"Wide", 2000);
    Pump();
    options.HorzScrolling = true;
    int before = 0, after = 0;
    TScrollDirection direction = sdUp;
    scroller->OnBeforeScrolling = [&](gui::TComponent*, POINT, TScrollInterval&, TScrollDirection d, bool&) {
        ++before;
        direction = d;
    };
    scroller->OnAfterScrolling = [&after](gui::TComponent*) { ++after; };
    PlaceCursor(Client().right - 3, Client().bottom / 2);
    scroller->DragOver();
    EXPECT_EQ(0, scroller->Direction(true));
    EXPECT_EQ(2, scroller->Direction(false));
    int position = GetScrollPos(view->Handle(), SB_HORZ);
    scroller->StartDelayTick(false);
    EXPECT_GT(GetScrollPos(view->Handle(), SB_HORZ), position);
    EXPECT_EQ(1, before);
    EXPECT_EQ(sdRight, direction);
    EXPECT_EQ(0, after);
    EXPECT_EQ((std::vector<int>{SB_LINERIGHT}), Requests(WM_HSCROLL));
    scroller->StopScrolling();
    EXPECT_EQ((std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL}), Requests(WM_HSCROLL));
    EXPECT_TRUE(Requests(WM_VSCROLL).empty());
}

TEST_F(DragScrollInForm, TheTimersScrollOnTheirOwn) {
    options.VertScrolling = true;
    options.SetStartDelay(30);
    options.SetScrollDelay(20);
    CursorAtBottom();
    scroller->DragOver();
    EXPECT_TRUE(PumpUntil([this] { return TopIndex() >= 3; }));
    CursorInMiddle();
    // The next repeat finds the cursor outside the bands and ends the axis.
    EXPECT_TRUE(PumpUntil([this] { return scroller->Direction(true) == 0; }));
    EXPECT_FALSE(scroller->Repeating(true));
    std::vector<int> requests = Requests(WM_VSCROLL);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(SB_ENDSCROLL, requests.back());
    int stopped = TopIndex();
    for (int i = 0; i < 5; ++i)
        Pump();
    EXPECT_EQ(stopped, TopIndex());
}

} // namespace
