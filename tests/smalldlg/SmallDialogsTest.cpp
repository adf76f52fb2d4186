// The small dialogs as real windows: the texts they show in both languages, how they answer Esc, Enter and their
// buttons, and where the about box's links go (the shell call is replaced by a recorder).
#include "app/common/AboutBox.h"
#include "app/common/Sprachhinweis_Unit.h"
#include "app/dialogs/SmallDialogs.h"
#include "app/main/LanguageTexts.h"
#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace gui;

namespace {

using testenv::PumpUntil;

// A form that does not close within the deadline fails the case instead of hanging the whole program.
struct WhenShown : testenv::WhenShown {
    WhenShown(TForm& form, std::function<void()> steps)
        : testenv::WhenShown(form, std::move(steps), Guard::HideAfterDeadline) {}
};

void LoadTexts(const wchar_t* file) {
    Texts().Clear();
    LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / file);
}

struct OpenedLink {
    HWND Parent;
    std::wstring Address;
};

// Records every address the about box hands to the shell instead of starting a browser or mail client.
class LinkRecorder {
public:
    LinkRecorder() {
        previous_ = SetShellOpenHook([this](HWND parent, const std::wstring& address) {
            Links.push_back({parent, address});
            return true;
        });
    }
    ~LinkRecorder() { SetShellOpenHook(previous_); }
    std::vector<OpenedLink> Links;

private:
    TShellOpenHook previous_;
};

class SmallDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        LoadTexts(L"Deutsch.plf");
    }
};

// --- texts, without showing ------------------------------------------------------------------------------------

class LanguageTextsTest : public SmallDialogsTest, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(LanguageTextsTest, DialogsTakeTheirTextsFromTheLanguageFileWhenShown) {
    LoadTexts(GetParam());
    ASSERT_FALSE(Texts().Get(L"INFOCAP").empty()) << "the language file lacks the about box";

    TInfo_Form info;
    info.FormShow();
    EXPECT_EQ(info.Caption(), Texts().Get(L"INFOCAP"));
    EXPECT_EQ(info.FragenL.Text(), Texts().Get(L"FRAGEN"));
    EXPECT_EQ(info.HaftungL.Text(), Texts().Get(L"HAFTUNG"));
    EXPECT_EQ(info.MailL.Hint(), Texts().Get(L"MAILH"));
    EXPECT_EQ(info.InternetL.Hint(), Texts().Get(L"INTERNETH"));

    TBeenden_Form ende;
    ende.FormShow();
    EXPECT_EQ(ende.Caption(), Texts().Get(L"PRGENDE"));
    EXPECT_EQ(ende.BeendenL.Text(), Texts().Get(L"ENDECAP"));
    EXPECT_EQ(ende.JaBitBtn.Caption(), Texts().Get(L"OK"));
    EXPECT_EQ(ende.NeinBitBtn.Caption(), Texts().Get(L"ABBRECHEN"));

    TAnleitung_Form anleitung;
    anleitung.FormShow();
    EXPECT_EQ(anleitung.Caption(), Texts().Get(L"ANLEITCAP"));
    const wchar_t* keys[] = {L"AT1", L"AT2", L"AT3", L"AT4", L"AT5", L"AT6"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_FALSE(Texts().Get(keys[i]).empty()) << i;
        EXPECT_EQ(anleitung.TextLabels()[i]->Text(), Texts().Get(keys[i])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageTextsTest, testing::Values(L"Deutsch.plf", L"English.plf"));

TEST_F(SmallDialogsTest, MissingKeysGiveEmptyTextsNotTheDesignTexts) {
    Texts().Clear();
    TBeenden_Form ende;
    EXPECT_EQ(ende.Caption(), L"Ostrel beenden?") << "the design caption before the first showing";
    ende.FormShow();
    EXPECT_EQ(ende.Caption(), L"");
    EXPECT_EQ(ende.BeendenL.Text(), L"");
}

TEST_F(SmallDialogsTest, FixedDialogsCarryTheirClassNamesAndTexts) {
    TSprachhinweis_Form hinweis;
    TInfo_Sprache_Form sprache;
    TStartbild_Form startbild;
    TIntroWin intro;
    TInfo_Form info;
    TBeenden_Form ende;
    TAnleitung_Form anleitung;
    struct Case {
        TForm& form;
        const wchar_t* className;
    } cases[] = {{hinweis, L"TSprachhinweis_Form"},
                 {sprache, L"TInfo_Sprache_Form"},
                 {startbild, L"TStartbild_Form"},
                 {intro, L"TIntroWin"},
                 {info, L"TInfo_Form"},
                 {ende, L"TBeenden_Form"},
                 {anleitung, L"TAnleitung_Form"}};
    for (const Case& c : cases) {
        EXPECT_EQ(guidriver::ClassName(c.form.Handle()), c.className);
        if (&c.form != &intro) {
            EXPECT_TRUE(c.form.KeyPreview) << guidriver::ClassName(c.form.Handle());
            EXPECT_EQ(c.form.BorderStyle(), TFormBorderStyle::bsDialog);
        }
    }
    EXPECT_EQ(hinweis.Caption(), L"Sprache, Language");
    EXPECT_EQ(hinweis.Label1.Text(), L"- Sie haben die Sprache gewechselt. Bitte starten Sie Ostrel neu!");
    EXPECT_EQ(hinweis.Label2.Text(), L"- You have chosen the Language. Please restart Ostrel!");
    EXPECT_EQ(hinweis.JaBitBtn.Caption(), L"Ok");
    EXPECT_EQ(sprache.Caption(), L"Ostrel - Keine Sprachdatei gefunden!");
    EXPECT_EQ(sprache.Memo1.Text(), NoLanguageFileText);
    EXPECT_TRUE(sprache.Memo1.ReadOnly());
    for (const wchar_t* part : {L"\"Deutsch.plf\"", L"\"English.plf\"", L"Sprachdatei", L"language file"})
        EXPECT_NE(sprache.Memo1.Text().find(part), std::wstring::npos) << part;
    EXPECT_EQ(startbild.Caption(), L"Ostrel: Der erste Start - the first start");
    EXPECT_TRUE(startbild.Memo1.ReadOnly());
    for (const wchar_t* part : {L"Ghostscript", L"8.50", L"\"Kurzanleitung.pdf\"", L"\"gswin32c.exe\""})
        EXPECT_NE(startbild.Memo1.Text().find(part), std::wstring::npos) << part;
    EXPECT_EQ(intro.Label1.Text(), L"Einstellungen werden geladen...");
    EXPECT_EQ(intro.Label2.Text(), L"Settings are loaded...");
    EXPECT_EQ(intro.ProductL.Text(), L"Ostrel");
}

// --- exit question ---------------------------------------------------------------------------------------------

struct ExitCase {
    const char* name;
    std::function<void(TBeenden_Form&)> answer;
    TModalResult expected;
};

TEST_F(SmallDialogsTest, ExitQuestionAnswers) {
    TBeenden_Form ende;
    const ExitCase cases[] = {
        {"Enter presses the focused OK", [](TBeenden_Form& f) { guidriver::PostKey(f.JaBitBtn.Handle(), VK_RETURN); },
         mrOk},
        {"Esc cancels", [](TBeenden_Form& f) { guidriver::PostKey(f.JaBitBtn.Handle(), VK_ESCAPE); }, mrCancel},
        {"Abbrechen cancels", [](TBeenden_Form& f) { guidriver::Click(f.NeinBitBtn.Handle()); }, mrCancel},
    };
    for (const ExitCase& c : cases) {
        bool focusOnJa = false;
        WhenShown shown(ende, [&] {
            focusOnJa = PumpUntil([&] { return ende.JaBitBtn.Focused(); }, 2000);
            c.answer(ende);
        });
        EXPECT_EQ(ende.ShowModal(), c.expected) << c.name;
        EXPECT_TRUE(focusOnJa) << c.name;
        EXPECT_FALSE(IsWindowVisible(ende.Handle())) << c.name;
    }
}

// --- about box -------------------------------------------------------------------------------------------------

TEST_F(SmallDialogsTest, AboutBoxLinksOpenTheMakersAddressesAndEscCloses) {
    TForm mainWindow(L"TSmallDlgMain");
    TForm* previousMain = Application.MainForm();
    Application.SetMainForm(&mainWindow);
    LinkRecorder recorder;
    TInfo_Form info;
    std::wstring shownCaption;
    WhenShown shown(info, [&] {
        shownCaption = guidriver::WindowText(info.Handle());
        guidriver::Click(info.MailL.Handle());
        guidriver::Click(info.InternetL.Handle());
        guidriver::Click(info.Label1.Handle());
        PumpUntil([&] { return recorder.Links.size() == 3; });
        guidriver::PostKey(info.OKBitBtn.Handle(), VK_ESCAPE);
    });
    TModalResult result = info.ShowModal();
    Application.SetMainForm(previousMain);

    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(shownCaption, Texts().Get(L"INFOCAP"));
    ASSERT_EQ(recorder.Links.size(), 3u);
    EXPECT_EQ(recorder.Links[0].Address, std::wstring(L"mailto:") + MakerMailAddress + L"?subject=Ostrel");
    EXPECT_EQ(recorder.Links[0].Parent, mainWindow.Handle()) << "the mail belongs to the main window";
    EXPECT_EQ(recorder.Links[1].Address, MakerHomePage);
    EXPECT_EQ(recorder.Links[2].Address, MakerForumPage);
    EXPECT_NE(std::wstring(MakerHomePage), std::wstring(MakerForumPage));
}

// --- instructions and notices ----------------------------------------------------------------------------------

struct CloseCase {
    const char* name;
    TForm* form;
    TControl* keyTarget;
    WORD key;
    TModalResult expected;
};

TEST_F(SmallDialogsTest, InstructionsAndNoticesCloseOnEscAndOk) {
    TAnleitung_Form anleitung;
    TInfo_Sprache_Form sprache;
    TStartbild_Form startbild;
    const CloseCase cases[] = {
        {"instructions, Esc", &anleitung, &anleitung.JaBitBtn, VK_ESCAPE, mrCancel},
        {"missing language, Esc", &sprache, &sprache.Memo1, VK_ESCAPE, mrCancel},
        // Enter goes where the focus is: the notices put it on their OK button.
        {"missing language, Enter", &sprache, nullptr, VK_RETURN, mrOk},
        {"first start, Enter", &startbild, nullptr, VK_RETURN, mrOk},
    };
    for (const CloseCase& c : cases) {
        WhenShown shown(*c.form, [&] {
            // The focus of the dialog shown before may linger for a moment: wait until this one has it.
            const HWND dialog = c.form->Handle();
            PumpUntil(
                [&] {
                    const HWND focus = GetFocus();
                    return focus && (focus == dialog || IsChild(dialog, focus));
                },
                2000);
            HWND target = c.keyTarget ? c.keyTarget->Handle() : GetFocus();
            guidriver::PostKey(target, c.key);
        });
        EXPECT_EQ(c.form->ShowModal(), c.expected) << c.name;
    }
    EXPECT_EQ(anleitung.AT6.Text(), Texts().Get(L"AT6")) << "the instructions showed the language texts";
}

TEST_F(SmallDialogsTest, RestartNoticeEscOnlyClosesOkEndsTheProgram) {
    TSprachhinweis_Form hinweis;
    int ends = 0;
    hinweis.EndProgram = [&] { ++ends; };

    WhenShown esc(hinweis, [&] { guidriver::PostKey(hinweis.JaBitBtn.Handle(), VK_ESCAPE); });
    hinweis.ShowModal();
    EXPECT_EQ(ends, 0) << "Esc leaves the program running";
    EXPECT_FALSE(IsWindowVisible(hinweis.Handle()));

    WhenShown ok(hinweis, [&] { guidriver::Click(hinweis.JaBitBtn.Handle()); });
    hinweis.ShowModal();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(IsWindowVisible(hinweis.Handle()));
}

// --- splash ----------------------------------------------------------------------------------------------------

TEST_F(SmallDialogsTest, SplashIsBorderlessAndCentredOnTheScreen) {
    TIntroWin intro;
    intro.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(intro.Handle()) != FALSE; }));
    RECT r{};
    GetWindowRect(intro.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 280);
    EXPECT_EQ(r.bottom - r.top, 137);
    EXPECT_EQ(GetWindowLongPtrW(intro.Handle(), GWL_STYLE) & WS_CAPTION, 0);
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(r.left, (screenW - 280) / 2, 1);
    EXPECT_NEAR(r.top, (screenH - 137) / 2, 1);
    intro.Hide();
}

} // namespace
