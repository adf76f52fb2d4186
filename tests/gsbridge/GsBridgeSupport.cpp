#include "GsBridgeSupport.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <regex>

namespace gsbridge_test {

std::wstring Quoted(const std::filesystem::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

namespace {

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

std::string Utf8(const std::wstring& text) {
    return Narrow(text, CP_UTF8);
}
std::string Ansi(const std::filesystem::path& path) {
    return Narrow(path.wstring(), 1252);
}

std::string PostScriptPages(int pages) {
    std::string ps = "%!PS\n/Helvetica findfont 36 scalefont setfont\n";
    for (int i = 1; i <= pages; ++i) {
        ps += "72 700 moveto (Seite " + std::to_string(i) + ") show showpage\n";
    }
    return ps;
}

int PdfPageCount(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page(?![A-Za-z]))");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

GuardedRun RunGuarded(const std::wstring& commandLine, bool collect) {
    auto task = std::async(std::launch::async, [commandLine, collect] {
        GuardedRun result;
        std::function<void(std::string_view)> sink;
        if (collect) {
            sink = [&result](std::string_view chunk) { result.output.append(chunk); };
        }
        result.run = RunHiddenPiped(commandLine, sink);
        return result;
    });
    if (task.wait_for(std::chrono::minutes(3)) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: the child run did not end within 3 minutes: %s\n", Utf8(commandLine).c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    return task.get();
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t buffer[4096];
    DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer)) {
        previous_ = std::wstring(buffer, n);
    }
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
    SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

} // namespace gsbridge_test
