#include "app/main/ConversionPass.h"

#include "app/common/ProcessRunner.h"
#include "app/main/DocInfoFile.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/ShellFileOperation.h"
#include "app/main/WindowChild.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

namespace {

constexpr int kGaugeMin = 0;
constexpr int kGaugeMax = 100;

const wchar_t kStopMessage[] = L"PDF-Erstellung wurde angehalten!\r\rPDF conversion stop immediately!";
const wchar_t kFoldersMessage[] = L"Verzeichnisse werden nicht unterst\u00fctzt!\r\rFolders are not supported!";
const wchar_t kIoMessage[] = L"I/O-FEHLER..!\r\rI/O-ERROR...!";

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsPsOrPrn(const std::wstring& path) {
    std::wstring extension = UpperCase(ExtractFileExt(path));
    return extension == L".PS" || extension == L".PRN";
}

// Page files are there when their first page is.
std::wstring FirstOutputFile(const std::wstring& outputPath) {
    const std::wstring pattern = L"%03d";
    size_t at = outputPath.rfind(pattern);
    if (at == std::wstring::npos || at < outputPath.find_last_of(L"\\:") + 1) {
        return outputPath;
    }
    return outputPath.substr(0, at) + L"001" + outputPath.substr(at + pattern.size());
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Widen(const char* text) {
    std::wstring result;
    for (const char* p = text; *p; ++p) {
        result += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return result;
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
                               ConversionSettings settings, ConversionLog log)
    : window_(window), input_(input), output_(output), settings_(settings), log_(std::move(log)) {
    PatchDocumentInfo = [](const std::wstring& inputFile) {
        AddDocInfoPdfmark(inputFile);
        AddProducerLine(inputFile);
    };
}

std::wstring ConversionPass::Text(std::wstring_view key) const {
    return Texts().Get(key);
}

bool ConversionPass::FoldersEqual() const {
    return EqualNoCase(input_.tree.Directory(), output_.tree.Directory());
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

bool ConversionPass::IsTaken(int index) {
    FilePane& pane = input_.list;
    // Folders are never converted: Ghostscript cannot read them, and a folder must never reach the deletion of
    // converted inputs.
    if (pane.ItemCaption(index) == L".." || pane.ItemIsParentDir(index) || pane.ItemIsDirectory(index)) {
        return false;
    }
    const bool psOrPrn = IsPsOrPrn(CurrentInputFile);
    const bool onlyPsPrn = settings_.main.OnlyPsPrn;
    if (!ManualPassActive) {
        if (!onlyPsPrn) {
            return true;
        }
        if (psOrPrn) {
            pane.SetItemSelected(index, false);
        }
        return psOrPrn;
    }
    if (!pane.ItemSelected(index)) {
        return false;
    }
    if (onlyPsPrn && !psOrPrn) {
        pane.SetItemSelected(index, false);
        return false;
    }
    return true;
}

void ConversionPass::ReportFailure(const std::wstring& text) {
    window_.AppendMemo(text + L"\r");
    if (window_.LogEnabled()) {
        log_.WriteFailureLine(L" - " + text);
    }
}

void ConversionPass::ConvertInputFiles() {
    if (passRunning_) {
        return; // passes never nest
    }
    FlagGuard running(passRunning_);
    const MainSettings& main = settings_.main;
    const DialogSettings& dialog = settings_.dialog;

    if (BeforePass) {
        BeforePass();
    }
    window_.ClearMemo();
    window_.SetTimerInterval(TimerIntervalFor(main.PollSeconds));
    if (main.StartMode == 0 && ReadStoredFolders) {
        auto [inputFolder, outputFolder] = ReadStoredFolders();
        input_.tree.SetDirectory(inputFolder);
        output_.tree.SetDirectory(outputFolder);
    }
    if (FoldersEqual()) {
        window_.ShowMessage(ConversionWindow::Box::Error, Text(L"MESSAGE2"));
        return;
    }

    int progress = kGaugeMin;
    window_.SetProgress(progress);
    FilePane& pane = input_.list;
    const bool hasParent = pane.ItemCount() > 0 && pane.ItemCaption(0) == L"..";
    const int first = hasParent ? 1 : 0;
    // A drive root has no "..": its single file is an entry like any other.
    int n = pane.ItemCount() - first;
    if (n <= 0) {
        return;
    }
    if (n == 1) {
        n = 2;
    }
    const int step = kGaugeMax / n;

    auto switches = BuildPassSwitches(dialog, settings_.options, settings_.security, window_.EncryptComboIndex());
    if (!switches) {
        return; // no output type chosen
    }
    PassSwitches = *switches;

    for (int i = first; i < pane.ItemCount(); ++i) {
        if (StopRequested) {
            window_.ShowMessage(ConversionWindow::Box::Information, kStopMessage);
            window_.EnableTimer(false);
            window_.SetProgress(kGaugeMin);
            return;
        }
        ConvertOne(i, step, progress);
    }

    window_.SetProgress(kGaugeMax);
    pane.ClearSelection();
    pane.SetFocus();
}

void ConversionPass::ConvertOne(int index, int step, int& progress) {
    FilePane& pane = input_.list;
    const DialogSettings& dialog = settings_.dialog;
    const std::wstring caption = pane.ItemCaption(index);
    const std::wstring inputFolder = WithTrailingBackslash(window_.InputPathText());
    CurrentInputFile = inputFolder + caption;
    if (!IsTaken(index)) {
        return;
    }

    // Ghostscript reads "%" in a name as a format directive, so such inputs are renamed first. PDF inputs are
    // converted as they are: neither renamed nor patched.
    if (UpperCase(ExtractFileExt(CurrentInputFile)) != L".PDF") {
        if (CurrentInputFile.find(L'%') != std::wstring::npos) {
            std::wstring renamed = CurrentInputFile;
            std::replace(renamed.begin(), renamed.end(), L'%', L'!');
            ShellFileOperation(inputFolder + caption, renamed, FO_RENAME, FOF_ALLOWUNDO);
            CurrentInputFile = renamed;
        }
        if (PatchDocumentInfo) {
            PatchDocumentInfo(CurrentInputFile);
        }
    }

    OutputNameRequest request;
    request.caption = caption;
    request.currentInputFile = CurrentInputFile;
    request.outDir = WithTrailingBackslash(window_.OutputPathText());
    request.outputType = dialog.AuswahlRG;
    request.pageFlag = dialog.SeiteCB;
    request.counterInFront = settings_.main.CounterInFront;
    request.itemSelected = pane.ItemSelected(index);
    const OutputName output = ChooseOutputName(request, Counter, PathExists);
    CurrentOutputName = output.currentOutputName;
    GsOutputSwitch = output.gsOutputSwitch;

    GsInputArgument = MakeGsInputArgument(CurrentInputFile);
    GsOptions& options = settings_.options;
    const std::wstring commandLine =
        BuildGsCommandLine(PassSwitches.GhostscriptProgram, PassSwitches.GsDeviceSwitches, options, dialog.AuswahlRG,
                           dialog.JNRG1, GsOutputSwitch, GsInputArgument);
    window_.AppendMemo(BuildGsCommandLine(PassSwitches.GhostscriptProgram, PassSwitches.GsDeviceSwitchesDisplay,
                                          options, dialog.AuswahlRG, dialog.JNRG1, GsOutputSwitch, GsInputArgument) +
                       L"\r");

    window_.ProcessMessages();
    const ChildRun run = RunChildOfWindow(window_, commandLine);
    if (run.pipeFailed || !run.started) {
        window_.ShowMessage(ConversionWindow::Box::Plain, Text(run.pipeFailed ? L"AFEHLER2" : L"AFEHLER1"));
        ReportFailure(ConversionFailureText(CurrentInputFile, false, 0, run.startError, false));
        return;
    }

    progress = std::clamp(progress + step, kGaugeMin, kGaugeMax);
    window_.SetProgress(progress);

    if (window_.LogEnabled()) {
        ConversionLogEntry entry;
        entry.deviceSwitches = PassSwitches.GsDeviceSwitchesDisplay;
        entry.pdfSettingsOption = options.GsPdfSettingsOption;
        entry.resolutionOption = options.GsResolutionOption;
        entry.compatLevelOption = options.GsCompatLevelOption;
        entry.levelChangeAllowed = dialog.JNRG1 == 0;
        entry.inputFile = CurrentInputFile;
        entry.outputPath = output.outputPath;
        entry.jpegPageFiles = dialog.AuswahlRG == GsOutputJpeg && dialog.SeiteCB;
        log_.WriteConversionBlock(entry);
    }

    // Only a run that exited with 0 and left its output counts: otherwise the input stays where it is and
    // nothing is deleted, mailed, stamped or opened for it.
    const bool outputMissing = !IsFile(FirstOutputFile(output.outputPath));
    if (run.exitCode != 0 || outputMissing) {
        const std::wstring text = ConversionFailureText(CurrentInputFile, true, run.exitCode, 0, outputMissing);
        ReportFailure(text);
        if (ManualPassActive) {
            window_.ShowMessage(ConversionWindow::Box::Error, text);
        }
        return;
    }

    if (AfterConversion) {
        AfterConversion(ConvertedFile{CurrentInputFile, output.outputPath, CurrentOutputName, GsOutputSwitch,
                                      request.outDir, dialog.AuswahlRG});
    }
}

void ConversionPass::Timer1Timer() {
    if (passRunning_) {
        return; // a tick during a pass is dropped
    }
    try {
        RefreshPanes();
        ConvertInputFiles();
    } catch (const LogWriteError& error) {
        ioFailed_ = true;
        window_.AppendMemo(Widen(error.what()) + L"\r");
    } catch (const std::exception& error) {
        window_.AppendMemo(Widen(error.what()) + L"\r");
    } catch (...) {
    }
    if (!StopRequested) {
        window_.EnableTimer(true);
    }
    CheckIOResult();
}

void ConversionPass::PDF_ErstellungClick(const std::wstring& commandLineFile) {
    if (passRunning_) {
        return;
    }
    FilePane& pane = input_.list;
    try {
        if (!commandLineFile.empty()) {
            const std::wstring name = ExtractFileName(commandLineFile);
            for (int i = 0; i < pane.ItemCount(); ++i) {
                if (pane.ItemCaption(i) == name) {
                    pane.SetFocus();
                    pane.FocusItem(i);
                    break;
                }
            }
        } else {
            const int selected = pane.FirstSelectedIndex();
            if (selected >= 0 && IsDirectory(pane.ItemFullFileName(selected))) {
                window_.ShowMessage(ConversionWindow::Box::Error, kFoldersMessage);
                pane.ClearSelection();
                pane.SetFocus();
                return;
            }
        }
    } catch (...) {
        return;
    }

    ManualPassActive = true;
    if (settings_.dialog.Edit1.empty()) {
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
    } catch (const LogWriteError& error) {
        ioFailed_ = true;
        window_.AppendMemo(Widen(error.what()) + L"\r");
    } catch (const std::exception& error) {
        window_.AppendMemo(Widen(error.what()) + L"\r");
    } catch (...) {
    }

    CheckIOResult();
    window_.EnableStartButton(true);
    if (settings_.dialog.AuswahlRG == GsOutputPdf) {
        window_.EnableMerge(true);
    }
    window_.EnableTimerButton(true);
    try {
        RefreshPanes();
    } catch (...) {
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
        if (FoldersEqual()) {
            window_.ShowMessage(ConversionWindow::Box::Error, Text(L"MESSAGE2"));
            return;
        }
        if (settings_.dialog.Edit1.empty()) {
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
        if (settings_.dialog.AuswahlRG >= GsOutputJpeg) {
            window_.EnableMerge(false);
        }
    } catch (...) {
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
