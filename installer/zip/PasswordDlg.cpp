#include "installer/zip/PasswordDlg.h"

#include "installer/zip/ZipMessages.h"

using namespace gui;

namespace {

constexpr int kButtonPitch = 124;

// OK is always there.
int ButtonCount(TPasswordButtons buttons) {
    buttons.insert(pwbOk);
    return static_cast<int>(buttons.size());
}

} // namespace

TPasswordDlg::TPasswordDlg(const std::wstring& title, const std::wstring& prompt, const TPasswordButtons& buttons)
    : TForm(L"TPasswordDlg", L"PasswordDlg"), Label(this, L"Label", 20, 8, 297, 18),
      Edit(this, L"Edit", 20, 40, ButtonCount(buttons) * kButtonPitch - 10, 21) {
    TPasswordButtons shown = buttons;
    shown.insert(pwbOk);
    const int count = ButtonCount(buttons);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    TFont font;
    font.Name = L"Arial";
    font.Size = 9; // a height of 12 pixels
    font.Bold = true;
    SetFont(font);
    SetText(title);
    SetWidth(count * kButtonPitch + 35);
    SetHeight(137);
    Label.SetText(prompt);
    Edit.SetPasswordChar(L'*');
    Edit.SetMaxLength(80);
    struct Kind {
        TPasswordButton Button;
        int TextId;
        TModalResult Result;
    };
    const Kind kinds[] = {{pwbOk, PW_Ok, mrOk},
                          {pwbCancel, PW_Cancel, mrCancel},
                          {pwbCancelAll, PW_CancelAll, mrCancelAll},
                          {pwbAbort, PW_Abort, mrAbort}};
    int n = 0;
    for (const Kind& kind : kinds) {
        if (!shown.count(kind.Button)) {
            continue;
        }
        auto button =
            std::make_unique<TButton>(this, L"Button" + std::to_wstring(n + 1), n * kButtonPitch + 20, 72, 114, 28);
        button->SetText(ZipMessageText(kind.TextId));
        button->ModalResult = kind.Result;
        button->SetDefault(kind.Button == pwbOk);
        button->SetCancel(kind.Button == pwbCancel);
        Buttons.push_back(std::move(button));
        ++n;
    }
}

std::wstring TPasswordDlg::ShowModalPwdDlg(int& choice) {
    const TModalResult result = ShowModal();
    choice = result == mrOk ? 0 : result == mrCancel ? 1 : result == mrCancelAll ? 2 : 3;
    return result == mrOk ? Edit.Text() : std::wstring();
}

std::wstring TPasswordDlg::Ask(const std::wstring& title, const std::wstring& prompt, const TPasswordButtons& buttons,
                               int& choice) {
    TPasswordDlg dialog(title, prompt, buttons);
    return dialog.ShowModalPwdDlg(choice);
}
