// The merge command from the name to the merged file: the exact Ghostscript command line, the list file on disk, a
// real merge through the stand-in, the name rules, encryption, the log block and the failure paths.
#include "MergeFixture.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace mergetest;

namespace {

std::string Utf8(const std::wstring& text) {
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Two 2-page PDFs, one with a blank and an umlaut in its name, chosen in reverse order.
struct TwoInputs {
    explicit TwoInputs(MergeWorld& w) {
        fs::create_directories(w.temp.path() / L"ein gang");
        first = w.temp.path() / L"ein gang" / L"zw\u00f6lf.pdf";
        second = w.temp.path() / L"eins.pdf";
        MakePdf(first, 2);
        MakePdf(second, 2);
        w.ui.selection = MergeSelection{{first.wstring(), second.wstring()}, true};
    }
    fs::path first;
    fs::path second;
};

TEST(MergeCommand, MergesTwoFilesIntoOneWithTheExactCommandLine) {
    MergeWorld w;
    TwoInputs inputs(w);
    ASSERT_FALSE(HasFailure());
    w.dialog.GhostscriptProgram = kGhostscript;
    fs::remove(w.gsLog); // only the merge's own run counts

    w.Run();

    const std::wstring target = w.OutDir() + L"Gesamt.pdf";
    const std::wstring expected = L"\"" + std::wstring(kGhostscript) +
                                  L"\" -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=\"" + target +
                                  L"\" -c .setpdfwrite -f @\"" + w.OutDir() + L"PDFList.txt\"";
    EXPECT_EQ(w.GsCommandLines(), std::vector<std::string>{Utf8(expected)});
    EXPECT_EQ(w.command.LastCommandLine(), expected);
    EXPECT_EQ(w.window.memo, expected + L"\r\n");
    EXPECT_EQ(PdfPageCount(testenv::ReadFileBytes(target)), 4);
    EXPECT_TRUE(w.window.messages.empty());

    // The list stays, in list order and in the code page.
    EXPECT_EQ(testenv::ReadFileBytes(w.out / L"PDFList.txt"),
              QuotedLine(Ansi(inputs.first.wstring())) + QuotedLine(Ansi(inputs.second.wstring())));
    // The reader gets the folder and the typed name; the panes reload and protection goes off.
    EXPECT_EQ(w.ui.opened, std::vector<std::wstring>{target});
    EXPECT_EQ(w.ui.reloads, 1);
    EXPECT_EQ(w.ui.ownerOffs, 1);
    // The busy state was entered and left.
    EXPECT_EQ(w.window.caption, Text(L"PFA"));
    EXPECT_FALSE(w.window.checkIndicator);
    EXPECT_TRUE(w.window.mergeEnabled && w.window.startEnabled && w.window.timerButtonEnabled);
    EXPECT_EQ(w.window.progress, (std::vector<int>{0, 50, 100}));

    // The log block: merged, the name, every file numbered in order.
    const std::vector<std::string> log = w.LogLines();
    ASSERT_EQ(log.size(), 4u);
    const std::string ends[] = {Ansi(Text(L"MESSAGE24")), Ansi(Text(L"MESSAGE25") + L"Gesamt.pdf"),
                                " - 1: " + Ansi(inputs.first.wstring()), " - 2: " + Ansi(inputs.second.wstring())};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(log[i].ends_with(ends[i])) << log[i];
}

TEST(MergeCommand, ProtectionAddsFortyBitSwitchesAndEncryptsTheResult) {
    MergeWorld w;
    TwoInputs inputs(w);
    ASSERT_FALSE(HasFailure());
    w.ui.selection->OpenInReader = false;
    w.ui.security.OwnerPasswordOn = true;
    w.ui.security.OwnerPassword = L"Chef Passwort";
    w.ui.security.UserPasswordOn = true;
    w.ui.security.UserPassword = L"leser";
    w.ui.security.DenyPrinting = true;
    w.ui.security.DenyCopying = true;
    fs::remove(w.gsLog);

    w.Run();

    const std::string switches = " -dEncryptionR#2 -dKeyLength#40 -sUserPassword=leser \"-sOwnerPassword=Chef "
                                 "Passwort\" -dPermissions#-24";
    const std::string masked =
        " -dEncryptionR#2 -dKeyLength#40 -sUserPassword=*** -sOwnerPassword=*** -dPermissions#-24";
    const std::vector<std::string> lines = w.GsCommandLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("-sDEVICE=pdfwrite" + switches + " -sOutputFile="), std::string::npos) << lines[0];
    const std::string merged = testenv::ReadFileBytes(w.out / L"Gesamt.pdf");
    EXPECT_NE(merged.find("/Encrypt"), std::string::npos);
    // Ghostscript writes its command line into what it makes: no password may stand there in clear.
    EXPECT_EQ(merged.find("leser"), std::string::npos);
    EXPECT_EQ(merged.find("Chef Passwort"), std::string::npos);
    EXPECT_TRUE(w.ui.opened.empty()) << "PDFAnzRG on No";
    // The memo and the log repeat the switches with the passwords masked.
    EXPECT_EQ(w.window.memo.find(L"leser"), std::wstring::npos);
    EXPECT_EQ(w.window.memo.find(L"Chef"), std::wstring::npos);
    EXPECT_NE(w.window.memo.find(L"-sDEVICE=pdfwrite" + std::wstring(masked.begin(), masked.end())),
              std::wstring::npos);
    const std::vector<std::string> log = w.LogLines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_TRUE(log[1].ends_with(" - -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite" + masked)) << log[1];
    for (const std::string& line : log) {
        EXPECT_EQ(line.find("leser"), std::string::npos) << line;
    }
    EXPECT_EQ(w.ui.ownerOffs, 1);
}

struct NameCase {
    const char* Title;
    std::optional<std::wstring> Name;
    bool Exists;
    int ListShows;
    int Reloads;
    int OwnerOffs;
    size_t Boxes;
};

TEST(MergeCommand, NameDialogRules) {
    const NameCase cases[] = {
        {"cancelled: panes reload, protection off", std::nullopt, false, 0, 1, 1, 0},
        {"empty name: nothing at all", L"", false, 0, 0, 0, 0},
        {"existing name: message, no list", L"Da.pdf", true, 0, 0, 0, 1},
        {"list not confirmed: stops", L"Neu.pdf", false, 1, 0, 0, 0},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.Title);
        MergeWorld w;
        w.ui.security.OwnerPasswordOn = true;
        w.ui.name = c.Name;
        if (c.Exists)
            testenv::WriteFileBytes(w.out / *c.Name, "old");
        w.Run();
        EXPECT_EQ(w.ui.listShows, c.ListShows);
        EXPECT_EQ(w.ui.reloads, c.Reloads);
        EXPECT_EQ(w.ui.ownerOffs, c.OwnerOffs);
        ASSERT_EQ(w.window.messages.size(), c.Boxes);
        if (c.Boxes) {
            EXPECT_EQ(w.window.messages[0].text, *c.Name + Text(L"MERGENAME3"));
            EXPECT_EQ(testenv::ReadFileBytes(w.out / *c.Name), "old");
        }
        EXPECT_TRUE(w.GsCommandLines().empty());
        EXPECT_FALSE(fs::exists(w.out / L"PDFList.txt"));
        EXPECT_TRUE(w.LogLines().empty());
    }
}

TEST(MergeCommand, GhostscriptFailureIsReportedAndNothingClaimed) {
    MergeWorld w;
    TwoInputs inputs(w);
    ASSERT_FALSE(HasFailure());
    SetVariable(L"OSTREL_GS_EXIT", L"3");

    w.Run();

    const std::wstring target = w.OutDir() + L"Gesamt.pdf";
    ASSERT_EQ(w.window.messages.size(), 1u);
    EXPECT_EQ(w.window.messages[0].box, ConversionWindow::Box::Error);
    EXPECT_NE(w.window.messages[0].text.find(target), std::wstring::npos);
    EXPECT_NE(w.window.messages[0].text.find(L"Exitcode 3"), std::wstring::npos);
    EXPECT_TRUE(w.ui.opened.empty()) << "no reader for a failed merge";
    const std::vector<std::string> log = w.LogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].find(Ansi(Text(L"MESSAGE24"))), std::string::npos);
    EXPECT_NE(log[0].find("Exitcode 3"), std::string::npos);
    EXPECT_EQ(w.window.caption, Text(L"PFA")) << "busy state left";
    EXPECT_TRUE(w.window.mergeEnabled);
    EXPECT_EQ(w.ui.ownerOffs, 1);
}

TEST(MergeCommand, GhostscriptThatCannotStartGivesTheStartMessageAndNoLog) {
    MergeWorld w;
    w.ui.selection = MergeSelection{{L"C:\\a.pdf"}, true};
    w.dialog.GhostscriptProgram = (w.temp.path() / L"fehlt" / L"gswin32c.exe").wstring();

    w.Run();

    ASSERT_EQ(w.window.messages.size(), 1u);
    EXPECT_EQ(w.window.messages[0].text, Text(L"AFEHLER1"));
    EXPECT_TRUE(w.LogLines().empty());
    EXPECT_TRUE(w.ui.opened.empty());
    EXPECT_EQ(testenv::ReadFileBytes(w.out / L"PDFList.txt"), "\"C:\\a.pdf\"\r\n") << "the list stays";
    EXPECT_EQ(w.window.caption, Text(L"PFA"));
    EXPECT_FALSE(w.window.checkIndicator);
}

TEST(MergeCommand, NoLogWhenTheLogIsOff) {
    MergeWorld w;
    TwoInputs inputs(w);
    ASSERT_FALSE(HasFailure());
    w.window.logOn = false;
    w.Run();
    EXPECT_TRUE(fs::exists(w.out / L"Gesamt.pdf"));
    EXPECT_TRUE(w.LogLines().empty());
}

} // namespace
