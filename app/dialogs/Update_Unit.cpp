#include "app/dialogs/Update_Unit.h"

#include "app/main/LanguageTexts.h"
#include "gui/Application.h"

#include <shellapi.h>

using namespace gui;

namespace {

void ShellOpen(const std::wstring& address) {
    TForm* main = Application.MainForm();
    ShellExecuteW(main ? main->Handle() : nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

TUpdate_Form::TUpdate_Form(const std::filesystem::path& programFolder, std::wstring ownVersion)
    : TForm(L"TUpdate_Form", L"Update_Form") {
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(biSystemMenu);
    SetClientSize(442, 151);
    SetPosition(TPosition::poMainFormCenter);
    KeyPreview = true;

    EditText.SetReadOnly(true);
    BitBtn2.SetKind(TBitBtnKind::bkClose);
    BitBtn2.ModalResult = mrCancel;
    EditText.SetTabOrder(0);
    BitBtn1.SetTabOrder(1);
    BitBtn2.SetTabOrder(2);

    check_.LocalCopy = programFolder / L"update.ini";
    check_.OwnVersion = std::move(ownVersion);
    check_.OnStatus = [this](UpdateStatus status) { EditText.SetText(Texts().Get(StatusKey(status))); };
    OpenPage = ShellOpen;

    OnShow = [this](TComponent*) { FormShow(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState) { FormKeyDown(key); };
    BitBtn1.OnClick = [this](TComponent*) { BitBtn1Click(); };
    BitBtn2.OnClick = [this](TComponent*) { Close(); };
}

void TUpdate_Form::FormShow() {
    SetText(Texts().Get(L"MHC3"));
    Label1.SetText(Texts().Get(L"UPD6"));
    Label3.SetText(Texts().Get(L"UPD7"));
    BitBtn1.SetText(Texts().Get(L"UPD8"));
    BitBtn2.SetFocus();
    CheckForNewVersion();
    DateiL.SetText(check_.OwnVersion);
    DateiLExt.SetText(check_.NewestVersion);
}

void TUpdate_Form::CheckForNewVersion() {
    check_.CheckForNewVersion();
}

void TUpdate_Form::BitBtn1Click() {
    if (OpenPage)
        OpenPage(DownloadPage);
    SetModalResult(mrOk);
    Close();
}

void TUpdate_Form::FormKeyDown(WORD& key) {
    if (key != VK_ESCAPE)
        return;
    key = 0;
    SetModalResult(mrCancel);
    Close();
}
