#include "installer/setup/SetupProgram.h"

#include "app/common/Sprachhinweis_Unit.h"
#include "gui/Application.h"
#include "installer/setup/Ostrel_Setup_Form.h"
#include "installer/setup/SetupForms.h"

HICON SetupProgramIcon() {
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"OSTREL_SETUP")) {
        return icon;
    }
    return LoadIconW(nullptr, IDI_APPLICATION);
}

TOstrel_Setup* CreateSetupForms(const std::wstring& programFolder) {
    gui::Application.SetIcon(SetupProgramIcon());
    TOstrel_Setup* setup = nullptr;
    TSprachhinweis_Form* sprachhinweis = nullptr;
    installer::TDownload* download = nullptr;
    installer::TInfo_Form* info = nullptr;
    installer::TAnleitung_Form* anleitung = nullptr;
    gui::Application.CreateForm(setup, programFolder);
    gui::Application.CreateForm(sprachhinweis);
    gui::Application.CreateForm(download);
    gui::Application.CreateForm(info);
    gui::Application.CreateForm(anleitung);
    setup->Sprachhinweis = sprachhinweis;
    setup->Download = download;
    setup->Info = info;
    setup->Anleitung = anleitung;
    return setup;
}
