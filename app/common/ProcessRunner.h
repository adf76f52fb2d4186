#pragma once
// Child processes of both programs: the one runner that the conversion pass, merging and post-processing share
// (hidden, output drained through a pipe), and RunAndWait for programs the user sees (viewer, installer steps).
#include <functional>
#include <string>
#include <string_view>

struct ChildRun {
    bool started = false;         // the process ran (exitCode is valid)
    bool pipeFailed = false;      // the output pipe could not be created; nothing was started
    unsigned long exitCode = 0;   // the child's exit code when started
    unsigned long startError = 0; // GetLastError of the failed CreatePipe or CreateProcess
};

// Starts commandLine hidden in a new console, standard output and standard error on one pipe, and reads that pipe
// to its end while the child runs (a chatty child never fills it and hangs the caller), then waits for the child.
// Every chunk read goes to onOutput (which may be empty). Returns when the child and everything that inherited
// the pipe have ended.
ChildRun RunHiddenPiped(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput = {});

// Starts commandLine in a new console with the given show mode (SW_...), no handles inherited, and waits for it
// without a time limit. Returns its exit code, or -1 when it could not be started.
int RunAndWait(const std::wstring& commandLine, int showWindow);
