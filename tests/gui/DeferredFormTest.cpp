// Forms the application makes after its main form keep their controls' windows back until they are needed: the
// values set before must come out exactly as on a form whose windows were made at once.
#include "GuiTestSupport.h"
#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace gui;

namespace {

class TPlain_Form : public TForm {
public:
    TPlain_Form() : TForm(L"TPlain_Form", L"Plain_Form") {}
};

class TNotice_Form : public TForm {
public:
    TNotice_Form() : TForm(L"TNotice_Form", L"Notice_Form") {
        SetBorderStyle(TFormBorderStyle::bsDialog);
        SetClientSize(360, 200);
        Note.SetText(L"- A notice long enough to be measured in its own font.");
        FileName.SetText(L"draft.pdf");
        FileName.SetReadOnly(true);
        Secret.SetPasswordChar(L'*');
        Secret.SetMaxLength(8);
        Secret.SetEnabled(false);
        Log.SetText(L"one\r\ntwo");
        Bar.SetAlign(TAlign::alBottom);
        Ok.SetCaption(L"OK");
        Ok.SetDefault(true);
        Ok.SetWordWrap(true);
        Secret.SetTabOrder(0);
        Ok.SetFocus();
    }
    TLabel Note{this, L"Note", 10, 10, 200, 13};
    TEdit FileName{this, L"FileName", 10, 30, 150, 21};
    TEdit Secret{this, L"Secret", 10, 60, 150, 21};
    TMemo Log{this, L"Log", 10, 90, 200, 50};
    TPanel Bar{this, L"Bar", 0, 0, 360, 30};
    TBitBtn Ok{&Bar, L"Ok", 280, 3, 75, 25};
};

std::vector<TControl*> ControlsOf(TNotice_Form& form) {
    return {&form.Note, &form.FileName, &form.Secret, &form.Log, &form.Bar, &form.Ok};
}

int WindowIndex(HWND hwnd) {
    int index = 0;
    for (HWND h = GetWindow(hwnd, GW_HWNDFIRST); h && h != hwnd; h = GetWindow(h, GW_HWNDNEXT))
        ++index;
    return index;
}

struct Made {
    TPlain_Form* main = nullptr;
    TNotice_Form* notice = nullptr;
    Made() {
        Application.CreateForm(main);
        Application.CreateForm(notice);
    }
    ~Made() { Application.DestroyForms(); }
};

TEST(GuiDeferredForms, ValuesSetBeforeTheWindowsExistComeOutAsOnAFormMadeAtOnce) {
    TNotice_Form eager; // not made through the application: its windows exist from the start
    ASSERT_FALSE(eager.ControlsDeferred());
    Made made;
    TNotice_Form& notice = *made.notice;
    ASSERT_FALSE(made.main->ControlsDeferred()) << "the main form makes its windows at once";
    ASSERT_TRUE(notice.ControlsDeferred());
    const std::vector<TControl*> expected = ControlsOf(eager);
    const std::vector<TControl*> deferred = ControlsOf(notice);
    for (size_t i = 0; i < deferred.size(); ++i) {
        SCOPED_TRACE(deferred[i]->Name());
        EXPECT_FALSE(deferred[i]->HandleAllocated());
        EXPECT_EQ(deferred[i]->Text(), expected[i]->Text());
        EXPECT_EQ(deferred[i]->Width(), expected[i]->Width()) << "a label fits its text in its own font";
        EXPECT_EQ(deferred[i]->Enabled(), expected[i]->Enabled());
        EXPECT_EQ(deferred[i]->TabStop(), expected[i]->TabStop());
    }
    EXPECT_TRUE(notice.FileName.ReadOnly());
    EXPECT_EQ(notice.ActiveControl(), &notice.Ok);

    notice.Show();
    Pump();
    eager.Show();
    Pump();
    EXPECT_FALSE(notice.ControlsDeferred());
    for (size_t i = 0; i < deferred.size(); ++i) {
        SCOPED_TRACE(deferred[i]->Name());
        ASSERT_TRUE(deferred[i]->HandleAllocated());
        EXPECT_EQ(deferred[i]->Left(), expected[i]->Left());
        EXPECT_EQ(deferred[i]->Top(), expected[i]->Top());
        EXPECT_EQ(deferred[i]->Width(), expected[i]->Width());
        EXPECT_EQ(deferred[i]->Height(), expected[i]->Height());
        EXPECT_EQ(deferred[i]->Text(), expected[i]->Text());
        EXPECT_EQ(GetWindowLongPtrW(deferred[i]->Handle(), GWL_STYLE),
                  GetWindowLongPtrW(expected[i]->Handle(), GWL_STYLE));
        EXPECT_EQ(WindowIndex(deferred[i]->Handle()), WindowIndex(expected[i]->Handle())) << "tab order";
    }
    EXPECT_EQ(SendMessageW(notice.Secret.Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(SendMessageW(notice.Secret.Handle(), EM_GETLIMITTEXT, 0, 0), 8);
    notice.Hide();
    eager.Hide();
}

TEST(GuiDeferredForms, AskingForOneHandleMakesTheWholeForm) {
    Made made;
    TNotice_Form& notice = *made.notice;
    ASSERT_TRUE(notice.ControlsDeferred());
    EXPECT_NE(notice.Log.Handle(), nullptr);
    EXPECT_FALSE(notice.ControlsDeferred());
    for (TControl* control : ControlsOf(notice)) {
        SCOPED_TRACE(control->Name());
        EXPECT_TRUE(control->HandleAllocated());
        EXPECT_TRUE(IsChild(notice.Handle(), control->Handle()));
    }
    EXPECT_FALSE(IsWindowVisible(notice.Handle())) << "making the windows does not show the form";
}

// A form with one control of every kind that keeps values while it has no window.
class TKept_Form : public TForm {
public:
    TKept_Form() : TForm(L"TKept_Form", L"Kept_Form") {}
    TCheckBox Check{this, L"Check", 10, 10, 120, 17};
    TRadioButton RadioA{this, L"RadioA", 10, 30, 100, 17};
    TRadioButton RadioB{this, L"RadioB", 10, 50, 100, 17};
    TRadioGroup Group{this, L"Group", 10, 70, 185, 80};
    TComboBox Combo{this, L"Combo", 10, 160, 145, 21};
    TSpinEdit Spin{this, L"Spin", 10, 190, 121, 22};
    TCustomListView List{this, L"List", 200, 10, 250, 150};
    TMemo Memo{this, L"Memo", 200, 170, 185, 89};
    TMainMenu Menu{L"Menu"};

    std::vector<TControl*> All() { return {this, &Check, &RadioA, &RadioB, &Group, &Combo, &Spin, &List, &Memo}; }
};

std::wstring Num(long long value) {
    return std::to_wstring(value) + L" ";
}

// What the form's controls say through their own interface; asks for no window.
std::wstring Values(TKept_Form& f) {
    std::wstring v = L"caption " + f.Text() + L" client " + Num(f.ClientWidth()) + Num(f.ClientHeight()) + L"size " +
                     Num(f.Width()) + Num(f.Height()) + L"| check " + Num(f.Check.Checked()) + L"radios " +
                     Num(f.RadioA.Checked()) + Num(f.RadioB.Checked()) + L"| group " + Num(f.Group.ItemIndex());
    for (int i = 0; i < f.Group.Count(); ++i)
        v += f.Group.Item(i) + L"," + Num(f.Group.Button(i)->Checked());
    v += L"| combo " + Num(f.Combo.Count()) + Num(f.Combo.ItemIndex()) + L"'" + f.Combo.Text() + L"' ";
    for (int i = 0; i < f.Combo.Count(); ++i)
        v += f.Combo.Item(i) + L",";
    v += L"| spin " + Num(f.Spin.Value()) + f.Spin.Text() + L" " + Num(f.Spin.Enabled()) + L"| list " +
         Num(f.List.ColumnCount()) + Num(f.List.ItemCount()) + L"| memo ";
    for (const std::wstring& line : f.Memo.Lines())
        v += line + L"/";
    return v;
}

// What the windows say, read with the system's messages; only once they exist.
std::wstring WindowValues(TKept_Form& f) {
    std::wstring v = L"style " + Num(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & ~WS_VISIBLE) + L"ex " +
                     Num(GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE)) + L"menu " + Num(GetMenu(f.Handle()) != nullptr) +
                     L"icon " + Num(SendMessageW(f.Handle(), WM_GETICON, ICON_BIG, 0) != 0);
    RECT client{};
    GetClientRect(f.Handle(), &client);
    v += L"client " + Num(client.right) + Num(client.bottom);
    for (TControl* c : f.All()) {
        if (c == &f)
            continue;
        v += L"| " + c->Name() + L" " + Num(c->Left()) + Num(c->Top()) + Num(c->Width()) + Num(c->Height()) +
             Num(GetWindowLongPtrW(c->Handle(), GWL_STYLE)) + Num(IsWindowEnabled(c->Handle()));
    }
    for (int i = 0; i < f.Group.Count(); ++i) {
        HWND button = f.Group.Button(i)->Handle();
        v += L"| item " + Num(SendMessageW(button, BM_GETCHECK, 0, 0)) + Num(f.Group.Button(i)->Left()) +
             Num(f.Group.Button(i)->Top()) + Num(f.Group.Button(i)->Width());
    }
    v += L"| check " + Num(SendMessageW(f.Check.Handle(), BM_GETCHECK, 0, 0)) + L"combo " +
         Num(SendMessageW(f.Combo.Handle(), CB_GETCOUNT, 0, 0)) +
         Num(SendMessageW(f.Combo.Handle(), CB_GETCURSEL, 0, 0));
    // The spin edit's arrows: beside it, bound to it, with its range and state.
    for (HWND arrows = GetWindow(f.Handle(), GW_CHILD); arrows; arrows = GetWindow(arrows, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(arrows, cls, 64);
        if (std::wstring(cls) != UPDOWN_CLASSW)
            continue;
        int low = 0, high = 0;
        SendMessageW(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        RECT r{};
        GetWindowRect(arrows, &r);
        MapWindowPoints(nullptr, f.Handle(), reinterpret_cast<POINT*>(&r), 2);
        v += L"| arrows " +
             Num(SendMessageW(arrows, UDM_GETBUDDY, 0, 0) == reinterpret_cast<LRESULT>(f.Spin.Handle())) + Num(low) +
             Num(high) + Num(r.left) + Num(r.top) + Num(r.right - r.left) + Num(r.bottom - r.top) +
             Num(IsWindowEnabled(arrows)) + Num(IsWindowVisible(arrows));
    }
    v += L"| list ex " + Num(ListView_GetExtendedListViewStyle(f.List.Handle()));
    for (int i = 0; i < f.List.ColumnCount(); ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 64;
        SendMessageW(f.List.Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        v += std::wstring(L"column ") + text + L" " + Num(column.cx) + Num(column.fmt & LVCFMT_JUSTIFYMASK);
    }
    v += L"| memo lines " + Num(SendMessageW(f.Memo.Handle(), EM_GETLINECOUNT, 0, 0));
    return v;
}

struct KeptCase {
    const char* what;
    std::function<void(TKept_Form&)> set;
};

const KeptCase kKeptCases[] = {
    {"caption, dialog frame and client size",
     [](TKept_Form& f) {
         f.SetText(L"Kept");
         f.SetBorderStyle(TFormBorderStyle::bsDialog);
         f.SetClientSize(470, 300);
     }},
    {"fixed frame without icons, a menu bar, then the client size",
     [](TKept_Form& f) {
         f.SetBorderStyle(TFormBorderStyle::bsSingle);
         f.SetBorderIcons(0);
         f.Menu.Items.Add(L"File", L"&File");
         f.SetMenu(&f.Menu);
         f.SetClientSize(480, 320);
     }},
    {"client size before the frame changes",
     [](TKept_Form& f) {
         f.SetClientSize(500, 310);
         f.SetBorderStyle(TFormBorderStyle::bsToolWindow);
         f.SetIcon(LoadIconW(nullptr, IDI_INFORMATION));
     }},
    {"check box checked, wrapping its caption",
     [](TKept_Form& f) {
         f.Check.SetChecked(true);
         f.Check.SetWordWrap(true);
     }},
    {"check box checked and unchecked again",
     [](TKept_Form& f) {
         f.Check.SetChecked(true);
         f.Check.SetChecked(false);
     }},
    {"radio buttons: the second checked after the first",
     [](TKept_Form& f) {
         f.RadioA.SetChecked(true);
         f.RadioB.SetChecked(true);
     }},
    {"radio group items in two columns, one picked and renamed",
     [](TKept_Form& f) {
         f.Group.SetItems({L"Ja", L"Nein", L"Vielleicht"});
         f.Group.SetColumns(2);
         f.Group.SetItemIndex(1);
         f.Group.SetItem(0, L"Yes");
         f.Group.SetEnabled(false);
     }},
    {"radio group picked before its items are replaced",
     [](TKept_Form& f) {
         f.Group.SetItems({L"A", L"B", L"C"});
         f.Group.SetItemIndex(2);
         f.Group.SetItems({L"D", L"E", L"F", L"G"});
     }},
    {"drop-down list: items added, inserted, deleted, renamed, selected",
     [](TKept_Form& f) {
         f.Combo.AddItem(L"a");
         f.Combo.AddItem(L"b");
         f.Combo.AddItem(L"c");
         f.Combo.SetItemIndex(1);
         f.Combo.InsertItem(0, L"z");
         f.Combo.DeleteItem(3);
         f.Combo.SetItem(2, L"B");
         f.Combo.InsertItem(-1, L"end");
         f.Combo.InsertItem(9, L"refused");
     }},
    {"drop-down list: the selected item deleted",
     [](TKept_Form& f) {
         f.Combo.AddItem(L"a");
         f.Combo.AddItem(L"b");
         f.Combo.SetItemIndex(0);
         f.Combo.DeleteItem(0);
     }},
    {"drop-down list: selected by text, then outside its items",
     [](TKept_Form& f) {
         f.Combo.AddItem(L"eins");
         f.Combo.AddItem(L"zwei");
         f.Combo.SetText(L"zwei");
         f.Combo.SetText(L"drei");
         f.Combo.DeleteItem(0);
     }},
    {"drop-down list: cleared and filled again",
     [](TKept_Form& f) {
         f.Combo.AddItem(L"a");
         f.Combo.SetItemIndex(0);
         f.Combo.ClearItems();
         f.Combo.AddItem(L"x");
         f.Combo.SetItemIndex(4);
     }},
    {"spin edit: range, a value above it, disabled",
     [](TKept_Form& f) {
         f.Spin.SetRange(5, 50);
         f.Spin.SetValue(70);
         f.Spin.SetEnabled(false);
     }},
    {"spin edit: moved and given a value",
     [](TKept_Form& f) {
         f.Spin.SetBounds(20, 200, 90, 24);
         f.Spin.SetValue(-3);
     }},
    {"list view: extended style and columns, one renamed and sized to its header",
     [](TKept_Form& f) {
         f.List.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, LVS_EX_FULLROWSELECT);
         f.List.AddColumn(L"Name", 100);
         f.List.AddColumn(L"Size", 60, LVCFMT_RIGHT);
         f.List.SetColumnCaption(1, L"Size of the file");
         f.List.SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
         f.List.SetColumnWidth(0, 120);
         f.List.ClearItems();
     }},
    {"memo lines",
     [](TKept_Form& f) {
         f.Memo.SetLines({L"one", L"two", L"three"});
     }},
};

class GuiDeferredKept : public testing::TestWithParam<KeptCase> {};

TEST_P(GuiDeferredKept, ADeferredFormEndsUpAsAFormMadeAtOnce) {
    TKept_Form eager;
    TPlain_Form* main = nullptr;
    TKept_Form* kept = nullptr;
    Application.CreateForm(main);
    Application.CreateForm(kept);
    struct Forms {
        ~Forms() { Application.DestroyForms(); }
    } destroy;
    ASSERT_FALSE(eager.ControlsDeferred());
    ASSERT_TRUE(kept->ControlsDeferred());

    GetParam().set(eager);
    GetParam().set(*kept);
    for (TControl* control : kept->All()) {
        SCOPED_TRACE(control->Name());
        EXPECT_FALSE(control->HandleAllocated()) << "a kept value made a window";
    }
    EXPECT_EQ(Values(*kept), Values(eager)) << "before the windows exist";

    ASSERT_NE(kept->Handle(), nullptr);
    EXPECT_FALSE(kept->ControlsDeferred());
    EXPECT_FALSE(IsWindowVisible(kept->Handle()));
    EXPECT_EQ(Values(*kept), Values(eager)) << "once the windows exist";
    EXPECT_EQ(WindowValues(*kept), WindowValues(eager));
}

INSTANTIATE_TEST_SUITE_P(Values, GuiDeferredKept, testing::ValuesIn(kKeptCases),
                         [](const testing::TestParamInfo<KeptCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(GuiDeferredForms, TheFormKeepsItsWindowBackUntilShownAndHidingNeedsNone) {
    TPlain_Form* main = nullptr;
    TKept_Form* kept = nullptr;
    Application.CreateForm(main);
    Application.CreateForm(kept);
    struct Forms {
        ~Forms() { Application.DestroyForms(); }
    } destroy;
    bool handled = false;
    kept->SetMessageHandler(WM_USER + 7, [&](TMessage&) { handled = true; });
    kept->Hide();
    kept->Close();
    EXPECT_EQ(kept->WindowState(), TWindowState::wsNormal);
    EXPECT_FALSE(kept->Active());
    EXPECT_FALSE(kept->HandleAllocated()) << "hiding, closing and asking for the state need no window";

    kept->Show();
    Pump();
    ASSERT_TRUE(kept->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(kept->Handle()));
    EXPECT_EQ(GetWindow(kept->Handle(), GW_OWNER), main->Handle()) << "owned by the main form when shown";
    SendMessageW(kept->Handle(), WM_USER + 7, 0, 0);
    EXPECT_TRUE(handled) << "a handler set before the window existed";
    kept->Hide();
}

} // namespace
