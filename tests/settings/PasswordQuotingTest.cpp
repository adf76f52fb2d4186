// The password switches of a Ghostscript command line as the C runtime of the started program splits them: each
// password arrives as one argument, exactly as typed.
#include "core/GhostscriptCommand.h"

#include <gtest/gtest.h>
#include <vector>
#include <windows.h>

#include <shellapi.h>

namespace {

std::vector<std::wstring> SplitLikeTheRuntime(const std::wstring& cmd) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(cmd.c_str(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    return args;
}

// The command of one PDF conversion with the default settings and the given security record.
std::wstring CommandFor(const SecuritySettings& sec) {
    DialogSettings d;
    GsOptions options;
    SetGsOptions(options, {});
    std::optional<GsPassSwitches> pass = BuildPassSwitches(d, options, sec, 0);
    if (!pass)
        return L"<no pass>";
    return BuildGsCommandLine(pass->GhostscriptProgram, pass->GsDeviceSwitches, options, d.OutputType,
                              d.MayChangePdfLevel, L" -sOutputFile=\"C:\\PDF\\OUT\\a b.pdf", L" \"C:\\PDF\\IN\\a b.ps");
}

struct QuoteCase {
    const wchar_t* password;
    const wchar_t* switchText; // as it appears after the blank
};

class PasswordQuoting : public testing::TestWithParam<QuoteCase> {};

TEST_P(PasswordQuoting, OneArgumentWithTheExactPassword) {
    SecuritySettings s;
    s.OwnerPasswordOn = true;
    s.OwnerPassword = GetParam().password;
    s.UserPasswordOn = true;
    s.UserPassword = GetParam().password;
    const std::wstring sw = GsSecuritySwitches(s, 0, PasswordForm::Real);
    const std::wstring expectedUser = std::wstring(GetParam().switchText);
    EXPECT_NE(sw.find(L" " + expectedUser), std::wstring::npos) << sw;

    const std::vector<std::wstring> args = SplitLikeTheRuntime(CommandFor(s));
    int owner = 0, user = 0;
    for (const std::wstring& a : args) {
        owner += a == L"-sOwnerPassword=" + std::wstring(GetParam().password);
        user += a == L"-sUserPassword=" + std::wstring(GetParam().password);
    }
    EXPECT_EQ(owner, 1);
    EXPECT_EQ(user, 1);
    EXPECT_EQ(args.back(), L"C:\\PDF\\IN\\a b.ps");
}

INSTANTIATE_TEST_SUITE_P(Table, PasswordQuoting,
                         testing::Values(QuoteCase{L"secret", L"-sUserPassword=secret"},
                                         QuoteCase{L"my pass", L"\"-sUserPassword=my pass\""},
                                         QuoteCase{L"tab\there", L"\"-sUserPassword=tab\there\""},
                                         QuoteCase{L"say\"hi", L"\"-sUserPassword=say\\\"hi\""},
                                         QuoteCase{L"a\\\"b", L"\"-sUserPassword=a\\\\\\\"b\""},
                                         QuoteCase{L"end \\", L"\"-sUserPassword=end \\\\\""},
                                         QuoteCase{L"back\\slash", L"-sUserPassword=back\\slash"}));

} // namespace
