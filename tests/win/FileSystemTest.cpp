// What is at a path, asked of the file system.
#include "win/FileSystem.h"

#include "core/TextEncoding.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(FileSystem, TellsFilesFoldersAndNothingApart) {
    testenv::TempDir dir(L"fs");
    testenv::WriteFileBytes(dir / L"f\u00fcnf.ps", "12345");
    std::filesystem::create_directory(dir / L"Bl\u00e4tter");
    const std::wstring base = dir.path().wstring();
    struct Case {
        std::wstring path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {base + L"\\f\u00fcnf.ps", true, false},
        {base + L"\\Bl\u00e4tter", false, true},
        {base + L"\\Bl\u00e4tter\\", false, true},
        {base + L"\\BL\u00c4TTER", false, true}, // the file system ignores case
        {base + L"\\missing", false, false},
        {base + L"\\missing\\f\u00fcnf.ps", false, false},
        {L"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.path));
        EXPECT_EQ(FileExists(c.path), c.file);
        EXPECT_EQ(DirectoryExists(c.path), c.folder);
        EXPECT_EQ(PathExists(c.path), c.file || c.folder);
    }
}

TEST(FileSystem, ABareDriveIsAFolder) {
    testenv::TempDir dir(L"fsdrive");
    const std::wstring drive = dir.path().wstring().substr(0, 2);
    ASSERT_EQ(drive[1], L':');
    EXPECT_TRUE(DirectoryExists(drive));
    EXPECT_TRUE(PathExists(drive));
    EXPECT_FALSE(FileExists(drive));
}
