#include "app/main/ShellFileOperation.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// The shell reads a list of names ended by an empty one: one name, then two more NULs.
std::wstring DoubleNulList(const std::wstring& name) {
    return name + std::wstring(2, L'\0');
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n ? std::string(buffer, n) : "error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

void ShellFileOperation(const std::wstring& source, const std::wstring& target, unsigned int operation,
                        unsigned int flags) {
    std::wstring from = DoubleNulList(source);
    std::wstring to = DoubleNulList(target);
    SHFILEOPSTRUCTW op{};
    op.hwnd = nullptr;
    op.wFunc = operation;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    SetLastError(ERROR_SUCCESS);
    int result = SHFileOperationW(&op);
    if (result != 0 || op.fAnyOperationsAborted) {
        DWORD error = GetLastError();
        DWORD code = error != ERROR_SUCCESS ? error : static_cast<DWORD>(result != 0 ? result : ERROR_CANCELLED);
        throw ShellFileOperationError(SystemErrorText(code), code);
    }
}
