#pragma once
// The encryption dialog TEncrypt_Form. Its controls mirror EncryptDialogModel; the record they write through to
// is the program's SecuritySettings. Merging reads the controls through Model().Controls().
#include "core/EncryptRules.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <functional>
#include <optional>

class TEinstellungen_Form;

class TEncrypt_Form : public gui::TForm, private IEncryptDialogHost {
public:
    // record and state live for the whole run; keepSecurity is MainSettings::KeepSecurity.
    TEncrypt_Form(SecuritySettings& record, EncryptDialogState& state, TEinstellungen_Form& settings,
                  const bool& keepSecurity);

    EncryptDialogModel& Model() { return model_; }
    // Sets every control from the model.
    void SyncFromModel();

    // The merge window's key button, which takes the focus back after OK in merge mode.
    std::function<void()> OnMergeKeyButtonFocus;

    void FormShow();
    void FormClose();

    gui::TButton Button1{this, L"Button1", 126, 340, 75, 25};
    gui::TGroupBox GroupBox1{this, L"GroupBox1", 8, 6, 311, 324};
    gui::TLabel Label1{&GroupBox1, L"Label1", 12, 24, 40, 13};
    gui::TComboBox EncryptCombo{&GroupBox1, L"EncryptCombo", 60, 20, 238, 21};
    gui::TCheckBox BerechtigungCB{&GroupBox1, L"BerechtigungCB", 12, 52, 288, 17};
    gui::TEdit BerechtigungE{&GroupBox1, L"BerechtigungE", 30, 72, 268, 21};
    gui::TCheckBox KennwortCB{&GroupBox1, L"KennwortCB", 12, 102, 288, 17};
    gui::TEdit KennwortE{&GroupBox1, L"KennwortE", 30, 122, 268, 21};
    gui::TCheckBox DruckenCB{&GroupBox1, L"DruckenCB", 12, 156, 288, 17};
    gui::TCheckBox HQCB{&GroupBox1, L"HQCB", 12, 180, 288, 17};
    gui::TCheckBox DokuaenderCB{&GroupBox1, L"DokuaenderCB", 12, 204, 288, 17};
    gui::TCheckBox KopEntCB{&GroupBox1, L"KopEntCB", 12, 228, 290, 30};
    gui::TCheckBox InhaltCB{&GroupBox1, L"InhaltCB", 12, 262, 290, 30};
    gui::TCheckBox FormularCB{&GroupBox1, L"FormularCB", 12, 296, 290, 17};

private:
    // IEncryptDialogHost.
    void FocusControl(EncryptFocus control) override;
    void ShowMessage(const std::wstring& key, MessageIcon icon) override;
    void FocusMergeKeyButton() override;

    void ApplyPendingFocus();
    void BindControls();
    gui::TCheckBox& CheckBoxOf(EncryptCheckBox box);
    template <class F> void FromControl(F&& change);

    TEinstellungen_Form& settings_;
    EncryptDialogModel model_;
    bool syncing_ = false;
    std::optional<EncryptFocus> pendingFocus_;
};
