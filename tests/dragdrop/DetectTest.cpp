// Drag detection with real mouse input on a shown window (button messages reach the control, moves reach the
// detection hook), and whole drags: DoDragDrop over the component's own window, ended by the source's
// continue-query.
#include "DragDropTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace ddtest;

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Sends one mouse input and lets this thread take the resulting messages off its queue.
void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.dx = dx;
    input.mi.dy = dy;
    SendInput(1, &input, sizeof(input));
    // Input reaches the queue through the server; give it a moment by pumping until the queue is empty twice.
    for (int round = 0; round < 3; ++round) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
        Pump();
    }
}

POINT Cursor() {
    POINT pt{};
    GetCursorPos(&pt);
    return pt;
}

// Moves the cursor to a screen pixel with an absolute move, checking where it landed.
bool MoveTo(POINT target) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MulDiv(target.x, 65536, width) + 1,
              MulDiv(target.y, 65536, height) + 1);
    const POINT now = Cursor();
    return now.x == target.x && now.y == target.y;
}

const char* StatusName(TDragDetectStatus status) {
    switch (status) {
    case ddsNone:
        return "none";
    case ddsLeft:
        return "left";
    case ddsRight:
        return "right";
    case ddsCancelled:
        return "cancelled";
    case ddsDrag:
        return "drag";
    }
    return "?";
}

struct Detection : ::testing::Test {
    static std::unique_ptr<TTestWindow> window;
    static void SetUpTestSuite() {
        window = std::make_unique<TTestWindow>(true, RECT{100, 100, 500, 400});
        Pump();
    }
    static void TearDownTestSuite() { window.reset(); }

    TTestDragDrop dd;
    std::vector<std::string> statuses;
    std::vector<POINT> points;
    const POINT start{250, 250};

    void SetUp() override {
        ASSERT_TRUE(MoveTo(start)) << "cursor landed at " << Cursor().x << "," << Cursor().y;
        ASSERT_EQ(WindowFromPoint(start), window->Handle());
        dd.SetDragDropWindow(window->Handle());
        dd.SetSourceEffects({deCopy, deMove});
        dd.AutoDetectDnD = true;
        dd.OnDragDetect = [this](DWORD, POINT, POINT pt, TDragDetectStatus status) {
            statuses.push_back(StatusName(status));
            points.push_back(pt);
        };
    }
    void TearDown() override {
        // Whatever a test left pressed is released.
        if (GetAsyncKeyState(VK_LBUTTON) < 0)
            SendMouse(MOUSEEVENTF_LEFTUP);
        if (GetAsyncKeyState(VK_RBUTTON) < 0)
            SendMouse(MOUSEEVENTF_RIGHTUP);
    }
};

std::unique_ptr<TTestWindow> Detection::window;

TEST_F(Detection, TenPixelsStartNoDragElevenDo) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(dd.DragDetectStatus(), ddsLeft);
    ASSERT_TRUE(MoveTo(POINT{start.x + 10, start.y - 10}));
    EXPECT_EQ(dd.DragDetectStatus(), ddsLeft) << "still within the delta square";
    EXPECT_EQ(statuses, (std::vector<std::string>{"left"}));
    ASSERT_TRUE(MoveTo(POINT{start.x + 11, start.y}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "drag", "none"}));
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
    ASSERT_EQ(points.size(), 3u);
    POINT client = dd.ScreenToControl(POINT{start.x + 11, start.y});
    EXPECT_EQ(points[1].x, client.x) << "points are in client coordinates";
    EXPECT_EQ(points[1].y, client.y);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(statuses.size(), 3u) << "nothing after the detection ended";
}

TEST_F(Detection, SmallerDeltaStartsEarlier) {
    dd.DragDetectDelta = 3;
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(MoveTo(POINT{start.x, start.y + 4}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "drag", "none"}));
}

TEST_F(Detection, ReleasingTheButtonEndsDetection) {
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    EXPECT_EQ(dd.DragDetectStatus(), ddsRight);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(statuses, (std::vector<std::string>{"right", "none"}));
    ASSERT_TRUE(MoveTo(POINT{start.x + 30, start.y}));
    EXPECT_EQ(statuses.size(), 2u);
}

TEST_F(Detection, OtherButtonCancelsUntilBothAreUp) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    EXPECT_EQ(dd.DragDetectStatus(), ddsCancelled);
    ASSERT_TRUE(MoveTo(POINT{start.x + 40, start.y}));
    EXPECT_EQ(dd.DragDetectStatus(), ddsCancelled) << "a cancelled detection starts no drag";
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(dd.DragDetectStatus(), ddsCancelled) << "one button is still down";
    SendMouse(MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "cancelled", "none"}));
}

TEST_F(Detection, WithoutAutoDetectOnlyOnRequest) {
    dd.AutoDetectDnD = false;
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(statuses.empty());

    dd.StartDragDetect(0);
    EXPECT_EQ(dd.DragDetectStatus(), ddsLeft);
    // A move with no button down ends it.
    ASSERT_TRUE(MoveTo(POINT{start.x + 2, start.y}));
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "none"}));

    dd.StartDragDetect(1);
    dd.StartDragDetect(7);
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "none", "right", "none"}));
}

TEST_F(Detection, ANewDetectionEndsTheOldOne) {
    TTestDragDrop other;
    std::vector<std::string> otherStatuses;
    other.OnDragDetect = [&](DWORD, POINT, POINT, TDragDetectStatus status) {
        otherStatuses.push_back(StatusName(status));
    };
    other.StartDragDetect(0);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(otherStatuses, (std::vector<std::string>{"left", "none"}));
    EXPECT_EQ(dd.DragDetectStatus(), ddsLeft);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
}

// --- Whole drags ---------------------------------------------------------------------------------------------

TEST_F(Detection, DetectedDragRunsOverTheOwnWindow) {
    dd.SetTargetEffects({deCopy, deMove});
    dd.AcceptOwnDnD = true;
    std::vector<std::string> log;
    TDragDrop* sourceSeen = nullptr;
    dd.OnDragDetect = [&](DWORD, POINT, POINT, TDragDetectStatus status) {
        statuses.push_back(StatusName(status));
        if (status == ddsDrag)
            log.push_back("result " + std::to_string(dd.Execute()));
    };
    // The source ends the drag at once: the drop lands where the cursor is, on the own window.
    dd.OnQueryContinueDrag = [&](BOOL, DWORD, HRESULT& result) {
        if (result == S_OK)
            result = DRAGDROP_S_DROP;
    };
    dd.OnDragEnter = [&](IDataObject*, DWORD, POINT, DWORD& effect, bool&) {
        log.push_back("enter " + std::to_string(effect));
        sourceSeen = dd.InProcessSource();
        EXPECT_TRUE(dd.OwnDrag());
    };
    dd.OnDrop = [&](IDataObject* data, DWORD, POINT, DWORD& effect) {
        log.push_back("drop " + std::to_string(effect));
        EXPECT_EQ(FetchBlock(data, CF_UNICODETEXT).size(), sizeof(L"dragged"));
    };
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(MoveTo(POINT{start.x + 20, start.y}));
    Pump();
    EXPECT_EQ(statuses, (std::vector<std::string>{"left", "drag", "none"}));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), "enter 1");
    EXPECT_EQ(log.back(), "result " + std::to_string(drCopy));
    EXPECT_NE(std::find(log.begin(), log.end(), "drop 1"), log.end());
    EXPECT_EQ(sourceSeen, &dd);
    EXPECT_EQ(dd.InProcessSource(), nullptr) << "forgotten once the drop was processed";
    EXPECT_FALSE(dd.OwnDrag());
    EXPECT_EQ(TDragDrop::RunningDrag(), nullptr);
}

TEST_F(Detection, OwnDropsAreRefusedByDefault) {
    dd.SetTargetEffects({deCopy});
    bool dropped = false;
    DWORD enterEffect = 99;
    dd.OnQueryContinueDrag = [&](BOOL, DWORD, HRESULT& result) {
        if (result == S_OK)
            result = DRAGDROP_S_DROP;
    };
    dd.OnDragEnter = [&](IDataObject*, DWORD, POINT, DWORD& effect, bool&) { enterEffect = effect; };
    dd.OnDrop = [&](IDataObject*, DWORD, POINT, DWORD&) { dropped = true; };
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    dd.AutoDetectDnD = false;
    const TDragResult result = dd.Execute();
    EXPECT_EQ(enterEffect, 0u) << "the no-drop effect over the own control";
    EXPECT_NE(result, drCopy);
    EXPECT_NE(result, drInvalid);
    if (dropped)
        ADD_FAILURE() << "OLE dropped although every answer was 'no effect'";
}

TEST_F(Detection, SecondDragWhileOneRunsIsRefused) {
    TTestDragDrop other;
    other.SetSourceEffects({deCopy});
    bool otherObjectDestroyed = false;
    other.LastObjectDestroyed = &otherObjectDestroyed;
    TDragResult second = drCopy;
    dd.OnQueryContinueDrag = [&](BOOL, DWORD, HRESULT& result) {
        if (second == drCopy)
            second = other.Execute();
        result = DRAGDROP_S_CANCEL;
    };
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(dd.Execute(), drCancelled);
    EXPECT_EQ(second, drInvalid);
    EXPECT_TRUE(otherObjectDestroyed) << "the refused drag's data object is released";
    other.OnQueryContinueDrag = [](BOOL, DWORD, HRESULT& result) { result = DRAGDROP_S_CANCEL; };
    EXPECT_EQ(other.Execute(), drCancelled) << "with the first drag over, the second may run";
}

} // namespace
