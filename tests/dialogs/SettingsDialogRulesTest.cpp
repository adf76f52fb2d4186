// The settings dialog's rules, driven through the model as the dialog's controls drive it.
#include "DialogFakes.h"

#include "app/main/SettingsFile.h"
#include "win/IniFile.h"

#include <gtest/gtest.h>

using dialogtest::DialogRig;

namespace {

class SettingsRulesTest : public testing::Test {
protected:
    void SetUp() override { dialogtest::LoadGermanTexts(); }
};

struct FormatRow {
    int Format;
    const wchar_t* Caption;
    bool Pdf;  // EncryptBt, merge, GrafikenRG1, DPRG1, AutoRP, JNRG1, AnzeigenCB, watermark
    bool Mail; // MailRG1, NameEdit, MailEdit, NSRG1, MDCB1 (mail "Ja", SeiteCB unchecked)
    bool Dpi;  // Label2, SpinEdit2, SeiteCB, SeiteLB1
    bool Quality;
};

class FormatRuleTest : public testing::TestWithParam<FormatRow> {
protected:
    void SetUp() override { dialogtest::LoadGermanTexts(); }
};

TEST_P(FormatRuleTest, ClickShapesTheDialogAndTheMainWindow) {
    const FormatRow row = GetParam();
    DialogRig rig;
    rig.settings.SetSendMail(0);
    rig.settings.SetMayChangePdfLevel(0);
    rig.settings.SetStampWatermark(true);
    rig.values.OutputType = -1; // nothing chosen yet, so every format is a change
    rig.settings.SetOutputType(row.Format);

    const SettingsDialogEnabled& e = rig.settings.Enabled();
    EXPECT_EQ(rig.main.Caption, row.Caption);
    EXPECT_EQ(rig.main.MergeEnabled, row.Pdf);
    for (bool on : {e.SecurityButton, e.PdfResolution, e.PdfPreset, e.AutoRotatePages, e.MayChangePdfLevel, e.PdfLevel,
                    e.ShowInReader, e.StampWatermark, e.WatermarkFile, e.WatermarkFileButton})
        EXPECT_EQ(on, row.Pdf);
    EXPECT_EQ(rig.main.WatermarkIndicator, row.Pdf);
    EXPECT_TRUE(rig.values.StampWatermark) << "leaving PDF keeps the check state";
    for (bool on : {e.SendMail, e.MailName, e.MailAddress, e.MailMode, e.ShowMailDialog})
        EXPECT_TRUE(on) << "mail stays available while SeiteCB is unchecked";
    for (bool on : {e.ImageResolutionLabel, e.ImageResolution, e.FilePerPage, e.FilePerPageLabel})
        EXPECT_EQ(on, row.Dpi);
    EXPECT_EQ(e.JpegQualityLabel, row.Quality);
    EXPECT_EQ(e.JpegQuality, row.Quality);
}

INSTANTIATE_TEST_SUITE_P(AllSix, FormatRuleTest,
                         testing::Values(FormatRow{0, L"Umwandeln in PDF", true, true, false, false},
                                         FormatRow{1, L"Umwandeln in PS", false, true, false, false},
                                         FormatRow{2, L"Umwandeln in JPEG", false, true, true, true},
                                         FormatRow{3, L"Umwandeln in TIFF", false, true, true, false},
                                         FormatRow{4, L"Umwandeln in TIFF", false, true, true, false},
                                         FormatRow{5, L"Umwandeln in TIFF", false, true, true, false}));

TEST_F(SettingsRulesTest, LevelFollowsLevelChangeUnderPdf) {
    DialogRig rig;
    rig.values.OutputType = -1;
    rig.settings.SetOutputType(0); // JNRG1 is "Nein" by design
    EXPECT_FALSE(rig.settings.Enabled().PdfLevel);
    rig.settings.SetMayChangePdfLevel(0);
    EXPECT_TRUE(rig.settings.Enabled().PdfLevel);
    rig.settings.SetMayChangePdfLevel(1);
    EXPECT_FALSE(rig.settings.Enabled().PdfLevel);
}

TEST_F(SettingsRulesTest, PerPageImagesDisableMailUntilUnchecked) {
    DialogRig rig;
    rig.settings.SetSendMail(0);
    rig.settings.SetOutputType(2);
    rig.settings.SetFilePerPage(true);
    const SettingsDialogEnabled& e = rig.settings.Enabled();
    for (bool on : {e.ShowMailDialog, e.SendMail, e.MailName, e.MailAddress, e.MailMode})
        EXPECT_FALSE(on);
    rig.settings.SetOutputType(3); // TIFF with SeiteCB checked keeps mail off
    for (bool on : {e.ShowMailDialog, e.SendMail, e.MailName, e.MailAddress, e.MailMode})
        EXPECT_FALSE(on);
    rig.settings.SetFilePerPage(false);
    for (bool on : {e.ShowMailDialog, e.SendMail, e.MailName, e.MailAddress, e.MailMode})
        EXPECT_TRUE(on);
    // With mail "Nein" the dialog box stays off when SeiteCB is unchecked.
    rig.settings.SetSendMail(1);
    rig.settings.SetFilePerPage(true);
    rig.settings.SetFilePerPage(false);
    EXPECT_FALSE(e.ShowMailDialog);
    EXPECT_TRUE(e.SendMail);
}

TEST_F(SettingsRulesTest, ServerModeEditsAreKeptByImagesAndReopenedByPdfUntilShown) {
    DialogRig rig;
    rig.settings.SetMailMode(1);
    const SettingsDialogEnabled& e = rig.settings.Enabled();
    EXPECT_FALSE(e.MailName);
    rig.settings.SetOutputType(2);
    EXPECT_FALSE(e.MailName) << "JPEG keeps the mail edits";
    rig.settings.SetOutputType(0);
    EXPECT_TRUE(e.MailName) << "PDF enables them also in server mode";
    EXPECT_TRUE(e.MailAddress);
    rig.settings.FormShow();
    EXPECT_FALSE(e.MailName) << "the next showing disables them again";
    EXPECT_FALSE(e.MailAddress);
}

TEST_F(SettingsRulesTest, WatermarkWithoutPdftkIsKeptOnReturnToPdf) {
    DialogRig rig(false);
    rig.settings.SetOutputType(1);
    EXPECT_FALSE(rig.settings.Enabled().StampWatermark);
    rig.settings.SetOutputType(0);
    EXPECT_FALSE(rig.settings.Enabled().StampWatermark) << "without pdftk.exe the box is not offered";
}

struct MailRow {
    int Format;
    int Mail;
    bool MDCB1Enabled;
    bool MDCB1Checked;
    bool AnzeigenEnabled;
    bool AnzeigenChecked;
};

class MailRuleTest : public testing::TestWithParam<MailRow> {
protected:
    void SetUp() override { dialogtest::LoadGermanTexts(); }
};

TEST_P(MailRuleTest, MailChoiceSetsDialogBoxAndReader) {
    const MailRow row = GetParam();
    DialogRig rig;
    rig.settings.SetOutputType(row.Format);
    rig.settings.SetShowMailDialog(true);
    rig.settings.SetShowInReader(true);
    rig.values.SendMail = -1;
    rig.settings.SetSendMail(row.Mail);
    EXPECT_EQ(rig.settings.Enabled().ShowMailDialog, row.MDCB1Enabled);
    EXPECT_EQ(rig.values.ShowMailDialog, row.MDCB1Checked);
    EXPECT_EQ(rig.settings.Enabled().ShowInReader, row.AnzeigenEnabled);
    EXPECT_EQ(rig.values.ShowInReader, row.AnzeigenChecked);
}

INSTANTIATE_TEST_SUITE_P(Modes, MailRuleTest,
                         testing::Values(MailRow{0, 0, true, true, false, false},  // mail on: no reader
                                         MailRow{0, 1, false, false, true, true},  // mail off under PDF
                                         MailRow{2, 1, false, false, false, true}, // mail off under JPEG
                                         MailRow{2, 0, true, true, false, false}));

TEST_F(SettingsRulesTest, NormalAndServerModeSwapTheirControls) {
    DialogRig rig;
    const SettingsDialogEnabled& e = rig.settings.Enabled();
    rig.settings.SetMailMode(1);
    for (bool on : {e.MailName, e.MailNameLabel, e.MailAddress, e.MailAddressLabel})
        EXPECT_FALSE(on);
    for (bool on : {e.MailDomain, e.MailDomainLabel, e.MailUserNameEnd, e.MailUserNameEndLabel, e.MailUserNameDigits,
                    e.MailUserNameDigitsLabel})
        EXPECT_TRUE(on);
    rig.settings.SetMailMode(0);
    for (bool on : {e.MailName, e.MailNameLabel, e.MailAddress, e.MailAddressLabel})
        EXPECT_TRUE(on);
    for (bool on : {e.MailDomain, e.MailDomainLabel, e.MailUserNameEnd, e.MailUserNameEndLabel, e.MailUserNameDigits,
                    e.MailUserNameDigitsLabel})
        EXPECT_FALSE(on);
}

TEST_F(SettingsRulesTest, AutomaticStartKeepingInputsDisablesTheReaderBox) {
    struct Row {
        int Autostart, Loeschen;
        bool Enabled;
    };
    for (Row row : {Row{0, 1, false}, Row{0, 0, true}, Row{1, 1, true}, Row{1, 0, true}}) {
        DialogRig rig;
        rig.settings.SetShowInReader(true);
        rig.values.AutoStart = rig.values.DeleteInputs = -1;
        rig.settings.SetAutoStart(row.Autostart);
        rig.settings.SetDeleteInputs(row.Loeschen);
        EXPECT_EQ(rig.settings.Enabled().ShowInReader, row.Enabled) << row.Autostart << row.Loeschen;
        EXPECT_TRUE(rig.values.ShowInReader) << "the check state is kept";
    }
}

TEST_F(SettingsRulesTest, AutoRotationStringChangesAtOnce) {
    DialogRig rig;
    rig.settings.SetAutoRotatePages(1);
    EXPECT_EQ(rig.main.AutoRotateOption, L"-dAutoRotatePages=/None ");
    rig.settings.SetAutoRotatePages(0);
    EXPECT_EQ(rig.main.AutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
}

TEST_F(SettingsRulesTest, PollPeriodBelowZeroBecomesZero) {
    DialogRig rig;
    rig.settings.SetPollSeconds(-5);
    EXPECT_EQ(rig.values.PollSeconds, 0);
    rig.settings.SetPollSeconds(3000000);
    EXPECT_EQ(rig.values.PollSeconds, 3000000) << "no upper limit";
}

TEST_F(SettingsRulesTest, UserNameDigitsTakeDigitsAndBackspaceOnly) {
    for (wchar_t c = 1; c < 128; ++c)
        EXPECT_EQ(SettingsDialogModel::MailUserNameDigitsAcceptsKey(c), (c >= L'0' && c <= L'9') || c == L'\b')
            << int(c);
    struct Row {
        const wchar_t* In;
        const wchar_t* Out;
    };
    for (Row row : {Row{L"999", L"255"}, Row{L"256", L"255"}, Row{L"255", L"255"}, Row{L"12", L"12"}, Row{L"", L""},
                    Row{L"007", L"007"}})
        EXPECT_EQ(SettingsDialogModel::MailUserNameDigitsAfterEditing(row.In), row.Out) << row.In;
    DialogRig rig;
    rig.settings.SetMailUserNameDigits(L"9999");
    EXPECT_EQ(rig.values.MailUserNameDigits, L"999") << "at most three characters";
    rig.settings.MailUserNameDigitsLeft();
    EXPECT_EQ(rig.values.MailUserNameDigits, L"255");
}

TEST_F(SettingsRulesTest, CreationWithoutFileKeepsDesignValuesAndDefaultProgram) {
    DialogRig rig;
    rig.settings.FormCreate(rig.IniPath());
    DialogSettings design;
    EXPECT_EQ(rig.values, design);
    EXPECT_EQ(rig.values.GhostscriptProgram, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
    EXPECT_FALSE(rig.settings.Enabled().PdfLevel) << "JNRG1 is Nein";
    EXPECT_EQ(rig.main.Caption, L"Umwandeln in PDF");
    EXPECT_TRUE(rig.settings.Enabled().ShowMailDialog) << "start-up offers the mail box for PDF whatever mail says";
}

TEST_F(SettingsRulesTest, CreationReadsTheFileThroughTheRules) {
    DialogRig rig;
    testenv::WriteFileBytes(rig.IniPath(), "[Start]\r\nFormat=2\r\nSeiteJN=1\r\nWasserzeichen=1\r\n"
                                           "[eMail]\r\nVersand=0\r\nBetrieb=1\r\n"
                                           "[Kompatibilit\xE4t]\r\nLevel\xE4nderung=0\r\nLevel=2\r\n"
                                           "[Dateien]\r\nProgrammdatei=\r\n");
    rig.settings.FormCreate(rig.IniPath());
    const SettingsDialogEnabled& e = rig.settings.Enabled();
    EXPECT_EQ(rig.values.GhostscriptProgram, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe")
        << "an empty path becomes the default";
    EXPECT_EQ(rig.values.OutputType, 2);
    EXPECT_EQ(rig.values.PdfLevel, 2);
    EXPECT_EQ(rig.main.Caption, L"Umwandeln in JPEG");
    for (bool on :
         {e.ShowMailDialog, e.SendMail, e.MailName, e.MailAddress, e.MailMode, e.StampWatermark, e.WatermarkFile})
        EXPECT_FALSE(on);
    EXPECT_TRUE(e.MailDomain) << "server mode";
    EXPECT_TRUE(rig.values.StampWatermark) << "pdftk.exe is there, so the stored check stays";
    EXPECT_TRUE(e.ImageResolution);
    EXPECT_TRUE(e.JpegQuality);
}

TEST_F(SettingsRulesTest, CreationWithoutPdftkUnchecksTheWatermark) {
    DialogRig rig(false);
    testenv::WriteFileBytes(rig.IniPath(), "[Start]\r\nWasserzeichen=1\r\n[Dateien]\r\nWasserzeichen=C:\\w.pdf\r\n");
    rig.settings.FormCreate(rig.IniPath());
    EXPECT_FALSE(rig.values.StampWatermark);
    EXPECT_EQ(rig.values.WatermarkFile, L"C:\\w.pdf");
    EXPECT_FALSE(rig.main.WatermarkIndicator);
}

TEST_F(SettingsRulesTest, ShowingSetsPdftkNotesAndTheWatermarkBox) {
    {
        DialogRig rig;
        EXPECT_TRUE(rig.settings.FormShow()) << "PDF: EncryptBt takes the focus";
        EXPECT_EQ(rig.settings.PdftkLabel(), Texts().Get(L"PDFTK1"));
        EXPECT_EQ(rig.settings.PdftkLabel2(), Texts().Get(L"PDFTK3"));
        EXPECT_FALSE(rig.settings.PdftkLabel().empty());
        EXPECT_TRUE(rig.settings.Enabled().StampWatermark);
    }
    {
        DialogRig rig(false);
        rig.settings.SetStampWatermark(true);
        rig.settings.FormShow();
        EXPECT_EQ(rig.settings.PdftkLabel(), Texts().Get(L"PDFTK2"));
        EXPECT_FALSE(rig.settings.Enabled().StampWatermark);
        EXPECT_FALSE(rig.values.StampWatermark);
        EXPECT_FALSE(rig.main.WatermarkIndicator);
    }
    {
        DialogRig rig;
        rig.settings.SetOutputType(2);
        EXPECT_FALSE(rig.settings.FormShow());
        EXPECT_EQ(rig.settings.PdftkLabel(), Texts().Get(L"PDFTK2"));
        EXPECT_FALSE(rig.settings.Enabled().ShowInReader);
    }
    {
        DialogRig rig;
        rig.settings.SetSendMail(0);
        rig.settings.FormShow();
        EXPECT_FALSE(rig.settings.Enabled().ShowInReader) << "mail on: no reader";
    }
}

TEST_F(SettingsRulesTest, ActivationOpensTheSecurityDialogOnce) {
    DialogRig rig;
    rig.main.SecurityCheckRequest = true;
    EXPECT_TRUE(rig.settings.FormActivate());
    EXPECT_FALSE(rig.settings.FormActivate());
}

TEST_F(SettingsRulesTest, DestructionWritesOnlyWithoutASettingsFile) {
    DialogRig rig;
    rig.settings.SetGhostscriptProgram(L"D:\\gs\\gswin32c.exe");
    rig.settings.SetStampWatermark(true);
    EXPECT_TRUE(rig.settings.FormDestroy(rig.IniPath()));
    TIniFile ini(rig.IniPath());
    EXPECT_EQ(ini.ReadString(L"Dateien", L"Programmdatei", L""), L"D:\\gs\\gswin32c.exe");
    EXPECT_EQ(ini.ReadString(L"Start", L"Wasserzeichen", L"none"), L"none");
    rig.settings.SetGhostscriptProgram(L"E:\\other.exe");
    EXPECT_FALSE(rig.settings.FormDestroy(rig.IniPath()));
    EXPECT_EQ(ini.ReadString(L"Dateien", L"Programmdatei", L""), L"D:\\gs\\gswin32c.exe");
}

TEST(SettingsCommandsTest, PathsHandedToOtherProgramsAreQuoted) {
    const ReaderCall call = ReaderCallFor(L"acrord32.exe", L"C:\\Mein Ordner\\Wasser zeichen.pdf");
    EXPECT_EQ(call.File, L"acrord32.exe");
    EXPECT_EQ(call.Parameters, L"\"C:\\Mein Ordner\\Wasser zeichen.pdf\"");
    EXPECT_EQ(ManualPath(L"C:\\Program Files\\Ostrel"), L"C:\\Program Files\\Ostrel\\Kurzanleitung.pdf");
    EXPECT_EQ(ManualPath(L"C:\\"), L"C:\\Kurzanleitung.pdf");
    EXPECT_EQ(InitialDirOf(L"C:\\gs\\gs8.54\\bin\\gswin32c.exe"), L"C:\\gs\\gs8.54\\bin");
    EXPECT_EQ(InitialDirOf(L"C:\\gswin32c.exe"), L"C:\\");
    EXPECT_EQ(InitialDirOf(L"gswin32c.exe"), L"");
}

} // namespace
