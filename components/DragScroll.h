#pragma once
// Scrolling a control while something is dragged over it and the mouse rests near one of its edges: first after
// a start delay, then repeatedly, by line or by page, by sending the control its own scroll messages.
#include "gui/ExtCtrls.h"
#include "gui/Types.h"

#include <windows.h>

#include <functional>

// Milliseconds, 1 .. 10000; setters clamp to that range.
using TScrollInterval = int;
enum TScrollDirection { sdUp, sdDown, sdLeft, sdRight };

// The sensitive band of one edge: it starts Margin pixels in from the edge and is Range pixels wide.
class TScrollDetectArea {
public:
    TScrollDetectArea() = default;
    TScrollDetectArea(const TScrollDetectArea&) = delete;
    TScrollDetectArea& operator=(const TScrollDetectArea&) = delete;

    WORD Margin() const { return FMargin; }
    void SetMargin(WORD Value);
    WORD Range() const { return FRange; }
    void SetRange(WORD Value);
    void Assign(const TScrollDetectArea& Source);
    // Raised when a setter changes a value.
    std::function<void()> OnChange;

private:
    void Changed();
    WORD FMargin = 0;
    WORD FRange = 10;
};

class TScrollDetectOptions {
public:
    TScrollDetectOptions() = default;
    TScrollDetectOptions(const TScrollDetectOptions&) = delete;
    TScrollDetectOptions& operator=(const TScrollDetectOptions&) = delete;

    TScrollInterval ScrollDelay() const { return FScrollDelay; }
    void SetScrollDelay(TScrollInterval Value);
    TScrollInterval StartDelay() const { return FStartDelay; }
    void SetStartDelay(TScrollInterval Value);
    // Copies the two delays and the four areas; the switches stay as they are.
    void Assign(const TScrollDetectOptions& Source);

    TScrollDetectArea AreaLeft;
    TScrollDetectArea AreaTop;
    TScrollDetectArea AreaRight;
    TScrollDetectArea AreaBottom;
    bool HorzScrolling = false;
    bool VertScrolling = false;
    bool HorzPageScroll = false;
    bool VertPageScroll = false;

private:
    TScrollInterval FScrollDelay = 100;
    TScrollInterval FStartDelay = 750;
};

// Sender, cursor in client coordinates, the wait before the next step, the step's direction, page or line.
using TOnBeforeScrolling = std::function<void(gui::TComponent* Sender, POINT pt, TScrollInterval& Interval,
                                              TScrollDirection ScrollDirection, bool& ScrollPage)>;

// The auto-scroll state a drop target keeps for its control: per axis a start-delay timer, a repeat timer and
// the direction (0 none, 1 up or left, 2 down or right). Everything runs on the user-interface thread.
class TDragScroller {
public:
    // Sender is the component whose options these are; it is what the events report.
    TDragScroller(gui::TComponent* Sender, const TScrollDetectOptions& Options);
    TDragScroller(const TDragScroller&) = delete;
    TDragScroller& operator=(const TDragScroller&) = delete;

    // The control that is scrolled; null scrolls nothing.
    void SetControl(HWND Control) { FControl = Control; }
    HWND Control() const { return FControl; }

    // From the drop target's DragOver: the vertical axis first, then the horizontal one.
    void DragOver();
    // From DragLeave and Drop.
    void StopScrolling();

    int DetectScroll(bool Vertical) const;
    void StartScrollAxis(bool Vertical, int Direction);
    void StopScrollAxis(bool Vertical);
    void StartDelayTick(bool Vertical);
    void RepeatTick(bool Vertical);

    int Direction(bool Vertical) const { return Axis(Vertical).Direction; }
    bool StartDelayRunning(bool Vertical) const { return Axis(Vertical).StartTimer.Enabled(); }
    bool Repeating(bool Vertical) const { return Axis(Vertical).RepeatTimer.Enabled(); }
    unsigned RepeatInterval(bool Vertical) const { return Axis(Vertical).RepeatTimer.Interval(); }

    TOnBeforeScrolling OnBeforeScrolling;
    // After each vertical step only.
    gui::TNotifyEvent OnAfterScrolling;
    // Where the mouse is, in screen coordinates; GetCursorPos unless replaced.
    std::function<POINT()> CursorPos;

private:
    struct TAxis {
        gui::TTimer StartTimer;
        gui::TTimer RepeatTimer;
        int Direction = 0;
    };
    TAxis& Axis(bool Vertical) { return Vertical ? FVert : FHorz; }
    const TAxis& Axis(bool Vertical) const { return Vertical ? FVert : FHorz; }
    bool Switch(bool Vertical) const { return Vertical ? FOptions.VertScrolling : FOptions.HorzScrolling; }
    void DragOverAxis(bool Vertical);
    POINT ClientCursor() const;

    gui::TComponent* FSender;
    const TScrollDetectOptions& FOptions;
    HWND FControl = nullptr;
    TAxis FHorz;
    TAxis FVert;
};
