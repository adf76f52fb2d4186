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
        s.SetGhostscriptProgram(L"D:\\Programme\\gs\\gswin32c.exe");
        s.SetWatermarkFile(L"C:\\Stempel\\Wasser zeichen.pdf");
        s.SetDeleteInputs(0);
        s.SetAutoStart(0);
        s.SetMayChangePdfLevel(0);
        s.SetPdfLevel(2);
        s.SetPdfResolution(3);
        s.SetPdfPreset(4);
        s.SetAutoRotatePages(1);
        s.SetPollSeconds(15);
        s.SetSendMail(0);
        s.SetMailName(L"Jörg Müller");
        s.SetMailAddress(L"joerg@example.org");
        s.SetMailDomain(L"firma.example");
        s.SetMailUserNameEnd(L"_");
        s.SetMailUserNameDigits(L"12");
        s.SetMailMode(1);
        s.SetShowMailDialog(false);
        s.SetShowInReader(true);
        s.SetOutputType(2);
        s.SetFilePerPage(true);
        s.SetImageResolution(150);
        s.SetJpegQuality(40);
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
    ASSERT_EQ(savedSecurity.KeyLength, 1);
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
    expected.StampWatermark = fresh.values.StampWatermark; // not part of a profile
    // Closing the security dialog with 128-bit sets the level the profile held; the format comes back from
    // FormatAtEncryptClose.
    EXPECT_EQ(fresh.values, expected);
}

TEST_F(ProfilesTest, ProfileLeavesTheWatermarkSwitchAlone) {
    rig.settings.SetStampWatermark(true);
    rig.settings.SetWatermarkFile(L"C:\\a.pdf");
    const std::wstring file = (rig.folder / L"p.ppf").wstring();
    ui.SaveChoice = file;
    commands.ProfspeichernClick();
    EXPECT_EQ(TIniFile(file).ReadString(L"Start", L"Wasserzeichen", L"absent"), L"absent");
    rig.settings.SetStampWatermark(false);
    rig.settings.SetWatermarkFile(L"");
    ui.LoadChoice = file;
    commands.ProfladenClick();
    EXPECT_FALSE(rig.values.StampWatermark);
    EXPECT_EQ(rig.values.WatermarkFile, L"C:\\a.pdf");
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
    EXPECT_FALSE(rig.record.OwnerPasswordOn);
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
    EXPECT_EQ(rig.values.OutputType, 3);
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].first, L"ENC11");
    EXPECT_FALSE(rig.record.OwnerPasswordOn);
}

TEST_F(ProfilesTest, CancelledFileDialogsDoNothing) {
    commands.ProfladenClick();
    commands.ProfspeichernClick();
    EXPECT_FALSE(rig.state.ProfileLoadedFlag);
    EXPECT_EQ(ui.InitialDirs.size(), 2u);
}

TEST_F(ProfilesTest, StartSettingsQuestionDecidesWhatHappens) {
    ChangeEverything();
    rig.settings.SetOutputType(0);
    rig.settings.SetStampWatermark(true);

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
    rig.settings.SetPollSeconds(99);
    ui.Answer = YesNoCancel::No;
    commands.StartspClick();
    EXPECT_EQ(testenv::ReadFileBytes(rig.IniPath()), before);
}

TEST_F(ProfilesTest, LoadingStartSettingsRestoresThemAndSwitchesEncryptionOff) {
    ChangeEverything();
    ui.Answer = YesNoCancel::Yes;
    commands.StartspClick();
    const DialogSettings stored = rig.values;
    rig.settings.SetPollSeconds(500);
    rig.settings.SetOutputType(0);
    rig.settings.SetMailName(L"x");
    EncryptEverything();
    ASSERT_TRUE(rig.record.OwnerPasswordOn);

    commands.OriginalladenClick();
    DialogSettings expected = stored;
    EXPECT_EQ(rig.values.PollSeconds, 15);
    EXPECT_EQ(rig.values.OutputType, 2);
    EXPECT_EQ(rig.values.MailName, L"Jörg Müller");
    EXPECT_EQ(rig.values, expected);
    EXPECT_FALSE(rig.encrypt.Controls().BerechtigungCB.Checked);
    EXPECT_FALSE(rig.record.OwnerPasswordOn);
    EXPECT_TRUE(rig.record.OwnerPassword.empty());
    EXPECT_EQ(ui.Closed, 1) << "loading keeps the dialog open";
}

TEST_F(ProfilesTest, LoadingStartSettingsWithoutProgramPathFallsBackToTheDefault) {
    testenv::WriteFileBytes(rig.IniPath(), "[Timer]\r\nSekunden=30\r\n");
    rig.settings.SetGhostscriptProgram(L"D:\\elsewhere\\gswin32c.exe");
    commands.OriginalladenClick();
    EXPECT_EQ(rig.values.GhostscriptProgram, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
    EXPECT_EQ(rig.values.PollSeconds, 30);
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
