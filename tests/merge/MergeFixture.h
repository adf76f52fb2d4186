#pragma once
// The merge command over real folders: a recording main window, a scripted MergeUi (name, files, security fields),
// the Ghostscript stand-in at its product path logging its command lines, and sample PDFs made by it.
#include "app/main/Merge.h"

#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mergetest {

inline constexpr wchar_t kGhostscript[] = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";

void LoadEnglishTexts();
std::wstring Text(const wchar_t* key);
using testenv::SetVariable;
std::string PostScriptPages(int pages);
int PdfPageCount(const std::string& pdf);
// Makes a PDF of that many pages through the stand-in; fails the test when it cannot.
void MakePdf(const std::filesystem::path& pdf, int pages);
std::vector<std::string> SplitCrLf(const std::string& bytes);
std::string Ansi(const std::wstring& text); // Windows-1252
// A list file line: the bytes between double quotes, CR LF.
std::string QuotedLine(const std::string& bytes);

// The merge runs with the log on, and with an encryption choice it must not follow.
struct RecordingWindow : testenv::RecordingWindow {
    RecordingWindow() {
        logOn = true;
        encryptCombo = 1;
    }
};

class ScriptedUi : public MergeUi {
public:
    std::optional<std::wstring> AskMergeName() override {
        ++nameAsks;
        return name;
    }
    std::optional<MergeSelection> ChooseFiles() override {
        ++listShows;
        return selection;
    }
    SecuritySettings SecurityFields() const override { return security; }
    void SwitchOffOwnerPassword() override {
        ++ownerOffs;
        security.OwnerPasswordOn = false;
    }
    void OpenInReader(const std::wstring& file) override { opened.push_back(file); }
    void ReloadPanes() override { ++reloads; }

    std::optional<std::wstring> name = L"Gesamt.pdf";
    std::optional<MergeSelection> selection;
    SecuritySettings security;
    int nameAsks = 0;
    int listShows = 0;
    int ownerOffs = 0;
    int reloads = 0;
    std::vector<std::wstring> opened;
};

// One test's world: an output folder with a blank in its name, the log, the stand-in's log, the command.
class MergeWorld {
public:
    MergeWorld();
    ~MergeWorld();
    MergeWorld(const MergeWorld&) = delete;
    MergeWorld& operator=(const MergeWorld&) = delete;

    // The output folder with its trailing backslash, as the command uses it.
    std::wstring OutDir() const { return out.wstring() + L"\\"; }
    // The command lines the stand-in received, one per run.
    std::vector<std::string> GsCommandLines() const;
    std::vector<std::string> LogLines() const;
    void Run() { command.MergeBitBtnClick(); }

    testenv::TempDir temp{L"merge"};
    std::filesystem::path out;
    std::filesystem::path logFile;
    std::filesystem::path gsLog;
    RecordingWindow window;
    ScriptedUi ui;
    DialogSettings dialog;
    MergeCommand command;
};

} // namespace mergetest
