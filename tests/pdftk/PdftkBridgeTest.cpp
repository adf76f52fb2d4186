// The pdftk stand-in beside the program stamps a watermark as the post-processing's command line asks.
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <regex>

namespace fs = std::filesystem;

namespace {

// A small PDF with one line of text per page.
std::string MakePdf(const std::vector<std::string>& pageTexts) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "",
                                        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string kids;
    for (const auto& text : pageTexts) {
        std::string content = "BT /F1 24 Tf 72 700 Td (" + text + ") Tj ET";
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> "
                          ">> /Contents " + std::to_string(objects.size()) + " 0 R >>");
        kids += std::to_string(objects.size()) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageTexts.size()) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[32];
        snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t start = pdf.size();
    pdf += xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(start) + "\n%%EOF\n";
    return pdf;
}

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
