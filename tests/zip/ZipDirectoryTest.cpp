// The archive directory reader and the component's listing: entries, warnings, damaged and truncated archives,
// the character-set rule for stored names, and the message table.
#include "installer/zip/ZipArchive.h"
#include "core/ZipDirectory.h"
#include "installer/zip/ZipMessages.h"

#include "gui/MessageBox.h"
#include "support/TestEnv.h"
#include "support/ZipWriter.h"

#include <gtest/gtest.h>

using testzip::BuildZip;
using testzip::MakeZip;
using testzip::ZipItem;

namespace {

std::vector<ZipItem> SampleItems() {
    return {
        testzip::Entry("readme.txt", "plain text, stored"),
        testzip::Entry("sub/", ""),
        testzip::Entry("sub/tool.exe", std::string(5000, 'x') + "tail", true),
        testzip::Entry("sub/deeper/data.bin", "0123456789", true),
    };
}

// An archive written to a file and read by the component, with its messages collected (no boxes).
struct Listing {
    testenv::TempDir dir{L"ziplist"};
    TZipArchive zip;
    std::vector<int> ids;
    std::vector<std::wstring> texts;

    explicit Listing(const std::string& bytes, const std::wstring& name = L"archive.zip") {
        testenv::WriteFileBytes(dir / name, bytes);
        zip.Unattended = true;
        zip.OnMessage = [this](int id, const std::wstring& text) {
            ids.push_back(id);
            texts.push_back(text);
        };
        zip.SetZipFileName((dir / name).wstring());
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < zip.Count(); ++i) {
            names.push_back(zip.DirEntry(i).FileName);
        }
        return names;
    }
};

} // namespace

TEST(ZipDirectory, ListsStoredAndDeflatedEntriesAndDropsFolders) {
    Listing list(MakeZip(SampleItems(), "the comment"));
    EXPECT_TRUE(list.ids.empty());
    EXPECT_EQ(list.Names(), (std::vector<std::wstring>{L"readme.txt", L"sub\\tool.exe", L"sub\\deeper\\data.bin"}));
    EXPECT_EQ(list.zip.DirOnlyCount(), 1);
    EXPECT_EQ(list.zip.ZipComment(), L"the comment");
    const ZipDirEntry& tool = list.zip.DirEntry(1);
    EXPECT_EQ(tool.ComprMethod, 8);
    EXPECT_EQ(tool.UncomprSize, 5004u);
    EXPECT_LT(tool.ComprSize, tool.UncomprSize);
    EXPECT_EQ(list.zip.DirEntry(0).ComprMethod, 0);
    EXPECT_EQ(list.zip.DirEntry(0).UncomprSize, 18u);
    EXPECT_FALSE(list.zip.DirEntry(0).Encrypted);
}

TEST(ZipDirectory, KeepsFolderEntriesWhenAsked) {
    testenv::TempDir dir(L"zipdirs");
    testenv::WriteFileBytes(dir / L"a.zip", MakeZip(SampleItems()));
    TZipArchive zip;
    zip.Unattended = true;
    zip.UseDirOnlyEntries = true;
    zip.SetZipFileName((dir / L"a.zip").wstring());
    ASSERT_EQ(zip.Count(), 4);
    EXPECT_EQ(zip.DirEntry(1).FileName, L"sub\\");
    EXPECT_EQ(zip.DirOnlyCount(), 0);
}

TEST(ZipDirectory, EmptyNameClearsWithoutMessageAndMissingFileIsSilent) {
    Listing list(MakeZip(SampleItems()));
    ASSERT_EQ(list.zip.Count(), 3);
    int updates = 0;
    list.zip.OnDirUpdate = [&] { ++updates; };
    list.zip.SetZipFileName(L"");
    EXPECT_EQ(list.zip.Count(), 0);
    list.zip.SetZipFileName((list.dir / L"nothing-here.zip").wstring());
    EXPECT_EQ(list.zip.Count(), 0);
    EXPECT_TRUE(list.ids.empty());
    EXPECT_EQ(updates, 2);
}

TEST(ZipDirectory, TrailingBytesAreJudged) {
    struct Case {
        const char* what;
        bool zeros;
        bool roundUpTo512;
        std::size_t extra;
        bool warned;
    };
    const std::string plain = MakeZip(SampleItems());
    const Case cases[] = {
        {"zero padding to a 512 multiple", true, true, 0, false},
        {"non-zero byte in the padding", false, true, 0, true},
        {"512 zero bytes and more", true, true, 512, true},
        {"zeros but no 512 multiple", true, false, 300, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t pad = c.roundUpTo512 ? 512 - plain.size() % 512 : c.extra;
        if (c.roundUpTo512) {
            pad += c.extra;
        }
        std::string trailer(pad, '\0');
        if (!c.zeros) {
            trailer[pad / 2] = 'G';
        }
        Listing list(plain + trailer);
        EXPECT_EQ(list.zip.Count(), 3);
        const bool warned = std::find(list.ids.begin(), list.ids.end(), LI_GarbageAtEOF) != list.ids.end();
        EXPECT_EQ(warned, c.warned);
        if (warned) {
            EXPECT_EQ(list.texts.front(), L"Warning - Garbage at the end of the zipfile!");
        }
    }
}

TEST(ZipDirectory, DataInFrontOfTheArchiveIsWarnedAndListed) {
    const auto layout = BuildZip(SampleItems(), {}, std::string(1000, 'P'));
    Listing list(layout.Bytes);
    ASSERT_EQ(list.ids, std::vector<int>{LI_WrongZipStruct});
    EXPECT_EQ(list.texts.front(), L"Warning - Error in zip structure!");
    EXPECT_EQ(list.Names().size(), 3u);
    EXPECT_EQ(list.zip.ZipSOC(), 1000);
}

TEST(ZipDirectory, LargestCommentIsFoundByTheBackwardScan) {
    std::string comment(65535, 'c');
    comment.replace(100, 4, "PK\x05\x07"); // near-signatures must not confuse the scan
    Listing list(MakeZip(SampleItems(), comment));
    EXPECT_TRUE(list.ids.empty());
    EXPECT_EQ(list.zip.Count(), 3);
    EXPECT_EQ(list.zip.ZipComment().size(), 65535u);
}

TEST(ZipDirectory, NotAnArchiveAndTooShortFiles) {
    const std::string cases[] = {"", "PK", std::string(21, 'z'), "This is plain text and no archive at all.",
                                 std::string(70000, 'q')};
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        Listing list(bytes, L"plain.zip");
        EXPECT_EQ(list.zip.Count(), 0);
        ASSERT_EQ(list.ids, std::vector<int>{DS_NoValidZip});
        EXPECT_EQ(list.texts.front(), L"This archive is not a valid Zip archive");
    }
}

TEST(ZipDirectory, DiskSetDiagnoses) {
    const std::string split = std::string("PK\x07\x08PK\x03\x04", 8) + std::string(100, 'd');
    struct Case {
        std::wstring name;
        std::string bytes;
        int id;
        std::wstring text;
    };
    const Case cases[] = {
        {L"backup007.zip", "no archive here at all, just bytes", DS_NotLastInSet,
         L"This is the 7th disk in a backup set,\nplease insert the last disk of this set"},
        {L"backup.z03", "no archive here at all, just bytes", DS_NotLastInSet,
         L"This is the 3th disk in a backup set,\nplease insert the last disk of this set"},
        {L"first.zip", split, DS_FirstFileOnHD,
         L"This is the first file in a backup set,\nplease choose the last file of this set"},
        {L"part001.zip", split, DS_FirstInSet,
         L"This is the first disk in a backup set,\nplease insert the last disk of this set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        Listing list(c.bytes, c.name);
        ASSERT_EQ(list.ids, std::vector<int>{c.id});
        EXPECT_EQ(list.texts.front(), c.text);
    }
}

TEST(ZipDirectory, DamagedFieldsGiveTheirMessage) {
    const auto layout = BuildZip(SampleItems(), "comment");
    const std::size_t end = layout.EndRecord;
    const std::size_t second = layout.CentralHeaders[1];
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        int id;
        std::size_t listed;
    };
    const Case cases[] = {
        {"directory larger than the file", [&](std::string& b) { testzip::Put32(b, end + 12, 0xFFFFFF00u); },
         LI_ReadZipError, 0},
        {"directory size one past its start", [&](std::string& b) { testzip::Put32(b, end + 12, end + 1); },
         LI_ReadZipError, 0},
        {"more entries than headers", [&](std::string& b) { testzip::Put16(b, end + 10, 9); }, DS_CEHBadRead, 3},
        {"bad central signature", [&](std::string& b) { b[second] = 'X'; }, DS_CEHWrongSig, 1},
        {"name length past the end", [&](std::string& b) { testzip::Put16(b, second + 28, 0xFFFF); }, DS_CENameLen, 1},
        {"extra length past the end", [&](std::string& b) { testzip::Put16(b, second + 30, 0xFFFF); }, LI_ReadZipError,
         1},
        {"comment length past the end", [&](std::string& b) { testzip::Put16(b, second + 32, 0xFFFF); }, DS_FCommentLen,
         1},
        {"archive comment longer than the file", [&](std::string& b) { testzip::Put16(b, end + 20, 60000); },
         LI_GarbageAtEOF, 3},
        {"directory on another disk", [&](std::string& b) { testzip::Put16(b, end + 6, 2); }, DS_NoDiskSpan, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = layout.Bytes;
        c.damage(bytes);
        Listing list(bytes);
        ASSERT_FALSE(list.ids.empty());
        EXPECT_EQ(list.ids.back(), c.id);
        EXPECT_EQ(list.texts.back(), ZipMessage(c.id));
        EXPECT_EQ(static_cast<std::size_t>(list.zip.Count()), c.listed);
    }
}

TEST(ZipDirectory, TruncatedArchivesAreReported) {
    // Every truncation through the reader alone: tests/core.
    const std::string whole = MakeZip(SampleItems(), "tail comment");
    for (std::size_t n : {std::size_t{10}, whole.size() / 2, whole.size() - 1}) {
        Listing list(whole.substr(0, n));
        EXPECT_FALSE(list.ids.empty()) << n;
    }
}

TEST(ZipDirectory, StoredNamesFollowTheCharacterSetRule) {
    struct Case {
        const char* what;
        std::uint16_t madeBy;
        TCodePageOpt codePage;
        std::string raw;
        std::wstring expected;
    };
    const Case cases[] = {
        {"MS-DOS host: OEM", 0x0014, cpAuto,
         "\x84rger \x94l \x81"
         "ber \xE1.txt",
         L"\u00e4rger \u00f6l \u00fcber \u00df.txt"},
        {"HPFS host: OEM", 0x0614, cpAuto, "\x8E.txt", L"\u00c4.txt"},
        {"NTFS host, zip 5.0: OEM", 0x0B32, cpAuto, "\x99.txt", L"\u00d6.txt"},
        {"NTFS host, zip 2.0: ANSI", 0x0B14, cpAuto, "\xE4\xF6\xFC\xDF.txt", L"\u00e4\u00f6\u00fc\u00df.txt"},
        {"Windows host forced to OEM", 0x0B14, cpOEM, "\x84.txt", L"\u00e4.txt"},
        {"MS-DOS host, no conversion", 0x0014, cpNone, "\xE4.txt", L"\u00e4.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::TempDir dir(L"zipcp");
        testenv::WriteFileBytes(dir / L"names.zip", MakeZip({testzip::Entry(c.raw, "x", false, c.madeBy)}));
        TZipArchive zip;
        zip.Unattended = true;
        zip.CodePage = c.codePage;
        zip.SetZipFileName((dir / L"names.zip").wstring());
        ASSERT_EQ(zip.Count(), 1);
        EXPECT_EQ(zip.DirEntry(0).FileName, c.expected);
    }
}

TEST(ZipMessages, TableAndFormatting) {
    EXPECT_EQ(ZipMessageCount(), 137);
    EXPECT_STREQ(ZipMessageText(10101), L"Fatal Error in ZipDLL.DLL: abort exception");
    EXPECT_STREQ(ZipMessageText(11502), L"Nothing to write");
    EXPECT_EQ(ZipMessageText(10100), nullptr);
    EXPECT_EQ(ZipMessage(LD_BadDll, L"C:\\x\\UNZDLL.DLL"), L"Unable to load C:\\x\\UNZDLL.DLL - It is old or corrupt");
    EXPECT_EQ(ZipMessage(EX_NoExtrDir, L"C:\\nope"), L"Extract directory 'C:\\nope' must exist");
    EXPECT_EQ(ZipMessage(DS_NotLastInSet, 4),
              L"This is the 4th disk in a backup set,\nplease insert the last disk of this set");
    EXPECT_EQ(ZipMessage(99), L"ZipArchive [ 99 ]");
    EXPECT_EQ(ZipMessage(99, L"t"), L"ZipArchive [ 99 ], t");
    EXPECT_EQ(ZipMessage(99, 5), L"ZipArchive [ 99 ] ,5");
    const EZipArchive e(LD_NoDll, L"UNZDLL.DLL");
    EXPECT_EQ(e.Id(), LD_NoDll);
    EXPECT_EQ(e.Message(), L"Failed to load UNZDLL.DLL");
}

TEST(ZipMessages, ShownInABoxUnlessUnattended) {
    testenv::TempDir dir(L"zipbox");
    testenv::WriteFileBytes(dir / L"bad.zip", "no archive");
    for (bool unattended : {false, true}) {
        gui::MessageBoxRecorder boxes;
        TZipArchive zip;
        zip.Unattended = unattended;
        zip.SetZipFileName((dir / L"bad.zip").wstring());
        EXPECT_EQ(zip.ErrCode(), DS_NoValidZip);
        EXPECT_EQ(zip.Message(), L"This archive is not a valid Zip archive");
        ASSERT_EQ(boxes.Records.size(), unattended ? 0u : 1u);
        if (!unattended) {
            EXPECT_EQ(boxes.Records[0].Text, L"This archive is not a valid Zip archive");
        }
    }
}

TEST(ZipArchiveHelpers, AppendDirSeparator) {
    const std::pair<std::wstring, std::wstring> cases[] = {{L"", L""},
                                                           {L"C:", L"C:\\"},
                                                           {L"C:\\", L"C:\\"},
                                                           {L"C:\\Programme\\ostrel", L"C:\\Programme\\ostrel\\"},
                                                           {L"a\\b\\", L"a\\b\\"}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(AppendDirSeparator(in), out);
    }
}

TEST(ZipArchiveHelpers, PropertySetters) {
    TZipArchive zip;
    zip.SetDLLDirectory(L"C:\\libs\\");
    EXPECT_EQ(zip.DLLDirectory(), L"C:\\libs");
    zip.SetPasswordReqCount(40);
    EXPECT_EQ(zip.PasswordReqCount(), 15);
    zip.SetPasswordReqCount(3);
    EXPECT_EQ(zip.PasswordReqCount(), 3);
    EXPECT_EQ(std::wstring(TZipArchive::VersionInfo), L"1.73");
}
