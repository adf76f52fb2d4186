// The download routine and the version check without a window: file:// addresses of scratch files stand for the
// maker's server, and a one-shot loopback server answers where an HTTP status matters.
#include "UpdateTestSupport.h"

#include "app/common/DownloadToFile.h"
#include "app/dialogs/UpdateCheck.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using updatetest::FileUrl;

bool Exists(const std::filesystem::path& file) {
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- DownloadToFile ---------------------------------------------------------------------------------------------

TEST(DownloadToFileTest, CopiesAFileAddressByteForByte) {
    testenv::TempDir dir(L"dl");
    const std::string bytes = std::string("[Version]\r\nOstrel=1.2.3.4\r\n") + '\0' + "\xE4\xDF tail";
    testenv::WriteFileBytes(dir / L"server.ini", bytes);
    testenv::WriteFileBytes(dir / L"local.ini", "old copy");
    ASSERT_TRUE(DownloadToFile(FileUrl(dir / L"server.ini"), (dir / L"local.ini").wstring()));
    EXPECT_EQ(testenv::ReadFileBytes(dir / L"local.ini"), bytes);
    EXPECT_FALSE(Exists(dir / L"local.ini.download"));
}

TEST(DownloadToFileTest, AFailureLeavesTheLocalFileAsItWas) {
    testenv::TempDir dir(L"dl");
    testenv::WriteFileBytes(dir / L"local.ini", "old copy");
    struct Case {
        const char* Why;
        std::wstring Address;
    };
    const Case cases[] = {
        {"missing file", FileUrl(dir / L"nowhere.ini")},
        {"missing folder", FileUrl(dir / L"no-folder" / L"update.ini")},
        {"empty address", L""},
        {"not an address", L"::no address::"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Why);
        EXPECT_FALSE(DownloadToFile(c.Address, (dir / L"local.ini").wstring()));
        EXPECT_EQ(testenv::ReadFileBytes(dir / L"local.ini"), "old copy");
        EXPECT_FALSE(Exists(dir / L"local.ini.download"));
    }
    // Nor does a failure create a file that was not there.
    EXPECT_FALSE(DownloadToFile(FileUrl(dir / L"nowhere.ini"), (dir / L"fresh.ini").wstring()));
    EXPECT_FALSE(Exists(dir / L"fresh.ini"));
}

TEST(DownloadToFileTest, AnHttpErrorPageIsNoDownload) {
    testenv::TempDir dir(L"dl");
    testenv::WriteFileBytes(dir / L"local.ini", "old copy");
    {
        updatetest::OneShotHttpServer server("HTTP/1.0 404 Not Found", "<html>no such file</html>");
        EXPECT_FALSE(DownloadToFile(server.Url(L"/update.ini"), (dir / L"local.ini").wstring()));
    }
    EXPECT_EQ(testenv::ReadFileBytes(dir / L"local.ini"), "old copy");
    EXPECT_FALSE(Exists(dir / L"local.ini.download"));
    {
        updatetest::OneShotHttpServer server("HTTP/1.0 200 OK", "[Version]\r\nOstrel=9.8.7.6\r\n");
        EXPECT_TRUE(DownloadToFile(server.Url(L"/update.ini"), (dir / L"local.ini").wstring()));
    }
    EXPECT_EQ(testenv::ReadFileBytes(dir / L"local.ini"), "[Version]\r\nOstrel=9.8.7.6\r\n");
}

// ---- Versions ---------------------------------------------------------------------------------------------------

TEST(FileVersionTest, ReadsTheVersionResourceOfAFile) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring kernel = std::wstring(system) + L"\\kernel32.dll";
    const std::wstring version = FileVersionString(kernel);
    EXPECT_TRUE(ParseFileVersion(version).has_value()) << version;

    testenv::TempDir dir(L"ver");
    testenv::WriteFileBytes(dir / L"plain.exe", "no resource here");
    EXPECT_EQ(FileVersionString((dir / L"plain.exe").wstring()), L"");
    EXPECT_EQ(FileVersionString((dir / L"missing.exe").wstring()), L"");

    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(RunningProgramVersion(), FileVersionString(self));
}

// ---- CheckForNewVersion -----------------------------------------------------------------------------------------

class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override {
        check.Address = FileUrl(server / L"update.ini");
        check.LocalCopy = program / L"update.ini";
        check.OwnVersion = L"1.2.3.4";
        check.OnStatus = [this](UpdateStatus s) { seen.push_back(s); };
    }
    void Publish(const std::string& ini) { testenv::WriteFileBytes(server / L"update.ini", ini); }
    void Withdraw() { DeleteFileW((server / L"update.ini").c_str()); }
    UpdateStatus Run() {
        seen.clear();
        return check.CheckForNewVersion();
    }

    testenv::TempDir server{L"srv"};
    testenv::TempDir program{L"prg"};
    UpdateCheck check;
    std::vector<UpdateStatus> seen;
};

using S = UpdateStatus;

TEST_F(UpdateCheckTest, EachServerVersionGivesItsStatus) {
    struct Case {
        const char* Ini;
        const wchar_t* Newest;
        UpdateStatus Final;
    };
    const Case cases[] = {
        {"[Version]\r\nOstrel=1.2.3.4\r\n", L"1.2.3.4", S::UPD3},   // equal
        {"[Version]\r\nOstrel=1.2.3.5\r\n", L"1.2.3.5", S::UPD4},   // newer
        {"[Version]\r\nOstrel=1.2.3.3\r\n", L"1.2.3.3", S::UPD3},   // older
        {"[Version]\r\nOstrel=1.2.3.x\r\n", L"1.2.3.x", S::UPD4},   // malformed
        {"[version]\r\nostrel = 2.0.0.0\r\n", L"2.0.0.0", S::UPD4}, // profile rules: any case, blanks
        {"; comment\r\n[Other]\r\nOstrel=9.9.9.9\r\n[Version]\r\nOstrel=1.2.3.4\r\n", L"1.2.3.4", S::UPD3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Ini);
        Publish(c.Ini);
        EXPECT_EQ(Run(), c.Final);
        EXPECT_EQ(seen, (std::vector<UpdateStatus>{S::UPD1, S::UPD2, c.Final}));
        EXPECT_EQ(check.NewestVersion, c.Newest);
        // The local copy stays in the program folder.
        EXPECT_EQ(testenv::ReadFileBytes(program / L"update.ini"), c.Ini);
    }
}

TEST_F(UpdateCheckTest, AFailedDownloadKeepsTheLastVersionRead) {
    Publish("[Version]\r\nOstrel=1.2.3.5\r\n");
    ASSERT_EQ(Run(), S::UPD4);
    Withdraw();
    EXPECT_EQ(Run(), S::UPD5);
    EXPECT_EQ(seen, (std::vector<UpdateStatus>{S::UPD1, S::UPD5}));
    EXPECT_EQ(check.NewestVersion, L"1.2.3.5");
    // The copy of the last successful check is not spoilt by the failed one.
    EXPECT_EQ(testenv::ReadFileBytes(program / L"update.ini"), "[Version]\r\nOstrel=1.2.3.5\r\n");

    // A check that fails before any succeeded has no version to show.
    UpdateCheck fresh = check;
    fresh.NewestVersion.clear();
    EXPECT_EQ(fresh.CheckForNewVersion(), S::UPD5);
    EXPECT_EQ(fresh.NewestVersion, L"");
}

TEST_F(UpdateCheckTest, AFileWithoutTheKeyComparesThePreviousValue) {
    Publish("[Version]\r\nOstrel=1.2.3.4\r\n");
    ASSERT_EQ(Run(), S::UPD3);
    for (const char* ini : {"[Version]\r\nAnderes=5.0.0.0\r\n", "[Andere]\r\nOstrel=5.0.0.0\r\n", ""}) {
        SCOPED_TRACE(ini);
        Publish(ini);
        EXPECT_EQ(Run(), S::UPD3);
        EXPECT_EQ(check.NewestVersion, L"1.2.3.4");
    }
}

TEST_F(UpdateCheckTest, TheDownloadCanBeReplacedAndGetsTheAddressAndLocalPath) {
    std::wstring address, local;
    check.Address = L"http://example.invalid/update.ini";
    check.Download = [&](const std::wstring& a, const std::wstring& l) {
        address = a;
        local = l;
        testenv::WriteFileBytes(l, "[Version]\r\nOstrel=1.2.4.0\r\n");
        return true;
    };
    EXPECT_EQ(Run(), S::UPD4);
    EXPECT_EQ(address, L"http://example.invalid/update.ini");
    EXPECT_EQ(local, (program / L"update.ini").wstring());
    EXPECT_EQ(check.NewestVersion, L"1.2.4.0");
}

} // namespace
