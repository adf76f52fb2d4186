// The installer's windows, made as the installer makes them (CreateSetupForms), judged by LayoutCheck. The
// installer speaks German only.
#include "LayoutCheck.h"

#include "app/common/Sprachhinweis_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "installer/setup/Ostrel_Setup_Form.h"
#include "installer/setup/SetupForms.h"
#include "installer/setup/SetupProgram.h"
#include "support/FormSteps.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

// The language menu's items are captioned with their names, and so is the download notice.
const std::wstring kSetupOwnCaptions[] = {L"Deutsch", L"English", L"Download"};

void ExpectShownLaidOut(gui::TForm& form, const std::string& what) {
    if (!IsWindowVisible(form.Handle()))
        form.Show();
    testenv::PumpUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; });
    gui::Application.ProcessMessages();
    layout::SaveScreenshot(form.Handle(), what);
    for (const std::string& fault : layout::LayoutCheck({}, kSetupOwnCaptions).Check(form, what))
        ADD_FAILURE() << fault;
}

TEST(SetupLayout, EveryWindow) {
    gui::MessageBoxRecorder boxes; // the missing manual and the registry reads report in boxes
    testenv::TempDir folder{L"setuplayout"};
    TOstrel_Setup* setup = CreateSetupForms(folder.path().wstring() + L"\\");
    ExpectShownLaidOut(*setup, "setup-main");
    const auto shown = reinterpret_cast<HICON>(SendMessageW(setup->Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(shown, LoadIconW(GetModuleHandleW(nullptr), L"OSTREL_SETUP")) << "the window shows the installer's icon";
    setup->Edit1.SetText(GhostscriptInstalledNotice);
    setup->Edit2.SetText(RedMonInstalledNotice);
    ExpectShownLaidOut(*setup, "setup-main-installed");

    setup->Anleitung->RichEdit1.LoadRtf("{\\rtf1 {\\b Ostrel-Setup} - Anleitung\\par Schritt 1\\par Schritt 2}");
    ExpectShownLaidOut(*setup->Anleitung, "setup-manual");
    setup->Anleitung->Hide();
    ExpectShownLaidOut(*setup->Download, "setup-download");
    setup->Download->Hide();
    ExpectShownLaidOut(*setup->Info, "setup-about");
    setup->Info->Hide();
    ExpectShownLaidOut(*setup->Sprachhinweis, "setup-restart-notice");
    setup->Sprachhinweis->Hide();
    gui::Application.DestroyForms();
}

} // namespace
