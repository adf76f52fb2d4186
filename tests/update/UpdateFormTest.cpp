// The update window under Wine: what it shows after each showing's check, its keys and its buttons. The maker's
// server is a scratch folder reached through a file:// address; the download page is recorded, not opened.
#include "UpdateTestSupport.h"

#include "app/dialogs/Update_Unit.h"
#include "app/main/LanguageTexts.h"
#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace gui;

namespace {

using testenv::WhenShown;

void LoadTexts(const wchar_t* file) {
    Texts().Clear();
    LoadLanguageFile(Texts(), testenv::SourceDir() / L"lang" / file);
}

struct ShownTexts {
    std::wstring Caption, Label1, DateiL, Label3, DateiLExt, EditText, BitBtn1;
    bool CloseButtonFocused = false;
};

ShownTexts Read(const TUpdate_Form& f) {
    return {guidriver::WindowText(f.Handle()),           guidriver::WindowText(f.Label1.Handle()),
            guidriver::WindowText(f.DateiL.Handle()),    guidriver::WindowText(f.Label3.Handle()),
            guidriver::WindowText(f.DateiLExt.Handle()), guidriver::WindowText(f.EditText.Handle()),
            guidriver::WindowText(f.BitBtn1.Handle()),   GetFocus() == f.BitBtn2.Handle()};
}

class UpdateFormTest : public testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        form.Check().Address = updatetest::FileUrl(server / L"update.ini");
        form.OpenPage = [this](const std::wstring& address) { opened.push_back(address); };
    }
    void TearDown() override { LoadTexts(L"Deutsch.plf"); }

    testenv::TempDir server{L"srv"};
    testenv::TempDir program{L"prg"};
    TUpdate_Form form{program.path(), L"1.2.3.4"};
    std::vector<std::wstring> opened;
};

TEST_F(UpdateFormTest, ShowsBothVersionsAndTheStatusInTheLanguageOfTheTextsAndClosesOnEsc) {
    LoadTexts(L"Deutsch.plf");
    // The German texts the window is built from are there and tell the states apart.
    for (const wchar_t* key : {L"MHC3", L"UPD1", L"UPD3", L"UPD4", L"UPD5", L"UPD6", L"UPD7", L"UPD8"})
        ASSERT_FALSE(Texts().Get(key).empty()) << key;
    ASSERT_NE(Texts().Get(L"UPD3"), Texts().Get(L"UPD4"));
    testenv::WriteFileBytes(server / L"update.ini", "[Version]\r\nOstrel=1.2.3.5\r\n");

    ShownTexts shown;
    WhenShown steps(form, [&] {
        shown = Read(form);
        // With OSTREL_UPDATE_GALLERY_MS set the window stays that long, for a screenshot.
        if (const char* ms = std::getenv("OSTREL_UPDATE_GALLERY_MS"))
            guidriver::PumpUntil([] { return false; }, static_cast<DWORD>(std::atoi(ms)),
                                 [] { Application.ProcessMessages(); });
        guidriver::PostKey(form.BitBtn2.Handle(), VK_ESCAPE);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));

    EXPECT_EQ(shown.Caption, Texts().Get(L"MHC3"));
    EXPECT_EQ(shown.Label1, L"Sie benutzen die Ostrel-Dateiversion:");
    EXPECT_EQ(shown.Label3, L"Die aktuellste Ostrel-Dateiversion ist:");
    EXPECT_EQ(shown.BitBtn1, L"Zur Downloadseite");
    EXPECT_EQ(shown.DateiL, L"1.2.3.4");
    EXPECT_EQ(shown.DateiLExt, L"1.2.3.5");
    EXPECT_EQ(shown.EditText, Texts().Get(L"UPD4"));
    EXPECT_TRUE(shown.CloseButtonFocused);
    EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateFormTest, EveryShowingChecksAgainAndTheDownloadButtonOpensThePageAndCloses) {
    LoadTexts(L"Deutsch.plf");
    testenv::WriteFileBytes(server / L"update.ini", "[Version]\r\nOstrel=1.2.3.4\r\n");
    // A first check before the window shows (as a previous showing would have done).
    form.CheckForNewVersion();
    ASSERT_EQ(form.EditText.Text(), Texts().Get(L"UPD3"));

    // The file is gone now, and the texts are English: the showing checks afresh and keeps the last version read.
    DeleteFileW((server / L"update.ini").c_str());
    LoadTexts(L"English.plf");
    ShownTexts shown;
    WhenShown steps(form, [&] {
        shown = Read(form);
        guidriver::Click(form.BitBtn1.Handle());
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));

    EXPECT_EQ(shown.Caption, L"Check for a new version...");
    EXPECT_EQ(shown.Label1, L"You are using the Ostrel file version:");
    EXPECT_EQ(shown.BitBtn1, L"To the download page");
    EXPECT_EQ(shown.EditText, Texts().Get(L"UPD5"));
    EXPECT_EQ(shown.DateiL, L"1.2.3.4");
    EXPECT_EQ(shown.DateiLExt, L"1.2.3.4");
    EXPECT_EQ(opened, std::vector<std::wstring>{DownloadPageAddress()});
}

} // namespace
