#include "app/main/DocInfoFile.h"

#include "win/AnsiText.h"
#include "win/Handles.h"

#include <windows.h>

#include <algorithm>
#include <functional>

namespace docinfo {
namespace {

using win::UniqueHandle;

win::UniqueHandle OpenHandle(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return win::UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

[[noreturn]] void Fail(const std::wstring& path, const char* what, DWORD code = GetLastError()) {
    throw DocInfoFileError(path, code, what);
}

void WriteAllTo(HANDLE file, const std::wstring& path, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            Fail(path, "cannot write the file");
        }
        done += written;
    }
}

std::string ReadAll(HANDLE file, const std::wstring& path) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        Fail(path, "cannot read the file");
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) {
            Fail(path, "cannot read the file");
        }
        if (got == 0) {
            bytes.resize(done); // shrank while being read
            break;
        }
        done += got;
    }
    return bytes;
}

std::wstring FolderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    return path.substr(0, slash + 1);
}

// Removes the temporary file unless the replace took it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) {
            DeleteFileW(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::wstring path_;
};

void WriteAll(const std::wstring& path, const std::string& bytes) {
    win::UniqueHandle file = OpenHandle(path, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    if (!file) {
        Fail(path, "cannot open the temporary file");
    }
    WriteAllTo(file.get(), path, bytes);
    if (!FlushFileBuffers(file.get())) {
        Fail(path, "cannot write the temporary file");
    }
}

} // namespace

PsLines LoadPsFile(const std::wstring& path) {
    win::UniqueHandle file = OpenHandle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) {
        Fail(path, "cannot open the file for reading");
    }
    return SplitLines(ReadAll(file.get(), path));
}

void SavePsFile(const std::wstring& path, const PsLines& lines) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Fail(path, "cannot find the file");
    }
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(path, "the file is read-only", ERROR_ACCESS_DENIED);
    }
    wchar_t tempName[MAX_PATH + 16] = {};
    if (GetTempFileNameW(FolderOf(path).c_str(), L"~di", 0, tempName) == 0) {
        Fail(path, "cannot create a temporary file beside the file");
    }
    TemporaryFile temp(tempName);
    WriteAll(temp.Path(), JoinLines(lines));
    if (!MoveFileExW(temp.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(path, "cannot replace the file");
    }
    temp.Release();
    SetFileAttributesW(path.c_str(), attributes);
}

void ReadDocumentFile(const std::wstring& path, DocumentFields& fields) {
    ReadFields(LoadPsFile(path), fields);
}

bool WriteDocumentFile(const std::wstring& path, const DocumentFields& fields) {
    PsLines lines = LoadPsFile(path);
    if (!WriteFields(lines, fields)) {
        return false;
    }
    SavePsFile(path, lines);
    return true;
}

std::wstring FieldToWide(std::string_view bytes) {
    return win::FromAnsi(bytes);
}

std::string FieldFromWide(std::wstring_view text) {
    return win::ToAnsi(text);
}

} // namespace docinfo

namespace {

// Runs the line changes on the file through one handle opened without sharing and writes the result in place.
bool RewriteInPlace(const std::wstring& path, const std::function<bool(docinfo::PsLines&)>& change) {
    using docinfo::Fail;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        Fail(path, "the file is read-only", ERROR_ACCESS_DENIED);
    }
    win::UniqueHandle file = docinfo::OpenHandle(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    if (!file) {
        Fail(path, "cannot open the file without sharing");
    }
    const std::string before = docinfo::ReadAll(file.get(), path);
    if (!docinfo::IsPostScriptText(before)) {
        return false;
    }
    docinfo::PsLines lines = docinfo::SplitLines(before);
    if (!change(lines)) {
        return false;
    }
    const std::string after = docinfo::JoinLines(lines);
    const auto firstChange = std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    const std::size_t from = static_cast<std::size_t>(firstChange.second - after.begin());
    LARGE_INTEGER offset{};
    offset.QuadPart = static_cast<LONGLONG>(from);
    if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
        Fail(path, "cannot write the file");
    }
    docinfo::WriteAllTo(file.get(), path, std::string_view(after).substr(from));
    if (!SetEndOfFile(file.get()) || !FlushFileBuffers(file.get())) {
        Fail(path, "cannot write the file");
    }
    return true;
}

// What a reload between the two steps would see: an inserted block splits into its lines.
docinfo::PsLines Reloaded(const docinfo::PsLines& lines) {
    return docinfo::SplitLines(docinfo::JoinLines(lines));
}

} // namespace

bool AddDocInfoPdfmark(const std::wstring& path) {
    return RewriteInPlace(path, [](docinfo::PsLines& lines) { return docinfo::AddDocInfoPdfmark(lines); });
}

bool AddProducerLine(const std::wstring& path) {
    return RewriteInPlace(path, [](docinfo::PsLines& lines) { return docinfo::AddProducerLine(lines); });
}

bool PatchDocumentInformation(const std::wstring& path) {
    return RewriteInPlace(path, [](docinfo::PsLines& lines) {
        bool changed = docinfo::AddDocInfoPdfmark(lines);
        if (changed) {
            lines = Reloaded(lines);
        }
        changed = docinfo::AddProducerLine(lines) || changed;
        return changed;
    });
}
