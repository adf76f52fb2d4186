#pragma once
// A conversion pass over real folders with a fake file pane, a recording stand-in for the main window and the
// Ghostscript stand-in at its product path. The stand-in's command-line log shows exactly what was run.
#include "app/main/ConversionPass.h"

#include "support/FakeFilePane.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace convtest {

using RecordingWindow = testenv::RecordingWindow;

// A path as the pass and its window speak of it.
inline std::wstring W(const std::filesystem::path& p) {
    return p.wstring();
}

// One test's world: input and output folders (below a temporary folder unless given), panes, settings, the pass.
class PassWorld {
public:
    explicit PassWorld(const std::filesystem::path& inputFolder = {});
    ~PassWorld();

    // Makes the pane and the window show new folder contents (as a reload would).
    void Reload();
    // Writes [Verzeichnisse] of the world's Ostrel.ini, as the folder save command would.
    void StoreFolders(const std::wstring& input, const std::wstring& output) const;
    // A pass of the given mode with the current settings (the starters' bookkeeping left out).
    void RunPass(bool manual);

    // Lines of the stand-in's command-line log (as wide text), and of the conversion log.
    std::vector<std::wstring> GsCommandLines() const;
    std::vector<std::string> LogLines() const;

    std::filesystem::path in;
    std::filesystem::path out;
    std::filesystem::path logFile;
    std::filesystem::path iniFile; // holds the input and output folder as stored folders
    RecordingWindow window;
    MainSettings main;
    DialogSettings dialog;
    SecuritySettings security;
    GsOptions options;
    std::unique_ptr<testenv::FakeFilePane> inputPane;
    std::unique_ptr<testenv::FakeFilePane> outputPane;
    std::unique_ptr<ConversionPass> pass;

private:
    testenv::TempDir temp_;
    std::filesystem::path gsLog_;
};

using testenv::SetVariable;

// A PostScript program of the given number of pages.
std::string PostScriptPages(int pages);

inline const std::wstring kGs = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";

} // namespace convtest
