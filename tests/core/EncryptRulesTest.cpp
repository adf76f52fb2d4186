// The encryption dialog's rules: showing, enabling, password checks and closing, with the record and the settings
// dialog they reach into.
#include "RulesFakes.h"

#include <gtest/gtest.h>

using rulestest::RulesRig;

namespace {

constexpr unsigned kEnter = 0x0D;
constexpr unsigned kKeyA = 'A';

class EncryptRulesTest : public testing::Test {
protected:
    // Encryption switched on with an owner password, as a user does it.
    void SwitchOn(const std::wstring& owner = L"geheim") {
        rig.encrypt.FormShow();
        rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
        rig.encrypt.SetText(EncryptEdit::BerechtigungE, owner);
        rig.host.Messages.clear();
        rig.host.Focus.clear();
    }
    const EncryptControls& c() const { return rig.encrypt.Controls(); }

    RulesRig rig;
};

TEST_F(EncryptRulesTest, ShowingWithEncryptionOffClearsAndDisablesEverything) {
    rig.encrypt.FormShow();
    EXPECT_EQ(c().ComboItems[0], L"Niedrig (40-Bit RC4)");
    EXPECT_EQ(c().ComboItems[1], L"Hoch (128-Bit RC4)");
    EXPECT_EQ(c().EncryptCombo, 0);
    EXPECT_FALSE(c().EncryptComboEnabled);
    EXPECT_TRUE(c().BerechtigungCB.Enabled);
    for (const EncryptBox& box :
         {c().KennwortCB, c().DruckenCB, c().HQCB, c().DokuaenderCB, c().KopEntCB, c().InhaltCB, c().FormularCB})
        EXPECT_EQ(box, (EncryptBox{false, false}));
    EXPECT_EQ(rig.host.Focus.front(), EncryptFocus::Button1);
}

TEST_F(EncryptRulesTest, OwnerPasswordEnablesTheDenialsAndExcludesTheWatermark) {
    rig.settings.SetStampWatermark(true);
    ASSERT_TRUE(rig.main.WatermarkIndicator);
    rig.encrypt.FormShow();
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
    EXPECT_TRUE(rig.record.OwnerPasswordOn);
    EXPECT_TRUE(c().EncryptComboEnabled);
    EXPECT_TRUE(c().BerechtigungEEnabled);
    for (const EncryptBox& box : {c().KennwortCB, c().DruckenCB, c().DokuaenderCB, c().KopEntCB, c().FormularCB})
        EXPECT_TRUE(box.Enabled);
    EXPECT_FALSE(c().HQCB.Enabled);
    EXPECT_FALSE(c().InhaltCB.Enabled);
    EXPECT_EQ(rig.host.Focus.back(), EncryptFocus::BerechtigungE);
    EXPECT_FALSE(rig.values.StampWatermark);
    EXPECT_FALSE(rig.settings.Enabled().StampWatermark);
    EXPECT_FALSE(rig.settings.Enabled().WatermarkFile);
    EXPECT_FALSE(rig.settings.Enabled().WatermarkFileButton);
    EXPECT_FALSE(rig.main.WatermarkIndicator);

    rig.encrypt.SetText(EncryptEdit::BerechtigungE, L"owner");
    rig.encrypt.SetChecked(EncryptCheckBox::KennwortCB, true);
    rig.encrypt.SetText(EncryptEdit::KennwortE, L"open");
    rig.encrypt.SetChecked(EncryptCheckBox::KopEntCB, true);
    EXPECT_EQ(rig.record.OwnerPassword, L"owner");
    EXPECT_EQ(rig.record.UserPassword, L"open");
    EXPECT_TRUE(rig.record.DenyCopying);

    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, false);
    EXPECT_EQ(rig.record, SecuritySettings{}) << "switching off clears every field the controls write";
    EXPECT_TRUE(rig.settings.Enabled().StampWatermark) << "the watermark box is offered again";
    EXPECT_FALSE(rig.values.StampWatermark) << "still unchecked";
}

TEST_F(EncryptRulesTest, PrintDenialGovernsHighQualityOnlyWith128Bit) {
    SwitchOn();
    rig.encrypt.SelectEncryptCombo(1);
    EXPECT_TRUE(c().HQCB.Enabled);
    EXPECT_TRUE(c().InhaltCB.Enabled);
    rig.encrypt.SetChecked(EncryptCheckBox::HQCB, true);
    rig.encrypt.SetChecked(EncryptCheckBox::InhaltCB, true);
    EXPECT_TRUE(rig.record.DenyHighQualityPrinting);
    rig.encrypt.SetChecked(EncryptCheckBox::DruckenCB, true);
    EXPECT_EQ(c().HQCB, (EncryptBox{false, false}));
    EXPECT_FALSE(rig.record.DenyHighQualityPrinting);
    rig.encrypt.SetChecked(EncryptCheckBox::DruckenCB, false);
    EXPECT_TRUE(c().HQCB.Enabled);

    rig.encrypt.SelectEncryptCombo(0);
    EXPECT_EQ(c().HQCB, (EncryptBox{false, false}));
    EXPECT_EQ(c().InhaltCB, (EncryptBox{false, false}));
    EXPECT_FALSE(rig.record.DenyContentAccess);
    rig.encrypt.SetChecked(EncryptCheckBox::DruckenCB, true);
    rig.encrypt.SetChecked(EncryptCheckBox::DruckenCB, false);
    EXPECT_FALSE(c().HQCB.Enabled) << "40-bit leaves HQCB alone";
}

TEST_F(EncryptRulesTest, MergeModeOffersOnly40Bit) {
    rig.state.MergeEncryptMode = true;
    SwitchOn();
    EXPECT_EQ(c().ComboItems[0], L"Niedrig (40-Bit RC4)");
    EXPECT_EQ(c().ComboItems[1], L"");
    rig.encrypt.SelectEncryptCombo(1);
    EXPECT_EQ(c().EncryptCombo, 0);
    EXPECT_FALSE(c().HQCB.Enabled);
    EXPECT_FALSE(c().InhaltCB.Enabled);
    rig.encrypt.Button1Click();
    EXPECT_EQ(rig.host.MergeKeyFocus, 1);
    EXPECT_FALSE(rig.state.MergeEncryptMode);
    rig.encrypt.LeaveMergeMode();
    EXPECT_EQ(c().ComboItems[1], L"Hoch (128-Bit RC4)");
}

struct KeyRow {
    EncryptEdit Edit;
    const wchar_t* Before; // the field's text when the key arrives
    unsigned Key;
    bool ProfileLoaded;
    const wchar_t* Message; // expected message key, "" for none
    bool EnterFlag;
    std::optional<EncryptFocus> Focus;
};

class PasswordKeyTest : public testing::TestWithParam<KeyRow> {
protected:
};

TEST_P(PasswordKeyTest, KeyDownChecksTheSingleBlankAndMovesOnWithEnter) {
    const KeyRow row = GetParam();
    RulesRig rig;
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
    rig.encrypt.SetChecked(EncryptCheckBox::KennwortCB, true);
    rig.encrypt.SetText(row.Edit, row.Before);
    rig.state.ProfileLoadedFlag = row.ProfileLoaded;
    rig.host.Focus.clear();
    if (row.Edit == EncryptEdit::BerechtigungE)
        rig.encrypt.BerechtigungEKeyDown(row.Key);
    else
        rig.encrypt.KennwortEKeyDown(row.Key);
    if (*row.Message) {
        ASSERT_EQ(rig.host.Messages.size(), 1u);
        EXPECT_EQ(rig.host.Messages[0].first, row.Message);
        EXPECT_EQ(rig.host.Messages[0].second, MessageIcon::Error);
    } else {
        EXPECT_TRUE(rig.host.Messages.empty());
    }
    EXPECT_EQ(rig.state.EnterPressedFlag, row.EnterFlag);
    if (row.Focus)
        EXPECT_EQ(rig.host.Focus, std::vector<EncryptFocus>{*row.Focus});
    else
        EXPECT_TRUE(rig.host.Focus.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PasswordKeyTest,
    testing::Values(KeyRow{EncryptEdit::BerechtigungE, L" ", kKeyA, false, L"ENC11", false, {}},
                    KeyRow{EncryptEdit::BerechtigungE, L" ", kEnter, false, L"ENC11", false, {}},
                    KeyRow{EncryptEdit::BerechtigungE, L"  ", kKeyA, false, L"", false, {}},
                    KeyRow{EncryptEdit::BerechtigungE, L"abc", kEnter, false, L"", true, EncryptFocus::KennwortCB},
                    KeyRow{EncryptEdit::BerechtigungE, L"abc", kEnter, true, L"", true, {}},
                    KeyRow{EncryptEdit::KennwortE, L" ", kKeyA, false, L"ENC12", false, {}},
                    KeyRow{EncryptEdit::KennwortE, L"x", kEnter, false, L"", true, EncryptFocus::DruckenCB},
                    KeyRow{EncryptEdit::KennwortE, L"", kEnter, true, L"", true, {}}));

struct ExitRow {
    EncryptEdit Edit;
    const wchar_t* Owner;
    const wchar_t* Open;
    bool EnterPressed;
    const wchar_t* Message;
    MessageIcon Icon;
};

class PasswordExitTest : public testing::TestWithParam<ExitRow> {
protected:
};

TEST_P(PasswordExitTest, LeavingAFieldReportsAndReturnsTheFocus) {
    const ExitRow row = GetParam();
    RulesRig rig;
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
    rig.encrypt.SetChecked(EncryptCheckBox::KennwortCB, true);
    rig.encrypt.SetText(EncryptEdit::BerechtigungE, row.Owner);
    rig.encrypt.SetText(EncryptEdit::KennwortE, row.Open);
    rig.state.EnterPressedFlag = row.EnterPressed;
    rig.host.Focus.clear();
    const bool owner = row.Edit == EncryptEdit::BerechtigungE;
    owner ? rig.encrypt.BerechtigungEExit() : rig.encrypt.KennwortEExit();
    if (*row.Message) {
        ASSERT_EQ(rig.host.Messages.size(), 1u);
        EXPECT_EQ(rig.host.Messages[0].first, row.Message);
        EXPECT_EQ(rig.host.Messages[0].second, row.Icon);
        EXPECT_EQ(rig.host.Focus,
                  std::vector<EncryptFocus>{owner ? EncryptFocus::BerechtigungE : EncryptFocus::KennwortE});
    } else {
        EXPECT_TRUE(rig.host.Messages.empty());
        EXPECT_TRUE(rig.host.Focus.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exits, PasswordExitTest,
    testing::Values(ExitRow{EncryptEdit::BerechtigungE, L"", L"", false, L"ENC11", MessageIcon::Warning},
                    ExitRow{EncryptEdit::BerechtigungE, L"", L"", true, L"ENC11", MessageIcon::Warning},
                    ExitRow{EncryptEdit::BerechtigungE, L"same", L"same", true, L"ENC11", MessageIcon::Warning},
                    ExitRow{EncryptEdit::BerechtigungE, L"", L"open", false, L"ENC11", MessageIcon::Error},
                    ExitRow{EncryptEdit::BerechtigungE, L"", L"open", true, L"", MessageIcon::Error},
                    ExitRow{EncryptEdit::BerechtigungE, L"owner", L"open", false, L"", MessageIcon::Error},
                    ExitRow{EncryptEdit::KennwortE, L"x", L"x", false, L"ENC13", MessageIcon::Warning},
                    ExitRow{EncryptEdit::KennwortE, L"owner", L"", false, L"ENC12", MessageIcon::Error},
                    ExitRow{EncryptEdit::KennwortE, L"owner", L"", true, L"", MessageIcon::Error},
                    ExitRow{EncryptEdit::KennwortE, L"owner", L"open", false, L"", MessageIcon::Error}));

TEST_F(EncryptRulesTest, ButtonFocusWarnsAboutAMissingOwnerPassword) {
    rig.encrypt.FormShow();
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
    rig.encrypt.FormActivate();
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].first, L"ENC11");
    rig.encrypt.SetText(EncryptEdit::BerechtigungE, L"x");
    rig.encrypt.Button1Enter();
    EXPECT_EQ(rig.host.Messages.size(), 1u);
}

TEST_F(EncryptRulesTest, OkStoresTheKeyLengthEscDoesNot) {
    SwitchOn();
    rig.encrypt.SelectEncryptCombo(1);
    rig.encrypt.FormClose(); // Esc
    EXPECT_EQ(rig.record.KeyLength, 0);
    rig.encrypt.Button1Click();
    rig.encrypt.FormClose();
    EXPECT_EQ(rig.record.KeyLength, 1);
}

TEST_F(EncryptRulesTest, EveryCloseSetsTheSettingsLevel) {
    rig.settings.SetMayChangePdfLevel(0);
    rig.settings.SetPdfLevel(0);
    rig.encrypt.FormShow();
    rig.encrypt.FormClose();
    EXPECT_EQ(rig.values.PdfLevel, 1) << "40-bit or off: PDF 1.3";
    EXPECT_EQ(rig.values.MayChangePdfLevel, 0);

    rig.settings.SetMayChangePdfLevel(1);
    ASSERT_FALSE(rig.settings.Enabled().PdfLevel);
    SwitchOn();
    rig.encrypt.SelectEncryptCombo(1);
    rig.encrypt.FormClose();
    EXPECT_EQ(rig.values.MayChangePdfLevel, 0) << "128-bit: the level may change";
    EXPECT_EQ(rig.values.PdfLevel, 2) << "and is PDF 1.4";
    EXPECT_TRUE(rig.settings.Enabled().PdfLevel);
}

TEST_F(EncryptRulesTest, CloseRemembersDenialsAndFormat) {
    rig.settings.SetOutputType(0);
    SwitchOn();
    rig.encrypt.SelectEncryptCombo(1);
    rig.encrypt.SetChecked(EncryptCheckBox::DokuaenderCB, true);
    rig.encrypt.SetChecked(EncryptCheckBox::InhaltCB, true);
    rig.encrypt.Button1Click();
    rig.encrypt.FormClose();
    EXPECT_TRUE(rig.state.KeptDokuaendern);
    EXPECT_TRUE(rig.state.KeptInhalt);
    EXPECT_EQ(rig.state.FormatAtEncryptClose, 0);

    // The next showing with 128-bit puts both denials back.
    rig.encrypt.FormShow();
    EXPECT_EQ(c().EncryptCombo, 1);
    EXPECT_TRUE(c().DokuaenderCB.Checked);
    EXPECT_TRUE(c().InhaltCB.Checked);
    EXPECT_TRUE(c().InhaltCB.Enabled);
}

TEST_F(EncryptRulesTest, With40BitOnlyTheChangeDenialIsRemembered) {
    SwitchOn();
    rig.encrypt.SetChecked(EncryptCheckBox::DokuaenderCB, true);
    rig.encrypt.FormClose();
    rig.encrypt.SetChecked(EncryptCheckBox::DokuaenderCB, false);
    rig.encrypt.FormShow();
    EXPECT_TRUE(c().DokuaenderCB.Checked);
    EXPECT_FALSE(c().InhaltCB.Enabled);
    // Encryption off: the remembered denial is dropped again.
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, false);
    rig.encrypt.FormShow();
    EXPECT_FALSE(c().DokuaenderCB.Checked);
}

TEST_F(EncryptRulesTest, ClosingWithoutOwnerPasswordSwitchesEncryptionOff) {
    rig.encrypt.FormShow();
    rig.encrypt.SetChecked(EncryptCheckBox::BerechtigungCB, true);
    rig.encrypt.SelectEncryptCombo(1);
    rig.host.Messages.clear();
    rig.encrypt.FormClose();
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].first, L"ENC11");
    EXPECT_FALSE(c().BerechtigungCB.Checked);
    EXPECT_FALSE(rig.record.OwnerPasswordOn);
    EXPECT_EQ(c().EncryptCombo, 0);
    EXPECT_EQ(rig.values.PdfLevel, 1);
    EXPECT_TRUE(rig.settings.Enabled().StampWatermark);
}

TEST_F(EncryptRulesTest, KeptSettingsLoadIntoTheControlsAtShowing) {
    rig.keepSecurity = true;
    rig.record = SecuritySettings{1, true, L"own", true, L"opn", false, true, true, true, true, true};
    const SecuritySettings stored = rig.record;
    rig.encrypt.FormShow();
    EXPECT_EQ(c().EncryptCombo, 1);
    EXPECT_EQ(c().BerechtigungE, L"own");
    EXPECT_EQ(c().KennwortE, L"opn");
    EXPECT_TRUE(c().KennwortEEnabled);
    EXPECT_TRUE(c().HQCB.Checked);
    EXPECT_TRUE(c().KopEntCB.Checked);
    EXPECT_TRUE(c().FormularCB.Checked);
    EXPECT_EQ(rig.record.OwnerPassword, stored.OwnerPassword);
    EXPECT_TRUE(rig.record.DenyHighQualityPrinting);
}

TEST_F(EncryptRulesTest, PendingProfileLoadsItsDenialsAndLevel) {
    rig.record = SecuritySettings{1, true, L"own", false, L"", false, false, true, false, true, false};
    rig.state.ProfileEncryptPending = true;
    rig.encrypt.FormShow();
    EXPECT_FALSE(rig.state.ProfileEncryptPending);
    EXPECT_EQ(c().EncryptCombo, 1);
    EXPECT_EQ(c().BerechtigungE, L"own");
    EXPECT_TRUE(c().DokuaenderCB.Checked);
    EXPECT_TRUE(c().InhaltCB.Checked) << "kept from the profile";
    EXPECT_TRUE(c().InhaltCB.Enabled);
    EXPECT_EQ(rig.encrypt.ControlsAsRecord(), rig.record);
}

} // namespace
