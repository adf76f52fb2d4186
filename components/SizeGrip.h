#pragma once
// TSizeGrip: a sizing grip in the bottom-right corner of a windowed control (normally a resizable form) that makes
// that corner act as the window's bottom-right sizing border, without a status bar. The grip subclasses its
// target's window (SetWindowSubclass, so other subclasses of the same window come and go in any order), draws
// itself after the target's own painting and answers hit tests inside it with HTBOTTOMRIGHT.
#include "gui/Control.h"

#include <windows.h>

enum class TSizeGripStyle { sgsClassic, sgsWinXP };

class TSizeGrip : public gui::TComponent {
public:
    // The owner becomes the target. Every gui control is a windowed control.
    explicit TSizeGrip(gui::TControl* owner = nullptr);
    ~TSizeGrip() override;
    TSizeGrip(const TSizeGrip&) = delete;
    TSizeGrip& operator=(const TSizeGrip&) = delete;

    // The target's window being destroyed clears the target (the grip never outlives its hook).
    gui::TControl* TargetControl() const { return target_; }
    void SetTargetControl(gui::TControl* target);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TSizeGripStyle Style() const { return style_; }
    void SetStyle(TSizeGripStyle style);

    // The grip in the target's client coordinates; empty while not hooked.
    RECT GripRect() const { return gripRect_; }
    bool Hooked() const { return hooked_; }

protected:
    virtual void GetGripRect(RECT& rect);
    virtual void PaintGrip(HDC dc, const RECT& rect);
    // Runs for every message of the target while hooked; PassOn hands a message to the target's own procedure.
    virtual LRESULT TargetWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(UINT msg, WPARAM wParam, LPARAM lParam);

    // The classic drawing of the current style.
    void PaintClassicGrip(HDC dc, const RECT& rect) const;
    void InvalidateGrip() const;
    // Recomputes the rectangle and invalidates it.
    void UpdateGrip();
    HWND TargetHandle() const { return target_ ? target_->Handle() : nullptr; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
    void Hook();
    void Unhook();

    gui::TControl* target_ = nullptr;
    bool enabled_ = true;
    TSizeGripStyle style_ = TSizeGripStyle::sgsClassic;
    RECT gripRect_{0, 0, 0, 0};
    bool hooked_ = false;
    HWND hookedWindow_ = nullptr; // the window whose procedure is replaced, kept for the unhook
    bool destroying_ = false;
};
