#include "support/TestEnv.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testenv {
namespace {

std::filesystem::path FromEnvironment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer)) {
        throw std::runtime_error("test environment variable missing (run the test through CTest)");
    }
    return std::filesystem::path(buffer);
}

} // namespace

std::filesystem::path SourceDir() {
    return FromEnvironment(L"OSTREL_SOURCE_DIR");
}
std::filesystem::path BinaryDir() {
    return FromEnvironment(L"OSTREL_BINARY_DIR");
}

TempDir::TempDir(const std::wstring& tag) {
    static std::atomic<unsigned> counter{0};
    auto base = BinaryDir() / L"scratch";
    std::filesystem::create_directories(base);
    for (;;) {
        auto candidate =
            base / (tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            break;
        }
    }
}

TempDir::~TempDir() {
    // A program a test ran may still hold its image or log for a moment after it ended (Wine lets go of them
    // late): try again briefly rather than leave the folder behind.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        if (!std::filesystem::exists(path_, error)) {
            return;
        }
        Sleep(100);
    }
}

std::string ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void SetVariable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

} // namespace testenv
