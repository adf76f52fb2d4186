#include "app/common/ProcessRunner.h"

#include "gui/Handles.h"

#include <windows.h>

#include <vector>

namespace {

using gui::UniqueHandle;

// CreateProcessW may write into its command line, so it gets a private, terminated copy.
std::vector<wchar_t> MutableCommandLine(const std::wstring& commandLine) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    return buffer;
}

unsigned long WaitForExitCode(HANDLE process) {
    while (WaitForSingleObject(process, INFINITE) == WAIT_TIMEOUT) {
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        code = static_cast<DWORD>(-1);
    }
    return code;
}

} // namespace

ChildRun RunHiddenPiped(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput) {
    ChildRun run;

    // Only the write end may be inherited: a read end in the child would keep the pipe open after the child's
    // output is done, and ReadFile below would never see its end.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE pipeRead = nullptr, pipeWrite = nullptr;
    const BOOL piped = CreatePipe(&pipeRead, &pipeWrite, &inheritable, 0);
    UniqueHandle readEnd(pipeRead), writeEnd(pipeWrite);
    if (!piped || !SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
        run.pipeFailed = true;
        run.startError = GetLastError();
        return run;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();

    PROCESS_INFORMATION info{};
    auto line = MutableCommandLine(commandLine);
    BOOL created = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                  CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                                  nullptr, &startup, &info);
    DWORD createError = GetLastError();
    // Our copy of the write end must go at once: the pipe ends only when every writer has closed it.
    writeEnd.reset();
    if (!created) {
        run.startError = createError;
        return run;
    }
    run.started = true;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(readEnd.get(), buffer, sizeof(buffer), &got, nullptr) || got == 0) {
            break; // ERROR_BROKEN_PIPE: every writer is gone
        }
        if (onOutput) {
            onOutput(std::string_view(buffer, got));
        }
    }
    run.exitCode = WaitForExitCode(process.get());
    return run;
}

int RunAndWait(const std::wstring& commandLine, int showWindow) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);

    // The whole line is passed, however long: there is no fixed buffer to overrun.
    PROCESS_INFORMATION info{};
    auto line = MutableCommandLine(commandLine);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &info)) {
        return -1;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    return static_cast<int>(WaitForExitCode(process.get()));
}
