#pragma once
// The settings dialog's model as the program runs it: the rules of core/SettingsRules.h with the program's language
// texts, the pdftk file in the program folder, and the settings file the dialog reads at creation and writes at
// destruction.
#include "core/SettingsRules.h"

#include <filesystem>
#include <string>

// The texts and the pdftk check from the program's own files. A base of SettingsDialogModel so that it is whole
// before the rules, which keep a reference to it, are made.
class ProgramDialogEnvironment : public IDialogEnvironment {
public:
    explicit ProgramDialogEnvironment(std::filesystem::path programFolder);
    std::wstring Text(std::wstring_view key) const override;
    // "pdftk.exe" in the program folder, looked up each time.
    bool PdftkPresent() const override;

    const std::filesystem::path& ProgramFolder() const { return programFolder_; }

private:
    std::filesystem::path programFolder_;
};

class SettingsDialogModel : private ProgramDialogEnvironment, public SettingsRules {
public:
    SettingsDialogModel(DialogSettings& values, ISettingsMainWindow& main, std::filesystem::path programFolder);

    using ProgramDialogEnvironment::ProgramFolder;
    using SettingsRules::PdftkPresent;

    // Creation: the dialog start burst from iniPath, then the rules' creation steps.
    void FormCreate(const std::wstring& iniPath);
    // Destruction: the dialog exit burst (only when the file does not exist). Returns whether it wrote.
    bool FormDestroy(const std::wstring& iniPath) const;
};

// The program folder with one trailing backslash + "Kurzanleitung.pdf".
std::wstring ManualPath(const std::filesystem::path& programFolder);
