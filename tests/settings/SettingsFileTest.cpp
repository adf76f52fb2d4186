// The settings bursts against real files through the system's profile functions.
#include "app/main/SettingsFile.h"
#include "core/SettingsKeys.h"
#include "core/SettingsValues.h"
#include "win/IniFile.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <windows.h>

namespace {

// Key lines of a stored file, as "section/key" in file order.
std::vector<std::string> KeyLines(const std::filesystem::path& file) {
    std::istringstream in(testenv::ReadFileBytes(file));
    std::vector<std::string> keys;
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 1 && line.front() == '[')
            section = line.substr(1, line.size() - 2);
        else if (auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(section + "/" + line.substr(0, eq));
    }
    return keys;
}

bool Contains(const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

class SettingsFileTest : public testing::Test {
protected:
    testenv::TempDir dir{L"set"};
    std::filesystem::path file = dir / L"Ostrel.ini";
    std::wstring path = file.wstring();

    void Write(const std::string& cp1252) { testenv::WriteFileBytes(file, cp1252); }
    std::string Bytes() const { return testenv::ReadFileBytes(file); }
};

// A dialog record with every value away from its built-in one.
DialogSettings Changed() {
    DialogSettings d;
    d.GhostscriptProgram = L"D:\\Programme\\gs\\gswin32c.exe";
    d.WatermarkFile = L"C:\\Stempel\\Wasser zeichen.pdf";
    d.DeleteInputs = 0;
    d.AutoStart = 0;
    d.OutputType = 2;
    d.ShowInReader = true;
    d.StampWatermark = true;
    d.FilePerPage = true;
    d.PdfLevel = 2;
    d.MayChangePdfLevel = 0;
    d.PdfResolution = 3;
    d.PdfPreset = 4;
    d.AutoRotatePages = 1;
    d.PollSeconds = 15;
    d.SendMail = 0;
    d.ShowMailDialog = false;
    d.MailMode = 1;
    d.MailName = L"Jürgen Weiß";
    d.MailAddress = L"j@example.org";
    d.MailDomain = L"example.org";
    d.MailUserNameEnd = L"_";
    d.MailUserNameDigits = L"12";
    d.ImageResolution = 150;
    d.JpegQuality = 90;
    return d;
}

SecuritySettings ChangedSecurity() {
    SecuritySettings s;
    s.KeyLength = 1;
    s.OwnerPasswordOn = true;
    s.OwnerPassword = L"Eigentümer 1";
    s.UserPasswordOn = true;
    s.UserPassword = L"öffnen";
    s.DenyPrinting = true;
    s.DenyHighQualityPrinting = true;
    s.DenyChanging = true;
    s.DenyCopying = true;
    s.DenyContentAccess = true;
    s.DenyFormFilling = true;
    return s;
}

TEST_F(SettingsFileTest, MissingFileKeepsEveryBuiltInValue) {
    MainSettings m;
    MainWindowSettings w;
    Start1Result r1 = ReadStart1(path, m, w);
    MainWindowSettings expectedWindow;
    expectedWindow.LeftHistory.assign(20, L"");
    expectedWindow.RightHistory.assign(20, L"");
    EXPECT_EQ(w, expectedWindow);
    EXPECT_EQ(m, MainSettings{});
    EXPECT_FALSE(r1.FontNameSet || r1.FontSizeSet || r1.FontStyleSet || r1.FontSpreads || r1.ColorSet);

    GsOptions o;
    EXPECT_FALSE(ReadStart2(path, m, o, r1.OptionIndexes));
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(o.GsResolutionOption, L" -r300");
    EXPECT_EQ(o.GsPdfSettingsOption, L" -dPDFSETTINGS=/default");
    EXPECT_EQ(o.GsAutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
    EXPECT_EQ(m.PollSeconds, 90);
    EXPECT_EQ(m.StartMode, 1);
    EXPECT_TRUE(m.OnlyPsPrn);

    DialogSettings d;
    d.GhostscriptProgram.clear();
    ReadDialogStart(path, d, L"");
    EXPECT_EQ(d, DialogSettings{});
    EXPECT_EQ(ReadStart3(path), L"");
    EXPECT_FALSE(std::filesystem::exists(file)) << "reading never creates the file";
}

TEST_F(SettingsFileTest, OnlyTheLanguageKeyGivesBuiltInsAndFixedDefaultOptions) {
    Write("[Sprache]\r\nAuswahl=English\r\n");
    MainSettings m;
    m.MailDialog = false; // the fixed default (true) wins over the current value
    m.KeepSecurity = true;
    m.CounterInFront = true;
    MainWindowSettings w;
    Start1Result r1 = ReadStart1(path, m, w);
    EXPECT_EQ(m.LanguageChoice, L"English");
    EXPECT_TRUE(m.MailDialog);
    EXPECT_FALSE(m.KeepSecurity);
    EXPECT_FALSE(m.CounterInFront);
    EXPECT_EQ(w.Left, 405);
    EXPECT_EQ(w.Height, 581);
    GsOptions o;
    EXPECT_TRUE(ReadStart2(path, m, o, r1.OptionIndexes));
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_EQ(o.GsResolutionOption, L" -r300");
    EXPECT_EQ(o.GsPdfSettingsOption, L" -dPDFSETTINGS=/default");
    EXPECT_EQ(o.GsAutoRotateOption, L"-dAutoRotatePages=/PageByPage ");
    DialogSettings d;
    ReadDialogStart(path, d, L"");
    EXPECT_EQ(d, DialogSettings{});
}

TEST_F(SettingsFileTest, NumbersAsStoredAndNonNumbersAsDefaults) {
    Write("[Timer]\r\nSekunden=0x10\r\n[Start]\r\nTray=yes\r\nAutostart=$0\r\n[Position]\r\nLinks=$1F\r\n"
          "Oben=abc\r\n[Ansicht]\r\nDTS=7\r\n");
    MainSettings m;
    MainWindowSettings w;
    Start1Result r1 = ReadStart1(path, m, w);
    EXPECT_FALSE(m.TrayOnMinimize);
    EXPECT_EQ(w.Left, 31);
    EXPECT_EQ(w.Top, 364);
    EXPECT_EQ(m.DateFormatIndex, 7) << "out of range is kept as read";
    GsOptions o;
    ReadStart2(path, m, o, r1.OptionIndexes);
    EXPECT_EQ(m.PollSeconds, 16);
    EXPECT_EQ(m.StartMode, 0);

    Write("[Start]\r\nTray=2\r\n");
    m.TrayOnMinimize = false;
    ReadStart1(path, m, w);
    EXPECT_TRUE(m.TrayOnMinimize);
}

TEST_F(SettingsFileTest, OtherSpellingsAreFoundByEveryReader) {
    Write("[Kompatibilit\xE4t]\r\nLevel\xE4nderung =0\r\nLevel=2\r\n[distiller]\r\nautorotatepages=1\r\n"
          "[Dateien]\r\nProgrammdatei=x.exe\r\n");
    MainSettings m;
    MainWindowSettings w;
    Start1Result r1 = ReadStart1(path, m, w);
    EXPECT_EQ(r1.OptionIndexes.AutoRotatePages, 1);
    EXPECT_EQ(r1.OptionIndexes.Level, 2);

    DialogSettings d;
    ReadDialogStart(path, d, L"");
    EXPECT_EQ(d.MayChangePdfLevel, 0);
    EXPECT_EQ(d.AutoRotatePages, 1);

    DialogSettings loaded;
    LoadStartSettings(path, loaded, L"");
    EXPECT_EQ(loaded.MayChangePdfLevel, 0);
    EXPECT_EQ(loaded.AutoRotatePages, 1);

    DialogSettings profile;
    SecuritySettings sec;
    ASSERT_TRUE(LoadProfile(path, profile, sec, L""));
    EXPECT_EQ(profile.MayChangePdfLevel, 0);
    EXPECT_EQ(profile.AutoRotatePages, 1);

    DialogSettings shown;
    GsOptions o;
    ReadShow(path, m, w, sec, shown, o);
    EXPECT_EQ(shown.MayChangePdfLevel, 0);
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3") << "from LevelRG1 of the dialog: 1";
}

TEST_F(SettingsFileTest, UmlautKeysAreWindows1252AndReadBack) {
    SaveStartSettings(path, Changed());
    MainSettings m;
    m.KeepSecurity = true;
    m.CounterInFront = true;
    WriteExit(path, m, MainWindowSettings{}, ChangedSecurity(), false);
    const std::string bytes = Bytes();
    for (const char* text :
         {"[Eingabedateien]\r\nL\xF6schen=0\r\n", "[Verschl\xFCsselung]\r\n", "Z\xE4hler vorne=1",
          "[Kompatibilit\xE4t]", "Level\xE4nderung=0", "[Aufl\xF6sung]", "Qualit\xE4t=90", "Dom\xE4nenname=example.org",
          "Name=J\xFCrgen Wei\xDF", "Hohe Aufl\xF6sung=1", "BerechtigungText=Eigent\xFCmer 1",
          "KennwortText=\xF6"
          "ffnen"})
        EXPECT_NE(bytes.find(text), std::string::npos) << text;

    DialogSettings d;
    ReadDialogStart(path, d, L"");
    EXPECT_EQ(d, Changed());
    SecuritySettings s;
    ReadSecurity(path, s);
    EXPECT_EQ(s, ChangedSecurity());
    MainSettings back;
    MainWindowSettings w;
    ReadStart1(path, back, w);
    EXPECT_TRUE(back.CounterInFront);
    EXPECT_TRUE(back.KeepSecurity);
}

TEST_F(SettingsFileTest, LineBreaksAreStrippedBeforeWriting) {
    DialogSettings d;
    d.MailName = L"abc\r\nAdresse=evil";
    d.MailAddress = L"a@b\n";
    SaveStartSettings(path, d);
    EXPECT_EQ(Bytes().find("\r\nAdresse=evil"), std::string::npos);
    DialogSettings back;
    ReadDialogStart(path, back, L"");
    EXPECT_EQ(back.MailName, L"abcAdresse=evil");
    EXPECT_EQ(back.MailAddress, L"a@b");
}

TEST_F(SettingsFileTest, RefusedWritesRaiseTheMessageWithTheFileName) {
    std::filesystem::create_directory(file);
    const std::wstring message = L"In " + path + L" kann nicht geschrieben werden";
    auto expectRefused = [&](auto&& write) {
        try {
            write();
            ADD_FAILURE() << "no exception";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), message);
        }
    };
    expectRefused([&] { SaveStartSettings(path, DialogSettings{}); });
    expectRefused([&] { WriteExit(path, MainSettings{}, MainWindowSettings{}, SecuritySettings{}, false); });
    expectRefused([&] { SavePosition(path, MainWindowSettings{}); });
    expectRefused([&] { SaveFolders(path, L"a", L"b"); });
    expectRefused([&] { SaveProfile(path, DialogSettings{}, SecuritySettings{}); });
    expectRefused([&] { WriteFirstRunFolders(path); });
    // A folder is no settings file: the dialog's exit write is attempted and refused too.
    expectRefused([&] { WriteDialogExit(path, DialogSettings{}); });
}

TEST_F(SettingsFileTest, ExitIsSkippedWithoutALanguageFile) {
    MainSettings m;
    m.KeepSecurity = true;
    EXPECT_FALSE(WriteExit(path, m, MainWindowSettings{}, ChangedSecurity(), true));
    EXPECT_FALSE(std::filesystem::exists(file));
    Write("[Sprache]\r\nAuswahl=English\r\n");
    EXPECT_FALSE(WriteExit(path, m, MainWindowSettings{}, ChangedSecurity(), true));
    EXPECT_EQ(Bytes(), "[Sprache]\r\nAuswahl=English\r\n");
    EXPECT_TRUE(WriteExit(path, m, MainWindowSettings{}, ChangedSecurity(), false));
    EXPECT_NE(Bytes(), "[Sprache]\r\nAuswahl=English\r\n");
}

TEST_F(SettingsFileTest, DialogExitWritesOnlyWithoutAFile) {
    ASSERT_TRUE(WriteDialogExit(path, Changed()));
    const std::vector<std::string> keys = KeyLines(file);
    EXPECT_EQ(keys.size(), 23u);
    EXPECT_FALSE(Contains(keys, "Start/Wasserzeichen"));
    EXPECT_TRUE(Contains(keys, "Dateien/Wasserzeichen"));
    EXPECT_EQ(keys.front(), "Dateien/Programmdatei");
    const std::string before = Bytes();
    DialogSettings other;
    EXPECT_FALSE(WriteDialogExit(path, other));
    EXPECT_EQ(Bytes(), before);
}

TEST_F(SettingsFileTest, StartSettingsSave24AndLoad23) {
    SaveStartSettings(path, Changed());
    std::vector<std::string> keys = KeyLines(file);
    EXPECT_EQ(keys.size(), 24u);
    EXPECT_TRUE(Contains(keys, "Start/Wasserzeichen"));

    DialogSettings loaded;
    LoadStartSettings(path, loaded, L"C:\\last.exe");
    DialogSettings expected = Changed();
    expected.StampWatermark = false; // not among the 23
    EXPECT_EQ(loaded, expected);

    // Programmdatei missing: the default is the program last run, not the field's text.
    Write("[Timer]\r\nSekunden=5\r\n");
    DialogSettings d = Changed();
    LoadStartSettings(path, d, L"C:\\last.exe");
    EXPECT_EQ(d.GhostscriptProgram, L"C:\\last.exe");
    EXPECT_EQ(d.PollSeconds, 5);
    EXPECT_EQ(d.MailName, Changed().MailName);
}

TEST_F(SettingsFileTest, DialogStartFillsAnEmptyProgramPathAndKeepsValuesTheProgramCanRun) {
    Write("[Dateien]\r\nProgrammdatei=\r\n[Start]\r\nFormat=9\r\n[Kompatibilit\xE4t]\r\nLevel=-4\r\n"
          "[Aufl\xF6sung]\r\ndpi2=900\r\nQualit\xE4t=-1\r\n[Timer]\r\nSekunden=-30\r\n");
    DialogSettings d;
    ReadDialogStart(path, d, L"");
    EXPECT_EQ(d.GhostscriptProgram, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe");
    // An index that names no item keeps the built-in choice instead of becoming the last item (TIFF).
    EXPECT_EQ(d.OutputType, 0);
    EXPECT_EQ(d.PdfLevel, 1);
    EXPECT_EQ(d.ImageResolution, 600);
    EXPECT_EQ(d.JpegQuality, 0);
    EXPECT_EQ(d.PollSeconds, 1) << "a poll period runs at least every second";
}

// What Ostrel.ini and profiles may hold versus what the program takes: indexes within their lists, a poll period
// of at least a second, an image resolution the conversion can run.
TEST_F(SettingsFileTest, StoredValuesAreTakenOnlyWithinWhatTheProgramCanRun) {
    struct Case {
        const char* Lines; // [Start] Format, [Auflösung] dpi2, [Timer] Sekunden, [Verschlüsselung] Sicherheit
        int Format, Dpi2, Seconds, KeyLength;
    };
    const Case cases[] = {
        {"Format=3\r\n[Aufl\xF6sung]\r\ndpi2=150\r\n[Timer]\r\nSekunden=7\r\n[Verschl\xFCsselung]\r\nSicherheit=1", 3,
         150, 7, 1},
        {"Format=6\r\n[Aufl\xF6sung]\r\ndpi2=0\r\n[Timer]\r\nSekunden=0\r\n[Verschl\xFCsselung]\r\nSicherheit=2", 0, 1,
         1, 0},
        {"Format=-1\r\n[Aufl\xF6sung]\r\ndpi2=-5\r\n[Timer]\r\nSekunden=-90\r\n[Verschl\xFCsselung]\r\nSicherheit=-1",
         0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Lines);
        Write(std::string("[Dateien]\r\nProgrammdatei=C:\\gs.exe\r\n[Start]\r\n") + c.Lines + "\r\n");
        DialogSettings fromStart;
        ReadDialogStart(path, fromStart, L"");
        DialogSettings fromProfile;
        SecuritySettings security;
        ASSERT_TRUE(LoadProfile(path, fromProfile, security, L""));
        for (const DialogSettings* d : {&fromStart, &fromProfile}) {
            EXPECT_EQ(d->OutputType, c.Format);
            EXPECT_EQ(d->ImageResolution, c.Dpi2);
            EXPECT_EQ(d->PollSeconds, c.Seconds);
        }
        EXPECT_EQ(security.KeyLength, c.KeyLength);
        MainSettings m;
        GsOptions options;
        ReadStart2(path, m, options, GsOptionIndexes{});
        EXPECT_EQ(m.PollSeconds, c.Seconds);
    }
}

TEST(SettingsValues, AStoredWindowIsFittedIntoTheWorkArea) {
    const WorkAreaRect area{0, 0, 1280, 1000};
    const WindowBounds fallback{405, 364, 786, 581};
    struct Case {
        WindowBounds Stored, Expected;
    };
    const Case cases[] = {
        {{100, 50, 800, 600}, {100, 50, 800, 600}},      // inside: as stored
        {{-30000, 50000, 800, 600}, {0, 400, 800, 600}}, // far off: moved the least onto the area
        {{1200, -20, 800, 600}, {480, 0, 800, 600}},     // partly off to the right and above
        {{10, 10, 99999, 5000}, {0, 0, 1280, 1000}},     // larger than the area: shrunk to it
        {{10, 10, 0, -4}, {10, 10, 786, 581}},           // no size: the built-in one
    };
    for (const Case& c : cases) {
        const WindowBounds got = FitIntoWorkArea(c.Stored, fallback, area);
        EXPECT_EQ(got, c.Expected) << c.Stored.Left << "," << c.Stored.Top << " " << c.Stored.Width << "x"
                                   << c.Stored.Height;
    }
    // A work area that does not start at the origin (a second screen to the left).
    EXPECT_EQ(FitIntoWorkArea({100, 100, 300, 200}, fallback, {-1024, 0, 0, 768}), (WindowBounds{-300, 100, 300, 200}));
}

TEST_F(SettingsFileTest, AStoredWindowFarOffTheScreenOpensOnIt) {
    Write("[Position]\r\nLinks=-30000\r\nOben=50000\r\nBreite=99999\r\nH\xF6he=0\r\n");
    MainSettings m;
    MainWindowSettings w;
    ReadStart1(path, m, w);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(w.Left, work.left);
    EXPECT_EQ(w.Width, work.right - work.left);
    EXPECT_EQ(w.Height, std::min<int>(581, work.bottom - work.top)) << "no stored height: the built-in one";
    EXPECT_EQ(w.Top + w.Height, work.bottom);
}

TEST_F(SettingsFileTest, ProfileCarries23PlusElevenKeys) {
    const std::wstring profile = (dir / L"Büro.ppf").wstring();
    SaveProfile(profile, Changed(), ChangedSecurity());
    const std::vector<std::string> keys = KeyLines(dir / L"Büro.ppf");
    EXPECT_EQ(keys.size(), 34u);
    EXPECT_FALSE(Contains(keys, "Start/Wasserzeichen"));
    EXPECT_TRUE(Contains(keys, "Verschl\xFCsselung/Hohe Aufl\xF6sung"));

    DialogSettings d;
    SecuritySettings s;
    ASSERT_TRUE(LoadProfile(profile, d, s, L""));
    DialogSettings expected = Changed();
    expected.StampWatermark = false;
    EXPECT_EQ(d, expected);
    EXPECT_EQ(s, ChangedSecurity());

    // A profile stored with the watermark checked does not switch it off either.
    DialogSettings watermarked;
    watermarked.StampWatermark = true;
    ASSERT_TRUE(LoadProfile(profile, watermarked, s, L""));
    EXPECT_TRUE(watermarked.StampWatermark);
}

TEST_F(SettingsFileTest, AFileWithoutProgramPathIsNoProfile) {
    Write("[Timer]\r\nSekunden=5\r\n[Verschl\xFCsselung]\r\nBerechtigungCheck=1\r\n");
    DialogSettings d = Changed();
    SecuritySettings s;
    EXPECT_FALSE(LoadProfile(path, d, s, L""));
    EXPECT_EQ(d, Changed());
    EXPECT_EQ(s, SecuritySettings{});
    // Once Ghostscript has run, its path stands in and the file loads.
    EXPECT_TRUE(LoadProfile(path, d, s, L"C:\\gs\\gs8.54\\bin\\gswin32c.exe"));
    EXPECT_EQ(d.PollSeconds, 5);
    EXPECT_TRUE(s.OwnerPasswordOn);
    EXPECT_EQ(s.OwnerPassword, L"");
}

TEST_F(SettingsFileTest, ExitAndStart1RoundTripTheMainWindow) {
    MainSettings m;
    m.TrayOnMinimize = true;
    m.OnlyPsPrn = false;
    m.CounterInFront = true;
    m.EditorProgram = L"C:\\Tools\\edit.exe";
    m.ReaderProgram = L"";
    m.DateFormatIndex = 2;
    MainWindowSettings w;
    w.Logdatei = true;
    w.Kommandozeile = true;
    w.SortExtL = false;
    w.SysHid = true;
    w.LeftGridLines = true;
    w.Deutsch = false;
    w.English = true;
    w.ColumnWidths = {200, 60, 90, 140, 33};
    w.Attr1 = false;
    w.SortColumn1 = 3;
    w.SortAscending2 = false;
    w.FontName = L"Arial";
    w.FontSize = 10;
    w.Style.Underline = true;
    w.PaneColor = 0x00E0FFFF;
    for (int i = 0; i < 25; ++i)
        w.LeftHistory.push_back(L"C:\\Links\\" + std::to_wstring(i));
    w.RightHistory = {L"D:\\Rechts"};
    ASSERT_TRUE(WriteExit(path, m, w, ChangedSecurity(), false));
    const std::vector<std::string> keys = KeyLines(file);
    EXPECT_EQ(keys.size(), 8u + 5 + 1 + 5 + 4 + 4 + 40) << "no security keys without KeepSecurity";
    EXPECT_NE(Bytes().find("Spalte5=0\r\n"), std::string::npos);
    EXPECT_NE(Bytes().find("Hintergrundfarbe=$00E0FFFF\r\n"), std::string::npos);
    EXPECT_NE(Bytes().find("Font-Style=4\r\n"), std::string::npos);
    EXPECT_NE(Bytes().find("Auswahl=English\r\n"), std::string::npos);
    EXPECT_NE(Bytes().find("Links-History19=C:\\Links\\19\r\n"), std::string::npos);
    EXPECT_EQ(Bytes().find("Links-History20"), std::string::npos);

    MainSettings m2;
    MainWindowSettings w2;
    Start1Result r = ReadStart1(path, m2, w2);
    EXPECT_TRUE(m2.TrayOnMinimize);
    EXPECT_TRUE(m2.CounterInFront);
    EXPECT_EQ(m2.EditorProgram, L"C:\\Tools\\edit.exe");
    EXPECT_EQ(m2.ReaderProgram, L"acrord32.exe") << "an empty reader becomes the default";
    EXPECT_EQ(m2.DateFormatIndex, 2);
    EXPECT_EQ(m2.LanguageChoice, L"English");
    EXPECT_TRUE(w2.Logdatei && w2.Kommandozeile && w2.SysHid && w2.Gitternetzlinien && w2.LeftGridLines);
    EXPECT_FALSE(w2.SortExtL);
    EXPECT_EQ(w2.ColumnWidths, (std::array<int, 5>{200, 60, 90, 140, 0}));
    EXPECT_FALSE(w2.Attr1);
    EXPECT_EQ(w2.SortColumn1, 3);
    EXPECT_FALSE(w2.SortAscending2);
    EXPECT_EQ(w2.FontName, L"Arial");
    EXPECT_EQ(w2.FontSize, 10);
    EXPECT_EQ(w2.Style, (FontStyle{false, false, true, false}));
    EXPECT_TRUE(r.FontNameSet && r.FontSizeSet && r.FontStyleSet && r.FontSpreads && r.ColorSet);
    EXPECT_EQ(w2.PaneColor, 0x00E0FFFF);
    ASSERT_EQ(w2.LeftHistory.size(), 20u);
    EXPECT_EQ(w2.LeftHistory[19], L"C:\\Links\\19");
    ASSERT_EQ(w2.RightHistory.size(), 20u);
    EXPECT_EQ(w2.RightHistory[0], L"D:\\Rechts");
    EXPECT_EQ(w2.RightHistory[1], L"");
    GsOptions o;
    ReadStart2(path, m2, o, r.OptionIndexes);
    EXPECT_FALSE(m2.OnlyPsPrn);
}

TEST_F(SettingsFileTest, FontStyleZeroKeepsTheOtherControlsFont) {
    Write("[Ansicht]\r\nFont-Name=Arial\r\nFont-Style=0\r\nHintergrundfarbe=clInfoBk\r\n");
    MainSettings m;
    MainWindowSettings w;
    w.Style.Bold = true;
    Start1Result r = ReadStart1(path, m, w);
    EXPECT_TRUE(r.FontNameSet);
    EXPECT_FALSE(r.FontSpreads);
    EXPECT_FALSE(r.FontStyleSet);
    EXPECT_TRUE(w.Style.Bold);
    EXPECT_TRUE(r.ColorSet);
    EXPECT_EQ(w.PaneColor, static_cast<std::int32_t>(0xFF000018));

    Write("[Ansicht]\r\nFont-Style=9\r\nHintergrundfarbe=kein\r\n");
    MainWindowSettings w2;
    r = ReadStart1(path, m, w2);
    EXPECT_TRUE(r.FontSpreads);
    EXPECT_FALSE(r.FontStyleSet);
    EXPECT_FALSE(r.ColorSet);
    EXPECT_EQ(w2.PaneColor, clWindow);
}

TEST_F(SettingsFileTest, ExitWritesTheSecurityRecordOnlyWhenKept) {
    MainSettings m;
    m.KeepSecurity = true;
    WriteExit(path, m, MainWindowSettings{}, ChangedSecurity(), false);
    std::vector<std::string> keys = KeyLines(file);
    ASSERT_GE(keys.size(), 11u);
    std::vector<std::string> last(keys.end() - 11, keys.end());
    for (size_t i = 0; i < 11; ++i) {
        const std::wstring wide = kSecurityKeys[i].Key;
        std::string narrow;
        for (wchar_t c : wide)
            narrow += static_cast<char>(c); // the key names are Windows-1252 below 0x100
        EXPECT_EQ(last[i], "Verschl\xFCsselung/" + narrow);
    }
}

TEST_F(SettingsFileTest, ShowReadsFixedDefaultsAndSetsTheMailControls) {
    Write("[eMail]\r\nName=N\r\nAdresse=A\r\nDom\xE4nenname=D\r\nBenutzername-Ende=.\r\n"
          "Benutzername-Stellen danach=3\r\nBetrieb=1\r\n[Verzeichnisse]\r\nEingabeverzeichnis=C:\\in\r\n"
          "[Verschl\xFCsselung]\r\nKennwortCheck=1\r\nKennwortText=k\r\n");
    MainSettings m;
    m.PollSeconds = 42;
    m.MailDialog = true;
    MainWindowSettings w;
    w.OutputFolder = L"stale";
    SecuritySettings s;
    DialogSettings d;
    d.PdfLevel = 2;
    d.MayChangePdfLevel = 0;
    d.SendMail = 1;
    d.ShowInReader = true;
    GsOptions o;
    o.GsCompatLevelOption = L" -dCompatibilityLevel=1.4";
    ShowResult r = ReadShow(path, m, w, s, d, o);
    EXPECT_EQ(d.PollSeconds, 42);
    EXPECT_EQ(d.MayChangePdfLevel, 1) << "Leveländerung missing: fixed default 1";
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.3");
    EXPECT_FALSE(d.ShowMailDialog);
    EXPECT_FALSE(r.MDCB1Enabled);
    EXPECT_TRUE(r.ShowInReaderEnabled);
    EXPECT_TRUE(d.ShowInReader);
    EXPECT_EQ(d.MailName, L"N");
    EXPECT_EQ(d.MailAddress, L"A");
    EXPECT_EQ(d.MailDomain, L"D");
    EXPECT_EQ(d.MailUserNameEnd, L".");
    EXPECT_EQ(d.MailUserNameDigits, L"3");
    EXPECT_EQ(d.MailMode, 1);
    EXPECT_EQ(w.InputFolder, L"C:\\in");
    EXPECT_EQ(w.OutputFolder, L"");
    EXPECT_EQ(s, SecuritySettings{}) << "not read without KeepSecurity";

    m.KeepSecurity = true;
    d.SendMail = 0;
    Write("[Kompatibilit\xE4t]\r\nLevel\xE4nderung=0\r\n[Verschl\xFCsselung]\r\nKennwortCheck=1\r\n"
          "KennwortText=k\r\n");
    d.MailName = L"kept?";
    r = ReadShow(path, m, w, s, d, o);
    EXPECT_TRUE(s.UserPasswordOn);
    EXPECT_EQ(s.UserPassword, L"k");
    EXPECT_TRUE(d.ShowMailDialog);
    EXPECT_TRUE(r.MDCB1Enabled);
    EXPECT_FALSE(r.ShowInReaderEnabled);
    EXPECT_FALSE(d.ShowInReader);
    EXPECT_EQ(d.MailName, L"") << "fixed default: empty";
    EXPECT_EQ(d.MailMode, 0);
    EXPECT_EQ(o.GsCompatLevelOption, L" -dCompatibilityLevel=1.4");
}

TEST_F(SettingsFileTest, PositionFoldersFirstRunAndStart3) {
    MainWindowSettings w;
    w.Left = 8;
    w.Top = 0;
    w.Width = 1024;
    w.Height = 700;
    SavePosition(path, w);
    EXPECT_EQ(KeyLines(file),
              (std::vector<std::string>{"Position/Links", "Position/Oben", "Position/Breite", "Position/H\xF6he"}));
    MainSettings m;
    MainWindowSettings back;
    ReadStart1(path, m, back);
    EXPECT_EQ(back.Left, 8);
    EXPECT_EQ(back.Width, 1024);
    EXPECT_EQ(back.Height, 700);

    WriteFirstRunFolders(path);
    EXPECT_EQ(ReadStart3(path), L"C:\\PDF\\OUT");
    SaveFolders(path, L"S:\\ein", L"T:\\aus");
    EXPECT_EQ(ReadStart3(path), L"T:\\aus");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(L"Verzeichnisse", L"Eingabeverzeichnis", L""), L"S:\\ein");
}

TEST(SettingsKeyTable, OrderAndSetsAsStored) {
    ASSERT_EQ(kDialogKeys.size(), 24u);
    EXPECT_STREQ(kDialogKeys[0].Key, L"Programmdatei");
    EXPECT_STREQ(kDialogKeys[5].DialogReadKey, L"Leveländerung ");
    EXPECT_STREQ(kDialogKeys[8].LoadStartReadKey, L"AutorotatePages");
    EXPECT_STREQ(kDialogKeys[23].Key, L"Qualität");
    int inExitSet = 0;
    for (const DialogKey& k : kDialogKeys)
        inExitSet += k.InDialogExitSet;
    EXPECT_EQ(inExitSet, 23);
    EXPECT_STREQ(kSecurityKeys[6].Key, L"Hohe Auflösung");
    EXPECT_TRUE(OstrelIniPath().ends_with(L"\\Ostrel.ini"));
}

} // namespace
