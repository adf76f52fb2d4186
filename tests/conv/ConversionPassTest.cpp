#include "ConversionFixture.h"

#include "app/main/LanguageTexts.h"
#include "support/HostProcesses.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using convtest::kGs;
using convtest::PassWorld;
using convtest::PostScriptPages;
using convtest::W;
using testenv::ReadFileBytes;
using testenv::WriteFileBytes;
namespace fs = std::filesystem;

bool StartsWith(const std::string& bytes, const std::string& magic) {
    return bytes.rfind(magic, 0) == 0;
}

// --- command lines and real outputs per output type ---------------------------------------------------------

struct TypeCase {
    const char* what;
    int outputType;
    bool pageFlag;
    int pages;
    std::wstring switches;             // what follows the program and one blank, before -sOutputFile
    std::vector<std::wstring> outputs; // files expected in the output folder
    std::string magic;                 // their first bytes
};

class OutputTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(OutputTypes, CommandLineAndOutputFromRealPostScript) {
    const TypeCase& c = GetParam();
    PassWorld world;
    world.dialog.OutputType = c.outputType;
    world.dialog.FilePerPage = c.pageFlag;
    world.dialog.MayChangePdfLevel = 0; // the level may be changed: the PDF command carries it
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(c.pages));
    world.Reload();

    world.RunPass(false);

    const std::wstring outputName =
        c.pageFlag ? L"a_%03d" + c.outputs[0].substr(c.outputs[0].size() - 4) : c.outputs[0];
    auto lines = world.GsCommandLines();
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_EQ(lines[0], L"\"" + kGs + L"\" " + c.switches + L" -sOutputFile=\"" + W(world.out / outputName) + L"\" \"" +
                            W(world.in / L"a.ps") + L"\"")
        << c.what;
    for (const auto& name : c.outputs) {
        ASSERT_TRUE(fs::exists(world.out / name)) << c.what << " " << fs::path(name).string();
        EXPECT_TRUE(StartsWith(ReadFileBytes(world.out / name), c.magic)) << c.what;
    }
    EXPECT_EQ(world.window.memo, lines[0] + L"\r\n") << c.what;
    EXPECT_TRUE(world.window.messages.empty()) << c.what;
    EXPECT_TRUE(fs::exists(world.in / L"a.ps")) << "the pass itself never deletes an input";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputTypes,
    ::testing::Values(
        TypeCase{"pdf",
                 GsOutputPdf,
                 false,
                 1,
                 L"-q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite "
                 L"-dPDFSETTINGS=/default -r300 -dCompatibilityLevel=1.3",
                 {L"a.pdf"},
                 "%PDF"},
        TypeCase{"ps", GsOutputPostScript, false, 1, L"-dNOPAUSE -dBATCH -dSAFER -sDEVICE=pswrite", {L"a.ps"}, "%!PS"},
        TypeCase{"jpeg",
                 GsOutputJpeg,
                 false,
                 1,
                 L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=75 -r300",
                 {L"a.jpg"},
                 "\xFF\xD8"},
        TypeCase{"jpeg pages",
                 GsOutputJpeg,
                 true,
                 2,
                 L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=75 -r300",
                 {L"a_001.jpg", L"a_002.jpg"},
                 "\xFF\xD8"},
        TypeCase{"tiff g4",
                 GsOutputTiffG4,
                 false,
                 1,
                 L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiffg4 -r300",
                 {L"a.tif"},
                 "II*"},
        TypeCase{"tiff lzw",
                 GsOutputTiffLzw,
                 false,
                 1,
                 L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tifflzw -r300",
                 {L"a.tif"},
                 "II*"},
        TypeCase{"tiff 24 pages",
                 GsOutputTiff24,
                 true,
                 2,
                 L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiff24nc -r300",
                 {L"a_001.tif", L"a_002.tif"},
                 "II*"}));

// --- taken items -------------------------------------------------------------------------------------------

struct TakenCase {
    const char* what;
    bool manual;
    bool onlyPsPrn;
    std::vector<std::wstring> selected;
    std::vector<std::wstring> converted;     // inputs named by the command lines, in list order
    std::vector<std::wstring> stillSelected; // selection after the walk, before the pass clears it at its end
};

class TakenItems : public ::testing::TestWithParam<TakenCase> {};

TEST_P(TakenItems, FollowModeAndFilter) {
    const TakenCase& c = GetParam();
    PassWorld world;
    world.dialog.FilePerPage = false;
    world.main.OnlyPsPrn = c.onlyPsPrn;
    WriteFileBytes(world.in / L"a.PS", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.prn", PostScriptPages(1));
    WriteFileBytes(world.in / L"0c.txt", "plain text\n");
    fs::create_directory(world.in / L"folder.ps"); // a folder is never taken
    world.Reload();
    for (const auto& name : c.selected) {
        ASSERT_TRUE(world.inputPane->Select(name)) << c.what;
    }
    std::vector<std::wstring> selectionBeforeEnd;
    world.window.onPump = [&] { selectionBeforeEnd = world.inputPane->SelectedCaptions(); };
    // Ghostscript is told to fail at once: the rules decide what is run, not what comes out.
    convtest::SetVariable(L"OSTREL_GS_EXIT", L"0");

    world.RunPass(c.manual);

    std::vector<std::wstring> converted;
    for (const auto& line : world.GsCommandLines()) {
        converted.push_back(
            fs::path(line.substr(line.rfind(L'\\') + 1, line.size() - line.rfind(L'\\') - 2)).wstring());
    }
    EXPECT_EQ(converted, c.converted) << c.what;
    if (!c.converted.empty()) {
        EXPECT_EQ(selectionBeforeEnd, c.stillSelected) << c.what;
    }
    EXPECT_TRUE(world.inputPane->SelectedCaptions().empty()) << "the pass clears the selection at its end";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakenItems,
    ::testing::Values(
        TakenCase{"automatic, filter on", false, true, {L"0c.txt", L"a.PS"}, {L"a.PS", L"b.prn"}, {L"0c.txt"}},
        TakenCase{"automatic, filter off", false, false, {}, {L"0c.txt", L"a.PS", L"b.prn"}, {}},
        TakenCase{"manual, filter on", true, true, {L"a.PS", L"0c.txt"}, {L"a.PS"}, {L"a.PS"}},
        TakenCase{
            "manual, filter off", true, false, {L"b.prn", L"0c.txt"}, {L"0c.txt", L"b.prn"}, {L"0c.txt", L"b.prn"}},
        TakenCase{"manual, folder selected", true, false, {L"folder.ps"}, {}, {}},
        TakenCase{"manual, nothing selected", true, true, {}, {}, {}}));

TEST(ConversionPass, ManualFilterDeselectsOtherTypesBeforeTheRun) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"0c.txt", "x");
    world.Reload();
    world.inputPane->Select(L"a.ps");
    world.inputPane->Select(L"0c.txt");
    std::vector<std::wstring> atRun;
    world.window.onPump = [&] { atRun = world.inputPane->SelectedCaptions(); };
    world.RunPass(true);
    EXPECT_EQ(atRun, std::vector<std::wstring>{L"a.ps"});
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
}

TEST(ConversionPass, PdfInputIsConvertedWithoutRenameOrPatch) {
    PassWorld world;
    WriteFileBytes(world.in / L"c%1.ps", PostScriptPages(1));
    world.Reload();
    world.RunPass(false); // makes c!1.pdf in the output folder
    ASSERT_TRUE(fs::exists(world.out / L"c!1.pdf"));
    fs::remove(world.in / L"c!1.ps");
    fs::copy_file(world.out / L"c!1.pdf", world.in / L"c%1.pdf");
    fs::remove(world.out / L"c!1.pdf");
    const std::string pdfBefore = ReadFileBytes(world.in / L"c%1.pdf");

    std::vector<std::wstring> patched;
    world.pass->PatchDocumentInfo = [&](const std::wstring& file) { patched.push_back(file); };
    world.dialog.OutputType = GsOutputPostScript;
    world.main.OnlyPsPrn = false;
    world.Reload();
    world.inputPane->Select(L"c%1.pdf");
    world.RunPass(true);

    EXPECT_TRUE(patched.empty());
    EXPECT_EQ(ReadFileBytes(world.in / L"c%1.pdf"), pdfBefore);
    auto lines = world.GsCommandLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(L" -sOutputFile=\"" + W(world.out) + L"\\c%%1.ps\" \"" + W(world.in / L"c%1.pdf") + L"\""),
              std::wstring::npos)
        << fs::path(lines[1]).string();
    EXPECT_TRUE(fs::exists(world.out / L"c%1.ps"));
}

TEST(ConversionPass, PercentIsRenamedBeforeConversionAndPatchSeesTheNewName) {
    PassWorld world;
    WriteFileBytes(world.in / L"x%y.ps", PostScriptPages(1));
    world.Reload();
    std::vector<std::wstring> patched;
    world.pass->PatchDocumentInfo = [&](const std::wstring& file) { patched.push_back(file); };
    world.RunPass(false);

    EXPECT_FALSE(fs::exists(world.in / L"x%y.ps"));
    EXPECT_TRUE(fs::exists(world.in / L"x!y.ps"));
    EXPECT_EQ(patched, std::vector<std::wstring>{W(world.in / L"x!y.ps")});
    auto lines = world.GsCommandLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(L"\" \"" + W(world.in / L"x!y.ps") + L"\""));
    EXPECT_TRUE(fs::exists(world.out / L"x!y.pdf"));
    EXPECT_EQ(world.pass->CurrentInputFile, W(world.in / L"x!y.ps"));
}

TEST(ConversionPass, DocumentInformationIsPatchedByDefault) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();
    world.RunPass(false);
    EXPECT_NE(ReadFileBytes(world.in / L"a.ps"), PostScriptPages(1));
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
}

TEST(ConversionPass, CounterBehindAndInFrontNeverOverwrites) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.out / L"a.pdf", "earlier");
    WriteFileBytes(world.out / L"a_001.pdf", "earlier too");
    world.Reload();
    // The same input again and again: a manual pass converts what is selected, changed or not.
    const auto convertAgain = [&] {
        world.inputPane->Select(L"a.ps");
        world.RunPass(true);
    };
    convertAgain();
    EXPECT_EQ(ReadFileBytes(world.out / L"a.pdf"), "earlier");
    EXPECT_EQ(ReadFileBytes(world.out / L"a_001.pdf"), "earlier too");
    EXPECT_TRUE(StartsWith(ReadFileBytes(world.out / L"a_002.pdf"), "%PDF"));
    EXPECT_EQ(world.pass->Counter.Value(), 2);
    EXPECT_EQ(world.pass->CurrentOutputName, L"a_002.pdf");

    // In front: a.pdf exists, so the counter advances and leads the name.
    world.main.CounterInFront = true;
    WriteFileBytes(world.out / L"003_a.pdf", "taken");
    convertAgain();
    EXPECT_EQ(ReadFileBytes(world.out / L"003_a.pdf"), "taken");
    EXPECT_TRUE(StartsWith(ReadFileBytes(world.out / L"004_a.pdf"), "%PDF"));
    EXPECT_EQ(world.pass->Counter.Value(), 4);
    // With a.pdf gone the plain name is free: the current counter leads it without advancing.
    fs::remove(world.out / L"a.pdf");
    convertAgain();
    EXPECT_TRUE(StartsWith(ReadFileBytes(world.out / L"004_a.pdf"), "%PDF")) << "unchanged: advanced past it";
    EXPECT_TRUE(StartsWith(ReadFileBytes(world.out / L"005_a.pdf"), "%PDF"));
    EXPECT_EQ(world.pass->Counter.Value(), 5);
}

// --- failures ----------------------------------------------------------------------------------------------

TEST(ConversionPass, FailedConversionKeepsItsInputAndIsReported) {
    struct Case {
        const wchar_t* forcedExit; // empty: a real run
        std::string input;
        const wchar_t* reason;
    };
    // A PostScript error makes Ghostscript exit with 1 after it has written part of a PDF.
    const std::string broken = PostScriptPages(1) + "this_is_undefined\n";
    for (const Case& c : {Case{L"1", PostScriptPages(1), L"(Exitcode 1, keine Ausgabedatei / no output file)"},
                          Case{L"0", PostScriptPages(1), L"(Exitcode 0, keine Ausgabedatei / no output file)"},
                          Case{L"", broken, L"(Exitcode 1)"}}) {
        for (bool manual : {false, true}) {
            PassWorld world;
            world.dialog.DeleteInputs = 0; // deletion on: the post-processing would delete the input
            world.window.logOn = true;
            WriteFileBytes(world.in / L"a.ps", c.input);
            world.Reload();
            world.inputPane->Select(L"a.ps");
            world.pass->PatchDocumentInfo = nullptr;
            int postProcessed = 0;
            world.pass->AfterConversion = [&](const ConvertedFile&) { ++postProcessed; };
            convtest::SetVariable(L"OSTREL_GS_EXIT", c.forcedExit);

            world.RunPass(manual);

            const std::wstring failure =
                L"Konvertierung fehlgeschlagen! / Conversion failed! " + W(world.in / L"a.ps") + L" " + c.reason;
            EXPECT_EQ(postProcessed, 0);
            EXPECT_TRUE(fs::exists(world.in / L"a.ps"));
            EXPECT_NE(world.window.memo.find(failure + L"\r\n"), std::wstring::npos);
            auto log = world.LogLines();
            ASSERT_EQ(log.size(), 6u) << "conversion block and failure line";
            std::string narrow(failure.begin(), failure.end());
            EXPECT_TRUE(log[5].ends_with(" - " + narrow)) << log[5];
            if (manual) {
                ASSERT_EQ(world.window.messages.size(), 1u);
                EXPECT_EQ(world.window.messages[0].box, ConversionWindow::Box::Error);
                EXPECT_EQ(world.window.messages[0].text, failure);
            } else {
                EXPECT_TRUE(world.window.messages.empty());
            }
        }
    }
}

TEST(ConversionPass, SuccessfulConversionIsPostProcessedWithItsNames) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();
    std::vector<ConvertedFile> done;
    world.pass->AfterConversion = [&](const ConvertedFile& f) { done.push_back(f); };
    world.RunPass(false);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].inputFile, W(world.in / L"a.ps"));
    EXPECT_EQ(done[0].outputPath, W(world.out / L"a.pdf"));
    EXPECT_EQ(done[0].currentOutputName, L"a.pdf");
    EXPECT_EQ(done[0].outDir, W(world.out) + L"\\");
    EXPECT_EQ(done[0].outputType, GsOutputPdf);
}

TEST(ConversionPass, ProgramThatCannotStartIsReportedAndThePassGoesOn) {
    // A box for each file only when a person started the pass; the timer's pass never waits for one.
    for (bool manual : {true, false}) {
        PassWorld world;
        world.dialog.GhostscriptProgram = W(world.out / L"missing.exe");
        world.window.logOn = true;
        WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
        WriteFileBytes(world.in / L"b.ps", PostScriptPages(1));
        world.Reload();
        world.inputPane->Select(L"a.ps");
        world.inputPane->Select(L"b.ps");
        world.RunPass(manual);
        if (manual) {
            ASSERT_EQ(world.window.messages.size(), 2u);
            EXPECT_EQ(world.window.messages[0].text, Texts().Get(L"AFEHLER1"));
            EXPECT_FALSE(Texts().Get(L"AFEHLER1").empty());
        } else {
            EXPECT_TRUE(world.window.messages.empty());
        }
        auto log = world.LogLines();
        ASSERT_EQ(log.size(), 2u) << "only the failure lines";
        EXPECT_NE(log[1].find("b.ps (Ghostscript nicht gestartet / not started"), std::string::npos) << log[1];
        EXPECT_NE(world.window.memo.find(L"b.ps (Ghostscript nicht gestartet / not started"), std::wstring::npos);
        // The memo still shows what was to run, just before why it did not; the gauge counts no run that never
        // started.
        const std::wstring failure = L"Konvertierung fehlgeschlagen! / Conversion failed! " + W(world.in / L"b.ps");
        EXPECT_NE(world.window.memo.find(L"missing.exe"), std::wstring::npos) << fs::path(world.window.memo).string();
        EXPECT_NE(world.window.memo.find(L"\\b.ps\"\r\n" + failure), std::wstring::npos)
            << fs::path(world.window.memo).string();
        EXPECT_EQ(world.window.progress, (std::vector<int>{0, 100}));
    }
}

// --- pass bookkeeping ----------------------------------------------------------------------------------------

TEST(ConversionPass, LogBlockOfARealConversionWithMaskedPasswords) {
    PassWorld world;
    world.window.logOn = true;
    world.security.OwnerPasswordOn = true;
    world.security.OwnerPassword = L"owner";
    world.security.UserPasswordOn = true;
    world.security.UserPassword = L"opensesame";
    world.dialog.MayChangePdfLevel = 0;
    world.dialog.PdfLevel = 2; // 1.4: 128-bit keys need it
    SetGsOptions(world.options, GsOptionIndexes{2, 2, 0, 0});
    world.window.encryptCombo = 1;
    std::string input = PostScriptPages(40);
    WriteFileBytes(world.in / L"a.ps", input);
    world.Reload();
    world.pass->PatchDocumentInfo = nullptr;
    world.RunPass(false);

    auto commands = world.GsCommandLines();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_NE(commands[0].find(L"-sUserPassword=opensesame -sOwnerPassword=owner"), std::wstring::npos);
    EXPECT_EQ(world.window.memo.find(L"opensesame"), std::wstring::npos);
    EXPECT_NE(world.window.memo.find(L"-sUserPassword=*** -sOwnerPassword=***"), std::wstring::npos);

    auto log = world.LogLines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_TRUE(log[0].ends_with("<MESSAGE5>"));
    EXPECT_TRUE(log[1].ends_with(" - -q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage "
                                 "-sDEVICE=pdfwrite -dEncryptionR#3 -dKeyLength#128 -sUserPassword=*** "
                                 "-sOwnerPassword=*** -dPermissions#-4 -dPDFSETTINGS=/default -r300 "
                                 "-dCompatibilityLevel=1.4"))
        << log[1];
    std::string inputPath = fs::path(world.in / L"a.ps").string();
    EXPECT_TRUE(log[2].ends_with("<MESSAGE6>" + inputPath)) << log[2];
    EXPECT_TRUE(log[3].ends_with("<MESSAGE7>" + std::to_string(input.size() / 1024) + " KByte")) << log[3];
    const auto outputSize = fs::file_size(world.out / L"a.pdf");
    EXPECT_TRUE(log[4].ends_with("<MESSAGE8>" + std::to_string(outputSize / 1024) + " KByte")) << log[4];
    for (const auto& line : log) {
        EXPECT_EQ(line.find("opensesame"), std::string::npos);
    }
}

// Ghostscript writes its command line into the files it makes; the passwords must not stand there in clear.
struct SecretCase {
    const char* what;
    int outputType;
    int encryptCombo; // 1 = 128-bit
    const wchar_t* userPassword;
    const wchar_t* ownerPassword;
    int produced; // files in the output folder: Ghostscript refuses to encrypt PostScript, and a failed run
                  // leaves nothing
};

class PasswordsInOutputs : public ::testing::TestWithParam<SecretCase> {};

TEST_P(PasswordsInOutputs, NoPasswordInAnyProducedFile) {
    const SecretCase& c = GetParam();
    PassWorld world;
    world.dialog.OutputType = c.outputType;
    world.dialog.MayChangePdfLevel = 0;
    world.dialog.PdfLevel = 2;
    SetGsOptions(world.options, GsOptionIndexes{2, 2, 0, 0});
    world.security.OwnerPasswordOn = true;
    world.security.OwnerPassword = c.ownerPassword;
    world.security.UserPasswordOn = true;
    world.security.UserPassword = c.userPassword;
    world.window.encryptCombo = c.encryptCombo;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(2));
    world.Reload();
    world.RunPass(false);

    ASSERT_EQ(world.GsCommandLines().size(), 1u) << c.what;
    int produced = 0;
    for (const auto& entry : fs::directory_iterator(world.out)) {
        ++produced;
        const std::string bytes = ReadFileBytes(entry.path());
        for (const wchar_t* secret : {c.userPassword, c.ownerPassword}) {
            const std::wstring wide(secret);
            EXPECT_EQ(bytes.find(std::string(wide.begin(), wide.end())), std::string::npos)
                << c.what << ": " << entry.path().string();
        }
    }
    EXPECT_EQ(produced, c.produced) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordsInOutputs,
    ::testing::Values(SecretCase{"pdf 128 bit", GsOutputPdf, 1, L"opensesame", L"ownersecret", 1},
                      SecretCase{"pdf 40 bit, blanks", GsOutputPdf, 0, L"mein Lesewort", L"Chef Passwort", 1},
                      SecretCase{"postscript", GsOutputPostScript, 0, L"opensesame", L"ownersecret", 0}));

TEST(ConversionPass, GaugeStepsAndEndState) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();
    world.inputPane->Select(L"a.ps");
    world.RunPass(true);
    EXPECT_EQ(world.window.progress, (std::vector<int>{0, 50, 100}));
    EXPECT_TRUE(world.inputPane->SelectedCaptions().empty());
    EXPECT_EQ(world.inputPane->focusCount, 1);
    EXPECT_EQ(world.window.timerInterval, 90000u);
}

TEST(ConversionPass, OnlyParentEntryEndsThePassAtOnce) {
    PassWorld world;
    world.RunPass(false);
    EXPECT_TRUE(world.GsCommandLines().empty());
    EXPECT_EQ(world.window.progress, std::vector<int>{0});
    EXPECT_EQ(world.inputPane->focusCount, 0);
}

TEST(ConversionPass, SingleFileInADriveRootIsConverted) {
    const fs::path root = L"S:\\";
    const std::wstring name = L"root-" + std::to_wstring(GetCurrentProcessId()) + L".ps";
    // The root must hold this file only. (An empty root has no entries at all, not even ".": the iterator
    // reports that as an error, which is fine here.)
    std::error_code ignored;
    for (auto it = fs::directory_iterator(root, ignored); !ignored && it != fs::directory_iterator(); ++it) {
        fs::remove_all(it->path());
    }
    WriteFileBytes(root / name, PostScriptPages(1));
    {
        PassWorld world(root);
        world.Reload();
        ASSERT_EQ(world.inputPane->Captions(), std::vector<std::wstring>{name});
        world.RunPass(false);
        EXPECT_EQ(world.GsCommandLines().size(), 1u);
        EXPECT_TRUE(fs::exists(world.out / fs::path(name).replace_extension(L".pdf")));
        EXPECT_EQ(world.window.progress, (std::vector<int>{0, 50, 100}));
    }
    fs::remove(root / name);
}

TEST(ConversionPass, EqualFoldersAreRefusedWhateverTheCase) {
    for (bool manual : {true, false}) {
        PassWorld world;
        world.window.logOn = true;
        WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
        std::wstring upper = W(world.in);
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        if (manual) {
            world.outputPane->SetDirectory(upper);
            world.window.outputPath = upper;
        } else {
            world.StoreFolders(W(world.in), upper + L"\\");
        }
        world.Reload();
        world.inputPane->Select(L"a.ps");
        world.RunPass(manual);
        world.RunPass(manual);
        if (manual) {
            ASSERT_EQ(world.window.messages.size(), 2u);
            EXPECT_EQ(world.window.messages[0].box, ConversionWindow::Box::Error);
            EXPECT_EQ(world.window.messages[0].text, Texts().Get(L"MESSAGE2"));
        } else {
            EXPECT_TRUE(world.window.messages.empty()) << "the timer's pass shows no box";
            EXPECT_EQ(world.window.status, Texts().Get(L"MESSAGE2"));
            EXPECT_EQ(world.window.memo, Texts().Get(L"MESSAGE2") + L"\r\n") << "said once";
            EXPECT_EQ(world.LogLines().size(), 1u) << "logged once";
        }
        EXPECT_TRUE(world.GsCommandLines().empty());
    }
}

TEST(ConversionPass, ChattyGhostscriptDoesNotHangThePass) {
    PassWorld world;
    convtest::SetVariable(L"OSTREL_GS_CHATTER", L"3000000");
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();
    world.RunPass(false);
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
}

TEST(ConversionPass, StopRequestEndsThePassAfterTheCurrentFile) {
    PassWorld world;
    for (const wchar_t* name : {L"a.ps", L"b.ps", L"c.ps"}) {
        WriteFileBytes(world.in / name, PostScriptPages(1));
    }
    world.Reload();
    world.window.timerEnabled = true;
    world.window.checkIndicator = true;
    // The stop click arrives while the first file's messages are let through.
    world.window.onPump = [&] {
        if (world.window.pumps == 1) {
            world.pass->TimerbuttonClick();
        }
    };
    world.pass->Timer1Timer();

    EXPECT_EQ(world.GsCommandLines().size(), 1u);
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
    EXPECT_FALSE(fs::exists(world.out / L"b.pdf"));
    ASSERT_EQ(world.window.messages.size(), 1u);
    EXPECT_EQ(world.window.messages[0].box, ConversionWindow::Box::Information);
    EXPECT_EQ(world.window.messages[0].text, L"PDF-Erstellung wurde angehalten!\r\rPDF conversion stop immediately!");
    EXPECT_FALSE(world.window.timerEnabled);
    EXPECT_EQ(world.window.progress.back(), 0);
    EXPECT_TRUE(world.pass->StopRequested);
    EXPECT_FALSE(world.window.checkIndicator);
}

// The window's messages keep running while Ghostscript works: a stop clicked during the first file's run (not
// only before it) ends the pass before the second file.
TEST(ConversionPass, StopClickedWhileGhostscriptRunsEndsThePassBeforeTheNextFile) {
    PassWorld world;
    // The first job keeps Ghostscript busy for a few seconds before its page.
    // (The job's own header line gives way to the busy one: the rest of it must stay whole PostScript.)
    const std::string page = PostScriptPages(1);
    WriteFileBytes(world.in / L"a.ps", "%!PS\n0 1 60000000 { pop } for\n" + page.substr(page.find('\n') + 1));
    for (const wchar_t* name : {L"b.ps", L"c.ps"}) {
        WriteFileBytes(world.in / name, PostScriptPages(1));
    }
    world.Reload();
    world.window.timerEnabled = true;
    world.window.checkIndicator = true;
    // A thread timer brings messages to this thread; only a wait that pumps them sees them.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(timer, 0u);
    // The host Ghostscript that converts a.ps, by the end of its input path.
    const std::string firstJob =
        world.in.parent_path().filename().string() + "/" + world.in.filename().string() + "/a.ps";
    int pumpsDuringRun = 0;
    world.window.onPump = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        if (!testenv::HostProcessesWith(firstJob).empty() && ++pumpsDuringRun == 1) {
            world.pass->TimerbuttonClick();
        }
    };
    world.pass->Timer1Timer();
    KillTimer(nullptr, timer);

    EXPECT_GE(pumpsDuringRun, 1) << "no message ran while Ghostscript worked";
    EXPECT_EQ(world.GsCommandLines().size(), 1u);
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf")) << "the file under way is finished";
    EXPECT_FALSE(fs::exists(world.out / L"b.pdf"));
    ASSERT_EQ(world.window.messages.size(), 1u);
    EXPECT_EQ(world.window.messages[0].text, L"PDF-Erstellung wurde angehalten!\r\rPDF conversion stop immediately!");
    EXPECT_FALSE(world.window.timerEnabled);
}

TEST(ConversionPass, TickDuringAPassDoesNotStartASecondOne) {
    PassWorld world;
    for (const wchar_t* name : {L"a.ps", L"b.ps"}) {
        WriteFileBytes(world.in / name, PostScriptPages(1));
    }
    world.Reload();
    world.window.timerEnabled = true;
    world.window.checkIndicator = true;
    int ticksDuringPass = 0;
    int passesBegun = 0;
    world.pass->BeforePass = [&] { ++passesBegun; };
    world.window.onPump = [&] {
        EXPECT_TRUE(world.pass->PassRunning());
        ++ticksDuringPass;
        world.pass->Timer1Timer();
        world.pass->PDF_ErstellungClick();
    };
    world.pass->Timer1Timer();
    EXPECT_EQ(ticksDuringPass, 2);
    auto lines = world.GsCommandLines();
    ASSERT_EQ(lines.size(), 2u) << "one run per file, no nested pass";
    EXPECT_EQ(passesBegun, 1) << "a refused nested pass does not begin";
    EXPECT_TRUE(lines[0].ends_with(L"a.ps\""));
    EXPECT_TRUE(lines[1].ends_with(L"b.ps\""));
    EXPECT_FALSE(world.pass->PassRunning());
    EXPECT_TRUE(world.window.timerEnabled);
}

} // namespace
