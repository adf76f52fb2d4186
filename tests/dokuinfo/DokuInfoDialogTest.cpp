// The document description dialog as a real window: fields read from a PostScript file, edited, saved and read
// back; Esc and a read failure; and the rules that decide whether F3 opens it at all.
#include "app/common/ProcessRunner.h"
#include "app/dialogs/DokuInfo1_Unit.h"
#include "app/main/DocInfoFile.h"
#include "app/main/LanguageTexts.h"
#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "gui/MessageBox.h"
#include "support/FakeFilePane.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace gui;
namespace fs = std::filesystem;

namespace {

// A PostScript file as a print driver writes it: DSC header, prolog, a page; LF line ends and a binary byte in the
// page that must come back untouched.
const std::string kPostScript = "%!PS-Adobe-3.0\n"
                                "%%Title: Quarterly report\n"
                                "%%For: Anna Berger\n"
                                "%%Creator: Text Editor 4.1\n"
                                "%%Pages: 1\n"
                                "%%EndComments\n"
                                "%%BeginProlog\n"
                                "/F { findfont exch scalefont setfont } bind def\n"
                                "%%EndProlog\n"
                                "%%Page: 1 1\n"
                                "12 /Helvetica F 72 720 moveto (Umsatz \xe4 \x01) show\n"
                                "showpage\n"
                                "%%EOF\n";

using testenv::WhenShown;

class DokuInfoDialogTest : public testing::Test {
protected:
    void SetUp() override {
        Texts().Clear();
        LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / L"Deutsch.plf");
        Application.Initialize();
        form.OnProgress = [this](int position) { gauge.push_back(position); };
    }

    struct Seen {
        std::wstring caption, file, title, author, subject, keywords, creator;
        bool operator==(const Seen&) const = default;
    };
    Seen Fields() const {
        return {form.Text(),          form.Edit2.Text(),    form.DI1Edit1.Text(), form.DI1Edit2.Text(),
                form.DI2Edit1.Text(), form.DI2Edit2.Text(), form.DI2Edit3.Text()};
    }

    testenv::TempDir folder{L"doku"};
    TDokuInfo1_Form form;
    std::vector<int> gauge;
};

} // namespace

TEST_F(DokuInfoDialogTest, ReadsEditsSavesAndReadsBack) {
    const fs::path file = folder / L"Bericht 3.ps";
    testenv::WriteFileBytes(file, kPostScript);
    form.FileName = file.wstring();

    Seen shown;
    WhenShown edit(form, [&] {
        shown = Fields();
        EXPECT_EQ(GetFocus(), form.DI1Edit1.Handle());
        EXPECT_TRUE(form.Edit2.ReadOnly());
        // Typed as a user types: a title with parentheses, an umlaut in the keywords.
        form.DI1Edit1.SetText(L"");
        guidriver::PostChars(form.DI1Edit1.Handle(), L"Report (final)");
        form.DI2Edit1.SetText(L"Sales :-(");
        form.DI2Edit2.SetText(L"Umsatz, M\u00e4rz");
        ASSERT_TRUE(guidriver::PumpUntil([&] { return form.DI1Edit1.Text() == L"Report (final)"; }, 5000,
                                         [] { Application.ProcessMessages(); }));
        gauge.clear();
        guidriver::Click(form.BitBtn1.Handle());
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(shown, (Seen{L"Beschreibung \u00e4ndern", L"Bericht 3.ps", L"Quarterly report", L"Anna Berger", L"", L"",
                           L"Text Editor 4.1"}));
    EXPECT_EQ(form.DI1L1.Text(), L"Titel:");
    EXPECT_EQ(form.DI2L2.Text(), L"Stichw\u00f6rter:");
    EXPECT_EQ(form.BitBtn1.Text(), L"Speichern");
    EXPECT_EQ(form.BitBtn2.Text(), L"Abbrechen");
    EXPECT_EQ(gauge, (std::vector<int>{0, 50, 100, 0})) << "save, then the close sets the gauge back";

    docinfo::DocumentFields read;
    docinfo::ReadDocumentFile(file.wstring(), read);
    EXPECT_EQ(read.Title, "Report (final)");
    EXPECT_EQ(read.Author, "Anna Berger");
    EXPECT_EQ(read.Subject, "Sales :-(");
    EXPECT_EQ(read.Keywords, "Umsatz, M\xe4rz");
    EXPECT_EQ(read.Creator, "Text Editor 4.1");
    const std::string saved = testenv::ReadFileBytes(file);
    EXPECT_NE(saved.find("%%Title: Report (final)\n"), std::string::npos);
    EXPECT_NE(saved.find("/DOCINFO pdfmark"), std::string::npos);
    EXPECT_NE(saved.find("(Umsatz \xe4 \x01) show\nshowpage\n%%EOF\n"), std::string::npos) << "the page is kept";

    // Still PostScript that Ghostscript reads, and the PDF it makes carries the description.
    const fs::path pdf = folder / L"Bericht 3.pdf";
    const ChildRun run = RunHiddenPiped(L"C:\\gs\\gs8.54\\bin\\gswin32c.exe -q -dBATCH -dNOPAUSE -dSAFER "
                                        L"-sDEVICE=pdfwrite \"-sOutputFile=" +
                                        pdf.wstring() + L"\" \"" + file.wstring() + L"\"");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u);
    const std::string converted = testenv::ReadFileBytes(pdf);
    EXPECT_NE(converted.find("/Subject(Sales :-\\()"), std::string::npos);
    EXPECT_NE(converted.find("/Title(Report \\(final\\))"), std::string::npos);

    // Shown again: the file's new values; Esc closes without writing.
    gauge.clear();
    WhenShown escape(form, [&] {
        shown = Fields();
        form.DI1Edit1.SetText(L"not saved");
        guidriver::PostKey(form.DI1Edit1.Handle(), VK_ESCAPE);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(shown.title, L"Report (final)");
    EXPECT_EQ(shown.subject, L"Sales :-(");
    EXPECT_EQ(shown.keywords, L"Umsatz, M\u00e4rz");
    EXPECT_EQ(testenv::ReadFileBytes(file), saved);
    EXPECT_EQ(gauge.front(), 0);
    EXPECT_EQ(gauge.back(), 0);
}

TEST_F(DokuInfoDialogTest, ApplicationFieldSurvivesAFileWithoutOneAndReadFailuresEndTheCommand) {
    const fs::path bare = folder / L"bare.prn";
    testenv::WriteFileBytes(bare, "%!PS\r\n%%Title: Bare\r\n%%EndComments\r\nshowpage\r\n");
    form.DI2Edit3.SetText(L"Earlier application");
    form.DI1Edit2.SetText(L"Earlier author");
    form.FileName = bare.wstring();
    Seen shown;
    WhenShown look(form, [&] {
        shown = Fields();
        guidriver::Click(form.BitBtn2.Handle());
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(shown.title, L"Bare");
    EXPECT_EQ(shown.author, L"") << "cleared at every showing";
    EXPECT_EQ(shown.creator, L"Earlier application");

    MessageBoxRecorder boxes;
    form.FileName = (folder / L"gone.ps").wstring();
    EXPECT_EQ(form.ShowModal(), mrCancel);
    ASSERT_EQ(boxes.Records.size(), 1u);
    EXPECT_EQ(boxes.Records[0].Type, TMsgDlgType::mtError);
    EXPECT_NE(boxes.Records[0].Text.find(L"gone.ps"), std::wstring::npos);
    EXPECT_FALSE(fs::exists(folder / L"gone.ps"));
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST(DokuInfoCommand, F3OpensOnlyForTheFirstSelectedNonPdfFileOfTheFocusedPane) {
    testenv::TempDir folder(L"f3");
    for (const wchar_t* name : {L"a.ps", L"b.PDF", L"c.prn", L"d.pdf.ps"}) {
        testenv::WriteFileBytes(folder / name, "%!PS\n");
    }
    fs::create_directory(folder / L"sub.ps");
    testenv::FakeFilePane pane(folder.path().wstring());
    const std::wstring base = folder.path().wstring() + L"\\";

    struct Case {
        std::vector<const wchar_t*> selected;
        bool focused;
        std::wstring file;
    } cases[] = {
        {{L"a.ps"}, true, base + L"a.ps"},
        {{L"a.ps"}, false, L""},
        {{}, true, L""},
        {{L"b.PDF"}, true, L""},
        {{L"b.PDF", L"c.prn"}, true, L""}, // only the first selected item (in list order) counts
        {{L"a.ps", L"b.PDF"}, true, base + L"a.ps"},
        {{L"d.pdf.ps"}, true, base + L"d.pdf.ps"},
        {{L"sub.ps"}, true, L""},
        {{L".."}, true, L""},
    };
    for (const auto& c : cases) {
        pane.ClearSelection();
        for (const wchar_t* name : c.selected)
            ASSERT_TRUE(pane.Select(name)) << name;
        EXPECT_EQ(DocInfoCommandFile(pane, c.focused), c.file)
            << (c.selected.empty() ? L"(none)" : c.selected[0]) << " focused " << c.focused;
    }
    TDokuInfo1_Form form;
    pane.ClearSelection();
    pane.Select(L"b.PDF");
    EXPECT_EQ(ShowDocInfoDialog(form, pane, true), mrNone);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}
