// Exact Ghostscript command lines for the settings combinations, the permission number and the password switches.
// (How the C runtime splits a quoted password: tests/settings/PasswordQuotingTest.cpp.)
#include "core/GhostscriptCommand.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kProgram = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";
// The command line names the program between double quotes, so a blank in its path cannot start another program.
const std::wstring kQuotedProgram = L"\"" + kProgram + L"\"";
const std::wstring kOutSwitch = L" -sOutputFile=\"C:\\PDF\\OUT\\a b.pdf";
const std::wstring kInArg = L" \"C:\\PDF\\IN\\a b.ps";
const std::wstring kTail = L" -sOutputFile=\"C:\\PDF\\OUT\\a b.pdf\" \"C:\\PDF\\IN\\a b.ps\"";

// The options as start-up leaves them for the given stored indexes.
GsOptions StartOptions(const GsOptionIndexes& indexes = {}) {
    GsOptions o;
    SetGsOptions(o, indexes);
    return o;
}

// One conversion as a pass runs it: switches once, then the command of one file.
std::wstring CommandFor(const DialogSettings& d, GsOptions& options, const SecuritySettings& sec = {},
                        int encryptCombo = 0) {
    std::optional<GsPassSwitches> pass = BuildPassSwitches(d, options, sec, encryptCombo);
    if (!pass)
        return L"<no pass>";
    return BuildGsCommandLine(pass->GhostscriptProgram, pass->GsDeviceSwitches, options, d.OutputType,
                              d.MayChangePdfLevel, kOutSwitch, kInArg);
}

TEST(GsOptions, TablesAndOutOfRangeIndexesKeepThePreviousString) {
    GsOptions o = StartOptions();
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(o.GsResolutionOption, L" -r300");
    EXPECT_EQ(o.GsPdfSettingsOption, L" -dPDFSETTINGS=/default");
    EXPECT_EQ(o.GsAutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
    SetGsOptions(o, {3, 3, 5, 2});
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(o.GsResolutionOption, L" -r600");
    EXPECT_EQ(o.GsPdfSettingsOption, L" -dPDFSETTINGS=/default");
    EXPECT_EQ(o.GsAutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
    SetGsOptions(o, {-1, -1, -1, -1});
    EXPECT_EQ(o.GsResolutionOption, L" -r600");
    GsOptions empty;
    SetGsOptions(empty, {7, 7, 7, 7});
    EXPECT_EQ(empty.GsCompatLevelOption, L"");
    EXPECT_EQ(empty.GsAutoRotateOption, L"");
}

TEST(GsCommandLine, DefaultSettingsLeaveTheLevelToGhostscript) {
    DialogSettings d;
    GsOptions o = StartOptions();
    EXPECT_EQ(CommandFor(d, o), kQuotedProgram +
                                    L" -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage "
                                    L"-sDEVICE=pdfwrite -dPDFSETTINGS=/default -r300" +
                                    kTail);
    EXPECT_EQ(o.GsCompatLevelOption, L"") << "emptied by the pass until the next rebuild";
}

TEST(GsCommandLine, LevelChangeAllowedGivesTheDocumentedExample) {
    DialogSettings d;
    d.MayChangePdfLevel = 0;
    GsOptions o = RebuildAfterSettingsDialog(d, StartOptions()).Options;
    EXPECT_EQ(CommandFor(d, o),
              kQuotedProgram +
                  L" -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite"
                  L" -dPDFSETTINGS=/default -r300 -dCompatibilityLevel=1.3" +
                  kTail);
}

struct PdfCase {
    int level, jnrg1, dpi, preset, rotate;
    const wchar_t* middle; // everything between "-sDEVICE=pdfwrite" and the output switch
    const wchar_t* rotation;
};

class PdfCombinations : public testing::TestWithParam<PdfCase> {};

TEST_P(PdfCombinations, ExactText) {
    const PdfCase& c = GetParam();
    DialogSettings d;
    d.PdfLevel = c.level;
    d.MayChangePdfLevel = c.jnrg1;
    d.PdfResolution = c.dpi;
    d.PdfPreset = c.preset;
    d.AutoRotatePages = c.rotate;
    GsOptions o = RebuildAfterSettingsDialog(d, StartOptions()).Options;
    EXPECT_EQ(CommandFor(d, o), kQuotedProgram + L" -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH " + c.rotation +
                                    L"-sDEVICE=pdfwrite" + c.middle + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PdfCombinations,
    testing::Values(PdfCase{0, 0, 0, 0, 0, L" -dPDFSETTINGS=/default -r72 -dCompatibilityLevel=1.2",
                            L"-dAutoRotatePages=/PageByPage "},
                    PdfCase{2, 0, 1, 1, 0, L" -dPDFSETTINGS=/screen -r96 -dCompatibilityLevel=1.4",
                            L"-dAutoRotatePages=/PageByPage "},
                    PdfCase{2, 1, 2, 2, 1, L" -dPDFSETTINGS=/ebook -r300", L"-dAutoRotatePages=/None "},
                    PdfCase{1, 0, 3, 3, 1, L" -dPDFSETTINGS=/printer -r600 -dCompatibilityLevel=1.3",
                            L"-dAutoRotatePages=/None "},
                    PdfCase{0, 1, 3, 4, 0, L" -dPDFSETTINGS=/prepress -r600", L"-dAutoRotatePages=/PageByPage "},
                    // Nothing selected in a group keeps the start-up strings.
                    PdfCase{-1, 0, -1, -1, -1, L" -dPDFSETTINGS=/default -r300 -dCompatibilityLevel=1.3",
                            L"-dAutoRotatePages=/PageByPage "}));

struct DeviceCase {
    int type, quality, dpi;
    const wchar_t* switches;
};

class OtherDevices : public testing::TestWithParam<DeviceCase> {};

TEST_P(OtherDevices, NoPdfOptionsFollowTheDevice) {
    const DeviceCase& c = GetParam();
    DialogSettings d;
    d.OutputType = c.type;
    d.JpegQuality = c.quality;
    d.ImageResolution = c.dpi;
    d.MayChangePdfLevel = 0;
    GsOptions o = StartOptions();
    EXPECT_EQ(CommandFor(d, o), kQuotedProgram + L" " + c.switches + kTail);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OtherDevices,
    testing::Values(DeviceCase{1, 75, 300, L"-dNOPAUSE -dBATCH -dSAFER -sDEVICE=pswrite"},
                    DeviceCase{2, 75, 300, L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=75 -r300"},
                    DeviceCase{2, 0, 0, L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=0 -r0"},
                    DeviceCase{3, 75, 200, L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiffg4 -r200"},
                    DeviceCase{4, 75, 600, L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tifflzw -r600"},
                    DeviceCase{5, 10, 72, L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiff24nc -r72"}));

TEST(GsCommandLine, NoOutputTypeNoPass) {
    DialogSettings d;
    d.OutputType = -1;
    EXPECT_FALSE(BuildPassSwitches(d, StartOptions(), {}, 0).has_value());
    EXPECT_FALSE(GsDeviceSwitchesFor(6, StartOptions(), 75, 300).has_value());
}

TEST(GsCommandLine, TheGhostscriptProgramComesQuoted) {
    struct Case {
        const wchar_t* program;
        const wchar_t* start; // how the command line begins
    };
    const Case cases[] = {
        {L"D:\\gs\\bin\\gswin32c.exe", L"\"D:\\gs\\bin\\gswin32c.exe\" -q "},
        // Unquoted, "C:\Program.exe" would run instead.
        {L"C:\\Program Files\\gs\\gswin32c.exe", L"\"C:\\Program Files\\gs\\gswin32c.exe\" -q "},
        {L"\"C:\\Program Files\\gs\\gswin32c.exe\"", L"\"C:\\Program Files\\gs\\gswin32c.exe\" -q "},
    };
    for (const Case& c : cases) {
        DialogSettings d;
        d.GhostscriptProgram = c.program;
        GsOptions o = StartOptions();
        const std::wstring command = CommandFor(d, o);
        EXPECT_EQ(command.rfind(c.start, 0), 0u) << std::string(command.begin(), command.end());
    }
}

SecuritySettings Denying(bool print, bool hq, bool change, bool copy, bool content, bool form) {
    SecuritySettings s;
    s.OwnerPasswordOn = true;
    s.OwnerPassword = L"owner";
    s.DenyPrinting = print;
    s.DenyHighQualityPrinting = hq;
    s.DenyChanging = change;
    s.DenyCopying = copy;
    s.DenyContentAccess = content;
    s.DenyFormFilling = form;
    return s;
}

struct PermissionCase {
    SecuritySettings sec;
    bool bits128;
    int expected;
};

class Permissions : public testing::TestWithParam<PermissionCase> {};

TEST_P(Permissions, Value) {
    EXPECT_EQ(PermissionValue(GetParam().sec, GetParam().bits128), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Permissions,
    testing::Values(
        PermissionCase{Denying(0, 0, 0, 0, 0, 0), true, -4}, PermissionCase{Denying(0, 0, 0, 0, 0, 0), false, -4},
        PermissionCase{Denying(1, 1, 1, 1, 1, 1), true, -3904}, PermissionCase{Denying(1, 1, 1, 1, 1, 1), false, -64},
        PermissionCase{Denying(1, 0, 0, 0, 0, 0), true, -8}, PermissionCase{Denying(0, 1, 0, 0, 0, 0), true, -2052},
        PermissionCase{Denying(0, 0, 1, 0, 0, 0), true, -1036}, PermissionCase{Denying(0, 0, 0, 1, 0, 0), true, -20},
        PermissionCase{Denying(0, 0, 0, 0, 1, 0), true, -516}, PermissionCase{Denying(0, 0, 0, 0, 0, 1), true, -292},
        PermissionCase{Denying(0, 0, 1, 0, 0, 0), false, -12}, PermissionCase{Denying(0, 0, 0, 0, 0, 1), false, -36},
        // 40 bits: high-quality print and content access do not count.
        PermissionCase{Denying(0, 1, 0, 0, 1, 0), false, -4}, PermissionCase{Denying(1, 1, 0, 1, 1, 0), false, -24}));

TEST(GsSecurity, Encrypted128BitPdfWithAllDenials) {
    DialogSettings d;
    GsOptions o = StartOptions();
    SecuritySettings s = Denying(1, 1, 1, 1, 1, 1);
    s.UserPasswordOn = true;
    s.UserPassword = L"open";
    EXPECT_EQ(CommandFor(d, o, s, 1),
              kQuotedProgram +
                  L" -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite"
                  L" -dEncryptionR#3 -dKeyLength#128 -sUserPassword=open -sOwnerPassword=owner"
                  L" -dPermissions#-3904 -dPDFSETTINGS=/default -r300" +
                  kTail);
}

TEST(GsSecurity, Encrypted40BitWithoutOpenPassword) {
    SecuritySettings s = Denying(1, 1, 1, 1, 1, 1);
    s.UserPassword = L"ignored while off";
    EXPECT_EQ(GsSecuritySwitches(s, 0, PasswordForm::Real),
              L" -dEncryptionR#2 -dKeyLength#40 -sOwnerPassword=owner -dPermissions#-64");
    // The key length follows the dialog's selection, not the stored Sicherheit.
    s.KeyLength = 1;
    EXPECT_EQ(GsSecuritySwitches(s, 0, PasswordForm::Real).substr(0, 31), L" -dEncryptionR#2 -dKeyLength#40");
}

TEST(GsSecurity, OwnerPasswordOffOrEmptyGivesNoSwitches) {
    SecuritySettings s = Denying(1, 0, 0, 0, 0, 0);
    s.UserPasswordOn = true;
    s.UserPassword = L"open";
    s.OwnerPassword.clear();
    EXPECT_EQ(GsSecuritySwitches(s, 1, PasswordForm::Real), L"");
    s.OwnerPassword = L"owner";
    s.OwnerPasswordOn = false;
    EXPECT_EQ(GsSecuritySwitches(s, 1, PasswordForm::Real), L"");
}

TEST(GsSecurity, EmptyOpenPasswordIsPassedEmpty) {
    SecuritySettings s = Denying(0, 0, 0, 0, 0, 0);
    s.UserPasswordOn = true;
    EXPECT_EQ(GsSecuritySwitches(s, 1, PasswordForm::Real),
              L" -dEncryptionR#3 -dKeyLength#128 -sUserPassword= -sOwnerPassword=owner -dPermissions#-4");
}

TEST(GsSecurity, DisplayFormHidesThePasswords) {
    DialogSettings d;
    SecuritySettings s = Denying(0, 0, 0, 1, 0, 0);
    s.OwnerPassword = L"top secret";
    s.UserPasswordOn = true;
    s.UserPassword = L"open";
    std::optional<GsPassSwitches> pass = BuildPassSwitches(d, StartOptions(), s, 1);
    ASSERT_TRUE(pass.has_value());
    EXPECT_EQ(pass->GsDeviceSwitchesDisplay,
              L"-q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite"
              L" -dEncryptionR#3 -dKeyLength#128 -sUserPassword=*** -sOwnerPassword=*** -dPermissions#-20");
    EXPECT_EQ(pass->GsDeviceSwitches.find(L"***"), std::wstring::npos);
    EXPECT_NE(pass->GsDeviceSwitches.find(L"\"-sOwnerPassword=top secret\""), std::wstring::npos);
}

TEST(SettingsDialogClose, RebuildsOptionsDeleteFlagAndTimer) {
    DialogSettings d;
    d.MayChangePdfLevel = 1;
    d.PdfLevel = 2;
    d.DeleteInputs = 0;
    d.PollSeconds = 30;
    GsOptions previous = StartOptions({0, 0, 1, 1});
    previous.GsCompatLevelOption.clear(); // as a pass leaves it
    SettingsDialogClosed r = RebuildAfterSettingsDialog(d, previous);
    EXPECT_EQ(r.Options.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(r.Options.GsResolutionOption, L" -r300");
    EXPECT_EQ(r.Options.GsPdfSettingsOption, L" -dPDFSETTINGS=/default");
    EXPECT_EQ(r.Options.GsAutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
    EXPECT_TRUE(r.DeleteInputs);
    EXPECT_EQ(r.PollSeconds, 30);
    EXPECT_EQ(r.TimerInterval, 30000u);

    d.MayChangePdfLevel = 0;
    d.PdfLevel = -1;
    d.DeleteInputs = 1;
    EXPECT_EQ(RebuildAfterSettingsDialog(d, previous).Options.GsCompatLevelOption, L"");
    EXPECT_FALSE(RebuildAfterSettingsDialog(d, previous).DeleteInputs);
    d.PdfLevel = 2;
    EXPECT_EQ(RebuildAfterSettingsDialog(d, previous).Options.GsCompatLevelOption, L" -dCompatibilityLevel=1.4");
}

TEST(SettingsDialogClose, TimerIntervalIsHeldAtTheTimerMaximum) {
    EXPECT_EQ(TimerIntervalFor(90), 90000u);
    EXPECT_EQ(TimerIntervalFor(0), 0u);
    EXPECT_EQ(TimerIntervalFor(-5), 0u);
    EXPECT_EQ(TimerIntervalFor(2147483), 2147483000u);
    EXPECT_EQ(TimerIntervalFor(2147484), 0x7FFFFFFFu);
    EXPECT_EQ(TimerIntervalFor(2147483647), 0x7FFFFFFFu);
    DialogSettings d;
    d.PollSeconds = 2147483647;
    EXPECT_EQ(RebuildAfterSettingsDialog(d, {}).TimerInterval, 0x7FFFFFFFu);
}

} // namespace
