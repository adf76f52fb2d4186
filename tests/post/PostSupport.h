#pragma once
// The world of a post-processing test: a program folder (with or without pdftk.exe), input and output folders, the
// live settings, a recording window, and readers for what the stand-ins left behind (mails, reader starts).
#include "app/main/PostProcessing.h"
#include "support/TestEnv.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace posttest {

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
    void SetProgress(int) override {}
    std::wstring InputPathText() const override { return {}; }
    std::wstring OutputPathText() const override { return {}; }
    void SetTimerInterval(std::uint32_t) override {}
    void EnableTimer(bool) override {}
    bool TimerEnabled() const override { return false; }
    void EnableStartButton(bool) override {}
    void EnableMerge(bool) override {}
    void EnableTimerButton(bool) override {}
    void SetTimerButtonText(const std::wstring&, const std::wstring&) override {}
    void ShowCheckIndicator(bool) override {}
    bool CheckIndicatorVisible() const override { return false; }
    void SetCaption(const std::wstring&) override {}
    bool LogEnabled() const override { return logOn; }
    int EncryptComboIndex() const override { return 0; }

    std::vector<Message> messages;
    std::function<void()> onPump;
    int pumps = 0;
    std::wstring memo;
    bool logOn = true;
};

// A PDF with one line of text per page; `padding` bytes of comment make it larger.
std::string MakePdf(const std::vector<std::string>& pageTexts, std::size_t padding = 0);
// How many pages the PDF has, and how many of them draw a form (the stamped background).
int CountPages(const std::string& pdf);
int CountDrawnForms(const std::string& pdf);

// The mails the MAPI32.DLL stand-in dropped, oldest first.
struct Mail {
    std::string Raw;
    std::string Header(const std::string& name) const;
    std::string AttachmentName() const;
    std::string AttachmentBytes() const;
};
std::vector<Mail> DroppedMails(const std::filesystem::path& drop);

// The converted file of one test: an input and an output already written by "Ghostscript".
class World {
public:
    explicit World(bool withPdftk = true);
    ~World();

    // Writes the input and the output as the pass would leave them and returns the hook's argument.
    ConvertedFile Converted(const std::wstring& inputName, const std::wstring& outputName, int outputType,
                            const std::string& outputBytes);
    PostProcessing MakePostProcessing();

    std::filesystem::path LogFile() const { return program / L"OstrelLog.txt"; }
    std::string LogText() const;
    std::vector<std::wstring> ReaderCommandLines() const;
    // Polls until the reader stand-in has written `count` lines (or a deadline passes).
    bool WaitForReaders(std::size_t count) const;

    testenv::TempDir program{L"my prog"};
    testenv::TempDir input{L"in"};
    testenv::TempDir output{L"out dir"};
    testenv::TempDir drop{L"drop"};
    testenv::TempDir readers{L"readers"};
    DialogSettings dialog;
    MainSettings main;
    RecordingWindow window;
};

// Holds a file open without sharing, as a program still writing it does.
class HeldOpen {
public:
    explicit HeldOpen(const std::filesystem::path& file);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace posttest
