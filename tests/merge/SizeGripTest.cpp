// The size grip on a real form: its corner answers hit tests as the bottom-right border, it follows the corner,
// draws the classic lines, and lets go of its target in every order.
#include "components/SizeGripThemed.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace gui;

namespace {

using testenv::PumpUntil;

class TGripTest_Form : public TForm {
public:
    TGripTest_Form() : TForm(L"TGripTest_Form", L"GripTest_Form") {
        SetText(L"Griff");
        SetBounds(40, 40, 400, 300);
    }
};

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

LRESULT HitTest(HWND hwnd, int clientX, int clientY) {
    POINT p = ClientToScreenPoint(hwnd, clientX, clientY);
    return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

bool ThemesOff() {
    return false;
}

class SizeGripTest : public testing::Test {
protected:
    void SetUp() override { Application.Initialize(); }
};

TEST_F(SizeGripTest, CornerActsAsTheBottomRightBorderOnlyWhileEnabled) {
    TGripTest_Form form;
    TSizeGripThemed grip(&form);
    ASSERT_EQ(grip.TargetControl(), &form);
    ASSERT_TRUE(grip.Hooked());
    const int w = form.ClientWidth();
    const int h = form.ClientHeight();
    RECT r = grip.GripRect();
    EXPECT_EQ(r.right, w);
    EXPECT_EQ(r.bottom, h);
    EXPECT_GE(r.right - r.left, 15);

    EXPECT_EQ(HitTest(form.Handle(), w - 3, h - 3), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTest(form.Handle(), r.left, r.top), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTest(form.Handle(), r.left - 1, h - 3), HTCLIENT);
    EXPECT_EQ(HitTest(form.Handle(), w / 2, h / 2), HTCLIENT);

    grip.SetEnabled(false);
    EXPECT_FALSE(grip.Hooked());
    r = grip.GripRect();
    EXPECT_TRUE(r.right <= r.left) << "empty while unhooked";
    EXPECT_EQ(HitTest(form.Handle(), w - 3, h - 3), HTCLIENT) << "the form's own procedure again";

    grip.SetEnabled(true);
    EXPECT_EQ(HitTest(form.Handle(), w - 3, h - 3), HTBOTTOMRIGHT);
}

// A press on the corner is the system's (or the window manager's) sizing from then on, because the corner answers
// as the bottom-right border (above); what the grip must do itself is follow the corner the sizing leaves behind.
TEST_F(SizeGripTest, AfterTheFormIsResizedTheGripSitsInTheNewCorner) {
    TGripTest_Form form;
    TSizeGripThemed grip(&form);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; }));
    const int width = form.Width();
    const int height = form.Height();
    const RECT r = grip.GripRect();

    SetWindowPos(form.Handle(), nullptr, 0, 0, width + 60, height + 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return form.Width() == width + 60 && form.Height() == height + 40; }));

    const RECT moved = grip.GripRect();
    EXPECT_EQ(moved.right, form.ClientWidth());
    EXPECT_EQ(moved.bottom, form.ClientHeight());
    EXPECT_EQ(HitTest(form.Handle(), form.ClientWidth() - 3, form.ClientHeight() - 3), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTest(form.Handle(), r.left + 2, r.top + 2), HTCLIENT) << "the old place is plain client area";
    form.Hide();
}

TEST_F(SizeGripTest, WithoutVisualStylesTheClassicLinesAreDrawn) {
    const auto previous = TSizeGripThemed::SetVisualStylesQuery(&ThemesOff);
    {
        TGripTest_Form form;
        TSizeGripThemed grip(&form);
        form.Show();
        // Switched off at run time: the theme closes and the next computation is the classic one.
        SendMessageW(form.Handle(), WM_THEMECHANGED, 0, 0);
        EXPECT_FALSE(grip.ThemeOpen());
        SendMessageW(form.Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(form.ClientWidth(), form.ClientHeight()));
        const RECT r = grip.GripRect();
        EXPECT_EQ(r.right - r.left, 15);
        EXPECT_EQ(r.bottom - r.top, 15);

        InvalidateRect(form.Handle(), nullptr, TRUE);
        UpdateWindow(form.Handle());
        HDC dc = GetDC(form.Handle());
        const COLORREF shadow = GetPixel(dc, r.right - 2, r.bottom - 1);    // first shadow line, k = 2
        const COLORREF highlight = GetPixel(dc, r.right - 4, r.bottom - 1); // first highlight line, k = 4
        const COLORREF outside = GetPixel(dc, r.right - 1, r.bottom - 1);   // the lines stop short of the corner
        ReleaseDC(form.Handle(), dc);
        EXPECT_EQ(shadow, GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(highlight, GetSysColor(COLOR_BTNHIGHLIGHT));
        EXPECT_NE(outside, GetSysColor(COLOR_BTNSHADOW));
        form.Hide();
    }
    TSizeGripThemed::SetVisualStylesQuery(previous);
}

TEST_F(SizeGripTest, TargetDestroyedFirstOrGripFreedFirstLeavesNoHook) {
    auto form = std::make_unique<TGripTest_Form>();
    TSizeGripThemed grip(form.get());
    ASSERT_TRUE(grip.Hooked());
    form.reset();
    EXPECT_EQ(grip.TargetControl(), nullptr);
    EXPECT_FALSE(grip.Hooked());

    TGripTest_Form other;
    const int w = other.ClientWidth();
    const int h = other.ClientHeight();
    {
        TSizeGrip classic(&other);
        EXPECT_EQ(HitTest(other.Handle(), w - 3, h - 3), HTBOTTOMRIGHT);
        grip.SetTargetControl(&other); // two grips on one window, removed in either order
    }
    EXPECT_EQ(HitTest(other.Handle(), w - 3, h - 3), HTBOTTOMRIGHT);
    grip.SetTargetControl(nullptr);
    EXPECT_EQ(HitTest(other.Handle(), w - 3, h - 3), HTCLIENT);
}

} // namespace
