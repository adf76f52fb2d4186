// Extraction through UNZDLL.DLL (the stand-in beside this program): the loader's version checks, the record the
// component fills (seen through what the library does with it), the callback's messages and the refusal of
// names that would land outside the base folder.
#include "installer/zip/ZipArchive.h"
#include "installer/zip/ZipMessages.h"

#include "gui/MessageBox.h"
#include "support/TestEnv.h"
#include "support/ZipWriter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace fs = std::filesystem;
using testzip::MakeZip;
using testzip::ZipItem;

namespace {

std::vector<ZipItem> InstallerItems() {
    return {
        testzip::Entry("setup.exe", std::string(20000, 'S') + "end of setup", true),
        testzip::Entry("doc/", ""),
        testzip::Entry("doc/liesmich.txt", "Bitte lesen.\r\n"),
        testzip::Entry("doc/de/hilfe.txt", std::string(3000, 'h'), true),
        testzip::Entry("\x8Enderungen.txt", "OEM name", false, 0x0014),
    };
}

// Text that deflate cannot squeeze to a handful of bytes, so that damage lands inside the stream.
std::string Noise(std::size_t size) {
    std::mt19937 random(7);
    std::string text(size, ' ');
    for (char& c : text) {
        c = static_cast<char>('a' + random() % 16);
    }
    return text;
}

// A component over an archive in its own scratch folder, extracting into dir/out, messages collected.
struct Fixture {
    testenv::TempDir dir{L"unzip"};
    fs::path out = dir / L"out";
    TZipArchive zip;
    std::vector<int> ids;
    std::vector<std::wstring> texts;

    explicit Fixture(const std::string& archive) {
        fs::create_directories(out);
        testenv::WriteFileBytes(dir / L"archive.zip", archive);
        zip.Unattended = true;
        zip.Password = L"-"; // no unattended-password warning in the way of what the tests look at
        zip.OnMessage = [this](int id, const std::wstring& text) {
            ids.push_back(id);
            texts.push_back(text);
        };
        zip.SetZipFileName((dir / L"archive.zip").wstring());
        zip.ExtrBaseDir = out.wstring();
    }
    bool Said(const std::wstring& part) const {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::wstring& t) { return t.find(part) != std::wstring::npos; });
    }
    // Every file below the scratch folder, relative to it, except the archive itself.
    std::set<std::wstring> Files() const {
        std::set<std::wstring> files;
        for (const auto& item : fs::recursive_directory_iterator(dir.path())) {
            if (item.is_regular_file() && item.path().filename() != L"archive.zip") {
                files.insert(fs::relative(item.path(), dir.path()).wstring());
            }
        }
        return files;
    }
};

} // namespace

TEST(UnzipLibrary, LoadsBesideTheProgramAndUnloads) {
    TZipArchive zip;
    zip.Unattended = true;
    EXPECT_EQ(zip.LoadUnzipLibrary(), 173);
    EXPECT_TRUE(zip.UnzipLoader().Loaded());
    EXPECT_EQ(zip.UnzipLoader().Holders(), TZipLibLoader::HeldExplicitly);
    EXPECT_NE(zip.UnzipLoader().Path().find(L"\\UNZDLL.DLL"), std::wstring::npos);
    EXPECT_EQ(zip.UnzipLoader().PrivVersion(), 1730000);
    zip.UnloadUnzipLibrary();
    EXPECT_FALSE(zip.UnzipLoader().Loaded());
    EXPECT_EQ(zip.UnzipLoader().Version(), 0);
    EXPECT_EQ(zip.UnzipLoader().Path(), L"UNZDLL.DLL");
}

TEST(UnzipLibrary, VerboseReportsLoadingAndUnloading) {
    TZipArchive zip;
    zip.Unattended = true;
    zip.Verbose = true;
    std::vector<std::wstring> texts;
    zip.OnMessage = [&](int, const std::wstring& text) { texts.push_back(text); };
    ASSERT_EQ(zip.LoadUnzipLibrary(), 173);
    const std::wstring path = zip.UnzipLoader().Path();
    zip.UnloadUnzipLibrary();
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Loaded " + path, L"Unloaded " + path}));
}

TEST(UnzipLibrary, FolderWithoutTheLibraryFallsBackToTheSearchPath) {
    testenv::TempDir empty(L"nolib");
    TZipArchive zip;
    zip.Unattended = true;
    zip.SetDLLDirectory(empty.path().wstring());
    EXPECT_EQ(zip.LoadUnzipLibrary(), 173);
    zip.UnloadUnzipLibrary();
}

TEST(UnzipLibrary, VersionsOutsideTheWindowAreRefused) {
    struct Case {
        const wchar_t* folder;
        const char* why;
    };
    const Case cases[] = {{L".\\unzdll-v152", "below 153"},
                          {L".\\unzdll-v301", "above 300"},
                          {L".\\unzdll-v171", "below the component's 172"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TZipArchive zip;
        zip.Unattended = true;
        std::vector<std::wstring> texts;
        zip.OnMessage = [&](int, const std::wstring& text) { texts.push_back(text); };
        zip.SetDLLDirectory(c.folder);
        EXPECT_EQ(zip.LoadUnzipLibrary(), 0);
        EXPECT_FALSE(zip.UnzipLoader().Loaded());
        EXPECT_EQ(zip.UnzipLoader().Holders(), 0u);
        EXPECT_EQ(zip.ErrCode(), LD_BadDll);
        ASSERT_EQ(texts.size(), 1u);
        // The full path of the refused module, in the program's folder.
        EXPECT_EQ(texts[0].rfind(L"Unable to load ", 0), 0u) << std::string(texts[0].begin(), texts[0].end());
        EXPECT_NE(texts[0].find(std::wstring(c.folder + 1) + L"\\UNZDLL.DLL - It is old or corrupt"),
                  std::wstring::npos);
        EXPECT_NE(texts[0].find(L":\\"), std::wstring::npos);
    }
}

TEST(UnzipLibrary, TooOldLibraryExtractsNothing) {
    Fixture f(MakeZip(InstallerItems()));
    f.zip.SetDLLDirectory(L".\\unzdll-v171");
    EXPECT_EQ(f.zip.ExtractArchive(), LD_BadDll);
    EXPECT_EQ(f.zip.SuccessCnt(), 0);
    EXPECT_TRUE(f.Files().empty());
    EXPECT_FALSE(f.zip.UnzipLoader().Loaded());
}

TEST(UnzipExtract, FilesWithFoldersArriveWhole) {
    Fixture f(MakeZip(InstallerItems()));
    f.zip.ExtrOptions = {ExtrDirNames, ExtrUpdate};
    EXPECT_EQ(f.zip.ExtractArchive(), 0);
    EXPECT_EQ(f.zip.SuccessCnt(), 4);
    EXPECT_TRUE(f.ids.empty());
    EXPECT_EQ(f.Files(), (std::set<std::wstring>{L"out\\setup.exe", L"out\\doc\\liesmich.txt",
                                                 L"out\\doc\\de\\hilfe.txt", L"out\\\u00c4nderungen.txt"}));
    for (const ZipItem& item : InstallerItems()) {
        if (item.Name.back() == '/') {
            continue;
        }
        std::wstring name(item.Name.begin(), item.Name.end());
        if (item.Name[0] == '\x8E') {
            name = L"\u00c4nderungen.txt";
        }
        EXPECT_EQ(testenv::ReadFileBytes(f.out / name), item.Data) << item.Name;
    }
    // Stamped with the entry's time, not the time of the extraction.
    FILETIME local{}, stamped{};
    DosDateTimeToFileTime(0x5A21, 0x6000, &local);
    LocalFileTimeToFileTime(&local, &stamped);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW((f.out / L"setup.exe").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &stamped), 0);
    EXPECT_TRUE(f.zip.FSpecArgs.empty());
    EXPECT_FALSE(f.zip.UnzipLoader().Loaded()); // held only for the operation
}

TEST(UnzipExtract, WithoutFolderNamesEverythingLandsFlat) {
    Fixture f(MakeZip(InstallerItems()));
    f.zip.ExtrOptions = {ExtrUpdate};
    EXPECT_EQ(f.zip.ExtractArchive(), 0);
    EXPECT_EQ(f.Files(), (std::set<std::wstring>{L"out\\setup.exe", L"out\\liesmich.txt", L"out\\hilfe.txt",
                                                 L"out\\\u00c4nderungen.txt"}));
}

TEST(UnzipExtract, SpecsChooseEntriesAndAreUsedUp) {
    struct Case {
        std::vector<std::wstring> specs;
        std::set<std::wstring> expected;
    };
    const Case cases[] = {
        {{L"*.TXT"}, {L"out\\liesmich.txt", L"out\\hilfe.txt", L"out\\\u00c4nderungen.txt"}},
        {{L"setup.exe", L"doc\\de\\*"}, {L"out\\setup.exe", L"out\\hilfe.txt"}},
        // "*.*" first means the whole archive whatever follows.
        {{L"*.*", L"nothing.zzz"},
         {L"out\\setup.exe", L"out\\liesmich.txt", L"out\\hilfe.txt", L"out\\\u00c4nderungen.txt"}},
        {{L"nothing.zzz"}, {}},
    };
    for (const Case& c : cases) {
        Fixture f(MakeZip(InstallerItems()));
        f.zip.ExtrOptions = {ExtrOverWrite};
        f.zip.FSpecArgs = c.specs;
        EXPECT_EQ(f.zip.ExtractArchive(), 0);
        EXPECT_EQ(f.Files(), c.expected);
        EXPECT_EQ(f.zip.SuccessCnt(), static_cast<int>(c.expected.size()));
        EXPECT_TRUE(f.zip.FSpecArgs.empty());
    }
}

TEST(UnzipExtract, ExistingFilesFollowTheOptions) {
    struct Case {
        const char* what;
        TExtrOpts options;
        bool oldFileReplaced; // an existing file older than its entry
        bool newFileReplaced; // an existing file newer than its entry
        bool missingWritten;
    };
    const Case cases[] = {
        {"overwrite", {ExtrOverWrite}, true, true, true},
        {"update", {ExtrUpdate}, true, false, true},
        {"freshen", {ExtrFreshen}, true, false, false},
        {"update wins over freshen", {ExtrFreshen, ExtrUpdate}, true, false, true},
        {"none: asked, not answered, skipped", {}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(MakeZip({testzip::Entry("old.txt", "new data"), testzip::Entry("new.txt", "new data"),
                           testzip::Entry("missing.txt", "new data")}));
        testenv::WriteFileBytes(f.out / L"old.txt", "mine");
        testenv::WriteFileBytes(f.out / L"new.txt", "mine");
        // old.txt predates the entry (2025-01-01); new.txt is as new as this run.
        FILETIME past{};
        DosDateTimeToFileTime(0x4A21, 0x6000, &past); // 2017
        HANDLE h =
            CreateFileW((f.out / L"old.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &past);
        CloseHandle(h);
        f.zip.ExtrOptions = c.options;
        // A file left alone as the options say is no failure.
        EXPECT_EQ(f.zip.ExtractArchive(), 0);
        EXPECT_EQ(testenv::ReadFileBytes(f.out / L"old.txt") == "new data", c.oldFileReplaced);
        EXPECT_EQ(testenv::ReadFileBytes(f.out / L"new.txt") == "new data", c.newFileReplaced);
        EXPECT_EQ(fs::exists(f.out / L"missing.txt"), c.missingWritten);
    }
}

TEST(UnzipExtract, TestOptionChecksWithoutWriting) {
    Fixture f(MakeZip(InstallerItems()));
    f.zip.ExtrOptions = {ExtrTest, ExtrDirNames};
    EXPECT_EQ(f.zip.ExtractArchive(), 0);
    EXPECT_EQ(f.zip.SuccessCnt(), 4);
    EXPECT_TRUE(f.Files().empty());
}

TEST(UnzipExtract, NamesOutsideTheBaseFolderAreRefused) {
    const std::string bad[] = {"../x1.txt", "..\\x2.txt", "C:\\x3.txt",     "C:x4.txt",
                               "/x5.txt",   "\\x6.txt",   "a/../../x7.txt", "a/./../x8.txt"};
    for (bool dirNames : {true, false}) {
        SCOPED_TRACE(dirNames ? "with folder names" : "flat");
        std::vector<ZipItem> items{testzip::Entry("good.txt", "good")};
        for (const std::string& name : bad) {
            items.push_back(testzip::Entry(name, "evil", false, 0x0B14));
        }
        Fixture f(MakeZip(items));
        f.zip.ExtrOptions = {ExtrOverWrite};
        if (dirNames) {
            f.zip.ExtrOptions.insert(ExtrDirNames);
        }
        f.zip.ExtractArchive();
        EXPECT_EQ(f.zip.SuccessCnt(), 1);
        EXPECT_EQ(f.Files(), std::set<std::wstring>{L"out\\good.txt"});
        EXPECT_FALSE(fs::exists(L"C:\\x3.txt"));
        EXPECT_TRUE(f.Said(L"Refused name outside the extract folder: ..\\x1.txt"));
        EXPECT_TRUE(f.Said(L"C:\\x3.txt"));
        EXPECT_NE(f.zip.ErrCode(), 0);
    }
}

TEST(UnzipExtract, NamesWindowsWouldResolveDifferentlyAreRefused) {
    // Windows drops trailing dots and blanks of every part, so each of these climbs or names a device.
    const std::string bad[] = {"a/.. /y1.txt",
                               "a/.../y2.txt",
                               "a/. ./y3.txt",
                               "a/..../../y4.txt",
                               "a/ ../y5.txt",
                               "CON",
                               "sub/aux.txt",
                               "com1/y8.txt",
                               "y9<.txt",
                               "a\x01"
                               "b.txt",
                               "a//y11.txt"};
    for (bool dirNames : {true, false}) {
        SCOPED_TRACE(dirNames ? "with folder names" : "flat");
        std::vector<ZipItem> items{testzip::Entry("good.txt", "good"), testzip::Entry("dir.v2/ok.txt", "ok")};
        for (const std::string& name : bad) {
            items.push_back(testzip::Entry(name, "evil", false, 0x0B14));
        }
        Fixture f(MakeZip(items));
        f.zip.ExtrOptions = {ExtrOverWrite};
        if (dirNames) {
            f.zip.ExtrOptions.insert(ExtrDirNames);
        }
        EXPECT_EQ(f.zip.ExtractArchive(), 52);
        EXPECT_EQ(f.zip.SuccessCnt(), 2);
        const std::set<std::wstring> expected = dirNames
                                                    ? std::set<std::wstring>{L"out\\good.txt", L"out\\dir.v2\\ok.txt"}
                                                    : std::set<std::wstring>{L"out\\good.txt", L"out\\ok.txt"};
        EXPECT_EQ(f.Files(), expected);
        for (const wchar_t* name : {L"a\\.. \\y1.txt", L"a\\...\\y2.txt", L"CON", L"sub\\aux.txt", L"com1\\y8.txt"}) {
            EXPECT_TRUE(f.Said(std::wstring(L"Refused name outside the extract folder: ") + name)) << name;
        }
    }
}

TEST(UnzipExtract, AnArchiveThatWouldWriteTooMuchIsRefusedWhole) {
    // Two entries of real, small data whose sizes claim 768 MiB each: together past the 1 GiB limit.
    auto layout = testzip::BuildZip({testzip::Entry("a.bin", Noise(3000), true), testzip::Entry("b.txt", "b")});
    testzip::Put32(layout.Bytes, layout.CentralHeaders[0] + 24, 0x30000000u);
    testzip::Put32(layout.Bytes, layout.CentralHeaders[1] + 24, 0x30000000u);
    Fixture f(layout.Bytes);
    f.zip.ExtrOptions = {ExtrOverWrite};
    EXPECT_NE(f.zip.ExtractArchive(), 0);
    EXPECT_EQ(f.zip.SuccessCnt(), 0);
    EXPECT_TRUE(f.Files().empty());
    EXPECT_TRUE(f.Said(L"more than the limit of 1073741824: nothing is extracted"));

    // One such claim alone stays below the limit: that entry is tried and found damaged, the other one arrives.
    auto one = testzip::BuildZip({testzip::Entry("a.bin", Noise(3000), true), testzip::Entry("b.txt", "b")});
    testzip::Put32(one.Bytes, one.CentralHeaders[0] + 24, 0x30000000u);
    testenv::WriteFileBytes(f.dir / L"archive.zip", one.Bytes);
    f.zip.SetZipFileName((f.dir / L"archive.zip").wstring());
    EXPECT_NE(f.zip.ExtractArchive(), 0);
    EXPECT_EQ(f.Files(), std::set<std::wstring>{L"out\\b.txt"});
}

TEST(UnzipExtract, DamagedArchivesAreReportedAndLeaveNoFiles) {
    const auto layout =
        testzip::BuildZip({testzip::Entry("a.txt", Noise(4000), true), testzip::Entry("b.txt", "plain b")});
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        std::set<std::wstring> expected;
    };
    const Case cases[] = {
        {"deflated data damaged",
         [&](std::string& b) {
             for (std::size_t i = 40; i < 60; ++i) {
                 b[layout.LocalHeaders[0] + i] ^= 0x5A;
             }
         },
         {L"out\\b.txt"}},
        {"stored data damaged (CRC)",
         [&](std::string& b) { b[layout.LocalHeaders[1] + 30 + 5 + 2] = '#'; },
         {L"out\\a.txt"}},
        {"local header signature", [&](std::string& b) { b[layout.LocalHeaders[1]] = 'Q'; }, {L"out\\a.txt"}},
        {"local offset past the end",
         [&](std::string& b) { testzip::Put32(b, layout.CentralHeaders[0] + 42, 1u << 30); },
         {L"out\\b.txt"}},
        {"stream longer than the size it claims",
         [&](std::string& b) { testzip::Put32(b, layout.CentralHeaders[0] + 24, 1000); },
         {L"out\\b.txt"}},
        {"compressed size past the end",
         [&](std::string& b) { testzip::Put32(b, layout.CentralHeaders[1] + 20, 0x7FFFFFF0u); },
         {L"out\\a.txt"}},
        {"stored entry claims less than it holds",
         [&](std::string& b) { testzip::Put32(b, layout.CentralHeaders[1] + 24, 3); },
         {L"out\\a.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = layout.Bytes;
        c.damage(bytes);
        Fixture f(bytes);
        f.zip.ExtrOptions = {ExtrOverWrite};
        // Every damaged entry is an error of the run with a message of its own.
        EXPECT_NE(f.zip.ExtractArchive(), 0);
        EXPECT_EQ(f.Files(), c.expected);
        EXPECT_EQ(f.zip.SuccessCnt(), static_cast<int>(c.expected.size()));
        EXPECT_FALSE(f.texts.empty());
    }
}

TEST(UnzipExtract, ACrcErrorIsAnErrorWithItsMessage) {
    const auto layout = testzip::BuildZip({testzip::Entry("a.txt", "plain a"), testzip::Entry("b.txt", "plain b")});
    std::string bytes = layout.Bytes;
    bytes[layout.LocalHeaders[0] + 30 + 5 + 2] = '#';
    Fixture f(bytes);
    f.zip.ExtrOptions = {ExtrOverWrite};
    EXPECT_EQ(f.zip.ExtractArchive(), 57);
    EXPECT_TRUE(f.Said(L"CRC error, the entry is not written: a.txt"));
    EXPECT_EQ(f.Files(), std::set<std::wstring>{L"out\\b.txt"});
}

TEST(UnzipExtract, ShownMessagesAppearOnceEach) {
    gui::MessageBoxRecorder boxes;
    {
        // Not an archive: told when the name is set, and the extraction fails without telling it again.
        Fixture f("not an archive at all");
        f.zip.Unattended = false;
        boxes.Records.clear();
        f.zip.SetZipFileName((f.dir / L"archive.zip").wstring());
        ASSERT_EQ(boxes.Records.size(), 1u);
        EXPECT_EQ(boxes.Records[0].Text, L"This archive is not a valid Zip archive");
        EXPECT_EQ(f.zip.ExtractArchive(), DS_NoValidZip);
        EXPECT_EQ(boxes.Records.size(), 1u);
    }
    boxes.Records.clear();
    {
        // The library's reasons come together in one box after the run.
        Fixture f(
            MakeZip({testzip::Entry("../up1.txt", "x"), testzip::Entry("good.txt", "g"), testzip::Entry("CON", "x")}));
        f.zip.Unattended = false;
        f.zip.ExtrOptions = {ExtrOverWrite};
        boxes.Records.clear();
        EXPECT_NE(f.zip.ExtractArchive(), 0);
        ASSERT_EQ(boxes.Records.size(), 1u);
        EXPECT_EQ(boxes.Records[0].Text, L"Refused name outside the extract folder: ..\\up1.txt\r"
                                         L"Refused name outside the extract folder: CON");
    }
}

TEST(UnzipExtract, CorruptOrMissingArchiveGivesTheMessage) {
    {
        Fixture f("not an archive at all");
        EXPECT_EQ(f.zip.ExtractArchive(), DS_NoValidZip);
        EXPECT_EQ(f.zip.Message(), L"This archive is not a valid Zip archive");
        EXPECT_TRUE(f.Files().empty());
    }
    {
        Fixture f(MakeZip(InstallerItems()).substr(0, 200));
        EXPECT_NE(f.zip.ExtractArchive(), 0);
        EXPECT_TRUE(f.Files().empty());
    }
    {
        Fixture f(MakeZip(InstallerItems()));
        fs::remove(f.dir / L"archive.zip");
        EXPECT_EQ(f.zip.ExtractArchive(), DS_NoInFile);
        EXPECT_EQ(f.zip.Message(), L"Input file does not exist");
    }
    {
        TZipArchive zip;
        zip.Unattended = true;
        EXPECT_EQ(zip.ExtractArchive(), GE_NoZipSpecified);
        EXPECT_EQ(zip.Message(), L"Error - no zip file specified!");
    }
    {
        // No entries besides a folder: nothing to open.
        Fixture f(MakeZip({testzip::Entry("only/", "")}));
        EXPECT_EQ(f.zip.ExtractArchive(), DS_FileOpen);
        EXPECT_EQ(f.zip.Message(), L"Zip file could not be opened");
    }
}

TEST(UnzipExtract, BaseFolderMustExistUnlessForced) {
    Fixture f(MakeZip(InstallerItems()));
    const fs::path missing = f.dir / L"neu" / L"tiefer";
    f.zip.ExtrBaseDir = missing.wstring();
    f.zip.ExtrOptions = {ExtrUpdate};
    EXPECT_EQ(f.zip.ExtractArchive(), EX_NoExtrDir);
    EXPECT_EQ(f.zip.Message(), L"Extract directory '" + missing.wstring() + L"' must exist");
    EXPECT_FALSE(f.zip.UnzipLoader().Loaded());
    f.zip.ExtrOptions = {ExtrUpdate, ExtrForceDirs};
    EXPECT_EQ(f.zip.ExtractArchive(), 0);
    EXPECT_TRUE(fs::exists(missing / L"setup.exe"));
}

TEST(UnzipExtract, UnattendedWithoutPasswordWarnsAndGoesOn) {
    Fixture f(MakeZip(InstallerItems()));
    f.zip.Password.clear();
    f.zip.SetPasswordReqCount(3);
    f.zip.ExtrOptions = {ExtrUpdate};
    f.zip.ExtractArchive();
    ASSERT_FALSE(f.ids.empty());
    EXPECT_EQ(f.ids.front(), EX_UnAttPassword);
    EXPECT_EQ(f.zip.SuccessCnt(), 4);
    EXPECT_EQ(f.zip.PasswordReqCount(), 3); // restored after the run
}

TEST(UnzipExtract, BusyComponentAnswersMinus255AndAFailingHandlerStopsTheRun) {
    std::vector<ZipItem> items{testzip::Entry("../first-refused.txt", "x")};
    for (int i = 0; i < 5; ++i) {
        items.push_back(testzip::Entry("file" + std::to_string(i) + ".txt", "data"));
    }
    Fixture f(MakeZip(items));
    f.zip.ExtrOptions = {ExtrOverWrite};
    int nested = 0;
    f.zip.OnMessage = [&](int, const std::wstring&) {
        nested = f.zip.ExtractArchive();
        throw std::runtime_error("handler failed");
    };
    f.zip.ExtractArchive();
    EXPECT_EQ(nested, -255);
    EXPECT_EQ(f.zip.SuccessCnt(), 0);
    EXPECT_TRUE(f.Files().empty());
    EXPECT_FALSE(f.zip.UnzipLoader().Loaded());
}

TEST(UnzipCallback, MessageTextIsBoundedAndKept) {
    TZipArchive zip;
    zip.Unattended = true;
    unzdll::UnzCallbackRecord record{};
    record.Caller = &zip;
    record.ActionCode = unzdll::actMessage;
    record.Arg1 = 0x1234;
    std::memset(record.Text, 'm', sizeof record.Text); // no terminator anywhere
    EXPECT_EQ(zip.HandleCallback(record), 0);
    EXPECT_EQ(zip.Message(), std::wstring(512, L'm'));
    EXPECT_EQ(zip.ErrCode(), 0x34);

    std::strcpy(record.Text, "sub/name.txt   ");
    zip.HandleCallback(record);
    EXPECT_EQ(zip.Message(), L"sub\\name.txt");
}

TEST(UnzipCallback, AnswersWithoutHandlers) {
    TZipArchive zip;
    zip.Unattended = true;
    std::vector<int> ids;
    zip.OnMessage = [&](int id, const std::wstring&) { ids.push_back(id); };
    const auto run = [&](std::uint8_t action, std::int32_t arg1, std::int32_t arg2) {
        unzdll::UnzCallbackRecord record{};
        record.Caller = &zip;
        record.ActionCode = action;
        record.Arg1 = arg1;
        record.Arg2 = arg2;
        EXPECT_EQ(zip.HandleCallback(record), 0);
        return record;
    };
    auto password = run(unzdll::actPassword, 5, 2);
    EXPECT_EQ(password.Arg1, 0);
    EXPECT_EQ(password.Arg2, 0);
    EXPECT_EQ(ids, std::vector<int>{PW_UnatExtPWMiss});
    EXPECT_EQ(zip.Message(), L"Error - no extract password given");
    EXPECT_EQ(run(unzdll::actCrcError, 0, 0).Arg1, 2);
    EXPECT_EQ(run(unzdll::actNewName, 7, 0).Arg1, 0);
    const auto stream = run(unzdll::actStreamSize, 0, 100);
    EXPECT_EQ(stream.Arg1, 1);
    EXPECT_EQ(stream.Arg2, 0);
    run(unzdll::actSkipped, 0x0107, 0);
    EXPECT_EQ(zip.ErrCode(), 7);
}
