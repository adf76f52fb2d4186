// Ostrel.exe: the single-instance guard, then the program body that makes every window in a fixed order under the
// splash window and runs the message loop.
#include "app/dialogs/SmallDialogs.h"
#include "app/main/OstrelForms.h"
#include "app/main/OstrelForward.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "win/Handles.h"
#include "win/Trace.h"

#include <windows.h>

#include <cstdlib>
#include <memory>

namespace {

using win::UniqueHandle;

std::wstring FirstArgument() {
    return __argc > 1 && __wargv && __wargv[1] ? std::wstring(__wargv[1]) : std::wstring();
}

// The running copy's window, restored and brought to the front; null when there is none.
HWND RaiseRunningCopy() {
    HWND window = FindWindowW(kMainWindowClass, nullptr);
    if (!window) {
        return nullptr;
    }
    if (IsIconic(window)) {
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    SetForegroundWindow(window);
    return window;
}

int RunProgram(const std::wstring& commandLineFile) {
    gui::Application.Initialize();
    gui::Application.SetTitle(kIntroTitle);

    auto intro = std::make_unique<TIntroWin>();
    intro->SetPosition(gui::TPosition::poScreenCenter);
    intro->Show();
    UpdateWindow(intro->Handle());

    try {
        CreateOstrelForms(commandLineFile, intro.get());
    } catch (const std::exception&) {
        win::TraceCaught(L"RunProgram");
        intro.reset();
        gui::MessageDlg(L"Ostrel konnte nicht gestartet werden.\r\rOstrel could not be started.", kProgramTitle,
                        gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK);
        gui::Application.DestroyForms();
        return 1;
    }
    intro.reset();
    gui::Application.SetTitle(kProgramTitle);
    gui::Application.Run();
    return ProgramExitCode;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring argument = FirstArgument();
    // The mutex only marks that a copy runs; it is held until the process ends.
    win::UniqueHandle guard(CreateMutexW(nullptr, TRUE, L"Ostrel"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND running = RaiseRunningCopy()) {
            if (argument.empty()) {
                return 0;
            }
            // The running copy converts the file, as this start would have.
            if (ForwardFileToRunningCopy(running, argument)) {
                return 0;
            }
            gui::MessageDlg(kForwardFailedText, kProgramTitle, gui::TMsgDlgType::mtError, gui::TMsgDlgButtons::mbOK);
            return 0;
        }
    }
    try {
        return RunProgram(argument);
    } catch (...) {
        win::TraceCaught(L"wWinMain");
        return 1;
    }
}
