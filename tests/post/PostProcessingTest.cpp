// The post-processing of a converted file through the real stand-ins: the MAPI32.DLL beside the test program, the
// pdftk bridge in the program folder and a recording reader program.
#include "PostSupport.h"

#include "app/main/LanguageTexts.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace fs = std::filesystem;
using namespace posttest;

namespace {

class PostProcessingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadLanguageFile(::Texts(), testenv::SourceDir() / L"lang" / L"English.plf"); }

    static std::vector<std::wstring> Shown(const RecordingWindow& window) {
        std::vector<std::wstring> texts;
        for (const auto& m : window.messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
    static std::wstring Text(const wchar_t* key) { return ::Texts().Get(key); }

    const std::string pdf = MakePdf({"Page one", "Page two"});
};

std::size_t Count(const std::string& text, const std::string& pattern) {
    std::regex re(pattern);
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

} // namespace

TEST(FileUse, HeldFilesAreInUseAndLocked) {
    testenv::TempDir folder(L"use");
    testenv::WriteFileBytes(folder / L"free.pdf", "x");
    testenv::WriteFileBytes(folder / L"held.pdf", "x");
    testenv::WriteFileBytes(folder / L"shared read.pdf", "x");
    fs::create_directory(folder / L"sub");
    HeldOpen held(folder / L"held.pdf");
    ASSERT_TRUE(held.Held());
    HANDLE reader = CreateFileW((folder / L"shared read.pdf").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);

    struct Case {
        const wchar_t* name;
        bool inUse;
        bool locked;
    } cases[] = {
        {L"free.pdf", false, false},   {L"held.pdf", true, true}, {L"shared read.pdf", true, true},
        {L"missing.pdf", false, true}, {L"sub", false, true},
    };
    for (const auto& c : cases) {
        const std::wstring path = (folder / c.name).wstring();
        EXPECT_EQ(IsFileInUse(path), c.inUse) << path;
        EXPECT_EQ(IsFileLocked(path), c.locked) << path;
    }
    CloseHandle(reader);
    EXPECT_FALSE(IsFileInUse((folder / L"shared read.pdf").wstring())) << "free again once closed";
    EXPECT_FALSE(IsFileLocked((folder / L"shared read.pdf").wstring()));
    EXPECT_FALSE(IsFileInUse((folder / L"no folder" / L"x.pdf").wstring()));
}

TEST_F(PostProcessingTest, InputIsDeletedOnlyWhenDeletionIsOnAndNobodyHoldsIt) {
    struct Case {
        bool deletion;
        bool held;
        bool inputStays;
    } cases[] = {{true, false, false}, {false, false, true}, {true, true, true}, {false, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "deletion " << c.deletion << " held " << c.held);
        World w(false);
        w.dialog.DeleteInputs = c.deletion ? 0 : 1;
        ConvertedFile file = w.Converted(L"report.ps", L"report.pdf", GsOutputPdf, pdf);
        {
            std::optional<HeldOpen> hold;
            if (c.held) {
                hold.emplace(file.inputFile);
            }
            w.MakePostProcessing().Run(file);
        }
        EXPECT_EQ(fs::exists(file.inputFile), c.inputStays);
        EXPECT_TRUE(fs::exists(file.outputPath)) << "mail is off: the output stays";
        EXPECT_TRUE(w.window.messages.empty());
        EXPECT_TRUE(DroppedMails(w.drop.path()).empty());
        EXPECT_EQ(w.LogText(), "") << "no mail, no watermark: nothing to log";
    }
}

// Mail of the plain output: what is sent, under which name, to whom; the output goes once it was sent.
TEST_F(PostProcessingTest, MailOfTheResult) {
    struct Case {
        const wchar_t* outputName;
        int type;
        int serverMode;
        std::string to;
        std::string attachmentName;
    } cases[] = {
        {L"report.pdf", GsOutputPdf, 0, "office@example.org <>", "report.pdf"},
        {L"report.ps", GsOutputPostScript, 0, "office@example.org <>", "report.ps"},
        {L"inXab.tif", GsOutputTiffG4, 1, "in@firm.example <>", "ab.tif"},
        {L"plain.jpg", GsOutputJpeg, 1, "plain@firm.example <>", ".jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attachmentName);
        World w(false);
        w.dialog.SendMail = 0;
        w.dialog.DeleteInputs = 0;
        w.dialog.MailMode = c.serverMode;
        w.dialog.MailUserNameEnd = L"X";
        w.dialog.MailUserNameDigits = L"2";
        w.dialog.MailDomain = L"@firm.example";
        w.dialog.StampWatermark = c.type != GsOutputPdf; // for PostScript and images the check is ignored
        ConvertedFile file = w.Converted(L"in.ps", c.outputName, c.type, pdf);
        bool sentBeforePump = false;
        w.window.onPump = [&] { sentBeforePump = DroppedMails(w.drop.path()).size() == 1; };
        w.MakePostProcessing().Run(file);

        auto mails = DroppedMails(w.drop.path());
        ASSERT_EQ(mails.size(), 1u);
        EXPECT_EQ(mails[0].Header("From"), "Print Room <office@example.org>");
        EXPECT_EQ(mails[0].Header("To"), c.to);
        EXPECT_EQ(mails[0].Header("Subject"), "Your file is finished!");
        EXPECT_EQ(mails[0].Header("X-MAPI-Flags"), "0x00000000");
        EXPECT_EQ(mails[0].AttachmentName(), c.attachmentName);
        EXPECT_EQ(mails[0].AttachmentBytes(), pdf);
        EXPECT_TRUE(sentBeforePump);
        EXPECT_EQ(w.window.pumps, 1);
        EXPECT_FALSE(fs::exists(file.outputPath)) << "sent, so deleted";
        EXPECT_FALSE(fs::exists(file.inputFile));
        EXPECT_EQ(w.window.memo, L"") << "pdftk never runs for this output";
        EXPECT_FALSE(fs::exists(w.output / (L"W_" + std::wstring(c.outputName))));
        EXPECT_TRUE(std::regex_match(w.LogText(), std::regex("[^\r\n]+<MESSAGE21>\r\n[^\r\n]+<MESSAGE22>\r\n")))
            << w.LogText();
    }
}

TEST_F(PostProcessingTest, AFailedOrSkippedSendDeletesNothing) {
    {
        World w(false);
        w.dialog.SendMail = 0;
        w.dialog.ShowMailDialog = true;
        SetEnvironmentVariableW(L"OSTREL_MAPI_RESULT", L"2");
        ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
        PostProcessing post = w.MakePostProcessing();
        post.Run(file);
        EXPECT_EQ(post.LastMailResult(), 2u);
        EXPECT_TRUE(fs::exists(file.outputPath));
        EXPECT_TRUE(DroppedMails(w.drop.path()).empty());
        EXPECT_TRUE(std::regex_match(w.LogText(), std::regex("[^\r\n]+<MESSAGE10>\r\n[^\r\n]+<MESSAGE22>\r\n")));
    }
    {
        // The input is still held by its program: neither deleted nor is its output mailed or deleted.
        World w(false);
        w.dialog.SendMail = 0;
        w.dialog.DeleteInputs = 0;
        ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
        HeldOpen hold(file.inputFile);
        w.MakePostProcessing().Run(file);
        EXPECT_TRUE(fs::exists(file.inputFile));
        EXPECT_TRUE(fs::exists(file.outputPath));
        EXPECT_TRUE(DroppedMails(w.drop.path()).empty());
        EXPECT_TRUE(w.window.messages.empty());
    }
    {
        // The output is held open when the send is done: it stays.
        World w(false);
        w.dialog.SendMail = 0;
        ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
        std::optional<HANDLE> reader;
        w.window.onPump = [&] {
            reader = CreateFileW(file.outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        w.MakePostProcessing().Run(file);
        ASSERT_TRUE(reader && *reader != INVALID_HANDLE_VALUE);
        CloseHandle(*reader);
        EXPECT_EQ(DroppedMails(w.drop.path()).size(), 1u);
        EXPECT_TRUE(fs::exists(file.outputPath));
    }
}

TEST_F(PostProcessingTest, ANumberErrorInServerModeIsShownAndSendsNothing) {
    struct Case {
        const wchar_t* outputName;
        const wchar_t* rest;
        const wchar_t* message;
        std::size_t mails;
    } cases[] = {
        {L"inXab.pdf", L"", L"VFEHLER2", 0}, // the recipient needs the count
        {L"inXab.pdf", L"2", nullptr, 1},
        {L"report.pdf", L"", nullptr, 1}, // no marker in the name: the count is not needed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.outputName << " / " << testing::PrintToString(std::wstring(c.rest)));
        World w(false);
        w.dialog.SendMail = 0;
        w.dialog.MailMode = 1;
        w.dialog.MailUserNameEnd = L"X";
        w.dialog.MailUserNameDigits = c.rest;
        w.dialog.MailDomain = L"@firm.example";
        ConvertedFile file = w.Converted(L"in.ps", c.outputName, GsOutputPdf, pdf);
        w.MakePostProcessing().Run(file);
        EXPECT_EQ(Shown(w.window),
                  c.message ? std::vector<std::wstring>{Text(c.message)} : std::vector<std::wstring>{});
        EXPECT_EQ(DroppedMails(w.drop.path()).size(), c.mails);
        EXPECT_EQ(fs::exists(file.outputPath), c.mails == 0);
    }
}

// The whole order with the watermark: input deleted, no plain mail, pdftk stamps "W_" + name, the stamped file is
// mailed, then output and stamped file are removed, the log has the watermark block before the mail block.
TEST_F(PostProcessingTest, WatermarkStampsMailsAndCleansUpInOrder) {
    World w;
    w.dialog.SendMail = 0;
    w.dialog.DeleteInputs = 0;
    w.dialog.StampWatermark = true;
    const fs::path watermark = w.program / L"wm mark.pdf";
    testenv::WriteFileBytes(watermark, MakePdf({"WATERMARK"}));
    w.dialog.WatermarkFile = watermark.wstring();
    ConvertedFile file = w.Converted(L"in.ps", L"001 report.pdf", GsOutputPdf, MakePdf({"Page one", "Page two"}, 4000));
    file.currentOutputName = L"report.pdf"; // the counter stands in front of the name
    const fs::path stamped = w.output / L"W_001 report.pdf";

    struct Snapshot {
        bool input, output, stamped;
        std::size_t mails;
    };
    std::vector<Snapshot> pumps;
    std::uintmax_t stampedSize = 0;
    w.window.onPump = [&] {
        pumps.push_back({fs::exists(file.inputFile), fs::exists(file.outputPath), fs::exists(stamped),
                         DroppedMails(w.drop.path()).size()});
        if (fs::exists(stamped)) {
            stampedSize = fs::file_size(stamped);
        }
    };
    w.MakePostProcessing().Run(file);

    ASSERT_EQ(pumps.size(), 2u);
    EXPECT_FALSE(pumps[0].input) << "the input goes first";
    EXPECT_TRUE(pumps[0].output);
    EXPECT_FALSE(pumps[0].stamped) << "the plain mail step comes before pdftk";
    EXPECT_EQ(pumps[0].mails, 0u) << "with the watermark the plain output is not mailed";
    EXPECT_TRUE(pumps[1].output);
    EXPECT_TRUE(pumps[1].stamped);
    EXPECT_EQ(pumps[1].mails, 1u);
    EXPECT_FALSE(fs::exists(file.outputPath));
    EXPECT_FALSE(fs::exists(stamped));
    EXPECT_TRUE(w.window.messages.empty());

    auto mails = DroppedMails(w.drop.path());
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].AttachmentName(), "W_001 report.pdf");
    const std::string sent = mails[0].AttachmentBytes();
    EXPECT_EQ(CountPages(sent), 2);
    EXPECT_NE(sent.find("(WATERMARK) Tj"), std::string::npos);
    EXPECT_GE(CountDrawnForms(sent), 2) << "each page draws the watermark";

    const std::wstring program = w.program.path().wstring() + L"\\";
    const std::wstring command = L"\"" + program + L"pdftk.exe\" \"" + file.outputPath + L"\" background \"" +
                                 watermark.wstring() + L"\" output \"" + stamped.wstring() + L"\"";
    EXPECT_EQ(w.window.memo, command.substr(0, 255) + L"\r\n");

    ASSERT_GE(stampedSize, 1024u);
    const std::string log = w.LogText();
    const std::string kbytes = std::to_string(stampedSize / 1024) + " KByte";
    EXPECT_TRUE(std::regex_match(log, std::regex("[^\r\n]+ - [^\r\n]+pdftk\\.exe \\.\\.\\.\r\n[^\r\n]+<MESSAGE51>\r\n"
                                                 "[^\r\n]+<MESSAGE8>" +
                                                 kbytes + "\r\n[^\r\n]+<MESSAGE21>\r\n[^\r\n]+<MESSAGE22>\r\n")))
        << log;
}

TEST_F(PostProcessingTest, WatermarkWithoutMailLeavesTheStampedFile) {
    World w;
    w.dialog.StampWatermark = true;
    const fs::path watermark = w.program / L"wm.pdf";
    testenv::WriteFileBytes(watermark, MakePdf({"WATERMARK"}));
    w.dialog.WatermarkFile = watermark.wstring();
    ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
    w.MakePostProcessing().Run(file);
    const std::string stamped = testenv::ReadFileBytes(w.output / L"W_report.pdf");
    EXPECT_EQ(CountPages(stamped), 2);
    EXPECT_NE(stamped.find("(WATERMARK) Tj"), std::string::npos);
    EXPECT_NE(stamped.find("(Page two) Tj"), std::string::npos);
    EXPECT_EQ(testenv::ReadFileBytes(file.outputPath), pdf) << "the output itself is not changed";
    EXPECT_TRUE(fs::exists(file.inputFile));
    EXPECT_EQ(Count(w.LogText(), "MESSAGE51"), 1u);
    EXPECT_EQ(Count(w.LogText(), "MESSAGE22"), 0u) << "mail off: no mail block";
}

// pdftk runs but cannot stamp (a background file that is no PDF, or none at all): the watermark is reported as
// failed with pdftk's exit code, in the memo and the log; a box only in a pass the user started.
TEST_F(PostProcessingTest, AWatermarkPdftkRefusesIsReportedAsFailed) {
    struct Case {
        const char* what;
        const char* background; // nullptr: the file is not there
        bool manual;
        size_t boxes;
    };
    const Case cases[] = {
        {"damaged background, automatic mode", "this is no PDF", false, 0},
        {"damaged background, manual pass", "this is no PDF", true, 1},
        {"missing background, automatic mode", nullptr, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        w.dialog.StampWatermark = true;
        const fs::path watermark = w.program / L"wm.pdf";
        if (c.background) {
            testenv::WriteFileBytes(watermark, c.background);
        }
        w.dialog.WatermarkFile = watermark.wstring();
        ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
        PostProcessing post = w.MakePostProcessing();
        file.interactive = c.manual;
        post.Run(file);

        EXPECT_FALSE(fs::exists(w.output / L"W_report.pdf"));
        EXPECT_EQ(testenv::ReadFileBytes(file.outputPath), pdf) << "the output itself stays";
        const std::wstring failure = L"Wasserzeichen fehlgeschlagen! / Watermark failed! " +
                                     (w.output / L"W_report.pdf").wstring() + L" (Exitcode ";
        EXPECT_NE(w.window.memo.find(failure), std::wstring::npos);
        EXPECT_EQ(w.window.memo.find(L"(Exitcode 0)"), std::wstring::npos);
        const std::string log = w.LogText();
        EXPECT_EQ(Count(log, "MESSAGE51"), 0u) << "a watermark that was not made is not logged as added";
        EXPECT_EQ(Count(log, "Watermark failed!"), 1u) << log;
        ASSERT_EQ(w.window.messages.size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(w.window.messages[0].box, ConversionWindow::Box::Error);
            EXPECT_NE(w.window.messages[0].text.find(failure), std::wstring::npos);
        }
    }
}

TEST_F(PostProcessingTest, MissingPdftkIsReportedAndNothingIsLost) {
    World w(false);
    w.dialog.SendMail = 0;
    w.dialog.StampWatermark = true;
    w.dialog.WatermarkFile = (w.program / L"wm.pdf").wstring();
    ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
    PostProcessing post = w.MakePostProcessing();
    post.Run(file);
    EXPECT_EQ(Shown(w.window), std::vector<std::wstring>{Text(L"AFEHLER1")});
    EXPECT_EQ(post.LastMailResult(), 11u) << "the stamped file to attach is not there";
    EXPECT_TRUE(fs::exists(file.outputPath));
    EXPECT_TRUE(DroppedMails(w.drop.path()).empty());
    const std::string log = w.LogText();
    // The watermark is logged as failed, not as added; the mail of the missing stamped file then fails too.
    EXPECT_EQ(Count(log, "MESSAGE51"), 0u) << log;
    EXPECT_TRUE(std::regex_search(
        log, std::regex(" - Wasserzeichen fehlgeschlagen! / Watermark failed! [^\r\n]+W_report\\.pdf \\(pdftk nicht "
                        "gestartet / not started, Fehler / error [0-9]+\\)\r\n[^\r\n]+<MESSAGE12>\r\n")))
        << log;
}

TEST_F(PostProcessingTest, ReaderGetsQuotedPathsForPdfOnly) {
    World w;
    w.dialog.ShowInReader = true;
    w.dialog.StampWatermark = true;
    const fs::path watermark = w.program / L"wm.pdf";
    testenv::WriteFileBytes(watermark, MakePdf({"WATERMARK"}));
    w.dialog.WatermarkFile = watermark.wstring();
    PostProcessing post = w.MakePostProcessing();
    // PostScript output first: it never opens the reader, so only the two PDF starts below may come.
    post.Run(w.Converted(L"in.ps", L"my report.ps", GsOutputPostScript, pdf));
    ConvertedFile file = w.Converted(L"in.ps", L"my report.pdf", GsOutputPdf, pdf);
    post.Run(file);
    ASSERT_TRUE(w.WaitForReaders(2));
    std::set<std::wstring> arguments;
    for (const std::wstring& line : w.ReaderCommandLines()) {
        // The program part as the shell wrote it, then the one argument we passed.
        std::wsmatch m;
        ASSERT_TRUE(std::regex_match(line, m, std::wregex(LR"((?:"[^"]*"|\S+)\s+(.*))"))) << line;
        arguments.insert(m[1].str());
    }
    EXPECT_EQ(arguments, (std::set<std::wstring>{L"\"" + file.outputPath + L"\"",
                                                 L"\"" + (w.output / L"W_my report.pdf").wstring() + L"\""}));
    EXPECT_FALSE(fs::exists(w.output / L"W_my report.ps"));
}

TEST_F(PostProcessingTest, MailBlockOncePerPass) {
    World w(false);
    w.dialog.SendMail = 0;
    PostProcessing post = w.MakePostProcessing();
    post.BeginPass();
    post.Run(w.Converted(L"a.ps", L"a.pdf", GsOutputPdf, pdf));
    post.Run(w.Converted(L"b.ps", L"b.pdf", GsOutputPdf, pdf));
    EXPECT_EQ(Count(w.LogText(), "<MESSAGE22>"), 1u);
    post.BeginPass();
    post.Run(w.Converted(L"c.ps", L"c.pdf", GsOutputPdf, pdf));
    EXPECT_EQ(Count(w.LogText(), "<MESSAGE22>"), 2u);
    EXPECT_EQ(DroppedMails(w.drop.path()).size(), 3u);

    w.window.logOn = false;
    post.BeginPass();
    post.Run(w.Converted(L"d.ps", L"d.pdf", GsOutputPdf, pdf));
    EXPECT_EQ(Count(w.LogText(), "<MESSAGE22>"), 2u) << "log off";
}

TEST_F(PostProcessingTest, HeldInputStillGetsItsStampedFileMailed) {
    World w;
    w.dialog.SendMail = 0;
    w.dialog.DeleteInputs = 0;
    w.dialog.StampWatermark = true;
    const fs::path watermark = w.program / L"wm.pdf";
    testenv::WriteFileBytes(watermark, MakePdf({"WATERMARK"}));
    w.dialog.WatermarkFile = watermark.wstring();
    ConvertedFile file = w.Converted(L"in.ps", L"report.pdf", GsOutputPdf, pdf);
    {
        HeldOpen hold(file.inputFile);
        w.MakePostProcessing().Run(file);
    }
    EXPECT_TRUE(fs::exists(file.inputFile));
    auto mails = DroppedMails(w.drop.path());
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].AttachmentName(), "W_report.pdf");
    EXPECT_NE(mails[0].AttachmentBytes().find("(WATERMARK) Tj"), std::string::npos);
    EXPECT_FALSE(fs::exists(file.outputPath));
    EXPECT_FALSE(fs::exists(w.output / L"W_report.pdf"));
}

namespace {

// In automatic mode nobody is there to answer a box: what went wrong goes to the memo, the status bar and the log,
// and a log that cannot be written stops none of the steps.
TEST_F(PostProcessingTest, AutomaticModeShowsNoBoxAndALogFailureStopsNothing) {
    struct Case {
        const char* what;
        bool withPdftk;
        std::wstring rest;       // RestEdit: empty with the marker in the name is a number error
        const wchar_t* reported; // the text reported, as a box would have shown it
        bool logBroken;
    };
    const Case cases[] = {
        {"pdftk missing", false, L"2", L"AFEHLER1", false},
        {"mail data broken", false, L"", L"VFEHLER2", false},
        {"pdftk missing, log broken", false, L"2", L"AFEHLER1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w(c.withPdftk);
        w.dialog.SendMail = 0;
        w.dialog.MailMode = 1;
        w.dialog.MailUserNameEnd = L"X";
        w.dialog.MailUserNameDigits = c.rest;
        w.dialog.StampWatermark = true;
        w.dialog.WatermarkFile = (w.program / L"wm.pdf").wstring();
        if (c.logBroken) {
            fs::create_directory(w.LogFile());
        }
        ConvertedFile file = w.Converted(L"in.ps", L"inXab.pdf", GsOutputPdf, pdf);
        file.interactive = false;
        PostProcessing post = w.MakePostProcessing();
        EXPECT_NO_THROW(post.Run(file));
        EXPECT_TRUE(Shown(w.window).empty());
        const std::wstring text = Text(c.reported);
        EXPECT_FALSE(text.empty());
        EXPECT_NE(w.window.memo.find(text + L"\r\n"), std::wstring::npos);
        EXPECT_FALSE(w.window.status.empty());
        if (c.logBroken) {
            EXPECT_EQ(Count(std::string(w.window.memo.begin(), w.window.memo.end()), "I/O-ERROR"), 1u);
        } else {
            EXPECT_NE(w.LogText().find(" - " + std::string(text.begin(), text.end())), std::string::npos)
                << w.LogText();
        }
        EXPECT_TRUE(fs::exists(file.outputPath)) << "nothing mailed, nothing deleted";
    }
}

} // namespace
