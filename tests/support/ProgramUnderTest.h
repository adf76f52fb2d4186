#pragma once
// Ostrel.exe as a real process, for the tests that drive the whole program: a program folder of its own laid out as
// the shipped folder is, the process started from there (with a file argument or without), its windows found by
// class, its message boxes read, its child processes listed, and its end awaited.
#include "support/TestEnv.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace programtest {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 90000;

// Latin-1 narrowing for failure messages and for the ANSI settings file (the test paths are plain ASCII).
std::string Narrow(const std::wstring& text);

// A started process, ended at scope exit when it still runs.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const;
    // The exit code, or nullopt when the process did not end in time.
    std::optional<DWORD> WaitExit(DWORD timeoutMs) const;
    // Ends the process at once (a test that found it hanging).
    void Kill() const;

private:
    friend class ProgramFolder;
    PROCESS_INFORMATION info_{};
};

// The top-level windows of a class that belong to a process (visible or not).
std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className);
// The visible top-level windows of a process, for a failure message.
std::string DescribeWindows(DWORD processId);
int CountWindows(const wchar_t* className);
// The first visible top-level window of that class of the process, waited for; null when none came in time.
HWND WaitForWindow(const Process& process, const wchar_t* className, DWORD timeoutMs = kStartTimeoutMs);
// The visible message box of a process that says the words, with the texts of its controls (one per line); null
// when none came in time. Any box of the process may be the one, and a box is only taken once its texts are there:
// under load a box can be found while it is still being made, and one that went away again must not be answered in
// place of the real one.
std::pair<HWND, std::wstring> WaitForBoxSaying(const Process& process, const std::wstring& words,
                                               DWORD timeoutMs = kStartTimeoutMs);
// The visible message boxes (dialog class #32770) of a process.
std::vector<HWND> MessageBoxesOf(DWORD processId);
// The texts of a box's controls, one per line. A box found while it is still being made has its controls but not
// yet their texts: this waits until a static text has one (or the deadline passes).
std::wstring BoxText(HWND box, DWORD timeoutMs = 5000);
// Answers a box with its OK (or only) button.
void AnswerBox(HWND box);
// The ids of the running processes whose parent is the process (as the system's process list gives them), with
// their program file names.
struct ChildProcess {
    DWORD id = 0;
    std::wstring exeName;
};
std::vector<ChildProcess> ChildProcessesOf(DWORD processId);

// A program folder of its own below the build's scratch area: a copy of the shipped folder (build/<preset>/dist),
// with or without the language files. The default input and output folders "in" and "out" are made in it.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::wstring& tag = L"program", bool withLanguages = true);

    const std::filesystem::path& dir() const { return dir_.path(); }
    std::filesystem::path in() const { return dir() / L"in"; }
    std::filesystem::path out() const { return dir() / L"out"; }
    std::filesystem::path ini() const { return dir() / L"Ostrel.ini"; }
    std::filesystem::path log() const { return dir() / L"OstrelLog.txt"; }

    // A settings file that names the default folders, followed by the extra lines (CR LF ended, ANSI).
    void WriteIni(const std::string& extraLines = {}) const;

    // Starts Ostrel.exe with the program folder as the current folder, with the argument (quoted) when one is
    // given.
    void Start(Process& process, const std::wstring& argument = {}) const;

private:
    testenv::TempDir dir_;
};

} // namespace programtest
