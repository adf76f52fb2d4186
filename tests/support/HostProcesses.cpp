#include "support/HostProcesses.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace testenv {

std::vector<int> HostProcessesWith(const std::string& text) {
    std::vector<int> found;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        // A process that ends while its command line is read fails the read (the file buffer throws): it is gone,
        // so it does not count.
        std::string commandLine;
        try {
            std::ifstream in(std::filesystem::path(L"Z:\\proc\\" + name + L"\\cmdline"), std::ios::binary);
            commandLine.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } catch (const std::exception&) {
            continue;
        }
        if (commandLine.find(text) != std::string::npos) {
            found.push_back(std::stoi(name));
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

} // namespace testenv
