#pragma once
// The conversion pass: the road of every print job from a file in the input folder to its output in the output
// folder. A manual pass walks the input pane and takes its selected items; a pass of the timer reads the stored
// input and output folders anew and takes what the input folder holds on disk at that moment, whatever the pane
// shows; a file handed over on its own (command line, second start) is converted alone. Each input is taken only
// when no other program holds it and it did not change since it was listed, is prepared, run through Ghostscript
// hidden, logged, and a conversion that really produced its output goes to the post-processing. A file that
// cannot be prepared or converted is reported and passed over; the pass goes on with the next one.
// It runs on the main thread; the window parts it drives are reached through ConversionWindow, the panes through
// the file pane interface, so the pass runs without the main window.
#include "app/main/ConversionLog.h"
#include "core/GhostscriptCommand.h"
#include "core/OutputNaming.h"
#include "core/Settings.h"
#include "components/FilePane.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    // The status bar's text (panel 0).
    virtual void ShowStatus(const std::wstring& text) = 0;
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
    // A person started the pass and is there to answer boxes. Otherwise (automatic mode, a file handed over)
    // failures go to the memo, the status bar and the log only.
    bool interactive = true;
};

// How the conversion of a file handed over on its own ended.
enum class SingleFileResult {
    Converted, // converted and post-processed
    Failed,    // could not be prepared or converted, or the folders do not allow a conversion
    NotFound,  // no such file
    Busy,      // a pass runs, or another program still holds the file: try again later
};

class ConversionPass {
public:
    // iniPath: the settings file the pass of the timer reads the stored folders from.
    ConversionPass(ConversionWindow& window, ConversionPane input, ConversionPane output, ConversionSettings settings,
                   ConversionLog log, std::wstring iniPath);

    // The pass (ConvertInputFiles): manual rules when ManualPassActive is set, else the rules of the timer. Throws
    // only what a hook throws; the starters catch it.
    void ConvertInputFiles();
    // Converts one file on its own, with the output pane's folder as output folder, without moving either pane.
    // Shows no box: the outcome is in the memo, the status bar and the log.
    SingleFileResult ConvertSingleFile(const std::wstring& path);

    // The starters, called from the main window's events; none lets an exception out.
    void Timer1Timer();
    void PDF_ErstellungClick();
    void TimerbuttonClick();
    // Click on the counter label.
    void ZaehlerLabelClick() { Counter.Reset(); }

    // Reloads both panes.
    void RefreshPanes();
    // Shows the I/O message when a log write of a manual pass failed since the last check.
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
    // keeps its once-per-pass state there). PatchDocumentInfo runs on every input that is not a PDF just before
    // Ghostscript (the default is PatchDocumentInformation; a docinfo::DocInfoFileError with a sharing or lock
    // violation means another program holds the file). AfterConversion runs only after a conversion that
    // succeeded (Ghostscript started, exited with 0 and the output exists): the post-processing.
    std::function<void()> BeforePass;
    std::function<void(const std::wstring& inputFile)> PatchDocumentInfo;
    std::function<void(const ConvertedFile& file)> AfterConversion;

    // Size, last write time and attributes of a file: what tells that it changed.
    struct FileStamp {
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;
        std::uint32_t attributes = 0;
        bool operator==(const FileStamp&) const = default;
    };

private:
    enum class PassKind { Manual, Watch, Single };
    enum class Outcome { Skipped, Waiting, Failed, Converted };
    // One entry of the walk: a pane item (manual pass) or a directory entry on disk.
    struct WalkEntry {
        std::wstring name;
        bool directory = false;
        std::optional<FileStamp> stamp; // as listed
        int paneIndex = -1;             // the input pane's item of that name, -1 when the pane does not show it
    };

    void BeginPass(PassKind kind);
    bool FoldersFromStore();
    bool FoldersFromPanes();
    // Why the folders cannot be used for a conversion; probeInput: a file is made in the input folder to see that
    // it can be written (always in the output folder).
    std::optional<std::wstring> FolderProblem(const std::wstring& input, const std::wstring& output,
                                              bool probeInput = true) const;
    void ReturnPanesTo(const std::wstring& input, const std::wstring& output);
    std::vector<WalkEntry> PaneEntries() const;
    std::vector<WalkEntry> DiskEntries() const;
    void Walk(std::vector<WalkEntry>& entries, int gaugeEntries);
    bool IsTaken(const WalkEntry& entry);
    Outcome ConvertOne(const WalkEntry& entry, int step, int& progress);
    bool Prepare(std::wstring& key, const std::wstring& caption, Outcome& outcome);
    void Remember(const std::wstring& key, const std::wstring& path);

    // Memo (cleared before the first line of a pass that is not manual, so that a quiet tick keeps the last
    // pass's lines), status bar, log and, in a pass a person started, a box.
    void Memo(const std::wstring& line);
    void Report(const std::wstring& text, ConversionWindow::Box box, bool withBox);
    // Reports a problem of one file only when it differs from the last one reported for it.
    void ReportOnce(const std::wstring& key, const std::wstring& text, bool toLog);
    void WriteLog(const std::function<void(const ConversionLog&)>& write);
    bool HasFolderItem() const;
    bool PaneFoldersEqual() const;
    std::wstring Text(std::wstring_view key) const;

    ConversionWindow& window_;
    ConversionPane input_;
    ConversionPane output_;
    ConversionSettings settings_;
    ConversionLog log_;
    std::wstring iniPath_;
    bool passRunning_ = false;
    bool tickRunning_ = false;
    bool ioFailed_ = false;
    PassKind kind_ = PassKind::Manual;
    bool memoDue_ = false;
    std::wstring inputFolder_;   // of the running pass, with one trailing backslash
    std::wstring outputFolder_;  // likewise
    std::wstring folderProblem_; // what the last pass of the timer said about the stored folders
    // Inputs converted or failed in this run, by upper-cased path, with their stamp after the run: not taken by
    // the timer again while the stamp stays.
    std::map<std::wstring, FileStamp> handled_;
    // The last problem reported per input (upper-cased path).
    std::map<std::wstring, std::wstring> reported_;
};

// The memo and log text for an input whose conversion failed: the file and the Ghostscript exit code (or why
// there is none).
std::wstring ConversionFailureText(const std::wstring& inputFile, bool started, unsigned long exitCode,
                                   unsigned long startError, bool outputMissing);
