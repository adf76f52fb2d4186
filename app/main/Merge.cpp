#include "app/main/Merge.h"

#include "app/common/ProcessRunner.h"
#include "core/GhostscriptCommand.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/WindowChild.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "core/TextEncoding.h"
#include "win/Trace.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr UINT kListCodePage = 1252;
constexpr int kGaugeMax = 100;

// Windows-1252 bytes of text; nullopt when a character has no exact byte there.
std::optional<std::string> ToCodePage1252(const std::wstring& text) {
    if (text.empty())
        return std::string();
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                                   &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, nullptr,
                        &usedDefault);
    return bytes;
}

std::wstring ShortPath(const std::wstring& path) {
    DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring shortPath(size, L'\0');
    size = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    shortPath.resize(size);
    return shortPath;
}

bool WriteBytes(const std::wstring& file, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

std::optional<std::string> MergeListFileBytes(const std::vector<std::wstring>& paths, std::wstring* unwritable) {
    std::string bytes;
    for (const std::wstring& path : paths) {
        // The whole path: a cut one would silently drop or swap an input.
        std::optional<std::string> line = ToCodePage1252(path);
        if (!line) {
            const std::wstring shortPath = ShortPath(path);
            if (!shortPath.empty())
                line = ToCodePage1252(shortPath);
        }
        if (!line) {
            if (unwritable)
                *unwritable = path;
            return std::nullopt;
        }
        bytes += '"';
        bytes += *line;
        bytes += "\"\r\n";
    }
    return bytes;
}

std::wstring MergeBaseSwitches(const SecuritySettings& security, PasswordForm form) {
    // Merging always encrypts with 40-bit keys, whatever the dialog's key length says.
    return L"-dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite" + GsSecuritySwitches(security, 0, form);
}

std::wstring MergeSwitches(const std::wstring& baseSwitches, const std::wstring& outDir, const std::wstring& name) {
    return baseSwitches + L" -sOutputFile=" + Quoted(outDir + name) + L" -c .setpdfwrite -f @" +
           Quoted(outDir + kMergeListFileName);
}

std::wstring MergePreviewCommand(const std::wstring& ghostscriptProgram, const std::wstring& file) {
    return QuotedProgram(ghostscriptProgram) + L" " + L"-dSAFER -dBATCH -r96 " + Quoted(file);
}

std::wstring MergeFailureText(const std::wstring& target, bool started, unsigned long exitCode,
                              unsigned long startError, bool outputMissing) {
    std::wstring text = L"Zusammenführen fehlgeschlagen! / Merging failed! " + target;
    if (!started)
        return text + L" (Ghostscript nicht gestartet / not started, Fehler / error " + std::to_wstring(startError) +
               L")";
    text += L" (Exitcode " + std::to_wstring(exitCode);
    if (outputMissing)
        text += L", keine Ausgabedatei / no output file";
    return text + L")";
}

MergeCommand::MergeCommand(ConversionWindow& window, MergeUi& ui, DialogSettings& dialog, ConversionLog log)
    : window_(window), ui_(ui), dialog_(dialog), log_(std::move(log)) {}

void MergeCommand::MergeBitBtnClick() {
    try {
        Merge();
    } catch (const ProgramClosing&) {
        // The program ends: the merge's child is ended and the unfinished result is not reported.
        win::TraceCaught(L"MergeCommand::MergeBitBtnClick");
    } catch (const std::exception& e) {
        window_.ShowMessage(ConversionWindow::Box::Error, ErrorMessage(e));
    } catch (...) {
        win::TraceCaught(L"MergeCommand::MergeBitBtnClick");
        window_.ShowMessage(ConversionWindow::Box::Error, Texts().Get(L"AFEHLER3"));
    }
}

void MergeCommand::Merge() {
    window_.ProcessMessages();
    window_.SetProgress(0);

    std::optional<std::wstring> name = ui_.AskMergeName();
    if (name) {
        if (name->empty())
            return;
        const std::wstring outDir = WithTrailingBackslash(window_.OutputPathText());
        if (PathExists(outDir + *name)) {
            window_.ShowMessage(ConversionWindow::Box::Plain, *name + Texts().Get(L"MERGENAME3"));
            return;
        }
        window_.ClearMemo();
        std::optional<MergeSelection> selection = ui_.ChooseFiles();
        if (!selection || selection->Files.empty())
            return;

        EnterBusyState();
        try {
            RunMerge(outDir, *name, *selection);
        } catch (...) {
            LeaveBusyState();
            throw;
        }
        LeaveBusyState();
    }
    ui_.ReloadPanes();
    ui_.SwitchOffOwnerPassword();
}

bool MergeCommand::RunMerge(const std::wstring& outDir, const std::wstring& name, const MergeSelection& selection) {
    SetCurrentDirectoryW(outDir.c_str());
    const SecuritySettings security = ui_.SecurityFields();
    const bool secured = security.OwnerPasswordOn && !security.OwnerPassword.empty();
    // The passwords reach Ghostscript only; the memo and the log show "***" for them.
    const std::wstring kept = MergeBaseSwitches(security, PasswordForm::Masked);

    std::wstring unwritable;
    std::optional<std::string> list = MergeListFileBytes(selection.Files, &unwritable);
    if (!list) {
        Report(Texts().Get(L"AFEHLER3") + L"\r\n" + unwritable);
        return false;
    }
    if (!WriteBytes(outDir + kMergeListFileName, *list)) {
        Report(Texts().Get(L"AFEHLER3") + L"\r\n" + outDir + kMergeListFileName);
        return false;
    }

    const std::wstring program = QuotedProgram(dialog_.GhostscriptProgram);
    const std::wstring commandLine =
        program + L" " + MergeSwitches(MergeBaseSwitches(security, PasswordForm::Real), outDir, name);
    lastCommandLine_ = program + L" " + MergeSwitches(kept, outDir, name);
    window_.AppendMemo(lastCommandLine_ + L"\r\n");

    window_.ProcessMessages();
    ChildRun run = RunChildOfWindow(window_, commandLine);
    if (run.pipeFailed) {
        window_.ShowMessage(ConversionWindow::Box::Plain, Texts().Get(L"AFEHLER3"));
        return false;
    }
    if (!run.started) {
        window_.ShowMessage(ConversionWindow::Box::Plain, Texts().Get(L"AFEHLER1"));
        return false;
    }

    // Only a run that exited with 0 and left its file counts as merged: otherwise nothing is opened or logged as
    // merged, and the user is told.
    const std::wstring target = outDir + name;
    const bool outputMissing = !FileExists(target);
    if (run.exitCode != 0 || outputMissing) {
        const std::wstring text = MergeFailureText(target, true, run.exitCode, 0, outputMissing);
        window_.AppendMemo(text + L"\r\n");
        if (window_.LogEnabled())
            log_.WriteFailureLine(L" - " + text);
        window_.ShowMessage(ConversionWindow::Box::Error, text);
        return false;
    }

    if (selection.OpenInReader)
        ui_.OpenInReader(target);
    if (window_.LogEnabled())
        WriteLog(kept, secured, name, selection.Files);
    return true;
}

void MergeCommand::Report(const std::wstring& text) {
    window_.AppendMemo(text + L"\r\n");
    window_.ShowMessage(ConversionWindow::Box::Error, text);
}

void MergeCommand::WriteLog(const std::wstring& keptSwitches, bool secured, const std::wstring& name,
                            const std::vector<std::wstring>& files) {
    std::vector<std::wstring> lines{Texts().Get(L"MESSAGE24")};
    if (secured)
        lines.push_back(L" - " + keptSwitches);
    lines.push_back(Texts().Get(L"MESSAGE25") + name);
    for (size_t i = 0; i < files.size(); ++i)
        lines.push_back(L" - " + std::to_wstring(i + 1) + L": " + files[i]);
    log_.AppendLines(lines);
}

void MergeCommand::EnterBusyState() {
    window_.SetCaption(Texts().Get(L"PM"));
    window_.ShowCheckIndicator(true);
    window_.EnableMerge(false);
    window_.EnableStartButton(false);
    window_.EnableTimerButton(false);
    window_.SetProgress(kGaugeMax / 2);
}

void MergeCommand::LeaveBusyState() {
    window_.SetCaption(Texts().Get(L"PFA"));
    window_.ShowCheckIndicator(false);
    window_.EnableMerge(true);
    window_.EnableStartButton(true);
    window_.EnableTimerButton(true);
    window_.SetProgress(kGaugeMax);
}
