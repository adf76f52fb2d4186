// The main window's commands that start other programs or change how the program itself works: the editor for the
// log, the settings file and the language files, the PDF reader, the file-type registration, the choice of editor
// and reader, the option toggles of the menu "Optionen", the counter, and the items of the menus "Sprache" and
// "Hilfe".
#include "app/common/AboutBox.h"
#include "app/common/Sprachhinweis_Unit.h"
#include "app/dialogs/SmallDialogs.h"
#include "app/dialogs/Update_Unit.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_FileCommands.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "win/Registry.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "core/TextEncoding.h"
#include "win/SystemText.h"

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <system_error>

namespace {

using gui::TMsgDlgButtons;
using gui::TMsgDlgType;

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsChecked(const gui::TMenuItem* item) {
    return item && item->Checked();
}

void ShowCentred(gui::TForm* form) {
    if (form) {
        form->SetPosition(gui::TPosition::poMainFormCenter);
        form->ShowModal();
    }
}

} // namespace

std::vector<FileTypeKey> FileTypeKeys(const std::wstring& extension, const std::wstring& program) {
    const std::wstring type = extension + L"file";
    return {
        {L"." + extension, type, true},
        {type, {}, false},
        {type + L"\\DefaultIcon", program + L",0", true},
        {type + L"\\shell\\open\\command", Quoted(program) + L" " + Quoted(L"%1"), true},
    };
}

// --- Wiring -------------------------------------------------------------------------------------------------------

void TOstrel_Form::WireProgramCommands() {
    Reader = MenuItem(L"Reader");
    if (gui::TMenuItem* shortInstructions = MenuItem(L"Kurzanleitungpdf")) {
        shortInstructions->SetCaption(L"Kurzanleitung.pdf");
    }
    using gui::ShortCut;
    const struct {
        const wchar_t* Name;
        gui::TShortCut Key;
        void (TOstrel_Form::*Handler)();
    } commands[] = {
        {L"Logdatei", 0, &TOstrel_Form::LogdateiClick},
        {L"Tray1", 0, &TOstrel_Form::Tray1Click},
        {L"Zhlervorne1", 0, &TOstrel_Form::Zhlervorne1Click},
        {L"VSpeichern1", 0, &TOstrel_Form::VSpeichern1Click},
        {L"AbfragePSPRN", 0, &TOstrel_Form::AbfragePSPRNClick},
        {L"Logdateiansehen1", ShortCut('L', gui::ssCtrl), &TOstrel_Form::Logdateiansehen1Click},
        {L"Ostrelinibearbeiten", ShortCut('I', gui::ssCtrl), &TOstrel_Form::OstrelinibearbeitenClick},
        {L"Sprachdateienbearbeiten", ShortCut('B', gui::ssCtrl), &TOstrel_Form::SprachdateienbearbeitenClick},
        {L"Verknuepfen", 0, &TOstrel_Form::VerknuepfenClick},
        {L"Editor1", 0, &TOstrel_Form::Editor1Click},
        {L"Reader", 0, &TOstrel_Form::ReaderClick},
        {L"Deutsch", 0, &TOstrel_Form::DeutschClick},
        {L"English", 0, &TOstrel_Form::EnglishClick},
        {L"Anleitung", VK_F1, &TOstrel_Form::AnleitungClick},
        {L"Kurzanleitungpdf", 0, &TOstrel_Form::KurzanleitungpdfClick},
        {L"AbfrageaufneueVersion1", 0, &TOstrel_Form::AbfrageaufneueVersion1Click},
        {L"Ostrel1", 0, &TOstrel_Form::Ostrel1Click},
        {L"Ostrel2", 0, &TOstrel_Form::Ostrel2Click},
    };
    for (const auto& command : commands) {
        gui::TMenuItem* item = MenuItem(command.Name);
        if (!item) {
            continue;
        }
        if (command.Key != 0) {
            item->SetShortCut(command.Key);
        }
        item->OnClick = [this, handler = command.Handler](gui::TComponent*) { (this->*handler)(); };
    }
    ZaehlerLabel.OnClick = [this](gui::TComponent*) { ZaehlerLabelClick(); };
    ZaehlerL.OnClick = [this](gui::TComponent*) { ZaehlerLabelClick(); };
}

void TOstrel_Form::ApplyFileCommandTexts() {
    if (gui::TMenuItem* editor = MenuItem(L"Editor1")) {
        editor->SetCaption(L"Editor: " + FileNamePart(Settings.EditorProgram));
    }
    if (Reader) {
        Reader->SetCaption(L"PDF-Reader: " + FileNamePart(Settings.ReaderProgram));
        Reader->SetHint(L"PDF-Reader");
    }
    if (gui::TMenuItem* editMenu = MenuItem(L"Markieren1")) {
        const std::wstring& caption = Texts().Get(L"MDC8");
        if (!caption.empty()) {
            editMenu->SetCaption(caption);
        }
    }
}

// --- External programs --------------------------------------------------------------------------------------------

void TOstrel_Form::StartEditor(const std::wstring& parameters) {
    StartProgram(Handle(), Settings.EditorProgram, parameters);
}

void TOstrel_Form::StartReader(const std::wstring& parameters) {
    StartProgram(Handle(), Settings.ReaderProgram, parameters);
}

void TOstrel_Form::Logdateiansehen1Click() {
    StartEditor(L" " + Quoted(WithTrailingBackslash(programFolder_.wstring()) + L"OstrelLog.txt"));
}

void TOstrel_Form::OstrelinibearbeitenClick() {
    const std::wstring ini = WithTrailingBackslash(programFolder_.wstring()) + L"Ostrel.ini";
    if (FileExists(ini)) {
        StartEditor(L" " + Quoted(ini));
    }
}

void TOstrel_Form::SprachdateienbearbeitenClick() {
    for (const wchar_t* name : {L"Deutsch.plf", L"English.plf"}) {
        const std::wstring file = WithTrailingBackslash(programFolder_.wstring()) + name;
        if (FileExists(file)) {
            StartEditor(L" " + Quoted(file));
        }
    }
}

void TOstrel_Form::KurzanleitungpdfClick() {
    // Quoted like every other document the reader gets: a program folder with blanks would split the path.
    StartReader(Quoted(WithTrailingBackslash(programFolder_.wstring()) + L"Kurzanleitung.pdf"));
}

// --- File-type registration ---------------------------------------------------------------------------------------

void TOstrel_Form::OpenDialog1Show() {
    OpenDialog1.Title = Texts().Get(L"VERKN3");
}

void TOstrel_Form::VerknuepfenClick() {
    OpenDialog1.InitialDir = WithTrailingBackslash(programFolder_.wstring());
    OpenDialog1.FileName.clear();
    OpenDialog1.Filter = L"*.exe|*.exe|*.*|*.*";
    OpenDialog1.Options = gui::ofHideReadOnly | gui::ofFileMustExist | gui::ofNoChangeDir;
    OpenDialog1Show();
    if (!OpenDialog1.Execute(Handle())) {
        return;
    }
    const std::wstring program = OpenDialog1.FileName;
    try {
        RegisterFileType(L"ps", program);
        RegisterFileType(L"prn", program);
    } catch (const std::exception& error) {
        gui::MessageDlg(ErrorMessage(error), gui::Application.Title(), TMsgDlgType::mtError, TMsgDlgButtons::mbOK,
                        Handle());
        return;
    }
    gui::MessageDlg(Texts().Get(L"VERKN2"), gui::Application.Title(), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                    Handle());
}

void TOstrel_Form::RegisterFileType(const std::wstring& extension, const std::wstring& program) {
    win::TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    for (const FileTypeKey& entry : FileTypeKeys(extension, program)) {
        if (!registry.OpenKey(entry.Key, true)) {
            throw win::ERegistryException("HKEY_CLASSES_ROOT\\" + Utf8FromWide(entry.Key) + ": " +
                                          Utf8FromWide(SystemMessage(GetLastError())));
        }
        if (entry.HasValue) {
            registry.WriteString(L"", entry.Value);
        }
        registry.CloseKey();
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// --- Editor and reader --------------------------------------------------------------------------------------------

void TOstrel_Form::Editor1Click() {
    OpenDialog2.InitialDir = FolderOf(Settings.EditorProgram);
    OpenDialog2.FileName = Settings.EditorProgram;
    if (OpenDialog2.Execute(Handle()) && !OpenDialog2.FileName.empty()) {
        Settings.EditorProgram = OpenDialog2.FileName;
    }
    if (gui::TMenuItem* editor = MenuItem(L"Editor1")) {
        editor->SetCaption(L"Editor: " + FileNamePart(Settings.EditorProgram));
    }
}

void TOstrel_Form::ReaderClick() {
    OpenDialog3.InitialDir = FolderOf(Settings.ReaderProgram);
    OpenDialog3.FileName = Settings.ReaderProgram;
    if (OpenDialog3.Execute(Handle()) && !OpenDialog3.FileName.empty()) {
        Settings.ReaderProgram = OpenDialog3.FileName;
    }
    if (Reader) {
        Reader->SetCaption(L"PDF-Reader: " + FileNamePart(Settings.ReaderProgram));
    }
}

// --- Option toggles -----------------------------------------------------------------------------------------------

// The check mark is the state; the conversion pass reads the log mark and the exit burst stores the tray mark.
void TOstrel_Form::LogdateiClick() {}
void TOstrel_Form::Tray1Click() {}

void TOstrel_Form::Zhlervorne1Click() {
    Settings.CounterInFront = IsChecked(MenuItem(L"Zhlervorne1"));
}

void TOstrel_Form::VSpeichern1Click() {
    Settings.KeepSecurity = IsChecked(MenuItem(L"VSpeichern1"));
}

void TOstrel_Form::AbfragePSPRNClick() {
    Settings.OnlyPsPrn = IsChecked(MenuItem(L"AbfragePSPRN"));
}

void TOstrel_Form::ZaehlerLabelClick() {
    pass_->ZaehlerLabelClick();
    ZaehlerLabel.SetCaption(pass_->Counter.LabelText());
}

// --- Language and help --------------------------------------------------------------------------------------------

void TOstrel_Form::DeutschClick() {
    Deutsch->SetChecked(true);
    English->SetChecked(false);
    ShowCentred(Sprachhinweis_Form);
}

void TOstrel_Form::EnglishClick() {
    English->SetChecked(true);
    Deutsch->SetChecked(false);
    ShowCentred(Sprachhinweis_Form);
}

void TOstrel_Form::AnleitungClick() {
    ShowCentred(Anleitung_Form);
}

void TOstrel_Form::AbfrageaufneueVersion1Click() {
    ShowCentred(Update_Form);
}

void TOstrel_Form::Ostrel1Click() {
    OpenLink(Handle(), MakerHomePage);
}

void TOstrel_Form::Ostrel2Click() {
    OpenLink(Handle(), MakerForumPage);
}
