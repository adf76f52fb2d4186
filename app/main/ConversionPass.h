#pragma once
// The conversion pass: the road of every print job from a file in the input folder to its output in the output
// folder. It walks the input pane, takes the items the mode's rules allow, prepares each input, runs Ghostscript
// hidden and waits for it, logs, and hands a conversion that really produced its output to the post-processing.
// It runs on the main thread; the window parts it drives are reached through ConversionWindow, the panes through
// the file pane interface, so the pass runs without the main window.
#include "app/main/ConversionLog.h"
#include "app/main/GhostscriptCommand.h"
#include "app/main/OutputNaming.h"
#include "app/main/Settings.h"
#include "components/FilePane.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// The parts of the main window that the pass and its starters use. The main window implements it.
class ConversionWindow {
public:
    enum class Box { Plain, Information, Error }; // message box with an OK button, by icon

    virtual ~ConversionWindow() = default;

    virtual void ShowMessage(Box box, const std::wstring& text) = 0;
    // Lets every pending window message run once.
    virtual void ProcessMessages() = 0;

    // Command memo (Memo1): cleared at each pass; text is appended at its end, every line end in it made CR LF.
    virtual void ClearMemo() = 0;
    virtual void AppendMemo(const std::wstring& text) = 0;
    // Progress gauge (Gauge1), 0..100.
    virtual void SetProgress(int position) = 0;

    // The path boxes' texts: PathComboBox1 (input pane) and PathComboBox2 (output pane).
    virtual std::wstring InputPathText() const = 0;
    virtual std::wstring OutputPathText() const = 0;

    // Timer1 of automatic mode.
    virtual void SetTimerInterval(std::uint32_t milliseconds) = 0;
    virtual void EnableTimer(bool enabled) = 0;
    virtual bool TimerEnabled() const = 0;

    // PDF_Erstellung (manual start), MergeBitBtn with menu item Merge1, Timerbutton (automatic on/off).
    virtual void EnableStartButton(bool enabled) = 0;
    virtual void EnableMerge(bool enabled) = 0;
    virtual void EnableTimerButton(bool enabled) = 0;
    virtual void SetTimerButtonText(const std::wstring& caption, const std::wstring& hint) = 0;
    // The automatic-mode indicator (Pruefung).
    virtual void ShowCheckIndicator(bool visible) = 0;
    virtual bool CheckIndicatorVisible() const = 0;
    virtual void SetCaption(const std::wstring& caption) = 0;

    // Menu item Logdatei checked: the log is on.
    virtual bool LogEnabled() const = 0;
    // Item index of the encryption dialog's key-length box (EncryptCombo): 1 = 128-bit.
    virtual int EncryptComboIndex() const = 0;
    // True once the program is closing: a child still running is ended, and nothing more is started.
    virtual bool Closing() const { return false; }
};

// A pane as the pass sees it: the list view and the folder tree behind it.
struct ConversionPane {
    FilePane& list;
    FolderTree& tree;
};

// The live settings the pass reads (owned by the main window).
struct ConversionSettings {
    MainSettings& main;
    DialogSettings& dialog;
    SecuritySettings& security;
    GsOptions& options; // the compatibility option is emptied when the level may not be changed
};

// What the post-processing gets for a conversion that succeeded.
struct ConvertedFile {
    std::wstring inputFile;         // CurrentInputFile (after the "%" rename)
    std::wstring outputPath;        // the output file as named for Ghostscript (a page pattern for page files)
    std::wstring currentOutputName; // CurrentOutputName
    std::wstring gsOutputSwitch;    // GsOutputSwitch
    std::wstring outDir;            // the output folder with one trailing backslash
    int outputType = GsOutputPdf;
};

class ConversionPass {
public:
    ConversionPass(ConversionWindow& window, ConversionPane input, ConversionPane output, ConversionSettings settings,
                   ConversionLog log);

    // The pass (ConvertInputFiles). Throws what ends it (a failed rename, a failed log write, a failure of a
    // hook); the starters catch it.
    void ConvertInputFiles();

    // The starters, called from the main window's events; none lets an exception out.
    void Timer1Timer();
    // commandLineFile: the file named on the program's command line, empty for a click.
    void PDF_ErstellungClick(const std::wstring& commandLineFile = {});
    void TimerbuttonClick();
    // Click on the counter label.
    void ZaehlerLabelClick() { Counter.Reset(); }

    // Reloads both panes.
    void RefreshPanes();
    // Shows the I/O message when a log write failed since the last check.
    void CheckIOResult();

    bool PassRunning() const { return passRunning_; }

    // Pass state read by other parts of the main window.
    bool ManualPassActive = false;
    bool StopRequested = false;
    ConversionCounter Counter; // ConversionCounter
    std::wstring CurrentInputFile;
    std::wstring GsInputArgument;
    std::wstring CurrentOutputName;
    std::wstring GsOutputSwitch;
    GsPassSwitches PassSwitches; // GhostscriptProgram and GsDeviceSwitches of the last pass

    // Hooks. BeforePass runs once at the start of every pass that was not refused as nested (the post-processing
    // keeps its once-per-pass state there). PatchDocumentInfo runs on every input that is not a PDF just before Ghostscript (the default applies
    // AddDocInfoPdfmark, then AddProducerLine). AfterConversion runs only after a conversion that succeeded
    // (Ghostscript started, exited with 0 and the output exists): the post-processing. ReadStoredFolders gives
    // [Verzeichnisse] Eingabeverzeichnis and Ausgabeverzeichnis for a run started in automatic mode.
    std::function<void()> BeforePass;
    std::function<void(const std::wstring& inputFile)> PatchDocumentInfo;
    std::function<void(const ConvertedFile& file)> AfterConversion;
    std::function<std::pair<std::wstring, std::wstring>()> ReadStoredFolders;

private:
    bool IsTaken(int index);
    void ConvertOne(int index, int step, int& progress);
    void ReportFailure(const std::wstring& text);
    bool FoldersEqual() const;
    bool HasFolderItem() const;
    std::wstring Text(std::wstring_view key) const;

    ConversionWindow& window_;
    ConversionPane input_;
    ConversionPane output_;
    ConversionSettings settings_;
    ConversionLog log_;
    bool passRunning_ = false;
    bool ioFailed_ = false;
};

// The memo and log text for an input whose conversion failed: the file and the Ghostscript exit code (or why
// there is none).
std::wstring ConversionFailureText(const std::wstring& inputFile, bool started, unsigned long exitCode,
                                   unsigned long startError, bool outputMissing);
