// The settings dialog's rules, driven through the model as the dialog's controls drive it.
#include "RulesFakes.h"

#include <gtest/gtest.h>

using rulestest::RulesRig;

namespace {

class SettingsRulesTest : public testing::Test {};

struct FormatRow {
    int Format;
    const wchar_t* Caption;
    bool Pdf;  // EncryptBt, merge, GrafikenRG1, DPRG1, AutoRP, JNRG1, AnzeigenCB, watermark
    bool Mail; // MailRG1, NameEdit, MailEdit, NSRG1, MDCB1 (mail "Ja", SeiteCB unchecked)
    bool Dpi;  // Label2, SpinEdit2, SeiteCB, SeiteLB1
    bool Quality;
};

class FormatRuleTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatRuleTest, ClickShapesTheDialogAndTheMainWindow) {
    const FormatRow row = GetParam();
    RulesRig rig;
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
    RulesRig rig;
    rig.values.OutputType = -1;
    rig.settings.SetOutputType(0); // JNRG1 is "Nein" by design
    EXPECT_FALSE(rig.settings.Enabled().PdfLevel);
    rig.settings.SetMayChangePdfLevel(0);
    EXPECT_TRUE(rig.settings.Enabled().PdfLevel);
    rig.settings.SetMayChangePdfLevel(1);
    EXPECT_FALSE(rig.settings.Enabled().PdfLevel);
}

TEST_F(SettingsRulesTest, PerPageImagesDisableMailUntilUnchecked) {
    RulesRig rig;
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
    RulesRig rig;
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
    RulesRig rig(false);
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

class MailRuleTest : public testing::TestWithParam<MailRow> {};

TEST_P(MailRuleTest, MailChoiceSetsDialogBoxAndReader) {
    const MailRow row = GetParam();
    RulesRig rig;
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
    RulesRig rig;
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
        RulesRig rig;
        rig.settings.SetShowInReader(true);
        rig.values.AutoStart = rig.values.DeleteInputs = -1;
        rig.settings.SetAutoStart(row.Autostart);
        rig.settings.SetDeleteInputs(row.Loeschen);
        EXPECT_EQ(rig.settings.Enabled().ShowInReader, row.Enabled) << row.Autostart << row.Loeschen;
        EXPECT_TRUE(rig.values.ShowInReader) << "the check state is kept";
    }
}

TEST_F(SettingsRulesTest, AutoRotationStringChangesAtOnce) {
    RulesRig rig;
    rig.settings.SetAutoRotatePages(1);
    EXPECT_EQ(rig.main.AutoRotateOption, L"-dAutoRotatePages=/None ");
    rig.settings.SetAutoRotatePages(0);
    EXPECT_EQ(rig.main.AutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
}

TEST_F(SettingsRulesTest, PollPeriodBelowZeroBecomesZero) {
    RulesRig rig;
    rig.settings.SetPollSeconds(-5);
    EXPECT_EQ(rig.values.PollSeconds, 0);
    rig.settings.SetPollSeconds(3000000);
    EXPECT_EQ(rig.values.PollSeconds, 3000000) << "no upper limit";
}

TEST_F(SettingsRulesTest, UserNameDigitsTakeDigitsAndBackspaceOnly) {
    for (wchar_t c = 1; c < 128; ++c)
        EXPECT_EQ(SettingsRules::MailUserNameDigitsAcceptsKey(c), (c >= L'0' && c <= L'9') || c == L'\b') << int(c);
    struct Row {
        const wchar_t* In;
        const wchar_t* Out;
    };
    for (Row row : {Row{L"999", L"255"}, Row{L"256", L"255"}, Row{L"255", L"255"}, Row{L"12", L"12"}, Row{L"", L""},
                    Row{L"007", L"007"}})
        EXPECT_EQ(SettingsRules::MailUserNameDigitsAfterEditing(row.In), row.Out) << row.In;
    RulesRig rig;
    rig.settings.SetMailUserNameDigits(L"9999");
    EXPECT_EQ(rig.values.MailUserNameDigits, L"999") << "at most three characters";
    rig.settings.MailUserNameDigitsLeft();
    EXPECT_EQ(rig.values.MailUserNameDigits, L"255");
}

TEST_F(SettingsRulesTest, ShowingSetsPdftkNotesAndTheWatermarkBox) {
    {
        RulesRig rig;
        EXPECT_TRUE(rig.settings.FormShow()) << "PDF: EncryptBt takes the focus";
        EXPECT_EQ(rig.settings.PdftkLabel(), rulestest::GermanTexts().Get(L"PDFTK1"));
        EXPECT_EQ(rig.settings.PdftkLabel2(), rulestest::GermanTexts().Get(L"PDFTK3"));
        EXPECT_FALSE(rig.settings.PdftkLabel().empty());
        EXPECT_TRUE(rig.settings.Enabled().StampWatermark);
    }
    {
        RulesRig rig(false);
        rig.settings.SetStampWatermark(true);
        rig.settings.FormShow();
        EXPECT_EQ(rig.settings.PdftkLabel(), rulestest::GermanTexts().Get(L"PDFTK2"));
        EXPECT_FALSE(rig.settings.Enabled().StampWatermark);
        EXPECT_FALSE(rig.values.StampWatermark);
        EXPECT_FALSE(rig.main.WatermarkIndicator);
    }
    {
        RulesRig rig;
        rig.settings.SetOutputType(2);
        EXPECT_FALSE(rig.settings.FormShow());
        EXPECT_EQ(rig.settings.PdftkLabel(), rulestest::GermanTexts().Get(L"PDFTK2"));
        EXPECT_FALSE(rig.settings.Enabled().ShowInReader);
    }
    {
        RulesRig rig;
        rig.settings.SetSendMail(0);
        rig.settings.FormShow();
        EXPECT_FALSE(rig.settings.Enabled().ShowInReader) << "mail on: no reader";
    }
}

TEST_F(SettingsRulesTest, ActivationOpensTheSecurityDialogOnce) {
    RulesRig rig;
    rig.main.SecurityCheckRequest = true;
    EXPECT_TRUE(rig.settings.FormActivate());
    EXPECT_FALSE(rig.settings.FormActivate());
}

} // namespace
