// The timer's pass when things go wrong: stored folders that cannot be used, print jobs still being written,
// inputs that cannot be prepared, runs that fail half-way, inputs that are kept, and a log that cannot be written.
// Nothing may be lost, converted twice or put anywhere but the output folder, and no box may wait for a person.
#include "ConversionFixture.h"

#include "app/main/LanguageTexts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using convtest::PassWorld;
using convtest::PostScriptPages;
using convtest::W;
using testenv::ReadFileBytes;
using testenv::WriteFileBytes;
namespace fs = std::filesystem;

// The text as the log holds it: in the ANSI code page.
std::string Ansi(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

size_t Count(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

// How many Ghostscript runs named this input.
size_t RunsOf(const PassWorld& world, const fs::path& input) {
    const auto lines = world.GsCommandLines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
        return line.ends_with(L"\"" + W(input) + L"\"");
    }));
}

std::vector<std::wstring> FilesIn(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A PostScript program that draws its pages and then fails: Ghostscript has written part of its output by then.
std::string BrokenPostScript(int pages) {
    return PostScriptPages(pages) + "this_is_undefined\n";
}

// --- stored folders -------------------------------------------------------------------------------------------

struct FolderCase {
    const char* what;
    std::function<void(PassWorld&)> store;              // writes the faulty [Verzeichnisse]
    std::function<std::wstring(const PassWorld&)> said; // what memo, status bar and log say
};

class StoredFolders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(StoredFolders, ThatCannotBeUsedConvertNothingAndAreReportedOnce) {
    const FolderCase& c = GetParam();
    PassWorld world;
    world.window.logOn = true;
    world.window.timerEnabled = true;
    world.window.checkIndicator = true;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    world.Reload();
    c.store(world);
    const std::wstring said = c.said(world);

    world.pass->Timer1Timer();
    world.pass->Timer1Timer();

    EXPECT_TRUE(world.GsCommandLines().empty()) << c.what;
    EXPECT_EQ(ReadFileBytes(world.in / L"a.ps"), PostScriptPages(1)) << c.what << ": the pane's file is untouched";
    EXPECT_TRUE(fs::is_empty(world.out)) << c.what;
    EXPECT_TRUE(world.window.messages.empty()) << c.what << ": no box waits for a person";
    EXPECT_EQ(Count(world.window.memo, said), 1u) << c.what << "\n" << fs::path(world.window.memo).string();
    EXPECT_NE(world.window.status.find(said), std::wstring::npos) << c.what;
    const auto log = world.LogLines();
    ASSERT_EQ(log.size(), 1u) << c.what << ": logged once";
    EXPECT_NE(log[0].find(Ansi(said)), std::string::npos) << c.what << "\n" << log[0];
    EXPECT_TRUE(world.window.timerEnabled) << c.what << ": the next tick tries again";

    // Once the folders are right again, the next tick converts.
    world.StoreFolders(W(world.in), W(world.out));
    world.pass->Timer1Timer();
    EXPECT_TRUE(fs::exists(world.out / L"a.pdf")) << c.what;
    EXPECT_NE(world.window.memo.find(L"Folders usable again"), std::wstring::npos) << c.what;
}

std::wstring UpperCase(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredFolders,
    ::testing::Values(
        FolderCase{"input missing", [](PassWorld& w) { w.StoreFolders(W(w.in / L"gone"), W(w.out)); },
                   [](const PassWorld& w) {
                       return L"input folder \"" + W(w.in / L"gone") + L"\": nicht vorhanden / not found";
                   }},
        FolderCase{"input not set", [](PassWorld& w) { w.StoreFolders(L"", W(w.out)); },
                   [](const PassWorld&) { return std::wstring(L"input folder \"\": nicht eingestellt / not set"); }},
        FolderCase{"output missing", [](PassWorld& w) { w.StoreFolders(W(w.in), W(w.out / L"gone")); },
                   [](const PassWorld& w) {
                       return L"output folder \"" + W(w.out / L"gone") + L"\": nicht vorhanden / not found";
                   }},
        FolderCase{"output relative", [](PassWorld& w) { w.StoreFolders(W(w.in), L"out"); },
                   [](const PassWorld&) {
                       return std::wstring(L"output folder \"out\": kein vollst\u00e4ndiger Pfad / not a full path");
                   }},
        FolderCase{"output is a file",
                   [](PassWorld& w) {
                       WriteFileBytes(w.out.parent_path() / L"file", "x");
                       w.StoreFolders(W(w.in), W(w.out.parent_path() / L"file"));
                   },
                   [](const PassWorld& w) {
                       return L"output folder \"" + W(w.out.parent_path() / L"file") +
                              L"\": nicht vorhanden / not found";
                   }},
        FolderCase{"equal in another spelling",
                   [](PassWorld& w) { w.StoreFolders(W(w.in), UpperCase(W(w.in)) + L"\\"); },
                   [](const PassWorld&) { return Texts().Get(L"MESSAGE2"); }}));

// --- print jobs still being written ----------------------------------------------------------------------------

TEST(TimerPass, InputHeldByItsWriterIsTakenOnceItIsComplete) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", PostScriptPages(1));
    world.Reload();
    // The writer keeps the job open and lets others read it meanwhile.
    HANDLE writer = CreateFileW((world.in / L"a.ps").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"a.ps"), 0u);
    EXPECT_EQ(ReadFileBytes(world.in / L"a.ps"), PostScriptPages(1)) << "not patched while held";
    EXPECT_TRUE(fs::exists(world.out / L"b.pdf")) << "the files after it are converted";
    EXPECT_EQ(Count(world.window.memo, L"File still being written, later: " + W(world.in / L"a.ps")), 1u);
    EXPECT_TRUE(world.window.messages.empty());

    CloseHandle(writer);
    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"a.ps"), 1u) << "taken once, when complete";
    EXPECT_EQ(RunsOf(world, world.in / L"b.ps"), 1u);
    EXPECT_EQ(FilesIn(world.out), (std::vector<std::wstring>{L"a.pdf", L"b.pdf"}));
}

TEST(TimerPass, InputThatGrewSinceItWasListedWaitsForTheNextTick) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    const std::string partial = PostScriptPages(1).substr(0, 60);
    WriteFileBytes(world.in / L"b.ps", partial);
    world.Reload();
    // While a.ps converts, the rest of the job b.ps arrives.
    world.window.onPump = [&] {
        if (world.window.pumps == 1) {
            WriteFileBytes(world.in / L"b.ps", PostScriptPages(2));
        }
    };
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"b.ps"), 0u) << "changed since listed: not taken";
    EXPECT_EQ(ReadFileBytes(world.in / L"b.ps"), PostScriptPages(2));

    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"b.ps"), 1u);
    EXPECT_EQ(RunsOf(world, world.in / L"a.ps"), 1u);
    EXPECT_EQ(FilesIn(world.out), (std::vector<std::wstring>{L"a.pdf", L"b.pdf"}));
}

// --- inputs that cannot be prepared ----------------------------------------------------------------------------

struct PrepareCase {
    const char* what;
    std::function<fs::path(const fs::path& in)> make; // writes the input that cannot be prepared
    std::wstring reason;                              // part of the report
};

class UnpreparedInputs : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(UnpreparedInputs, AreReportedByNameAndTheFilesAfterThemAreConverted) {
    const PrepareCase& c = GetParam();
    PassWorld world;
    world.window.logOn = true;
    const fs::path bad = c.make(world.in);
    WriteFileBytes(world.in / L"z.ps", PostScriptPages(1));
    world.Reload();

    world.pass->Timer1Timer();
    world.pass->Timer1Timer();

    SetFileAttributesW(bad.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(RunsOf(world, bad), 0u) << c.what;
    EXPECT_TRUE(fs::exists(bad)) << c.what;
    EXPECT_TRUE(fs::exists(world.out / L"z.pdf")) << c.what << ": the pass goes on";
    const std::wstring report = L"File cannot be prepared! " + W(bad) + L" (";
    EXPECT_EQ(Count(world.window.memo, report), 1u) << c.what << "\n" << fs::path(world.window.memo).string();
    EXPECT_NE(world.window.memo.find(c.reason), std::wstring::npos) << c.what;
    EXPECT_EQ(Count(world.LogLines(), Ansi(report)), 1u) << c.what << ": logged once";
    EXPECT_TRUE(world.window.messages.empty()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, UnpreparedInputs,
                         ::testing::Values(PrepareCase{"read-only",
                                                       [](const fs::path& in) {
                                                           WriteFileBytes(in / L"r.ps", PostScriptPages(1));
                                                           SetFileAttributesW((in / L"r.ps").c_str(),
                                                                              FILE_ATTRIBUTE_READONLY);
                                                           return in / L"r.ps";
                                                       },
                                                       L"read-only"},
                                           PrepareCase{"rename target taken",
                                                       [](const fs::path& in) {
                                                           WriteFileBytes(in / L"m%n.ps", PostScriptPages(1));
                                                           WriteFileBytes(in / L"m!n.ps", PostScriptPages(1));
                                                           return in / L"m%n.ps";
                                                       },
                                                       L"already exists"}));

TEST(TimerPass, PercentIsReplacedInTheFileNameOnlyNeverInTheFolder) {
    testenv::TempDir base(L"pct");
    PassWorld world(base / L"in%dir");
    world.StoreFolders(W(world.in), W(world.out));
    WriteFileBytes(world.in / L"a%b.ps", PostScriptPages(1));
    world.Reload();
    world.pass->Timer1Timer();
    EXPECT_TRUE(fs::exists(world.in / L"a!b.ps"));
    EXPECT_FALSE(fs::exists(base / L"in!dir"));
    EXPECT_EQ(RunsOf(world, world.in / L"a!b.ps"), 1u);
    EXPECT_TRUE(fs::exists(world.out / L"a!b.pdf"));
}

// --- failed runs ----------------------------------------------------------------------------------------------

struct PartialCase {
    const char* what;
    int outputType;
    bool pageFiles;
    std::vector<std::wstring> before; // in the output folder before the pass; all of them must stay as they were
};

class FailedRuns : public ::testing::TestWithParam<PartialCase> {};

TEST_P(FailedRuns, LeaveNothingOfTheirOwnAndTouchNothingElse) {
    const PartialCase& c = GetParam();
    PassWorld world;
    world.window.logOn = true;
    world.dialog.OutputType = c.outputType;
    world.dialog.FilePerPage = c.pageFiles;
    for (const auto& name : c.before) {
        WriteFileBytes(world.out / name, "was here before");
    }
    WriteFileBytes(world.in / L"bad.ps", BrokenPostScript(2));
    world.Reload();

    world.pass->Timer1Timer();

    ASSERT_EQ(RunsOf(world, world.in / L"bad.ps"), 1u) << c.what;
    std::vector<std::wstring> expected = c.before;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(world.out), expected) << c.what;
    for (const auto& name : c.before) {
        EXPECT_EQ(ReadFileBytes(world.out / name), "was here before") << c.what;
    }
    EXPECT_TRUE(fs::exists(world.in / L"bad.ps")) << c.what;
    const std::wstring failure = L"Conversion failed! " + W(world.in / L"bad.ps") + L" (Exitcode 1)";
    EXPECT_NE(world.window.memo.find(failure), std::wstring::npos) << c.what;
    EXPECT_EQ(Count(world.LogLines(), Ansi(failure)), 1u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedRuns,
    ::testing::Values(PartialCase{"pdf", GsOutputPdf, false, {L"other.pdf"}},
                      PartialCase{"pdf beside an earlier output", GsOutputPdf, false, {L"bad.pdf", L"bad_001.pdf"}},
                      PartialCase{"jpeg pages", GsOutputJpeg, true, {L"bad_007.jpg", L"x.jpg"}},
                      PartialCase{"tiff pages", GsOutputTiffG4, true, {L"bad_1000.tif"}}));

// --- kept inputs ----------------------------------------------------------------------------------------------

TEST(TimerPass, KeptInputsAreTakenAgainOnlyWhenTheyChange) {
    PassWorld world;
    world.window.logOn = true;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", BrokenPostScript(1));
    world.Reload();

    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"a.ps"), 1u);
    EXPECT_EQ(RunsOf(world, world.in / L"b.ps"), 1u) << "a failure is not run again at every tick";
    EXPECT_EQ(FilesIn(world.out), std::vector<std::wstring>{L"a.pdf"});
    EXPECT_EQ(Count(world.LogLines(), "Conversion failed! " + (world.in / L"b.ps").string()), 1u);

    // A new version of a kept input is a new job.
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(2));
    world.pass->Timer1Timer();
    world.pass->Timer1Timer();
    EXPECT_EQ(RunsOf(world, world.in / L"a.ps"), 2u);
    EXPECT_EQ(RunsOf(world, world.in / L"b.ps"), 1u);
    EXPECT_EQ(FilesIn(world.out), (std::vector<std::wstring>{L"a.pdf", L"a_001.pdf"}));
}

// --- the log --------------------------------------------------------------------------------------------------

TEST(TimerPass, LogThatCannotBeWrittenStopsNothingAndIsReportedOnce) {
    PassWorld world;
    world.window.logOn = true;
    fs::create_directory(world.logFile); // a folder in the log's place: every write fails
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", BrokenPostScript(1));
    WriteFileBytes(world.in / L"c.ps", PostScriptPages(1));
    world.Reload();
    std::vector<std::wstring> postProcessed;
    world.pass->AfterConversion = [&](const ConvertedFile& file) {
        postProcessed.push_back(file.inputFile);
        EXPECT_FALSE(file.interactive);
    };

    world.pass->Timer1Timer();
    EXPECT_EQ(postProcessed, (std::vector<std::wstring>{W(world.in / L"a.ps"), W(world.in / L"c.ps")}));
    EXPECT_EQ(FilesIn(world.out), (std::vector<std::wstring>{L"a.pdf", L"c.pdf"}));
    EXPECT_EQ(Count(world.window.memo, L"I/O-ERROR"), 1u) << fs::path(world.window.memo).string();
    EXPECT_TRUE(world.window.messages.empty());

    WriteFileBytes(world.in / L"d.ps", PostScriptPages(1));
    world.pass->Timer1Timer();
    EXPECT_TRUE(fs::exists(world.out / L"d.pdf"));
    EXPECT_EQ(Count(world.window.memo, L"I/O-ERROR"), 0u) << "still the same outage";

    // The log works again, then fails again: a new outage is told again.
    fs::remove(world.logFile);
    WriteFileBytes(world.in / L"e.ps", PostScriptPages(1));
    world.pass->Timer1Timer();
    EXPECT_TRUE(fs::exists(world.logFile));
    fs::remove(world.logFile);
    fs::create_directory(world.logFile);
    WriteFileBytes(world.in / L"f.ps", PostScriptPages(1));
    world.pass->Timer1Timer();
    EXPECT_TRUE(fs::exists(world.out / L"f.pdf"));
    EXPECT_EQ(Count(world.window.memo, L"I/O-ERROR"), 1u);
    EXPECT_TRUE(world.window.messages.empty());
}

} // namespace
