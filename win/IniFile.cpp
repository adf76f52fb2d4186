#include "win/IniFile.h"

#include "win/Handles.h"
#include "win/IniValues.h"
#include "core/TextEncoding.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>
#include <windows.h>

namespace {

// White space as the profile functions trim it: the ASCII blanks and line ends, and Ctrl+Z (old editors end text
// files with it); a no-break space is text.
bool IsProfileSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a;
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsProfileSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Names match regardless of the case of ASCII letters only: "LÖSCHEN" is not "Löschen" to the profile functions.
bool SameName(std::wstring_view a, std::wstring_view b) {
    auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

} // namespace

// A whole settings file, parsed the way the profile functions parse it: the first section of a name and the first
// key of a name in it count; a line without "=" is a key without a value, which reads as missing.
class IniFileContents {
public:
    explicit IniFileContents(std::wstring_view text) {
        sections_.push_back({}); // keys before the first header belong to a section without a name
        while (!text.empty()) {
            size_t end = text.find_first_of(L"\r\n");
            std::wstring_view line = Trimmed(text.substr(0, end));
            text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
            if (line.empty())
                continue;
            if (line.front() == L'[') {
                const size_t close = line.rfind(L']');
                if (close != std::wstring_view::npos && close > 0) {
                    sections_.push_back({std::wstring(Trimmed(line.substr(1, close - 1))), {}});
                    continue;
                }
            }
            const size_t equals = line.find(L'=');
            Key key{std::wstring(Trimmed(line.substr(0, equals))), std::nullopt};
            if (equals != std::wstring_view::npos)
                key.value = std::wstring(Trimmed(line.substr(equals + 1)));
            sections_.back().keys.push_back(std::move(key));
        }
    }

    std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const {
        section = Trimmed(section);
        key = Trimmed(key);
        if (key.empty())
            return std::nullopt;
        for (const Section& s : sections_) {
            if (!SameName(s.name, section))
                continue;
            for (const Key& k : s.keys)
                if (SameName(k.name, key))
                    return k.value ? std::optional<std::wstring>(Unquoted(*k.value)) : std::nullopt;
            return std::nullopt;
        }
        return std::nullopt;
    }

private:
    // A value in matching single or double quotes is read without them.
    static std::wstring Unquoted(const std::wstring& value) {
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
            return value.substr(1, value.size() - 2);
        return value;
    }

    struct Key {
        std::wstring name;
        std::optional<std::wstring> value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
    };
    std::vector<Section> sections_;
};

namespace {

std::wstring Decode(const std::string& bytes) {
    auto widen = [](UINT codePage, std::string_view text) {
        std::wstring out(text.size(), L'\0');
        const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                          static_cast<int>(out.size()));
        out.resize(static_cast<size_t>(std::max(n, 0)));
        return out;
    };
    const std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        return widen(CP_UTF8, text.substr(3));
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        const bool bigEndian = text[0] == '\xFE';
        std::wstring out;
        for (size_t i = 2; i + 1 < text.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(text[bigEndian ? i + 1 : i]);
            const auto hi = static_cast<unsigned char>(text[bigEndian ? i : i + 1]);
            out += static_cast<wchar_t>(lo | (hi << 8));
        }
        return out;
    }
    return widen(CP_ACP, text);
}

// What tells one state of a file from another without opening it.
struct Stamp {
    bool exists = false;
    FILETIME written{};
    ULONGLONG size = 0;

    bool operator==(const Stamp& other) const {
        return exists == other.exists && CompareFileTime(&written, &other.written) == 0 && size == other.size;
    }
};

Stamp StampOf(const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return {true, data.ftLastWriteTime, (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

std::optional<std::string> ReadWholeFile(const std::wstring& file) {
    const win::UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

// One state of a file as a burst takes it. A file that is there but cannot be opened reads as empty and is not
// settled: the burst asks again at its next read.
struct IniReading {
    std::shared_ptr<const IniFileContents> contents;
    bool settled = false;
};

// Settings files are read many hundred keys at a time (the start alone reads several hundred): each file is read
// and parsed once, and handed to every burst for as long as the file on disk is unchanged. Writes go to the file
// through the profile functions, drop the copy and are counted, so that bursts already running read again.
class IniCache {
public:
    static IniCache& Instance() {
        static IniCache cache;
        return cache;
    }

    IniReading Contents(const std::wstring& file) {
        const Stamp stamp = StampOf(file);
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = files_.find(file);
        if (found != files_.end() && found->second.stamp == stamp)
            return {found->second.contents, true};
        std::optional<std::string> bytes = stamp.exists ? ReadWholeFile(file) : std::nullopt;
        auto contents = std::make_shared<const IniFileContents>(bytes ? Decode(*bytes) : std::wstring());
        const bool settled = bytes || !stamp.exists;
        if (settled)
            files_[file] = Entry{stamp, contents};
        else
            files_.erase(file);
        return {contents, settled};
    }

    void Forget(const std::wstring& file) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase(file);
        writes_.fetch_add(1);
    }

    // The process's writes so far, to any settings file.
    unsigned long long Writes() const { return writes_.load(); }

private:
    struct Entry {
        Stamp stamp;
        std::shared_ptr<const IniFileContents> contents;
    };
    std::mutex mutex_;
    std::map<std::wstring, Entry> files_;
    std::atomic<unsigned long long> writes_{0};
};

// A bare file name means a file in the Windows folder, as the profile functions that write it take it.
std::wstring ProfilePath(const std::wstring& file) {
    if (file.find_first_of(L"\\/") != std::wstring::npos)
        return file;
    wchar_t folder[MAX_PATH]{};
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(folder, n) + L"\\" + file : file;
}

} // namespace

EIniFileException::EIniFileException(std::wstring message)
    : std::runtime_error(Utf8FromWide(message)), message_(std::move(message)) {}

TIniFile::TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

std::shared_ptr<const IniFileContents> TIniFile::Contents() const {
    IniCache& cache = IniCache::Instance();
    // Counted before the reading: a write that overtakes it makes the next read look again.
    const unsigned long long writes = cache.Writes();
    if (contents_ && writes == writesSeen_)
        return contents_;
    IniReading reading = cache.Contents(ProfilePath(fileName_));
    writesSeen_ = writes;
    contents_ = reading.settled ? reading.contents : nullptr;
    return reading.contents;
}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    std::optional<std::wstring> value = Contents()->Value(section, key);
    return value ? *value : def;
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int def) const {
    std::optional<std::wstring> value = Contents()->Value(section, key);
    return value ? ParseIniInteger(*value, def) : def;
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    std::wstring s = StripLineBreaks(section), k = StripLineBreaks(key), v = StripLineBreaks(value);
    const BOOL written = WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), fileName_.c_str());
    IniCache::Instance().Forget(ProfilePath(fileName_));
    if (!written)
        throw EIniFileException(L"In " + fileName_ + L" kann nicht geschrieben werden");
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}
