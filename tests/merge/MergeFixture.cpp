#include "MergeFixture.h"

#include "app/common/ProcessRunner.h"
#include "app/main/LanguageTexts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

namespace mergetest {

void LoadEnglishTexts() {
    static bool loaded = false;
    if (!loaded) {
        LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"English.plf");
        loaded = true;
    }
}

std::wstring Text(const wchar_t* key) {
    return Texts().Get(key);
}

std::string PostScriptPages(int pages) {
    std::string ps = "%!PS-Adobe-3.0\n%%Pages: " + std::to_string(pages) + "\n%%EndComments\n";
    for (int page = 1; page <= pages; ++page)
        ps += "/Helvetica findfont 24 scalefont setfont 72 720 moveto (Page " + std::to_string(page) +
              ") show showpage\n";
    return ps + "%%EOF\n";
}

int PdfPageCount(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page(?![A-Za-z]))");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

void MakePdf(const std::filesystem::path& pdf, int pages) {
    const std::filesystem::path ps = pdf.parent_path() / L"source.ps";
    testenv::WriteFileBytes(ps, PostScriptPages(pages));
    ChildRun run = RunHiddenPiped(std::wstring(kGhostscript) + L" -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=\"" +
                                  pdf.wstring() + L"\" \"" + ps.wstring() + L"\"");
    std::filesystem::remove(ps);
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_EQ(PdfPageCount(testenv::ReadFileBytes(pdf)), pages);
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::string Ansi(const std::wstring& text) {
    int size = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string QuotedLine(const std::string& bytes) {
    std::string line;
    line += '"';
    line += bytes;
    line += "\"\r\n";
    return line;
}

MergeWorld::MergeWorld()
    : out(temp.path() / L"Ausgabe \u00fc"), logFile(temp.path() / L"OstrelLog.txt"),
      gsLog(temp.path() / L"gs-commands.txt"),
      command(window, ui, dialog, ConversionLog(logFile, [](std::wstring_view key) { return Texts().Get(key); })) {
    LoadEnglishTexts();
    std::filesystem::create_directories(out);
    window.outputPath = out.wstring();
    SetVariable(L"OSTREL_GS_LOG", gsLog.wstring());
    SetVariable(L"OSTREL_GS_EXIT", L"");
}

MergeWorld::~MergeWorld() {
    SetVariable(L"OSTREL_GS_LOG", L"");
    SetVariable(L"OSTREL_GS_EXIT", L"");
    SetCurrentDirectoryW(testenv::BinaryDir().c_str()); // the merge moved into the output folder
}

std::vector<std::string> MergeWorld::GsCommandLines() const {
    if (!std::filesystem::exists(gsLog))
        return {};
    std::vector<std::string> lines;
    std::string bytes = testenv::ReadFileBytes(gsLog);
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> MergeWorld::LogLines() const {
    if (!std::filesystem::exists(logFile))
        return {};
    return SplitCrLf(testenv::ReadFileBytes(logFile));
}

} // namespace mergetest
