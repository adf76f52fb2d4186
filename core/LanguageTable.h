#pragma once
// The texts of a language file (lang/*.plf) as the program looks them up: "[Section]" lines opening sections and
// "KEY=text" lines in them. The bytes are Windows-1252, or UTF-8 or UTF-16LE behind their byte-order mark, the
// forms the settings files' format knows. Wide text is UTF-16, one code unit per wchar_t on every platform.
//
// The rules are those of that format: lines end at CR or LF; blanks (space, tab, vertical tab, form feed, Ctrl-Z)
// around a line and around "=" do not count; a text in a pair of double or single quotes loses them, so it can
// begin or end with a blank. Section and key names match without regard to case (ASCII and Latin-1 letters); the
// first section of a name holds its keys (a later one of the same name is never looked at) and the first line of
// a key in it wins. A line that is neither a section nor a key with a name is skipped.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LanguageTable {
public:
    // Any bytes make a table.
    static LanguageTable Parse(std::string_view bytes);

    // The text of the key in the section; nullopt when the file does not hold it.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;

    struct Entry {
        std::wstring Key;
        std::wstring Text;
    };
    struct Section {
        std::wstring Name;
        std::vector<Entry> Entries;
    };
    // Every section and key line in file order (keys before the first section belong to a section without a name).
    const std::vector<Section>& Sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};
