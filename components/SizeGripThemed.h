#pragma once
// TSizeGripThemed: the size grip drawn with the visual style's status-bar gripper while visual styles are in use,
// the classic drawing otherwise. The theme library is loaded at run time, so the grip also works without it.
#include "components/SizeGrip.h"

class TSizeGripThemed : public TSizeGrip {
public:
    explicit TSizeGripThemed(gui::TControl* owner = nullptr);
    ~TSizeGripThemed() override;

    bool Themed() const { return themed_; }
    void SetThemed(bool themed);
    // Whether a theme is open now (for the window it was opened for).
    bool ThemeOpen() const { return theme_ != nullptr; }

    // Whether visual styles are in use; replaceable so the classic fallback can be exercised. The default asks
    // the theme library (a missing library counts as no visual styles).
    using VisualStylesQuery = bool (*)();
    static VisualStylesQuery SetVisualStylesQuery(VisualStylesQuery query);

protected:
    void GetGripRect(RECT& rect) override;
    void PaintGrip(HDC dc, const RECT& rect) override;
    LRESULT TargetWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CheckTheme();
    void CloseTheme();

    HWND themeWindow_ = nullptr;
    void* theme_ = nullptr; // HTHEME
    bool themed_ = true;
};
