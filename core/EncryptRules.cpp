#include "core/EncryptRules.h"

namespace {

constexpr unsigned kVkReturn = 0x0D;
constexpr int k40Bit = 0;
constexpr int k128Bit = 1;

} // namespace

EncryptDialogModel::EncryptDialogModel(SecuritySettings& record, EncryptDialogState& state, SettingsRules& settings,
                                       const bool& keepSecurity)
    : record_(record), state_(state), settings_(settings), keepSecurity_(keepSecurity) {
    controls_.ComboItems = {settings_.Environment().Text(L"ENC8"), settings_.Environment().Text(L"ENC15")};
}

SecuritySettings EncryptDialogModel::ControlsAsRecord() const {
    SecuritySettings s;
    s.KeyLength = controls_.EncryptCombo;
    s.OwnerPasswordOn = controls_.BerechtigungCB.Checked;
    s.OwnerPassword = controls_.BerechtigungE;
    s.UserPasswordOn = controls_.KennwortCB.Checked;
    s.UserPassword = controls_.KennwortE;
    s.DenyPrinting = controls_.DruckenCB.Checked;
    s.DenyHighQualityPrinting = controls_.HQCB.Checked;
    s.DenyChanging = controls_.DokuaenderCB.Checked;
    s.DenyCopying = controls_.KopEntCB.Checked;
    s.DenyContentAccess = controls_.InhaltCB.Checked;
    s.DenyFormFilling = controls_.FormularCB.Checked;
    return s;
}

EncryptBox& EncryptDialogModel::Box(EncryptCheckBox box) {
    switch (box) {
    case EncryptCheckBox::BerechtigungCB:
        return controls_.BerechtigungCB;
    case EncryptCheckBox::KennwortCB:
        return controls_.KennwortCB;
    case EncryptCheckBox::DruckenCB:
        return controls_.DruckenCB;
    case EncryptCheckBox::HQCB:
        return controls_.HQCB;
    case EncryptCheckBox::DokuaenderCB:
        return controls_.DokuaenderCB;
    case EncryptCheckBox::KopEntCB:
        return controls_.KopEntCB;
    case EncryptCheckBox::InhaltCB:
        return controls_.InhaltCB;
    case EncryptCheckBox::FormularCB:
        break;
    }
    return controls_.FormularCB;
}

void EncryptDialogModel::SetChecked(EncryptCheckBox box, bool checked) {
    EncryptBox& b = Box(box);
    if (b.Checked == checked)
        return;
    b.Checked = checked;
    BoxChanged(box);
}

void EncryptDialogModel::SetText(EncryptEdit edit, const std::wstring& text) {
    if (edit == EncryptEdit::BerechtigungE) {
        if (controls_.BerechtigungE == text)
            return;
        controls_.BerechtigungE = text;
        record_.OwnerPassword = text;
    } else {
        if (controls_.KennwortE == text)
            return;
        controls_.KennwortE = text;
        record_.UserPassword = text;
    }
}

void EncryptDialogModel::BoxChanged(EncryptCheckBox box) {
    switch (box) {
    case EncryptCheckBox::BerechtigungCB:
        BerechtigungCBClick();
        break;
    case EncryptCheckBox::KennwortCB:
        KennwortCBClick();
        break;
    case EncryptCheckBox::DruckenCB:
        DruckenCBClick();
        break;
    case EncryptCheckBox::HQCB:
        record_.DenyHighQualityPrinting = controls_.HQCB.Checked;
        break;
    case EncryptCheckBox::DokuaenderCB:
        record_.DenyChanging = controls_.DokuaenderCB.Checked;
        break;
    case EncryptCheckBox::KopEntCB:
        record_.DenyCopying = controls_.KopEntCB.Checked;
        break;
    case EncryptCheckBox::InhaltCB:
        record_.DenyContentAccess = controls_.InhaltCB.Checked;
        break;
    case EncryptCheckBox::FormularCB:
        record_.DenyFormFilling = controls_.FormularCB.Checked;
        break;
    }
}

void EncryptDialogModel::DisableAndUncheck(EncryptCheckBox box) {
    Box(box).Enabled = false;
    SetChecked(box, false);
}

void EncryptDialogModel::Focus(EncryptFocus control) {
    if (host_)
        host_->FocusControl(control);
}

void EncryptDialogModel::Message(const wchar_t* key, MessageIcon icon) {
    if (host_)
        host_->ShowMessage(key, icon);
}

// --- enabling rules ----------------------------------------------------------------------------------------------

void EncryptDialogModel::EnablePermissionBoxes() {
    controls_.KennwortCB.Enabled = true;
    controls_.DruckenCB.Enabled = true;
    controls_.KopEntCB.Enabled = true;
    controls_.FormularCB.Enabled = true;
    controls_.DokuaenderCB.Enabled = true;
}

// With BerechtigungCB off every permission control goes off and empty. DruckenCB goes before HQCB, whose state it
// rules.
void EncryptDialogModel::ClearPermissions() {
    controls_.EncryptCombo = k40Bit;
    controls_.EncryptComboEnabled = false;
    controls_.BerechtigungEEnabled = false;
    SetText(EncryptEdit::BerechtigungE, L"");
    DisableAndUncheck(EncryptCheckBox::KennwortCB);
    SetText(EncryptEdit::KennwortE, L"");
    DisableAndUncheck(EncryptCheckBox::DruckenCB);
    DisableAndUncheck(EncryptCheckBox::DokuaenderCB);
    DisableAndUncheck(EncryptCheckBox::HQCB);
    DisableAndUncheck(EncryptCheckBox::KopEntCB);
    DisableAndUncheck(EncryptCheckBox::FormularCB);
    DisableAndUncheck(EncryptCheckBox::InhaltCB);
}

// High-quality printing is offered only while printing itself is not forbidden.
void EncryptDialogModel::HQCBFollowsDrucken() {
    if (controls_.DruckenCB.Checked)
        DisableAndUncheck(EncryptCheckBox::HQCB);
    else
        controls_.HQCB.Enabled = true;
}

void EncryptDialogModel::BerechtigungCBClick() {
    if (controls_.BerechtigungCB.Checked) {
        controls_.EncryptComboEnabled = true;
        controls_.BerechtigungEEnabled = true;
        Focus(EncryptFocus::BerechtigungE);
        EnablePermissionBoxes();
        DisableAndUncheck(EncryptCheckBox::HQCB);
        DisableAndUncheck(EncryptCheckBox::InhaltCB);
        // The watermark is stamped by pdftk, which cannot open an encrypted result.
        settings_.DisableWatermarkForEncryption();
    } else {
        ClearPermissions();
        settings_.EnableWatermarkCheck();
    }
    record_.OwnerPasswordOn = controls_.BerechtigungCB.Checked;
}

void EncryptDialogModel::KennwortCBClick() {
    if (controls_.KennwortCB.Checked) {
        controls_.KennwortEEnabled = true;
        Focus(EncryptFocus::KennwortE);
    } else {
        controls_.KennwortEEnabled = false;
        SetText(EncryptEdit::KennwortE, L"");
    }
    record_.UserPasswordOn = controls_.KennwortCB.Checked;
}

void EncryptDialogModel::DruckenCBClick() {
    if (Is128Bit())
        HQCBFollowsDrucken();
    record_.DenyPrinting = controls_.DruckenCB.Checked;
}

void EncryptDialogModel::SelectEncryptCombo(int index) {
    controls_.EncryptCombo = index;
    if (index == k128Bit && !state_.MergeEncryptMode) {
        HQCBFollowsDrucken();
        controls_.InhaltCB.Enabled = true;
    } else {
        controls_.ComboItems[0] = settings_.Environment().Text(L"ENC8");
        controls_.EncryptCombo = k40Bit;
        DisableAndUncheck(EncryptCheckBox::HQCB);
        DisableAndUncheck(EncryptCheckBox::InhaltCB);
    }
}

// --- showing -----------------------------------------------------------------------------------------------------

void EncryptDialogModel::LoadControlsFromRecord() {
    // A snapshot: the rules that run while the boxes are set write into the record as they go.
    const SecuritySettings r = record_;
    controls_.EncryptCombo = r.KeyLength;
    SetChecked(EncryptCheckBox::BerechtigungCB, r.OwnerPasswordOn);
    SetText(EncryptEdit::BerechtigungE, r.OwnerPassword);
    SetChecked(EncryptCheckBox::KennwortCB, r.UserPasswordOn);
    SetText(EncryptEdit::KennwortE, r.UserPassword);
    SetChecked(EncryptCheckBox::DruckenCB, r.DenyPrinting);
    SetChecked(EncryptCheckBox::HQCB, r.DenyHighQualityPrinting);
    SetChecked(EncryptCheckBox::DokuaenderCB, r.DenyChanging);
    SetChecked(EncryptCheckBox::KopEntCB, r.DenyCopying);
    SetChecked(EncryptCheckBox::InhaltCB, r.DenyContentAccess);
    SetChecked(EncryptCheckBox::FormularCB, r.DenyFormFilling);
}

void EncryptDialogModel::FormShow() {
    if (keepSecurity_)
        LoadControlsFromRecord();

    Focus(EncryptFocus::Button1);
    controls_.ComboItems = {settings_.Environment().Text(L"ENC8"), settings_.Environment().Text(L"ENC15")};
    controls_.EncryptCombo = record_.KeyLength;

    if (state_.ProfileEncryptPending) {
        LoadControlsFromRecord();
        state_.KeptDokuaendern = controls_.DokuaenderCB.Checked;
        state_.KeptInhalt = controls_.InhaltCB.Checked;
    }

    if (controls_.BerechtigungCB.Checked) {
        controls_.EncryptComboEnabled = true;
        controls_.BerechtigungEEnabled = true;
        EnablePermissionBoxes();
        HQCBFollowsDrucken();
        controls_.InhaltCB.Enabled = false;
    } else {
        ClearPermissions();
    }

    if (state_.ProfileEncryptPending)
        controls_.EncryptCombo = record_.KeyLength;

    if (controls_.EncryptCombo != k40Bit) {
        controls_.ComboItems[1] = settings_.Environment().Text(L"ENC15");
        controls_.EncryptCombo = k128Bit;
    } else {
        controls_.ComboItems[0] = settings_.Environment().Text(L"ENC8");
        controls_.EncryptCombo = k40Bit;
    }
    state_.ProfileEncryptPending = false;

    if (state_.MergeEncryptMode) {
        controls_.ComboItems[1].clear();
        controls_.ComboItems[0] = settings_.Environment().Text(L"ENC8");
        controls_.EncryptCombo = k40Bit;
    }

    if (Is128Bit()) {
        if (controls_.DruckenCB.Checked)
            DisableAndUncheck(EncryptCheckBox::HQCB);
        controls_.InhaltCB.Enabled = true;
        if (state_.KeptDokuaendern)
            SetChecked(EncryptCheckBox::DokuaenderCB, true);
        if (state_.KeptInhalt)
            SetChecked(EncryptCheckBox::InhaltCB, true);
    } else {
        DisableAndUncheck(EncryptCheckBox::HQCB);
        DisableAndUncheck(EncryptCheckBox::InhaltCB);
        if (state_.KeptDokuaendern)
            SetChecked(EncryptCheckBox::DokuaenderCB, true);
        if (!controls_.BerechtigungCB.Checked)
            SetChecked(EncryptCheckBox::DokuaenderCB, false);
    }
}

void EncryptDialogModel::FormActivate() {
    Focus(EncryptFocus::Button1);
    Button1Enter();
}

// --- validation --------------------------------------------------------------------------------------------------

void EncryptDialogModel::PasswordKeyDown(const std::wstring& text, unsigned key, const wchar_t* blankMessage,
                                         EncryptFocus next) {
    if (text == L" ") {
        Message(blankMessage, MessageIcon::Error);
        return;
    }
    if (key == kVkReturn) {
        state_.EnterPressedFlag = true;
        if (!state_.ProfileLoadedFlag)
            Focus(next);
    }
}

void EncryptDialogModel::BerechtigungEKeyDown(unsigned key) {
    PasswordKeyDown(controls_.BerechtigungE, key, L"ENC11", EncryptFocus::KennwortCB);
}

void EncryptDialogModel::KennwortEKeyDown(unsigned key) {
    PasswordKeyDown(controls_.KennwortE, key, L"ENC12", EncryptFocus::DruckenCB);
}

void EncryptDialogModel::PasswordExit(const std::wstring& text, const std::wstring& other, const wchar_t* sameMessage,
                                      const wchar_t* emptyMessage, EncryptFocus self) {
    if (text == other) {
        Message(sameMessage, MessageIcon::Warning);
        Focus(self);
    } else if (!state_.EnterPressedFlag && text.empty()) {
        Message(emptyMessage, MessageIcon::Error);
        Focus(self);
    }
}

void EncryptDialogModel::BerechtigungEExit() {
    PasswordExit(controls_.BerechtigungE, controls_.KennwortE, L"ENC11", L"ENC11", EncryptFocus::BerechtigungE);
}

void EncryptDialogModel::KennwortEExit() {
    PasswordExit(controls_.KennwortE, controls_.BerechtigungE, L"ENC13", L"ENC12", EncryptFocus::KennwortE);
}

void EncryptDialogModel::Button1Enter() {
    if (controls_.BerechtigungCB.Checked && controls_.BerechtigungE.empty())
        Message(L"ENC11", MessageIcon::Error);
}

// --- closing -----------------------------------------------------------------------------------------------------

void EncryptDialogModel::Button1Click() {
    if (state_.MergeEncryptMode && host_)
        host_->FocusMergeKeyButton();
    state_.MergeEncryptMode = false;
    record_.KeyLength = controls_.EncryptCombo;
}

void EncryptDialogModel::FormClose() {
    // The owner password is what turns encryption on: without one the PDFs would come out unencrypted while the
    // box still says otherwise, so the box goes off with the message. The format is still remembered as it was
    // closed with encryption asked for, so that a profile load keeps the format it brought.
    const bool encryptionAsked = record_.OwnerPasswordOn;
    if (controls_.BerechtigungCB.Checked && controls_.BerechtigungE.empty()) {
        Message(L"ENC11", MessageIcon::Error);
        SetChecked(EncryptCheckBox::BerechtigungCB, false);
    }
    if (Is128Bit()) {
        settings_.SetMayChangePdfLevel(0);
        settings_.SetPdfLevelEnabled(true);
        settings_.SetPdfLevel(2);
    } else {
        settings_.SetPdfLevel(1);
    }
    state_.KeptDokuaendern = controls_.DokuaenderCB.Checked;
    state_.KeptInhalt = controls_.InhaltCB.Checked;
    if (encryptionAsked)
        state_.FormatAtEncryptClose = settings_.Values().OutputType;
}

void EncryptDialogModel::LeaveMergeMode() {
    state_.MergeEncryptMode = false;
    controls_.ComboItems[1] = settings_.Environment().Text(L"ENC15");
}
