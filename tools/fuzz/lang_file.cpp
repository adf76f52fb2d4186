// The language files' reader over any bytes: every entry it lists is a clean line (a name without blanks around it,
// no line break anywhere), and the lookup finds each entry it lists first under its names, in any case.
#include "core/LanguageTable.h"
#include "FuzzCheck.h"

#include <set>
#include <string>
#include <string_view>

namespace {

bool HasLineBreak(std::wstring_view text) {
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0x1A;
}

// Names compare without regard to case of ASCII and Latin-1 letters.
std::wstring Folded(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
            c = static_cast<wchar_t>(c + 0x20);
        }
    }
    return out;
}

std::wstring Upper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - 0x20);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const LanguageTable table = LanguageTable::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<std::wstring> sectionNames; // folded, so that a name's first section is known at once
    for (std::size_t s = 0; s < table.Sections().size(); ++s) {
        const LanguageTable::Section& section = table.Sections()[s];
        FUZZ_CHECK(!HasLineBreak(section.Name));
        const bool firstOfName = sectionNames.insert(Folded(section.Name)).second;
        std::set<std::wstring> keys;
        for (std::size_t e = 0; e < section.Entries.size(); ++e) {
            const LanguageTable::Entry& entry = section.Entries[e];
            FUZZ_CHECK(!entry.Key.empty() && !IsBlank(entry.Key.front()) && !IsBlank(entry.Key.back()));
            FUZZ_CHECK(entry.Key.find(L'=') == std::wstring::npos);
            FUZZ_CHECK(!HasLineBreak(entry.Key) && !HasLineBreak(entry.Text));
            const bool firstOfKey = keys.insert(Folded(entry.Key)).second;
            if (firstOfName && firstOfKey) {
                FUZZ_CHECK(table.Find(section.Name, entry.Key) == entry.Text);
                FUZZ_CHECK(table.Find(Upper(section.Name), Upper(entry.Key)) == entry.Text);
            }
        }
    }
    return 0;
}
