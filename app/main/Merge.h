#pragma once
// Merging: several PDF (or PostScript/PRN) files, in the order the user chose, become one new PDF file in the output
// folder. The list goes to "PDFList.txt" there and Ghostscript runs once over it as an argument file. The command
// runs on the main thread; the main window's parts are reached through ConversionWindow, the two dialogs, the
// encryption dialog, the panes and the reader through MergeUi, so the whole merge runs without the main window.
#include "app/main/ConversionLog.h"
#include "app/main/ConversionPass.h"
#include "core/Settings.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t kMergeListFileName[] = L"PDFList.txt";

// What the merge list dialog hands back when the user confirmed it with "Auf geht's...".
struct MergeSelection {
    std::vector<std::wstring> Files; // full paths, in list order
    bool OpenInReader = false;       // PDFAnzRG on index 0
};

// The windows and actions around the merge. The application implements it with its dialogs (MergeFormsUi).
class MergeUi {
public:
    virtual ~MergeUi() = default;
    // The name dialog, centred on the main window: the typed name, or nullopt when it was not closed with OK.
    virtual std::optional<std::wstring> AskMergeName() = 0;
    // The merge list, centred on the main window: the files when confirmed, nullopt otherwise.
    virtual std::optional<MergeSelection> ChooseFiles() = 0;
    // The encryption dialog's fields as they stand (the key length is not read: merging always uses 40 bits).
    virtual SecuritySettings SecurityFields() const = 0;
    // Unchecks the encryption dialog's owner password, so the next merge or conversion starts unprotected.
    virtual void SwitchOffOwnerPassword() = 0;
    virtual void OpenInReader(const std::wstring& file) = 0;
    virtual void ReloadPanes() = 0;
};

// The bytes of the list file: one line per path, in the given order, the whole path between double quotes, CR LF,
// in Windows-1252. A path with a character that code page cannot hold is written by its short (8.3) name; when it
// has none, nullopt names the first such path in `unwritable`.
std::optional<std::string> MergeListFileBytes(const std::vector<std::wstring>& paths,
                                              std::wstring* unwritable = nullptr);

// "-dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite" and, when owner-password protection is on with a password, the
// 40-bit security switches (passwords that would split the argument are quoted; Masked shows them as "***").
std::wstring MergeBaseSwitches(const SecuritySettings& security, PasswordForm form = PasswordForm::Real);
// The base switches + the output file and the list file as Ghostscript's argument file; outDir ends in "\".
std::wstring MergeSwitches(const std::wstring& baseSwitches, const std::wstring& outDir, const std::wstring& name);
// The preview of one file in the merge list.
std::wstring MergePreviewCommand(const std::wstring& ghostscriptProgram, const std::wstring& file);

class MergeCommand {
public:
    MergeCommand(ConversionWindow& window, MergeUi& ui, DialogSettings& dialog, ConversionLog log);

    // The whole merge (MergeBitBtnClick). Lets no exception out: an unexpected one is shown in a box.
    void MergeBitBtnClick();

    // The last run's command line as written to the memo (passwords masked, without the line end); empty before the
    // first run.
    const std::wstring& LastCommandLine() const { return lastCommandLine_; }

private:
    void Merge();
    // Runs Ghostscript over the list and reports; false when nothing usable came out.
    bool RunMerge(const std::wstring& outDir, const std::wstring& name, const MergeSelection& selection);
    void EnterBusyState();
    void LeaveBusyState();
    void WriteLog(const std::wstring& keptSwitches, bool secured, const std::wstring& name,
                  const std::vector<std::wstring>& files);
    void Report(const std::wstring& text);

    ConversionWindow& window_;
    MergeUi& ui_;
    DialogSettings& dialog_;
    ConversionLog log_;
    std::wstring lastCommandLine_;
};

// The text for a merge whose result is missing: the target and the Ghostscript exit code (or why there is none).
std::wstring MergeFailureText(const std::wstring& target, bool started, unsigned long exitCode,
                              unsigned long startError, bool outputMissing);
