// The ground every other test program stands on: scratch folders, the scratch drive letters and a display.
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(Harness, TempDirIsFreshAndRemoved) {
    std::filesystem::path kept;
    {
        testenv::TempDir a, b;
        ASSERT_TRUE(std::filesystem::is_directory(a.path()));
        EXPECT_NE(a.path(), b.path());
        EXPECT_TRUE(std::filesystem::is_empty(a.path()));
        testenv::WriteFileBytes(a / L"x.bin", std::string("a\r\nb\0c", 6));
        EXPECT_EQ(testenv::ReadFileBytes(a / L"x.bin"), std::string("a\r\nb\0c", 6));
        kept = a.path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(Harness, ScratchDrivesAreFixedDrivesOfTheBuild) {
    for (const wchar_t* root : {L"S:\\", L"T:\\"}) {
        UINT type = GetDriveTypeW(root);
        EXPECT_TRUE(type == DRIVE_FIXED || type == DRIVE_REMOTE) << "drive " << root << " type " << type;
        EXPECT_NE(GetFileAttributesW(root), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(Harness, WindowsCanBeCreated) {
    HWND w = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    wchar_t text[16] = {};
    GetWindowTextW(w, text, 16);
    EXPECT_STREQ(text, L"probe");
    DestroyWindow(w);
}
