// The Ghostscript console program as the product starts it: through the shared runner, at its fixed path in the
// prefix. What the conversion, merge and viewer rely on: pages, devices, page patterns, list files, exit codes,
// output on the pipe, and odd file names.
#include "GsBridgeSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace gsbridge_test;

namespace {

// The product's default PDF command line (PDF, page rotation per page, default preset, 300 dpi, level 1.3).
std::wstring DefaultPdfCommand(const fs::path& output, const fs::path& input) {
    return std::wstring(kGhostscript) +
           L" -q -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite"
           L" -dPDFSETTINGS=/default -r300 -dCompatibilityLevel=1.3 -sOutputFile=" +
           Quoted(output) + L" " + Quoted(input);
}

} // namespace

TEST(GsBridge, PostScriptBecomesPdfWithEveryPage) {
    testenv::TempDir dir(L"gs");
    auto input = dir / L"two.ps";
    auto output = dir / L"two.pdf";
    testenv::WriteFileBytes(input, PostScriptPages(2));

    auto result = RunGuarded(DefaultPdfCommand(output, input));

    ASSERT_TRUE(result.run.started) << "start error " << result.run.startError;
    EXPECT_EQ(result.run.exitCode, 0u) << result.output;
    auto pdf = testenv::ReadFileBytes(output);
    EXPECT_EQ(pdf.rfind("%PDF-1.3", 0), 0u) << "level 1.3 header";
    EXPECT_EQ(PdfPageCount(pdf), 2);
}

TEST(GsBridge, PathsWithBlanksAndUmlauts) {
    testenv::TempDir dir(L"gs");
    fs::create_directories(dir / L"Ordner \u00e4 \u00f6");
    auto input = dir / L"Ordner \u00e4 \u00f6" / L"Pr\u00fcfung 1.ps";
    auto output = dir / L"Ordner \u00e4 \u00f6" / L"Pr\u00fcfung 1.pdf";
    testenv::WriteFileBytes(input, PostScriptPages(2));

    auto result = RunGuarded(DefaultPdfCommand(output, input));

    ASSERT_TRUE(result.run.started);
    EXPECT_EQ(result.run.exitCode, 0u) << result.output;
    EXPECT_EQ(PdfPageCount(testenv::ReadFileBytes(output)), 2);
}

TEST(GsBridge, OlderDeviceNamesAndPagePatterns) {
    struct Case {
        const wchar_t* switches;
        const wchar_t* outputName;       // as given to -sOutputFile
        std::vector<std::wstring> files; // what must exist afterwards
        const wchar_t* absent;           // what must not
        std::string magic;               // first bytes of every file
    };
    const Case cases[] = {
        {L"-dNOPAUSE -dBATCH -dSAFER -sDEVICE=pswrite", L"out.ps", {L"out.ps"}, L"out_001.ps", "%!PS"},
        {L"-q -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=75 -r30",
         L"page_%03d.jpg",
         {L"page_001.jpg", L"page_002.jpg"},
         L"page_003.jpg",
         "\xFF\xD8"},
        {L"-q -dNOPAUSE -dBATCH -sDEVICE=tiffg4 -r30", L"p%d.tif", {L"p1.tif", L"p2.tif"}, L"p3.tif", "II*"},
        // A doubled "%" is a literal percent sign in the name, not a pattern.
        {L"-q -dNOPAUSE -dBATCH -sDEVICE=tifflzw -r30", L"50%%.tif", {L"50%.tif"}, L"50%%.tif", "II*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "switches " << Utf8(c.switches));
        testenv::TempDir dir(L"gs");
        auto input = dir / L"in.ps";
        testenv::WriteFileBytes(input, PostScriptPages(2));

        auto result = RunGuarded(std::wstring(kGhostscript) + L" " + c.switches + L" -sOutputFile=" +
                                 Quoted(dir / c.outputName) + L" " + Quoted(input));

        ASSERT_TRUE(result.run.started);
        EXPECT_EQ(result.run.exitCode, 0u) << result.output;
        for (const auto& name : c.files) {
            auto bytes = testenv::ReadFileBytes(dir / name);
            EXPECT_EQ(bytes.substr(0, c.magic.size()), c.magic) << Utf8(name);
        }
        EXPECT_FALSE(fs::exists(dir / c.absent)) << Utf8(c.absent);
    }
}

// The product doubles a "%" of the output folder so that Ghostscript does not take it for a page pattern.
TEST(GsBridge, DoubledPercentInTheOutputFolder) {
    testenv::TempDir dir(L"gs");
    fs::create_directories(dir / L"n%x");
    auto input = dir / L"in.ps";
    testenv::WriteFileBytes(input, PostScriptPages(2));

    auto result = RunGuarded(std::wstring(kGhostscript) + L" -q -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=75 -r30" +
                             L" -sOutputFile=" + Quoted(dir / L"n%%x" / L"s_%03d.jpg") + L" " + Quoted(input));

    ASSERT_TRUE(result.run.started);
    EXPECT_EQ(result.run.exitCode, 0u) << result.output;
    EXPECT_TRUE(fs::exists(dir / L"n%x" / L"s_001.jpg"));
    EXPECT_TRUE(fs::exists(dir / L"n%x" / L"s_002.jpg"));
}

TEST(GsBridge, MergesTheFilesOfAListFile) {
    testenv::TempDir dir(L"gs");
    fs::create_directories(dir / L"Ausgabe \u00fc");
    auto outFolder = dir / L"Ausgabe \u00fc";
    const fs::path parts[] = {dir / L"erste Datei.pdf", outFolder / L"zw\u00f6lf.pdf"};
    for (const auto& part : parts) {
        auto ps = dir / L"part.ps";
        testenv::WriteFileBytes(ps, PostScriptPages(2));
        auto made = RunGuarded(DefaultPdfCommand(part, ps));
        ASSERT_EQ(made.run.exitCode, 0u) << made.output;
    }
    // The list as the merge writes it: Windows-1252 bytes, each path quoted, CR LF.
    auto list = outFolder / L"PDFList.txt";
    std::string listBytes;
    for (const auto& part : parts) {
        listBytes += '"';
        listBytes += Ansi(part);
        listBytes += "\"\r\n";
    }
    testenv::WriteFileBytes(list, listBytes);
    auto merged = outFolder / L"Gesamt.pdf";

    auto result = RunGuarded(std::wstring(kGhostscript) + L" -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=" +
                             Quoted(merged) + L" -c .setpdfwrite -f @" + Quoted(list));

    ASSERT_TRUE(result.run.started);
    EXPECT_EQ(result.run.exitCode, 0u) << result.output;
    EXPECT_EQ(PdfPageCount(testenv::ReadFileBytes(merged)), 4);
    EXPECT_TRUE(fs::exists(list)) << "the list stays";
}

TEST(GsBridge, SecuritySwitchesInHashFormReachGhostscript) {
    testenv::TempDir dir(L"gs");
    auto input = dir / L"in.ps";
    auto output = dir / L"locked.pdf";
    testenv::WriteFileBytes(input, PostScriptPages(1));

    auto result = RunGuarded(std::wstring(kGhostscript) +
                             L" -q -dNOPAUSE -dDOPDFMARKS -dBATCH -sDEVICE=pdfwrite -dEncryptionR#3 -dKeyLength#128"
                             L" -sUserPassword# -sOwnerPassword#geheim -dPermissions#-3904"
                             L" -dCompatibilityLevel=1.4 -sOutputFile=" +
                             Quoted(output) + L" " + Quoted(input));

    ASSERT_TRUE(result.run.started);
    EXPECT_EQ(result.run.exitCode, 0u) << result.output;
    auto pdf = testenv::ReadFileBytes(output);
    EXPECT_NE(pdf.find("/Encrypt"), std::string::npos);
    EXPECT_NE(pdf.find("/R 3"), std::string::npos);
    // The permission word is written signed or as its unsigned 32-bit twin; both mean -3904.
    EXPECT_TRUE(pdf.find("/P -3904") != std::string::npos ||
                pdf.find("/P " + std::to_string(static_cast<std::uint32_t>(-3904))) != std::string::npos);
}

// The password switches in the form Ghostscript masks, a blank inside one: each reaches Ghostscript whole (a split
// one would be read as an input file and fail the run), and neither password stands in the file it makes.
TEST(GsBridge, PasswordSwitchesReachGhostscriptWholeAndStayOutOfTheOutput) {
    struct Case {
        const wchar_t* security;
        std::vector<std::string> secrets;
    };
    const Case cases[] = {
        {L" -dEncryptionR#3 -dKeyLength#128 -sUserPassword=lesen \"-sOwnerPassword=Chef Passwort\" -dPermissions#-3904",
         {"lesen", "Chef Passwort"}},
        {L" -dEncryptionR#2 -dKeyLength#40 \"-sUserPassword=mit Blank\" -sOwnerPassword=geheim -dPermissions#-64",
         {"mit Blank", "geheim"}},
    };
    for (const Case& c : cases) {
        testenv::TempDir dir(L"gs");
        auto input = dir / L"in.ps";
        auto output = dir / L"locked.pdf";
        auto log = dir / L"gs-log.txt";
        testenv::WriteFileBytes(input, PostScriptPages(1));
        ScopedEnvironment logging(L"OSTREL_GS_LOG", log.wstring());
        const std::wstring line = std::wstring(kGhostscript) +
                                  L" -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -sDEVICE=pdfwrite" + c.security +
                                  L" -dCompatibilityLevel=1.4 -sOutputFile=" + Quoted(output) + L" " + Quoted(input);

        auto result = RunGuarded(line);

        ASSERT_TRUE(result.run.started);
        EXPECT_EQ(result.run.exitCode, 0u) << result.output;
        EXPECT_EQ(testenv::ReadFileBytes(log), Utf8(line) + "\r\n");
        auto pdf = testenv::ReadFileBytes(output);
        EXPECT_NE(pdf.find("/Encrypt"), std::string::npos);
        for (const std::string& secret : c.secrets) {
            EXPECT_EQ(pdf.find(secret), std::string::npos) << secret;
        }
    }
}

TEST(GsBridge, FailuresShowInTheExitCodeAndThePipe) {
    testenv::TempDir dir(L"gs");
    auto broken = dir / L"broken.ps";
    testenv::WriteFileBytes(broken, "%!PS\nthis_is_no_operator\nshowpage\n");

    auto result = RunGuarded(DefaultPdfCommand(dir / L"broken.pdf", broken));

    ASSERT_TRUE(result.run.started);
    EXPECT_NE(result.run.exitCode, 0u);
    // Ghostscript reports on standard error; the runner puts that on the same pipe.
    EXPECT_NE(result.output.find("undefined"), std::string::npos) << result.output;

    auto missing = RunGuarded(DefaultPdfCommand(dir / L"none.pdf", dir / L"does not exist.ps"));
    ASSERT_TRUE(missing.run.started);
    EXPECT_NE(missing.run.exitCode, 0u);
}

TEST(GsBridge, PostScriptOutputArrivesThroughThePipe) {
    testenv::TempDir dir(L"gs");
    auto input = dir / L"talk.ps";
    testenv::WriteFileBytes(input, "%!PS\n(OSTREL-PIPE-MARK) print flush\n" + PostScriptPages(1).substr(4));

    auto result = RunGuarded(DefaultPdfCommand(dir / L"talk.pdf", input));

    ASSERT_TRUE(result.run.started);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_NE(result.output.find("OSTREL-PIPE-MARK"), std::string::npos) << result.output;
}
