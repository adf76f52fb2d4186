#pragma once
// What happens to a file after Ghostscript converted it: the input is deleted, the result mailed, stamped with the
// watermark page background through pdftk, the stamped file mailed, mailed outputs cleaned up, the result opened
// in the PDF reader, and the mail outcome logged. The order is fixed. The main window sets Run as the conversion
// pass's AfterConversion hook, so it runs only for a conversion that really produced its output.
#include "app/main/ConversionLog.h"
#include "app/main/ConversionPass.h"
#include "core/Settings.h"

#include <windows.h>

#include <functional>
#include <string>

// True when the path names an existing file that cannot be opened for reading and writing without sharing: some
// program still has it open. A missing file or a folder is not in use; a failed test counts as in use.
bool IsFileInUse(const std::wstring& path);
// True when the file cannot be opened for reading with exclusive sharing; a missing file counts as locked.
bool IsFileLocked(const std::wstring& path);

// The memo and log text for a watermark that was not made: the stamped file, pdftk's exit code (or why it did not
// start) and the start of its output.
std::wstring WatermarkFailureText(const std::wstring& stampedFile, bool started, unsigned long exitCode,
                                  unsigned long startError, const std::wstring& toolOutput);

class PostProcessing {
public:
    // programFolder: the folder of the program file with its trailing backslash (pdftk.exe is looked for there,
    // and the log names it). The settings are the live model; they are read anew for every file.
    PostProcessing(ConversionWindow& window, const DialogSettings& dialog, const MainSettings& main, ConversionLog log,
                   std::wstring programFolder);

    // The AfterConversion hook. Failures of the input deletion and the first mail are reported and passed over;
    // failures of the later steps end the pass (they are thrown to it). Boxes only when file.interactive; else
    // failures go to the memo, the status bar and the log, and a log that cannot be written stops nothing.
    void Run(const ConvertedFile& file);

    // A pass begins: its first file that reaches the mail log writes the mail block again. The main window calls
    // this where every pass starts (the pass clears the command memo first thing, ConversionWindow::ClearMemo).
    void BeginPass() { mailLogDue_ = true; }

    // The result of the last MAPISendMail (0 = sent); kept across files and passes.
    unsigned long LastMailResult() const { return lastMailResult_; }

    // The application window: owner of the mail client's dialog and of the reader's start.
    HWND Owner = nullptr;
    // The pdftk command line for an output file, as run and as shown in the memo.
    std::wstring WatermarkCommand(const std::wstring& outputFile, const std::wstring& stampedFile) const;

private:
    struct MailData;

    void DeleteInputAndMailOutput(const ConvertedFile& file, MailData& mail);
    // True when pdftk made the stamped file; a failure is reported in the memo and the log.
    bool StampWatermark(const std::wstring& outputFile, const std::wstring& stampedFile);
    void MailStampedFile(const MailData& mail, const std::wstring& outputFile, const std::wstring& stampedFile);
    void OpenInReader(const std::wstring& path);
    void Send(const MailData& mail, const std::wstring& attachmentPath, const std::wstring& attachmentName);
    void Delete(const std::wstring& path);
    // A box when a person started the pass; otherwise memo, status bar and log.
    void Report(ConversionWindow::Box box, const std::wstring& text);
    void WriteLog(const std::function<void(const ConversionLog&)>& write);

    ConversionWindow& window_;
    const DialogSettings& dialog_;
    const MainSettings& main_;
    ConversionLog log_;
    std::wstring programFolder_;
    unsigned long lastMailResult_ = 0;
    bool mailLogDue_ = true;
    bool interactive_ = true; // of the file being post-processed
};
