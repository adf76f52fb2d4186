// The layout rules of the GUI library that windows rely on when they change size: anchored controls after the
// parent had no room, the order of aligned bars when one of them grows, a bar laid out in one go, and a memo's
// scroll bar.
#include "GuiTestSupport.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

class TLayout_Form : public TForm {
public:
    TLayout_Form() : TForm(L"TLayout_Form", L"Layout_Form") {
        SetClientSize(400, 300);
        Path.SetAnchors(akLeft | akTop | akRight);
        Browse.SetAnchors(akTop | akRight);
        Status.SetAlign(TAlign::alBottom);
        Keys.SetAlign(TAlign::alBottom);
        Counter.SetAlign(TAlign::alBottom);
    }
    TEdit Path{this, L"Path", 10, 10, 300, 21};
    TButton Browse{this, L"Browse", 320, 10, 70, 21};
    TPanel Status{this, L"Status", 0, 280, 400, 20};
    TPanel Keys{this, L"Keys", 0, 255, 400, 25};
    TPanel Counter{this, L"Counter", 0, 225, 400, 30};
};

TEST(GuiLayout, AnchoredControlsComeBackAfterAMinimise) {
    TLayout_Form form;
    form.Show();
    form.SetWindowState(TWindowState::wsMinimized);
    Pump();
    form.SetWindowState(TWindowState::wsNormal);
    Pump();
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.Path.Width(), 300) << "the path box keeps its distance to the right edge";
    EXPECT_EQ(form.Browse.Left(), 320);
    form.SetClientSize(500, 300);
    Pump();
    EXPECT_EQ(form.Path.Width(), 400);
    EXPECT_EQ(form.Browse.Left(), 420);
    form.Hide();
}

TEST(GuiLayout, ABottomBarThatGrowsKeepsItsPlaceAmongTheOthers) {
    TLayout_Form form;
    const int keysTop = form.Keys.Top();
    form.Counter.SetHeight(form.Counter.Height() + 48);
    EXPECT_EQ(form.Status.Top() + form.Status.Height(), form.ClientHeight()) << "the status bar stays at the bottom";
    EXPECT_EQ(form.Keys.Top(), keysTop);
    EXPECT_EQ(form.Counter.Top() + form.Counter.Height(), form.Keys.Top()) << "the counter stays above the keys";
    form.Counter.SetHeight(form.Counter.Height() - 48);
    EXPECT_EQ(form.Counter.Top() + form.Counter.Height(), form.Keys.Top());
}

TEST(GuiLayout, ABarGivenItsOrderByPositionsAllTogether) {
    TForm form(L"TBar_Form");
    form.SetClientSize(400, 100);
    TPanel bar(&form, L"Bar", 0, 0, 400, 30);
    TButton first(&bar, L"First", 0, 0, 50, 30), second(&bar, L"Second", 0, 0, 120, 30),
        third(&bar, L"Third", 0, 0, 30, 30);
    bar.DisableAlign();
    for (auto [button, left] : {std::pair{&first, 1}, {&second, 2}, {&third, 100}}) {
        button->SetLeft(left);
        button->SetAlign(TAlign::alLeft);
    }
    bar.EnableAlign();
    EXPECT_EQ(first.Left(), 0);
    EXPECT_EQ(second.Left(), 50);
    EXPECT_EQ(third.Left(), 170);
}

TEST(GuiLayout, AMemoShowsItsScrollBarOnlyForMoreLinesThanItShows) {
    TForm form(L"TMemo_Form");
    form.SetClientSize(300, 200);
    TMemo memo(&form, L"Memo1", 10, 10, 200, 60);
    auto scrollBar = [&] { return (GetWindowLongPtrW(memo.Handle(), GWL_STYLE) & WS_VSCROLL) != 0; };
    memo.SetText(L"one\r\ntwo");
    EXPECT_FALSE(scrollBar());
    memo.SetLines({L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10"});
    EXPECT_TRUE(scrollBar());
    memo.Clear();
    EXPECT_FALSE(scrollBar());
}

} // namespace
