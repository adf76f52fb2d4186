#include "app/dialogs/SettingsDialogRules.h"

#include "app/main/LanguageTexts.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/SettingsFile.h"
#include "core/TextUtil.h"

#include <system_error>

ProgramDialogEnvironment::ProgramDialogEnvironment(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)) {}

std::wstring ProgramDialogEnvironment::Text(std::wstring_view key) const {
    return Texts().Get(key);
}

bool ProgramDialogEnvironment::PdftkPresent() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(programFolder_ / L"pdftk.exe", ec);
}

SettingsDialogModel::SettingsDialogModel(DialogSettings& values, ISettingsMainWindow& main,
                                         std::filesystem::path programFolder)
    : ProgramDialogEnvironment(std::move(programFolder)),
      SettingsRules(values, main, static_cast<const ProgramDialogEnvironment&>(*this)) {}

void SettingsDialogModel::FormCreate(const std::wstring& iniPath) {
    DialogSettings stored = Values();
    ReadDialogStart(iniPath, stored, Main().LastGhostscriptProgram());
    CreateFrom(stored);
}

bool SettingsDialogModel::FormDestroy(const std::wstring& iniPath) const {
    return WriteDialogExit(iniPath, Values());
}

std::wstring ManualPath(const std::filesystem::path& programFolder) {
    return WithTrailingBackslash(programFolder.wstring()) + L"Kurzanleitung.pdf";
}
