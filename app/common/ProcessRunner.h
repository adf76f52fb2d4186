#pragma once
// Child processes of both programs: the one runner that the conversion pass, merging and post-processing share
// (hidden, output drained through a pipe), and RunAndWait for programs the user sees (viewer, installer steps).
#include <functional>
#include <string>
#include <string_view>

struct ChildRun {
    bool started = false;         // the process ran (exitCode is valid unless abandoned)
    bool pipeFailed = false;      // the output pipe could not be created; nothing was started
    bool abandoned = false;       // the caller gave the child up while it ran: it was ended, exitCode means nothing
    unsigned long exitCode = 0;   // the child's exit code when started
    unsigned long startError = 0; // GetLastError of the failed CreatePipe or CreateProcess
};

// How the caller's thread spends the time while the child runs. started runs once the child has been started,
// before the wait: what the caller does there overlaps the child's work. Without a pump the thread then just
// waits. With one, every message that arrives for the thread is run through pumpMessages at once, so a window stays
// usable however long the child takes; after each pump abandon is asked, and true ends the child (and every process
// it started) and returns at once.
struct ChildWait {
    std::function<void()> started;
    std::function<void()> pumpMessages;
    std::function<bool()> abandon;
};

// Starts commandLine hidden in a console of its own without a window, standard output and standard error on one
// pipe. A reader thread drains that pipe while the child runs (a chatty child never fills it and hangs), and hands
// every chunk to onOutput (which may be empty) on that thread; the caller sees the output only after the run
// returned. Returns when the child and everything that inherited the pipe have ended. The child and its own children
// belong to a job of this process: when this process ends, whatever of them still runs ends with it.
ChildRun RunHiddenPiped(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput = {},
                        const ChildWait& wait = {});

// Starts commandLine in a new console with the given show mode (SW_...), no handles inherited, and waits for it
// without a time limit. Returns its exit code, or -1 when it could not be started.
int RunAndWait(const std::wstring& commandLine, int showWindow);
