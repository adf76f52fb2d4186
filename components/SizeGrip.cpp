#include "components/SizeGrip.h"

#include "win/Handles.h"

#include <commctrl.h>

namespace {

constexpr int kGripSize = 15;

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

COLORREF Average(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

// Lines of one colour: for offset k, from (R - k - 4i, B - 1) to (R, B - 1 - k - 4i), i = 0..2, end excluded.
void DiagonalGroup(HDC dc, COLORREF colour, int right, int bottom, int k) {
    const win::UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    const win::SelectedObject selected(dc, pen.get());
    for (int i = 0; i < 3; ++i) {
        MoveToEx(dc, right - k - 4 * i, bottom - 1, nullptr);
        LineTo(dc, right, bottom - 1 - k - 4 * i);
    }
}

void Dot(HDC dc, int x, int y, COLORREF shadow, COLORREF middle, COLORREF highlight) {
    SetPixel(dc, x, y, shadow);
    SetPixel(dc, x + 1, y, shadow);
    SetPixel(dc, x, y + 1, shadow);
    SetPixel(dc, x + 1, y + 1, middle);
    SetPixel(dc, x + 2, y + 1, highlight);
    SetPixel(dc, x + 1, y + 2, highlight);
    SetPixel(dc, x + 2, y + 2, highlight);
}

} // namespace

TSizeGrip::TSizeGrip(gui::TControl* owner) : gui::TComponent(L"SizeGrip") {
    if (owner)
        SetTargetControl(owner);
}

TSizeGrip::~TSizeGrip() {
    destroying_ = true;
    SetTargetControl(nullptr);
}

void TSizeGrip::SetTargetControl(gui::TControl* target) {
    if (target == target_)
        return;
    Unhook();
    target_ = target;
    Hook();
}

void TSizeGrip::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    Unhook();
    enabled_ = enabled;
    Hook();
}

void TSizeGrip::SetStyle(TSizeGripStyle style) {
    if (style == style_)
        return;
    style_ = style;
    InvalidateGrip();
}

void TSizeGrip::Hook() {
    if (hooked_ || destroying_ || !target_ || !enabled_ || !target_->Handle())
        return;
    if (!SetWindowSubclass(target_->Handle(), &TSizeGrip::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        return;
    hooked_ = true;
    hookedWindow_ = target_->Handle();
    UpdateGrip();
}

void TSizeGrip::Unhook() {
    if (!hooked_)
        return;
    RemoveWindowSubclass(hookedWindow_, &TSizeGrip::SubclassProc, reinterpret_cast<UINT_PTR>(this));
    hooked_ = false;
    hookedWindow_ = nullptr;
    InvalidateGrip();
    gripRect_ = RECT{0, 0, 0, 0};
}

void TSizeGrip::InvalidateGrip() const {
    HWND hwnd = TargetHandle();
    if (hwnd && !IsEmpty(gripRect_))
        InvalidateRect(hwnd, &gripRect_, TRUE);
}

void TSizeGrip::UpdateGrip() {
    GetGripRect(gripRect_);
    InvalidateGrip();
}

void TSizeGrip::GetGripRect(RECT& rect) {
    rect = RECT{0, 0, 0, 0};
    HWND hwnd = TargetHandle();
    if (!hwnd)
        return;
    GetClientRect(hwnd, &rect);
    rect.left = rect.right - kGripSize;
    rect.top = rect.bottom - kGripSize;
}

void TSizeGrip::PaintGrip(HDC dc, const RECT& rect) {
    PaintClassicGrip(dc, rect);
}

void TSizeGrip::PaintClassicGrip(HDC dc, const RECT& rect) const {
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF own = target_ ? target_->Color() : gui::clDefault;
    if (own == gui::clDefault)
        own = GetSysColor(COLOR_BTNFACE);
    const COLORREF middle = Average(own, shadow);
    const int r = rect.right;
    const int b = rect.bottom;
    if (style_ == TSizeGripStyle::sgsClassic) {
        DiagonalGroup(dc, shadow, r, b, 2);
        DiagonalGroup(dc, middle, r, b, 3);
        DiagonalGroup(dc, highlight, r, b, 4);
        return;
    }
    const POINT dots[] = {{r - 4, b - 12}, {r - 8, b - 8}, {r - 4, b - 8},
                          {r - 12, b - 4}, {r - 8, b - 4}, {r - 4, b - 4}};
    for (const POINT& p : dots)
        Dot(dc, p.x, p.y, shadow, middle, highlight);
}

LRESULT TSizeGrip::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hookedWindow_, msg, wParam, lParam);
}

LRESULT TSizeGrip::TargetWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE: {
        InvalidateGrip();
        LRESULT result = PassOn(msg, wParam, lParam);
        UpdateGrip();
        return result;
    }
    case WM_PAINT: {
        LRESULT result = PassOn(msg, wParam, lParam);
        if (wParam == 0) {
            if (const win::WindowDC dc(TargetHandle()); dc)
                PaintGrip(dc.get(), gripRect_);
        }
        return result;
    }
    case WM_NCHITTEST: {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ScreenToClient(hookedWindow_, &p);
        if (PtInRect(&gripRect_, p))
            return HTBOTTOMRIGHT;
        return PassOn(msg, wParam, lParam);
    }
    default:
        return PassOn(msg, wParam, lParam);
    }
}

LRESULT CALLBACK TSizeGrip::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR refData) {
    auto* grip = reinterpret_cast<TSizeGrip*>(refData);
    if (msg == WM_NCDESTROY) {
        // The target goes away first: let go of it without leaving a hook behind.
        LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
        grip->Unhook();
        grip->target_ = nullptr;
        return result;
    }
    // Only a failing handler of ours falls back to 0; the target's own procedure already ran or never will.
    return gui::Guarded<LRESULT>("TSizeGrip::SubclassProc", 0,
                                 [&] { return grip->TargetWindowProc(msg, wParam, lParam); });
}
