// The main window unit's shared helpers and the message that hands a file to the running copy.
#include "app/main/OstrelForward.h"
#include "core/TextUtil.h"
#include "app/main/Ostrel_Helpers.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(Helpers, GetFileSizeByName) {
    testenv::TempDir dir(L"helpers");
    testenv::WriteFileBytes(dir / L"five.ps", "12345");
    testenv::WriteFileBytes(dir / L"empty.ps", "");
    EXPECT_EQ(GetFileSizeByName((dir / L"five.ps").wstring()), 5);
    EXPECT_EQ(GetFileSizeByName((dir / L"empty.ps").wstring()), 0);
    EXPECT_EQ(GetFileSizeByName((dir / L"missing.ps").wstring()), -1);
    EXPECT_EQ(GetFileSizeByName((dir / L"nowhere" / L"x.ps").wstring()), -1);
}

TEST(Helpers, CommandLineFolderIsTheFullFolderOfTheFile) {
    testenv::TempDir dir(L"cmdline");
    EXPECT_EQ(CommandLineFolder(L"C:\\PDF\\IN\\a.ps"), L"C:\\PDF\\IN\\");
    EXPECT_EQ(CommandLineFolder(L"C:\\a.ps"), L"C:\\");
    // A bare name belongs to the current folder; it is never a folder of its own.
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const std::wstring bare = CommandLineFolder(L"a.ps");
    fs::current_path(previous);
    EXPECT_EQ(bare, WithTrailingBackslash(dir.path().wstring()));
}

TEST(Forwarding, OnlyOurCopyDataCarriesAFile) {
    std::wstring path = L"C:\\PDF\\IN\\a b.ps";
    COPYDATASTRUCT data{kForwardFileTag, static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)), path.data()};
    EXPECT_EQ(ForwardedFile(&data), std::optional<std::wstring>(path));

    COPYDATASTRUCT other = data;
    other.dwData = 1;
    EXPECT_EQ(ForwardedFile(&other), std::nullopt);
    COPYDATASTRUCT odd = data;
    odd.cbData = 3;
    EXPECT_EQ(ForwardedFile(&odd), std::nullopt);
    COPYDATASTRUCT empty{kForwardFileTag, sizeof(wchar_t), const_cast<wchar_t*>(L"")};
    EXPECT_EQ(ForwardedFile(&empty), std::nullopt);
    EXPECT_EQ(ForwardedFile(nullptr), std::nullopt);
}

} // namespace
