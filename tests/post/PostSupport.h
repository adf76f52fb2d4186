#pragma once
// The world of a post-processing test: a program folder (with or without pdftk.exe), input and output folders, the
// live settings, a recording window, and readers for what the stand-ins left behind (mails, reader starts).
#include "app/main/PostProcessing.h"
#include "support/PdfSamples.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace posttest {

// The post-processing runs with the log on unless a test switches it off.
struct RecordingWindow : testenv::RecordingWindow {
    RecordingWindow() { logOn = true; }
};

using testenv::CountDrawnForms;
using testenv::CountPages;
using testenv::MakePdf;

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
