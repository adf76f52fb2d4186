// Controls: names readable from outside, change events exactly once per real change, keys, layout.
#include "GuiTestSupport.h"
#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

using namespace gui;

namespace {

class TTestForm : public TForm {
public:
    TTestForm() : TForm(L"TGuiTest_Form", L"GuiTest_Form") {
        SetClientSize(400, 300);
        SetText(L"Controls under test");
        Group.SetText(L"Format");
        Group.SetItems({L"PDF", L"JPEG", L"TIFF"});
        Check.SetText(L"Check");
        Button.SetText(L"Go");
    }
    TButton Button{this, L"Button1", 10, 10, 75, 25};
    TCheckBox Check{this, L"CheckBox1", 10, 40, 100, 17};
    TRadioGroup Group{this, L"AuswahlRG", 200, 10, 150, 90};
    TEdit Edit{this, L"Edit1", 10, 70, 120, 21};
    TEdit Digits{this, L"RestEdit", 10, 100, 120, 21};
    TComboBox Combo{this, L"Combo1", 10, 130, 120, 21};
    TListBox List{this, L"List1", 200, 110, 150, 80};
};

TEST(GuiNames, ControlsAreFoundByClassAndNameFromOutside) {
    TTestForm form;
    HWND top = guidriver::FindTopWindow(L"TGuiTest_Form", L"Controls under test");
    ASSERT_EQ(top, form.Handle());
    EXPECT_EQ(guidriver::ControlName(top), L"GuiTest_Form");
    struct Case {
        const wchar_t* name;
        TControl* control;
    } cases[] = {{L"Button1", &form.Button}, {L"CheckBox1", &form.Check}, {L"AuswahlRG", &form.Group},
                 {L"Edit1", &form.Edit},     {L"Combo1", &form.Combo},    {L"List1", &form.List}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        EXPECT_EQ(guidriver::FindControl(top, c.name), c.control->Handle());
    }
    form.Button.SetName(L"Renamed");
    EXPECT_EQ(guidriver::FindControl(top, L"Renamed"), form.Button.Handle());
    EXPECT_EQ(guidriver::FindControl(top, L"Button1"), nullptr);
}

TEST(GuiEvents, CheckBoxClickRunsOncePerChange) {
    TTestForm form;
    int clicks = 0;
    form.Check.OnClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, &form.Check);
        ++clicks;
    };
    form.Check.SetChecked(false); // no change
    EXPECT_EQ(clicks, 0);
    form.Check.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    form.Check.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    guidriver::Click(form.Check.Handle()); // the user's click toggles
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(form.Check.Checked());
}

TEST(GuiEvents, RadioGroupItemIndexRaisesOnClickOnlyOnChange) {
    TTestForm form;
    std::vector<int> seen;
    form.Group.OnClick = [&](TComponent*) { seen.push_back(form.Group.ItemIndex()); };
    form.Group.SetItemIndex(1);
    form.Group.SetItemIndex(1);
    guidriver::Click(form.Group.Button(2)->Handle());
    guidriver::Click(form.Group.Button(2)->Handle());
    form.Group.SetItemIndex(-1);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, -1}));
    EXPECT_EQ(form.Group.Item(0), L"PDF");
    EXPECT_FALSE(form.Group.Button(2)->Checked());
}

TEST(GuiEvents, EditChangeAndSwallowedKeys) {
    TTestForm form;
    form.Show();
    int changes = 0;
    form.Edit.OnChange = [&](TComponent*) { ++changes; };
    form.Edit.SetText(L"abc");
    form.Edit.SetText(L"abc");
    EXPECT_EQ(changes, 1);
    // Only digits and Backspace pass, as an input filter would let them.
    form.Digits.OnKeyPress = [](TComponent*, wchar_t& key) {
        if (!(key >= L'0' && key <= L'9') && key != VK_BACK)
            key = 0;
    };
    form.Digits.SetMaxLength(3);
    guidriver::PostChars(form.Digits.Handle(), L"1a2b34");
    ASSERT_TRUE(PumpUntil([&] { return form.Digits.Text().size() >= 3; }));
    Pump();
    EXPECT_EQ(form.Digits.Text(), L"123");
}

TEST(GuiEvents, ExitHandlerMovingFocusBackDoesNotPingPong) {
    TTestForm form;
    int exits = 0, enters = 0;
    form.Edit.OnExit = [&](TComponent*) {
        ++exits;
        form.Edit.SetFocus(); // an exit check that refuses to let go
    };
    form.Digits.OnEnter = [&](TComponent*) { ++enters; };
    form.Edit.SetFocus();
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return form.Edit.Focused(); }));
    form.Digits.SetFocus();
    Pump();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(enters, 0);
    EXPECT_TRUE(form.Edit.Focused());
}

TEST(GuiEvents, ComboAndListBoxes) {
    TTestForm form;
    int changes = 0;
    form.Combo.OnChange = [&](TComponent*) { ++changes; };
    for (auto* t : {L"C:", L"D:", L"S:"})
        form.Combo.AddItem(t);
    form.Combo.SetItemIndex(2); // the program's choice is not the user's change
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(form.Combo.Text(), L"S:");
    EXPECT_EQ(form.Combo.IndexOf(L"D:"), 1);
    for (auto* t : {L"a.pdf", L"b.pdf", L"c.pdf"})
        form.List.AddItem(t);
    form.List.SetItemIndex(0);
    form.List.MoveItem(0, 2);
    EXPECT_EQ(form.List.Items(), (std::vector<std::wstring>{L"b.pdf", L"c.pdf", L"a.pdf"}));
    EXPECT_EQ(form.List.ItemIndex(), 2);
}

TEST(GuiEvents, ClickRunsHandlerEvenWhenDisabledAndExceptionsStopAtTheWindow) {
    TTestForm form;
    int clicks = 0;
    form.Button.OnClick = [&](TComponent*) { ++clicks; };
    form.Button.SetEnabled(false);
    form.Button.Click();
    EXPECT_EQ(clicks, 1);
    form.Button.SetEnabled(true);
    form.Button.OnClick = [&](TComponent*) {
        ++clicks;
        throw std::runtime_error("handler failed");
    };
    guidriver::Click(form.Button.Handle()); // must return normally
    EXPECT_EQ(clicks, 2);
}

TEST(GuiLayout, AlignedControlsShareTheClientAreaAndAnchorsFollow) {
    TForm form(L"TLayout_Form");
    form.SetClientSize(400, 300);
    TPanel top(&form, L"Top", 0, 0, 100, 30);
    TStatusBar status(&form, L"StatusBar1");
    TPanel left(&form, L"Left", 0, 0, 120, 10);
    TSplitter split(&form, L"Splitter1", TAlign::alLeft, 3);
    TPanel client(&form, L"Client");
    TButton corner(&form, L"Corner", 300, 250, 75, 25);
    top.SetAlign(TAlign::alTop);
    left.SetAlign(TAlign::alLeft);
    split.SetAlign(TAlign::alLeft);
    client.SetAlign(TAlign::alClient);
    corner.SetAnchors(akRight | akBottom);
    status.SetPanels({100, -1});
    status.SetPanelText(0, L"ready");
    int sh = status.Height();
    EXPECT_EQ(top.Width(), 400);
    EXPECT_EQ(status.Top(), 300 - sh);
    EXPECT_EQ(left.Top(), 30);
    EXPECT_EQ(left.Height(), 300 - 30 - sh);
    EXPECT_EQ(split.Left(), 120);
    EXPECT_EQ(client.Left(), 123);
    EXPECT_EQ(client.Width(), 400 - 123);
    form.SetClientSize(500, 350);
    EXPECT_EQ(top.Width(), 500);
    EXPECT_EQ(client.Width(), 500 - 123);
    EXPECT_EQ(corner.Left(), 400);
    EXPECT_EQ(corner.Top(), 300);
    EXPECT_EQ(status.PanelText(0), L"ready");
}

TEST(GuiControls, SpinEditLimitsAndListView) {
    TForm form(L"TSpin_Form");
    TSpinEdit spin(&form, L"SpinEdit2", 10, 10, 80, 22);
    spin.SetRange(0, 600);
    spin.SetValue(900);
    EXPECT_EQ(spin.Value(), 600);
    TSpinEdit unlimited(&form, L"SpinEdit1", 10, 40, 80, 22);
    unlimited.SetValue(5000000);
    EXPECT_EQ(unlimited.Value(), 5000000);
    unlimited.SetText(L"");
    EXPECT_EQ(unlimited.Value(), 0);

    TCustomListView list(&form, L"DirView1", 10, 70, 200, 100);
    list.AddColumn(L"Name", 100);
    for (auto [name, data] : {std::pair{L"b.ps", 2}, {L"a.ps", 1}, {L"c.ps", 3}})
        list.AddItem(name, data);
    list.CustomSort([](LPARAM a, LPARAM b) { return static_cast<int>(a - b); });
    EXPECT_EQ(list.ItemText(0), L"a.ps");
    EXPECT_EQ(list.ItemText(2), L"c.ps");
    list.CustomSort([](LPARAM, LPARAM) -> int { throw std::runtime_error("compare failed"); });
    EXPECT_EQ(list.ItemCount(), 3);
}

struct TextMessageCounts {
    int getText = 0;
    int setText = 0;
};

LRESULT CALLBACK CountTextMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* counts = reinterpret_cast<TextMessageCounts*>(data);
    counts->getText += msg == WM_GETTEXT;
    counts->setText += msg == WM_SETTEXT;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The memo appends at its end without reading its text back or setting it anew, ends every line in CR LF and
// keeps only its newest lines.
TEST(GuiControls, MemoAppendsLinesWithCrLfAndKeepsTheNewest) {
    TForm form(L"TMemo_Form");
    TMemo memo(&form, L"Memo1", 10, 10, 300, 100);
    TextMessageCounts counts;
    const SUBCLASSPROC count = CountTextMessages;
    ASSERT_TRUE(SetWindowSubclass(memo.Handle(), count, 1, reinterpret_cast<DWORD_PTR>(&counts)));

    struct Case {
        const wchar_t* what;
        std::wstring appended;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"bare CR", L"one\r", L"one\r\n"},
        {L"bare LF", L"two\n", L"one\r\ntwo\r\n"},
        {L"CR LF stays", L"three\r\n", L"one\r\ntwo\r\nthree\r\n"},
        {L"an unended line is continued", L"fo", L"one\r\ntwo\r\nthree\r\nfo"},
        {L"inner line ends", L"ur\rfive\rsix\n", L"one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\n"},
    };
    for (const Case& c : cases) {
        memo.Append(c.appended);
        RemoveWindowSubclass(memo.Handle(), count, 1);
        EXPECT_EQ(memo.Text(), c.expected) << std::string(c.what, c.what + wcslen(c.what));
        SetWindowSubclass(memo.Handle(), count, 1, reinterpret_cast<DWORD_PTR>(&counts));
    }

    memo.SetMaxLines(1000);
    const auto line = [](int i) {
        return L"gswin32c.exe -q -dSAFER -sOutputFile=\"C:\\PDF\\OUT\\job" + std::to_wstring(i) + L".pdf\"";
    };
    for (int i = 0; i < 1500; ++i) {
        memo.Append(line(i) + L"\r");
    }
    EXPECT_EQ(counts.getText, 0) << "an append read the whole text";
    EXPECT_EQ(counts.setText, 0) << "an append set the whole text anew";
    RemoveWindowSubclass(memo.Handle(), count, 1);

    // The newest lines stay, each ended in CR LF; of the oldest, as many go as keep the memo near its bound.
    const std::wstring text = memo.Text();
    const auto kept = std::count(text.begin(), text.end(), L'\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\r'), kept);
    EXPECT_GE(kept, 1000);
    EXPECT_LE(kept, 1100);
    EXPECT_EQ(text.rfind(line(static_cast<int>(1500 - kept)) + L"\r\n", 0), 0u) << "the oldest lines go first";
    EXPECT_TRUE(text.ends_with(line(1499) + L"\r\n"));

    memo.Clear();
    memo.Append(L"again\r");
    EXPECT_EQ(memo.Text(), L"again\r\n");
}

} // namespace

// A form with one of every control. With OSTREL_GUI_GALLERY_MS set it stays on screen that long, for
// scripts/screenshot.sh; otherwise it only checks that every control has its window.
namespace {
class TGallery_Form : public TForm {
public:
    TGallery_Form() : TForm(L"TGallery_Form", L"Gallery_Form") {
        SetText(L"Ostrel GUI gallery");
        SetClientSize(560, 420);
        SetPosition(TPosition::poScreenCenter);
        Bar.SetAlign(TAlign::alTop);
        Status.SetPanels({200, -1});
        Status.SetPanelText(0, L"Bereit");
        Status.SetPanelText(1, L"Statusleiste");
        Viewer.SetText(L"Viewer");
        Timerbutton.SetText(L"Start");
        Timerbutton.GroupIndex = 1;
        Timerbutton.SetDown(true);
        Label1.SetText(L"Programmdatei:");
        TFont red = Label2.Font();
        red.Color = clRed;
        red.Bold = true;
        Label2.SetFont(red);
        Label2.SetText(L"pdftk.exe fehlt");
        Edit1.SetText(L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
        Password.SetPasswordChar(L'*');
        Password.SetText(L"secret");
        AuswahlRG.SetText(L"Ausgabeformat");
        AuswahlRG.SetItems({L"PDF", L"PDF to PS", L"JPEG", L"TIFF (G4 - BW)"});
        AuswahlRG.SetItemIndex(0);
        SeiteCB.SetText(L"Jede Seite in einer eigenen Datei");
        SeiteCB.SetChecked(true);
        Radio.SetText(L"Normalbetrieb");
        Radio.SetChecked(true);
        GroupBox.SetText(L"Timer");
        SpinEdit1.SetValue(90);
        for (auto* t : {L"Default", L"Screen", L"Printer"})
            Combo.AddItem(t);
        Combo.SetItemIndex(1);
        for (auto* t : {L"a.pdf", L"b.pdf", L"c.pdf"})
            List.AddItem(t);
        Memo1.SetLines({L"gswin32c.exe -q -dNOPAUSE", L"-sDEVICE=pdfwrite"});
        Gauge.SetPosition(60);
        Image.SetIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32516)));
        Image.Center = true;
        Bevel.SetShape(TBevelShape::bsFrame);
        OKBitBtn1.SetKind(TBitBtnKind::bkOK);
        Cancel.SetKind(TBitBtnKind::bkCancel);
        Files.AddColumn(L"Name", 90);
        Files.AddColumn(L"Größe", 60, LVCFMT_RIGHT);
        Files.AddItem(L"test.ps");
        Files.SetItemText(0, 1, L"12 KB");
        HTREEITEM root = Tree.AddNode(nullptr, L"C:\\");
        Tree.AddNode(root, L"PDF");
        Tree.Expand(root, true);
        Rich.LoadRtf("{\\rtf1 {\\b Anleitung} rich text}");
    }
    TPanel Bar{this, L"PDFPanel", 0, 0, 560, 30};
    TSpeedButton Viewer{&Bar, L"Viewer", 4, 4, 60, 22};
    TSpeedButton Timerbutton{&Bar, L"Timerbutton", 68, 4, 60, 22};
    TStatusBar Status{this, L"StatusBar1"};
    TLabel Label1{this, L"Label1", 10, 40};
    TLabel Label2{this, L"pdftkLabel", 300, 40};
    TEdit Edit1{this, L"Edit1", 10, 56, 250, 21};
    TEdit Password{this, L"PasswordEdit", 270, 56, 100, 21};
    TRadioGroup AuswahlRG{this, L"AuswahlRG", 10, 84, 160, 100};
    TCheckBox SeiteCB{this, L"SeiteCB", 180, 90, 200, 17};
    TRadioButton Radio{this, L"Radio1", 180, 112, 150, 17};
    TGroupBox GroupBox{this, L"TimerGB1", 180, 134, 120, 50};
    TSpinEdit SpinEdit1{&GroupBox, L"SpinEdit1", 10, 20, 80, 21};
    TComboBox Combo{this, L"DPRG1", 310, 134, 110, 21};
    TListBox List{this, L"ListBox1", 430, 84, 120, 70};
    TMemo Memo1{this, L"Memo1", 10, 192, 260, 50};
    TProgressBar Gauge{this, L"Gauge1", 280, 192, 140, 16};
    TImage Image{this, L"Image1", 430, 160, 40, 40};
    TBevel Bevel{this, L"Bevel2", 280, 214, 140, 28};
    TCustomListView Files{this, L"DirView1", 10, 250, 200, 100};
    TCustomTreeView Tree{this, L"DriveView1", 220, 250, 140, 100};
    TRichEdit Rich{this, L"RichEdit1", 370, 250, 180, 60};
    TBitBtn OKBitBtn1{this, L"OKBitBtn1", 370, 318, 85, 25};
    TBitBtn Cancel{this, L"NeinBitBtn", 460, 318, 85, 25};
};
} // namespace

TEST(GuiGallery, EveryControlHasItsWindow) {
    TGallery_Form form;
    form.Show();
    int windows = 0;
    for (HWND child : guidriver::ChildWindows(form.Handle()))
        if (!guidriver::ControlName(child).empty())
            ++windows;
    EXPECT_GE(windows, 24);
    EXPECT_EQ(guidriver::WindowText(guidriver::FindControl(form.Handle(), L"Edit1")),
              L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
    if (const char* ms = std::getenv("OSTREL_GUI_GALLERY_MS")) {
        DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(ms));
        PumpUntil([&] { return GetTickCount() >= until; }, static_cast<DWORD>(std::atoi(ms)) + 1000);
    }
}

namespace {

HWND TooltipOf(HWND form) {
    struct Search {
        HWND form;
        HWND tip;
    } search{form, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == s->form) {
                s->tip = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.tip;
}

std::wstring ToolText(HWND tip, HWND form, HWND control) {
    wchar_t text[INFOTIPSIZE] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = form;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text;
    if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)))
        return L"<none>";
    return text;
}

} // namespace

TEST(GuiHints, TooltipKeepsOneToolWithTheCurrentShortHint) {
    TTestForm form;
    form.Button.SetHint(L"Start|Startet die Umwandlung");
    HWND tip = TooltipOf(form.Handle());
    ASSERT_NE(tip, nullptr);
    auto count = [&] { return SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0); };
    const HWND button = form.Button.Handle();
    EXPECT_EQ(ToolText(tip, form.Handle(), button), L"Start");
    form.Button.SetHint(L"Stopp|Hält die Umwandlung an");
    EXPECT_EQ(ToolText(tip, form.Handle(), button), L"Stopp");
    EXPECT_EQ(count(), 1);
    form.Button.SetShowHint(false);
    EXPECT_EQ(ToolText(tip, form.Handle(), button), L"<none>");
    form.Button.SetShowHint(true);
    EXPECT_EQ(ToolText(tip, form.Handle(), button), L"Stopp");
    EXPECT_EQ(count(), 1);
    form.Button.SetHint(L"");
    EXPECT_EQ(count(), 0);
}

// The tooltip learns of the mouse from the control: resting the pointer on a control with a hint shows it.
TEST(GuiHints, TooltipShowsWhenThePointerRestsOnTheControl) {
    TTestForm form;
    form.Button.SetHint(L"Start|Startet die Umwandlung");
    form.Show();
    HWND tip = TooltipOf(form.Handle());
    ASSERT_NE(tip, nullptr);
    RECT button{};
    GetWindowRect(form.Button.Handle(), &button);
    const POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    // A pointer that moves onto the button, as a user's does.
    SetCursorPos(centre.x - 8, centre.y);
    PumpUntil([] { return false; }, 100);
    SetCursorPos(centre.x, centre.y);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5000));
    wchar_t shown[64] = {};
    GetWindowTextW(tip, shown, 64);
    EXPECT_STREQ(shown, L"Start");
}
