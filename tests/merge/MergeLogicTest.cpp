// The text pieces of a merge: the list file's bytes, the switches with and without security, the command line.
#include "MergeFixture.h"

#include <gtest/gtest.h>

using namespace mergetest;

namespace {

struct ListCase {
    const char* Title;
    std::vector<std::wstring> Paths;
    std::string Bytes;
};

TEST(MergeListFile, OneQuotedWholePathPerLineInCodePage1252) {
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'a') + L"\\z.pdf";
    const ListCase cases[] = {
        {"empty list", {}, ""},
        {"order kept", {L"C:\\b.pdf", L"C:\\a.pdf"}, "\"C:\\b.pdf\"\r\n\"C:\\a.pdf\"\r\n"},
        {"umlauts and euro as single bytes",
         {L"C:\\Pr\u00fcfung \u20ac\\\u00c4rger.pdf"},
         "\"C:\\Pr\xfc"
         "fung \x80\\\xc4rger.pdf\"\r\n"},
        {"long path written whole", {longPath}, QuotedLine(std::string(longPath.begin(), longPath.end()))},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.Title);
        std::optional<std::string> bytes = MergeListFileBytes(c.Paths);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, c.Bytes);
    }
}

TEST(MergeListFile, PathOutsideTheCodePageIsNamedWhenItHasNoShortName) {
    const std::wstring missing = L"C:\\nirgends\\\u0416\u0443\u043a.pdf"; // does not exist: no short name either
    std::wstring unwritable;
    EXPECT_FALSE(MergeListFileBytes({L"C:\\a.pdf", missing}, &unwritable).has_value());
    EXPECT_EQ(unwritable, missing);
}

struct SwitchCase {
    const char* Title;
    SecuritySettings Security;
    std::wstring Expected;
};

SecuritySettings Owner(const std::wstring& password) {
    SecuritySettings s;
    s.OwnerPasswordOn = true;
    s.OwnerPassword = password;
    return s;
}

TEST(MergeSwitches, SecurityIsFortyBitWithPermissions) {
    const std::wstring base = L"-dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite";
    SecuritySettings printCopy = Owner(L"geheim");
    printCopy.DenyPrinting = true;
    printCopy.DenyCopying = true;
    printCopy.KeyLength = 1; // a 128-bit choice of the conversion does not reach the merge
    SecuritySettings all = Owner(L"o");
    all.DenyPrinting = all.DenyChanging = all.DenyCopying = all.DenyFormFilling = true;
    all.DenyHighQualityPrinting = all.DenyContentAccess = true; // no 40-bit meaning
    SecuritySettings user = Owner(L"o");
    user.UserPasswordOn = true;
    user.UserPassword = L"u";
    SecuritySettings blank = Owner(L"mein Kennwort");
    SecuritySettings noOwner;
    noOwner.UserPasswordOn = true;
    noOwner.UserPassword = L"u";
    SecuritySettings emptyOwner = Owner(L"");

    const SwitchCase cases[] = {
        {"no protection", SecuritySettings{}, base},
        {"open password alone does nothing", noOwner, base},
        {"owner box without password does nothing", emptyOwner, base},
        {"printing and copying denied", printCopy,
         base + L" -dEncryptionR#2 -dKeyLength#40 -sOwnerPassword=geheim -dPermissions#-24"},
        {"everything denied", all, base + L" -dEncryptionR#2 -dKeyLength#40 -sOwnerPassword=o -dPermissions#-64"},
        {"open password first", user,
         base + L" -dEncryptionR#2 -dKeyLength#40 -sUserPassword=u -sOwnerPassword=o -dPermissions#-4"},
        {"a password with a blank stays one argument", blank,
         base + L" -dEncryptionR#2 -dKeyLength#40 \"-sOwnerPassword=mein Kennwort\" -dPermissions#-4"},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.Title);
        EXPECT_EQ(MergeBaseSwitches(c.Security), c.Expected);
        // The memo and the log show the same switches with every password as "***".
        std::wstring masked = MergeBaseSwitches(c.Security, PasswordForm::Masked);
        for (const wchar_t* password : {L"geheim", L"mein Kennwort", L"-sOwnerPassword=o ", L"-sUserPassword=u "}) {
            EXPECT_EQ(masked.find(password), std::wstring::npos) << std::string(masked.begin(), masked.end());
        }
        EXPECT_EQ(masked.find(L"#"), c.Expected.find(L"#"));
    }
}

TEST(MergeSwitches, OutputAndListFileFollowTheBase) {
    EXPECT_EQ(MergeSwitches(L"-dBATCH", L"C:\\Aus gabe\\", L"Neu.pdf"),
              L"-dBATCH -sOutputFile=\"C:\\Aus gabe\\Neu.pdf\" -c .setpdfwrite -f @\"C:\\Aus gabe\\PDFList.txt\"");
    EXPECT_EQ(MergePreviewCommand(L"C:\\gs\\gswin32c.exe", L"C:\\a b.pdf"),
              L"\"C:\\gs\\gswin32c.exe\" -dSAFER -dBATCH -r96 \"C:\\a b.pdf\"");
}

} // namespace
