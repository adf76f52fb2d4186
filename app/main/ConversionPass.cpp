#include "app/main/ConversionPass.h"

#include "app/common/ProcessRunner.h"
#include "app/main/DocInfoFile.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/SettingsFile.h"
#include "app/main/ShellFileOperation.h"
#include "app/main/WindowChild.h"
#include "core/TextEncoding.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/Handles.h"
#include "win/SystemText.h"
#include "win/Trace.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace {

constexpr int kGaugeMin = 0;
constexpr int kGaugeMax = 100;

const wchar_t kStopMessage[] = L"PDF-Erstellung wurde angehalten!\r\rPDF conversion stop immediately!";
const wchar_t kFoldersMessage[] = L"Verzeichnisse werden nicht unterst\u00fctzt!\r\rFolders are not supported!";
const wchar_t kIoMessage[] = L"I/O-FEHLER..!\r\rI/O-ERROR...!";
const wchar_t kLineEnd[] = L"\r\n";

bool IsPsOrPrn(const std::wstring& path) {
    std::wstring extension = UpperCase(ExtractFileExt(path));
    return extension == L".PS" || extension == L".PRN";
}

bool IsPdf(const std::wstring& path) {
    return UpperCase(ExtractFileExt(path)) == L".PDF";
}

// The folder without trailing separators, for comparing two spellings of one folder.
std::wstring Trimmed(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return folder;
}

// A drive letter with a rooted path, or a network share: never taken relative to the current folder.
bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
        return true;
    }
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    buffer.resize(length);
    return buffer;
}

// Whether a file can be made in the folder: a probe that removes itself when its handle closes.
bool IsWritableFolder(const std::wstring& folder) {
    const std::wstring probe = WithTrailingBackslash(folder) + L"~ostrel-" + std::to_wstring(GetCurrentProcessId()) +
                               L"-" + std::to_wstring(GetTickCount()) + L".tmp";
    const win::UniqueHandle file(
        CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file || GetLastError() == ERROR_FILE_EXISTS;
}

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::optional<ConversionPass::FileStamp> StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return ConversionPass::FileStamp{Join(data.nFileSizeHigh, data.nFileSizeLow),
                                     Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                                     data.dwFileAttributes};
}

// Another program holds the file open (a print job still being written): it cannot be opened without sharing.
bool HeldElsewhere(const std::wstring& path) {
    const win::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The files a Ghostscript run may write for one output path: the file itself, or for a page pattern every name
// with the pattern's place taken by digits. Listed before the run, so that a failed run removes only its own.
class RunOutputs {
public:
    explicit RunOutputs(const std::wstring& outputPath) {
        const std::wstring pattern = L"%03d";
        const size_t nameStart = outputPath.find_last_of(L"\\:") + 1;
        folder_ = outputPath.substr(0, nameStart);
        const std::wstring name = outputPath.substr(nameStart);
        const size_t at = name.rfind(pattern);
        if (at == std::wstring::npos) {
            single_ = outputPath;
        } else {
            prefix_ = name.substr(0, at);
            suffix_ = name.substr(at + pattern.size());
        }
        for (const std::wstring& path : Present()) {
            before_.insert(UpperCase(path));
        }
    }

    // The first file the run writes: the file, or the first page.
    std::wstring First() const { return single_.empty() ? folder_ + prefix_ + L"001" + suffix_ : single_; }

    void RemoveNew() const {
        for (const std::wstring& path : Present()) {
            if (!before_.contains(UpperCase(path))) {
                DeleteFileW(path.c_str());
            }
        }
    }

private:
    bool Matches(const std::wstring& name) const {
        if (name.size() < prefix_.size() + suffix_.size() + 3 ||
            !EqualNoCase(name.substr(0, prefix_.size()), prefix_) ||
            !EqualNoCase(name.substr(name.size() - suffix_.size()), suffix_)) {
            return false;
        }
        const std::wstring digits = name.substr(prefix_.size(), name.size() - prefix_.size() - suffix_.size());
        return std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    }

    std::set<std::wstring> Present() const {
        std::set<std::wstring> present;
        if (!single_.empty()) {
            if (FileExists(single_)) {
                present.insert(single_);
            }
            return present;
        }
        WIN32_FIND_DATAW data{};
        const win::UniqueFind find(FindFirstFileW((folder_ + L"*").c_str(), &data));
        if (!find) {
            return present;
        }
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && Matches(data.cFileName)) {
                present.insert(folder_ + data.cFileName);
            }
        } while (FindNextFileW(find.get(), &data));
        return present;
    }

    std::wstring folder_;
    std::wstring single_;
    std::wstring prefix_;
    std::wstring suffix_;
    std::set<std::wstring> before_; // upper-cased
};

std::wstring FolderProblemText(const wchar_t* which, const std::wstring& folder, const wchar_t* reason) {
    return L"Keine Konvertierung! / No conversion! " + std::wstring(which) + L" \"" + folder + L"\": " + reason;
}

std::wstring PrepareFailureText(const std::wstring& inputFile, const std::wstring& reason) {
    return L"Datei kann nicht vorbereitet werden! / File cannot be prepared! " + inputFile + L" (" + reason + L")";
}

std::wstring WaitingText(const std::wstring& inputFile) {
    return L"Datei wird noch geschrieben, sp\u00e4ter / File still being written, later: " + inputFile;
}

std::wstring NotFoundText(const std::wstring& path) {
    return L"Datei nicht gefunden! / File not found! " + path;
}

// Clears a flag when the scope ends, however it ends.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

ConversionPass::ConversionPass(ConversionWindow& window, ConversionPane input, ConversionPane output,
                               ConversionSettings settings, ConversionLog log, std::wstring iniPath)
    : window_(window), input_(input), output_(output), settings_(settings), log_(std::move(log)),
      iniPath_(std::move(iniPath)) {
    PatchDocumentInfo = [](const std::wstring& inputFile) { PatchDocumentInformation(inputFile); };
}

std::wstring ConversionPass::Text(std::wstring_view key) const {
    return Texts().Get(key);
}

bool ConversionPass::PaneFoldersEqual() const {
    return EqualNoCase(Trimmed(input_.tree.Directory()), Trimmed(output_.tree.Directory()));
}

bool ConversionPass::HasFolderItem() const {
    for (int i = 0; i < input_.list.ItemCount(); ++i) {
        if (!input_.list.ItemIsParentDir(i) && input_.list.ItemIsDirectory(i)) {
            return true;
        }
    }
    return false;
}

void ConversionPass::RefreshPanes() {
    input_.list.Reload(true);
    output_.list.Reload(true);
}

void ConversionPass::CheckIOResult() {
    if (ioFailed_) {
        ioFailed_ = false;
        window_.ShowMessage(ConversionWindow::Box::Plain, kIoMessage);
    }
}

// --- reporting ------------------------------------------------------------------------------------------------

void ConversionPass::Memo(const std::wstring& line) {
    if (memoDue_) {
        memoDue_ = false;
        window_.ClearMemo();
    }
    window_.AppendMemo(line + kLineEnd);
}

void ConversionPass::WriteLog(const std::function<void(const ConversionLog&)>& write) {
    log_.WriteGuarded(write, [this](const LogWriteError& error) {
        const std::wstring text = L"I/O-FEHLER..! / I/O-ERROR...! " + ErrorMessage(error);
        Memo(text);
        window_.ShowStatus(text);
        if (kind_ == PassKind::Manual) {
            ioFailed_ = true;
        }
    });
}

void ConversionPass::Report(const std::wstring& text, ConversionWindow::Box box, bool withBox) {
    Memo(text);
    window_.ShowStatus(text);
    if (window_.LogEnabled()) {
        WriteLog([&](const ConversionLog& log) { log.WriteFailureLine(L" - " + text); });
    }
    if (withBox && kind_ == PassKind::Manual) {
        window_.ShowMessage(box, text);
    }
}

void ConversionPass::ReportOnce(const std::wstring& key, const std::wstring& text, bool toLog) {
    std::wstring& last = reported_[key];
    if (last == text) {
        return;
    }
    last = text;
    if (toLog) {
        Report(text, ConversionWindow::Box::Error, false);
    } else {
        Memo(text);
        window_.ShowStatus(text);
    }
}

// --- folders --------------------------------------------------------------------------------------------------

std::optional<std::wstring> ConversionPass::FolderProblem(const std::wstring& input, const std::wstring& output,
                                                          bool probeInput) const {
    const struct {
        const wchar_t* which;
        const std::wstring& folder;
        bool probe;
    } folders[] = {{L"Eingabeverzeichnis / input folder", input, probeInput},
                   {L"Ausgabeverzeichnis / output folder", output, true}};
    for (const auto& f : folders) {
        if (f.folder.empty()) {
            return FolderProblemText(f.which, f.folder, L"nicht eingestellt / not set");
        }
        if (!IsAbsolute(f.folder)) {
            return FolderProblemText(f.which, f.folder, L"kein vollst\u00e4ndiger Pfad / not a full path");
        }
        if (!DirectoryExists(f.folder)) {
            return FolderProblemText(f.which, f.folder, L"nicht vorhanden / not found");
        }
        if (f.probe && !IsWritableFolder(f.folder)) {
            return FolderProblemText(f.which, f.folder, L"nicht beschreibbar / not writable");
        }
    }
    if (EqualNoCase(Trimmed(FullPath(input)), Trimmed(FullPath(output)))) {
        return Text(L"MESSAGE2");
    }
    return std::nullopt;
}

void ConversionPass::ReturnPanesTo(const std::wstring& input, const std::wstring& output) {
    if (!EqualNoCase(Trimmed(input_.tree.Directory()), Trimmed(input))) {
        input_.tree.SetDirectory(input);
    }
    if (!EqualNoCase(Trimmed(output_.tree.Directory()), Trimmed(output))) {
        output_.tree.SetDirectory(output);
    }
}

bool ConversionPass::FoldersFromStore() {
    const StoredFolders stored = ReadStoredFolders(iniPath_);
    if (auto problem = FolderProblem(stored.input, stored.output)) {
        if (*problem != folderProblem_) {
            folderProblem_ = *problem;
            Report(*problem, ConversionWindow::Box::Error, false);
        }
        return false;
    }
    if (!folderProblem_.empty()) {
        folderProblem_.clear();
        const std::wstring text =
            L"Verzeichnisse wieder in Ordnung / Folders usable again: " + stored.input + L" -> " + stored.output;
        Memo(text);
        window_.ShowStatus(text);
    }
    const std::wstring input = Trimmed(FullPath(stored.input));
    const std::wstring output = Trimmed(FullPath(stored.output));
    ReturnPanesTo(input, output);
    inputFolder_ = WithTrailingBackslash(input);
    outputFolder_ = WithTrailingBackslash(output);
    return true;
}

bool ConversionPass::FoldersFromPanes() {
    if (PaneFoldersEqual()) {
        Report(Text(L"MESSAGE2"), ConversionWindow::Box::Error, true);
        return false;
    }
    const std::wstring input = window_.InputPathText();
    const std::wstring output = window_.OutputPathText();
    if (auto problem = FolderProblem(input, output)) {
        Report(*problem, ConversionWindow::Box::Error, true);
        return false;
    }
    inputFolder_ = WithTrailingBackslash(Trimmed(FullPath(input)));
    outputFolder_ = WithTrailingBackslash(Trimmed(FullPath(output)));
    return true;
}

// --- walking --------------------------------------------------------------------------------------------------

std::vector<ConversionPass::WalkEntry> ConversionPass::PaneEntries() const {
    const FilePane& pane = input_.list;
    const std::wstring folder = WithTrailingBackslash(window_.InputPathText());
    std::vector<WalkEntry> entries;
    for (int i = 0; i < pane.ItemCount(); ++i) {
        if (i == 0 && pane.ItemCaption(0) == L"..") {
            continue;
        }
        WalkEntry entry;
        entry.name = pane.ItemCaption(i);
        entry.directory = pane.ItemIsDirectory(i) || pane.ItemIsParentDir(i) || entry.name == L"..";
        entry.paneIndex = i;
        if (!entry.directory && pane.ItemSelected(i)) {
            entry.stamp = StampOf(folder + entry.name);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<ConversionPass::WalkEntry> ConversionPass::DiskEntries() const {
    std::vector<WalkEntry> entries;
    WIN32_FIND_DATAW data{};
    const win::UniqueFind find(FindFirstFileW((inputFolder_ + L"*").c_str(), &data));
    if (!find) {
        return entries;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        WalkEntry entry;
        entry.name = name;
        entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.stamp = FileStamp{Join(data.nFileSizeHigh, data.nFileSizeLow),
                                Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                                data.dwFileAttributes};
        entries.push_back(std::move(entry));
    } while (FindNextFileW(find.get(), &data));
    // The order the input pane shows: folders first, then by name without regard to case.
    std::sort(entries.begin(), entries.end(), [](const WalkEntry& a, const WalkEntry& b) {
        return a.directory != b.directory ? a.directory : LessNoCase(a.name, b.name);
    });
    // The pane's items of these names, when it shows this folder (their selection follows the walk).
    const FilePane& pane = input_.list;
    if (EqualNoCase(Trimmed(pane.Path()), Trimmed(inputFolder_))) {
        std::map<std::wstring, int> indexes;
        for (int i = 0; i < pane.ItemCount(); ++i) {
            indexes[UpperCase(pane.ItemCaption(i))] = i;
        }
        for (WalkEntry& entry : entries) {
            auto it = indexes.find(UpperCase(entry.name));
            entry.paneIndex = it == indexes.end() ? -1 : it->second;
        }
    }
    return entries;
}

void ConversionPass::BeginPass(PassKind kind) {
    kind_ = kind;
    if (BeforePass) {
        BeforePass();
    }
    // A manual pass starts a fresh memo; the others clear it only when they have something to say.
    memoDue_ = kind_ != PassKind::Manual;
    if (kind_ == PassKind::Manual) {
        window_.ClearMemo();
    }
    window_.SetTimerInterval(TimerIntervalFor(settings_.main.PollSeconds));
}

void ConversionPass::ConvertInputFiles() {
    if (passRunning_) {
        return; // passes never nest
    }
    FlagGuard running(passRunning_);
    BeginPass(ManualPassActive ? PassKind::Manual : PassKind::Watch);
    if (!(kind_ == PassKind::Manual ? FoldersFromPanes() : FoldersFromStore())) {
        return;
    }
    std::vector<WalkEntry> entries = kind_ == PassKind::Manual ? PaneEntries() : DiskEntries();
    Walk(entries, static_cast<int>(entries.size()));
}

void ConversionPass::Walk(std::vector<WalkEntry>& entries, int gaugeEntries) {
    int progress = kGaugeMin;
    window_.SetProgress(progress);
    // A drive root has no "..": its single file is an entry like any other.
    int n = gaugeEntries;
    if (n <= 0) {
        return;
    }
    if (n == 1) {
        n = 2;
    }
    const int step = kGaugeMax / n;

    auto switches =
        BuildPassSwitches(settings_.dialog, settings_.options, settings_.security, window_.EncryptComboIndex());
    if (!switches) {
        return; // no output type chosen
    }
    PassSwitches = *switches;

    for (const WalkEntry& entry : entries) {
        if (StopRequested && kind_ != PassKind::Single) {
            window_.ShowMessage(ConversionWindow::Box::Information, kStopMessage);
            window_.EnableTimer(false);
            window_.SetProgress(kGaugeMin);
            return;
        }
        ConvertOne(entry, step, progress);
    }

    window_.SetProgress(kGaugeMax);
    if (kind_ != PassKind::Single) {
        input_.list.ClearSelection();
        input_.list.SetFocus();
    }
}

bool ConversionPass::IsTaken(const WalkEntry& entry) {
    // Folders are never converted: Ghostscript cannot read them, and a folder must never reach the deletion of
    // converted inputs.
    if (entry.directory || entry.name == L"..") {
        return false;
    }
    FilePane& pane = input_.list;
    const bool psOrPrn = IsPsOrPrn(entry.name);
    const bool onlyPsPrn = settings_.main.OnlyPsPrn;
    if (kind_ != PassKind::Manual) {
        if (!onlyPsPrn) {
            return true;
        }
        if (psOrPrn && entry.paneIndex >= 0 && kind_ == PassKind::Watch) {
            pane.SetItemSelected(entry.paneIndex, false);
        }
        return psOrPrn;
    }
    if (!pane.ItemSelected(entry.paneIndex)) {
        return false;
    }
    if (onlyPsPrn && !psOrPrn) {
        pane.SetItemSelected(entry.paneIndex, false);
        return false;
    }
    return true;
}

void ConversionPass::Remember(const std::wstring& key, const std::wstring& path) {
    if (auto stamp = StampOf(path)) {
        handled_[key] = *stamp;
    } else {
        handled_.erase(key);
    }
}

// Renames a "%" out of the file name and patches the document information. False when the file is not taken in
// this pass (outcome says why); CurrentInputFile and key follow a rename.
bool ConversionPass::Prepare(std::wstring& key, const std::wstring& caption, Outcome& outcome) {
    outcome = Outcome::Failed;
    // Ghostscript reads "%" in a name as a format directive, so such inputs are renamed first. Only the name is
    // changed: the folder is the user's and stays as it is.
    if (caption.find(L'%') != std::wstring::npos) {
        std::wstring renamedCaption = caption;
        std::replace(renamedCaption.begin(), renamedCaption.end(), L'%', L'!');
        const std::wstring renamed = inputFolder_ + renamedCaption;
        if (PathExists(renamed)) {
            ReportOnce(key,
                       PrepareFailureText(CurrentInputFile, L"\"" + renamed + L"\" existiert bereits / already exists"),
                       true);
            return false;
        }
        try {
            ShellFileOperation(CurrentInputFile, renamed, FO_RENAME, FOF_ALLOWUNDO);
        } catch (const std::exception& error) {
            ReportOnce(key, PrepareFailureText(CurrentInputFile, ErrorMessage(error)), true);
            return false;
        }
        reported_.erase(key);
        CurrentInputFile = renamed;
        key = UpperCase(renamed);
    }
    if (!PatchDocumentInfo) {
        return true;
    }
    try {
        PatchDocumentInfo(CurrentInputFile);
    } catch (const docinfo::DocInfoFileError& error) {
        if (error.Code() == ERROR_SHARING_VIOLATION || error.Code() == ERROR_LOCK_VIOLATION) {
            outcome = Outcome::Waiting;
            ReportOnce(key, WaitingText(CurrentInputFile), false);
            return false;
        }
        ReportOnce(key,
                   PrepareFailureText(CurrentInputFile,
                                      ErrorMessage(error) + L", Fehler / error " + std::to_wstring(error.Code())),
                   true);
        return false;
    } catch (const std::exception& error) {
        ReportOnce(key, PrepareFailureText(CurrentInputFile, ErrorMessage(error)), true);
        return false;
    }
    return true;
}

ConversionPass::Outcome ConversionPass::ConvertOne(const WalkEntry& entry, int step, int& progress) {
    const DialogSettings& dialog = settings_.dialog;
    const std::wstring caption = entry.name;
    CurrentInputFile = inputFolder_ + caption;
    if (!IsTaken(entry)) {
        return Outcome::Skipped;
    }
    std::wstring key = UpperCase(CurrentInputFile);

    // The timer takes a file it converted, or failed on, in this run again only when the file changed.
    if (kind_ == PassKind::Watch && entry.stamp) {
        auto handled = handled_.find(key);
        if (handled != handled_.end() && handled->second == *entry.stamp) {
            return Outcome::Skipped;
        }
    }
    // A print job still being written is left for a later pass: held open by its writer, or grown since listed.
    const std::optional<FileStamp> now = StampOf(CurrentInputFile);
    if (!now) {
        return Outcome::Skipped; // gone since it was listed
    }
    if (HeldElsewhere(CurrentInputFile) || (entry.stamp && *entry.stamp != *now)) {
        ReportOnce(key, WaitingText(CurrentInputFile), false);
        return Outcome::Waiting;
    }

    // PDF inputs are converted as they are: neither renamed nor patched.
    if (!IsPdf(CurrentInputFile)) {
        Outcome outcome = Outcome::Failed;
        if (!Prepare(key, caption, outcome)) {
            return outcome;
        }
    }

    OutputNameRequest request;
    request.caption = caption;
    request.currentInputFile = CurrentInputFile;
    request.outDir = outputFolder_;
    request.outputType = dialog.OutputType;
    request.pageFlag = dialog.FilePerPage;
    request.counterInFront = settings_.main.CounterInFront;
    request.itemSelected = entry.paneIndex >= 0 && input_.list.ItemSelected(entry.paneIndex);
    const OutputName output = ChooseOutputName(request, Counter, PathExists);
    CurrentOutputName = output.currentOutputName;
    GsOutputSwitch = output.gsOutputSwitch;
    const RunOutputs outputs(output.outputPath);

    GsInputArgument = MakeGsInputArgument(CurrentInputFile);
    GsOptions& options = settings_.options;
    const std::wstring commandLine =
        BuildGsCommandLine(PassSwitches.GhostscriptProgram, PassSwitches.GsDeviceSwitches, options, dialog.OutputType,
                           dialog.MayChangePdfLevel, GsOutputSwitch, GsInputArgument);
    const std::wstring shownCommandLine =
        BuildGsCommandLine(PassSwitches.GhostscriptProgram, PassSwitches.GsDeviceSwitchesDisplay, options,
                           dialog.OutputType, dialog.MayChangePdfLevel, GsOutputSwitch, GsInputArgument);
    // Laying out a long line in the memo costs the window tens of milliseconds: it is done while Ghostscript works,
    // not before it starts. A run that does not start still shows its command line.
    bool shown = false;
    const auto showCommandLine = [&] {
        if (!shown) {
            shown = true;
            Memo(shownCommandLine);
        }
    };

    window_.ProcessMessages();
    ChildRun run;
    try {
        run = RunChildOfWindow(window_, commandLine, {}, showCommandLine);
    } catch (const ProgramClosing&) {
        showCommandLine();
        // The run was ended unfinished: what it wrote so far is no document.
        outputs.RemoveNew();
        throw;
    }
    showCommandLine();
    if (run.pipeFailed || !run.started) {
        if (kind_ == PassKind::Manual) {
            window_.ShowMessage(ConversionWindow::Box::Plain, Text(run.pipeFailed ? L"AFEHLER2" : L"AFEHLER1"));
        }
        // Not the file's fault: it is tried again at the next pass, but told only once.
        ReportOnce(key, ConversionFailureText(CurrentInputFile, false, 0, run.startError, false), true);
        return Outcome::Failed;
    }

    // The gauge tells jobs done, so it moves when the run has ended.
    progress = std::clamp(progress + step, kGaugeMin, kGaugeMax);
    window_.SetProgress(progress);

    if (window_.LogEnabled()) {
        ConversionLogEntry logEntry;
        logEntry.deviceSwitches = PassSwitches.GsDeviceSwitchesDisplay;
        logEntry.pdfSettingsOption = options.GsPdfSettingsOption;
        logEntry.resolutionOption = options.GsResolutionOption;
        logEntry.compatLevelOption = options.GsCompatLevelOption;
        logEntry.levelChangeAllowed = dialog.MayChangePdfLevel == 0;
        logEntry.inputFile = CurrentInputFile;
        logEntry.outputPath = output.outputPath;
        logEntry.jpegPageFiles = dialog.OutputType == GsOutputJpeg && dialog.FilePerPage;
        WriteLog([&](const ConversionLog& log) { log.WriteConversionBlock(logEntry); });
    }

    // Only a run that exited with 0 and left its output counts: otherwise what the run wrote is removed, the input
    // stays where it is and nothing is deleted, mailed, stamped or opened for it.
    const bool outputMissing = !FileExists(outputs.First());
    if (run.exitCode != 0 || outputMissing) {
        outputs.RemoveNew();
        const std::wstring text = ConversionFailureText(CurrentInputFile, true, run.exitCode, 0, outputMissing);
        reported_[key] = text;
        Report(text, ConversionWindow::Box::Error, true);
        Remember(key, CurrentInputFile);
        return Outcome::Failed;
    }

    reported_.erase(key);
    Remember(key, CurrentInputFile);
    if (AfterConversion) {
        const ConvertedFile converted{CurrentInputFile, output.outputPath, CurrentOutputName,        GsOutputSwitch,
                                      outputFolder_,    dialog.OutputType, kind_ == PassKind::Manual};
        const std::wstring input = CurrentInputFile;
        try {
            AfterConversion(converted);
        } catch (...) {
            Remember(key, input);
            throw;
        }
        Remember(key, input); // deleted inputs are forgotten
    }
    return Outcome::Converted;
}

SingleFileResult ConversionPass::ConvertSingleFile(const std::wstring& path) {
    if (passRunning_) {
        return SingleFileResult::Busy;
    }
    FlagGuard running(passRunning_);
    BeginPass(PassKind::Single);
    const std::wstring file = FullPath(path);
    if (!IsAbsolute(file) || !FileExists(file)) {
        Report(NotFoundText(path), ConversionWindow::Box::Error, false);
        return SingleFileResult::NotFound;
    }
    const std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
    const std::wstring output = window_.OutputPathText();
    // The folder of a file handed over is the user's: it is not written to just to see whether it could be.
    if (auto problem = FolderProblem(folder, output, false)) {
        Report(*problem, ConversionWindow::Box::Error, false);
        return SingleFileResult::Failed;
    }
    inputFolder_ = WithTrailingBackslash(Trimmed(folder));
    outputFolder_ = WithTrailingBackslash(Trimmed(FullPath(output)));

    WalkEntry entry;
    entry.name = file.substr(folder.size());
    entry.stamp = StampOf(file);
    if (EqualNoCase(Trimmed(input_.list.Path()), Trimmed(inputFolder_))) {
        for (int i = 0; i < input_.list.ItemCount(); ++i) {
            if (EqualNoCase(input_.list.ItemCaption(i), entry.name)) {
                entry.paneIndex = i;
            }
        }
    }
    if (!IsTaken(entry)) {
        Report(L"Nur PS- und PRN-Dateien werden umgewandelt / Only PS and PRN files are converted: " + file,
               ConversionWindow::Box::Error, false);
        return SingleFileResult::Failed;
    }

    auto switches =
        BuildPassSwitches(settings_.dialog, settings_.options, settings_.security, window_.EncryptComboIndex());
    if (!switches) {
        return SingleFileResult::Failed;
    }
    PassSwitches = *switches;
    int progress = kGaugeMin;
    window_.SetProgress(progress);
    const Outcome outcome = ConvertOne(entry, kGaugeMax / 2, progress);
    window_.SetProgress(kGaugeMax);
    switch (outcome) {
    case Outcome::Converted:
        return SingleFileResult::Converted;
    case Outcome::Waiting:
        return SingleFileResult::Busy;
    default:
        return SingleFileResult::Failed;
    }
}

// --- starters -------------------------------------------------------------------------------------------------

void ConversionPass::Timer1Timer() {
    // A tick that comes while an earlier tick still works (a box of it open, a long Ghostscript run) is dropped.
    if (tickRunning_ || passRunning_) {
        return;
    }
    FlagGuard tick(tickRunning_);
    try {
        RefreshPanes();
        ManualPassActive = false;
        ConvertInputFiles();
    } catch (const std::exception& error) {
        Memo(ErrorMessage(error));
    } catch (...) {
        win::TraceCaught(L"ConversionPass::Timer1Timer");
    }
    if (!StopRequested) {
        window_.EnableTimer(true);
    }
    CheckIOResult();
}

void ConversionPass::PDF_ErstellungClick() {
    if (passRunning_) {
        return;
    }
    FilePane& pane = input_.list;
    try {
        const int selected = pane.FirstSelectedIndex();
        if (selected >= 0 && DirectoryExists(pane.ItemFullFileName(selected))) {
            window_.ShowMessage(ConversionWindow::Box::Error, kFoldersMessage);
            pane.ClearSelection();
            pane.SetFocus();
            return;
        }
    } catch (...) {
        win::TraceCaught(L"ConversionPass::PDF_ErstellungClick");
        return;
    }

    ManualPassActive = true;
    if (settings_.dialog.GhostscriptProgram.empty()) {
        window_.ShowMessage(ConversionWindow::Box::Information, Text(L"MESSAGE3"));
        ManualPassActive = false;
        return;
    }
    if (pane.SelCount() == 0) {
        window_.ShowMessage(ConversionWindow::Box::Information, Text(L"MESSAGE4"));
        ManualPassActive = false;
        return;
    }
    window_.EnableStartButton(false);
    window_.EnableMerge(false);
    window_.EnableTimerButton(false);
    window_.SetCaption(Text(L"PFG"));
    StopRequested = false;

    try {
        ConvertInputFiles();
    } catch (const std::exception& error) {
        Memo(ErrorMessage(error));
    } catch (...) {
        win::TraceCaught(L"ConversionPass::PDF_ErstellungClick");
    }

    CheckIOResult();
    window_.EnableStartButton(true);
    if (settings_.dialog.OutputType == GsOutputPdf) {
        window_.EnableMerge(true);
    }
    window_.EnableTimerButton(true);
    try {
        RefreshPanes();
    } catch (...) {
        win::TraceCaught(L"ConversionPass::PDF_ErstellungClick");
    }
    window_.SetCaption(Text(L"PFA"));
    ManualPassActive = false;
}

void ConversionPass::TimerbuttonClick() {
    FilePane& pane = input_.list;
    try {
        if (HasFolderItem()) {
            window_.ShowMessage(ConversionWindow::Box::Error, kFoldersMessage);
            pane.ClearSelection();
            pane.SetFocus();
            return;
        }
        window_.SetProgress(kGaugeMin);
        if (PaneFoldersEqual()) {
            window_.ShowMessage(ConversionWindow::Box::Error, Text(L"MESSAGE2"));
            return;
        }
        if (settings_.dialog.GhostscriptProgram.empty()) {
            window_.ShowMessage(ConversionWindow::Box::Information, Text(L"MESSAGE3"));
            return;
        }

        const bool automaticOn = window_.CheckIndicatorVisible() && window_.TimerEnabled();
        window_.EnableTimer(!automaticOn);
        StopRequested = automaticOn;
        window_.ShowCheckIndicator(!automaticOn);
        window_.SetCaption(Text(automaticOn ? L"PFA" : L"PFG"));
        window_.EnableStartButton(automaticOn);
        window_.EnableMerge(automaticOn);
        window_.SetTimerButtonText(Text(automaticOn ? L"TBS" : L"TBH"), Text(automaticOn ? L"TBHINT" : L"TBHINT2"));

        RefreshPanes();
        if (settings_.dialog.OutputType >= GsOutputJpeg) {
            window_.EnableMerge(false);
        }
    } catch (...) {
        win::TraceCaught(L"ConversionPass::TimerbuttonClick");
    }
}

std::wstring ConversionFailureText(const std::wstring& inputFile, bool started, unsigned long exitCode,
                                   unsigned long startError, bool outputMissing) {
    std::wstring text = L"Konvertierung fehlgeschlagen! / Conversion failed! " + inputFile;
    if (!started) {
        return text + L" (Ghostscript nicht gestartet / not started, Fehler / error " + std::to_wstring(startError) +
               L")";
    }
    text += L" (Exitcode " + std::to_wstring(exitCode);
    if (outputMissing) {
        text += L", keine Ausgabedatei / no output file";
    }
    return text + L")";
}
