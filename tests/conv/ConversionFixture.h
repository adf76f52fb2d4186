#pragma once
// A conversion pass over real folders with a fake file pane, a recording stand-in for the main window and the
// Ghostscript stand-in at its product path. The stand-in's command-line log shows exactly what was run.
#include "app/main/ConversionPass.h"

#include "support/FakeFilePane.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace convtest {

class RecordingWindow : public ConversionWindow {
public:
    struct Message {
        Box box;
        std::wstring text;
    };

    void ShowMessage(Box box, const std::wstring& text) override { messages.push_back({box, text}); }
    void ProcessMessages() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    void ClearMemo() override { memo.clear(); }
    void AppendMemo(const std::wstring& text) override { memo += text; }
    void SetProgress(int position) override { progress.push_back(position); }
    std::wstring InputPathText() const override { return inputPath; }
    std::wstring OutputPathText() const override { return outputPath; }
    void SetTimerInterval(std::uint32_t milliseconds) override { timerInterval = milliseconds; }
    void EnableTimer(bool enabled) override { timerEnabled = enabled; }
    bool TimerEnabled() const override { return timerEnabled; }
    void EnableStartButton(bool enabled) override { startEnabled = enabled; }
    void EnableMerge(bool enabled) override { mergeEnabled = enabled; }
    void EnableTimerButton(bool enabled) override { timerButtonEnabled = enabled; }
    void SetTimerButtonText(const std::wstring& text, const std::wstring& hint) override {
        timerButtonText = text;
        timerButtonHint = hint;
    }
    void ShowCheckIndicator(bool visible) override { checkIndicator = visible; }
    bool CheckIndicatorVisible() const override { return checkIndicator; }
    void SetCaption(const std::wstring& text) override { caption = text; }
    bool LogEnabled() const override { return logOn; }
    int EncryptComboIndex() const override { return encryptCombo; }

    std::vector<Message> messages;
    std::function<void()> onPump;
    int pumps = 0;
    std::wstring memo;
    std::vector<int> progress;
    std::wstring inputPath;
    std::wstring outputPath;
    std::uint32_t timerInterval = 0;
    bool timerEnabled = false;
    bool startEnabled = true;
    bool mergeEnabled = true;
    bool timerButtonEnabled = true;
    std::wstring timerButtonText;
    std::wstring timerButtonHint;
    bool checkIndicator = false;
    std::wstring caption;
    bool logOn = false;
    int encryptCombo = 0;
};

// One test's world: input and output folders (below a temporary folder unless given), panes, settings, the pass.
class PassWorld {
public:
    explicit PassWorld(const std::filesystem::path& inputFolder = {});
    ~PassWorld();

    // Makes the pane and the window show new folder contents (as a reload would).
    void Reload();
    // A pass of the given mode with the current settings (the starters' bookkeeping left out).
    void RunPass(bool manual);

    // Lines of the stand-in's command-line log (as wide text), and of the conversion log.
    std::vector<std::wstring> GsCommandLines() const;
    std::vector<std::string> LogLines() const;

    std::filesystem::path in;
    std::filesystem::path out;
    std::filesystem::path logFile;
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

// Sets or clears (empty value) an environment variable that the stand-in reads.
void SetGsVariable(const wchar_t* name, const std::wstring& value);

// A PostScript program of the given number of pages.
std::string PostScriptPages(int pages);

inline const std::wstring kGs = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";

} // namespace convtest
