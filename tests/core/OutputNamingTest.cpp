#include "core/OutputNaming.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const std::wstring kOut = L"C:\\out\\";

struct NamingCase {
    const char* what;
    std::wstring caption;
    int outputType;
    bool pageFlag;
    bool counterInFront;
    bool selected;
    int32_t counterBefore;
    std::vector<std::wstring> present; // names in the output folder
    std::wstring expectedName;
    std::wstring expectedFile; // below kOut
    int32_t counterAfter;
};

class OutputNamingTable : public ::testing::TestWithParam<NamingCase> {};

TEST_P(OutputNamingTable, ChoosesNameAndAdvancesCounter) {
    const NamingCase& c = GetParam();
    ConversionCounter counter;
    for (int32_t i = 0; i < c.counterBefore; ++i) {
        counter.Advance();
    }
    std::set<std::wstring> present;
    for (const auto& name : c.present) {
        present.insert(kOut + name);
    }
    OutputNameRequest request;
    request.caption = c.caption;
    request.currentInputFile = L"C:\\in\\" + c.caption;
    request.outDir = kOut;
    request.outputType = c.outputType;
    request.pageFlag = c.pageFlag;
    request.counterInFront = c.counterInFront;
    request.itemSelected = c.selected;
    OutputName result = ChooseOutputName(request, counter, [&](const std::wstring& p) { return present.count(p); });
    EXPECT_EQ(result.currentOutputName, c.expectedName) << c.what;
    EXPECT_EQ(result.outputPath, kOut + c.expectedFile) << c.what;
    EXPECT_EQ(result.gsOutputSwitch, L" -sOutputFile=\"" + kOut + c.expectedFile) << c.what;
    EXPECT_EQ(counter.Value(), c.counterAfter) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNamingTable,
    ::testing::Values(
        NamingCase{"pdf free", L"a.ps", GsOutputPdf, false, false, false, 4, {}, L"a.pdf", L"a.pdf", 4},
        NamingCase{
            "pdf collision", L"a.ps", GsOutputPdf, false, false, false, 4, {L"a.pdf"}, L"a_005.pdf", L"a_005.pdf", 5},
        NamingCase{"pdf collision twice",
                   L"a.ps",
                   GsOutputPdf,
                   false,
                   false,
                   false,
                   4,
                   {L"a.pdf", L"a_005.pdf"},
                   L"a_006.pdf",
                   L"a_006.pdf",
                   6},
        NamingCase{"pdf front, free", L"a.ps", GsOutputPdf, false, true, true, 4, {}, L"a.pdf", L"004_a.pdf", 4},
        NamingCase{"pdf front, front name taken",
                   L"a.ps",
                   GsOutputPdf,
                   false,
                   true,
                   false,
                   4,
                   {L"004_a.pdf"},
                   L"a.pdf",
                   L"005_a.pdf",
                   5},
        NamingCase{"pdf front, plain taken",
                   L"a.ps",
                   GsOutputPdf,
                   false,
                   true,
                   false,
                   4,
                   {L"a.pdf"},
                   L"a.pdf",
                   L"005_a.pdf",
                   5},
        NamingCase{"pdf front, chain taken",
                   L"a.ps",
                   GsOutputPdf,
                   false,
                   true,
                   false,
                   4,
                   {L"004_a.pdf", L"005_a.pdf"},
                   L"a.pdf",
                   L"006_a.pdf",
                   6},
        NamingCase{"ps free", L"a.ps", GsOutputPostScript, false, false, true, 0, {}, L"a.ps", L"a.ps", 0},
        NamingCase{
            "ps collision", L"a.ps", GsOutputPostScript, false, false, true, 0, {L"a.ps"}, L"a_001.ps", L"a_001.ps", 1},
        NamingCase{"ps front selected pre-advances",
                   L"a.ps",
                   GsOutputPostScript,
                   false,
                   true,
                   true,
                   2,
                   {},
                   L"a.ps",
                   L"003_a.ps",
                   3},
        NamingCase{
            "ps front not selected", L"a.ps", GsOutputPostScript, false, true, false, 2, {}, L"a.ps", L"002_a.ps", 2},
        NamingCase{"ps front collision",
                   L"a.ps",
                   GsOutputPostScript,
                   false,
                   true,
                   true,
                   2,
                   {L"a.ps"},
                   L"a_004.ps",
                   L"004_a_004.ps",
                   4},
        NamingCase{"jpeg free", L"a.ps", GsOutputJpeg, false, false, false, 0, {}, L"a.jpg", L"a.jpg", 0},
        NamingCase{
            "jpeg collision", L"a.ps", GsOutputJpeg, false, false, false, 0, {L"a.jpg"}, L"a_001.jpg", L"a_001.jpg", 1},
        NamingCase{"jpeg front selected, no pages: no pre-advance",
                   L"a.ps",
                   GsOutputJpeg,
                   false,
                   true,
                   true,
                   0,
                   {},
                   L"a.jpg",
                   L"000_a.jpg",
                   0},
        NamingCase{
            "jpeg pages free", L"a.ps", GsOutputJpeg, true, false, false, 6, {}, L"a_%03d.jpg", L"a_%03d.jpg", 6},
        NamingCase{"jpeg pages collision",
                   L"a.ps",
                   GsOutputJpeg,
                   true,
                   false,
                   false,
                   6,
                   {L"a_001.jpg"},
                   L"a_7_%03d.jpg",
                   L"a_7_%03d.jpg",
                   7},
        NamingCase{"jpeg pages collision chain",
                   L"a.ps",
                   GsOutputJpeg,
                   true,
                   false,
                   false,
                   6,
                   {L"a_001.jpg", L"a_7_001.jpg"},
                   L"a_8_%03d.jpg",
                   L"a_8_%03d.jpg",
                   8},
        NamingCase{"jpeg pages front selected",
                   L"a.ps",
                   GsOutputJpeg,
                   true,
                   true,
                   true,
                   6,
                   {},
                   L"a_%03d.jpg",
                   L"007_a_%03d.jpg",
                   7},
        NamingCase{"jpeg pages front, first page taken",
                   L"a.ps",
                   GsOutputJpeg,
                   true,
                   true,
                   false,
                   6,
                   {L"006_a_001.jpg"},
                   L"a_%03d.jpg",
                   L"007_a_%03d.jpg",
                   7},
        NamingCase{"tiff g4", L"a.ps", GsOutputTiffG4, false, false, false, 0, {}, L"a.tif", L"a.tif", 0},
        NamingCase{"tiff lzw collision",
                   L"a.prn",
                   GsOutputTiffLzw,
                   false,
                   false,
                   false,
                   9,
                   {L"a.tif"},
                   L"a_010.tif",
                   L"a_010.tif",
                   10},
        NamingCase{"tiff 24 pages",
                   L"a.ps",
                   GsOutputTiff24,
                   true,
                   false,
                   false,
                   0,
                   {L"a_001.tif"},
                   L"a_1_%03d.tif",
                   L"a_1_%03d.tif",
                   1},
        NamingCase{"pdf ignores page flag", L"a.ps", GsOutputPdf, true, false, false, 0, {}, L"a.pdf", L"a.pdf", 0},
        NamingCase{"ps ignores page flag", L"a.ps", GsOutputPostScript, true, false, false, 0, {}, L"a.ps", L"a.ps", 0},
        NamingCase{"no extension", L"report", GsOutputPdf, false, false, false, 0, {}, L"report.pdf", L"report.pdf", 0},
        NamingCase{"several dots", L"a.b.ps", GsOutputPdf, false, false, false, 0, {}, L"a.b.pdf", L"a.b.pdf", 0},
        NamingCase{"counter past 999",
                   L"a.ps",
                   GsOutputPdf,
                   false,
                   false,
                   false,
                   999,
                   {L"a.pdf"},
                   L"a_1000.pdf",
                   L"a_1000.pdf",
                   1000}));

TEST(OutputNaming, ProbeUsesCaptionBeforeRenameAndNameUsesRenamedInput) {
    ConversionCounter counter;
    OutputNameRequest request{L"x%y.ps", L"C:\\in\\x!y.ps", kOut, GsOutputPdf, false, false, false};
    std::set<std::wstring> present{kOut + L"x%y.pdf"};
    auto result = ChooseOutputName(request, counter, [&](const std::wstring& p) { return present.count(p); });
    EXPECT_EQ(result.currentOutputName, L"x!y_001.pdf");
    EXPECT_EQ(counter.Value(), 1);

    // The renamed plain name is never overwritten either, although the probe (with "%") misses it.
    ConversionCounter second;
    std::set<std::wstring> renamedPresent{kOut + L"x!y.pdf"};
    result = ChooseOutputName(request, second, [&](const std::wstring& p) { return renamedPresent.count(p); });
    EXPECT_EQ(result.currentOutputName, L"x!y_001.pdf");
}

TEST(OutputNaming, PercentInFolderIsDoubledForGhostscriptButPagePatternKept) {
    ConversionCounter counter;
    OutputNameRequest request{L"a.ps", L"C:\\in\\a.ps", L"C:\\o%ut\\", GsOutputJpeg, true, false, false};
    auto result = ChooseOutputName(request, counter, [](const std::wstring&) { return false; });
    EXPECT_EQ(result.outputPath, L"C:\\o%ut\\a_%03d.jpg");
    EXPECT_EQ(result.gsOutputSwitch, L" -sOutputFile=\"C:\\o%%ut\\a_%03d.jpg");

    // A PDF input keeps its "%" (it is not renamed): the name is doubled as well.
    OutputNameRequest pdf{L"p%d.pdf", L"C:\\in\\p%d.pdf", L"C:\\o%\\", GsOutputPostScript, false, false, false};
    result = ChooseOutputName(pdf, counter, [](const std::wstring&) { return false; });
    EXPECT_EQ(result.outputPath, L"C:\\o%\\p%d.ps");
    EXPECT_EQ(result.gsOutputSwitch, L" -sOutputFile=\"C:\\o%%\\p%%d.ps");
}

TEST(ConversionCounterTest, LabelTextAndNotifications) {
    ConversionCounter counter;
    std::vector<std::wstring> shown;
    counter.OnChange = [&](const std::wstring& text) { shown.push_back(text); };
    EXPECT_EQ(counter.LabelText(), L"000 ");
    for (int i = 0; i < 7; ++i) {
        counter.Advance();
    }
    EXPECT_EQ(counter.LabelText(), L"007 ");
    EXPECT_EQ(shown.back(), L"007 ");
    EXPECT_EQ(shown.size(), 7u);
    counter.Reset();
    EXPECT_EQ(counter.Value(), 0);
    EXPECT_EQ(shown.back(), L"000 ");
    EXPECT_EQ(CounterDigits(1234), L"1234");
    EXPECT_EQ(CounterDigits(42), L"042");
}

TEST(OutputNaming, ExtensionHelpers) {
    EXPECT_EQ(ChangeFileExt(L"C:\\a.b\\name", L".pdf"), L"C:\\a.b\\name.pdf");
    EXPECT_EQ(ChangeFileExt(L"C:\\a\\n.x.ps", L".pdf"), L"C:\\a\\n.x.pdf");
    EXPECT_EQ(ExtractFileExt(L"C:\\a.b\\name"), L"");
    EXPECT_EQ(ExtractFileExt(L"C:\\a\\b.PRN"), L".PRN");
    EXPECT_EQ(ExtractFileName(L"C:\\a\\b.ps"), L"b.ps");
    EXPECT_EQ(ExtractFileName(L"S:b.ps"), L"b.ps");
}

} // namespace
