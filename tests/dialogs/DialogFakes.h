#pragma once
// Recording stand-ins for the windows around the dialog models: the main window, the encryption dialog's host
// and the profile commands' question and file dialogs.
#include "core/EncryptRules.h"
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

class FakeMainWindow : public ISettingsMainWindow {
public:
    void SetConversionCaption(const std::wstring& caption) override { Caption = caption; }
    void SetMergeEnabled(bool enabled) override { MergeEnabled = enabled; }
    void SetWatermarkIndicatorVisible(bool visible) override { WatermarkIndicator = visible; }
    void SetAutoRotateOption(const std::wstring& option) override { AutoRotateOption = option; }
    std::wstring LastGhostscriptProgram() const override { return LastGs; }
    bool TakeSecurityCheckRequest() override { return std::exchange(SecurityCheckRequest, false); }
    std::wstring ReaderProgram() const override { return Reader; }

    std::wstring Caption;
    bool MergeEnabled = true;
    bool WatermarkIndicator = false;
    std::wstring AutoRotateOption;
    std::wstring LastGs;
    bool SecurityCheckRequest = false;
    std::wstring Reader = L"acrord32.exe";
};

class FakeEncryptHost : public IEncryptDialogHost {
public:
    void FocusControl(EncryptFocus control) override { Focus.push_back(control); }
    void ShowMessage(const std::wstring& key, MessageIcon icon) override { Messages.emplace_back(key, icon); }
    void FocusMergeKeyButton() override { ++MergeKeyFocus; }

    std::vector<EncryptFocus> Focus;
    std::vector<std::pair<std::wstring, MessageIcon>> Messages;
    int MergeKeyFocus = 0;
};

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
