#include "ConversionFixture.h"

#include "app/main/LanguageTexts.h"

#include <windows.h>

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
            world.dialog.GhostscriptProgram.clear();
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
        world.dialog.OutputType = outputType;
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

TEST(Starters, FileHandedOverIsConvertedAloneWithoutMovingThePanes) {
    PassWorld world;
    testenv::TempDir elsewhere(L"handed");
    WriteFileBytes(elsewhere / L"a.ps", PostScriptPages(1));
    WriteFileBytes(elsewhere / L"b.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"c.ps", PostScriptPages(1));
    world.Reload();
    world.window.timerEnabled = true; // automatic mode: still no box for a handed-over file
    world.window.checkIndicator = true;

    EXPECT_EQ(world.pass->ConvertSingleFile((elsewhere / L"b.ps").wstring()), SingleFileResult::Converted);

    ASSERT_EQ(world.GsCommandLines().size(), 1u);
    EXPECT_TRUE(fs::exists(world.out / L"b.pdf"));
    EXPECT_FALSE(fs::exists(world.out / L"a.pdf"));
    EXPECT_FALSE(fs::exists(world.out / L"c.pdf"));
    EXPECT_EQ(world.inputPane->Directory(), world.in.wstring()) << "the input pane stays where it was";
    EXPECT_EQ(world.outputPane->Directory(), world.out.wstring());
    EXPECT_TRUE(world.window.messages.empty());
}

TEST(Starters, FileHandedOverThatCannotBeConvertedSaysWhy) {
    struct Case {
        const char* what;
        const wchar_t* name; // below the input folder
        SingleFileResult result;
        const wchar_t* memo; // a text the memo must hold
    };
    const Case cases[] = {
        {"missing", L"missing.ps", SingleFileResult::NotFound, L"File not found! "},
        {"a folder", L"sub", SingleFileResult::NotFound, L"File not found! "},
        {"held by its writer", L"held.ps", SingleFileResult::Busy, L"File still being written, later: "},
        {"broken", L"broken.ps", SingleFileResult::Failed, L"Conversion failed! "},
    };
    for (const Case& c : cases) {
        PassWorld world;
        world.window.logOn = true;
        fs::create_directory(world.in / L"sub");
        WriteFileBytes(world.in / L"held.ps", PostScriptPages(1));
        WriteFileBytes(world.in / L"broken.ps", PostScriptPages(1) + "this_is_undefined\n");
        HANDLE held = CreateFileW((world.in / L"held.ps").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const std::wstring path = (world.in / c.name).wstring();

        EXPECT_EQ(world.pass->ConvertSingleFile(path), c.result) << c.what;

        CloseHandle(held);
        EXPECT_NE(world.window.memo.find(c.memo + path), std::wstring::npos) << c.what;
        EXPECT_FALSE(world.window.status.empty()) << c.what;
        EXPECT_TRUE(world.window.messages.empty()) << c.what;
        EXPECT_TRUE(fs::is_empty(world.out)) << c.what;
        if (c.result != SingleFileResult::Busy) {
            std::string log;
            for (const auto& line : world.LogLines()) {
                log += line + "\n";
            }
            EXPECT_NE(log.find(fs::path(path).string()), std::string::npos) << c.what << "\n" << log;
        }
    }
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
    world.dialog.OutputType = GsOutputTiffG4;
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
        world.dialog.GhostscriptProgram.clear();
        world.pass->TimerbuttonClick();
        ASSERT_EQ(world.window.messages.size(), 1u);
        EXPECT_EQ(world.window.messages[0].text, Texts().Get(L"MESSAGE3"));
        EXPECT_FALSE(world.window.timerEnabled);
    }
}

TEST(Starters, TimerPassReturnsPanesToTheStoredFolders) {
    for (int startMode : {0, 2}) {
        PassWorld world;
        testenv::TempDir other(L"stored");
        fs::create_directories(other / L"in");
        fs::create_directories(other / L"out");
        WriteFileBytes(other / L"in" / L"s.ps", PostScriptPages(1));
        WriteFileBytes(world.in / L"pane.ps", PostScriptPages(1));
        world.main.StartMode = startMode;
        world.StoreFolders((other / L"in").wstring(), (other / L"out").wstring());
        world.Reload();
        world.pass->Timer1Timer();
        EXPECT_EQ(world.inputPane->Directory(), (other / L"in").wstring());
        EXPECT_EQ(world.outputPane->Directory(), (other / L"out").wstring());
        EXPECT_TRUE(fs::exists(other / L"out" / L"s.pdf"));
        EXPECT_TRUE(fs::is_empty(world.out)) << "the file the pane showed is not converted";
        EXPECT_EQ(world.GsCommandLines().size(), 1u);
    }
}

TEST(Starters, TakenRenameTargetIsReportedAndThePassGoesOn) {
    for (bool manual : {true, false}) {
        PassWorld world;
        world.window.logOn = true;
        WriteFileBytes(world.in / L"x%y.ps", PostScriptPages(1));
        WriteFileBytes(world.in / L"x!y.ps", "already there");
        WriteFileBytes(world.in / L"z.ps", PostScriptPages(1));
        world.Reload();
        world.inputPane->Select(L"x%y.ps");
        world.inputPane->Select(L"z.ps");
        if (manual) {
            world.pass->PDF_ErstellungClick();
        } else {
            world.pass->Timer1Timer();
        }
        // The timer's pass also takes x!y.ps, which fails in Ghostscript on its own; x%y.ps never runs.
        auto lines = world.GsCommandLines();
        ASSERT_EQ(lines.size(), manual ? 1u : 2u);
        EXPECT_TRUE(lines.back().ends_with(L"z.ps\""));
        EXPECT_TRUE(fs::exists(world.in / L"x%y.ps"));
        EXPECT_EQ(testenv::ReadFileBytes(world.in / L"x!y.ps"), "already there");
        EXPECT_TRUE(fs::exists(world.out / L"z.pdf"));
        EXPECT_TRUE(world.window.messages.empty());
        const std::wstring report = L"File cannot be prepared! " + (world.in / L"x%y.ps").wstring();
        EXPECT_NE(world.window.memo.find(report), std::wstring::npos) << "the memo names the file";
        std::string log;
        for (const auto& line : world.LogLines()) {
            log += line + "\n";
        }
        EXPECT_NE(log.find("File cannot be prepared! " + (world.in / L"x%y.ps").string()), std::string::npos) << log;
        EXPECT_TRUE(world.window.startEnabled);
        EXPECT_FALSE(world.pass->PassRunning());
        EXPECT_FALSE(world.pass->ManualPassActive);
    }
}

} // namespace
