#include "ConversionFixture.h"

#include "app/main/LanguageTexts.h"

#include <gtest/gtest.h>

namespace {

using convtest::PassWorld;
using convtest::PostScriptPages;
using testenv::WriteFileBytes;
namespace fs = std::filesystem;

const std::wstring kFolders = L"Verzeichnisse werden nicht unterst\u00fctzt!\r\rFolders are not supported!";

TEST(Starters, ManualStartRefusals) {
    struct Case {
        const char* what;
        bool emptyProgram;
        const wchar_t* select; // nullptr: nothing selected
        ConversionWindow::Box box;
        const wchar_t* key; // nullptr: the folders message
    };
    for (const Case& c : {Case{"no program", true, L"a.ps", ConversionWindow::Box::Information, L"MESSAGE3"},
                          Case{"nothing selected", false, nullptr, ConversionWindow::Box::Information, L"MESSAGE4"},
                          Case{"folder selected", false, L"sub", ConversionWindow::Box::Error, nullptr}}) {
        PassWorld world;
        const std::wstring text = c.key ? Texts().Get(c.key) : kFolders;
        if (c.emptyProgram) {
            world.dialog.Edit1.clear();
        }
        WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
        fs::create_directory(world.in / L"sub");
        world.Reload();
        if (c.select) {
            world.inputPane->Select(c.select);
        }
        world.pass->PDF_ErstellungClick();
        ASSERT_EQ(world.window.messages.size(), 1u) << c.what;
        EXPECT_EQ(world.window.messages[0].box, c.box) << c.what;
        EXPECT_EQ(world.window.messages[0].text, text) << c.what;
        EXPECT_FALSE(text.empty()) << c.what;
        EXPECT_FALSE(world.pass->ManualPassActive) << c.what;
        EXPECT_TRUE(world.GsCommandLines().empty()) << c.what;
    }
}

TEST(Starters, ManualStartRunsAManualPassAndRestoresTheWindow) {
    for (int outputType : {GsOutputPdf, GsOutputJpeg}) {
        PassWorld world;
        world.dialog.AuswahlRG = outputType;
        WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
        WriteFileBytes(world.in / L"b.ps", PostScriptPages(1));
        world.Reload();
        world.inputPane->Select(L"b.ps");
        bool manualDuringPass = false;
        world.window.onPump = [&] {
            manualDuringPass = world.pass->ManualPassActive;
            EXPECT_FALSE(world.window.startEnabled);
            EXPECT_FALSE(world.window.mergeEnabled);
            EXPECT_FALSE(world.window.timerButtonEnabled);
            EXPECT_EQ(world.window.caption, Texts().Get(L"PFG"));
        };
        world.window.mergeEnabled = false;
        world.pass->PDF_ErstellungClick();
        EXPECT_TRUE(manualDuringPass);
        ASSERT_EQ(world.GsCommandLines().size(), 1u) << "only the selected file";
        EXPECT_TRUE(world.GsCommandLines()[0].ends_with(L"b.ps\""));
        EXPECT_FALSE(world.pass->ManualPassActive);
        EXPECT_TRUE(world.window.startEnabled);
        EXPECT_EQ(world.window.mergeEnabled, outputType == GsOutputPdf);
        EXPECT_TRUE(world.window.timerButtonEnabled);
        EXPECT_EQ(world.window.caption, Texts().Get(L"PFA"));
        EXPECT_GE(world.inputPane->reloadCount, 1);
    }
}

TEST(Starters, CommandLineFileIsFocusedAndConverted) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", PostScriptPages(1));
    world.Reload();
    world.pass->PDF_ErstellungClick((world.in / L"b.ps").wstring());
    EXPECT_EQ(world.inputPane->focusedItem, 2);
    ASSERT_EQ(world.GsCommandLines().size(), 1u);
    EXPECT_TRUE(fs::exists(world.out / L"b.pdf"));
    EXPECT_FALSE(fs::exists(world.out / L"a.pdf"));
}

TEST(Starters, TimerButtonSwitchesAutomaticModeOnAndOff) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();

    world.pass->TimerbuttonClick();
    EXPECT_TRUE(world.window.timerEnabled);
    EXPECT_TRUE(world.window.checkIndicator);
    EXPECT_FALSE(world.pass->StopRequested);
    EXPECT_FALSE(world.window.startEnabled);
    EXPECT_FALSE(world.window.mergeEnabled);
    EXPECT_EQ(world.window.caption, Texts().Get(L"PFG"));
    EXPECT_EQ(world.window.timerButtonText, Texts().Get(L"TBH"));
    EXPECT_EQ(world.window.timerButtonHint, Texts().Get(L"TBHINT2"));

    world.pass->Timer1Timer(); // a tick converts the folder
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
    EXPECT_TRUE(world.window.timerEnabled);

    world.pass->TimerbuttonClick();
    EXPECT_FALSE(world.window.timerEnabled);
    EXPECT_FALSE(world.window.checkIndicator);
    EXPECT_TRUE(world.pass->StopRequested);
    EXPECT_TRUE(world.window.startEnabled);
    EXPECT_TRUE(world.window.mergeEnabled);
    EXPECT_EQ(world.window.caption, Texts().Get(L"PFA"));
    EXPECT_EQ(world.window.timerButtonText, Texts().Get(L"TBS"));

    // JPEG and TIFF output cannot be merged.
    world.dialog.AuswahlRG = GsOutputTiffG4;
    world.pass->TimerbuttonClick();
    world.pass->TimerbuttonClick();
    EXPECT_FALSE(world.window.mergeEnabled);
}

TEST(Starters, TimerButtonRefusesFoldersEqualFoldersAndMissingProgram) {
    {
        PassWorld world;
        fs::create_directory(world.in / L"sub");
        world.Reload();
        world.inputPane->Select(L"sub");
        world.pass->TimerbuttonClick();
        ASSERT_EQ(world.window.messages.size(), 1u);
        EXPECT_EQ(world.window.messages[0].text, kFolders);
        EXPECT_TRUE(world.inputPane->SelectedCaptions().empty());
        EXPECT_FALSE(world.window.timerEnabled);
    }
    {
        PassWorld world;
        world.outputPane->SetDirectory(world.in.wstring());
        world.pass->TimerbuttonClick();
        ASSERT_EQ(world.window.messages.size(), 1u);
        EXPECT_EQ(world.window.messages[0].text, Texts().Get(L"MESSAGE2"));
        EXPECT_FALSE(world.window.timerEnabled);
    }
    {
        PassWorld world;
        world.dialog.Edit1.clear();
        world.pass->TimerbuttonClick();
        ASSERT_EQ(world.window.messages.size(), 1u);
        EXPECT_EQ(world.window.messages[0].text, Texts().Get(L"MESSAGE3"));
        EXPECT_FALSE(world.window.timerEnabled);
    }
}

TEST(Starters, AutomaticStartModeReturnsPanesToTheStoredFolders) {
    PassWorld world;
    testenv::TempDir other(L"stored");
    fs::create_directories(other / L"in");
    fs::create_directories(other / L"out");
    WriteFileBytes(other / L"in" / L"s.ps", PostScriptPages(1));
    world.main.StartMode = 0;
    world.pass->ReadStoredFolders = [&] { return std::pair{(other / L"in").wstring(), (other / L"out").wstring()}; };
    world.window.inputPath = (other / L"in").wstring(); // the path boxes follow the trees in the window
    world.window.outputPath = (other / L"out").wstring();
    world.RunPass(false);
    EXPECT_EQ(world.inputPane->Directory(), (other / L"in").wstring());
    EXPECT_EQ(world.outputPane->Directory(), (other / L"out").wstring());
    EXPECT_TRUE(fs::exists(other / L"out" / L"s.pdf"));
}

TEST(Starters, FailedRenameEndsThePassAndTheStarterSwallowsIt) {
    PassWorld world;
    WriteFileBytes(world.in / L"x%y.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"x!y.ps", "already there");
    world.Reload();
    world.inputPane->Select(L"x%y.ps");
    world.pass->PDF_ErstellungClick();
    EXPECT_TRUE(world.GsCommandLines().empty());
    EXPECT_TRUE(fs::exists(world.in / L"x%y.ps"));
    EXPECT_EQ(testenv::ReadFileBytes(world.in / L"x!y.ps"), "already there");
    EXPECT_TRUE(world.window.messages.empty()) << "the pass ends without a message box";
    EXPECT_FALSE(world.window.memo.empty()) << "but the memo tells why";
    EXPECT_TRUE(world.window.startEnabled);
    EXPECT_EQ(world.window.caption, Texts().Get(L"PFA"));
    EXPECT_FALSE(world.pass->PassRunning());
    EXPECT_FALSE(world.pass->ManualPassActive);
}

} // namespace
