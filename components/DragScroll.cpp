#include "components/DragScroll.h"

#include <algorithm>

namespace {

TScrollInterval ClampInterval(TScrollInterval Value) {
    return std::clamp(Value, 1, 10000);
}

} // namespace

void TScrollDetectArea::SetMargin(WORD Value) {
    if (Value == FMargin)
        return;
    FMargin = Value;
    Changed();
}

void TScrollDetectArea::SetRange(WORD Value) {
    if (Value == FRange)
        return;
    FRange = Value;
    Changed();
}

void TScrollDetectArea::Assign(const TScrollDetectArea& Source) {
    SetMargin(Source.Margin());
    SetRange(Source.Range());
}

void TScrollDetectArea::Changed() {
    if (OnChange)
        OnChange();
}

void TScrollDetectOptions::SetScrollDelay(TScrollInterval Value) {
    FScrollDelay = ClampInterval(Value);
}

void TScrollDetectOptions::SetStartDelay(TScrollInterval Value) {
    FStartDelay = ClampInterval(Value);
}

void TScrollDetectOptions::Assign(const TScrollDetectOptions& Source) {
    FScrollDelay = Source.FScrollDelay;
    FStartDelay = Source.FStartDelay;
    AreaLeft.Assign(Source.AreaLeft);
    AreaTop.Assign(Source.AreaTop);
    AreaRight.Assign(Source.AreaRight);
    AreaBottom.Assign(Source.AreaBottom);
}

TDragScroller::TDragScroller(gui::TComponent* Sender, const TScrollDetectOptions& Options)
    : CursorPos([] {
          POINT pt{};
          GetCursorPos(&pt);
          return pt;
      }),
      FSender(Sender), FOptions(Options) {
    for (bool vertical : {false, true}) {
        TAxis& axis = Axis(vertical);
        axis.StartTimer.SetEnabled(false);
        axis.RepeatTimer.SetEnabled(false);
        // Timer events run inside the message loop: nothing may escape them.
        axis.StartTimer.OnTimer = [this, vertical](gui::TComponent*) {
            gui::GuardedVoid("scroll start delay", [this, vertical] { StartDelayTick(vertical); });
        };
        axis.RepeatTimer.OnTimer = [this, vertical](gui::TComponent*) {
            gui::GuardedVoid("scroll repeat", [this, vertical] { RepeatTick(vertical); });
        };
    }
}

POINT TDragScroller::ClientCursor() const {
    POINT pt = CursorPos ? CursorPos() : POINT{};
    ScreenToClient(FControl, &pt);
    return pt;
}

int TDragScroller::DetectScroll(bool Vertical) const {
    if (!FControl || !IsWindow(FControl))
        return 0;
    RECT client{};
    if (!GetClientRect(FControl, &client))
        return 0;
    const TScrollDetectArea& startArea = Vertical ? FOptions.AreaTop : FOptions.AreaLeft;
    const TScrollDetectArea& endArea = Vertical ? FOptions.AreaBottom : FOptions.AreaRight;
    int extent = Vertical ? client.bottom - client.top : client.right - client.left;
    int startLow = startArea.Margin();
    int startHigh = startArea.Margin() + startArea.Range();
    int endLow = extent - 1 - endArea.Margin() - endArea.Range();
    int endHigh = extent - 1 - endArea.Margin();
    // Bands that meet or overlap leave no place that means only one direction.
    if (endLow <= startHigh)
        return 0;

    POINT pt = ClientCursor();
    int coordinate = Vertical ? pt.y : pt.x;
    int direction = 0;
    if (coordinate >= startLow && coordinate <= startHigh)
        direction = 1;
    else if (coordinate >= endLow && coordinate <= endHigh)
        direction = 2;
    if (direction == 0)
        return 0;

    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(FControl, Vertical ? SB_VERT : SB_HORZ, &info))
        return 0;
    int page = info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0;
    if (direction == 1)
        return info.nPos > info.nMin ? 1 : 0;
    return info.nMax - page > info.nPos ? 2 : 0;
}

void TDragScroller::StartScrollAxis(bool Vertical, int Direction) {
    StopScrollAxis(Vertical);
    TAxis& axis = Axis(Vertical);
    axis.StartTimer.SetInterval(static_cast<unsigned>(FOptions.StartDelay()));
    axis.StartTimer.SetEnabled(true);
    axis.Direction = Direction;
}

void TDragScroller::StopScrollAxis(bool Vertical) {
    TAxis& axis = Axis(Vertical);
    axis.StartTimer.SetEnabled(false);
    if (axis.RepeatTimer.Enabled() && FControl)
        SendMessageW(FControl, Vertical ? WM_VSCROLL : WM_HSCROLL, SB_ENDSCROLL, 0);
    axis.RepeatTimer.SetEnabled(false);
    axis.Direction = 0;
}

void TDragScroller::DragOverAxis(bool Vertical) {
    TAxis& axis = Axis(Vertical);
    if (!Switch(Vertical)) {
        if (axis.Direction != 0)
            StopScrollAxis(Vertical);
        return;
    }
    int direction = DetectScroll(Vertical);
    if (direction != 0) {
        bool running = axis.StartTimer.Enabled() || axis.RepeatTimer.Enabled();
        if (!(running && axis.Direction == direction))
            StartScrollAxis(Vertical, direction);
    } else if (axis.Direction != 0) {
        StopScrollAxis(Vertical);
    }
}

void TDragScroller::DragOver() {
    DragOverAxis(true);
    DragOverAxis(false);
}

void TDragScroller::StopScrolling() {
    StopScrollAxis(true);
    StopScrollAxis(false);
}

void TDragScroller::StartDelayTick(bool Vertical) {
    TAxis& axis = Axis(Vertical);
    axis.StartTimer.SetEnabled(false);
    axis.RepeatTimer.SetInterval(static_cast<unsigned>(FOptions.ScrollDelay()));
    axis.RepeatTimer.SetEnabled(true);
    RepeatTick(Vertical);
}

void TDragScroller::RepeatTick(bool Vertical) {
    TAxis& axis = Axis(Vertical);
    // A switch turned off while scrolling ends the axis for good; starting it again would only stop it next tick.
    if (!Switch(Vertical)) {
        if (axis.Direction != 0)
            StopScrollAxis(Vertical);
        return;
    }
    int direction = DetectScroll(Vertical);
    if (direction == 0) {
        StopScrollAxis(Vertical);
        return;
    }
    if (!axis.StartTimer.Enabled() && !axis.RepeatTimer.Enabled()) {
        StartScrollAxis(Vertical, direction);
        return;
    }
    if (direction != axis.Direction) {
        StartScrollAxis(Vertical, direction);
        return;
    }
    TScrollInterval interval = FOptions.ScrollDelay();
    bool page = Vertical ? FOptions.VertPageScroll : FOptions.HorzPageScroll;
    TScrollDirection scrollDirection =
        Vertical ? (direction == 1 ? sdUp : sdDown) : (direction == 1 ? sdLeft : sdRight);
    if (OnBeforeScrolling)
        OnBeforeScrolling(FSender, ClientCursor(), interval, scrollDirection, page);
    // SB_PAGEUP/SB_PAGELEFT and SB_LINEUP/SB_LINELEFT share their values, as do the down/right requests.
    WPARAM request = page ? (direction == 1 ? SB_PAGEUP : SB_PAGEDOWN) : (direction == 1 ? SB_LINEUP : SB_LINEDOWN);
    if (FControl)
        SendMessageW(FControl, Vertical ? WM_VSCROLL : WM_HSCROLL, request, 0);
    if (Vertical && OnAfterScrolling)
        OnAfterScrolling(FSender);
    axis.RepeatTimer.SetInterval(static_cast<unsigned>(ClampInterval(interval)));
}
