#include "components/SizeGripThemed.h"

#include "win/Handles.h"

#include <uxtheme.h>

#include <algorithm>

namespace {

constexpr int kGripperPart = 3; // SP_GRIPPER of the "STATUS" class
constexpr int kGripperState = 0;

// The theme library, loaded once on first use; every entry is null when it is missing.
struct ThemeLibrary {
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
    using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
    using GetThemePartSizeFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, THEMESIZE, SIZE*);
    using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, LPCRECT);

    IsThemeActiveFn IsThemeActive = nullptr;
    OpenThemeDataFn OpenThemeData = nullptr;
    CloseThemeDataFn CloseThemeData = nullptr;
    GetThemePartSizeFn GetThemePartSize = nullptr;
    DrawThemeBackgroundFn DrawThemeBackground = nullptr;

    ThemeLibrary() {
        HMODULE module = LoadLibraryW(L"uxtheme.dll"); // stays loaded for the process
        if (!module)
            return;
        Load(module, "IsThemeActive", IsThemeActive);
        Load(module, "OpenThemeData", OpenThemeData);
        Load(module, "CloseThemeData", CloseThemeData);
        Load(module, "GetThemePartSize", GetThemePartSize);
        Load(module, "DrawThemeBackground", DrawThemeBackground);
        if (!IsThemeActive || !OpenThemeData || !CloseThemeData || !GetThemePartSize || !DrawThemeBackground)
            IsThemeActive = nullptr;
    }
    bool Usable() const { return IsThemeActive != nullptr; }

private:
    template <class F> static void Load(HMODULE module, const char* name, F& entry) {
        entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const ThemeLibrary& Library() {
    static const ThemeLibrary library;
    return library;
}

bool SystemVisualStyles() {
    return Library().Usable() && Library().IsThemeActive();
}

TSizeGripThemed::VisualStylesQuery g_visualStyles = &SystemVisualStyles;

} // namespace

TSizeGripThemed::VisualStylesQuery TSizeGripThemed::SetVisualStylesQuery(VisualStylesQuery query) {
    VisualStylesQuery previous = g_visualStyles;
    g_visualStyles = query ? query : &SystemVisualStyles;
    return previous;
}

TSizeGripThemed::TSizeGripThemed(gui::TControl* owner) : TSizeGrip(owner) {
    // The base hooked the target while this part did not exist yet: compute the grip again with the theme.
    if (Hooked()) {
        InvalidateGrip();
        UpdateGrip();
    }
}

TSizeGripThemed::~TSizeGripThemed() {
    SetTargetControl(nullptr);
    CloseTheme();
}

void TSizeGripThemed::SetThemed(bool themed) {
    if (themed == themed_)
        return;
    InvalidateGrip();
    themed_ = themed;
    CheckTheme();
    if (Hooked())
        UpdateGrip();
}

void TSizeGripThemed::CloseTheme() {
    if (theme_ && Library().Usable())
        Library().CloseThemeData(static_cast<HTHEME>(theme_));
    theme_ = nullptr;
    themeWindow_ = nullptr;
}

void TSizeGripThemed::CheckTheme() {
    HWND hwnd = TargetHandle();
    const bool wanted = themed_ && hwnd && g_visualStyles() && Library().Usable();
    if (theme_ && (!wanted || themeWindow_ != hwnd))
        CloseTheme();
    if (!theme_ && wanted) {
        theme_ = Library().OpenThemeData(hwnd, L"STATUS");
        themeWindow_ = theme_ ? hwnd : nullptr;
    }
}

void TSizeGripThemed::GetGripRect(RECT& rect) {
    CheckTheme();
    TSizeGrip::GetGripRect(rect);
    HWND hwnd = TargetHandle();
    if (!theme_ || !hwnd)
        return;
    SIZE gripper{0, 0};
    if (const win::WindowDC dc(hwnd); dc) {
        if (FAILED(Library().GetThemePartSize(static_cast<HTHEME>(theme_), dc.get(), kGripperPart, kGripperState,
                                              nullptr, TS_TRUE, &gripper)))
            gripper = SIZE{0, 0};
    }
    const int width = std::max<int>(GetSystemMetrics(SM_CXVSCROLL), gripper.cx);
    const int height = std::max<int>(GetSystemMetrics(SM_CYHSCROLL), gripper.cy);
    rect.left = rect.right - width;
    rect.top = rect.bottom - height;
}

void TSizeGripThemed::PaintGrip(HDC dc, const RECT& rect) {
    CheckTheme();
    if (theme_ && SUCCEEDED(Library().DrawThemeBackground(static_cast<HTHEME>(theme_), dc, kGripperPart, kGripperState,
                                                          &rect, &rect)))
        return;
    PaintClassicGrip(dc, rect);
}

LRESULT TSizeGripThemed::TargetWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_THEMECHANGED)
        CloseTheme(); // reopened when next needed
    return TSizeGrip::TargetWindowProc(msg, wParam, lParam);
}
