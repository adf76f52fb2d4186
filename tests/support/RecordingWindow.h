#pragma once
// A stand-in for the main window that the conversion pass, the post-processing and the merge command talk to: it
// records what they show and answers with the fields a test sets. Header only: just the test programs that link
// the application include it.
#include "app/main/ConversionPass.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testenv {

class RecordingWindow : public ConversionWindow {
public:
    struct Message {
        Box box;
        std::wstring text;
    };

    void ShowMessage(Box box, const std::wstring& text) override { messages.push_back({box, text}); }
    void ProcessMessages() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    void ClearMemo() override { memo.clear(); }
    void AppendMemo(const std::wstring& text) override { memo += text; }
    void ShowStatus(const std::wstring& text) override { status = text; }
    void SetProgress(int position) override { progress.push_back(position); }
    std::wstring InputPathText() const override { return inputPath; }
    std::wstring OutputPathText() const override { return outputPath; }
    void SetTimerInterval(std::uint32_t milliseconds) override { timerInterval = milliseconds; }
    void EnableTimer(bool enabled) override { timerEnabled = enabled; }
    bool TimerEnabled() const override { return timerEnabled; }
    void EnableStartButton(bool enabled) override { startEnabled = enabled; }
    void EnableMerge(bool enabled) override { mergeEnabled = enabled; }
    void EnableTimerButton(bool enabled) override { timerButtonEnabled = enabled; }
    void SetTimerButtonText(const std::wstring& text, const std::wstring& hint) override {
        timerButtonText = text;
        timerButtonHint = hint;
    }
    void ShowCheckIndicator(bool visible) override { checkIndicator = visible; }
    bool CheckIndicatorVisible() const override { return checkIndicator; }
    void SetCaption(const std::wstring& text) override { caption = text; }
    bool LogEnabled() const override { return logOn; }
    int EncryptComboIndex() const override { return encryptCombo; }

    std::vector<Message> messages;
    std::function<void()> onPump;
    int pumps = 0;
    std::wstring memo;
    std::wstring status;
    std::vector<int> progress;
    std::wstring inputPath;
    std::wstring outputPath;
    std::uint32_t timerInterval = 0;
    bool timerEnabled = false;
    bool startEnabled = true;
    bool mergeEnabled = true;
    bool timerButtonEnabled = true;
    std::wstring timerButtonText;
    std::wstring timerButtonHint;
    bool checkIndicator = false;
    std::wstring caption;
    bool logOn = false;
    int encryptCombo = 0;
};

} // namespace testenv
