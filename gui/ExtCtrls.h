#pragma once
// Panels, bevels, splitters, images, status bars, progress gauges, spin edits, rich edits and timers.
#include "gui/StdCtrls.h"

namespace gui {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A container with an optional raised or lowered edge and a centred caption.
class TPanel : public TControl {
public:
    TPanel(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 185, int height = 41);
    void SetBevelOuter(TBevelCut cut);
    void SetText(const std::wstring& text) override;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;

private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TControl {
public:
    TBevel(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 50, int height = 50);
    void SetShape(TBevelShape shape);
    void SetStyle(TBevelCut style);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelCut style_ = TBevelCut::bvLowered;
};

// Dragging the splitter resizes the aligned control beside it (the one it was aligned after).
class TSplitter : public TControl {
public:
    TSplitter(TControl* parent, std::wstring name, TAlign align = TAlign::alLeft, int size = 3);
    int MinSize = 30;
    TNotifyEvent OnMoved;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TControl* Target() const;
    bool dragging_ = false;
    POINT start_{};
    int startSize_ = 0;
};

class TImage : public TControl {
public:
    TImage(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 105, int height = 105);
    // The image takes ownership of the bitmap or icon.
    void SetBitmap(HBITMAP bitmap);
    void SetIcon(HICON icon, bool owned = false);
    bool LoadFromResource(const wchar_t* name);
    bool Stretch = false;
    bool Center = false;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Release();
    win::UniqueBitmap bitmap_;
    HICON icon_ = nullptr; // shown; owned only when ownedIcon_ holds it too
    win::UniqueIcon ownedIcon_;
};

class TStatusBar : public TControl {
public:
    TStatusBar(TControl* parent, std::wstring name);
    // Panel widths in pixels; -1 for the last panel takes the rest.
    void SetPanels(const std::vector<int>& widths);
    int PanelCount() const { return static_cast<int>(widths_.size()); }
    std::wstring PanelText(int index) const;
    void SetPanelText(int index, const std::wstring& text);
    // With SimplePanel the bar shows one text across.
    void SetSimpleText(const std::wstring& text);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyParts();
    std::vector<int> widths_;
};

class TProgressBar : public TControl {
public:
    TProgressBar(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 150, int height = 16);
    void SetRange(int min, int max);
    int Position() const;
    void SetPosition(int position);
};

// An edit with up/down arrows for whole numbers. MinValue = MaxValue = 0 means no limit.
class TSpinEdit : public TEdit {
public:
    TSpinEdit(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 121, int height = 22);
    int Value() const;
    void SetValue(int value);
    void SetRange(int minValue, int maxValue);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool enabled) override;
    void SetVisible(bool visible) override;

protected:
    void AfterDeferredCreation() override;

private:
    void CreateUpDown();
    void PlaceUpDown();
    HWND updown_ = nullptr; // a child of the parent's window, destroyed with it
    int min_ = 0;
    int max_ = 0;
};

class TRichEdit : public TControl {
public:
    TRichEdit(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 185, int height = 89);
    void SetReadOnly(bool readOnly);
    // Loads rich text (or plain text) from a file; false when it cannot be read.
    bool LoadFromFile(const std::wstring& path);
    bool LoadRtf(const std::string& rtf);
    TNotifyEvent OnChange;

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
};

// A timer of the UI thread. OnTimer runs every Interval milliseconds while Enabled. Only an enabled timer holds a
// system timer, so one made disabled costs the window server nothing until it is first enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(std::wstring name = {}, bool enabled = true);
    ~TTimer() override;
    unsigned Interval() const { return interval_; }
    // Intervals above the system's maximum are clamped to it.
    void SetInterval(unsigned long long milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TNotifyEvent OnTimer;

private:
    static void CALLBACK TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    void Update();
    unsigned interval_ = 1000;
    bool enabled_ = true;
    bool armed_ = false; // a system timer runs under id_
    UINT_PTR id_ = 0;
};

} // namespace gui
