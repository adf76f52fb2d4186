#pragma once
// The dialogs' rules without windows: recording stand-ins for the main window and the encryption dialog's host, an
// environment that gives the German language file's texts, and the two models wired as the program wires them.
#include "core/EncryptRules.h"
#include "core/LanguageTexts.h"
#include "core/SettingsRules.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace rulestest {

// The German texts, as the program shows them, read once from the source tree (the Windows test run names it in
// the environment; the build machine's run was told it when built).
inline const LanguageTexts& GermanTexts() {
    static const LanguageTexts texts = [] {
        const char* fromEnvironment = std::getenv("OSTREL_SOURCE_DIR");
        const std::filesystem::path source = fromEnvironment ? fromEnvironment : OSTREL_TEST_SOURCE_DIR;
        std::ifstream file(source / "lang" / "Deutsch.plf", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        LanguageTexts loaded;
        loaded.Load(bytes);
        return loaded;
    }();
    return texts;
}

class GermanEnvironment : public IDialogEnvironment {
public:
    explicit GermanEnvironment(bool pdftk) : pdftk_(pdftk) {}
    std::wstring Text(std::wstring_view key) const override { return GermanTexts().Get(key); }
    bool PdftkPresent() const override { return pdftk_; }

private:
    bool pdftk_;
};

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

struct RulesRig {
    explicit RulesRig(bool withPdftk = true) : environment(withPdftk) { encrypt.SetHost(&host); }

    DialogSettings values;
    SecuritySettings record;
    EncryptDialogState state;
    bool keepSecurity = false;
    FakeMainWindow main;
    FakeEncryptHost host;
    GermanEnvironment environment;
    SettingsRules settings{values, main, environment};
    EncryptDialogModel encrypt{record, state, settings, keepSecurity};
};

} // namespace rulestest
