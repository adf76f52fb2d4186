#include "app/main/OstrelForms.h"

#include "app/common/Sprachhinweis_Unit.h"
#include "app/dialogs/Auswahl_Unit.h"
#include "app/dialogs/DokuInfo1_Unit.h"
#include "app/dialogs/Einstellungen_Unit.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/dialogs/Merge_Unit.h"
#include "app/dialogs/SmallDialogs.h"
#include "app/dialogs/Update_Unit.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"

HICON OstrelProgramIcon() {
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"OSTREL")) {
        return icon;
    }
    return LoadIconW(nullptr, IDI_APPLICATION);
}

void CreateOstrelForms(const std::wstring& commandLineFile, gui::TForm* intro) {
    gui::Application.SetIcon(OstrelProgramIcon());
    gui::Application.CreateForm(Ostrel_Form, commandLineFile);
    gui::Application.CreateForm(Update_Form, Ostrel_Form->ProgramFolder(), Ostrel_Form->ProgramVersion());
    if (intro) {
        intro->Hide();
    }
    gui::Application.CreateForm(Einstellungen_Form, Ostrel_Form->Dialog, *Ostrel_Form, Ostrel_Form->ProgramFolder(),
                                Ostrel_Form->IniPath());
    // The merge list needs the encryption dialog when it is made, so that dialog comes first.
    gui::Application.CreateForm(Encrypt_Form, Ostrel_Form->Security, Ostrel_Form->EncryptState, *Einstellungen_Form,
                                Ostrel_Form->Settings.KeepSecurity);
    Einstellungen_Form->SetEncryptForm(Encrypt_Form);
    gui::Application.CreateForm(Info_Form);
    gui::Application.CreateForm(Startbild_Form);
    gui::Application.CreateForm(Auswahl_Form, Ostrel_Form->Dialog, Encrypt_Form);
    // The merge list adds files from the output folder and takes the drive boxes' colour.
    Auswahl_Form->OutputFolder = [] { return Ostrel_Form ? Ostrel_Form->DriveView2.Directory() : std::wstring(); };
    Auswahl_Form->DriveBoxColor = [] { return Ostrel_Form ? Ostrel_Form->DriveComboBox1.Color() : gui::clDefault; };
    gui::Application.CreateForm(DokuInfo1_Form);
    gui::Application.CreateForm(Info_Sprache_Form);
    gui::Application.CreateForm(Beenden_Form);
    gui::Application.CreateForm(Anleitung_Form);
    gui::Application.CreateForm(Sprachhinweis_Form);
    gui::Application.CreateForm(Merge_Form);
    gui::Application.CreateForm(Ein_Info_Form);
    Einstellungen_Form->SetInfoForm(Ein_Info_Form);
}

void ForgetOstrelForms() {
    Ostrel_Form = nullptr;
    Update_Form = nullptr;
    Einstellungen_Form = nullptr;
    Encrypt_Form = nullptr;
    Info_Form = nullptr;
    Startbild_Form = nullptr;
    Auswahl_Form = nullptr;
    DokuInfo1_Form = nullptr;
    Info_Sprache_Form = nullptr;
    Beenden_Form = nullptr;
    Anleitung_Form = nullptr;
    Sprachhinweis_Form = nullptr;
    Merge_Form = nullptr;
    Ein_Info_Form = nullptr;
}
