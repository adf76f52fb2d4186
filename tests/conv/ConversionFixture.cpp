#include "ConversionFixture.h"

#include "app/main/LanguageTexts.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace convtest {
namespace {

std::wstring FromUtf8(const std::string& bytes) {
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// The program's texts, once per test program.
void LoadTexts() {
    static bool loaded = false;
    if (!loaded) {
        LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"English.plf");
        loaded = true;
    }
}

} // namespace

std::string PostScriptPages(int pages) {
    std::string ps =
        "%!PS-Adobe-3.0\n%%Pages: " + std::to_string(pages) + "\n%%EndComments\n%%BeginProlog\n%%EndProlog\n";
    for (int page = 1; page <= pages; ++page) {
        ps += "%%Page: " + std::to_string(page) + " " + std::to_string(page) + "\n" +
              "/Helvetica findfont 24 scalefont setfont 72 720 moveto (Page " + std::to_string(page) +
              ") show showpage\n";
    }
    return ps + "%%EOF\n";
}

PassWorld::PassWorld(const std::filesystem::path& inputFolder) : temp_(L"conv") {
    LoadTexts();
    in = inputFolder.empty() ? temp_.path() / L"in" : inputFolder;
    out = temp_.path() / L"out";
    std::filesystem::create_directories(in);
    std::filesystem::create_directories(out);
    logFile = temp_.path() / L"OstrelLog.txt";
    iniFile = temp_.path() / L"Ostrel.ini";
    StoreFolders(in.wstring(), out.wstring());
    gsLog_ = temp_.path() / L"gs-commands.txt";
    SetVariable(L"OSTREL_GS_LOG", gsLog_.wstring());
    SetVariable(L"OSTREL_GS_EXIT", L"");
    SetVariable(L"OSTREL_GS_CHATTER", L"");
    SetGsOptions(options, GsOptionIndexes{});
    inputPane = std::make_unique<testenv::FakeFilePane>(in.wstring());
    outputPane = std::make_unique<testenv::FakeFilePane>(out.wstring());
    window.inputPath = inputPane->Directory();
    window.outputPath = outputPane->Directory();
    pass = std::make_unique<ConversionPass>(
        window, ConversionPane{*inputPane, *inputPane}, ConversionPane{*outputPane, *outputPane},
        ConversionSettings{main, dialog, security, options},
        ConversionLog(logFile, [](std::wstring_view key) { return L"<" + std::wstring(key) + L">"; }),
        iniFile.wstring());
}

void PassWorld::StoreFolders(const std::wstring& input, const std::wstring& output) const {
    WritePrivateProfileStringW(L"Verzeichnisse", L"Eingabeverzeichnis", input.c_str(), iniFile.c_str());
    WritePrivateProfileStringW(L"Verzeichnisse", L"Ausgabeverzeichnis", output.c_str(), iniFile.c_str());
}

PassWorld::~PassWorld() {
    SetVariable(L"OSTREL_GS_LOG", L"");
    SetVariable(L"OSTREL_GS_EXIT", L"");
    SetVariable(L"OSTREL_GS_CHATTER", L"");
}

void PassWorld::Reload() {
    inputPane->Reload(false);
    outputPane->Reload(false);
}

void PassWorld::RunPass(bool manual) {
    pass->ManualPassActive = manual;
    pass->ConvertInputFiles();
    pass->ManualPassActive = false;
}

std::vector<std::wstring> PassWorld::GsCommandLines() const {
    std::vector<std::wstring> lines;
    for (const std::string& line : SplitCrLf(testenv::ReadFileBytes(gsLog_))) {
        lines.push_back(FromUtf8(line));
    }
    return lines;
}

std::vector<std::string> PassWorld::LogLines() const {
    return SplitCrLf(testenv::ReadFileBytes(logFile));
}

} // namespace convtest
