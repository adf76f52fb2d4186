// The document information on real files: patch, read and write never lose or half-write a file, and a patched
// file still converts.
#include "app/main/DocInfoFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <regex>

namespace fs = std::filesystem;

namespace {

// Two pages with a DSC header, CR LF line ends and a binary-looking comment that must survive byte for byte.
const char kTwoPagesBytes[] = "%!PS-Adobe-3.0\r\n%%Title: Old title\r\n%%For: me\r\n%%Creator: tool\r\n"
                              "%%Pages: 2\r\n%%EndComments\r\n%%BeginProlog\r\n"
                              "/F { /Helvetica findfont 24 scalefont setfont } def\r\n"
                              "% bin \0\xff\x01 end\n%%EndProlog\r\n%%Page: 1 1\r\n"
                              "F 72 700 moveto (Page one) show showpage\r\n%%Page: 2 2\r\n"
                              "F 72 700 moveto (Page two) show showpage\r\n%%Trailer\r\n%%EOF\r\n";
const std::string kTwoPages(kTwoPagesBytes, sizeof kTwoPagesBytes - 1);

std::wstring W(const fs::path& p) {
    return p.wstring();
}

void Patch(const fs::path& file) {
    AddDocInfoPdfmark(W(file));
    AddProducerLine(W(file));
}

std::size_t LeftoverTemporaries(const fs::path& folder) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        n += entry.path().filename().wstring().rfind(L"~di", 0) == 0;
    }
    return n;
}

FILETIME WriteTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

} // namespace

TEST(DocInfoFile, TestInputHoldsItsBinaryBytes) {
    ASSERT_NE(kTwoPages.find(std::string("\0\xff\x01", 3)), std::string::npos);
    ASSERT_EQ(kTwoPages.substr(kTwoPages.size() - 7), "%%EOF\r\n");
}

TEST(DocInfoFile, PatchIsStableAndKeepsUntouchedBytes) {
    testenv::TempDir dir;
    fs::path file = dir / L"two pages.ps";
    testenv::WriteFileBytes(file, kTwoPages);
    EXPECT_TRUE(AddDocInfoPdfmark(W(file)));
    EXPECT_FALSE(AddProducerLine(W(file))) << "the block brought its Producer";
    const std::string once = testenv::ReadFileBytes(file);
    const std::size_t at = kTwoPages.find("%%EndProlog") + 11;
    EXPECT_EQ(once.substr(0, at), kTwoPages.substr(0, at));
    EXPECT_EQ(once.substr(once.size() - (kTwoPages.size() - at)), kTwoPages.substr(at));

    const FILETIME before = WriteTime(file);
    EXPECT_FALSE(AddDocInfoPdfmark(W(file)));
    EXPECT_FALSE(AddProducerLine(W(file)));
    EXPECT_EQ(testenv::ReadFileBytes(file), once);
    const FILETIME after = WriteTime(file);
    EXPECT_EQ(CompareFileTime(&before, &after), 0) << "an unchanged file is not written";
    EXPECT_EQ(LeftoverTemporaries(dir.path()), 0u);
}

TEST(DocInfoFile, FieldsRoundTripThroughTheFile) {
    testenv::TempDir dir;
    fs::path file = dir / L"r\u00e9sum\u00e9.ps";
    testenv::WriteFileBytes(file, kTwoPages);
    Patch(file);
    docinfo::DocumentFields fields{"Q3 (final) \\ v2", "Ann (ops)", "Smile :-(", "a\\b, (c)", "Writer"};
    EXPECT_TRUE(docinfo::WriteDocumentFile(W(file), fields));
    EXPECT_FALSE(docinfo::WriteDocumentFile(W(file), fields)) << "nothing changed, nothing written";
    docinfo::DocumentFields back;
    docinfo::ReadDocumentFile(W(file), back);
    EXPECT_EQ(back, fields);
    EXPECT_EQ(docinfo::FieldToWide(docinfo::FieldFromWide(L"\u00c4rger \u20ac")), L"\u00c4rger \u20ac");
}

TEST(DocInfoFile, FailedWriteLeavesTheFileAsItWas) {
    testenv::TempDir dir;
    fs::path file = dir / L"held.ps";
    testenv::WriteFileBytes(file, kTwoPages);
    {
        // Another program reads the file and does not let it be replaced meanwhile.
        HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_THROW(Patch(file), docinfo::DocInfoFileError);
        EXPECT_THROW(docinfo::WriteDocumentFile(W(file), {"t", "a", "s", "k", "c"}), docinfo::DocInfoFileError);
        CloseHandle(held);
    }
    EXPECT_EQ(testenv::ReadFileBytes(file), kTwoPages);
    EXPECT_EQ(LeftoverTemporaries(dir.path()), 0u);

    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        Patch(file);
        ADD_FAILURE() << "a read-only file was written";
    } catch (const docinfo::DocInfoFileError& e) {
        EXPECT_EQ(e.Code(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(e.Path(), W(file));
    }
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testenv::ReadFileBytes(file), kTwoPages);

    EXPECT_THROW(Patch(dir / L"missing.ps"), docinfo::DocInfoFileError);
    EXPECT_FALSE(fs::exists(dir / L"missing.ps"));
}

TEST(DocInfoFile, HiddenAttributeSurvivesARewrite) {
    testenv::TempDir dir;
    fs::path file = dir / L"hidden.ps";
    testenv::WriteFileBytes(file, kTwoPages);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    Patch(file);
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(testenv::ReadFileBytes(file), kTwoPages);
}

// The print job is patched where it is: the file stays the same file (a writer's handle on it stays valid), and a
// job another program still holds open is refused rather than replaced under it.
TEST(DocInfoFile, PatchWritesInPlaceAndRefusesAFileHeldElsewhere) {
    testenv::TempDir dir;
    fs::path file = dir / L"job.ps";
    testenv::WriteFileBytes(file, kTwoPages);
    const auto identity = [&] {
        HANDLE h = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    const auto before = identity();
    {
        // A writer that lets everybody read, write and even replace the file meanwhile.
        HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        try {
            PatchDocumentInformation(W(file));
            ADD_FAILURE() << "a file held open elsewhere was patched";
        } catch (const docinfo::DocInfoFileError& e) {
            EXPECT_EQ(e.Code(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
        }
        CloseHandle(writer);
    }
    EXPECT_EQ(testenv::ReadFileBytes(file), kTwoPages);

    EXPECT_TRUE(PatchDocumentInformation(W(file)));
    EXPECT_EQ(identity(), before) << "the file was replaced";
    const std::string patched = testenv::ReadFileBytes(file);
    EXPECT_NE(patched.find(std::string(docinfo::ProducerLiteral)), std::string::npos);
    EXPECT_EQ(patched.find(std::string(docinfo::ProducerLiteral)), patched.rfind(std::string(docinfo::ProducerLiteral)))
        << "one Producer line";
    EXPECT_FALSE(PatchDocumentInformation(W(file)));
    EXPECT_EQ(LeftoverTemporaries(dir.path()), 0u);
}

TEST(DocInfoFile, OnlyPostScriptTextIsPatched) {
    struct Case {
        const char* what;
        std::string bytes;
        bool patched;
    };
    const std::string body = "%%EndComments\n%%EndProlog\n/Keywords (k)\nshowpage\n";
    const Case cases[] = {
        {"PostScript", "%!PS-Adobe-3.0\n" + body, true},
        {"behind a job header", "\x1B%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n%!PS\n" + body, true},
        {"another printer language",
         "\x1B"
         "E\x1B&l1O" +
             body,
         false},
        {"a PDF named .ps", "%PDF-1.4\n" + body, false},
    };
    for (const Case& c : cases) {
        testenv::TempDir dir;
        fs::path file = dir / L"in.ps";
        testenv::WriteFileBytes(file, c.bytes);
        EXPECT_EQ(PatchDocumentInformation(W(file)), c.patched) << c.what;
        EXPECT_EQ(AddDocInfoPdfmark(W(file)), false) << c.what;
        EXPECT_EQ(testenv::ReadFileBytes(file) != c.bytes, c.patched) << c.what;
    }
}

// The patched, retitled file still converts to two pages whose document information carries the texts.
TEST(DocInfoFile, PatchedFileConvertsThroughGhostscript) {
    const wchar_t* gs = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";
    if (GetFileAttributesW(gs) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the Ghostscript stand-in is not installed in this prefix";
    }
    testenv::TempDir dir;
    fs::path file = dir / L"in put.ps";
    fs::path pdf = dir / L"out.pdf";
    testenv::WriteFileBytes(file, kTwoPages);
    Patch(file);
    docinfo::WriteDocumentFile(W(file), {"Quarterly Report", "Ann", "Smile :-( \\o/", "k1 (k2)", "Writer"});
    const std::string once = testenv::ReadFileBytes(file);
    Patch(file);
    ASSERT_EQ(testenv::ReadFileBytes(file), once);

    std::wstring command = std::wstring(L"\"") + gs +
                           L"\" -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite \"-sOutputFile=" + W(pdf) + L"\" \"" +
                           W(file) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(code, 0u);

    const std::string bytes = testenv::ReadFileBytes(pdf);
    std::regex page(R"(/Type\s*/Page[^s])");
    EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()), 2);
    EXPECT_NE(bytes.find("/Title(Quarterly Report)"), std::string::npos);
    EXPECT_NE(bytes.find("/Subject(Smile :-\\( \\\\o/)"), std::string::npos);
    EXPECT_NE(bytes.find("/Keywords(k1 \\(k2\\))"), std::string::npos);
}
