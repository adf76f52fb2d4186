#include "app/dialogs/Encrypt_Unit.h"

#include "app/dialogs/Einstellungen_Unit.h"
#include "app/main/LanguageTexts.h"
#include "gui/MessageBox.h"

using namespace gui;

namespace {

constexpr std::array kBoxes = {EncryptCheckBox::BerechtigungCB, EncryptCheckBox::KennwortCB,
                               EncryptCheckBox::DruckenCB,      EncryptCheckBox::HQCB,
                               EncryptCheckBox::DokuaenderCB,   EncryptCheckBox::KopEntCB,
                               EncryptCheckBox::InhaltCB,       EncryptCheckBox::FormularCB};

const EncryptBox& BoxState(const EncryptControls& c, EncryptCheckBox box) {
    switch (box) {
    case EncryptCheckBox::BerechtigungCB:
        return c.BerechtigungCB;
    case EncryptCheckBox::KennwortCB:
        return c.KennwortCB;
    case EncryptCheckBox::DruckenCB:
        return c.DruckenCB;
    case EncryptCheckBox::HQCB:
        return c.HQCB;
    case EncryptCheckBox::DokuaenderCB:
        return c.DokuaenderCB;
    case EncryptCheckBox::KopEntCB:
        return c.KopEntCB;
    case EncryptCheckBox::InhaltCB:
        return c.InhaltCB;
    case EncryptCheckBox::FormularCB:
        break;
    }
    return c.FormularCB;
}

} // namespace

TEncrypt_Form::TEncrypt_Form(SecuritySettings& record, EncryptDialogState& state, TEinstellungen_Form& settings,
                             const bool& keepSecurity)
    : TForm(L"TEncrypt_Form", L"Encrypt_Form"), settings_(settings),
      model_(record, state, settings.Model(), keepSecurity) {
    SetText(L"Verschlüsselung - erst ab V8.50!");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(0);
    SetClientSize(327, 372);
    SetPosition(TPosition::poDesktopCenter);
    KeyPreview = true;

    GroupBox1.SetText(L"Dokumentensicherheit");
    Label1.SetText(L"Stufe:");
    EncryptCombo.AddItem(L"");
    EncryptCombo.AddItem(L"");
    BerechtigungE.SetPasswordChar(L'*');
    KennwortE.SetPasswordChar(L'*');
    // The two longest denial texts wrap onto a second line inside the fixed dialog width.
    for (TCheckBox* box : {&KopEntCB, &InhaltCB})
        box->SetWordWrap(true);
    Button1.SetText(L"OK");
    Button1.ModalResult = mrOk;
    Button1.SetDefault(true);

    // Tab order: the button first, then the group in reading order.
    Button1.SetTabOrder(0);
    GroupBox1.SetTabOrder(1);
    int order = 0;
    for (TControl* c :
         std::initializer_list<TControl*>{&EncryptCombo, &BerechtigungCB, &BerechtigungE, &KennwortCB, &KennwortE,
                                          &DruckenCB, &HQCB, &DokuaenderCB, &KopEntCB, &InhaltCB, &FormularCB})
        c->SetTabOrder(order++);

    model_.SetHost(this);
    BindControls();
    SyncFromModel();
    Button1.SetFocus();
}

TCheckBox& TEncrypt_Form::CheckBoxOf(EncryptCheckBox box) {
    switch (box) {
    case EncryptCheckBox::BerechtigungCB:
        return BerechtigungCB;
    case EncryptCheckBox::KennwortCB:
        return KennwortCB;
    case EncryptCheckBox::DruckenCB:
        return DruckenCB;
    case EncryptCheckBox::HQCB:
        return HQCB;
    case EncryptCheckBox::DokuaenderCB:
        return DokuaenderCB;
    case EncryptCheckBox::KopEntCB:
        return KopEntCB;
    case EncryptCheckBox::InhaltCB:
        return InhaltCB;
    case EncryptCheckBox::FormularCB:
        break;
    }
    return FormularCB;
}

template <class F> void TEncrypt_Form::FromControl(F&& change) {
    if (syncing_)
        return;
    change();
    SyncFromModel();
}

void TEncrypt_Form::BindControls() {
    for (EncryptCheckBox box : kBoxes) {
        TCheckBox& cb = CheckBoxOf(box);
        cb.OnClick = [this, box, &cb](TComponent*) { FromControl([&] { model_.SetChecked(box, cb.Checked()); }); };
    }
    BerechtigungE.OnChange = [this](TComponent*) {
        FromControl([&] { model_.SetText(EncryptEdit::BerechtigungE, BerechtigungE.Text()); });
    };
    KennwortE.OnChange = [this](TComponent*) {
        FromControl([&] { model_.SetText(EncryptEdit::KennwortE, KennwortE.Text()); });
    };
    EncryptCombo.OnChange = [this](TComponent*) {
        FromControl([&] { model_.SelectEncryptCombo(EncryptCombo.ItemIndex()); });
    };
    BerechtigungE.OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
        FromControl([&] { model_.BerechtigungEKeyDown(key); });
    };
    KennwortE.OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
        FromControl([&] { model_.KennwortEKeyDown(key); });
    };
    BerechtigungE.OnExit = [this](TComponent*) { FromControl([&] { model_.BerechtigungEExit(); }); };
    KennwortE.OnExit = [this](TComponent*) { FromControl([&] { model_.KennwortEExit(); }); };
    Button1.OnEnter = [this](TComponent*) { FromControl([&] { model_.Button1Enter(); }); };
    Button1.OnClick = [this](TComponent*) { model_.Button1Click(); };

    OnShow = [this](TComponent*) { FormShow(); };
    OnActivate = [this](TComponent*) { Button1.SetFocus(); };
    OnClose = [this](TComponent*, TCloseAction&) { FormClose(); };
    OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            SetModalResult(mrCancel);
            Close();
        }
    };
}

void TEncrypt_Form::SyncFromModel() {
    syncing_ = true;
    const EncryptControls& c = model_.Controls();
    for (int i = 0; i < 2; ++i)
        EncryptCombo.SetItem(i, c.ComboItems[static_cast<size_t>(i)]);
    EncryptCombo.SetItemIndex(c.EncryptCombo);
    EncryptCombo.SetEnabled(c.EncryptComboEnabled);
    for (EncryptCheckBox box : kBoxes) {
        const EncryptBox& state = BoxState(c, box);
        CheckBoxOf(box).SetChecked(state.Checked);
        CheckBoxOf(box).SetEnabled(state.Enabled);
    }
    BerechtigungE.SetText(c.BerechtigungE);
    BerechtigungE.SetEnabled(c.BerechtigungEEnabled);
    KennwortE.SetText(c.KennwortE);
    KennwortE.SetEnabled(c.KennwortEEnabled);
    syncing_ = false;
    settings_.SyncFromModel();
    ApplyPendingFocus();
}

void TEncrypt_Form::FormShow() {
    SetText(Texts().Get(L"E_I10"));
    GroupBox1.SetText(Texts().Get(L"ENC1"));
    Label1.SetText(Texts().Get(L"ENC14"));
    BerechtigungCB.SetText(Texts().Get(L"ENC2"));
    KennwortCB.SetText(Texts().Get(L"ENC3"));
    DruckenCB.SetText(Texts().Get(L"ENC4"));
    HQCB.SetText(Texts().Get(L"ENC18"));
    DokuaenderCB.SetText(Texts().Get(L"ENC17"));
    KopEntCB.SetText(Texts().Get(L"ENC5"));
    InhaltCB.SetText(Texts().Get(L"ENC6"));
    FormularCB.SetText(Texts().Get(L"ENC7"));
    model_.FormShow();
    SyncFromModel();
}

void TEncrypt_Form::FormClose() {
    model_.FormClose();
    SyncFromModel();
}

void TEncrypt_Form::FocusControl(EncryptFocus control) {
    // The rule that asks for the focus may just have enabled the control; the window follows at the next sync.
    pendingFocus_ = control;
}

void TEncrypt_Form::ApplyPendingFocus() {
    if (!pendingFocus_)
        return;
    const EncryptFocus control = *pendingFocus_;
    pendingFocus_.reset();
    switch (control) {
    case EncryptFocus::BerechtigungE:
        BerechtigungE.SetFocus();
        break;
    case EncryptFocus::KennwortE:
        KennwortE.SetFocus();
        break;
    case EncryptFocus::KennwortCB:
        KennwortCB.SetFocus();
        break;
    case EncryptFocus::DruckenCB:
        DruckenCB.SetFocus();
        break;
    case EncryptFocus::Button1:
        Button1.SetFocus();
        break;
    }
}

void TEncrypt_Form::ShowMessage(const std::wstring& key, MessageIcon icon) {
    MessageDlg(Texts().Get(key), L"", icon == MessageIcon::Error ? TMsgDlgType::mtError : TMsgDlgType::mtWarning,
               TMsgDlgButtons::mbOK, Handle());
}

void TEncrypt_Form::FocusMergeKeyButton() {
    if (OnMergeKeyButtonFocus)
        OnMergeKeyButtonFocus();
}
