// UNZDLL.DLL for machines without the outside unzip library: extracts stored and deflated entries of a zip
// archive through the record contract the zip component speaks (core/UnzDllRecords.h).
//
// Whatever an archive says, nothing is created outside the base folder: every part of a stored name is judged as
// Windows would resolve it (trailing dots and blanks dropped, so ".. " and "..." climb like ".."; device names; a
// drive or stream colon), a refused name is told (message and "skipped"), and every target is checked once more
// after the system has made it a full path. An extraction whose entries would write more than kMaxTotalOutput
// bytes together is refused before anything is written: a small archive cannot fill the disk.
//
// Built in variants for tests with UNZDLL_VERSION set to a version the caller must refuse.
#include <windows.h>

#include "core/LittleEndian.h"
#include "core/UnzipInflate.h"
#include "core/UnzipNames.h"
#include "core/UnzDllRecords.h"
#include "win/AnsiText.h"
#include "win/Handles.h"
#include "win/Trace.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#ifndef UNZDLL_VERSION
#define UNZDLL_VERSION 173
#endif

using namespace unzdll;

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;
// Reason codes of "skipped" (argument 1 of action 11) and of messages (argument 1 of action 4).
// A file left alone because the options say so (up to date, or overwriting declined) is skipped with code 0: that
// is no error.
constexpr std::int32_t kErrArchive = 51, kErrUnsafeName = 52, kErrMethod = 53, kErrWrite = 54, kErrEncrypted = 55,
                       kErrCrc = 57, kErrTooLarge = 58;
// Far above what an installer unpacks (a few megabytes), far below what fills a disk.
constexpr std::uint64_t kMaxTotalOutput = std::uint64_t{1} << 30;

std::wstring Widen(const char* text, UINT codePage, int length = -1) {
    if (!text || length == 0) {
        return {};
    }
    const int n = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) {
        MultiByteToWideChar(codePage, 0, text, length, out.data(), n);
    }
    if (length < 0 && !out.empty()) {
        out.pop_back(); // the terminator
    }
    return out;
}

struct Entry {
    std::wstring name; // with backslashes
    std::uint16_t flags = 0, method = 0, time = 0, date = 0;
    std::uint32_t crc = 0, packedSize = 0, size = 0;
    std::uint64_t localOffset = 0; // already moved by the data in front of the archive
};

class Session {
public:
    explicit Session(UnzParams& params) : p_(params) {}

    std::int32_t Run();

private:
    // Calls back; false when the caller asked to stop.
    bool Call(std::uint8_t action, std::int32_t arg1, std::int32_t arg2, const std::wstring& text,
              UnzCallbackRecord* out = nullptr);
    bool Message(std::int32_t code, const std::wstring& text) { return Call(actMessage, code, 0, text); }
    bool Skip(std::int32_t reason, const std::wstring& name) { return Call(actSkipped, reason, 0, name); }
    bool ReadArchive();
    bool Wanted(const Entry& e) const;
    // Where an entry goes, or empty when its name could escape the base folder.
    std::wstring TargetFor(const Entry& e) const;
    // Returns false when the caller asked to stop.
    bool ExtractOne(const Entry& e);
    bool ShouldWrite(const Entry& e, const std::wstring& target);
    bool Inflate(const Entry& e, std::uint64_t dataStart, HANDLE out, bool& crcOk);
    bool CrcError(const Entry& e);

    UnzParams& p_;
    std::vector<unsigned char> archive_;
    std::vector<Entry> entries_;
    std::wstring base_;
    std::vector<std::wstring> specs_;
    std::int32_t handled_ = 0;
    bool stopped_ = false;
};

bool Session::Call(std::uint8_t action, std::int32_t arg1, std::int32_t arg2, const std::wstring& text,
                   UnzCallbackRecord* out) {
    if (!p_.Callback || stopped_) {
        return !stopped_;
    }
    UnzCallbackRecord record{};
    record.Caller = p_.Caller;
    record.Version = UNZDLL_VERSION;
    record.ActionCode = action;
    record.Arg1 = arg1;
    record.Arg2 = arg2;
    const std::string narrow = win::ToAnsi(text);
    std::strncpy(record.Text, narrow.c_str(), sizeof record.Text - 1);
    const std::int32_t answer = p_.Callback(&record);
    if (out) {
        *out = record;
    }
    if (answer == -1) {
        stopped_ = true;
    }
    return !stopped_;
}

bool Session::ReadArchive() {
    const std::wstring name = Widen(p_.ZipFileName, CP_ACP);
    win::UniqueHandle file(
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        Message(kErrArchive, L"Cannot open archive " + name);
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file.get(), &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        archive_.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = archive_.empty() ||
             (ReadFile(file.get(), archive_.data(), static_cast<DWORD>(archive_.size()), &got, nullptr) &&
              got == archive_.size());
    }
    file.reset(); // the archive is read whole; the callbacks that follow may touch the file
    if (!ok) {
        Message(kErrArchive, L"Cannot read archive " + name);
        return false;
    }
    const std::size_t total = archive_.size();
    const unsigned char* a = archive_.data();
    if (total < kEndSize) {
        Message(kErrArchive, L"Not a zip archive: " + name);
        return false;
    }
    // The end record: the last signature whose record fits the file (it may be followed by a comment).
    std::size_t end = total - kEndSize + 1;
    const std::size_t lowest = total > kEndSize + 65535 ? total - kEndSize - 65535 : 0;
    bool found = false;
    while (end-- > lowest) {
        if (Get32(a + end) == kEndSignature) {
            found = true;
            break;
        }
    }
    if (!found) {
        Message(kErrArchive, L"Not a zip archive: " + name);
        return false;
    }
    const std::uint32_t count = Get16(a + end + 10);
    const std::uint64_t dirSize = Get32(a + end + 12);
    const std::uint64_t dirOffset = Get32(a + end + 16);
    if (dirSize > end) {
        Message(kErrArchive, L"Damaged central directory: " + name);
        return false;
    }
    const std::uint64_t dirStart = end - dirSize;
    // Data in front of the archive moves every stored offset by the same amount.
    const std::int64_t shift = static_cast<std::int64_t>(dirStart) - static_cast<std::int64_t>(dirOffset);
    std::uint64_t pos = dirStart;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (pos + kCentralSize > end || Get32(a + pos) != kCentralSignature) {
            Message(kErrArchive, L"Damaged central directory: " + name);
            return false;
        }
        const unsigned char* h = a + pos;
        Entry e;
        const std::uint16_t madeBy = Get16(h + 4);
        e.flags = Get16(h + 8);
        e.method = Get16(h + 10);
        e.time = Get16(h + 12);
        e.date = Get16(h + 14);
        e.crc = Get32(h + 16);
        e.packedSize = Get32(h + 20);
        e.size = Get32(h + 24);
        const std::uint64_t nameLen = Get16(h + 28), extraLen = Get16(h + 30), commentLen = Get16(h + 32);
        const std::int64_t local = static_cast<std::int64_t>(Get32(h + 42)) + shift;
        if (pos + kCentralSize + nameLen + extraLen + commentLen > end || local < 0) {
            Message(kErrArchive, L"Damaged central directory: " + name);
            return false;
        }
        e.localOffset = static_cast<std::uint64_t>(local);
        e.name = Widen(reinterpret_cast<const char*>(h + kCentralSize), StoredNameIsOem(madeBy) ? CP_OEMCP : CP_ACP,
                       static_cast<int>(nameLen));
        std::replace(e.name.begin(), e.name.end(), L'/', L'\\');
        pos += kCentralSize + nameLen + extraLen + commentLen;
        if (!e.name.empty() && e.name.back() != L'\\') {
            entries_.push_back(std::move(e));
        }
    }
    return true;
}

bool Session::Wanted(const Entry& e) const {
    if (specs_.empty()) {
        return true;
    }
    for (const auto& pattern : specs_) {
        if (MatchWild(pattern.c_str(), e.name.c_str()) ||
            (pattern.find(L'\\') == std::wstring::npos && MatchWild(pattern.c_str(), FilePart(e.name).c_str()))) {
            return true;
        }
    }
    return false;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[4096];
    const DWORD n = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring Session::TargetFor(const Entry& e) const {
    // Judged on the whole stored name even when only its file part is used: such a name has no honest purpose.
    if (!NameIsSafe(e.name)) {
        return {};
    }
    const std::wstring relative = p_.DirNames ? e.name : FilePart(e.name);
    const std::wstring full = FullPath(base_ + relative);
    // The last word: the system's own idea of the path must still lie below the base folder.
    if (full.size() <= base_.size() || CompareStringOrdinal(full.c_str(), static_cast<int>(base_.size()), base_.c_str(),
                                                            static_cast<int>(base_.size()), TRUE) != CSTR_EQUAL) {
        return {};
    }
    return full;
}

FILETIME EntryTime(const Entry& e) {
    FILETIME local{}, utc{};
    DosDateTimeToFileTime(e.date, e.time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool Session::ShouldWrite(const Entry& e, const std::wstring& target) {
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &existing)) {
        return !p_.Freshen || p_.Update; // freshen only replaces files that are there
    }
    if (p_.Overwrite) {
        return true;
    }
    const FILETIME stamp = EntryTime(e);
    const bool older = CompareFileTime(&existing.ftLastWriteTime, &stamp) < 0;
    if (p_.Update || p_.Freshen) {
        return older;
    }
    UnzCallbackRecord answer{};
    if (!Call(actOverwrite, older ? 1 : 0, 0, e.name, &answer)) {
        return false;
    }
    return answer.Arg2 != 0;
}

// An open file as the data loop's sink.
class FileSink : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(const void* data, std::size_t count) override {
        DWORD written = 0;
        return WriteFile(file_, data, static_cast<DWORD>(count), &written, nullptr) && written == count;
    }

private:
    HANDLE file_;
};

bool Session::Inflate(const Entry& e, std::uint64_t dataStart, HANDLE out, bool& crcOk) {
    MemoryByteSource source(archive_.data(), archive_.size());
    FileSink sink(out);
    UnzipEntryData data;
    data.Method = e.method;
    data.PackedSize = e.packedSize;
    data.Size = e.size;
    data.Crc = e.crc;
    const auto progress = [&](std::uint64_t written) {
        return Call(actProgress, 0, static_cast<std::int32_t>(written), e.name);
    };
    return InflateEntry(data, source, static_cast<std::int64_t>(dataStart), out ? &sink : nullptr, progress, crcOk);
}

bool CreateFolders(const std::wstring& base, const std::wstring& file) {
    for (std::size_t at = file.find(L'\\', base.size()); at != std::wstring::npos; at = file.find(L'\\', at + 1)) {
        const std::wstring folder = file.substr(0, at);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return true;
}

bool Session::CrcError(const Entry& e) {
    // Told as a message like every other damaged entry, then asked as a CRC error; the file is not written.
    return Message(kErrCrc, L"CRC error, the entry is not written: " + e.name) && Call(actCrcError, kErrCrc, 0, e.name);
}

bool Session::ExtractOne(const Entry& e) {
    if (!Call(actNewFile, 0, static_cast<std::int32_t>(e.size), e.name)) {
        return false;
    }
    const std::wstring target = TargetFor(e);
    if (target.empty()) {
        return Message(kErrUnsafeName, L"Refused name outside the extract folder: " + e.name) &&
               Skip(kErrUnsafeName, e.name);
    }
    if (e.flags & 1) {
        return Message(kErrEncrypted, L"Encrypted entries are not supported: " + e.name) && Skip(kErrEncrypted, e.name);
    }
    if (e.method != 0 && e.method != 8) {
        return Message(kErrMethod, L"Unsupported compression method: " + e.name) && Skip(kErrMethod, e.name);
    }
    const std::uint64_t local = e.localOffset;
    if (local + kLocalSize > archive_.size() || Get32(&archive_[local]) != kLocalSignature) {
        return Message(kErrArchive, L"A local header is damaged: " + e.name) && Skip(kErrArchive, e.name);
    }
    const std::uint64_t dataStart = local + kLocalSize + Get16(&archive_[local + 26]) + Get16(&archive_[local + 28]);
    if (dataStart + e.packedSize > archive_.size()) {
        return Message(kErrArchive, L"The data of an entry runs past the end of the archive: " + e.name) &&
               Skip(kErrArchive, e.name);
    }
    // A stored entry is written as it lies: its two sizes must agree, or it would write more than it claims.
    if (e.method == 0 && e.packedSize != e.size) {
        return Message(kErrArchive, L"The sizes of an entry do not agree: " + e.name) && Skip(kErrArchive, e.name);
    }
    bool crcOk = false;
    if (p_.Test) {
        if (!Inflate(e, dataStart, nullptr, crcOk) && stopped_) {
            return false;
        }
        if (!crcOk) {
            return CrcError(e);
        }
        ++handled_;
        return true;
    }
    if (!ShouldWrite(e, target)) {
        return !stopped_ && Skip(0, e.name);
    }
    // Written beside the target first, so a damaged entry never replaces a good file.
    const std::wstring partial = target + L".unz~";
    if (!CreateFolders(base_, target)) {
        return Message(kErrWrite, L"Cannot create the folder for " + e.name) && Skip(kErrWrite, e.name);
    }
    win::UniqueHandle out(
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        return Message(kErrWrite, L"Cannot create " + target) && Skip(kErrWrite, e.name);
    }
    const bool ok = Inflate(e, dataStart, out.get(), crcOk);
    const FILETIME stamp = EntryTime(e);
    SetFileTime(out.get(), nullptr, nullptr, &stamp);
    out.reset(); // closed before the partial file is renamed or deleted
    if (!ok || !crcOk) {
        DeleteFileW(partial.c_str());
        if (stopped_) {
            return false;
        }
        return ok ? CrcError(e)
                  : Message(kErrArchive, L"The data of an entry is damaged: " + e.name) && Skip(kErrArchive, e.name);
    }
    if (!MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(partial.c_str());
        return Message(kErrWrite, L"Cannot write " + target) && Skip(kErrWrite, e.name);
    }
    ++handled_;
    return true;
}

std::int32_t Session::Run() {
    base_ = p_.ExtrBaseDir && *p_.ExtrBaseDir ? FullPath(Widen(p_.ExtrBaseDir, CP_ACP)) : FullPath(L".");
    if (base_.empty()) {
        return -2;
    }
    if (base_.back() != L'\\') {
        base_ += L'\\';
    }
    for (std::int32_t i = 0; p_.Specs && i < p_.SpecCount; ++i) {
        if (p_.Specs[i].FileSpec) {
            std::wstring pattern = Widen(p_.Specs[i].FileSpec, CP_ACP);
            std::replace(pattern.begin(), pattern.end(), L'/', L'\\');
            specs_.push_back(pattern);
        }
    }
    if (ReadArchive()) {
        std::vector<const Entry*> chosen;
        std::uint64_t totalSize = 0;
        for (const auto& e : entries_) {
            if (Wanted(e)) {
                chosen.push_back(&e);
                totalSize += e.size;
            }
        }
        // No entry writes more than its size claims, so the claims bound the whole output before it starts.
        if (totalSize > kMaxTotalOutput) {
            Message(kErrTooLarge, L"The archive would write " + std::to_wstring(totalSize) +
                                      L" bytes, more than the limit of " + std::to_wstring(kMaxTotalOutput) +
                                      L": nothing is extracted");
        } else if (Call(actTotalFiles, 0, static_cast<std::int32_t>(chosen.size()), L"") &&
                   Call(actTotalSize, 0, static_cast<std::int32_t>(std::min<std::uint64_t>(totalSize, 0x7FFFFFFF)),
                        L"")) {
            for (const Entry* e : chosen) {
                if (!ExtractOne(*e)) {
                    break;
                }
            }
        }
    }
    stopped_ = false; // the end of the batch is always told
    Call(actEndOfBatch, 0, 0, L"");
    return handled_;
}

} // namespace

extern "C" {

__declspec(dllexport) std::int32_t UNZ_STDCALL GetUnzDllVersion() {
    return UNZDLL_VERSION;
}

__declspec(dllexport) std::int32_t UNZ_STDCALL GetUnzDllPrivVersion() {
    return UNZDLL_VERSION * 10000;
}

__declspec(dllexport) std::int32_t UNZ_STDCALL UnzDllExec(UnzParams* params) {
    if (!params || params->Check != kRecordCheck || !params->ZipFileName || !*params->ZipFileName) {
        return -1;
    }
    try {
        Session session(*params);
        return session.Run();
    } catch (...) {
        win::TraceCaught(L"UnzDllExec");
        return -3; // out of memory: nothing may unwind into the caller
    }
}
}
