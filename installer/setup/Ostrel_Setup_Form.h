#pragma once
// TOstrel_Setup: the installer's one window. It prepares the machine for the conversion program: the input and
// output folders, the Ghostscript installer, the port monitor with its port RPT1:, pdftk beside the program and
// the printer "PDF-Drucker", in one pass or step by step. All texts are German; there are no language files.
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"
#include "installer/zip/ZipArchive.h"

#include <functional>
#include <string>

namespace installer {
class TAnleitung_Form;
class TDownload;
class TInfo_Form;
} // namespace installer
class TSprachhinweis_Form;

// Texts that stand in an edit instead of a path; later steps compare the edit against them.
inline constexpr wchar_t GhostscriptInstalledNotice[] = L"AFPL Ghostscript 8.54 ist laut Registry schon installiert!";
inline constexpr wchar_t RedMonInstalledNotice[] = L"RedMon ist laut Registry schon installiert!";

// Where the menu's downloads come from: the one place that names the servers.
inline constexpr wchar_t GhostscriptDownloadUrl[] = L"http://downloads.ostrel.de/ghostscript/gs854w32.exe";
inline constexpr wchar_t RedMonDownloadUrl[] = L"ftp://ftp.ostrel.de/pub/mirrors/ghost/ghostgum/redmon17de.zip";
inline constexpr wchar_t PdftkDownloadUrl[] = L"http://downloads.ostrel.de/pdftk/pdftk-1.41.exe.zip";

// The printer installation's command line for the given .inf file (quoted: a path with blanks is one argument).
std::wstring PrinterInstallCommand(const std::wstring& infPath);
// The Ghostscript root from the GS_DLL value: everything from the first "gs8.54" on removed.
std::wstring GhostscriptRootFromValue(const std::wstring& gsDll);

class TOstrel_Setup : public gui::TForm {
public:
    // programFolder: the folder the installer's companion files are in (ends in a backslash); the program body
    // passes the executable's folder.
    explicit TOstrel_Setup(std::wstring programFolder);
    ~TOstrel_Setup() override;

    const std::wstring& ProgramFolder() const { return programFolder_; }

    // The forms the program body made; the handlers show them when set.
    TSprachhinweis_Form* Sprachhinweis = nullptr;
    installer::TDownload* Download = nullptr;
    installer::TInfo_Form* Info = nullptr;
    installer::TAnleitung_Form* Anleitung = nullptr;

    // The download addresses (tests point them at local files).
    std::wstring GhostscriptUrl = GhostscriptDownloadUrl;
    std::wstring RedMonUrl = RedMonDownloadUrl;
    std::wstring PdftkUrl = PdftkDownloadUrl;

    // True while a step runs: clicks, Esc and close requests that the step's message pumps let through are
    // ignored, so that no second step starts inside the first and the window is not destroyed under it.
    bool Busy() const { return busy_; }

    void FormCreate();
    void FormShow();
    void FormDestroy();
    void FormKeyDown(WORD& Key, gui::TShiftState Shift);
    void KomplettBtnClick();
    void Button1Click();
    void Button2Click();
    void Button5Click();
    void Button3Click();
    void Suchen1Click();
    void Suchen2Click();
    void Suchen3Click();
    void Suchen4Click();
    void Suchen5Click();
    void AFPLGhostscript8501Click();
    void RedMon1Click();
    void pdftk112exezip1Click();
    void DeutschClick();
    void EnglishClick();
    void Anleitung1Click();
    void Kurzanleitungpdf1Click();
    void Info1Click();
    void Beenden1Click();

    gui::TPanel Panel1{this, L"Panel1", 0, 0, 478, 41};
    gui::TLabel Label6{&Panel1, L"Label6", 8, 6, 460, 13};
    gui::TLabel Label7{&Panel1, L"Label7", 8, 22, 460, 13};

    gui::TLabel Label1{this, L"Label1", 8, 48, 380, 13};
    gui::TEdit Edit1{this, L"Edit1", 8, 64, 330, 21};
    gui::TButton Suchen1{this, L"Suchen1", 342, 62, 56, 25};
    gui::TButton Button1{this, L"Button1", 404, 48, 70, 40};

    gui::TLabel Label2{this, L"Label2", 8, 100, 380, 13};
    gui::TEdit Edit2{this, L"Edit2", 8, 116, 330, 21};
    gui::TButton Suchen2{this, L"Suchen2", 342, 114, 56, 25};
    gui::TButton Button2{this, L"Button2", 404, 100, 70, 40};

    gui::TLabel Label5{this, L"Label5", 8, 152, 380, 13};
    gui::TEdit pdftkEdit{this, L"pdftkEdit", 8, 168, 330, 21};
    gui::TButton Suchen5{this, L"Suchen5", 342, 166, 56, 25};
    gui::TButton Button5{this, L"Button5", 404, 152, 70, 40};

    gui::TLabel Label3{this, L"Label3", 8, 204, 380, 13};
    gui::TEdit Edit3{this, L"Edit3", 8, 220, 330, 21};
    gui::TButton Suchen3{this, L"Suchen3", 342, 218, 56, 25};
    gui::TLabel Label4{this, L"Label4", 8, 256, 380, 13};
    gui::TEdit Edit4{this, L"Edit4", 8, 272, 330, 21};
    gui::TButton Suchen4{this, L"Suchen4", 342, 270, 56, 25};
    gui::TButton Button3{this, L"Button3", 404, 204, 70, 92};

    gui::TBitBtn KomplettBtn{this, L"KomplettBtn", 8, 348, 462, 32};

    gui::TMainMenu MainMenu1{L"MainMenu1"};
    gui::TMenuItem* Datei1 = nullptr;
    gui::TMenuItem* Beenden1 = nullptr;
    gui::TMenuItem* Sprache1 = nullptr;
    gui::TMenuItem* Deutsch = nullptr;
    gui::TMenuItem* English = nullptr;
    gui::TMenuItem* Download1 = nullptr;
    gui::TMenuItem* AFPLGhostscript8501 = nullptr;
    gui::TMenuItem* RedMon1 = nullptr;
    gui::TMenuItem* pdftk112exezip1 = nullptr;
    gui::TMenuItem* Hilfe1 = nullptr;
    gui::TMenuItem* Anleitung1 = nullptr;
    gui::TMenuItem* Kurzanleitungpdf1 = nullptr;
    gui::TMenuItem* Info1 = nullptr;

    gui::TOpenDialog OpenDialog1{L"OpenDialog1"};
    TZipArchive ZipArchive1;

private:
    // The steps of the complete set-up, shared with the single steps. Each returns whether it succeeded (nothing
    // to do counts as success) and has told a failure itself.
    bool OrdnerAnlegen();
    // Creates folder with its missing parents; true when it exists afterwards (else the error is kept).
    bool FolderCreated(const std::wstring& folder);
    bool GhostscriptInstallieren();
    // Reads GS_DLL; the root, or nothing (after the missing-entry message and the notice) when it is missing.
    bool GhostscriptWurzel(std::wstring& root);
    // Unpacks the whole archive into folder; a failure (told by the zip component) is concluded with one message.
    bool Entpacken(const std::wstring& archive, const std::wstring& folder);
    bool RedMonInstallieren(const std::wstring& root, bool extraPump);
    bool PdftkEntpacken();
    bool DruckerInstallieren();
    void Durchsuchen(gui::TEdit& edit, const wchar_t* title, const wchar_t* filter);
    void Herunterladen(const std::wstring& fileName, const std::wstring& url, gui::TEdit& edit,
                       const std::wstring& question, const std::wstring& success);
    void ShowCentered(gui::TForm& form);
    bool InFolder(const std::wstring& name) const;
    // Runs a handler unless a step is running, with the busy flag set for its duration.
    void Step(const std::function<void()>& work);

    std::wstring programFolder_;
    bool busy_ = false;
    bool manualShown_ = false;
    unsigned long lastFolderError_ = 0;
};
