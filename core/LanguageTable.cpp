#include "core/LanguageTable.h"

#include "core/LittleEndian.h"
#include "core/TextEncoding.h"

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

wchar_t Folded(wchar_t c) {
    const bool latin1Capital = c >= 0xC0 && c <= 0xDE && c != 0xD7;
    return (c >= L'A' && c <= L'Z') || latin1Capital ? static_cast<wchar_t>(c + 0x20) : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

std::wstring WideFromUtf16Le(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        text.push_back(static_cast<wchar_t>(Get16(reinterpret_cast<const unsigned char*>(bytes.data() + at))));
    }
    return text;
}

std::wstring TextOf(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return WideFromUtf8(bytes.substr(3));
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return WideFromUtf16Le(bytes.substr(2));
    }
    return WideFromWindows1252(bytes);
}

std::wstring_view Unquoted(std::wstring_view text) {
    if (text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

} // namespace

LanguageTable LanguageTable::Parse(std::string_view bytes) {
    const std::wstring text = TextOf(bytes);
    LanguageTable table;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        const std::wstring_view line = Trimmed(std::wstring_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty()) {
            continue;
        }
        const std::size_t close = line.rfind(L']');
        if (line.front() == L'[' && close != std::wstring_view::npos) {
            table.sections_.push_back({std::wstring(line.substr(1, close - 1)), {}});
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) {
            continue;
        }
        const std::wstring_view key = Trimmed(line.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        if (table.sections_.empty()) {
            table.sections_.push_back({});
        }
        table.sections_.back().Entries.push_back(
            {std::wstring(key), std::wstring(Unquoted(Trimmed(line.substr(equals + 1))))});
    }
    return table;
}

std::optional<std::wstring> LanguageTable::Find(std::wstring_view section, std::wstring_view key) const {
    for (const Section& s : sections_) {
        if (!SameName(s.Name, section)) {
            continue;
        }
        for (const Entry& entry : s.Entries) {
            if (SameName(entry.Key, key)) {
                return entry.Text;
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}
