#pragma once
// The settings dialog's menu commands that move its values between the model and files: start settings in
// Ostrel.ini and profiles (*.ppf). The question, the file dialogs and the boxes are reached through IProfileUi so
// that the flows run without windows.
#include "core/EncryptRules.h"
#include "app/dialogs/SettingsDialogRules.h"

#include <optional>
#include <string>

enum class YesNoCancel { Yes, No, Cancel };

class IProfileUi {
public:
    virtual ~IProfileUi() = default;
    // The StSp1/StSp2 question: Yes/No/Cancel, No as default button, no icon.
    virtual YesNoCancel AskSaveStartSettings(const std::wstring& text, const std::wstring& caption) = 0;
    // OpenDialog2 / SaveDialog1, starting in initialDir; nullopt when cancelled.
    virtual std::optional<std::wstring> ChooseProfileToLoad(const std::wstring& initialDir) = 0;
    virtual std::optional<std::wstring> ChooseProfileToSave(const std::wstring& initialDir) = 0;
    // A plain box with an OK button (NOPROFILE, or a file that could not be written).
    virtual void ShowMessage(const std::wstring& text) = 0;
    // The security dialog, centred on the desktop, modal.
    virtual void ShowSecurityDialog() = 0;
    // Closes the settings dialog.
    virtual void CloseSettingsDialog() = 0;
};

class ProfileCommands {
public:
    // iniPath is Ostrel.ini beside the program; profiles start in the model's program folder.
    ProfileCommands(SettingsDialogModel& settings, EncryptDialogModel& encrypt, IProfileUi& ui, std::wstring iniPath);

    void StartspClick();
    void OriginalladenClick();
    void ProfladenClick();
    void ProfspeichernClick();

    // The filter and extension both profile dialogs use.
    static const wchar_t* Filter() { return L"Ostrel-Profile (*.ppf)|*.ppf|*.*|*.*"; }
    static const wchar_t* DefaultExt() { return L"ppf"; }
    std::wstring ProfileFolder() const;

private:
    // Runs a write; a refused write is reported with the file's message instead of escaping the menu command.
    template <class F> bool Write(F&& write);

    SettingsDialogModel& settings_;
    EncryptDialogModel& encrypt_;
    IProfileUi& ui_;
    std::wstring iniPath_;
};
