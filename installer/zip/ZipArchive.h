#pragma once
// TZipArchive: the installer's zip component. Assigning ZipFileName reads the archive's central directory (own
// code); ExtractArchive hands the extraction to UNZDLL.DLL through TZipLibLoader and the records of
// core/UnzDllRecords.h. No failure leaves the component as an exception: each becomes a message by id, shown in a
// box unless Unattended, with the last error code and text kept.
#include "core/ZipDirectory.h"
#include "installer/zip/ZipLibLoader.h"

#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// The component's exception: a message id, whether it is to be shown, and an optional argument formatted into it.
// what() is Message() in UTF-8.
class EZipArchive : public std::runtime_error {
public:
    explicit EZipArchive(int id, bool display = true);
    EZipArchive(int id, const std::wstring& argument, bool display = true);
    // Without this a literal would bind to the display flag.
    EZipArchive(int id, const wchar_t* argument, bool display = true)
        : EZipArchive(id, std::wstring(argument), display) {}
    EZipArchive(int id, int argument, bool display = true);
    int Id() const { return id_; }
    bool Display() const { return display_; }
    const std::wstring& Message() const { return message_; }

private:
    int id_;
    bool display_;
    std::wstring message_;
};

// The text of a message id with an optional argument; a missing id gives the component's placeholder.
std::wstring ZipMessage(int id);
std::wstring ZipMessage(int id, const std::wstring& argument);
std::wstring ZipMessage(int id, int argument);

// Path with one trailing backslash added unless it already ends with one; empty stays empty.
std::wstring AppendDirSeparator(const std::wstring& path);

enum TExtrOpt { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate, ExtrTest, ExtrForceDirs };
using TExtrOpts = std::set<TExtrOpt>;
enum TCodePageOpt { cpAuto, cpNone, cpOEM };

using TZipMessageEvent = std::function<void(int errCode, const std::wstring& message)>;

class TZipArchive {
public:
    TZipArchive();
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    const std::wstring& DLLDirectory() const { return dllDirectory_; }
    void SetDLLDirectory(const std::wstring& folder);
    const std::wstring& ZipFileName() const { return zipFileName_; }
    // Reads the directory at once; never raises.
    void SetZipFileName(const std::wstring& name);
    int PasswordReqCount() const { return passwordReqCount_; }
    void SetPasswordReqCount(int count);

    std::vector<std::wstring> FSpecArgs; // "*.*" first means all; emptied after every extraction
    std::wstring ExtrBaseDir;
    TExtrOpts ExtrOptions;
    bool Unattended = false;
    bool Verbose = false;
    bool Trace = false;
    std::wstring Password;
    TCodePageOpt CodePage = cpAuto;
    bool UseDirOnlyEntries = false;
    std::wstring TempDir;
    static constexpr const wchar_t* VersionInfo = L"1.73";

    TZipMessageEvent OnMessage;
    std::function<void()> OnDirUpdate;

    // The entries of the archive (0 while no archive is named).
    int Count() const { return zipFileName_.empty() ? 0 : static_cast<int>(entries_.size()); }
    const ZipDirEntry& DirEntry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    const std::wstring& ZipComment() const { return zipComment_; }
    int DirOnlyCount() const { return dirOnlyCount_; }
    std::int64_t ZipSOC() const { return archiveStart_; }
    std::int64_t ZipEOC() const { return logicalSize_; }
    bool IsSpanned() const { return multiDisk_; }

    // Runs one extraction; -255 at once while busy. Returns the last error code: 0 only when every chosen entry was
    // extracted or left alone as the options say; a refused name, a damaged entry or a CRC error make it non-zero.
    // The library's error messages of the run are shown together at its end (unless Unattended).
    int ExtractArchive();
    int SuccessCnt() const { return successCount_; }
    int ErrCode() const { return errCode_; }
    const std::wstring& Message() const { return message_; }

    // The owner's explicit load and unload of the unzip library (FormCreate / FormDestroy). The version, or 0.
    int LoadUnzipLibrary();
    void UnloadUnzipLibrary();
    TZipLibLoader& UnzipLoader() { return *unzDll_; }

    // Internal: raised by the loader and by the library's callback (which returns -1 to stop the library).
    void ReportLibraryMessage(int id, const std::wstring& path);
    int HandleCallback(unzdll::UnzCallbackRecord& record);

private:
    void ReadZipDirectory();
    void ClearDirectory();
    std::wstring ConvertStored(const std::string& raw, std::uint16_t madeBy) const;
    void DiagnoseMissingEndRecord(bool splitMark);
    void ShowZipMessage(int id, const std::wstring& text);
    void ShowException(const EZipArchive& e);
    void ShowLibraryErrors();
    void RunUnzip();
    void CallLibrary(unzdll::UnzParams& params);
    void HandleAction(unzdll::UnzCallbackRecord& record);

    std::unique_ptr<TUnzDll> unzDll_;
    std::unique_ptr<TZipDll> zipDll_;
    std::wstring dllDirectory_;
    std::wstring zipFileName_;
    int passwordReqCount_ = 1;
    std::vector<ZipDirEntry> entries_;
    int dirOnlyCount_ = 0;
    std::wstring zipComment_;
    std::int64_t directoryStart_ = 0;
    std::int64_t archiveStart_ = 0;
    std::int64_t logicalSize_ = 0;
    bool structureError_ = false;
    bool multiDisk_ = false;
    std::wstring message_;
    int errCode_ = 0;
    // The error the last directory read of zipFileName_ ended with (0: none) and its text; already shown.
    int dirErrCode_ = 0;
    std::wstring dirMessage_;
    // The library's error messages of the running extraction, shown together at its end.
    std::vector<std::wstring> libraryErrors_;
    int successCount_ = 0;
    bool extracting_ = false;
    bool readingDirectory_ = false;
    bool destroying_ = false;
    bool cancel_ = false;
    std::int64_t totalSize_ = 0;
    std::int64_t totalDone_ = 0;
    std::int64_t itemSize_ = 0;
};
