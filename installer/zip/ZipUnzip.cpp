// The extraction side of the zip component: the run through UNZDLL.DLL with its parameter record and the
// library's callback.
#include "installer/zip/ZipArchive.h"

#include "installer/zip/PasswordDlg.h"
#include "installer/zip/ZipMessages.h"

#include "win/AnsiText.h"
#include "win/Trace.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

using namespace unzdll;

namespace {

// The component's own minimum of the unzip library.
constexpr int kMinUnzipVersion = 172;

// The text area of a callback record: never read past its end, even when the library left it unterminated.
std::wstring TextOf(const UnzCallbackRecord& record) {
    const std::size_t length = strnlen(record.Text, sizeof record.Text);
    std::wstring text = win::FromAnsi(std::string_view(record.Text, length));
    while (!text.empty() && text.back() == L' ') {
        text.pop_back();
    }
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text;
}

void PutText(UnzCallbackRecord& record, const std::string& text, std::size_t limit) {
    const std::size_t n = std::min({text.size(), limit, sizeof record.Text - 1});
    std::memcpy(record.Text, text.data(), n);
    record.Text[n] = '\0';
}

std::int32_t UNZ_STDCALL LibraryCallback(UnzCallbackRecord* record) {
    // Nothing may unwind into the library.
    try {
        if (!record || !record->Caller) {
            return 0;
        }
        return static_cast<TZipArchive*>(record->Caller)->HandleCallback(*record);
    } catch (...) {
        win::TraceCaught(L"LibraryCallback");
        return -1;
    }
}

} // namespace

int TZipArchive::LoadUnzipLibrary() {
    try {
        return unzDll_->AcquireLibraryMin(kMinUnzipVersion, true);
    } catch (const EZipArchive& e) {
        ShowException(e);
        return 0;
    }
}

void TZipArchive::UnloadUnzipLibrary() {
    unzDll_->ReleaseLibrary(true);
}

int TZipArchive::ExtractArchive() {
    if (extracting_ || readingDirectory_) {
        return -255;
    }
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(extracting_);
    errCode_ = 0;
    message_.clear();
    successCount_ = 0;
    cancel_ = false;
    libraryErrors_.clear();
    try {
        RunUnzip();
    } catch (...) {
        // RunUnzip turns its own failures into messages; this only keeps the promise that nothing escapes.
        win::TraceCaught(L"TZipArchive::ExtractArchive");
        FSpecArgs.clear();
        ShowZipMessage(EX_FatalUnZip, ZipMessage(EX_FatalUnZip));
    }
    ShowLibraryErrors();
    return errCode_;
}

void TZipArchive::ShowLibraryErrors() {
    // The library's own reasons (refused names, damaged entries, CRC errors) are shown once, together, after the run:
    // one box per entry would bury the user under a hostile archive.
    if (Unattended || libraryErrors_.empty()) {
        return;
    }
    constexpr std::size_t kShown = 10;
    std::wstring text;
    for (std::size_t i = 0; i < libraryErrors_.size() && i < kShown; ++i) {
        text += (i ? L"\r" : L"") + libraryErrors_[i];
    }
    if (libraryErrors_.size() > kShown) {
        text += L"\r... and " + std::to_wstring(libraryErrors_.size() - kShown) + L" more";
    }
    gui::ShowMessage(text);
}

void TZipArchive::RunUnzip() {
    if (zipFileName_.empty()) {
        FSpecArgs.clear();
        ShowZipMessage(GE_NoZipSpecified, ZipMessage(GE_NoZipSpecified));
        return;
    }
    std::error_code ec;
    if (!std::filesystem::exists(zipFileName_, ec)) {
        FSpecArgs.clear();
        ShowZipMessage(DS_NoInFile, ZipMessage(DS_NoInFile));
        return;
    }
    if (Count() == 0 && dirErrCode_ != 0) {
        // The directory read of this name failed and said why; the failure is the extraction's, not told again.
        FSpecArgs.clear();
        errCode_ = dirErrCode_;
        message_ = dirMessage_;
        return;
    }
    if (Count() == 0) {
        ReadZipDirectory();
        if (Count() == 0) {
            FSpecArgs.clear();
            if (errCode_ == 0) {
                ShowZipMessage(DS_FileOpen, ZipMessage(DS_FileOpen));
            }
            return;
        }
    }
    if (multiDisk_) {
        // Joining the disks of a set is not on the installer's road.
        FSpecArgs.clear();
        ShowZipMessage(DS_NoDiskSpan, ZipMessage(DS_NoDiskSpan));
        return;
    }
    const int savedRequests = passwordReqCount_;
    const bool noPasswordAllowed = Unattended && Password.empty();
    if (noPasswordAllowed) {
        ShowZipMessage(EX_UnAttPassword, ZipMessage(EX_UnAttPassword));
        passwordReqCount_ = 0;
    }
    // Whatever happens below: the file patterns are used up, the count restored and the operation's hold released.
    struct AfterRun {
        TZipArchive& zip;
        int requests;
        bool restore;
        bool held = false;
        ~AfterRun() {
            zip.FSpecArgs.clear();
            if (restore) {
                zip.passwordReqCount_ = requests;
            }
            if (held) {
                zip.unzDll_->ReleaseLibrary(false);
            }
        }
    } after{*this, savedRequests, noPasswordAllowed};
    try {
        unzDll_->AcquireLibraryMin(kMinUnzipVersion, false);
        after.held = true;
    } catch (const EZipArchive& e) {
        ShowException(e);
        return;
    }
    try {
        auto params = std::make_unique<UnzParams>(); // zero-filled
        CallLibrary(*params);
    } catch (const EZipArchive& e) {
        ShowException(e);
    } catch (...) {
        win::TraceCaught(L"TZipArchive::RunUnzip");
        ShowZipMessage(EX_FatalUnZip, ZipMessage(EX_FatalUnZip));
    }
}

void TZipArchive::CallLibrary(UnzParams& params) {
    if (!ExtrBaseDir.empty()) {
        std::error_code ec;
        if (ExtrOptions.count(ExtrForceDirs)) {
            std::filesystem::create_directories(ExtrBaseDir, ec);
        }
        if (!std::filesystem::is_directory(ExtrBaseDir, ec)) {
            throw EZipArchive(EX_NoExtrDir, ExtrBaseDir);
        }
    }
    // The strings live until the call returns.
    std::string archive = win::ToAnsi(zipFileName_);
    std::string password = win::ToAnsi(Password);
    std::string baseDir = win::ToAnsi(ExtrBaseDir);
    const bool all = FSpecArgs.empty() || FSpecArgs.front() == L"*.*";
    std::vector<std::string> specTexts;
    std::vector<UnzFileSpec> specs;
    if (!all) {
        for (const auto& pattern : FSpecArgs) {
            specTexts.push_back(win::ToAnsi(pattern));
        }
        specs.resize(specTexts.size()); // zero-filled entries
        for (std::size_t i = 0; i < specs.size(); ++i) {
            specs[i].FileSpec = specTexts[i].data();
        }
    }
    const auto has = [this](TExtrOpt option) { return ExtrOptions.count(option) != 0; };
    gui::TForm* main = gui::Application.MainForm();
    params.Handle = Unattended || !main ? nullptr : main->Handle();
    params.Caller = this;
    params.Version = unzDll_->Version();
    params.Callback = &LibraryCallback;
    params.Trace = Trace ? -1 : 0;
    params.Password = password.data();
    params.Test = has(ExtrTest) ? -1 : 0;
    params.Quiet = -1;
    params.Verbose = Verbose || Trace ? -1 : 0;
    params.Update = has(ExtrUpdate) ? -1 : 0;
    params.Freshen = has(ExtrFreshen) && !has(ExtrUpdate) ? -1 : 0; // update wins
    params.DirNames = has(ExtrDirNames) ? -1 : 0;
    params.Overwrite = has(ExtrOverWrite) ? -1 : 0;
    params.SpecCount = all ? 0 : static_cast<std::int32_t>(specs.size());
    params.ZipFileName = archive.data();
    params.Specs = specs.empty() ? nullptr : specs.data();
    params.PasswordReqCount = passwordReqCount_;
    params.ExtrBaseDir = baseDir.empty() ? nullptr : baseDir.data();
    params.Check = kRecordCheck;
    const int result = unzDll_->ExecLibrary(&params);
    if (result < 0) {
        successCount_ = 0;
        ShowZipMessage(EX_FatalUnZip, ZipMessage(EX_FatalUnZip) + L"fatal Dll error");
    } else {
        successCount_ = result;
    }
}

int TZipArchive::HandleCallback(UnzCallbackRecord& record) {
    if (destroying_) {
        return 0;
    }
    try {
        HandleAction(record);
    } catch (...) {
        win::TraceCaught(L"TZipArchive::HandleCallback");
        cancel_ = true; // a failing handler stops the library instead of unwinding through it
    }
    gui::Application.ProcessMessages();
    return cancel_ ? -1 : 0;
}

void TZipArchive::HandleAction(UnzCallbackRecord& record) {
    switch (record.ActionCode) {
    case actNewFile:
        itemSize_ = record.Arg2;
        break;
    case actProgress:
        break;
    case actEndOfBatch:
        totalSize_ = totalDone_ = itemSize_ = 0;
        break;
    case actMessage: {
        message_ = TextOf(record);
        const int code = record.Arg1 & 0xFF;
        // A message without a code is information; one with a code is an error of the run (and stays its result).
        if (code != 0) {
            errCode_ = code;
            libraryErrors_.push_back(message_);
        }
        if (OnMessage) {
            OnMessage(code, message_);
        }
        break;
    }
    case actTotalFiles:
        break;
    case actTotalSize:
        totalSize_ = record.Arg2;
        break;
    case actNewName:
        record.Arg1 = 0; // no new name
        break;
    case actPassword: {
        if (record.IsZipOperation) {
            break; // the packing side is never run here
        }
        std::wstring answer;
        if (Unattended) {
            ShowZipMessage(PW_UnatExtPWMiss, ZipMessage(PW_UnatExtPWMiss));
        } else {
            int choice = 0;
            answer = TPasswordDlg::Ask(ZipMessage(PW_Caption), ZipMessage(PW_MessageEnter),
                                       {pwbOk, pwbCancel, pwbCancelAll}, choice);
            if (choice == 2) {
                record.ActionCode = 0; // cancel all
            } else if (choice == 3) {
                cancel_ = true;
            }
        }
        if (answer.empty()) {
            record.Arg1 = 0;
            record.Arg2 = 0;
        } else {
            PutText(record, win::ToAnsi(answer), kMaxPasswordLength);
            record.Arg1 = 1;
            record.Arg2 = std::min(record.Arg2, 15);
        }
        break;
    }
    case actCrcError:
        // The entry is not written: an error of the run whatever the answer.
        if ((record.Arg1 & 0xFF) != 0) {
            errCode_ = record.Arg1 & 0xFF;
        }
        record.Arg1 = 2; // no handler to decide
        break;
    case actSkipped:
        // Code 0: left alone as the options say (up to date, overwriting declined); that is no error, and it must
        // not wipe out an earlier one.
        if ((record.Arg1 & 0xFF) != 0) {
            errCode_ = record.Arg1 & 0xFF;
        }
        break;
    case actStreamSize:
        // Extraction into memory is not used by the installer: refuse the stream.
        record.Arg1 = 1;
        record.Arg2 = 0;
        break;
    default:
        break;
    }
}
