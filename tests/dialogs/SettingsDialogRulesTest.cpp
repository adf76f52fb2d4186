// The settings dialog's model as the program runs it: the settings file it reads at creation and writes at
// destruction, and the paths it hands to other programs (the rules alone are tested in tests/core).
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
