// The installer's program body: the set-up window and its small forms, then the message loop.
#include "app/common/Sprachhinweis_Unit.h"
#include "gui/Application.h"
#include "installer/setup/Ostrel_Setup_Form.h"
#include "installer/setup/SetupForms.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace {

std::wstring ProgramFolderOfExe() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path().wstring() + L"\\";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return gui::Guarded("wWinMain", 1, [] {
        gui::Application.Initialize();
        gui::Application.SetTitle(L"Ostrel-Setup");
        TOstrel_Setup* setup = nullptr;
        TSprachhinweis_Form* sprachhinweis = nullptr;
        installer::TDownload* download = nullptr;
        installer::TInfo_Form* info = nullptr;
        installer::TAnleitung_Form* anleitung = nullptr;
        gui::Application.CreateForm(setup, ProgramFolderOfExe());
        gui::Application.CreateForm(sprachhinweis);
        gui::Application.CreateForm(download);
        gui::Application.CreateForm(info);
        gui::Application.CreateForm(anleitung);
        setup->Sprachhinweis = sprachhinweis;
        setup->Download = download;
        setup->Info = info;
        setup->Anleitung = anleitung;
        gui::Application.Run();
        return 0;
    });
}
