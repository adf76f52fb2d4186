// Forms the application makes after its main form keep their controls' windows back until they are needed: the
// values set before must come out exactly as on a form whose windows were made at once.
#include "GuiTestSupport.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"

#include <gtest/gtest.h>

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

} // namespace
