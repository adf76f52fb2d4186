#include "app/main/PostProcessing.h"

#include "app/common/ProcessRunner.h"
#include "app/mail/Mail.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Helpers.h"
#include "core/OutputNaming.h"
#include "app/main/ShellFileOperation.h"
#include "app/main/WindowChild.h"

#include "win/Handles.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "core/TextEncoding.h"
#include "win/Trace.h"

#include <shellapi.h>

#include <stdexcept>

namespace {

// The memo keeps command lines to this length.
constexpr std::size_t kMemoLineLength = 255;
// Of a tool's output, the start is kept for the report of a failure (its first lines name the cause).
constexpr std::size_t kKeptToolOutput = 4096;
constexpr std::size_t kReportedToolOutput = 200;

// The tool's output in one line: line ends and tabs become blanks, runs of blanks one, cut to a short length.
std::wstring WidenOutput(const std::string& output) {
    std::wstring text;
    for (char c : output) {
        const wchar_t w =
            (c == '\r' || c == '\n' || c == '\t') ? L' ' : static_cast<wchar_t>(static_cast<unsigned char>(c));
        if (w == L' ' && (text.empty() || text.back() == L' ')) {
            continue;
        }
        text += w;
        if (text.size() >= kReportedToolOutput) {
            break;
        }
    }
    while (!text.empty() && text.back() == L' ') {
        text.pop_back();
    }
    return text;
}

// Whether the file opens with that access and no sharing; the handle is closed again at once.
bool CanOpen(const std::wstring& path, DWORD access) {
    const win::UniqueHandle file(
        CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.get() != INVALID_HANDLE_VALUE;
}

// The count after the end marker (MailUserNameDigits): digits only. An empty or other text is a number error, raised.
int MarkerCount(const std::wstring& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        throw std::invalid_argument("the count after the end marker is not a number");
    }
    return std::stoi(text);
}

} // namespace

std::wstring WatermarkFailureText(const std::wstring& stampedFile, bool started, unsigned long exitCode,
                                  unsigned long startError, const std::wstring& toolOutput) {
    std::wstring text = L"Wasserzeichen fehlgeschlagen! / Watermark failed! " + stampedFile;
    if (!started) {
        return text + L" (pdftk nicht gestartet / not started, Fehler / error " + std::to_wstring(startError) + L")";
    }
    text += L" (Exitcode " + std::to_wstring(exitCode) + L")";
    if (!toolOutput.empty()) {
        text += L": " + toolOutput;
    }
    return text;
}

bool IsFileInUse(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        // Only a file that is not there is not in use; a path that cannot even be examined is.
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    return !CanOpen(path, GENERIC_READ | GENERIC_WRITE);
}

bool IsFileLocked(const std::wstring& path) {
    // Read access without sharing: refused while any other handle is open on the file. (The same test as an
    // exclusive-share OpenFile, without its ANSI path and 128-character limit.)
    return !CanOpen(path, GENERIC_READ);
}

// What the mail steps send, derived once per file in step 1 and used again for the stamped file.
struct PostProcessing::MailData {
    std::wstring SenderName;
    std::wstring SenderAddress;
    std::wstring RecipientName;
    bool ShowDialog = false;
    std::wstring AttachmentBase;
    MailTexts Wording;
    bool Ready = false; // everything above was derived without a failure
};

PostProcessing::PostProcessing(ConversionWindow& window, const DialogSettings& dialog, const MainSettings& main,
                               ConversionLog log, std::wstring programFolder)
    : window_(window), dialog_(dialog), main_(main), log_(std::move(log)), programFolder_(std::move(programFolder)) {
    if (!programFolder_.empty() && programFolder_.back() != L'\\') {
        programFolder_ += L'\\';
    }
}

std::wstring PostProcessing::WatermarkCommand(const std::wstring& outputFile, const std::wstring& stampedFile) const {
    return QuotedProgram(programFolder_ + L"pdftk.exe") + L" " + Quoted(outputFile) + L" background " +
           Quoted(dialog_.WatermarkFile) + L" output " + Quoted(stampedFile);
}

void PostProcessing::Run(const ConvertedFile& file) {
    interactive_ = file.interactive;
    const std::wstring fileName = ExtractFileName(file.outputPath);
    const std::wstring outputFile = file.outDir + fileName;
    const std::wstring stampedFile = file.outDir + L"W_" + fileName;
    const bool pdf = file.outputType == GsOutputPdf;
    // pdftk stamps PDF files only: a check left on from an earlier PDF setting must not touch other outputs.
    const bool watermark = dialog_.StampWatermark && pdf;
    const bool mailOn = dialog_.SendMail == 0;

    MailData mail;
    DeleteInputAndMailOutput(file, mail);
    if (watermark) {
        StampWatermark(outputFile, stampedFile);
    }
    if (mailOn && watermark && mail.Ready) {
        MailStampedFile(mail, outputFile, stampedFile);
    }
    if (pdf && dialog_.ShowInReader) {
        OpenInReader(outputFile);
        if (watermark) {
            OpenInReader(stampedFile);
        }
    }
    if (window_.LogEnabled() && mailOn && mailLogDue_) {
        WriteLog([this](const ConversionLog& log) { log.WriteMailBlock(static_cast<int>(lastMailResult_)); });
        mailLogDue_ = false;
    }
}

void PostProcessing::DeleteInputAndMailOutput(const ConvertedFile& file, MailData& mail) {
    const std::wstring outputFile = file.outDir + ExtractFileName(file.outputPath);
    const std::wstring outputBase = ChangeFileExt(ExtractFileName(file.outputPath), L"");
    const bool watermark = dialog_.StampWatermark && file.outputType == GsOutputPdf;
    const bool serverMode = dialog_.MailMode == 1;
    bool inputInUse = true;
    try {
        inputInUse = IsFileInUse(file.inputFile);
        if (!inputInUse && dialog_.DeleteInputs == 0 && PathExists(file.inputFile)) {
            Delete(file.inputFile);
        }
        mail.SenderName = dialog_.MailName;
        mail.SenderAddress = dialog_.MailAddress;
        if (!serverMode) {
            mail.RecipientName = dialog_.MailAddress;
        } else {
            const std::wstring& marker = dialog_.MailUserNameEnd;
            const bool cuts = !marker.empty() && outputBase.find(marker) != std::wstring::npos;
            mail.RecipientName = ServerRecipientName(
                outputBase, marker, cuts ? MarkerCount(dialog_.MailUserNameDigits) : 0, dialog_.MailDomain);
        }
        mail.ShowDialog = dialog_.ShowMailDialog;
    } catch (...) {
        win::TraceCaught(L"PostProcessing::DeleteInputAndMailOutput");
        Report(ConversionWindow::Box::Plain, Texts().Get(L"VFEHLER2"));
        return;
    }

    if (dialog_.SendMail != 0) {
        return;
    }
    try {
        if (!serverMode) {
            mail.AttachmentBase = outputBase;
        } else {
            const std::wstring marker = dialog_.MailUserNameEnd.empty() ? L"X" : dialog_.MailUserNameEnd;
            const bool occurs = outputBase.find(marker.front()) != std::wstring::npos;
            mail.AttachmentBase =
                ServerAttachmentBase(outputBase, marker, occurs ? MarkerCount(dialog_.MailUserNameDigits) : 0);
        }
        mail.Wording = MailTextsFor(main_.LanguageChoice);
        mail.Ready = true;
        if (inputInUse) {
            return; // the input's program may still be printing: its output is not final
        }
        if (!watermark) {
            Send(mail, outputFile, mail.AttachmentBase + OutputExtension(file.outputType));
        }
        window_.ProcessMessages();
        if (lastMailResult_ == 0 && !IsFileLocked(outputFile) && !watermark) {
            Delete(outputFile);
        }
    } catch (...) {
        win::TraceCaught(L"PostProcessing::DeleteInputAndMailOutput");
        Report(ConversionWindow::Box::Plain, Texts().Get(L"VFEHLER1"));
    }
}

bool PostProcessing::StampWatermark(const std::wstring& outputFile, const std::wstring& stampedFile) {
    const std::wstring command = WatermarkCommand(outputFile, stampedFile);
    std::string output;
    const ChildRun run = RunChildOfWindow(window_, command, [&output](std::string_view chunk) {
        if (output.size() < kKeptToolOutput) {
            output.append(chunk.substr(0, kKeptToolOutput - output.size()));
        }
    });
    if (run.pipeFailed) {
        Report(ConversionWindow::Box::Plain, Texts().Get(L"AFEHLER3"));
    } else if (!run.started) {
        Report(ConversionWindow::Box::Plain, Texts().Get(L"AFEHLER1"));
    }
    window_.AppendMemo(command.substr(0, kMemoLineLength) + L"\r\n");

    // Only a run that exited with 0 and left the stamped file has stamped: pdftk reports a damaged or protected
    // PDF, a missing background file or a full disk by its exit code and its output.
    const bool stamped = run.started && run.exitCode == 0 && FileExists(stampedFile);
    if (!stamped) {
        const std::wstring text =
            WatermarkFailureText(stampedFile, run.started, run.exitCode, run.startError, WidenOutput(output));
        window_.AppendMemo(text + L"\r\n");
        if (window_.LogEnabled()) {
            WriteLog([&](const ConversionLog& log) { log.WriteFailureLine(L" - " + text); });
        }
        if (run.started && interactive_) {
            window_.ShowMessage(ConversionWindow::Box::Error, text);
        }
        return false;
    }
    if (window_.LogEnabled()) {
        WriteLog([&](const ConversionLog& log) { log.WriteWatermarkBlock(programFolder_, stampedFile); });
    }
    return true;
}

void PostProcessing::MailStampedFile(const MailData& mail, const std::wstring& outputFile,
                                     const std::wstring& stampedFile) {
    Send(mail, stampedFile, L"W_" + mail.AttachmentBase + L".pdf");
    window_.ProcessMessages();
    if (lastMailResult_ == 0 && !IsFileLocked(outputFile) && !IsFileLocked(stampedFile)) {
        Delete(outputFile);
        Delete(stampedFile);
    }
}

void PostProcessing::OpenInReader(const std::wstring& path) {
    // The path is one argument for the reader, blanks and all.
    ShellExecuteW(Owner, L"open", main_.ReaderProgram.c_str(), Quoted(path).c_str(), nullptr, SW_SHOWNORMAL);
}

void PostProcessing::Send(const MailData& mail, const std::wstring& attachmentPath,
                          const std::wstring& attachmentName) {
    MailMessage message;
    message.Subject = mail.Wording.Subject;
    message.Body = mail.Wording.Body;
    message.SenderName = mail.SenderName;
    message.SenderAddress = mail.SenderAddress;
    message.RecipientName = mail.RecipientName;
    message.RecipientAddress = L"";
    message.AttachmentPath = attachmentPath;
    message.AttachmentName = attachmentName;
    message.ShowDialog = mail.ShowDialog;
    lastMailResult_ = SendMail(message, Owner, Texts().Get(L"MESSAGE1"),
                               [this](const std::wstring& text) { Report(ConversionWindow::Box::Error, text); });
}

void PostProcessing::Report(ConversionWindow::Box box, const std::wstring& text) {
    if (interactive_) {
        window_.ShowMessage(box, text);
        return;
    }
    window_.AppendMemo(text + L"\r\n");
    window_.ShowStatus(text);
    if (window_.LogEnabled()) {
        WriteLog([&](const ConversionLog& log) { log.WriteFailureLine(L" - " + text); });
    }
}

void PostProcessing::WriteLog(const std::function<void(const ConversionLog&)>& write) {
    log_.WriteGuarded(write, [this](const LogWriteError& error) {
        const std::wstring text = L"I/O-FEHLER..! / I/O-ERROR...! " + ErrorMessage(error);
        window_.AppendMemo(text + L"\r\n");
        window_.ShowStatus(text);
        if (interactive_) {
            window_.ShowMessage(ConversionWindow::Box::Plain, L"I/O-FEHLER..!\r\rI/O-ERROR...!");
        }
    });
}

void PostProcessing::Delete(const std::wstring& path) {
    ShellFileOperation(path, L"", FO_DELETE, FOF_NOCONFIRMATION);
}
