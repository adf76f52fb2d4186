#pragma once
// The user-facing texts of the conversion program. Every message, caption and hint lives in a language file
// ("Deutsch.plf" or "English.plf" beside the program); the program only knows the keys, listed here with the
// sections that hold them. The file is read in one burst; switching the language takes effect at the next start.
#include "core/LanguageTable.h"

#include <map>
#include <span>
#include <string>
#include <string_view>

// One key the burst reads, in reading order. `Section` is spelt as it is read ("HauptForm" for EIG1 and ARB1 names
// the same section as "Hauptform": section names match without regard to case).
struct LanguageKey {
    const wchar_t* Section;
    const wchar_t* Key;
    bool Direct; // goes straight into a main-window control (see LanguageDirectTexts); still kept for Get()
};

// Every key of every section, in the order the burst reads them.
std::span<const LanguageKey> LanguageKeys();

// A control of the main window whose caption and/or hint come straight from the language file.
// Caption = CaptionPrefix + text of CaptionKey (for `OpenDialog1` the caption is the dialog title);
// a null key means that part of the control is not set from the language file.
struct LanguageDirectText {
    const wchar_t* Control;
    const wchar_t* CaptionPrefix; // "" or a function-key prefix such as "F2 "
    const wchar_t* CaptionKey;
    const wchar_t* HintKey;
};

// The controls and menu items to set after the burst, in the order they are applied.
std::span<const LanguageDirectText> LanguageDirectTexts();

class LanguageTexts {
public:
    // The burst: every key of LanguageKeys() read once from the language file's bytes, with the text it holds now as
    // default, so on a fresh object a missing key leaves its text empty. MSCH defaults to the text of MSC.
    void Load(std::string_view fileBytes);

    // The text of a key (exact spelling as in LanguageKeys(), e.g. L"MESSAGE2"); empty for a missing or unknown key.
    const std::wstring& Get(std::wstring_view key) const;

    // Caption and hint of a direct-text entry (prefix included); empty when the entry has no such key.
    std::wstring CaptionOf(const LanguageDirectText& entry) const;
    std::wstring HintOf(const LanguageDirectText& entry) const;

    void Clear() { texts_.clear(); }

private:
    std::map<std::wstring, std::wstring, std::less<>> texts_;
};
