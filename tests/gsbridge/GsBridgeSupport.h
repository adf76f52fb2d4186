#pragma once
// Helpers of the gsbridge tests: the stand-in's path, command-line pieces, sample PostScript, PDF page counting and
// a run of the shared runner that cannot hang the test program.
#include "app/common/ProcessRunner.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <optional>
#include <string>

namespace gsbridge_test {

inline constexpr const wchar_t* kGhostscript = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";

std::wstring Quoted(const std::filesystem::path& path);
std::string Utf8(const std::wstring& text);
std::string Ansi(const std::filesystem::path& path); // Windows-1252 bytes, as the product's list file holds them

// A PostScript document of n pages, each with its number written on it.
std::string PostScriptPages(int pages);

// Pages of a PDF as its objects declare them ("/Type /Page", not "/Pages").
int PdfPageCount(const std::string& pdf);

struct GuardedRun {
    ChildRun run;
    std::string output;
};
// RunHiddenPiped with the output collected. A run that outlives its deadline ends the whole test program with a
// failure message, since a hung child cannot be taken back from the runner.
GuardedRun RunGuarded(const std::wstring& commandLine, bool collect = true);

// Sets an environment variable of this process (and so of its children) for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};

} // namespace gsbridge_test
