#pragma once
// The dialog models as the program runs them, with recording stand-ins for the windows around them (the main
// window and the encryption dialog's host are those of the core's rules tests) and the profile commands' question
// and file dialogs.
#include "../core/RulesFakes.h"
#include "app/dialogs/Profiles.h"
#include "app/dialogs/SettingsDialogRules.h"
#include "app/main/LanguageTexts.h"
#include "support/TestEnv.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dialogtest {

// The German texts, as the program shows them.
inline void LoadGermanTexts() {
    Texts().Clear();
    LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"Deutsch.plf");
}

using rulestest::FakeEncryptHost;
using rulestest::FakeMainWindow;

class FakeProfileUi : public IProfileUi {
public:
    YesNoCancel AskSaveStartSettings(const std::wstring& text, const std::wstring& caption) override {
        Questions.emplace_back(text, caption);
        return Answer;
    }
    std::optional<std::wstring> ChooseProfileToLoad(const std::wstring& initialDir) override {
        InitialDirs.push_back(initialDir);
        return LoadChoice;
    }
    std::optional<std::wstring> ChooseProfileToSave(const std::wstring& initialDir) override {
        InitialDirs.push_back(initialDir);
        return SaveChoice;
    }
    void ShowMessage(const std::wstring& text) override { Messages.push_back(text); }
    void ShowSecurityDialog() override {
        ++SecurityDialogShown;
        if (OnSecurityDialog)
            OnSecurityDialog();
    }
    void CloseSettingsDialog() override { ++Closed; }

    YesNoCancel Answer = YesNoCancel::Cancel;
    std::optional<std::wstring> LoadChoice;
    std::optional<std::wstring> SaveChoice;
    std::function<void()> OnSecurityDialog;
    std::vector<std::pair<std::wstring, std::wstring>> Questions;
    std::vector<std::wstring> InitialDirs;
    std::vector<std::wstring> Messages;
    int SecurityDialogShown = 0;
    int Closed = 0;
};

// The two models wired as the program wires them, over a program folder of their own.
struct DialogRig {
    explicit DialogRig(bool withPdftk = true) {
        if (withPdftk)
            testenv::WriteFileBytes(folder / L"pdftk.exe", "stand-in");
        encrypt.SetHost(&host);
    }
    std::wstring IniPath() const { return (folder / L"Ostrel.ini").wstring(); }

    testenv::TempDir folder{L"dlg"};
    DialogSettings values;
    SecuritySettings record;
    EncryptDialogState state;
    bool keepSecurity = false;
    FakeMainWindow main;
    FakeEncryptHost host;
    SettingsDialogModel settings{values, main, folder.path()};
    EncryptDialogModel encrypt{record, state, settings, keepSecurity};
};

} // namespace dialogtest
