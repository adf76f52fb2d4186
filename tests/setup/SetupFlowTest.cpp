// The set-up window's steps against the stand-ins: what ran (in order, with which command line), what the registry
// holds afterwards, what was unpacked where, and every message in order.
#include "SetupSupport.h"

#include "app/common/AboutBox.h"
#include "installer/setup/SetupForms.h"
#include "installer/setup/SetupRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using setuptest::Exists;
using setuptest::Installation;
using setuptest::ReadString;
using Texts = std::vector<std::wstring>;

const std::wstring kMissingHead = L"Fehlenden Eintrag in der Windows-Registry erkannt:\r\r";
const std::wstring kGsMissing = kMissingHead + L"AFPL Ghostscript ist noch nicht installiert!";
const std::wstring kRedMonMissing = kMissingHead + L"RedMon ist noch nicht installiert!";
const std::wstring kManualMissing = L"Anleitung f\u00fcr 'Ostrel-Setup f\u00fcr W2K/XP' nicht gefunden!\r"
                                    L"Sie mu\u00df sich im gleichen Verzeichnis wie das Programm befinden.";
const std::wstring kPrinterPaths = L"Bitte Pfad zu 'pdf-Drucker.inf' UND 'catjetr1.ppd' ausw\u00e4hlen!";
const std::wstring kDone = L"Komplett-Setup wurde durchgef\u00fchrt.\rViel Spa\u00df mit Ostrel!";

std::wstring Q(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// ---- Pure pieces ------------------------------------------------------------------------------------------------

TEST(SetupPiecesTest, GhostscriptRootIsTheValueBeforeTheVersionFolder) {
    struct Case {
        const wchar_t* Value;
        const wchar_t* Root;
    };
    const Case cases[] = {
        {L"C:\\Programme\\gs\\gs8.54\\bin\\gsdll32.dll", L"C:\\Programme\\gs\\"},
        {L"D:\\gs8.54\\gs8.54\\bin\\gsdll32.dll", L"D:\\"},
        {L"C:\\gs\\GS8.54\\bin\\gsdll32.dll", L"C:\\gs\\GS8.54\\bin\\gsdll32.dll"}, // the test is case-sensitive
        {L"C:\\other\\gsdll32.dll", L"C:\\other\\gsdll32.dll"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.Value)));
        EXPECT_EQ(GhostscriptRootFromValue(c.Value), c.Root);
    }
}

TEST(SetupPiecesTest, PrinterCommandQuotesTheInfPath) {
    EXPECT_EQ(PrinterInstallCommand(L"C:\\Program Files\\ostrel\\pdf-drucker.inf"),
              L"rundll32 printui.dll,PrintUIEntry /if /b \"PDF-Drucker\" /f \"C:\\Program "
              L"Files\\ostrel\\pdf-drucker.inf\" /r \"RPT1:\" /m \"PDF-Drucker\"");
}

// ---- Start-up ---------------------------------------------------------------------------------------------------

TEST(SetupCreateTest, PrefillsFromTheProgramFolderWhenNothingIsInstalled) {
    Installation setup;
    setup.AddGhostscriptInstaller();
    setup.AddRedMonArchive();
    setup.AddPdftkArchive();
    TOstrel_Setup& form = setup.Create();
    EXPECT_EQ(setup.Texts(), (Texts{kGsMissing, kRedMonMissing}));
    const std::wstring folder = setup.ProgramFolder().wstring() + L"\\";
    EXPECT_EQ(form.Edit1.Text(), folder + L"gs854w32.exe");
    EXPECT_EQ(form.Edit2.Text(), folder + L"redmon17de.zip");
    EXPECT_EQ(form.pdftkEdit.Text(), folder + L"pdftk-1.41.exe.zip");
    EXPECT_FALSE(form.Kurzanleitungpdf1->Enabled());
    EXPECT_EQ(form.ZipArchive1.ExtrOptions, TExtrOpts{ExtrUpdate});
}

TEST(SetupCreateTest, InstalledPiecesShowTheirNoticesAndAreNotRunAgain) {
    Installation setup;
    setup.AddGhostscriptInstaller();
    setup.AddRedMonArchive();
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    setuptest::WriteString(PortSchluessel, PortWert, L"C:\\x\\redmon\\redfile.exe");
    testenv::WriteFileBytes(setup.ProgramFolder() / L"kurzanleitung.pdf", "%PDF-1.4\n");
    TOstrel_Setup& form = setup.Create();
    EXPECT_TRUE(setup.Texts().empty());
    EXPECT_EQ(form.Edit1.Text(), GhostscriptInstalledNotice);
    EXPECT_EQ(form.Edit2.Text(), RedMonInstalledNotice);
    EXPECT_TRUE(form.Kurzanleitungpdf1->Enabled());

    form.Button1Click();
    form.Button2Click();
    EXPECT_TRUE(setup.Log().empty());
    EXPECT_EQ(setup.Texts(), (Texts{L"RedMon ist schon auf dem PC installiert!"}));
    EXPECT_FALSE(Exists(setup.GsRoot() + L"RedMon"));
}

// ---- The complete set-up ----------------------------------------------------------------------------------------

TEST(SetupCompleteTest, RunsEveryStepInOrderAndCloses) {
    Installation setup;
    setup.AddGhostscriptInstaller();
    setup.AddRedMonArchive();
    setup.AddPdftkArchive();
    const std::wstring inf = setup.AddPrinterFiles();
    TOstrel_Setup& form = setup.Create();
    form.Edit3.SetText(inf);
    form.Edit4.SetText(setup.Scratch().wstring() + L"\\Drucker Dateien\\catjetr1.ppd");
    setup.Boxes.Records.clear();

    form.KomplettBtnClick();

    EXPECT_TRUE(Exists(L"c:\\pdf\\in"));
    EXPECT_TRUE(Exists(L"c:\\pdf\\out"));
    const std::wstring redMon = setup.GsRoot() + L"RedMon";
    const std::wstring folder = setup.ProgramFolder().wstring() + L"\\";
    EXPECT_EQ(setup.Log(), (Texts{L"gs854w32|" + Q(folder + L"gs854w32.exe"),
                                  L"setup|" + Q(redMon + L"\\setup.exe") + L"|port missing",
                                  L"rundll32|rundll32 printui.dll,PrintUIEntry /if /b \"PDF-Drucker\" /f " + Q(inf) +
                                      L" /r \"RPT1:\" /m \"PDF-Drucker\""}));
    EXPECT_EQ(setup.Texts(),
              (Texts{L"Ghostscript-Setup beendet!", kManualMissing, kRedMonMissing, L"RedMon-Setup beendet!",
                     L"pdftk-1.41.exe.zip wird nun entpackt!",
                     L"Fertig entpackt. Das Programm befindet sich nun im gleichen Verzeichnis wie Ostrel!", kDone}));

    // The archive went flat into the RedMon folder; the port points at its redirector.
    EXPECT_TRUE(Exists(redMon + L"\\setup.exe"));
    EXPECT_EQ(testenv::ReadFileBytes(redMon + L"\\redfile.exe"), "the redirector");
    EXPECT_FALSE(Exists(redMon + L"\\sub"));
    EXPECT_EQ(ReadString(PortSchluessel, L"Command"), setup.GsRoot() + L"redmon\\redfile.exe");
    EXPECT_EQ(ReadString(PortSchluessel, L"Arguments"), L"c:\\pdf\\in\"\\%d_%02d.ps\"");
    EXPECT_EQ(ReadString(PortSchluessel, L"Printer"), L"PDF-Drucker");
    unsigned long delay = 0;
    EXPECT_TRUE(setuptest::ReadDWord(PortSchluessel, L"Delay", delay));
    EXPECT_EQ(delay, 300u);
    EXPECT_EQ(testenv::ReadFileBytes(setup.ProgramFolder() / L"pdftk.exe"), "pdftk tool bytes");
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Busy());
}

TEST(SetupCompleteTest, MissingPiecesAreReportedAndThePassGoesOn) {
    Installation setup;
    testenv::WriteFileBytes(setup.ProgramFolder() / L"pdftk.exe", "already here");
    setup.AddPdftkArchive();
    TOstrel_Setup& form = setup.Create();
    form.Edit2.SetText(setup.Scratch().wstring() + L"\\nowhere.zip");
    form.Edit3.SetText(setup.AddPrinterFiles());
    setup.Boxes.Records.clear();

    form.KomplettBtnClick();

    EXPECT_TRUE(setup.Log().empty());
    // Without a Ghostscript installer the window is first shown at the end, and only then is the manual looked for.
    EXPECT_EQ(setup.Texts(),
              (Texts{kGsMissing, L"AFPL Ghostscript ist noch nicht installiert!",
                     L"pdftk.exe ist schon im Ostrel-Verzeichnis!", kPrinterPaths, kManualMissing, kDone}));
    EXPECT_EQ(testenv::ReadFileBytes(setup.ProgramFolder() / L"pdftk.exe"), "already here");
    bool found = true;
    ReadString(PortSchluessel, L"Command", &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(form.Visible());
}

// ---- Single steps -----------------------------------------------------------------------------------------------

TEST(SetupStepTest, PortIsNotConfiguredWhenTheSetupProgramCouldNotRun) {
    Installation setup;
    setup.AddRedMonArchive(false);
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    TOstrel_Setup& form = setup.Create();
    setup.Boxes.Records.clear();

    form.Button2Click();

    EXPECT_EQ(setup.Texts(), (Texts{kRedMonMissing, L"RedMon-Setup konnte nicht gestartet werden!"}));
    EXPECT_TRUE(Exists(setup.GsRoot() + L"RedMon\\redfile.exe"));
    bool found = true;
    ReadString(PortSchluessel, L"Command", &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(form.Busy());
}

TEST(SetupStepTest, AMissingArchiveIsToldAndTheStepGoesOn) {
    Installation setup;
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    TOstrel_Setup& form = setup.Create();
    form.Edit2.SetText(setup.Scratch().wstring() + L"\\nowhere.zip");
    setup.Boxes.Records.clear();

    form.Button2Click();

    const Texts texts = setup.Texts();
    ASSERT_GE(texts.size(), 3u);
    // The zip component's own message(s) come first; the step still reaches the set-up program and its outcome.
    EXPECT_EQ(texts[texts.size() - 2], kRedMonMissing);
    EXPECT_EQ(texts.back(), L"RedMon-Setup konnte nicht gestartet werden!");
}

TEST(SetupStepTest, PdftkStepUnpacksEvenWhenTheToolIsThere) {
    Installation setup;
    setup.AddPdftkArchive();
    testenv::WriteFileBytes(setup.ProgramFolder() / L"pdftk.exe", "older");
    TOstrel_Setup& form = setup.Create();
    setup.Boxes.Records.clear();
    form.Button5Click();
    EXPECT_EQ(setup.Texts(),
              (Texts{L"pdftk-1.41.exe.zip wird nun entpackt!",
                     L"Fertig entpackt. Das Programm befindet sich nun im gleichen Verzeichnis wie Ostrel!"}));
    EXPECT_TRUE(Exists(setup.ProgramFolder() / L"pdftk.exe"));

    form.pdftkEdit.SetText(L"");
    setup.Boxes.Records.clear();
    form.Button5Click();
    EXPECT_TRUE(setup.Texts().empty());
}

TEST(SetupStepTest, PrinterStepNeedsBothFiles) {
    Installation setup;
    TOstrel_Setup& form = setup.Create();
    const std::wstring inf = setup.AddPrinterFiles();
    struct Case {
        std::wstring Inf, Ppd;
    };
    for (const Case& c : {Case{inf, L""}, Case{L"", L"x.ppd"}}) {
        form.Edit3.SetText(c.Inf);
        form.Edit4.SetText(c.Ppd);
        setup.Boxes.Records.clear();
        form.Button3Click();
        EXPECT_EQ(setup.Texts(), (Texts{kPrinterPaths}));
    }
    EXPECT_TRUE(setup.Log().empty());
}

TEST(SetupStepTest, ClicksDuringAStepAreIgnored) {
    Installation setup;
    setup.AddGhostscriptInstaller();
    setup.AddPdftkArchive();
    TOstrel_Setup& form = setup.Create();
    setup.Boxes.Records.clear();
    bool busyInside = false;
    bool closable = true;
    setup.Boxes.OnBox = [&](const gui::TMessageBoxRecord& record) {
        if (record.Text != L"Ghostscript-Setup beendet!")
            return;
        busyInside = form.Busy();
        form.OnCloseQuery(&form, closable); // Alt+F4, Esc and "Beenden" all ask this
        form.Button5.Click();               // would unpack pdftk with two messages
        form.KomplettBtn.Click();           // would run the whole set-up
    };
    form.Button1.Click();
    setup.Boxes.OnBox = nullptr;
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(closable);
    bool closableAfter = false;
    form.OnCloseQuery(&form, closableAfter);
    EXPECT_TRUE(closableAfter);
    EXPECT_EQ(setup.Texts(), (Texts{L"Ghostscript-Setup beendet!", kManualMissing}));
    EXPECT_EQ(setup.Log().size(), 1u);
    EXPECT_FALSE(form.Busy());
    // Once the step is over the window takes clicks again.
    setup.Boxes.Records.clear();
    form.Button5.Click();
    EXPECT_EQ(setup.Texts().size(), 2u);
}

TEST(SetupStepTest, ShortGuideOpensFromTheProgramFolder) {
    Installation setup;
    TOstrel_Setup& form = setup.Create();
    std::vector<std::wstring> opened;
    TShellOpenHook previous = SetShellOpenHook([&](HWND, const std::wstring& address) {
        opened.push_back(address);
        return true;
    });
    SetCurrentDirectoryW(setup.Scratch().c_str()); // as a browse dialog may leave it
    form.Kurzanleitungpdf1Click();
    SetShellOpenHook(previous);
    EXPECT_EQ(opened, (Texts{setup.ProgramFolder().wstring() + L"\\kurzanleitung.pdf"}));
}

TEST(SetupDownloadTest, GhostscriptPageOpensOnlyOnYes) {
    Installation setup;
    TOstrel_Setup& form = setup.Create();
    std::vector<std::wstring> opened;
    TShellOpenHook previous = SetShellOpenHook([&](HWND, const std::wstring& address) {
        opened.push_back(address);
        return true;
    });
    setup.Boxes.Records.clear();
    setup.Boxes.Answers = {gui::mrNo, gui::mrYes};
    form.AFPLGhostscript8501Click();
    EXPECT_TRUE(opened.empty());
    form.AFPLGhostscript8501Click();
    SetShellOpenHook(previous);
    EXPECT_EQ(opened, (Texts{GhostscriptDownloadUrl}));
    ASSERT_EQ(setup.Boxes.Records.size(), 2u);
    EXPECT_EQ(setup.Boxes.Records[0].Text, L"Wollen Sie AFPL Ghostscript 8.54 downloaden?\rMit Klick auf JA wird die "
                                           L"Downloadseite aufgerufen!");
    EXPECT_EQ(setup.Boxes.Records[0].Type, gui::TMsgDlgType::mtConfirmation);
    EXPECT_EQ(setup.Boxes.Records[0].Buttons, gui::TMsgDlgButtons::mbYesNo);
    EXPECT_NE(std::wstring(GhostscriptDownloadUrl).find(L"/ghostscript/gs854w32.exe"), std::wstring::npos);
}

// ---- Downloads --------------------------------------------------------------------------------------------------

std::wstring FileUrl(const std::filesystem::path& file) {
    std::wstring url = L"file:///" + file.wstring();
    for (wchar_t& c : url)
        if (c == L'\\')
            c = L'/';
    return url;
}

TEST(SetupDownloadTest, FetchesIntoTheProgramFolderOrTellsTheFailure) {
    Installation setup;
    TOstrel_Setup& form = setup.Create();
    testenv::WriteFileBytes(setup.Scratch() / L"server.zip", "archive bytes");
    const std::wstring target = setup.ProgramFolder().wstring() + L"\\redmon17de.zip";

    form.RedMonUrl = FileUrl(setup.Scratch() / L"missing.zip");
    setup.Boxes.Records.clear();
    form.RedMon1Click();
    EXPECT_EQ(setup.Texts(),
              (Texts{L"Wollen Sie RedMon 1.7 downloaden?", L"Fehler beim Download von " + form.RedMonUrl +
                                                               L"\rEvtl. haben Sie keine Verbindung zum Internet?!"}));
    EXPECT_FALSE(Exists(target));

    form.RedMonUrl = FileUrl(setup.Scratch() / L"server.zip");
    setup.Boxes.Records.clear();
    setup.Boxes.Answers = {gui::mrNo};
    form.RedMon1Click();
    EXPECT_FALSE(Exists(target));

    setup.Boxes.Records.clear();
    form.RedMon1Click();
    EXPECT_EQ(setup.Texts(),
              (Texts{L"Wollen Sie RedMon 1.7 downloaden?", L"Download von RedMon 1.7 war erfolgreich!"}));
    EXPECT_EQ(testenv::ReadFileBytes(target), "archive bytes");
    EXPECT_EQ(form.Edit2.Text(), target);

    form.Edit2.SetText(L"");
    setup.Boxes.Records.clear();
    form.RedMon1Click();
    EXPECT_EQ(setup.Texts(), (Texts{L"Die Datei 'redmon17de.zip' ist schon vorhanden!"}));
    EXPECT_EQ(form.Edit2.Text(), target);
}

} // namespace

namespace {

// ---- The small forms --------------------------------------------------------------------------------------------

TEST(SetupFormsTest, CarryTheirTextsAndTheManualClosesOnEsc) {
    installer::TDownload download;
    EXPECT_EQ(download.Caption(), L"Download");
    EXPECT_EQ(download.Label1.Text(), L"Download l\u00e4uft...");
    EXPECT_TRUE(download.Label1.Font().Bold);

    installer::TInfo_Form info;
    EXPECT_EQ(info.ProductL.Text(), L"Ostrel-Setup");
    EXPECT_EQ(info.MailL.Text(), MakerMailAddress);

    installer::TAnleitung_Form manual;
    EXPECT_EQ(manual.Caption(), L"Anleitung - ESC-Taste f\u00fcr Schlie\u00dfen");
    EXPECT_TRUE(manual.KeyPreview);
    manual.Show();
    ASSERT_TRUE(manual.Visible());
    WORD other = VK_RETURN;
    manual.FormKeyDown(other, 0);
    EXPECT_TRUE(manual.Visible());
    WORD esc = VK_ESCAPE;
    manual.FormKeyDown(esc, 0);
    EXPECT_FALSE(manual.Visible());
}

} // namespace
