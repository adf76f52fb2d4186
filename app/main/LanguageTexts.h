#pragma once
// The language file of the conversion program: which one is read at start, and the program-wide texts read from it.
#include "core/LanguageTexts.h"

#include <filesystem>

// Result of the language choice at start.
struct LanguageSelection {
    std::filesystem::path File; // the language file to read; empty when NoLanguageFile
    bool NoLanguageFile = false;
    bool DeutschChecked = true; // check marks of the menu items `Deutsch` and `English` (radio items)
    bool EnglishChecked = false;
    bool DeutschVisible = false; // an item is shown only when its file exists
    bool EnglishVisible = false;
};

// The language choice rule. `languageChoice` is [Sprache] Auswahl, compared case-sensitively with "Deutsch" and
// "English" (anything else keeps German); a missing file falls back to the other one.
LanguageSelection ChooseLanguage(std::wstring_view languageChoice, const std::filesystem::path& programFolder);

// Reads the file's texts into `texts` (LanguageTexts::Load). A file that cannot be read counts as empty; an empty
// path (no language file) leaves every text as it is.
void LoadLanguageFile(LanguageTexts& texts, const std::filesystem::path& languageFile);

// The program-wide texts, filled once while the main window is created.
LanguageTexts& Texts();
