// Mail through Simple MAPI with the stand-in MAPI32.DLL beside the test program, and what the post-processing
// derives for a mail.
#include "app/mail/Mail.h"
#include "app/mail/MyMapi.h"
#include "app/main/ConversionLog.h"
#include "support/MailDrop.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

using testenv::MailAttachmentBytes;
using testenv::MailHeader;

// Each test gets its own drop folder and result code; the stand-in reads both at every send.
class MailSend : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"OSTREL_MAIL_DROP", drop.path().c_str());
        SetEnvironmentVariableW(L"OSTREL_MAPI_RESULT", nullptr);
        attachment = files.path() / L"inXab.pdf";
        testenv::WriteFileBytes(attachment, pdfBytes);
    }
    void TearDown() override { SetEnvironmentVariableW(L"OSTREL_MAIL_DROP", nullptr); }

    MailMessage Message() const {
        MailTexts texts = MailTextsFor(L"English");
        return {texts.Subject,        texts.Body,   L"Sender Name", L"sender@example.org", L"Recipient", L"",
                attachment.wstring(), L"inXab.pdf", false};
    }
    ULONG Send(const MailMessage& m, MapiLibrary* library = nullptr, HWND owner = nullptr) {
        return SendMail(
            m, owner, L"text of MESSAGE1", [this](const std::wstring& t) { boxes.push_back(t); }, library);
    }
    std::vector<fs::path> Dropped() const {
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(drop.path())) {
            found.push_back(e.path());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    testenv::TempDir drop{L"drop"}, files{L"files"};
    fs::path attachment;
    const std::string pdfBytes = std::string("%PDF-1.4\r\n\0\xff binary\n%%EOF", 26);
    std::vector<std::wstring> boxes;
};

} // namespace

TEST(MailAddressing, ServerModeRecipientAndAttachment) {
    struct Case {
        std::wstring base, marker;
        int count;
        std::wstring recipient, attachment;
    } cases[] = {
        {L"inXab", L"X", 2, L"in@d.example", L"ab"},
        {L"report", L"X", 2, L"report@d.example", L""},
        {L"aXbbcXdde", L"X", 2, L"ace@d.example", L"bb"},
        {L"inXab", L"", 2, L"inXab@d.example", L"ab"}, // an empty marker cuts nothing, and is "X" for the name
        {L"nameX12345", L"X", 9, L"name@d.example", L"12345"},
        {L"a#1b", L"#", 0, L"a1b@d.example", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ServerRecipientName(c.base, c.marker, c.count, L"@d.example"), c.recipient) << c.base;
        EXPECT_EQ(ServerAttachmentBase(c.base, c.marker, c.count), c.attachment) << c.base;
    }
}

TEST(MailAddressing, TextsFollowTheLanguage) {
    EXPECT_EQ(MailTextsFor(L"Deutsch").Subject, L"Ihre Datei ist fertig!");
    EXPECT_EQ(MailTextsFor(L"Deutsch").Body, L"Siehe Anlage.");
    for (const wchar_t* other : {L"English", L"deutsch", L""}) {
        EXPECT_EQ(MailTextsFor(other).Subject, L"Your file is finished!");
        EXPECT_EQ(MailTextsFor(other).Body, L"see the attached file.");
    }
}

TEST_F(MailSend, TheProgramsMapi32IsTheOneBesideIt) {
    LoadMapiLibrary();
    ASSERT_TRUE(TheMapiLibrary().Loaded());
    wchar_t exe[MAX_PATH], dll[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    GetModuleFileNameW(GetModuleHandleW(L"MAPI32.DLL"), dll, MAX_PATH);
    EXPECT_EQ(fs::path(dll).parent_path(), fs::path(exe).parent_path());
}

TEST_F(MailSend, FixedRecipientMessageAsSent) {
    ASSERT_EQ(Send(Message()), 0u);
    EXPECT_TRUE(boxes.empty());
    fs::remove(attachment); // the caller deletes the output after a successful send
    auto mails = Dropped();
    ASSERT_EQ(mails.size(), 1u);
    const std::string eml = testenv::ReadFileBytes(mails[0]);
    EXPECT_EQ(MailHeader(eml, "From"), "Sender Name <sender@example.org>");
    EXPECT_EQ(MailHeader(eml, "To"), "Recipient <>");
    EXPECT_EQ(MailHeader(eml, "Subject"), "Your file is finished!");
    EXPECT_EQ(MailHeader(eml, "X-MAPI-Flags"), "0x00000000");
    EXPECT_EQ(MailHeader(eml, "X-MAPI-Position"), "-1");
    EXPECT_NE(eml.find("filename=\"inXab.pdf\""), std::string::npos);
    EXPECT_NE(eml.find("\r\n\r\nsee the attached file.\r\n"), std::string::npos);
    EXPECT_EQ(MailAttachmentBytes(eml), pdfBytes);
}

TEST_F(MailSend, ServerRecipientWithDialog) {
    MailMessage m = Message();
    MailTexts german = MailTextsFor(L"Deutsch");
    m.Subject = german.Subject;
    m.Body = german.Body;
    m.RecipientName = ServerRecipientName(L"inXab", L"X", 2, L"@firma.example");
    m.AttachmentName = ServerAttachmentBase(L"inXab", L"X", 2) + L".pdf";
    m.ShowDialog = true;
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(Send(m, nullptr, owner), 0u);
    DestroyWindow(owner);
    auto mails = Dropped();
    ASSERT_EQ(mails.size(), 1u);
    const std::string eml = testenv::ReadFileBytes(mails[0]);
    EXPECT_EQ(MailHeader(eml, "To"), "in@firma.example <>");
    EXPECT_EQ(MailHeader(eml, "Subject"), "Ihre Datei ist fertig!");
    EXPECT_EQ(MailHeader(eml, "X-MAPI-Flags"), "0x0000000B");
    EXPECT_EQ(MailHeader(eml, "X-MAPI-UIParam"), "window");
    EXPECT_NE(eml.find("filename=\"ab.pdf\""), std::string::npos);
    EXPECT_NE(eml.find("Siehe Anlage."), std::string::npos);
}

// Each result: what the user is shown, what was sent, and the log's mail block.
TEST_F(MailSend, ResultCodesMessagesAndLogLines) {
    struct Case {
        const wchar_t* forced; // OSTREL_MAPI_RESULT, or null
        bool attachmentThere;
        ULONG result;
        bool box;
        std::size_t sent;
        std::wstring key;
    } cases[] = {
        {nullptr, true, 0, false, 1, L"MESSAGE21"},
        {L"1", true, 1, true, 0, L"MESSAGE1"},
        {nullptr, false, 11, false, 0, L"MESSAGE12"},
        {L"11", true, 11, false, 0, L"MESSAGE12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        testenv::TempDir folder(L"case");
        SetEnvironmentVariableW(L"OSTREL_MAIL_DROP", folder.path().c_str());
        SetEnvironmentVariableW(L"OSTREL_MAPI_RESULT", c.forced);
        MailMessage m = Message();
        if (!c.attachmentThere) {
            m.AttachmentPath = (files.path() / L"gone.pdf").wstring();
        }
        boxes.clear();
        ULONG result = Send(m);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(boxes, c.box ? std::vector<std::wstring>{L"text of MESSAGE1"} : std::vector<std::wstring>{});
        EXPECT_EQ(
            static_cast<std::size_t>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator())),
            c.sent);

        ConversionLog log(folder / L"OstrelLog.txt",
                          [](std::wstring_view key) { return L"<" + std::wstring(key) + L">"; });
        log.WriteMailBlock(static_cast<int>(result));
        std::string text = testenv::ReadFileBytes(folder / L"OstrelLog.txt");
        std::string key(c.key.begin(), c.key.end());
        EXPECT_TRUE(std::regex_search(text, std::regex("^[^\r\n]+<" + key + ">\r\n[^\r\n]+<MESSAGE22>\r\n$"))) << text;
    }
}

TEST_F(MailSend, MissingMapi32AnswersAsACancelAndIsNotLoadedAgain) {
    MapiLibrary missing(L"NOMAPI32.DLL");
    EXPECT_EQ(Send(Message(), &missing), 1u);
    EXPECT_TRUE(missing.LoadAttempted());
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(Send(Message(), &missing), 1u);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(Dropped().empty());

    MapiLibrary withoutEntry(L"kernel32.dll"); // loads, but has no MAPISendMail
    EXPECT_EQ(Send(Message(), &withoutEntry), 1u);
    EXPECT_TRUE(withoutEntry.Loaded());
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(MailSend, EmptyTextsArriveAsEmptyTexts) {
    MailMessage m = Message();
    m.RecipientName.clear();
    m.Subject.clear();
    m.Body.clear();
    ASSERT_EQ(Send(m), 0u);
    auto mails = Dropped();
    ASSERT_EQ(mails.size(), 1u);
    const std::string eml = testenv::ReadFileBytes(mails[0]);
    EXPECT_EQ(MailHeader(eml, "To"), " <>");
    EXPECT_EQ(MailHeader(eml, "Subject"), "");
}
