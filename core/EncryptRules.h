#pragma once
// The encryption dialog without its window: the state of its controls, the program-wide security record they
// write through to, the dialog flags, and the rules for showing, enabling, password checks and closing.
// TEncrypt_Form mirrors this model; merging reads Controls().
#include "core/Settings.h"
#include "core/SettingsRules.h"

#include <array>
#include <string>

// The flags that live beside the record for the whole run.
struct EncryptDialogState {
    bool MergeEncryptMode = false;      // opened from the merge window: only 40-bit is offered
    bool ProfileEncryptPending = false; // the next showing loads the controls from the record
    bool ProfileLoadedFlag = false;     // a profile was loaded in this run; never cleared
    bool EnterPressedFlag = false;      // Enter was pressed in a password field in this run; never cleared
    bool KeptDokuaendern = false;
    bool KeptInhalt = false;
    int FormatAtEncryptClose = 0; // OutputType when the dialog last closed with the owner password on
};

struct EncryptBox {
    bool Checked = false;
    bool Enabled = false;
    bool operator==(const EncryptBox&) const = default;
};

// The dialog's controls; initial values are the design values.
struct EncryptControls {
    std::array<std::wstring, 2> ComboItems;
    int EncryptCombo = 0; // selected item: 0 = 40-bit, 1 = 128-bit (-1 none)
    bool EncryptComboEnabled = false;
    EncryptBox BerechtigungCB{false, true};
    std::wstring BerechtigungE;
    bool BerechtigungEEnabled = false;
    EncryptBox KennwortCB;
    std::wstring KennwortE;
    bool KennwortEEnabled = false;
    EncryptBox DruckenCB;
    EncryptBox HQCB{false, true};
    EncryptBox DokuaenderCB;
    EncryptBox KopEntCB;
    EncryptBox InhaltCB;
    EncryptBox FormularCB;
    bool operator==(const EncryptControls&) const = default;
};

enum class EncryptCheckBox {
    BerechtigungCB,
    KennwortCB,
    DruckenCB,
    HQCB,
    DokuaenderCB,
    KopEntCB,
    InhaltCB,
    FormularCB
};
enum class EncryptEdit { BerechtigungE, KennwortE };
// Controls the rules move the focus to.
enum class EncryptFocus { BerechtigungE, KennwortE, KennwortCB, DruckenCB, Button1 };
enum class MessageIcon { Error, Warning };

// What the rules need from the window around them.
class IEncryptDialogHost {
public:
    virtual ~IEncryptDialogHost() = default;
    virtual void FocusControl(EncryptFocus control) = 0;
    // A message box with one OK button; key names a text of the language file.
    virtual void ShowMessage(const std::wstring& key, MessageIcon icon) = 0;
    // OK in merge mode hands the focus back to the merge window's key button.
    virtual void FocusMergeKeyButton() = 0;
};

class EncryptDialogModel {
public:
    // keepSecurity is [Start] Encryptspeichern (MainSettings::KeepSecurity), read at every showing.
    EncryptDialogModel(SecuritySettings& record, EncryptDialogState& state, SettingsRules& settings,
                       const bool& keepSecurity);
    void SetHost(IEncryptDialogHost* host) { host_ = host; }

    const EncryptControls& Controls() const { return controls_; }
    const SecuritySettings& Record() const { return record_; }
    EncryptDialogState& State() { return state_; }
    const EncryptDialogState& State() const { return state_; }
    bool Is128Bit() const { return controls_.EncryptCombo == 1; }
    // The record as the controls show it (the key length from the combo): what a profile saves.
    SecuritySettings ControlsAsRecord() const;

    // A change of a box or an edit, by the user or by the program: runs its rule only when the value changes.
    void SetChecked(EncryptCheckBox box, bool checked);
    void SetText(EncryptEdit edit, const std::wstring& text);
    // The user picked an item of EncryptCombo (EncryptComboChange).
    void SelectEncryptCombo(int index);

    // Showing: the eight steps. Activation: Button1 takes the focus (and Button1Enter runs).
    void FormShow();
    void FormActivate();

    // Validation. A key-down arrives before the key changes the field, so the field's text is still the old one.
    void BerechtigungEKeyDown(unsigned key);
    void KennwortEKeyDown(unsigned key);
    void BerechtigungEExit();
    void KennwortEExit();
    void Button1Enter();

    // OK (Button1Click): KeyLength takes the selection. Every close then runs FormClose.
    void Button1Click();
    void FormClose();

    // A profile's security keys replace the record; the controls follow at the next showing
    // (ProfileEncryptPending).
    void LoadRecord(const SecuritySettings& record) { record_ = record; }

    // The merge window leaves merge mode: the 128-bit entry reads ENC15 again.
    void LeaveMergeMode();

private:
    EncryptBox& Box(EncryptCheckBox box);
    void BoxChanged(EncryptCheckBox box);
    void BerechtigungCBClick();
    void KennwortCBClick();
    void DruckenCBClick();
    void LoadControlsFromRecord();
    void DisableAndUncheck(EncryptCheckBox box);
    void EnablePermissionBoxes();
    void ClearPermissions();
    void HQCBFollowsDrucken();
    void Focus(EncryptFocus control);
    void Message(const wchar_t* key, MessageIcon icon);
    // The rules the two password fields share; the message texts and the field that follows differ.
    void PasswordKeyDown(const std::wstring& text, unsigned key, const wchar_t* blankMessage, EncryptFocus next);
    void PasswordExit(const std::wstring& text, const std::wstring& other, const wchar_t* sameMessage,
                      const wchar_t* emptyMessage, EncryptFocus self);

    SecuritySettings& record_;
    EncryptDialogState& state_;
    SettingsRules& settings_;
    const bool& keepSecurity_;
    IEncryptDialogHost* host_ = nullptr;
    EncryptControls controls_;
};
