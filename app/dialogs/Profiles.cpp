#include "app/dialogs/Profiles.h"

#include "app/main/LanguageTexts.h"
#include "app/main/SettingsFile.h"
#include "win/IniFile.h"

ProfileCommands::ProfileCommands(SettingsDialogModel& settings, EncryptDialogModel& encrypt, IProfileUi& ui,
                                 std::wstring iniPath)
    : settings_(settings), encrypt_(encrypt), ui_(ui), iniPath_(std::move(iniPath)) {}

std::wstring ProfileCommands::ProfileFolder() const {
    std::wstring folder = settings_.ProgramFolder().wstring();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

template <class F> bool ProfileCommands::Write(F&& write) {
    try {
        write();
        return true;
    } catch (const EIniFileException& e) {
        ui_.ShowMessage(e.Message());
        return false;
    }
}

void ProfileCommands::StartspClick() {
    switch (ui_.AskSaveStartSettings(Texts().Get(L"StSp1"), Texts().Get(L"StSp2"))) {
    case YesNoCancel::Yes:
        // A refused write keeps the dialog open, so the user still sees what was not saved.
        if (Write([&] { SaveStartSettings(iniPath_, settings_.Values()); }))
            ui_.CloseSettingsDialog();
        break;
    case YesNoCancel::No:
        ui_.CloseSettingsDialog();
        break;
    case YesNoCancel::Cancel:
        break;
    }
}

void ProfileCommands::OriginalladenClick() {
    DialogSettings loaded = settings_.Values();
    LoadStartSettings(iniPath_, loaded, settings_.Main().LastGhostscriptProgram());
    // Without a stored path the conversion would have no program to run; the start of the dialog does the same.
    if (loaded.GhostscriptProgram.empty())
        loaded.GhostscriptProgram = kDefaultGhostscriptProgram;
    settings_.Assign(loaded, DialogKeySet::Without23);
    encrypt_.SetChecked(EncryptCheckBox::BerechtigungCB, false);
}

void ProfileCommands::ProfladenClick() {
    const auto file = ui_.ChooseProfileToLoad(ProfileFolder());
    if (!file)
        return;
    EncryptDialogState& state = encrypt_.State();
    state.ProfileEncryptPending = true;
    state.ProfileLoadedFlag = true;

    DialogSettings loaded = settings_.Values();
    SecuritySettings security = encrypt_.Record();
    if (!LoadProfile(*file, loaded, security, settings_.Main().LastGhostscriptProgram())) {
        ui_.ShowMessage(Texts().Get(L"NOPROFILE"));
        return;
    }
    settings_.Assign(loaded, DialogKeySet::Without23);
    encrypt_.LoadRecord(security);
    if (security.OwnerPasswordOn) {
        ui_.ShowSecurityDialog();
        settings_.SetOutputType(state.FormatAtEncryptClose);
    }
}

void ProfileCommands::ProfspeichernClick() {
    const auto file = ui_.ChooseProfileToSave(ProfileFolder());
    if (!file)
        return;
    Write([&] { SaveProfile(*file, settings_.Values(), encrypt_.ControlsAsRecord()); });
}
