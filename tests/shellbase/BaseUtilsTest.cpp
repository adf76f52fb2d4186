// Path, text and number helpers and the disk-size query.
#include "components/BaseUtils.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

constexpr LCID German = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
constexpr LCID English = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

} // namespace

TEST(BaseUtils, StrTranslateReplacesPairByPair) {
    struct Case {
        std::wstring text, pairs, expected;
    };
    for (const Case& c : {Case{L"a/b/c", L"/\\", L"a\\b\\c"}, Case{L"abcabc", L"abbx", L"xxcxxc"},
                          Case{L"abc", L"ab", L"bbc"}, Case{L"a/b", L"/\\:", L"a/b"}, Case{L"aaa", L"aa", L"aaa"},
                          Case{L"", L"ab", L""}, Case{L"abc", L"", L"abc"}}) {
        std::wstring s = c.text;
        StrTranslate(s, c.pairs);
        EXPECT_EQ(s, c.expected);
    }
}

TEST(BaseUtils, StrContainsChars) {
    EXPECT_TRUE(StrContainsChars(L"\\/:*?\"<>|", L"a?b"));
    EXPECT_FALSE(StrContainsChars(L"\\/:*?\"<>|", L"plain name.txt"));
    EXPECT_FALSE(StrContainsChars(L"", L"abc"));
    EXPECT_FALSE(StrContainsChars(L"abc", L""));
}

TEST(BaseUtils, BackslashesAndNames) {
    EXPECT_EQ(RemoveTrailingBackslash(L"C:\\"), L"C:");
    EXPECT_EQ(RemoveTrailingBackslash(L"C:\\x"), L"C:\\x");
    EXPECT_EQ(RemoveTrailingBackslash(L""), L"");
    EXPECT_EQ(FileNameWithoutExt(L"C:\\x\\archive.tar.gz"), L"archive.tar");
    EXPECT_EQ(FileNameWithoutExt(L"C:\\x\\a.tar.t"), L"a.tar");
    EXPECT_EQ(FileNameWithoutExt(L"C:\\x.d\\readme"), L"readme");
    EXPECT_EQ(FileNameWithoutExt(L"C:name.ps"), L"name");
    EXPECT_EQ(FileNameWithoutExt(L"plain"), L"plain");
}

TEST(BaseUtils, FormatWithThousandsFollowsTheLocale) {
    struct Case {
        LCID locale;
        std::uint64_t value;
        const wchar_t* expected;
    };
    for (const Case& c :
         {Case{German, 0, L"0"}, Case{German, 999, L"999"}, Case{German, 1000, L"1.000"},
          Case{German, 1234567, L"1.234.567"}, Case{German, 4294967295u, L"4.294.967.295"}, Case{English, 999, L"999"},
          Case{English, 1000, L"1,000"}, Case{English, 123456, L"123,456"}, Case{English, 1234567, L"1,234,567"}}) {
        EXPECT_EQ(FormatWithThousands(static_cast<std::uint32_t>(c.value), c.locale), c.expected);
        EXPECT_EQ(FormatWithThousands64(static_cast<std::int64_t>(c.value), c.locale), c.expected);
    }
    EXPECT_EQ(FormatWithThousands64(5000000000LL, German), L"5.000.000.000");
    EXPECT_EQ(FormatWithThousands64(9223372036854775807LL, English), L"9,223,372,036,854,775,807");
    EXPECT_EQ(FormatWithThousands64(-1234, English), L"-1,234");
}

TEST(BaseUtils, FormatWithThousandsUsesTheUserLocaleByDefault) {
    wchar_t separator[8] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8), 0);
    EXPECT_EQ(FormatWithThousands(1000), std::wstring(L"1") + separator[0] + L"000");
}

TEST(BaseUtils, ExistenceTests) {
    testenv::TempDir dir;
    const std::wstring folder = (dir / L"sub").wstring();
    const std::wstring file = (dir / L"f.txt").wstring();
    CreateDirectoryW(folder.c_str(), nullptr);
    testenv::WriteFileBytes(file, "x");

    EXPECT_TRUE(FileOrDirExists(file));
    EXPECT_TRUE(FileOrDirExists(folder));
    EXPECT_FALSE(FileOrDirExists((dir / L"missing").wstring()));
    EXPECT_FALSE(FileOrDirExists(L""));

    EXPECT_TRUE(CheckFileExists(file));
    EXPECT_FALSE(CheckFileExists((dir / L"missing").wstring()));
    EXPECT_FALSE(CheckFileExists(folder));

    DWORD attrs = 12345;
    EXPECT_TRUE(DirExists(folder, attrs));
    EXPECT_NE(attrs & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(DirExists(folder + L"\\"));
    EXPECT_FALSE(DirExists(file, attrs));
    EXPECT_EQ(attrs & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(DirExists((dir / L"missing").wstring()));
    // A drive given as letter and colon counts as a folder without a look at the medium.
    for (const wchar_t* root : {L"Q:", L"Q:\\", L"S:"}) {
        EXPECT_TRUE(DirExists(root, attrs)) << char(root[0]);
        EXPECT_EQ(attrs, 0u);
    }
}

TEST(BaseUtils, FreeAndNilPIDL) {
    LPITEMIDLIST p = PIDL_GetFromPath(L"S:\\").release();
    ASSERT_NE(p, nullptr);
    FreeAndNilPIDL(p);
    EXPECT_EQ(p, nullptr);
    FreeAndNilPIDL(p); // a second call does nothing
    EXPECT_EQ(p, nullptr);
}

TEST(BaseUtils, DiskSizeOfTheScratchDrive) {
    ULARGE_INTEGER freeAvailable, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &freeAvailable, &total, &totalFree));
    EXPECT_EQ(DiskSize('S' - 64), static_cast<std::int64_t>(total.QuadPart));
    EXPECT_GT(DiskSize(0), 0);         // the current drive
    EXPECT_EQ(DiskSize('R' - 64), -1); // no such drive in the test prefix
}

TEST(BaseUtils, ClusterArithmeticSumsIn64Bits) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(L"S:\\", &sectors, &bytes, &freeClusters, &clusters));
    ULARGE_INTEGER freeAvailable, total, totalFree;
    ASSERT_TRUE(DiskFreeSpaceFromClusters(L"S:\\", &freeAvailable, &total, &totalFree));
    const std::uint64_t cluster = std::uint64_t{sectors} * bytes;
    EXPECT_EQ(total.QuadPart, cluster * clusters);
    EXPECT_EQ(freeAvailable.QuadPart, cluster * freeClusters);
    EXPECT_EQ(totalFree.QuadPart, cluster * freeClusters);
    EXPECT_FALSE(DiskFreeSpaceFromClusters(L"R:\\", &freeAvailable, &total, &totalFree));
}
