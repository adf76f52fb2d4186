// The pdftk stand-in beside the program stamps a watermark as the post-processing's command line asks.
#include "support/PdfSamples.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <regex>

namespace fs = std::filesystem;

namespace {

using testenv::MakePdf;

DWORD RunAndWait(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

} // namespace

TEST(PdftkBridge, StampsTheWatermarkOnEveryPage) {
    testenv::TempDir program(L"prog"), out(L"out dir");
    fs::copy_file(testenv::BinaryDir() / L"platform" / L"pdftk" / L"pdftk.exe.so", program / L"pdftk.exe");
    const fs::path output = out / L"001 report.pdf";
    const fs::path watermark = program / L"wm.pdf";
    testenv::WriteFileBytes(output, MakePdf({"Page one", "Page two"}));
    testenv::WriteFileBytes(watermark, MakePdf({"WATERMARK"}));

    // As the post-processing builds it: program folder + "pdftk.exe " + quoted output, background, stamped file.
    std::wstring folder = program.path().wstring() + L"\\";
    std::wstring command = folder + L"pdftk.exe \"" + output.wstring() + L"\" background \"" + watermark.wstring() +
                           L"\" output \"" + out.path().wstring() + L"\\W_" + output.filename().wstring() + L"\"";
    ASSERT_EQ(RunAndWait(command), 0u);

    const std::string stamped = testenv::ReadFileBytes(out / (L"W_" + output.filename().wstring()));
    std::regex page(R"(/Type\s*/Page[^s])");
    EXPECT_EQ(std::distance(std::sregex_iterator(stamped.begin(), stamped.end(), page), std::sregex_iterator()), 2);
    EXPECT_NE(stamped.find("(WATERMARK) Tj"), std::string::npos);
    EXPECT_NE(stamped.find("(Page two) Tj"), std::string::npos);
    std::regex drawn(R"(/XObject)");
    EXPECT_GE(std::distance(std::sregex_iterator(stamped.begin(), stamped.end(), drawn), std::sregex_iterator()), 2)
        << "each page draws the watermark";

    EXPECT_NE(RunAndWait(folder + L"pdftk.exe \"" + (out / L"missing.pdf").wstring() + L"\" output \"" +
                         (out / L"x.pdf").wstring() + L"\""),
              0u)
        << "pdftk's failure comes back as the exit code";
}
