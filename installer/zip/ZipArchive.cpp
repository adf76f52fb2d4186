// The zip component: properties, messages and the directory read on every assignment of ZipFileName.
// The extraction through the unzip library is in ZipUnzip.cpp.
#include "installer/zip/ZipArchive.h"

#include "installer/zip/ZipMessages.h"

#include "win/Handles.h"
#include "gui/MessageBox.h"
#include "core/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <new>

namespace {

// Puts the argument in place of the first printf-style field of the text ("%s", "%d", "%.1d").
std::wstring FormatField(const std::wstring& text, const std::wstring& argument) {
    for (const wchar_t* field : {L"%s", L"%d", L"%.1d"}) {
        const auto at = text.find(field);
        if (at != std::wstring::npos) {
            return text.substr(0, at) + argument + text.substr(at + std::wcslen(field));
        }
    }
    return text;
}

// A "version made by" whose names are taken unchanged under cpAuto (NTFS host, zip version 0).
constexpr std::uint16_t kNoOemHost = 0x0B00;

std::wstring MissingId(int id) {
    return L"ZipArchive [ " + std::to_wstring(id) + L" ]";
}

// The archive file, opened for reading with writers shut out while the directory is read.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::wstring& name)
        : handle_(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER size{};
        if (IsOpen() && GetFileSizeEx(handle_.get(), &size)) {
            size_ = size.QuadPart;
        }
    }
    bool IsOpen() const { return handle_.get() != INVALID_HANDLE_VALUE; }
    std::int64_t Size() const override { return size_; }
    bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset < 0 || count > 0x7FFFFFFF || offset > size_ || static_cast<std::int64_t>(count) > size_ - offset) {
            return false;
        }
        LARGE_INTEGER to{};
        to.QuadPart = offset;
        DWORD got = 0;
        return SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN) &&
               ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &got, nullptr) && got == count;
    }

private:
    win::UniqueHandle handle_;
    std::int64_t size_ = 0;
};

// The disk number a multi-disk archive's name or volume label carries, or 0.
int DiskNumberOf(const std::wstring& archive) {
    const std::filesystem::path path(archive);
    const auto digits = [](const std::wstring& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
    };
    wchar_t label[MAX_PATH + 1] = {};
    const std::wstring root = std::filesystem::absolute(path).root_path().wstring();
    // Only removable media carry the disk labels of a set; fixed, network and RAM drives are never asked.
    if (GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE &&
        GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        const std::wstring text = label;
        if (text.size() == 11 && text.compare(0, 8, L"PKBACK# ") == 0 && digits(text.substr(8))) {
            return std::stoi(text.substr(8));
        }
    }
    const std::wstring ext = path.extension().wstring();
    if (ext.size() > 2 && (ext[1] == L'z' || ext[1] == L'Z') && digits(ext.substr(2))) {
        return std::stoi(ext.substr(2));
    }
    const std::wstring stem = path.stem().wstring();
    if (stem.size() >= 3 && digits(stem.substr(stem.size() - 3))) {
        return std::stoi(stem.substr(stem.size() - 3));
    }
    return 0;
}

} // namespace

std::wstring ZipMessage(int id) {
    const wchar_t* text = ZipMessageText(id);
    return text ? std::wstring(text) : MissingId(id);
}

std::wstring ZipMessage(int id, const std::wstring& argument) {
    const wchar_t* text = ZipMessageText(id);
    return text ? FormatField(text, argument) : MissingId(id) + L", " + argument;
}

std::wstring ZipMessage(int id, int argument) {
    const wchar_t* text = ZipMessageText(id);
    return text ? FormatField(text, std::to_wstring(argument)) : MissingId(id) + L" ," + std::to_wstring(argument);
}

EZipArchive::EZipArchive(int id, bool display)
    : std::runtime_error(Utf8FromWide(ZipMessage(id))), id_(id), display_(display), message_(ZipMessage(id)) {}

EZipArchive::EZipArchive(int id, const std::wstring& argument, bool display)
    : std::runtime_error(Utf8FromWide(ZipMessage(id, argument))), id_(id), display_(display),
      message_(ZipMessage(id, argument)) {}

EZipArchive::EZipArchive(int id, int argument, bool display)
    : std::runtime_error(Utf8FromWide(ZipMessage(id, argument))), id_(id), display_(display),
      message_(ZipMessage(id, argument)) {}

std::wstring AppendDirSeparator(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') {
        return path;
    }
    return path + L'\\';
}

TZipArchive::TZipArchive() : unzDll_(std::make_unique<TUnzDll>(*this)), zipDll_(std::make_unique<TZipDll>(*this)) {}

TZipArchive::~TZipArchive() {
    destroying_ = true; // late callbacks and unload reports are ignored from here on
    zipDll_.reset();
    unzDll_.reset();
}

void TZipArchive::SetDLLDirectory(const std::wstring& folder) {
    std::wstring value = folder;
    if (!value.empty() && value.back() == L'\\') {
        value.pop_back();
    }
    if (value != dllDirectory_) {
        dllDirectory_ = value;
    }
}

void TZipArchive::SetZipFileName(const std::wstring& name) {
    zipFileName_ = name;
    ReadZipDirectory();
}

void TZipArchive::SetPasswordReqCount(int count) {
    passwordReqCount_ = count > 15 ? 15 : count;
}

void TZipArchive::ShowZipMessage(int id, const std::wstring& text) {
    message_ = text;
    errCode_ = id;
    if (!Unattended) {
        gui::ShowMessage(text);
    }
    if (OnMessage) {
        OnMessage(id, text);
    }
}

void TZipArchive::ShowException(const EZipArchive& e) {
    message_ = e.Message();
    errCode_ = e.Id();
    if (e.Display() && !Unattended) {
        gui::ShowMessage(message_);
    }
    if (OnMessage) {
        OnMessage(errCode_, message_);
    }
}

void TZipArchive::ReportLibraryMessage(int id, const std::wstring& path) {
    // Reported like a library message: kept and passed on, never a box.
    if (destroying_ || !Verbose) {
        return;
    }
    message_ = ZipMessage(id) + path;
    if (OnMessage) {
        OnMessage(0, message_);
    }
}

void TZipArchive::ClearDirectory() {
    entries_.clear();
    dirOnlyCount_ = 0;
    zipComment_.clear();
    directoryStart_ = archiveStart_ = logicalSize_ = 0;
    structureError_ = multiDisk_ = false;
}

std::wstring TZipArchive::ConvertStored(const std::string& raw, std::uint16_t madeBy) const {
    if (raw.empty()) {
        return {};
    }
    const bool oem = CodePage == cpOEM || (CodePage == cpAuto && unzdll::StoredNameIsOem(madeBy));
    const UINT codePage = oem ? CP_OEMCP : CP_ACP;
    const int n = MultiByteToWideChar(codePage, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) {
        MultiByteToWideChar(codePage, 0, raw.data(), static_cast<int>(raw.size()), out.data(), n);
    }
    return out;
}

void TZipArchive::DiagnoseMissingEndRecord(bool splitMark) {
    const int disk = DiskNumberOf(zipFileName_);
    if (!splitMark) {
        ShowZipMessage(disk > 0 ? DS_NotLastInSet : DS_NoValidZip,
                       disk > 0 ? ZipMessage(DS_NotLastInSet, disk) : ZipMessage(DS_NoValidZip));
    } else {
        const int id = disk == 1 ? DS_FirstInSet : DS_FirstFileOnHD;
        ShowZipMessage(id, ZipMessage(id));
    }
}

void TZipArchive::ReadZipDirectory() {
    ClearDirectory();
    errCode_ = 0;
    message_.clear();
    struct Busy {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(readingDirectory_);
    std::error_code ec;
    dirErrCode_ = 0;
    dirMessage_.clear();
    if (zipFileName_.empty() || !std::filesystem::exists(zipFileName_, ec)) {
        if (OnDirUpdate) {
            OnDirUpdate();
        }
        return;
    }
    try {
        FileSource source(zipFileName_);
        if (!source.IsOpen()) {
            throw EZipArchive(DS_NoInFile);
        }
        ZipDirectory dir = ReadZipDirectoryFrom(source, UseDirOnlyEntries, [this](ZipDirEntry& e) {
            e.FileName = ConvertStored(e.RawFileName, e.MadeBy);
            std::replace(e.FileName.begin(), e.FileName.end(), L'/', L'\\');
            e.FileComment = ConvertStored(e.RawComment, e.MadeBy);
        });
        if (!dir.End.Found) {
            DiagnoseMissingEndRecord(dir.End.SplitStartMark);
        } else {
            logicalSize_ = dir.End.LogicalSize;
            // The archive comment carries no host of its own: only cpOEM converts it.
            zipComment_ = ConvertStored(dir.End.Comment, kNoOemHost);
            multiDisk_ = dir.MultiDisk;
            directoryStart_ = dir.DirectoryStart;
            archiveStart_ = dir.ArchiveStart;
            dirOnlyCount_ = dir.DroppedDirEntries;
            structureError_ = dir.ErrorId != 0;
            for (int warning : dir.Warnings) {
                ShowZipMessage(warning, ZipMessage(warning));
            }
            entries_ = std::move(dir.Entries);
            if (dir.ErrorId != 0) {
                ShowZipMessage(dir.ErrorId, ZipMessage(dir.ErrorId));
            }
        }
    } catch (const EZipArchive& e) {
        ShowException(e);
    } catch (const std::bad_alloc&) {
        ShowZipMessage(GE_NoMem, ZipMessage(GE_NoMem));
    } catch (const std::exception& e) {
        ShowZipMessage(LI_ErrorUnknown, ZipMessage(LI_ErrorUnknown) + ErrorMessage(e));
    }
    // Only a read that kept no entry failed: warnings (garbage at the end, a shifted archive) leave them usable.
    if (entries_.empty() && errCode_ != 0) {
        dirErrCode_ = errCode_;
        dirMessage_ = message_;
    }
    if (OnDirUpdate) {
        OnDirUpdate();
    }
}
