#include "app/main/ShellFileOperation.h"
#include "core/TextEncoding.h"
#include "win/SystemText.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// The shell reads a list of names ended by an empty one: one name, then two more NULs.
std::wstring DoubleNulList(const std::wstring& name) {
    return name + std::wstring(2, L'\0');
}

// In UTF-8, as every exception message of the program.
std::string SystemErrorText(DWORD code) {
    const std::wstring text = SystemMessage(code);
    return text.empty() ? "error " + std::to_string(code) : Utf8FromWide(text);
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
