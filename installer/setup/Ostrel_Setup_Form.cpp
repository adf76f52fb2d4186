#include "installer/setup/Ostrel_Setup_Form.h"

#include "app/common/AboutBox.h"
#include "app/common/DownloadToFile.h"
#include "app/common/ProcessRunner.h"
#include "app/common/Sprachhinweis_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "installer/setup/SetupForms.h"
#include "installer/setup/SetupRegistry.h"
#include "installer/setup/SystemReason.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/AnsiText.h"

#include <shlobj.h>

#include <filesystem>
#include <system_error>

namespace {

constexpr wchar_t kEingang[] = L"c:\\pdf\\in";
constexpr wchar_t kAusgang[] = L"c:\\pdf\\out";
constexpr wchar_t kDruckerAuswahl[] = L"Bitte Pfad zu 'pdf-Drucker.inf' UND 'catjetr1.ppd' ausw\u00e4hlen!";

void Pump() {
    gui::Application.ProcessMessages();
}

// Resets the busy flag however the step ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

} // namespace

std::wstring PrinterInstallCommand(const std::wstring& infPath) {
    return L"rundll32 printui.dll,PrintUIEntry /if /b \"PDF-Drucker\" /f " + Quoted(infPath) +
           L" /r \"RPT1:\" /m \"PDF-Drucker\"";
}

std::wstring GhostscriptRootFromValue(const std::wstring& gsDll) {
    const auto at = gsDll.find(L"gs8.54");
    return at == std::wstring::npos ? gsDll : gsDll.substr(0, at);
}

TOstrel_Setup::TOstrel_Setup(std::wstring programFolder)
    : TForm(L"TOstrel_Setup", L"Ostrel_Setup"), programFolder_(AppendDirSeparator(programFolder)) {
    SetCaption(L"Ostrel-Setup f\u00fcr W2K/XP - Freeware");
    SetBorderStyle(gui::TFormBorderStyle::bsSingle);
    SetBorderIcons(gui::biSystemMenu);
    SetClientSize(478, 387);
    SetPosition(gui::TPosition::poDesktopCenter);
    KeyPreview = true;

    Panel1.SetAlign(gui::TAlign::alTop);
    gui::TFont bold = Label6.Font();
    bold.Bold = true;
    Label6.SetFont(bold);
    Label7.SetFont(bold);
    Label6.SetText(L"Dieses Programm soll Ihnen helfen AFPL Ghostscript 8.54,");
    Label7.SetText(L"RedMon, pdftk und den PDF-Drucker zu installieren!");

    Label1.SetText(L"Wo befindet sich die Ghostscript-Installationsdatei 'gs854w32.exe'?");
    Label2.SetText(L"Wo befindet sich die Datei  'redmon17de.zip'?");
    Label5.SetText(L"Wo befindet sich die Datei  'pdftk-1.41.exe.zip'?");
    Label3.SetText(L"Wo befindet sich die Datei 'pdf-drucker.inf'?");
    Label4.SetText(L"Wo befindet sich die Datei 'catjetr1.ppd'?");
    for (gui::TButton* browse : {&Suchen1, &Suchen2, &Suchen3, &Suchen4, &Suchen5})
        browse->SetCaption(L"Suchen");
    for (gui::TButton* single : {&Button1, &Button2, &Button5, &Button3}) {
        single->SetCaption(L"Einzel- Installation");
        single->SetWordWrap(true); // two lines: the buttons are narrow
    }
    KomplettBtn.SetCaption(L"Komplett- Setup starten!");
    KomplettBtn.SetDefault(true);
    KomplettBtn.SetAnchors(gui::akLeft | gui::akRight | gui::akBottom);

    Datei1 = MainMenu1.Items.Add(L"Datei1", L"&Datei");
    Beenden1 = Datei1->Add(L"Beenden1", L"&Beenden");
    Beenden1->SetShortCut(gui::ShortCut(VK_F4, gui::ssAlt));
    Sprache1 = MainMenu1.Items.Add(L"Sprache1", L"&Sprache");
    Deutsch = Sprache1->Add(L"Deutsch", L"&Deutsch");
    Deutsch->SetRadioItem(true);
    Deutsch->SetChecked(true);
    English = Sprache1->Add(L"English", L"&English");
    English->SetRadioItem(true);
    English->SetEnabled(false);
    Download1 = MainMenu1.Items.Add(L"Download1", L"Down&load (Stand: 06/07)");
    AFPLGhostscript8501 = Download1->Add(L"AFPLGhostscript8501", L"AFPL &Ghostscript 8.54");
    RedMon1 = Download1->Add(L"RedMon1", L"&RedMon 1.7");
    pdftk112exezip1 = Download1->Add(L"pdftk112exezip1", L"pdftk-1.41");
    Hilfe1 = MainMenu1.Items.Add(L"Hilfe1", L"&Hilfe");
    Anleitung1 = Hilfe1->Add(L"Anleitung1", L"&Anleitung");
    Anleitung1->SetShortCut(gui::ShortCut(VK_F1, 0));
    Kurzanleitungpdf1 = Hilfe1->Add(L"Kurzanleitungpdf1", L"Kurzanleitung.pdf");
    Hilfe1->AddSeparator();
    Info1 = Hilfe1->Add(L"Info1", L"Info...");
    SetMenu(&MainMenu1);

    ZipArchive1.Verbose = false;
    ZipArchive1.Trace = false;
    ZipArchive1.Unattended = false;
    ZipArchive1.ExtrOptions = {ExtrUpdate};

    auto bind = [this](void (TOstrel_Setup::*handler)()) {
        return [this, handler](gui::TComponent*) { Step([this, handler] { (this->*handler)(); }); };
    };
    // The complete set-up keeps its own busy scope: it has to end before the closing Close.
    KomplettBtn.OnClick = [this](gui::TComponent*) {
        if (!busy_)
            KomplettBtnClick();
    };
    Button1.OnClick = bind(&TOstrel_Setup::Button1Click);
    Button2.OnClick = bind(&TOstrel_Setup::Button2Click);
    Button5.OnClick = bind(&TOstrel_Setup::Button5Click);
    Button3.OnClick = bind(&TOstrel_Setup::Button3Click);
    Suchen1.OnClick = bind(&TOstrel_Setup::Suchen1Click);
    Suchen2.OnClick = bind(&TOstrel_Setup::Suchen2Click);
    Suchen3.OnClick = bind(&TOstrel_Setup::Suchen3Click);
    Suchen4.OnClick = bind(&TOstrel_Setup::Suchen4Click);
    Suchen5.OnClick = bind(&TOstrel_Setup::Suchen5Click);
    AFPLGhostscript8501->OnClick = bind(&TOstrel_Setup::AFPLGhostscript8501Click);
    RedMon1->OnClick = bind(&TOstrel_Setup::RedMon1Click);
    pdftk112exezip1->OnClick = bind(&TOstrel_Setup::pdftk112exezip1Click);
    Deutsch->OnClick = bind(&TOstrel_Setup::DeutschClick);
    English->OnClick = bind(&TOstrel_Setup::EnglishClick);
    Anleitung1->OnClick = bind(&TOstrel_Setup::Anleitung1Click);
    Kurzanleitungpdf1->OnClick = bind(&TOstrel_Setup::Kurzanleitungpdf1Click);
    Info1->OnClick = bind(&TOstrel_Setup::Info1Click);
    Beenden1->OnClick = [this](gui::TComponent*) { Beenden1Click(); };

    OnCreate = [this](gui::TComponent*) { FormCreate(); };
    OnShow = [this](gui::TComponent*) { FormShow(); };
    OnDestroy = [this](gui::TComponent*) { FormDestroy(); };
    OnKeyDown = [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { FormKeyDown(key, shift); };
    OnCloseQuery = [this](gui::TComponent*, bool& canClose) { canClose = !busy_; };
}

TOstrel_Setup::~TOstrel_Setup() = default;

void TOstrel_Setup::Step(const std::function<void()>& work) {
    if (busy_)
        return;
    BusyScope scope(busy_);
    work();
}

bool TOstrel_Setup::InFolder(const std::wstring& name) const {
    return FileExists(programFolder_ + name);
}

void TOstrel_Setup::ShowCentered(gui::TForm& form) {
    form.SetPosition(gui::TPosition::poDesktopCenter);
    form.ShowModal();
}

// ---- Start-up ---------------------------------------------------------------------------------------------------

void TOstrel_Setup::FormCreate() {
    RegistryEntryMissing = false;
    ZipArchive1.SetDLLDirectory(programFolder_);
    ZipArchive1.LoadUnzipLibrary(); // a failure has shown the component's message; start-up goes on

    std::wstring value;
    ReadRegString(GhostscriptSchluessel, GhostscriptWert, value);
    if (RegistryEntryMissing) {
        if (InFolder(L"gs854w32.exe"))
            Edit1.SetText(programFolder_ + L"gs854w32.exe");
    } else {
        Edit1.SetText(GhostscriptInstalledNotice);
    }

    value.clear();
    ReadRegString(PortSchluessel, PortWert, value);
    if (RegistryEntryMissing) {
        if (InFolder(L"redmon17de.zip"))
            Edit2.SetText(programFolder_ + L"redmon17de.zip");
    } else {
        Edit2.SetText(RedMonInstalledNotice);
    }

    try {
        const std::wstring programFiles = ProgramFilesPath();
        if (FileExists(programFiles + L"ostrel\\pdf-drucker.inf"))
            Edit3.SetText(programFiles + L"ostrel\\pdf-drucker.inf");
        if (FileExists(programFiles + L"ostrel\\catjetr1.ppd"))
            Edit4.SetText(programFiles + L"ostrel\\catjetr1.ppd");
    } catch (const std::system_error& e) {
        // The runtime words a system error in the ANSI code page.
        gui::ShowMessage(win::FromAnsi(e.what()));
    }

    if (InFolder(L"pdftk-1.41.exe.zip"))
        pdftkEdit.SetText(programFolder_ + L"pdftk-1.41.exe.zip");
    Kurzanleitungpdf1->SetEnabled(InFolder(L"kurzanleitung.pdf"));
}

void TOstrel_Setup::FormShow() {
    // The set-up hides and shows the window around outside programs; the manual belongs to the first showing only,
    // not to the middle of a set-up.
    if (manualShown_)
        return;
    manualShown_ = true;
    if (InFolder(L"Ostrel-Setup_Anleitung.rtf")) {
        if (!Anleitung)
            return;
        Anleitung->RichEdit1.LoadFromFile(programFolder_ + L"Ostrel-Setup_Anleitung.rtf");
        ShowCentered(*Anleitung);
    } else {
        gui::ShowMessage(L"Anleitung f\u00fcr 'Ostrel-Setup f\u00fcr W2K/XP' nicht gefunden!\r"
                         L"Sie mu\u00df sich im gleichen Verzeichnis wie das Programm befinden.");
        Anleitung1->SetEnabled(false);
    }
}

void TOstrel_Setup::FormDestroy() {
    ZipArchive1.UnloadUnzipLibrary();
}

void TOstrel_Setup::FormKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_ESCAPE && !busy_)
        Close();
}

// ---- The steps --------------------------------------------------------------------------------------------------
// Every step judges its own result: a success message follows only success, and a failure is told once, with the
// reason the system or the zip component gave (the component shows its own reasons itself).

bool TOstrel_Setup::FolderCreated(const std::wstring& folder) {
    const int created = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    lastFolderError_ = static_cast<unsigned long>(created);
    if (created == ERROR_SUCCESS)
        return true;
    return DirectoryExists(folder);
}

bool TOstrel_Setup::OrdnerAnlegen() {
    bool ok = true;
    for (const wchar_t* folder : {kEingang, kAusgang}) {
        if (!FolderCreated(folder)) {
            gui::ShowMessage(WithReason(std::wstring(L"Der Ordner ") + folder + L" konnte nicht angelegt werden!",
                                        lastFolderError_));
            ok = false;
        }
    }
    return ok;
}

bool TOstrel_Setup::GhostscriptInstallieren() {
    const std::wstring installer = Edit1.Text();
    if (installer.empty() || installer == GhostscriptInstalledNotice)
        return true;
    Hide();
    const int result = RunAndWait(Quoted(installer), SW_SHOWNORMAL);
    const DWORD error = result == -1 ? GetLastError() : 0;
    if (result == -1)
        gui::ShowMessage(WithReason(L"Ghostscript-Setup konnte nicht gestartet werden!", error));
    else
        gui::ShowMessage(L"Ghostscript-Setup beendet!");
    Show();
    return result != -1;
}

bool TOstrel_Setup::GhostscriptWurzel(std::wstring& root) {
    std::wstring value;
    ReadRegString(GhostscriptSchluessel, GhostscriptWert, value);
    if (RegistryEntryMissing) {
        gui::ShowMessage(L"AFPL Ghostscript ist noch nicht installiert!");
        return false;
    }
    root = GhostscriptRootFromValue(value);
    return true;
}

bool TOstrel_Setup::Entpacken(const std::wstring& archive, const std::wstring& folder) {
    ZipArchive1.FSpecArgs.push_back(L"*.*");
    ZipArchive1.SetZipFileName(archive);
    ZipArchive1.ExtrBaseDir = folder;
    Pump();
    const int result = ZipArchive1.ExtractArchive();
    ZipArchive1.FSpecArgs.clear();
    Pump();
    // Without a name the component's "no zip file specified" says all there is to say.
    if (result != 0 && !archive.empty())
        gui::ShowMessage(L"Die Datei '" + archive + L"' konnte nicht entpackt werden!");
    return result == 0;
}

bool TOstrel_Setup::RedMonInstallieren(const std::wstring& root, bool extraPump) {
    const std::wstring redMonFolder = root + L"RedMon";
    if (!FolderCreated(redMonFolder)) {
        gui::ShowMessage(
            WithReason(L"Der Ordner " + redMonFolder + L" konnte nicht angelegt werden!", lastFolderError_));
        return false;
    }
    // Nothing unpacked, nothing to set up: RedMon's set-up program is not started and no port is configured.
    if (!Entpacken(Edit2.Text(), AppendDirSeparator(redMonFolder)))
        return false;
    Pump();
    std::wstring command;
    ReadRegString(PortSchluessel, PortWert, command);
    if (!RegistryEntryMissing) {
        gui::ShowMessage(L"RedMon ist schon auf dem PC installiert!");
        return true;
    }
    const int result = RunAndWait(Quoted(redMonFolder + L"\\setup.exe"), SW_SHOWNORMAL);
    const DWORD error = result == -1 ? GetLastError() : 0;
    if (extraPump)
        Pump();
    return RedMonSetupAbschliessen(result, root, error);
}

bool TOstrel_Setup::PdftkEntpacken() {
    gui::ShowMessage(L"pdftk-1.41.exe.zip wird nun entpackt!");
    if (!Entpacken(pdftkEdit.Text(), programFolder_))
        return false;
    gui::ShowMessage(L"Fertig entpackt. Das Programm befindet sich nun im gleichen Verzeichnis wie Ostrel!");
    return true;
}

bool TOstrel_Setup::DruckerInstallieren() {
    if (Edit3.Text().empty() || Edit4.Text().empty()) {
        gui::ShowMessage(kDruckerAuswahl);
        return false;
    }
    Hide();
    Pump();
    const int result = RunAndWait(PrinterInstallCommand(Edit3.Text()), SW_SHOWNORMAL);
    const DWORD error = result == -1 ? GetLastError() : 0;
    Pump();
    if (result == -1) {
        Show();
        gui::ShowMessage(WithReason(L"Der PDF-Drucker konnte nicht installiert werden!", error));
        return false;
    }
    return true;
}

void TOstrel_Setup::KomplettBtnClick() {
    bool complete = true;
    {
        BusyScope scope(busy_);
        complete = OrdnerAnlegen() && complete;
        complete = GhostscriptInstallieren() && complete;
        std::wstring root;
        const bool ghostscript = GhostscriptWurzel(root);
        if (Edit2.Text() == RedMonInstalledNotice)
            gui::ShowMessage(L"RedMon ist schon auf dem PC installiert!");
        else if (ghostscript)
            complete = RedMonInstallieren(root, false) && complete;
        else
            complete = false;
        if (InFolder(L"pdftk.exe"))
            gui::ShowMessage(L"pdftk.exe ist schon im Ostrel-Verzeichnis!");
        else if (!pdftkEdit.Text().empty())
            complete = PdftkEntpacken() && complete;
        complete = DruckerInstallieren() && complete;
        Show();
        Pump();
        if (!complete) {
            // The window stays, so that the user can mend what failed and repeat that step alone.
            gui::ShowMessage(L"Das Komplett-Setup wurde nicht vollst\u00e4ndig durchgef\u00fchrt.\r"
                             L"Bitte beheben Sie die gemeldeten Fehler und wiederholen Sie die Schritte einzeln.");
            return;
        }
        gui::ShowMessage(L"Komplett-Setup wurde durchgef\u00fchrt.\rViel Spa\u00df mit Ostrel!");
    }
    Close();
}

void TOstrel_Setup::Button1Click() {
    GhostscriptInstallieren();
}

void TOstrel_Setup::Button2Click() {
    OrdnerAnlegen();
    std::wstring root;
    const bool ghostscript = GhostscriptWurzel(root);
    if (Edit2.Text().empty())
        return;
    if (Edit2.Text() == RedMonInstalledNotice)
        gui::ShowMessage(L"RedMon ist schon auf dem PC installiert!");
    else if (ghostscript)
        RedMonInstallieren(root, true);
}

void TOstrel_Setup::Button5Click() {
    if (!pdftkEdit.Text().empty())
        PdftkEntpacken();
}

void TOstrel_Setup::Button3Click() {
    if (DruckerInstallieren())
        Show();
}

// ---- Browse buttons ---------------------------------------------------------------------------------------------

void TOstrel_Setup::Durchsuchen(gui::TEdit& edit, const wchar_t* title, const wchar_t* filter) {
    OpenDialog1.Title = title;
    OpenDialog1.Filter = filter;
    OpenDialog1.FilterIndex = 1;
    OpenDialog1.FileName.clear();
    OpenDialog1.InitialDir.clear();
    if (OpenDialog1.Execute(Handle()))
        edit.SetText(OpenDialog1.FileName);
}

void TOstrel_Setup::Suchen1Click() {
    Durchsuchen(Edit1, L"Ghostscript", L"gs854w32.exe|gs854w32.exe|*.*|*.*");
}
void TOstrel_Setup::Suchen2Click() {
    Durchsuchen(Edit2, L"RedMon", L"redmon17de.zip|redmon17de.zip");
}
void TOstrel_Setup::Suchen3Click() {
    Durchsuchen(Edit3, L"PDF-Drucker.inf", L"pdf-drucker.inf|pdf-drucker.inf");
}
void TOstrel_Setup::Suchen4Click() {
    Durchsuchen(Edit4, L"Catjetr1.ppd", L"catjetr1.ppd|catjetr1.ppd");
}
void TOstrel_Setup::Suchen5Click() {
    Durchsuchen(pdftkEdit, L"pdftk", L"pdftk-1.41.exe.zip|pdftk-1.41.exe.zip");
}

// ---- Downloads --------------------------------------------------------------------------------------------------

void TOstrel_Setup::AFPLGhostscript8501Click() {
    if (gui::MessageDlg(L"Wollen Sie AFPL Ghostscript 8.54 downloaden?\rMit Klick auf JA wird die Downloadseite "
                        L"aufgerufen!",
                        L"", gui::TMsgDlgType::mtConfirmation, gui::TMsgDlgButtons::mbYesNo) == gui::mrYes)
        OpenLink(Handle(), GhostscriptUrl);
}

void TOstrel_Setup::Herunterladen(const std::wstring& fileName, const std::wstring& url, gui::TEdit& edit,
                                  const std::wstring& question, const std::wstring& success) {
    const std::wstring target = programFolder_ + fileName;
    if (FileExists(target)) {
        gui::ShowMessage(L"Die Datei '" + fileName + L"' ist schon vorhanden!");
        edit.SetText(target);
        return;
    }
    if (gui::MessageDlg(question, L"", gui::TMsgDlgType::mtConfirmation, gui::TMsgDlgButtons::mbYesNo) != gui::mrYes)
        return;
    if (Download)
        Download->Show();
    Pump();
    const bool ok = DownloadToFile(url, target);
    if (ok)
        Pump();
    if (Download)
        Download->Hide();
    if (ok) {
        gui::ShowMessage(success);
        edit.SetText(target);
    } else {
        gui::ShowMessage(L"Fehler beim Download von " + url + L"\rEvtl. haben Sie keine Verbindung zum Internet?!");
    }
}

void TOstrel_Setup::RedMon1Click() {
    Herunterladen(L"redmon17de.zip", RedMonUrl, Edit2, L"Wollen Sie RedMon 1.7 downloaden?",
                  L"Download von RedMon 1.7 war erfolgreich!");
}

void TOstrel_Setup::pdftk112exezip1Click() {
    Herunterladen(L"pdftk-1.41.exe.zip", PdftkUrl, pdftkEdit, L"Wollen Sie pdftk-1.41.exe.zip downloaden?",
                  L"Download von pdftk-1.41.exe.zip war erfolgreich!");
}

// ---- Language and help ------------------------------------------------------------------------------------------

void TOstrel_Setup::DeutschClick() {
    Deutsch->SetChecked(true);
    English->SetChecked(false);
    if (Sprachhinweis)
        ShowCentered(*Sprachhinweis);
}

void TOstrel_Setup::EnglishClick() {
    English->SetChecked(true);
    Deutsch->SetChecked(false);
    if (Sprachhinweis)
        ShowCentered(*Sprachhinweis);
}

void TOstrel_Setup::Anleitung1Click() {
    if (Anleitung)
        ShowCentered(*Anleitung);
}

void TOstrel_Setup::Kurzanleitungpdf1Click() {
    // The program folder, not the current directory: the browse dialogs move the latter.
    OpenLink(Handle(), programFolder_ + L"kurzanleitung.pdf");
}

void TOstrel_Setup::Info1Click() {
    if (Info)
        ShowCentered(*Info);
}

void TOstrel_Setup::Beenden1Click() {
    Close();
}
