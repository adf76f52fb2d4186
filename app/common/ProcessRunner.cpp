#include "app/common/ProcessRunner.h"

#include "win/Handles.h"
#include "win/Trace.h"

#include <windows.h>

#include <vector>

namespace {

using win::UniqueHandle;

// How long an ended child's pipe may take to report its end before the reader's blocked read is cancelled (a
// process outside the job may still hold the write end).
constexpr DWORD kReaderEndMs = 5000;

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

// A job whose processes all end when its last handle closes: a child must not outlive the program that waits for
// it, even when that program is ended from outside.
win::UniqueHandle CreateKillOnCloseJob() {
    win::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        return job;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        job.reset();
    }
    return job;
}

struct PipeReader {
    HANDLE pipe = nullptr;
    const std::function<void(std::string_view)>* onOutput = nullptr;
};

DWORD WINAPI ReadPipeToEnd(void* parameter) {
    const auto* reader = static_cast<PipeReader*>(parameter);
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(reader->pipe, buffer, sizeof(buffer), &got, nullptr) || got == 0) {
            break; // ERROR_BROKEN_PIPE: every writer is gone
        }
        if (reader->onOutput && *reader->onOutput) {
            try {
                (*reader->onOutput)(std::string_view(buffer, got));
            } catch (...) {
                // A listener's failure must not end the draining: the child would stall on a full pipe.
                win::TraceCaught(L"ReadPipeToEnd");
            }
        }
    }
    return 0;
}

// Waits until every handle is signalled. With a pump, the thread's messages run whenever they arrive; false when
// the caller abandoned the wait.
bool WaitForAll(std::vector<HANDLE> handles, const ChildWait& wait) {
    while (!handles.empty()) {
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD result = wait.pumpMessages ? MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE,
                                                                             QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                                               : WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
        if (result < WAIT_OBJECT_0 + count) {
            handles.erase(handles.begin() + (result - WAIT_OBJECT_0));
        } else if (wait.pumpMessages && result == WAIT_OBJECT_0 + count) {
            wait.pumpMessages();
            if (wait.abandon && wait.abandon()) {
                return false;
            }
        } else if (result == WAIT_FAILED) {
            // A handle that cannot be waited for cannot be waited out either: wait for each in turn.
            for (HANDLE handle : handles) {
                WaitForSingleObject(handle, INFINITE);
            }
            return true;
        }
    }
    return true;
}

} // namespace

ChildRun RunHiddenPiped(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                        const ChildWait& wait) {
    ChildRun run;

    // Only the write end may be inherited: a read end in the child would keep the pipe open after the child's
    // output is done, and the reader would never see its end.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE pipeRead = nullptr, pipeWrite = nullptr;
    const BOOL piped = CreatePipe(&pipeRead, &pipeWrite, &inheritable, 0);
    win::UniqueHandle readEnd(pipeRead), writeEnd(pipeWrite);
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

    // Started suspended, so that it is in the job before it can start a process of its own. Its console has no
    // window: nobody sees it, and making a console window (even a hidden one) costs a good part of a short job.
    // The child's own console programs share that console, so none of them opens a window either.
    win::UniqueHandle job = CreateKillOnCloseJob();
    PROCESS_INFORMATION info{};
    auto line = MutableCommandLine(commandLine);
    BOOL created =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                       CREATE_DEFAULT_ERROR_MODE | CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr,
                       nullptr, &startup, &info);
    DWORD createError = GetLastError();
    // Our copy of the write end must go at once: the pipe ends only when every writer has closed it.
    writeEnd.reset();
    if (!created) {
        run.startError = createError;
        return run;
    }
    run.started = true;
    win::UniqueHandle process(info.hProcess);
    win::UniqueHandle thread(info.hThread);
    if (job && !AssignProcessToJobObject(job.get(), process.get())) {
        job.reset(); // ended by its handle alone
    }
    ResumeThread(thread.get());
    if (wait.started) {
        // Before the reader exists, so that nothing of this frame is in use elsewhere should it throw; the child
        // writes into the pipe's buffer meanwhile.
        wait.started();
    }

    PipeReader reader{readEnd.get(), &onOutput};
    win::UniqueHandle readerThread(CreateThread(nullptr, 0, ReadPipeToEnd, &reader, 0, nullptr));
    if (!readerThread) {
        // Without a thread the pipe is drained here; the caller's messages wait until the child is done.
        ReadPipeToEnd(&reader);
        run.exitCode = WaitForExitCode(process.get());
        return run;
    }

    if (WaitForAll({process.get(), readerThread.get()}, wait)) {
        run.exitCode = WaitForExitCode(process.get());
        return run;
    }

    run.abandoned = true;
    if (!job || !TerminateJobObject(job.get(), 1)) {
        TerminateProcess(process.get(), 1);
    }
    WaitForSingleObject(process.get(), INFINITE);
    // The reader uses this frame's handles and listener, so it must be gone before the frame is.
    if (WaitForSingleObject(readerThread.get(), kReaderEndMs) == WAIT_TIMEOUT) {
        CancelSynchronousIo(readerThread.get());
    }
    WaitForSingleObject(readerThread.get(), INFINITE);
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
    win::UniqueHandle process(info.hProcess);
    win::UniqueHandle thread(info.hThread);
    return static_cast<int>(WaitForExitCode(process.get()));
}
