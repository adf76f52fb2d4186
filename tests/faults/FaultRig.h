#pragma once
// One run of Ostrel.exe against one fault: a program folder of its own with a data folder beside the program
// ("data\in", "data\out" by default, or whatever the case names as the stored folders), a settings file with a
// one-second poll period, the process started in automatic or one-file mode, every message box it shows read and
// answered, and at the end the judgement by what is on disk: the outputs, the inputs, the tree outside the folders,
// the log and the passwords.
#include "support/ProgramUnderTest.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace faults {

namespace fs = std::filesystem;

constexpr DWORD kPollMs = 1000;         // [Timer] Sekunden=1
constexpr DWORD kWorkTimeoutMs = 45000; // one conversion under Wine, with a generous margin

// What a case expects of an input at the end.
enum class InputEnd {
    Gone,      // converted and deleted (or renamed away)
    Kept,      // still there (its document information may have been rewritten)
    Unchanged, // still there with the bytes the case wrote
};

// A Windows path as text in the settings file and the log (plain ASCII in these tests).
std::string Ansi(const fs::path& path);

// A PostScript job of that many pages, each page showing the text and its number.
std::string Job(int pages, const std::string& text);
// A job whose first page is fine and whose next line is an undefined name: Ghostscript fails after page 1.
std::string FailingJob();
// A job that keeps Ghostscript busy for a minute (bounded, so that a Ghostscript left behind ends by itself).
std::string LoopingJob();
// The pages of a PDF as its page objects count them.
int PdfPageCount(const std::string& pdf);

class Rig {
public:
    Rig();
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    const fs::path& root() const { return folder_.dir(); }
    fs::path data() const { return root() / L"data"; }
    fs::path log() const { return folder_.log(); }

    // The stored folders; a case may name folders that do not exist.
    fs::path in;
    fs::path out;
    // Settings beyond the ones every case has (section -> lines "key=value", ANSI).
    bool automatic = true;
    bool deleteInputs = true;
    std::map<std::string, std::vector<std::string>> extraSettings;
    // Files and folders besides the stored folders that the case lets the program change.
    std::vector<fs::path> mayChange;
    // Strings that must not occur in any file the program writes.
    std::vector<std::string> secrets;

    // Writes a file and remembers its bytes for InputEnd::Unchanged.
    void Put(const fs::path& file, const std::string& bytes);

    // Writes the settings file, takes the picture of the tree, starts the program. Automatic mode waits for the
    // main window; one-file mode (a non-empty argument) returns at once.
    void Start(const std::wstring& argument = {});
    // A second start of the program from the same folder while the first runs.
    void StartAnother(programtest::Process& process, const std::wstring& argument) const;
    programtest::Process& process() { return process_; }
    HWND main() const { return main_; }

    // Polls the condition every 200 ms until it holds or the deadline passes; boxes that come meanwhile are read
    // and answered.
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWorkTimeoutMs);
    bool WaitForFile(const fs::path& file, DWORD timeoutMs = kWorkTimeoutMs);
    // Lets that many poll periods pass (boxes are answered meanwhile).
    void Idle(int ticks);
    // Ends the program with WM_CLOSE; nullopt when it did not end in time (it is then killed, its children are
    // left until the rig ends).
    std::optional<DWORD> Close(DWORD timeoutMs = 30000);
    // One-file mode: waits for the program to end by itself, answering its boxes.
    std::optional<DWORD> WaitForEnd(DWORD timeoutMs = 60000);

    // The texts of every box the program showed so far.
    const std::vector<std::wstring>& boxes() const { return boxTexts_; }
    void ForgetBoxes() { boxTexts_.clear(); }
    // The log's bytes (empty when there is none).
    std::string Log() const;
    // The number of log lines that name the text.
    int LogLinesNaming(const std::string& text) const;
    // The names of the files in the output folder, sorted (empty when the folder does not exist).
    std::vector<std::string> Outputs() const;
    // The program's Ghostscript processes running now (their ids are kept: the rig ends any left behind).
    std::vector<DWORD> GhostscriptChildren();

    // The judgement at the end.
    void ExpectOutputs(const std::vector<std::string>& names) const;
    void ExpectInput(const fs::path& file, InputEnd end) const;
    // Nothing outside the stored folders, the settings file, the log and mayChange was made, changed or removed.
    void ExpectOutsideUntouched() const;
    // No secret in any file below the program folder except the settings file, which stores them.
    void ExpectNoSecretInProducedFiles() const;

private:
    struct Entry {
        bool directory = false;
        std::uintmax_t size = 0;
        fs::file_time_type time{};
        std::string bytes; // small files only
    };
    std::map<fs::path, Entry> Picture() const;
    bool Inside(const fs::path& path) const;
    void WriteSettings() const;
    void WatchBoxes();
    void EndLeftovers();

    programtest::ProgramFolder folder_{L"faults"};
    programtest::Process process_;
    HWND main_ = nullptr;
    std::map<fs::path, std::string> written_;
    std::map<fs::path, Entry> before_;
    std::set<HWND> answered_;
    std::vector<std::wstring> boxTexts_;
    std::set<DWORD> children_;
};

} // namespace faults
