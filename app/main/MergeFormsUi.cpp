#include "app/main/MergeFormsUi.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/dialogs/Merge_Unit.h"
#include "gui/Application.h"

#include <shellapi.h>

using namespace gui;

MergeFormsUi::MergeFormsUi(TMerge_Form& nameForm, TAuswahl_Form& listForm, TEncrypt_Form* encrypt,
                           const std::wstring& readerProgram, std::function<void()> reloadPanes)
    : nameForm_(nameForm), listForm_(listForm), encrypt_(encrypt), readerProgram_(readerProgram),
      reloadPanes_(std::move(reloadPanes)) {}

std::optional<std::wstring> MergeFormsUi::AskMergeName() {
    nameForm_.MergeNameEdit.SetText(L"");
    nameForm_.SetPosition(TPosition::poMainFormCenter);
    if (nameForm_.ShowModal() != mrOk)
        return std::nullopt;
    return nameForm_.MergeNameEdit.Text();
}

std::optional<MergeSelection> MergeFormsUi::ChooseFiles() {
    listForm_.SetPosition(TPosition::poMainFormCenter);
    listForm_.ShowModal();
    if (!listForm_.MergeConfirmed)
        return std::nullopt;
    listForm_.MergeConfirmed = false;
    return MergeSelection{listForm_.Files(), listForm_.OpenInReader()};
}

SecuritySettings MergeFormsUi::SecurityFields() const {
    return encrypt_ ? encrypt_->Model().ControlsAsRecord() : SecuritySettings{};
}

void MergeFormsUi::SwitchOffOwnerPassword() {
    if (!encrypt_)
        return;
    encrypt_->Model().SetChecked(EncryptCheckBox::BerechtigungCB, false);
    encrypt_->SyncFromModel();
}

void MergeFormsUi::OpenInReader(const std::wstring& file) {
    HWND owner = Application.MainForm() ? Application.MainForm()->Handle() : nullptr;
    const std::wstring parameter = L"\"" + file + L"\"";
    ShellExecuteW(owner, L"open", readerProgram_.c_str(), parameter.c_str(), nullptr, SW_SHOWNORMAL);
}

void MergeFormsUi::ReloadPanes() {
    if (reloadPanes_)
        reloadPanes_();
}
