// The set-up window's steps against the stand-ins: what ran (in order, with which command line), what the registry
// holds afterwards, what was unpacked where, and every message in order.
#include "SetupSupport.h"

#include "app/common/AboutBox.h"
#include "installer/setup/SetupForms.h"
#include "installer/setup/SetupRegistry.h"
#include "support/ZipWriter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

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
const std::wstring kIncomplete = L"Das Komplett-Setup wurde nicht vollst\u00e4ndig durchgef\u00fchrt.\r"
                                 L"Bitte beheben Sie die gemeldeten Fehler und wiederholen Sie die Schritte einzeln.";

std::wstring NotUnpacked(const std::wstring& archive) {
    return L"Die Datei '" + archive + L"' konnte nicht entpackt werden!";
}

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
    // Ghostscript and the printer are missing: no success is claimed, and the window stays for the single steps.
    EXPECT_EQ(setup.Texts(),
              (Texts{kGsMissing, L"AFPL Ghostscript ist noch nicht installiert!",
                     L"pdftk.exe ist schon im Ostrel-Verzeichnis!", kPrinterPaths, kManualMissing, kIncomplete}));
    EXPECT_EQ(testenv::ReadFileBytes(setup.ProgramFolder() / L"pdftk.exe"), "already here");
    bool found = true;
    ReadString(PortSchluessel, L"Command", &found);
    EXPECT_FALSE(found);
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(form.Busy());
}

TEST(SetupCompleteTest, AFailedExtractionIsNeitherCalledDoneNorTheSetupComplete) {
    Installation setup;
    setup.AddPdftkArchive("this is no archive");
    TOstrel_Setup& form = setup.Create();
    form.Edit2.SetText(RedMonInstalledNotice);
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    const std::wstring inf = setup.AddPrinterFiles();
    form.Edit3.SetText(inf);
    form.Edit4.SetText(setup.Scratch().wstring() + L"\\Drucker Dateien\\catjetr1.ppd");
    setup.Boxes.Records.clear();

    form.KomplettBtnClick();

    const std::wstring archive = setup.ProgramFolder().wstring() + L"\\pdftk-1.41.exe.zip";
    EXPECT_EQ(setup.Texts(),
              (Texts{L"RedMon ist schon auf dem PC installiert!", L"pdftk-1.41.exe.zip wird nun entpackt!",
                     L"This archive is not a valid Zip archive", NotUnpacked(archive), kManualMissing, kIncomplete}));
    EXPECT_FALSE(Exists(setup.ProgramFolder() / L"pdftk.exe"));
    EXPECT_EQ(setup.Log().size(), 1u) << "the printer step still ran";
    EXPECT_TRUE(form.Visible());
}

// ---- Single steps -----------------------------------------------------------------------------------------------

TEST(SetupStepTest, PortIsNotConfiguredWhenTheSetupProgramCouldNotRun) {
    Installation setup;
    setup.AddRedMonArchive(false);
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    TOstrel_Setup& form = setup.Create();
    setup.Boxes.Records.clear();

    form.Button2Click();

    const Texts texts = setup.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], kRedMonMissing);
    // The system's reason follows on a line of its own.
    const std::wstring head = L"RedMon-Setup konnte nicht gestartet werden!\r";
    EXPECT_EQ(texts[1].substr(0, head.size()), head);
    EXPECT_GT(texts[1].size(), head.size());
    EXPECT_TRUE(Exists(setup.GsRoot() + L"RedMon\\redfile.exe"));
    bool found = true;
    ReadString(PortSchluessel, L"Command", &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(form.Busy());
}

TEST(SetupStepTest, AnArchiveThatCannotBeUnpackedEndsTheRedMonStep) {
    Installation setup;
    setuptest::WriteString(GhostscriptSchluessel, GhostscriptWert, setup.GsDllValue());
    TOstrel_Setup& form = setup.Create();
    const std::wstring archive = setup.Scratch().wstring() + L"\\nowhere.zip";
    form.Edit2.SetText(archive);
    setup.Boxes.Records.clear();

    form.Button2Click();

    // The component's reason, then the step's end: no set-up program, no port.
    EXPECT_EQ(setup.Texts(), (Texts{L"Input file does not exist", NotUnpacked(archive)}));
    EXPECT_TRUE(setup.Log().empty());
    bool found = true;
    ReadString(PortSchluessel, L"Command", &found);
    EXPECT_FALSE(found);
}

// What the pdftk step says for an archive it cannot unpack: its announcement, the reason once, and that it failed.
struct BadArchiveCase {
    const char* What;
    std::string Bytes; // empty: no archive at all
    std::wstring Reason;
};

TEST(SetupStepTest, PdftkIsOnlyCalledUnpackedWhenItWas) {
    const auto good = testzip::BuildZip({testzip::Entry("pdftk.exe", "pdftk tool bytes")});
    std::string crc = good.Bytes;
    crc[good.LocalHeaders[0] + 30 + 9 + 3] ^= 0x20;
    const BadArchiveCase cases[] = {
        {"no archive", "", L"Input file does not exist"},
        {"not an archive", "plain text, no zip", L"This archive is not a valid Zip archive"},
        {"damaged member", crc, L"CRC error, the entry is not written: pdftk.exe"},
        {"member outside the folder", testzip::MakeZip({testzip::Entry("../pdftk.exe", "evil")}),
         L"Refused name outside the extract folder: ..\\pdftk.exe"},
    };
    for (const BadArchiveCase& c : cases) {
        SCOPED_TRACE(c.What);
        Installation setup;
        if (!c.Bytes.empty())
            setup.AddPdftkArchive(c.Bytes);
        TOstrel_Setup& form = setup.Create();
        const std::wstring archive = setup.ProgramFolder().wstring() + L"\\pdftk-1.41.exe.zip";
        form.pdftkEdit.SetText(archive);
        setup.Boxes.Records.clear();
        form.Button5Click();
        EXPECT_EQ(setup.Texts(), (Texts{L"pdftk-1.41.exe.zip wird nun entpackt!", c.Reason, NotUnpacked(archive)}));
        EXPECT_FALSE(Exists(setup.ProgramFolder() / L"pdftk.exe"));
        EXPECT_FALSE(Exists(setup.Scratch() / L"pdftk.exe"));
    }
}

TEST(SetupStepTest, WithoutAUsableUnzipLibraryNothingIsCalledUnpacked) {
    for (setuptest::UnzipLibrary library : {setuptest::UnzipLibrary::Missing, setuptest::UnzipLibrary::Damaged}) {
        const bool missing = library == setuptest::UnzipLibrary::Missing;
        SCOPED_TRACE(missing ? "missing" : "damaged");
        Installation setup(library);
        setup.AddPdftkArchive();
        TOstrel_Setup& form = setup.Create();
        // A missing library is looked for by its bare name; a damaged one is named by its path.
        const std::wstring reason = L"Failed to load " + (missing ? std::wstring(L"UNZDLL.DLL")
                                                                  : setup.ProgramFolder().wstring() + L"\\UNZDLL.DLL");
        EXPECT_EQ(setup.Texts(), (Texts{reason, kGsMissing, kRedMonMissing}));
        setup.Boxes.Records.clear();
        form.Button5Click();
        EXPECT_EQ(setup.Texts(), (Texts{L"pdftk-1.41.exe.zip wird nun entpackt!", reason,
                                        NotUnpacked(setup.ProgramFolder().wstring() + L"\\pdftk-1.41.exe.zip")}));
        EXPECT_FALSE(Exists(setup.ProgramFolder() / L"pdftk.exe"));
    }
}

TEST(SetupStepTest, AGhostscriptInstallerThatCannotStartIsNotCalledFinished) {
    Installation setup;
    TOstrel_Setup& form = setup.Create();
    form.Edit1.SetText(setup.Scratch().wstring() + L"\\fehlt\\gs854w32.exe");
    setup.Boxes.Records.clear();
    form.Button1Click();
    const Texts texts = setup.Texts();
    ASSERT_GE(texts.size(), 1u);
    const std::wstring head = L"Ghostscript-Setup konnte nicht gestartet werden!\r";
    EXPECT_EQ(texts[0].substr(0, head.size()), head);
    EXPECT_GT(texts[0].size(), head.size());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"Ghostscript-Setup beendet!"), 0);
    EXPECT_TRUE(form.Visible()) << "the window is back";
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

namespace {

// ---- What ships beside the installer ----------------------------------------------------------------------------

TEST(SetupShippedTest, TheDistFolderCarriesTheDocumentsTheInstallerOpens) {
    Installation setup;
    for (const wchar_t* name : {L"Ostrel-Setup_Anleitung.rtf", L"Kurzanleitung.pdf"})
        std::filesystem::copy_file(setuptest::DistDir() / name, setup.ProgramFolder() / name);
    TOstrel_Setup& form = setup.Create();
    // Found under the names the installer asks for (the short guide in its own letter case).
    EXPECT_TRUE(form.Kurzanleitungpdf1->Enabled());
    installer::TAnleitung_Form manual;
    ASSERT_TRUE(manual.RichEdit1.LoadFromFile((setup.ProgramFolder() / L"Ostrel-Setup_Anleitung.rtf").wstring()));
    const std::wstring text = manual.RichEdit1.Text();
    EXPECT_NE(text.find(L"Komplett-Setup"), std::wstring::npos);
    EXPECT_NE(text.find(L"UNZDLL.DLL"), std::wstring::npos);
    EXPECT_EQ(text.find(L"\\rtf"), std::wstring::npos) << "read as rich text, not shown as its source";
    EXPECT_EQ(testenv::ReadFileBytes(setup.ProgramFolder() / L"Kurzanleitung.pdf").substr(0, 5), "%PDF-");
}

} // namespace
