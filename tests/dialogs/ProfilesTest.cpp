// Start settings and profiles: the menu commands over real files, with the question, the file dialogs and the
// security dialog stood in for.
#include "DialogFakes.h"

#include "app/main/SettingsFile.h"
#include "win/IniFile.h"

#include <gtest/gtest.h>

using dialogtest::DialogRig;
using dialogtest::FakeProfileUi;

namespace {

class ProfilesTest : public testing::Test {
protected:
    void SetUp() override {
        dialogtest::LoadGermanTexts();
        rig.settings.FormCreate(rig.IniPath());
    }

    // Every one of the 23 profile values away from its design value, set through the dialog's controls.
    void ChangeEverything() {
        SettingsDialogModel& s = rig.settings;
        s.SetEdit1(L"D:\\Programme\\gs\\gswin32c.exe");
        s.SetWasserzeichenEdit(L"C:\\Stempel\\Wasser zeichen.pdf");
        s.SetloeschenRG1(0);
        s.SetAutostartRG1(0);
        s.SetJNRG1(0);
        s.SetLevelRG1(2);
        s.SetGrafikenRG1(3);
        s.SetDPRG1(4);
        s.SetAutoRP(1);
        s.SetSpinEdit1(15);
        s.SetMailRG1(0);
        s.SetNameEdit(L"Jörg Müller");
        s.SetMailEdit(L"joerg@example.org");
        s.SetDomainEdit(L"firma.example");
        s.SetBenutzerEdit(L"_");
        s.SetRestEdit(L"12");
        s.SetNSRG1(1);
        s.SetMDCB1(false);
        s.SetAnzeigenCB(true);
        s.SetAuswahlRG(2);
        s.SetSeiteCB(true);
        s.SetSpinEdit2(150);
        s.SetSpinEdit3(40);
    }

    // Encryption on through the dialog, with every denial its 128-bit state allows.
    void EncryptEverything() {
        EncryptDialogModel& e = rig.encrypt;
        e.FormShow();
        e.SetChecked(EncryptCheckBox::BerechtigungCB, true);
        e.SetText(EncryptEdit::BerechtigungE, L"Besitzer Kennwort");
        e.SetChecked(EncryptCheckBox::KennwortCB, true);
        e.SetText(EncryptEdit::KennwortE, L"\xD6"
                                          L"ffnen");
        e.SelectEncryptCombo(1);
        e.SetChecked(EncryptCheckBox::HQCB, true);
        e.SetChecked(EncryptCheckBox::DokuaenderCB, true);
        e.SetChecked(EncryptCheckBox::KopEntCB, true);
        e.SetChecked(EncryptCheckBox::InhaltCB, true);
        e.SetChecked(EncryptCheckBox::FormularCB, true);
        e.Button1Click();
        e.FormClose();
    }

    DialogRig rig;
    FakeProfileUi ui;
    ProfileCommands commands{rig.settings, rig.encrypt, ui, rig.IniPath()};
};

TEST_F(ProfilesTest, ProfileRoundTripRestoresEveryValueAndOpensTheSecurityDialog) {
    ChangeEverything();
    EncryptEverything();
    const DialogSettings saved = rig.values;
    const SecuritySettings savedSecurity = rig.encrypt.ControlsAsRecord();
    ASSERT_EQ(savedSecurity.Sicherheit, 1);
    const std::wstring file = (rig.folder / L"Mein Profil.ppf").wstring();
    ui.SaveChoice = file;
    commands.ProfspeichernClick();
    ASSERT_EQ(ui.InitialDirs.back(), rig.folder.path().wstring() + L"\\");

    // A fresh run: design values, encryption off.
    DialogRig fresh;
    fresh.settings.FormCreate(fresh.IniPath());
    fresh.encrypt.FormShow();
    FakeProfileUi freshUi;
    ProfileCommands freshCommands{fresh.settings, fresh.encrypt, freshUi, fresh.IniPath()};
    freshUi.LoadChoice = file;
    freshUi.OnSecurityDialog = [&] {
        fresh.encrypt.FormShow();
        EXPECT_EQ(fresh.encrypt.ControlsAsRecord(), savedSecurity) << "passwords and denials already in place";
        fresh.encrypt.Button1Click();
        fresh.encrypt.FormClose();
    };
    freshCommands.ProfladenClick();

    EXPECT_EQ(freshUi.SecurityDialogShown, 1);
    EXPECT_TRUE(freshUi.Messages.empty());
    EXPECT_EQ(fresh.record, savedSecurity);
    EXPECT_TRUE(fresh.state.ProfileLoadedFlag);
    DialogSettings expected = saved;
    expected.WasserzeichenCB = fresh.values.WasserzeichenCB; // not part of a profile
    // Closing the security dialog with 128-bit sets the level the profile held; the format comes back from
    // FormatAtEncryptClose.
    EXPECT_EQ(fresh.values, expected);
}

TEST_F(ProfilesTest, ProfileLeavesTheWatermarkSwitchAlone) {
    rig.settings.SetWasserzeichenCB(true);
    rig.settings.SetWasserzeichenEdit(L"C:\\a.pdf");
    const std::wstring file = (rig.folder / L"p.ppf").wstring();
    ui.SaveChoice = file;
    commands.ProfspeichernClick();
    EXPECT_EQ(TIniFile(file).ReadString(L"Start", L"Wasserzeichen", L"absent"), L"absent");
    rig.settings.SetWasserzeichenCB(false);
    rig.settings.SetWasserzeichenEdit(L"");
    ui.LoadChoice = file;
    commands.ProfladenClick();
    EXPECT_FALSE(rig.values.WasserzeichenCB);
    EXPECT_EQ(rig.values.WasserzeichenEdit, L"C:\\a.pdf");
    EXPECT_EQ(ui.SecurityDialogShown, 0) << "encryption is off in this profile";
}

TEST_F(ProfilesTest, AFileWithoutProgramPathIsNoProfile) {
    const std::wstring file = (rig.folder / L"other.ppf").wstring();
    testenv::WriteFileBytes(file, "[Start]\r\nFormat=3\r\n[Verschl\xFCsselung]\r\nBerechtigungCheck=1\r\n");
    const DialogSettings before = rig.values;
    ui.LoadChoice = file;
    commands.ProfladenClick();
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0], L"Die gewählte Datei ist kein Ostrel-Profil!");
    EXPECT_EQ(rig.values, before);
    EXPECT_FALSE(rig.record.BerechtigungCheck);
    EXPECT_EQ(ui.SecurityDialogShown, 0);
    EXPECT_TRUE(rig.state.ProfileEncryptPending) << "the flags stay set";
    EXPECT_TRUE(rig.state.ProfileLoadedFlag);

    // After a Ghostscript run the last program path is the default, and the same file loads.
    // Its owner password is empty, so closing the security dialog switches encryption off again; the format the
    // file brought stays.
    rig.main.LastGs = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";
    ui.OnSecurityDialog = [&] {
        rig.encrypt.FormShow();
        EXPECT_TRUE(rig.encrypt.Controls().BerechtigungCB.Checked);
        rig.encrypt.FormClose();
    };
    commands.ProfladenClick();
    EXPECT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.SecurityDialogShown, 1);
    EXPECT_EQ(rig.values.AuswahlRG, 3);
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].first, L"ENC11");
    EXPECT_FALSE(rig.record.BerechtigungCheck);
}

TEST_F(ProfilesTest, CancelledFileDialogsDoNothing) {
    commands.ProfladenClick();
    commands.ProfspeichernClick();
    EXPECT_FALSE(rig.state.ProfileLoadedFlag);
    EXPECT_EQ(ui.InitialDirs.size(), 2u);
}

TEST_F(ProfilesTest, StartSettingsQuestionDecidesWhatHappens) {
    ChangeEverything();
    rig.settings.SetAuswahlRG(0);
    rig.settings.SetWasserzeichenCB(true);

    ui.Answer = YesNoCancel::Cancel;
    commands.StartspClick();
    ASSERT_EQ(ui.Questions.size(), 1u);
    EXPECT_EQ(ui.Questions[0].first, Texts().Get(L"StSp1"));
    EXPECT_EQ(ui.Questions[0].second, L"Starteinstellungen speichern");
    EXPECT_FALSE(SettingsFileExists(rig.IniPath()));
    EXPECT_EQ(ui.Closed, 0);

    ui.Answer = YesNoCancel::No;
    commands.StartspClick();
    EXPECT_FALSE(SettingsFileExists(rig.IniPath()));
    EXPECT_EQ(ui.Closed, 1);

    ui.Answer = YesNoCancel::Yes;
    commands.StartspClick();
    EXPECT_EQ(ui.Closed, 2);
    DialogSettings read;
    ReadDialogStart(rig.IniPath(), read, L"");
    EXPECT_EQ(read, rig.values) << "all 24 keys, the watermark switch included";
}

TEST_F(ProfilesTest, StartSettingsNoLeavesAnExistingFileUnchanged) {
    testenv::WriteFileBytes(rig.IniPath(), "[Timer]\r\nSekunden=7\r\n");
    const std::string before = testenv::ReadFileBytes(rig.IniPath());
    rig.settings.SetSpinEdit1(99);
    ui.Answer = YesNoCancel::No;
    commands.StartspClick();
    EXPECT_EQ(testenv::ReadFileBytes(rig.IniPath()), before);
}

TEST_F(ProfilesTest, LoadingStartSettingsRestoresThemAndSwitchesEncryptionOff) {
    ChangeEverything();
    ui.Answer = YesNoCancel::Yes;
    commands.StartspClick();
    const DialogSettings stored = rig.values;
    rig.settings.SetSpinEdit1(500);
    rig.settings.SetAuswahlRG(0);
    rig.settings.SetNameEdit(L"x");
    EncryptEverything();
    ASSERT_TRUE(rig.record.BerechtigungCheck);

    commands.OriginalladenClick();
    DialogSettings expected = stored;
    EXPECT_EQ(rig.values.SpinEdit1, 15);
    EXPECT_EQ(rig.values.AuswahlRG, 2);
    EXPECT_EQ(rig.values.NameEdit, L"Jörg Müller");
    EXPECT_EQ(rig.values, expected);
    EXPECT_FALSE(rig.encrypt.Controls().BerechtigungCB.Checked);
    EXPECT_FALSE(rig.record.BerechtigungCheck);
    EXPECT_TRUE(rig.record.BerechtigungText.empty());
    EXPECT_EQ(ui.Closed, 1) << "loading keeps the dialog open";
}

TEST_F(ProfilesTest, LoadingStartSettingsWithoutProgramPathFallsBackToTheDefault) {
    testenv::WriteFileBytes(rig.IniPath(), "[Timer]\r\nSekunden=30\r\n");
    rig.settings.SetEdit1(L"D:\\elsewhere\\gswin32c.exe");
    commands.OriginalladenClick();
    EXPECT_EQ(rig.values.Edit1, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
    EXPECT_EQ(rig.values.SpinEdit1, 30);
}

TEST_F(ProfilesTest, RefusedWriteIsReportedAndKeepsTheDialogOpen) {
    const std::filesystem::path blocked = rig.folder / L"blocked";
    std::filesystem::create_directories(blocked / L"Ostrel.ini"); // a folder where the file should be
    ProfileCommands blockedCommands{rig.settings, rig.encrypt, ui, (blocked / L"Ostrel.ini").wstring()};
    ui.Answer = YesNoCancel::Yes;
    blockedCommands.StartspClick();
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_NE(ui.Messages[0].find(L"kann nicht geschrieben werden"), std::wstring::npos);
    EXPECT_EQ(ui.Closed, 0);
}

} // namespace
