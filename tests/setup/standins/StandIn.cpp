// Stand-ins for the outside programs the installer starts: the Ghostscript installer (writes its registry value),
// the port monitor's set-up program and rundll32. Each appends "<role>|<its command line>" to the file named by
// OSTREL_SETUP_LOG, so a test sees what ran, in which order and with which arguments.
#include <windows.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

void Log(const std::wstring& line) {
    const std::wstring file = Env(L"OSTREL_SETUP_LOG");
    if (file.empty())
        return;
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    bytes += "\n";
    HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
}

[[maybe_unused]] bool PortConfigured() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Umgeleiteter Anschlu\u00df\\Ports\\RPT1:",
                      0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool present = RegQueryValueExW(key, L"Command", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return present;
}

} // namespace

int wmain() {
#if STANDIN_ROLE == 1
    Log(std::wstring(L"gs854w32|") + GetCommandLineW());
    std::wstring value = Env(L"OSTREL_GS_DLL");
    if (value.empty())
        value = L"C:\\Program Files\\gs\\gs8.54\\bin\\gsdll32.dll";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\AFPL Ghostscript\\8.54", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return 2;
    RegSetValueExW(key, L"GS_DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return 0;
#elif STANDIN_ROLE == 2
    Log(std::wstring(L"setup|") + GetCommandLineW() + (PortConfigured() ? L"|port configured" : L"|port missing"));
    return 0;
#else
    Log(std::wstring(L"rundll32|") + GetCommandLineW());
    return 0;
#endif
}
