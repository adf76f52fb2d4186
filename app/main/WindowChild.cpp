#include "app/main/WindowChild.h"

ChildRun RunChildOfWindow(ConversionWindow& window, const std::wstring& commandLine,
                          const std::function<void(std::string_view)>& onOutput, const std::function<void()>& started) {
    if (window.Closing()) {
        throw ProgramClosing();
    }
    ChildWait wait;
    wait.started = started;
    wait.pumpMessages = [&window] { window.ProcessMessages(); };
    wait.abandon = [&window] { return window.Closing(); };
    ChildRun run = RunHiddenPiped(commandLine, onOutput, wait);
    if (run.abandoned) {
        throw ProgramClosing();
    }
    return run;
}
