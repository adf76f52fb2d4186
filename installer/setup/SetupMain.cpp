// The installer's program body: the set-up window and its small forms, then the message loop.
#include "gui/Application.h"
#include "installer/setup/SetupProgram.h"

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
        CreateSetupForms(ProgramFolderOfExe());
        gui::Application.Run();
        return 0;
    });
}
