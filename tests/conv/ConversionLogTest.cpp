#include "app/main/ConversionLog.h"
#include "core/TextEncoding.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::wstring FakeText(std::wstring_view key) {
    return L"<" + std::wstring(key) + L">";
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            EXPECT_EQ(start, bytes.size()) << "last line without CR LF";
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Every line starts with the date, a blank and the time; returns the rest.
std::string AfterTimestamp(const std::string& line) {
    static const std::regex stamp(R"(^(\d{1,4}[./-]\d{1,2}[./-]\d{1,4}) (\d{1,2}:\d{2}:\d{2}( ?[AP]M)?)(.*)$)");
    std::smatch m;
    EXPECT_TRUE(std::regex_match(line, m, stamp)) << line;
    return m.size() > 4 ? m[4].str() : line;
}

TEST(ConversionLogTest, ConversionBlockHasFiveLinesWithSizesInKByte) {
    testenv::TempDir dir(L"log");
    testenv::WriteFileBytes(dir / L"in.ps", std::string(2047, 'x'));
    testenv::WriteFileBytes(dir / L"in.pdf", std::string(5 * 1024, 'y'));
    ConversionLog log(dir / L"OstrelLog.txt", FakeText);

    ConversionLogEntry entry;
    entry.deviceSwitches = L"-q -dNOPAUSE -sDEVICE=pdfwrite -sOwnerPassword#***";
    entry.pdfSettingsOption = L" -dPDFSETTINGS=/default";
    entry.resolutionOption = L" -r300";
    entry.compatLevelOption = L" -dCompatibilityLevel=1.3";
    entry.inputFile = (dir / L"in.ps").wstring();
    entry.outputPath = (dir / L"in.pdf").wstring();
    log.WriteConversionBlock(entry);

    auto lines = Lines(testenv::ReadFileBytes(dir / L"OstrelLog.txt"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(AfterTimestamp(lines[0]), "<MESSAGE5>");
    EXPECT_EQ(AfterTimestamp(lines[1]),
              " - -q -dNOPAUSE -sDEVICE=pdfwrite -sOwnerPassword#*** -dPDFSETTINGS=/default -r300 "
              "-dCompatibilityLevel=1.3");
    EXPECT_EQ(AfterTimestamp(lines[2]), "<MESSAGE6>" + (dir / L"in.ps").string());
    EXPECT_EQ(AfterTimestamp(lines[3]), "<MESSAGE7>1 KByte");
    EXPECT_EQ(AfterTimestamp(lines[4]), "<MESSAGE8>5 KByte");

    // A second block is appended; the level option is left out when the level may not be changed, and JPEG
    // page files look up the pattern name as it stands (size 0) after "> ".
    entry.levelChangeAllowed = false;
    entry.jpegPageFiles = true;
    entry.outputPath = (dir / L"in_%03d.jpg").wstring();
    log.WriteConversionBlock(entry);
    lines = Lines(testenv::ReadFileBytes(dir / L"OstrelLog.txt"));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(AfterTimestamp(lines[6]),
              " - -q -dNOPAUSE -sDEVICE=pdfwrite -sOwnerPassword#*** -dPDFSETTINGS=/default -r300");
    EXPECT_EQ(AfterTimestamp(lines[9]), "<MESSAGE8>> 0 KByte");
}

TEST(ConversionLogTest, SizesDropTheRemainder) {
    testenv::TempDir dir(L"log");
    struct Case {
        size_t bytes;
        const wchar_t* expected;
    };
    for (Case c : {Case{0, L"0 KByte"}, Case{1023, L"0 KByte"}, Case{1024, L"1 KByte"}, Case{4095, L"3 KByte"}}) {
        testenv::WriteFileBytes(dir / L"f.bin", std::string(c.bytes, 'z'));
        EXPECT_EQ(SizeInKByte((dir / L"f.bin").wstring()), c.expected) << c.bytes;
    }
    EXPECT_EQ(SizeInKByte((dir / L"missing.bin").wstring()), L"0 KByte");
}

TEST(ConversionLogTest, TextIsWrittenInTheAnsiCodePage) {
    testenv::TempDir dir(L"log");
    ConversionLog log(dir / L"OstrelLog.txt", [](std::wstring_view) { return std::wstring(L"Gr\u00f6\u00dfe: "); });
    log.WriteWatermarkBlock(L"C:\\Programme\\Ostrel\\", (dir / L"W_a.pdf").wstring());
    auto lines = Lines(testenv::ReadFileBytes(dir / L"OstrelLog.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(AfterTimestamp(lines[0]), " - C:\\Programme\\Ostrel\\pdftk.exe ...");
    EXPECT_EQ(AfterTimestamp(lines[1]), "Gr\xF6\xDF"
                                        "e: ");
    EXPECT_EQ(AfterTimestamp(lines[2]), "Gr\xF6\xDF"
                                        "e: 0 KByte");
}

TEST(ConversionLogTest, MailBlockNamesTheResult) {
    struct Case {
        int result;
        std::vector<std::string> expected;
    };
    for (const Case& c : {Case{0, {"<MESSAGE21>", "<MESSAGE22>"}}, Case{1, {"<MESSAGE1>", "<MESSAGE22>"}},
                          Case{21, {"<MESSAGE11>", "<MESSAGE22>"}}, Case{7, {"<MESSAGE22>"}}}) {
        testenv::TempDir dir(L"log");
        ConversionLog log(dir / L"OstrelLog.txt", FakeText);
        log.WriteMailBlock(c.result);
        auto lines = Lines(testenv::ReadFileBytes(dir / L"OstrelLog.txt"));
        ASSERT_EQ(lines.size(), c.expected.size()) << c.result;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(AfterTimestamp(lines[i]), c.expected[i]) << c.result;
        }
    }
}

TEST(ConversionLogTest, UnwritableLogRaisesAndKeepsNothingHalfWritten) {
    testenv::TempDir dir(L"log");
    std::filesystem::create_directory(dir / L"OstrelLog.txt"); // a folder where the file should be
    ConversionLog log(dir / L"OstrelLog.txt", FakeText);
    EXPECT_THROW(log.WriteFailureLine(L"x"), LogWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / L"OstrelLog.txt"));
}

TEST(ConversionLogTest, TheFailureNamesTheLogAndTheReasonOnOneLine) {
    testenv::TempDir dir(L"log");
    const std::filesystem::path file = dir / L"Protokoll f\u00fcr \u20ac.txt";
    std::filesystem::create_directory(file);
    ConversionLog log(file, FakeText);
    try {
        log.WriteFailureLine(L"x");
        ADD_FAILURE() << "no exception";
    } catch (const LogWriteError& error) {
        const std::wstring text = ErrorMessage(error);
        EXPECT_NE(text.find(file.wstring() + L": "), std::wstring::npos) << error.what();
        EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << error.what();
        EXPECT_GT(text.size(), file.wstring().size() + 2) << "a reason follows";
    }
}

TEST(ConversionLogTest, DefaultFileIsBesideTheProgram) {
    auto file = ConversionLog::DefaultFile();
    EXPECT_EQ(file.filename().wstring(), L"OstrelLog.txt");
    EXPECT_TRUE(std::filesystem::exists(file.parent_path() / L"test_conv.exe"));
}

} // namespace
