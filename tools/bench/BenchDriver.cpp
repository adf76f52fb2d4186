// Starts Ostrel.exe and the bare programs side by side, several rounds interleaved, and prints one table of medians
// and ratios. Absolute times under Wine vary from run to run; the ratios between programs measured in the same round
// do not.
//   BenchDriver.exe <Ostrel program folder> <bench programs folder> <work folder> [rounds] [jobs]
// The work folder holds "files" (the large folder, filled by run.sh); the driver makes the rest.
#include "core/TextEncoding.h"
#include "win/AnsiText.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStartTimeoutMs = 180000;
constexpr DWORD kPassTimeoutMs = 600000;
constexpr double kStallMs = 30000;

const char kOnePageJob[] = "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n/Helvetica findfont 24 scalefont setfont\n"
                           "%%Page: 1 1\n72 700 moveto (Ostrel bench) show showpage\n%%EOF\n";

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

bool Poll(const std::function<bool()>& done, DWORD timeoutMs) {
    const double deadline = Now() + timeoutMs;
    while (!done()) {
        if (Now() > deadline) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

// The names of the files (not folders) in a folder that match the pattern.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*") {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW((folder + L"\\" + pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void EmptyFolder(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& name : FilesIn(folder)) {
        DeleteFileW((folder + L"\\" + name).c_str());
    }
}

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[128]{};
    GetClassNameW(hwnd, className, 128);
    if (pid == search->pid && IsWindowVisible(hwnd) && wcscmp(className, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

class Child {
public:
    Child(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
        std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = Now();
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                            &info_)) {
            info_ = {};
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { End(); }

    bool Running() const { return info_.hProcess != nullptr; }
    double Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    // STILL_ACTIVE while the process runs.
    DWORD ExitCode() const {
        DWORD code = 0;
        return GetExitCodeProcess(info_.hProcess, &code) ? code : 0;
    }

    // The first visible top-level window of the class that belongs to this process.
    HWND VisibleWindow(const wchar_t* className) const {
        WindowSearch search{info_.dwProcessId, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    double WorkingSetMb() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(info_.hProcess, &counters, sizeof counters)) {
            return 0;
        }
        return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
    }

    void End() {
        if (!info_.hProcess) {
            return;
        }
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 30000);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
        info_ = {};
    }

private:
    PROCESS_INFORMATION info_{};
    double started_ = 0;
};

std::wstring ControlName(HWND hwnd) {
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"OstrelName")));
    wchar_t name[256] = {};
    return atom ? std::wstring(name, GlobalGetAtomNameW(atom, name, 256)) : std::wstring();
}

struct NameSearch {
    const std::wstring* name;
    HWND found;
};

BOOL CALLBACK MatchName(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<NameSearch*>(param);
    if (ControlName(hwnd) == *search->name) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindNamed(HWND root, const std::wstring& name) {
    NameSearch search{&name, nullptr};
    EnumChildWindows(root, MatchName, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int ItemCount(HWND list) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 60000, &count)) {
        return -1;
    }
    return static_cast<int>(count);
}

bool GhostscriptRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !running; more = Process32NextW(snapshot, &entry)) {
        running = _wcsicmp(entry.szExeFile, L"gswin32c.exe") == 0;
    }
    CloseHandle(snapshot);
    return running;
}

// Runs a command line as Ostrel runs Ghostscript: hidden, in the same current folder, its output read from a pipe to
// the end, then waited for.
void RunPiped(const std::wstring& commandLine, const std::wstring& folder) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    const BOOL created = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                                        folder.c_str(), &startup, &info);
    CloseHandle(writeEnd);
    if (created) {
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        }
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(readEnd);
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values, size_t from, size_t count) {
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) {
        sum += values[i];
    }
    return count ? sum / static_cast<double>(count) : 0;
}

// Job time of the last tenth (at least one job) against the first tenth: 1.0 means no growth.
double Growth(const std::vector<double>& jobTimes) {
    if (jobTimes.size() < 2) {
        return 0;
    }
    const size_t tenth = std::max<size_t>(jobTimes.size() / 10, 1);
    return Mean(jobTimes, jobTimes.size() - tenth, tenth) / Mean(jobTimes, 0, tenth);
}

struct Series {
    std::vector<double> ostrel, baseline;
};

class Bench {
public:
    Bench(std::wstring ostrelFolder, std::wstring toolsFolder, std::wstring workFolder, int jobs)
        : ostrelFolder_(std::move(ostrelFolder)), toolsFolder_(std::move(toolsFolder)), work_(std::move(workFolder)),
          jobs_(jobs) {
        files_ = work_ + L"\\files";
        empty_ = work_ + L"\\empty";
        jobsFolder_ = work_ + L"\\jobs";
        out_ = work_ + L"\\out";
        gsLog_ = work_ + L"\\gs-commands.log";
        CreateDirectoryW(empty_.c_str(), nullptr);
        EmptyFolder(empty_);
        EmptyFolder(out_);
        EmptyFolder(jobsFolder_);
        for (int i = 1; i <= jobs_; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"\\job%03d.ps", i);
            WriteBytes(jobsFolder_ + name, kOnePageJob);
        }
        fileCount_ = static_cast<int>(FilesIn(files_).size());
        // Ghostscript's stand-in writes each command line it gets here: the bare loop replays them.
        SetEnvironmentVariableW(L"OSTREL_GS_LOG", gsLog_.c_str());
    }

    // The first start of a program in a Wine session loads what later starts find ready: not measured.
    void WarmUp() {
        HWND window = nullptr;
        WriteIni(empty_);
        {
            Child ostrel(Ostrel(), L"", ostrelFolder_);
            UntilWindow(ostrel, L"TOstrel_Form", window);
        }
        {
            Child bare(Tool(L"BareSplash.exe"), L"", toolsFolder_);
            UntilWindow(bare, L"BenchMainWindow", window);
        }
        Child full(Tool(L"BareMainWindow.exe"), L"", toolsFolder_);
        UntilWindow(full, L"BenchFullWindow", window);
    }

    int FileCount() const { return fileCount_; }
    int Jobs() const { return jobs_; }

    // what: "all", or one of "start", "pane", "pass" to measure that alone.
    void Round(const std::wstring& what) {
        if (what == L"all" || what == L"start") {
            Start();
        }
        if (what == L"all" || what == L"pane") {
            Pane();
        }
        if (what == L"all" || what == L"pass") {
            Pass();
        }
    }

    Series start, startFullWindow, load, refresh, workingSet, passPerJob, passGrowth;

private:
    std::wstring Ostrel() const { return ostrelFolder_ + L"\\Ostrel.exe"; }
    std::wstring Tool(const wchar_t* name) const { return toolsFolder_ + L"\\" + name; }

    // Ostrel.ini is in the ANSI code page, as the profile functions write and read it.
    void WriteIni(const std::wstring& input, const std::string& extra = {}) const {
        WriteBytes(ostrelFolder_ + L"\\Ostrel.ini", "[Verzeichnisse]\r\nEingabeverzeichnis=" + win::ToAnsi(input) +
                                                        "\r\nAusgabeverzeichnis=" + win::ToAnsi(out_) + "\r\n" + extra);
    }

    // Milliseconds from the start of the process to its visible main window, or nullopt.
    static std::optional<double> UntilWindow(const Child& child, const wchar_t* className, HWND& window) {
        if (!child.Running() ||
            !Poll([&] { return (window = child.VisibleWindow(className)) != nullptr; }, kStartTimeoutMs)) {
            return std::nullopt;
        }
        return Now() - child.Started();
    }

    // Milliseconds from the start of the process until the list holds at least count items. The list is looked for
    // again until it is found: a window may show before all its controls' windows exist.
    static std::optional<double> UntilFilled(const Child& child, const std::function<HWND()>& findList, int count) {
        HWND list = nullptr;
        const auto filled = [&] {
            if (!list || !IsWindow(list)) {
                list = findList();
            }
            return list && ItemCount(list) >= count;
        };
        if (!Poll(filled, kStartTimeoutMs)) {
            return std::nullopt;
        }
        return Now() - child.Started();
    }

    void Start() {
        std::optional<double> ostrelStart, bareStart, fullStart;
        HWND window = nullptr;
        {
            WriteIni(empty_);
            Child ostrel(Ostrel(), L"", ostrelFolder_);
            ostrelStart = UntilWindow(ostrel, L"TOstrel_Form", window);
        }
        {
            Child bare(Tool(L"BareSplash.exe"), L"", toolsFolder_);
            bareStart = UntilWindow(bare, L"BenchMainWindow", window);
        }
        {
            Child full(Tool(L"BareMainWindow.exe"), L"", toolsFolder_);
            fullStart = UntilWindow(full, L"BenchFullWindow", window);
        }
        if (ostrelStart && bareStart) {
            start.ostrel.push_back(*ostrelStart);
            start.baseline.push_back(*bareStart);
        }
        if (ostrelStart && fullStart) {
            startFullWindow.ostrel.push_back(*ostrelStart);
            startFullWindow.baseline.push_back(*fullStart);
        }
    }

    // Both programs' load cost is the time to the filled list minus the time to the window over an empty folder:
    // Ostrel lists the folder before its window shows, so the time from its window to the filled list alone would
    // leave most of the load out.
    void Pane() {
        std::optional<double> ostrelEmpty, ostrelStart, ostrelFilled, bareEmpty, bareFilled;
        double ostrelRefresh = 0, ostrelMemory = 0, bareMemory = 0;
        HWND window = nullptr;
        {
            WriteIni(empty_);
            Child ostrel(Ostrel(), L"", ostrelFolder_);
            ostrelEmpty = UntilWindow(ostrel, L"TOstrel_Form", window);
        }
        {
            WriteIni(files_);
            Child ostrel(Ostrel(), L"", ostrelFolder_);
            if ((ostrelStart = UntilWindow(ostrel, L"TOstrel_Form", window))) {
                ostrelFilled = UntilFilled(
                    ostrel, [&] { return FindNamed(window, L"DirView1"); }, fileCount_);
            }
            if (ostrelFilled) {
                Sleep(500);
                ostrelMemory = ostrel.WorkingSetMb();
                if (HWND button = FindNamed(window, L"F12Bt")) {
                    DWORD_PTR result = 0;
                    const double before = Now();
                    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &result);
                    ostrelRefresh = Now() - before;
                }
            }
        }
        {
            Child bare(Tool(L"BareListView.exe"), L"\"" + empty_ + L"\"", toolsFolder_);
            bareEmpty = UntilWindow(bare, L"BenchListWindow", window);
        }
        {
            Child bare(Tool(L"BareListView.exe"), L"\"" + files_ + L"\"", toolsFolder_);
            if (UntilWindow(bare, L"BenchListWindow", window)) {
                bareFilled = UntilFilled(
                    bare, [&] { return GetWindow(window, GW_CHILD); }, fileCount_);
            }
            if (bareFilled) {
                Sleep(500);
                bareMemory = bare.WorkingSetMb();
            }
        }
        if (ostrelEmpty && ostrelStart && ostrelFilled && bareEmpty && bareFilled) {
            const double ostrelLoad = std::max(*ostrelFilled - *ostrelEmpty, 1.0);
            load.ostrel.push_back(ostrelLoad);
            load.baseline.push_back(std::max(*bareFilled - *bareEmpty, 1.0));
            if (ostrelRefresh > 0) {
                refresh.ostrel.push_back(ostrelRefresh);
                refresh.baseline.push_back(ostrelLoad);
            }
        }
        if (ostrelMemory > 0 && bareMemory > 0) {
            workingSet.ostrel.push_back(ostrelMemory);
            workingSet.baseline.push_back(bareMemory);
        }
    }

    void Pass() {
        EmptyFolder(out_);
        DeleteFileW(gsLog_.c_str());
        // The first tick comes a few seconds after the start: a pass that began before the window's first showing
        // would find both trees still without their folders.
        WriteIni(jobsFolder_, "[Start]\r\nAutostart=0\r\nKommandozeile=1\r\n[Timer]\r\nSekunden=5\r\n");
        std::vector<double> seen;
        {
            Child ostrel(Ostrel(), L"", ostrelFolder_);
            HWND window = nullptr;
            if (!UntilWindow(ostrel, L"TOstrel_Form", window)) {
                std::fprintf(stderr, "pass: no main window (exit code %lu)\n", ostrel.ExitCode());
            } else {
                // A pass that makes no progress for a while has failed (a crashed program waits for its debugger).
                double progress = Now();
                Poll(
                    [&] {
                        const int count = static_cast<int>(FilesIn(out_, L"*.pdf").size());
                        const double now = Now();
                        if (static_cast<int>(seen.size()) < count) {
                            progress = now;
                        }
                        while (static_cast<int>(seen.size()) < count) {
                            seen.push_back(now);
                        }
                        return count >= jobs_ || now - progress > kStallMs || ostrel.ExitCode() != STILL_ACTIVE;
                    },
                    kPassTimeoutMs);
            }
        }
        Poll([] { return !GhostscriptRunning(); }, 30000);
        if (static_cast<int>(seen.size()) < jobs_) {
            std::fprintf(stderr, "pass: only %zu of %d results appeared\n", seen.size(), jobs_);
            return;
        }
        // A file appears when its job's Ghostscript starts writing: the gaps between appearances are job times.
        std::vector<double> ostrelJobs;
        for (size_t i = 1; i < static_cast<size_t>(jobs_); ++i) {
            ostrelJobs.push_back(seen[i] - seen[i - 1]);
        }

        std::vector<std::wstring> lines;
        {
            std::ifstream log(std::filesystem::path(gsLog_), std::ios::binary);
            for (std::string line; std::getline(log, line) && static_cast<int>(lines.size()) < jobs_;) {
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                lines.push_back(WideFromUtf8(line));
            }
        }
        if (static_cast<int>(lines.size()) < jobs_) {
            std::fprintf(stderr, "pass: only %zu of %d Ghostscript command lines were logged\n", lines.size(), jobs_);
            return;
        }
        EmptyFolder(out_);
        std::vector<double> bareJobs;
        for (const std::wstring& line : lines) {
            const double before = Now();
            RunPiped(line, ostrelFolder_);
            bareJobs.push_back(Now() - before);
        }
        EmptyFolder(out_);

        passPerJob.ostrel.push_back(Mean(ostrelJobs, 0, ostrelJobs.size()));
        passPerJob.baseline.push_back(Mean(bareJobs, 0, bareJobs.size()));
        passGrowth.ostrel.push_back(Growth(ostrelJobs));
        passGrowth.baseline.push_back(Growth(bareJobs));
    }

    std::wstring ostrelFolder_, toolsFolder_, work_, files_, empty_, jobsFolder_, out_, gsLog_;
    int jobs_ = 100;
    int fileCount_ = 0;
};

// ratioOfOstrelOnly: the row compares Ostrel with itself (its ratio column is Ostrel's value).
void Row(const std::string& measure, const Series& series, const char* unit, int decimals, const char* target,
         bool ratioOfOstrelOnly = false) {
    if (series.ostrel.empty()) {
        std::printf("| %-44s | %12s | %12s | %6s | %-8s | %4d |\n", measure.c_str(), "failed", "-", "-", target, 0);
        return;
    }
    const double ostrel = Median(series.ostrel), baseline = Median(series.baseline);
    const double ratio = ratioOfOstrelOnly ? ostrel : ostrel / baseline;
    char a[32], b[32];
    std::snprintf(a, sizeof a, "%.*f %s", decimals, ostrel, unit);
    std::snprintf(b, sizeof b, "%.*f %s", decimals, baseline, unit);
    std::printf("| %-44s | %12s | %12s | %6.2f | %-8s | %4zu |\n", measure.c_str(), a, b, ratio, target,
                series.ostrel.size());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: BenchDriver <Ostrel folder> <bench programs folder> <work folder> [rounds] "
                             "[jobs] [all|start|pane|pass]\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::max(_wtoi(argv[4]), 1) : 3;
    const int jobs = argc > 5 ? std::max(_wtoi(argv[5]), 2) : 100;
    const std::wstring what = argc > 6 ? argv[6] : L"all";
    Bench bench(argv[1], argv[2], argv[3], jobs);
    if (bench.FileCount() == 0) {
        std::fprintf(stderr, "BenchDriver: the folder \"files\" of the work folder is empty\n");
        return 2;
    }
    bench.WarmUp();
    for (int round = 1; round <= rounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round, rounds);
        bench.Round(what);
    }

    const std::string files = std::to_string(bench.FileCount()) + "-file pane";
    std::printf("| %-44s | %12s | %12s | %6s | %-8s | %4s |\n", "measure", "Ostrel", "baseline", "ratio", "target",
                "runs");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(14, '-').c_str(),
                std::string(14, '-').c_str(), std::string(8, '-').c_str(), std::string(10, '-').c_str(),
                std::string(6, '-').c_str());
    // A measure left out on purpose gets no row; one that was run and failed says so.
    const auto row = [&](const std::string& measure, const Series& series, const char* unit, int decimals,
                         const char* target, bool ratioOfOstrelOnly = false) {
        if (what == L"all" || !series.ostrel.empty()) {
            Row(measure, series, unit, decimals, target, ratioOfOstrelOnly);
        }
    };
    row("automatic pass, " + std::to_string(bench.Jobs()) + " one-page jobs, per job", bench.passPerJob, "ms", 0,
        "<= 1.10");
    row("pass: job time, last tenth vs first tenth", bench.passGrowth, "x", 2, "<= 1.10", true);
    row(files + ": load cost", bench.load, "ms", 0, "<= 2");
    row(files + ": refresh (F12) vs the load", bench.refresh, "ms", 0, "<= 0.5");
    row("start to the main window", bench.start, "ms", 0, "<= 1.3");
    row("start vs bare window of the same controls", bench.startFullWindow, "ms", 0, "-");
    row("working set, " + files + " listed", bench.workingSet, "MB", 1, "<= 1.2");
    std::printf("\nbaselines: a bare loop running the same Ghostscript command lines; a bare list view filled with the "
                "same names (load cost: filled minus shown over an empty folder, for both); Ostrel's own load (refresh "
                "row); a bare "
                "program showing and hiding a splash, then one window; a bare program showing and hiding a splash, "
                "then a window of the native controls Ostrel's main window is made of (information, no target).\n");
    return 0;
}
