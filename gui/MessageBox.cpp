#include "gui/MessageBox.h"

#include "gui/Application.h"
#include "gui/ExtCtrls.h"

#include <algorithm>

namespace gui {

namespace {

TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}

TModalResult FirstButton(TMsgDlgButtons buttons) {
    return (buttons == TMsgDlgButtons::mbYesNo || buttons == TMsgDlgButtons::mbYesNoCancel) ? mrYes : mrOk;
}

// No system box has OK and Abort together, so that pair gets a small form of its own.
class TOkAbortForm : public TForm {
public:
    TOkAbortForm(const std::wstring& caption, const std::wstring& text, TMsgDlgType type, bool abortIsDefault)
        : TForm(L"TMessageForm", L"MessageForm") {
        SetBorderStyle(TFormBorderStyle::bsDialog);
        SetBorderIcons(biSystemMenu);
        SetPosition(TPosition::poMainFormCenter);
        SetText(caption);
        LPCWSTR iconId = type == TMsgDlgType::mtError          ? MAKEINTRESOURCEW(32513)
                         : type == TMsgDlgType::mtWarning      ? MAKEINTRESOURCEW(32515)
                         : type == TMsgDlgType::mtConfirmation ? MAKEINTRESOURCEW(32514)
                                                               : MAKEINTRESOURCEW(32516);
        if (type != TMsgDlgType::mtPlain)
            icon_.SetIcon(LoadIconW(nullptr, iconId));
        message_.SetText(text);
        int textRight = message_.Left() + message_.Width();
        int width = std::max(textRight + 16, 200);
        int height = std::max(message_.Top() + message_.Height(), 48) + 50;
        SetClientSize(width, height);
        ok_.SetBounds(width / 2 - 80, height - 36, 75, 25);
        abort_.SetBounds(width / 2 + 5, height - 36, 75, 25);
        ok_.SetText(L"OK");
        abort_.SetText(L"Abort");
        ok_.ModalResult = mrOk;
        ok_.SetDefault(!abortIsDefault);
        abort_.ModalResult = mrAbort;
        abort_.SetDefault(abortIsDefault);
        abort_.SetCancel(true);
        (abortIsDefault ? abort_ : ok_).SetFocus();
        OnClose = [this](TComponent*, TCloseAction&) {
            if (ModalResult() == mrNone || ModalResult() == mrCancel)
                SetModalResult(mrAbort);
        };
    }

private:
    TImage icon_{this, L"Image", 12, 12, 32, 32};
    TLabel message_{this, L"Message", 56, 16, 100, 13};
    TButton ok_{this, L"OK"};
    TButton abort_{this, L"Abort"};
};

TModalResult ShowReal(const TMessageBoxRecord& box) {
    if (box.Buttons == TMsgDlgButtons::mbOKAbort) {
        TOkAbortForm form(box.Caption, box.Text, box.Type, box.DefaultButton == 1);
        TModalResult r = form.ShowModal();
        return r == mrOk ? mrOk : mrAbort;
    }
    UINT flags = MB_TASKMODAL;
    switch (box.Buttons) {
    case TMsgDlgButtons::mbOK:
        flags |= MB_OK;
        break;
    case TMsgDlgButtons::mbOKCancel:
        flags |= MB_OKCANCEL;
        break;
    case TMsgDlgButtons::mbYesNo:
        flags |= MB_YESNO;
        break;
    case TMsgDlgButtons::mbYesNoCancel:
        flags |= MB_YESNOCANCEL;
        break;
    case TMsgDlgButtons::mbOKAbort:
        break;
    }
    switch (box.Type) {
    case TMsgDlgType::mtPlain:
        break;
    case TMsgDlgType::mtConfirmation:
        flags |= MB_ICONQUESTION;
        break;
    case TMsgDlgType::mtInformation:
        flags |= MB_ICONINFORMATION;
        break;
    case TMsgDlgType::mtWarning:
        flags |= MB_ICONWARNING;
        break;
    case TMsgDlgType::mtError:
        flags |= MB_ICONERROR;
        break;
    }
    if (box.DefaultButton == 1)
        flags |= MB_DEFBUTTON2;
    if (box.DefaultButton == 2)
        flags |= MB_DEFBUTTON3;
    return MessageBoxW(box.Owner, box.Text.c_str(), box.Caption.c_str(), flags);
}

} // namespace

TModalResult MessageDlg(const std::wstring& text, const std::wstring& caption, TMsgDlgType type, TMsgDlgButtons buttons,
                        HWND owner, int defaultButton) {
    TMessageBoxRecord box{caption.empty() ? Application.Title() : caption, text, type, buttons, owner, defaultButton};
    if (!box.Owner)
        box.Owner = GetActiveWindow();
    if (!box.Owner && Application.MainForm())
        box.Owner = Application.MainForm()->Handle();
    if (Hook())
        return Hook()(box);
    return ShowReal(box);
}

void ShowMessage(const std::wstring& text) {
    MessageDlg(text, L"", TMsgDlgType::mtPlain, TMsgDlgButtons::mbOK);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook) {
    TMessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder() {
    previous_ = SetMessageBoxHook([this](const TMessageBoxRecord& box) {
        Records.push_back(box);
        if (OnBox)
            OnBox(box);
        if (Answers.empty())
            return FirstButton(box.Buttons);
        TModalResult answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHook(std::move(previous_));
}

} // namespace gui
